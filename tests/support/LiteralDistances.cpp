#include "tests/support/LiteralDistances.h"

#include "core/Errors.h"
#include "core/GeneticDistances.h"
#include "tests/support/TStringList.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <random>
#include <string>
#include <vector>

namespace tessaloc::reference {
namespace {

// The empty character stands for a position beyond the end of a sequence.
int siteCharacter(const std::string& sequence, size_t position)
{
    if (position >= sequence.size())
        return -1;
    return foldSequenceCase(static_cast<unsigned char>(sequence[position]));
}

} // namespace

SquareMatrix literalGenotypeDistances(const SampleTable& table)
{
    const int n = table.sampleCount();
    SquareMatrix d(n);
    for (int i = 1; i <= n - 1; ++i) {
        for (int j = i + 1; j <= n; ++j) {
            int compared = 0;
            int differing = 0;
            for (int l = 1; l <= table.locusCount; ++l) {
                const std::string& gi = table.genotype(l - 1, i - 1);
                const std::string& gj = table.genotype(l - 1, j - 1);
                if (gi == "0" || gi == "0\\0" || gj == "0" || gj == "0\\0")
                    continue;
                compared = compared + 1;
                if (gi != gj)
                    differing = differing + 1;
            }
            if (compared == 0)
                throw DataProblem(noCommonLociMessage(i, j));
            d.setPair(i - 1, j - 1, static_cast<double>(differing) / compared);
        }
    }
    return d;
}

SquareMatrix literalAlleleDistances(const SampleTable& table)
{
    const int n = table.sampleCount();
    SquareMatrix d(n);
    for (int i = 1; i <= n - 1; ++i) {
        for (int j = i + 1; j <= n; ++j) {
            int used = 0;
            double sum = 0.0;
            for (int l = 1; l <= table.locusCount; ++l) {
                const std::string& gi = table.genotype(l - 1, i - 1);
                const std::string& gj = table.genotype(l - 1, j - 1);
                if (gi == "0\\0" || gj == "0\\0")
                    continue;
                used = used + 1;
                const std::string a1(LeftAllele(gi)), a2(RightAllele(gi));
                const std::string b1(LeftAllele(gj)), b2(RightAllele(gj));
                TStringList list;
                for (const std::string* allele : {&a1, &a2, &b1, &b2}) {
                    if (list.IndexOf(*allele) == -1)
                        list.add(*allele);
                }
                std::vector<double> frequencyI(static_cast<size_t>(list.count()) + 1, 0.0);
                std::vector<double> frequencyJ(static_cast<size_t>(list.count()) + 1, 0.0);
                frequencyI[list.IndexOf(a1)] += 0.5;
                frequencyI[list.IndexOf(a2)] += 0.5;
                frequencyJ[list.IndexOf(b1)] += 0.5;
                frequencyJ[list.IndexOf(b2)] += 0.5;
                double shared = 0.0;
                for (int k = 1; k <= list.count(); ++k)
                    shared = shared + std::sqrt(frequencyI[k] * frequencyJ[k]);
                sum = sum + (1.0 - shared);
                list.clear();
            }
            if (used == 0)
                throw DataProblem(noCommonLociMessage(i, j));
            d.setPair(i - 1, j - 1, sum / used);
        }
    }
    return d;
}

SquareMatrix literalSequenceDistances(const SampleTable& table)
{
    const int n = table.sampleCount();
    SquareMatrix d(n);
    std::vector<std::string> s(static_cast<size_t>(n) + 1);
    for (int k = 1; k <= n; ++k)
        s[k] = table.genotype(0, k - 1);

    const size_t len = s[1].size();
    std::vector<size_t> variable;
    for (size_t p = 1; p <= len; ++p) {
        for (int k = 2; k <= n; ++k) {
            if (siteCharacter(s[k], p - 1) != siteCharacter(s[1], p - 1)) {
                variable.push_back(p);
                break;
            }
        }
    }
    std::vector<std::string> reduced(static_cast<size_t>(n) + 1);
    for (int k = 1; k <= n; ++k) {
        for (const size_t p : variable) {
            if (p <= s[k].size())
                reduced[k] += s[k][p - 1];
        }
    }
    const size_t m = reduced[1].size();
    for (int i = 1; i <= n - 1; ++i) {
        for (int j = i + 1; j <= n; ++j) {
            int count = 0;
            for (size_t q = 1; q <= m; ++q) {
                if (siteCharacter(reduced[i], q - 1) != siteCharacter(reduced[j], q - 1))
                    count = count + 1;
            }
            d.setPair(i - 1, j - 1,
                      requireFinite(static_cast<double>(count) / static_cast<double>(len), "sequence distance"));
        }
    }
    return d;
}

SampleTable randomSampleTable(DataType dataType, const RandomTableRecipe& recipe)
{
    std::mt19937 random(recipe.seed);
    auto below = [&](int bound) { return static_cast<int>(random() % static_cast<unsigned>(bound)); };
    auto chance = [&](double p) { return std::uniform_real_distribution<double>(0.0, 1.0)(random) < p; };
    static const std::string letters = "ACGTacgtNRYKM-";

    SampleTable table;
    for (int k = 0; k < recipe.samples; ++k) {
        table.names.push_back("obs" + std::to_string(k + 1));
        table.xTexts.push_back(std::to_string(below(1000)));
        table.yTexts.push_back(std::to_string(below(1000)));
    }
    table.locusCount = dataType == DataType::Sequences ? 1 : recipe.loci;
    table.genotypes.assign(static_cast<size_t>(table.locusCount), {});
    for (int l = 0; l < table.locusCount; ++l) {
        for (int k = 0; k < recipe.samples; ++k) {
            std::string field;
            switch (dataType) {
            case DataType::Codominant:
                // Allele "0" is an ordinary allele; only the whole field "0\0" is missing, and only
                // missingRate decides how often a field is missing.
                if (chance(recipe.missingRate)) {
                    field = "0\\0";
                } else {
                    const int left = below(recipe.allelesPerLocus);
                    const int right =
                        left == 0 ? 1 + below(std::max(1, recipe.allelesPerLocus - 1)) : below(recipe.allelesPerLocus);
                    field = std::to_string(left) + "\\" + std::to_string(right);
                }
                break;
            case DataType::Genotypes:
                if (chance(recipe.missingRate))
                    field = chance(0.5) ? "0" : "0\\0";
                else
                    field = std::string("g").append(std::to_string(below(recipe.allelesPerLocus)));
                break;
            case DataType::Sequences: {
                // Lengths vary a little so that short sequences and shifted sites are exercised.
                const int length = recipe.sequenceLength - (chance(0.2) ? below(3) : 0);
                for (int p = 0; p < length; ++p)
                    field += letters[below(std::min<int>(recipe.sequenceAlphabet, static_cast<int>(letters.size())))];
                break;
            }
            }
            table.genotypes[l].push_back(field);
        }
    }
    return table;
}

SampleTable randomStretchedTable(DataType dataType, int samples, const std::vector<LocusStretch>& stretches,
                                 double missingRate, std::uint32_t seed)
{
    SampleTable table;
    for (size_t k = 0; k < stretches.size(); ++k) {
        RandomTableRecipe recipe;
        recipe.samples = samples;
        recipe.loci = stretches[k].loci;
        recipe.allelesPerLocus = stretches[k].allelesPerLocus;
        recipe.missingRate = missingRate;
        recipe.seed = seed + static_cast<std::uint32_t>(k) * 7919;
        SampleTable stretch = randomSampleTable(dataType, recipe);
        if (k == 0) {
            table = std::move(stretch);
            continue;
        }
        for (GenotypeColumn& column : stretch.genotypes)
            table.genotypes.push_back(std::move(column));
        table.locusCount += stretch.locusCount;
    }
    return table;
}

} // namespace tessaloc::reference
