// The Mantel correlogram's r of each class against R vegan's mantel.correlog on the same classes
// (vegan 2.6-4 of Debian 12 when written). Skips with a message when R or vegan is missing.

#include "analyses/autocorrelation/Autocorrelation.h"
#include "tests/support/LiteralDistances.h"
#include "tests/support/MatrixBuilders.h"
#include "tests/support/TempFiles.h"

#include "core/GeneticDistances.h"
#include "core/NumberText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace tessaloc {
namespace {

// vegan puts a pair in class k when break(k) < d <= break(k + 1); the engine when lower <= d < upper.
// A break halfway between the limit and the largest distance below it gives vegan the engine's
// classes, with room to spare for any rounding on the way through the text.
std::vector<double> veganBreaks(const SquareMatrix& geographic, const DistogramResult& distogram)
{
    std::vector<double> distances;
    for (int i = 0; i < geographic.size(); ++i)
        for (int j = i + 1; j < geographic.size(); ++j)
            distances.push_back(geographic(i, j));
    std::sort(distances.begin(), distances.end());
    std::vector<double> breaks = {0.0};
    for (size_t f = 1; f < distogram.lowerLimit.size(); ++f) {
        const double limit = distogram.lowerLimit[f];
        const auto below = std::lower_bound(distances.begin(), distances.end(), limit);
        breaks.push_back(below == distances.begin() ? limit / 2 : (*(below - 1) + limit) / 2);
    }
    breaks.push_back(distogram.upperLimit.back());
    return breaks;
}

TEST(MantelCorrelogramVegan, ROfEveryClassMatchesVeganMantelCorrelog)
{
    testing::TempFolder folder;
    const int n = 30;
    std::mt19937 engine(2024);
    std::uniform_real_distribution<double> coordinate(0.0, 50.0);
    SquareMatrix geographic(n);
    std::vector<double> x;
    std::vector<double> y;
    for (int i = 0; i < n; ++i) {
        x.push_back(coordinate(engine));
        y.push_back(coordinate(engine));
    }
    for (int i = 0; i < n; ++i)
        for (int j = i + 1; j < n; ++j)
            geographic.setPair(i, j, std::hypot(x[i] - x[j], y[i] - y[j]));
    reference::RandomTableRecipe recipe;
    recipe.samples = n;
    recipe.loci = 8;
    recipe.seed = 77;
    const SquareMatrix genetic =
        BuildGeneticDistances(reference::randomSampleTable(DataType::Codominant, recipe), DataType::Codominant)
            .square();

    int compared = 0;
    for (const ClassMode mode : {ClassMode::EqualDistances, ClassMode::EqualCounts}) {
        AutocorrelationSettings settings;
        settings.classCount = 6;
        settings.permutations.count = 9;
        settings.classMode = mode;
        RandomUniform random(1, 2);
        const AutocorrelationResult result =
            ComputeAutocorrelation(genetic, geographic, settings, random, RunListener::none());

        std::string breaks;
        for (const double value : veganBreaks(geographic, result.distogram))
            breaks += std::string(ExactNumber(value).view()) + "\n";
        const auto geneticFile = folder.write("genetic.csv", testing::plainMatrixCsv(genetic));
        const auto geographicFile = folder.write("geographic.csv", testing::plainMatrixCsv(geographic));
        const auto breaksFile = folder.write("breaks.txt", breaks);
        const auto out = folder.path() / "r.txt";
        const std::string command = "Rscript '" + std::string(TESSALOC_MANTEL_CORRELOG_SCRIPT) + "' '" +
                                    geneticFile.string() + "' '" + geographicFile.string() + "' '" +
                                    breaksFile.string() + "' '" + out.string() + "' > /dev/null 2>&1";
        const int status = std::system(command.c_str());
        if (status == -1 || !WIFEXITED(status) || WEXITSTATUS(status) == 127)
            GTEST_SKIP() << "R (Rscript) is not installed; the comparison with vegan's mantel.correlog was skipped";
        if (WEXITSTATUS(status) == 3)
            GTEST_SKIP() << "R vegan is not installed; the comparison with vegan's mantel.correlog was skipped";
        ASSERT_EQ(WEXITSTATUS(status), 0) << command;

        std::ifstream lines(out);
        std::vector<double> vegan;
        for (std::string line; std::getline(lines, line);)
            vegan.push_back(std::stod(line));
        ASSERT_EQ(vegan.size(), 6u);
        for (size_t f = 0; f < 6; ++f) {
            const double r = result.correlogram.r[f];
            EXPECT_LE(std::abs(r - vegan[f]), 1e-10 * std::abs(vegan[f]))
                << "class " << f + 1 << ": " << r << " against vegan's " << vegan[f];
            ++compared;
        }
    }
    EXPECT_EQ(compared, 12);
}

} // namespace
} // namespace tessaloc
