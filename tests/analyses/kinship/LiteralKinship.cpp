#include "tests/analyses/kinship/LiteralKinship.h"

#include "core/GeneticDistances.h"
#include "core/NumberText.h"

#include <cmath>
#include <limits>
#include <map>

namespace tessaloc::reference {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The defined gene copies of a field: the alleles other than "0" of a data-type-1 field, the field
// itself for data type 2 unless it is "0" or "0\0".
std::vector<std::string> copiesOf(const std::string& field, DataType dataType)
{
    std::vector<std::string> copies;
    if (dataType == DataType::Genotypes) {
        if (field != "0" && field != "0\\0")
            copies.push_back(field);
        return copies;
    }
    for (const std::string_view allele : {LeftAllele(field), RightAllele(field)})
        if (allele != "0")
            copies.emplace_back(allele);
    return copies;
}

struct LocusData {
    std::vector<std::vector<std::string>> copies; // per individual
    std::map<std::string, double> p;
    double n = 0.0;
    double d = 0.0;
};

LocusData locusData(const SampleTable& table, DataType dataType, int locus)
{
    LocusData data;
    int defined = 0;
    for (int i = 0; i < table.sampleCount(); ++i) {
        data.copies.push_back(copiesOf(table.genotype(locus, i), dataType));
        const std::vector<std::string>& c = data.copies.back();
        if (c.empty())
            continue;
        ++defined;
        data.n += static_cast<double>(c.size());
        for (const std::string& allele : c)
            data.p[allele] += 1.0 / static_cast<double>(c.size());
    }
    for (auto& [allele, p] : data.p) {
        p /= defined;
        data.d += p * (1.0 - p);
    }
    return data;
}

} // namespace

SquareMatrix literalKinship(const SampleTable& table, DataType dataType, int leftOut)
{
    const int n = table.sampleCount();
    std::vector<LocusData> loci;
    for (int l = 0; l < table.locusCount; ++l)
        loci.push_back(locusData(table, dataType, l));
    SquareMatrix f(n);
    for (int i = 0; i < n; ++i) {
        f(i, i) = kNaN;
        for (int j = i + 1; j < n; ++j) {
            double numerator = 0.0;
            double denominator = 0.0;
            int used = 0;
            for (int l = 0; l < table.locusCount; ++l) {
                const LocusData& locus = loci[static_cast<size_t>(l)];
                const auto& ci = locus.copies[static_cast<size_t>(i)];
                const auto& cj = locus.copies[static_cast<size_t>(j)];
                if (l == leftOut || ci.empty() || cj.empty() || !(locus.d > 0.0))
                    continue;
                double s = 0.0;
                for (const std::string& a : ci)
                    for (const std::string& b : cj)
                        for (const auto& [allele, p] : locus.p)
                            s += ((a == allele ? 1.0 : 0.0) - p) * ((b == allele ? 1.0 : 0.0) - p);
                s /= static_cast<double>(ci.size() * cj.size());
                numerator += s + locus.d / (locus.n - 1.0);
                denominator += locus.d;
                ++used;
            }
            f.setPair(i, j, used > 0 ? numerator / denominator : kNaN);
        }
    }
    return f;
}

SquareMatrix literalRousset(const SampleTable& table, int leftOut)
{
    const int n = table.sampleCount();
    std::vector<LocusData> loci;
    std::vector<double> ho;
    for (int l = 0; l < table.locusCount; ++l) {
        loci.push_back(locusData(table, DataType::Codominant, l));
        double heterozygous = 0.0;
        double complete = 0.0;
        for (const auto& c : loci.back().copies)
            if (c.size() == 2) {
                complete += 1.0;
                heterozygous += c[0] != c[1] ? 1.0 : 0.0;
            }
        ho.push_back(complete > 0.0 ? heterozygous / complete : kNaN);
    }
    SquareMatrix a(n);
    for (int i = 0; i < n; ++i) {
        a(i, i) = kNaN;
        for (int j = i + 1; j < n; ++j) {
            double numerator = 0.0;
            double denominator = 0.0;
            for (int l = 0; l < table.locusCount; ++l) {
                const LocusData& locus = loci[static_cast<size_t>(l)];
                const auto& ci = locus.copies[static_cast<size_t>(i)];
                const auto& cj = locus.copies[static_cast<size_t>(j)];
                if (l == leftOut || ci.size() != 2 || cj.size() != 2 || !(locus.d > 0.0))
                    continue;
                double differ = 0.0;
                for (const std::string& x : ci)
                    for (const std::string& y : cj)
                        differ += x != y ? 1.0 : 0.0;
                const double hwi = ci[0] != ci[1] ? 1.0 : 0.0;
                const double hwj = cj[0] != cj[1] ? 1.0 : 0.0;
                numerator += differ / 4.0 - (hwi + hwj) / 4.0 - ho[static_cast<size_t>(l)] / 2.0;
                denominator += ho[static_cast<size_t>(l)];
            }
            a.setPair(i, j, denominator > 0.0 ? numerator / denominator : kNaN);
        }
    }
    return a;
}

double literalSlope(const std::vector<double>& x, const std::vector<double>& y)
{
    const size_t n = x.size();
    if (n < 2)
        return kNaN;
    double mx = 0.0;
    double my = 0.0;
    for (size_t k = 0; k < n; ++k) {
        mx += x[k];
        my += y[k];
    }
    mx /= static_cast<double>(n);
    my /= static_cast<double>(n);
    double sxy = 0.0;
    double sxx = 0.0;
    for (size_t k = 0; k < n; ++k) {
        sxy += (x[k] - mx) * (y[k] - my);
        sxx += (x[k] - mx) * (x[k] - mx);
    }
    return sxx > 0.0 ? sxy / sxx : kNaN;
}

LiteralStatistics literalStatistics(const SquareMatrix& kinship, const SquareMatrix& rousset,
                                    const SquareMatrix& geographic, const KinshipClasses& classes)
{
    const int n = kinship.size();
    const size_t k = static_cast<size_t>(classes.count());
    auto meansOf = [&](const SquareMatrix& values) {
        std::vector<double> sums(k, 0.0);
        std::vector<double> counts(k, 0.0);
        for (int i = 0; i < n; ++i)
            for (int j = i + 1; j < n; ++j) {
                const double d = geographic(i, j);
                for (size_t c = 0; c < k; ++c) {
                    const bool in = classes.upperIncluded
                                        ? (d <= classes.upper[c] && (c == 0 ? d >= 0.0 : d > classes.lower[c]))
                                        : (d >= classes.lower[c] && d < classes.upper[c]);
                    if (in && !std::isnan(values(i, j))) {
                        sums[c] += values(i, j);
                        counts[c] += 1.0;
                    }
                }
            }
        std::vector<double> means;
        for (size_t c = 0; c < k; ++c)
            means.push_back(counts[c] > 0.0 ? sums[c] / counts[c] : kNaN);
        return means;
    };
    auto slopeOn = [&](const SquareMatrix& values, bool logarithm) {
        std::vector<double> x;
        std::vector<double> y;
        for (int i = 0; i < n; ++i)
            for (int j = i + 1; j < n; ++j) {
                const double d = geographic(i, j);
                if (std::isnan(values(i, j)) || (logarithm && !(d > 0.0)))
                    continue;
                x.push_back(logarithm ? std::log(d) : d);
                y.push_back(values(i, j));
            }
        return literalSlope(x, y);
    };
    LiteralStatistics s;
    s.kinshipMeans = meansOf(kinship);
    s.bLin = slopeOn(kinship, false);
    s.bLog = slopeOn(kinship, true);
    s.f1 = s.kinshipMeans.empty() ? kNaN : s.kinshipMeans[0];
    s.sp = -s.bLog / (1.0 - s.f1);
    if (rousset.size() == n) {
        s.roussetMeans = meansOf(rousset);
        s.aSlope = slopeOn(rousset, true);
        s.nb = 1.0 / s.aSlope;
    } else {
        s.roussetMeans.assign(k, kNaN);
        s.aSlope = kNaN;
        s.nb = kNaN;
    }
    return s;
}

SampleTable kinshipTable(const std::vector<std::vector<std::string>>& fields, const std::vector<double>& x,
                         const std::vector<double>& y)
{
    SampleTable table;
    table.locusCount = fields.empty() ? 0 : static_cast<int>(fields[0].size());
    table.genotypes.resize(static_cast<size_t>(table.locusCount));
    for (size_t i = 0; i < fields.size(); ++i) {
        table.names.push_back("i" + std::to_string(i + 1));
        table.xTexts.push_back(shortestText(x[i]));
        table.yTexts.push_back(shortestText(y[i]));
        for (size_t l = 0; l < fields[i].size(); ++l)
            table.genotypes[l].push_back(fields[i][l]);
    }
    return table;
}

SampleTable withoutLocus(const SampleTable& table, int locus)
{
    SampleTable without = table;
    without.genotypes.erase(without.genotypes.begin() + locus);
    --without.locusCount;
    return without;
}

} // namespace tessaloc::reference
