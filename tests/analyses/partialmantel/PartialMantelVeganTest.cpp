// The partial r, with Pearson's and with Spearman's correlations, against R vegan's mantel.partial on
// the same matrices (vegan 2.6-4 of Debian 12 when written). Skips with a message when R or vegan is
// missing.

#include "analyses/partialmantel/PartialMantel.h"

#include "core/NumberText.h"
#include "tests/support/MatrixBuilders.h"
#include "tests/support/RandomMatrices.h"
#include "tests/support/TempFiles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace tessaloc {
namespace {

TEST(PartialMantelVegan, PearsonAndSpearmanMatchVeganMantelPartial)
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

    const auto geneticFile = folder.write("genetic.csv", testing::plainMatrixCsv(m.genetic));
    const auto xFile = folder.write("x.csv", testing::plainMatrixCsv(m.geographic));
    const auto zFile = folder.write("z.csv", testing::plainMatrixCsv(z));
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
            ComputePartialMantel(m.packedGenetic(), {"x", "", m.packedGeographic()}, {"z", "", PackedDistances(z)},
                                 settings, random, RunListener::none());
        const double expected = vegan[rank ? 1 : 0];
        EXPECT_LE(std::abs(result.r - expected), 1e-10 * std::abs(expected))
            << (rank ? "Spearman" : "Pearson") << ": " << result.r << " against vegan's " << expected;
    }
}

} // namespace
} // namespace tessaloc
