#include "core/GeneticDistances.h"

#include "core/AlleleSharingSums.h"
#include "core/Errors.h"
#include "core/NumberText.h"
#include "core/ParallelRows.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace tessaloc {
std::string_view LeftAllele(std::string_view field)
{
    return field.substr(0, field.find('\\'));
}

std::string_view RightAllele(std::string_view field)
{
    const size_t separator = field.find('\\');
    return separator == std::string_view::npos ? std::string_view() : field.substr(separator + 1);
}

std::string noCommonLociMessage(int first, int second)
{
    return "Error constructing genetic distance between observations " + printForm(first) + " and " +
           printForm(second) + ":  No common loci after accounting for missing data.";
}

unsigned char foldSequenceCase(unsigned char c)
{
    if (c >= 'a' && c <= 'z')
        return static_cast<unsigned char>(c - 'a' + 'A');
    // Latin-1 small letters a-grave..thorn, except the division sign.
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7)
        return static_cast<unsigned char>(c - 0x20);
    return c;
}

PackedDistances BuildGeneticDistances(const SampleTable& table, DataType dataType)
{
    switch (dataType) {
    case DataType::Genotypes:
        return GenotypeDistanceMatrix(table);
    case DataType::Codominant:
        return AlleleDistanceMatrix(table);
    case DataType::Sequences:
        return SequenceDistanceMatrix(table);
    }
    return PackedDistances(table.sampleCount());
}

PackedDistances GenotypeDistanceMatrix(const SampleTable& table)
{
    return genotypeDifferenceDistances(table, chosenDistanceKernel());
}

PackedDistances AlleleDistanceMatrix(const SampleTable& table)
{
    return alleleSharingDistances(table, chosenDistanceKernel());
}

PackedDistances SequenceDistanceMatrix(const SampleTable& table)
{
    const int n = table.sampleCount();
    PackedDistances distances(n);
    if (n < 2 || table.locusCount < 1)
        return distances;

    auto sequence = [&](int k) -> const std::string& { return table.genotype(0, k); };
    const std::string& first = sequence(0);
    const size_t length = first.size();

    // A site is variable when some observation differs there from the first; a sequence that ends
    // before the site differs from any character.
    std::vector<size_t> variableSites;
    for (size_t p = 0; p < length; ++p) {
        const unsigned char reference = foldSequenceCase(static_cast<unsigned char>(first[p]));
        for (int k = 1; k < n; ++k) {
            const std::string& other = sequence(k);
            if (p >= other.size() || foldSequenceCase(static_cast<unsigned char>(other[p])) != reference) {
                variableSites.push_back(p);
                break;
            }
        }
    }

    // Each observation's characters at the variable sites; a site beyond its end contributes
    // nothing, so its later characters move up. Reduced lengths never exceed the first one's, nor
    // the observation's own length, so they are stored one after another at their own lengths: a
    // long first sequence beside many short ones costs no more than the sequences themselves.
    std::vector<size_t> reducedStart(static_cast<size_t>(n) + 1, 0);
    for (int k = 0; k < n; ++k) {
        const size_t own = sequence(k).size();
        const size_t used = static_cast<size_t>(std::lower_bound(variableSites.begin(), variableSites.end(), own) -
                                                variableSites.begin());
        reducedStart[static_cast<size_t>(k) + 1] = reducedStart[static_cast<size_t>(k)] + used;
    }
    std::vector<unsigned char> reduced(reducedStart.back());
    for (int k = 0; k < n; ++k) {
        const std::string& s = sequence(k);
        unsigned char* out = reduced.data() + reducedStart[static_cast<size_t>(k)];
        for (const size_t p : variableSites) {
            if (p >= s.size())
                break;
            *out++ = foldSequenceCase(static_cast<unsigned char>(s[p]));
        }
    }
    auto reducedLength = [&](int k) {
        return reducedStart[static_cast<size_t>(k) + 1] - reducedStart[static_cast<size_t>(k)];
    };

    // The first sequence is empty: every distance is 0/0.
    if (length == 0)
        requireFinite(0.0 / static_cast<double>(length), "the sequence distance (the first sequence is empty)");
    forEachPairRow(distances, nullptr, [&](int i) {
        const unsigned char* a = reduced.data() + reducedStart[static_cast<size_t>(i)];
        for (int j = i + 1; j < n; ++j) {
            const unsigned char* b = reduced.data() + reducedStart[static_cast<size_t>(j)];
            const size_t common = std::min(reducedLength(i), reducedLength(j));
            size_t count = 0;
            for (size_t q = 0; q < common; ++q)
                count += a[q] != b[q];
            // Where only one reduced sequence still has characters, every position differs.
            count += std::max(reducedLength(i), reducedLength(j)) - common;
            distances.setPair(i, j, static_cast<double>(count) / static_cast<double>(length));
        }
    });
    return distances;
}

} // namespace tessaloc
