#include "core/LocusResampling.h"

#include <string>

namespace tessaloc {

std::vector<int> DrawResample(int count, RandomUniform& random)
{
    std::vector<int> drawn(static_cast<size_t>(count));
    for (int& position : drawn)
        position = static_cast<int>(random.next() * count);
    return drawn;
}

int ResampledUnitCount(const SampleTable& table, DataType dataType)
{
    if (dataType != DataType::Sequences)
        return table.locusCount;
    if (table.locusCount < 1 || table.sampleCount() < 1)
        return 0;
    return static_cast<int>(table.genotype(0, 0).size());
}

SampleTable ResampledTable(const SampleTable& table, DataType dataType, const std::vector<int>& drawn)
{
    SampleTable resampled;
    resampled.names = table.names;
    resampled.xTexts = table.xTexts;
    resampled.yTexts = table.yTexts;
    if (dataType != DataType::Sequences) {
        resampled.locusCount = static_cast<int>(drawn.size());
        resampled.genotypes.reserve(drawn.size());
        for (const int locus : drawn)
            resampled.genotypes.push_back(table.genotypes[static_cast<size_t>(locus)]);
        return resampled;
    }

    // Sequences are one field per observation; further fields play no part in the distance.
    resampled.locusCount = table.locusCount;
    resampled.genotypes = table.genotypes;
    if (table.locusCount < 1)
        return resampled;
    GenotypeColumn sequences;
    const int n = table.sampleCount();
    sequences.reserve(static_cast<size_t>(n));
    std::string sites(drawn.size(), '\0');
    for (int k = 0; k < n; ++k) {
        const std::string& own = table.genotype(0, k);
        for (size_t q = 0; q < drawn.size(); ++q) {
            const auto p = static_cast<size_t>(drawn[q]);
            sites[q] = p < own.size() ? own[p] : '\0';
        }
        sequences.push_back(sites);
    }
    resampled.genotypes[0] = std::move(sequences);
    return resampled;
}

SampleTable ResampleLoci(const SampleTable& table, DataType dataType, RandomUniform& random)
{
    const int units = ResampledUnitCount(table, dataType);
    if (units < 1)
        return table;
    return ResampledTable(table, dataType, DrawResample(units, random));
}

} // namespace tessaloc
