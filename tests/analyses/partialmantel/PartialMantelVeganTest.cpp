// The partial r, with Pearson's and with Spearman's correlations, against R vegan's mantel.partial on
// the same matrices (vegan 2.6-4 of Debian 12 when written). Skips with a message when R or vegan is
// missing.
//
// The matrices given here carry the noise of sums taken in different orders (a few units in the last
// place); vegan reads them rounded to 12 significant digits, without that noise. The ranks of equal
// distances must tie all the same.

#include "analyses/partialmantel/PartialMantel.h"

#include "core/NumberText.h"
#include "tests/support/MatrixBuilders.h"
#include "tests/support/RandomMatrices.h"
#include "tests/support/TempFiles.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace tessaloc {
namespace {

// The matrix as CSV with every value rounded to 12 significant digits.
std::string roundedMatrixCsv(const SquareMatrix& matrix)
{
    std::string text;
    for (int i = 0; i < matrix.size(); ++i) {
        for (int j = 0; j < matrix.size(); ++j) {
            char digits[32];
            const auto end =
                std::to_chars(digits, digits + sizeof digits, matrix(i, j), std::chars_format::general, 12);
            text += std::string(j == 0 ? "" : ",") + std::string(digits, end.ptr);
        }
        text += "\n";
    }
    return text;
}

// The pairs of `matrix` moved by -2 to 2 units in the last place, as sums in another order move them.
PackedDistances withRoundingNoise(const SquareMatrix& matrix, unsigned seed)
{
    PackedDistances noisy(matrix);
    std::mt19937 engine(seed);
    std::uniform_int_distribution<int> units(-2, 2);
    for (double& value : noisy.values()) {
        if (value == 0.0)
            continue; // a sum of zeros is exactly zero in any order
        const int steps = units(engine);
        for (int k = 0; k < std::abs(steps); ++k)
            value = std::nextafter(value, steps > 0 ? HUGE_VAL : -HUGE_VAL);
    }
    return noisy;
}

TEST(PartialMantelVegan, PearsonAndSpearmanMatchVeganMantelPartialWithTiesUpToRounding)
{
    testing::TempFolder folder;
    const int n = 40;
    // Genetic distances with many ties (few loci), straight-line X, and a Z of rounded random values
    // with ties too, so that the mean ranks of tied pairs are exercised.
    const reference::DistanceMatrices m = reference::randomDistanceMatrices(DataType::Codominant, n, 31, 60);
    std::mt19937 engine(8);
    std::uniform_int_distribution<int> level(0, 20);
    SquareMatrix z(n);
    for (int i = 0; i < n; ++i)
        for (int j = i + 1; j < n; ++j)
            z.setPair(i, j, level(engine) * 0.25 + 0.5 * m.geographic(i, j));

    const auto geneticFile = folder.write("genetic.csv", roundedMatrixCsv(m.genetic));
    const auto xFile = folder.write("x.csv", roundedMatrixCsv(m.geographic));
    const auto zFile = folder.write("z.csv", roundedMatrixCsv(z));
    const auto out = folder.path() / "r.txt";
    const std::string command = "Rscript '" + std::string(TESSALOC_MANTEL_PARTIAL_SCRIPT) + "' '" +
                                geneticFile.string() + "' '" + xFile.string() + "' '" + zFile.string() + "' '" +
                                out.string() + "' > /dev/null 2>&1";
    const int status = std::system(command.c_str());
    if (status == -1 || !WIFEXITED(status) || WEXITSTATUS(status) == 127)
        GTEST_SKIP() << "R (Rscript) is not installed; the comparison with vegan's mantel.partial was skipped";
    if (WEXITSTATUS(status) == 3)
        GTEST_SKIP() << "R vegan is not installed; the comparison with vegan's mantel.partial was skipped";
    ASSERT_EQ(WEXITSTATUS(status), 0) << command;
    std::ifstream lines(out);
    std::vector<double> vegan;
    for (std::string line; std::getline(lines, line);)
        vegan.push_back(std::stod(line));
    ASSERT_EQ(vegan.size(), 2u);

    for (const bool rank : {false, true}) {
        PartialMantelSettings settings;
        settings.rank = rank;
        settings.permutations.count = 0;
        RandomUniform random(1, 1);
        const PartialMantelResult result =
            ComputePartialMantel(withRoundingNoise(m.genetic, 1), {"x", "", withRoundingNoise(m.geographic, 2)},
                                 {"z", "", withRoundingNoise(z, 3)}, settings, random, RunListener::none());
        const double expected = vegan[rank ? 1 : 0];
        EXPECT_LE(std::abs(result.r - expected), 1e-10 * std::abs(expected))
            << (rank ? "Spearman" : "Pearson") << ": " << result.r << " against vegan's " << expected;
    }
}

} // namespace
} // namespace tessaloc
