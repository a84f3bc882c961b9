#pragma once

#include "core/GeneticDistances.h"
#include "core/GeographicDistances.h"
#include "tests/support/LiteralDistances.h"

#include <cstdint>
#include <string>

namespace tessaloc::reference {

/// Whole matrices, as the literal procedures take them; the engines take them stored once per pair.
struct DistanceMatrices {
    SquareMatrix genetic;
    SquareMatrix geographic;

    PackedDistances packedGenetic() const { return PackedDistances(genetic); }
    PackedDistances packedGeographic() const { return PackedDistances(geographic); }
};

/// Genetic and geographic distances of a random table without missing data. Coordinates are taken
/// modulo `coordinateRange`: small ranges give repeated locations and repeated distances, hence
/// exact ties in the permutation tests and pairs exactly on class limits.
inline DistanceMatrices randomDistanceMatrices(DataType type, int samples, std::uint32_t seed,
                                               int coordinateRange = 1000, bool latLong = false)
{
    RandomTableRecipe recipe;
    recipe.samples = samples;
    recipe.seed = seed;
    recipe.loci = type == DataType::Genotypes ? 1 + static_cast<int>(seed % 3) : 4;
    recipe.allelesPerLocus = 2 + static_cast<int>(seed % 3);
    recipe.missingRate = 0.0;
    SampleTable table = randomSampleTable(type, recipe);
    for (int k = 0; k < samples; ++k) {
        table.xTexts[k] = std::to_string(std::stoi(table.xTexts[k]) % coordinateRange);
        table.yTexts[k] = std::to_string(std::stoi(table.yTexts[k]) % coordinateRange);
    }
    return {BuildGeneticDistances(table, type).square(), BuildGeographicDistances(table, latLong).square()};
}

} // namespace tessaloc::reference
