#pragma once

// The data sets the permutation-test benchmarks share: N observations of data type 1 with 10 loci
// of 8 alleles, 2 % missing, planar coordinates, always from the same seed, built once per N.

#include "core/GeneticDistances.h"
#include "core/GeographicDistances.h"
#include "tests/support/LiteralDistances.h"
#include "tests/support/RandomMatrices.h"

#include <map>

namespace tessaloc::reference {

inline const SampleTable& benchmarkTable(int samples)
{
    static std::map<int, SampleTable> cache;
    auto it = cache.find(samples);
    if (it == cache.end()) {
        RandomTableRecipe recipe;
        recipe.samples = samples;
        recipe.loci = 10;
        recipe.allelesPerLocus = 8;
        recipe.missingRate = 0.02;
        recipe.seed = 99;
        it = cache.emplace(samples, randomSampleTable(DataType::Codominant, recipe)).first;
    }
    return it->second;
}

inline const DistanceMatrices& benchmarkMatrices(int samples)
{
    static std::map<int, DistanceMatrices> cache;
    auto it = cache.find(samples);
    if (it == cache.end()) {
        const SampleTable& table = benchmarkTable(samples);
        it = cache
                 .emplace(samples, DistanceMatrices{BuildGeneticDistances(table, DataType::Codominant).square(),
                                                    BuildGeographicDistances(table, false).square()})
                 .first;
    }
    return it->second;
}

} // namespace tessaloc::reference
