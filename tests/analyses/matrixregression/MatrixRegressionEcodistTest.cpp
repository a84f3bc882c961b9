// The regression's coefficients, R2 and F against R ecodist's MRM on the same matrices (ecodist 2.0.x
// of Debian 12 when written), with raw and ranked matrices and standardised estimates. Skips with a
// message when R or ecodist is missing.

#include "analyses/matrixregression/MatrixRegression.h"
#include "tests/support/TempFiles.h"

#include "core/NumberText.h"

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

std::string matrixCsv(const PackedDistances& m)
{
    std::string text;
    for (int i = 0; i < m.size(); ++i) {
        for (int j = 0; j < m.size(); ++j)
            text += std::string(j == 0 ? "" : ",") + std::string(ExactNumber(i == j ? 0.0 : m(i, j)).view());
        text += "\n";
    }
    return text;
}

struct EcodistCase {
    bool rank;
    bool standardise;
    int predictors;
};

class MatrixRegressionEcodist : public ::testing::TestWithParam<EcodistCase> {};

TEST_P(MatrixRegressionEcodist, CoefficientsR2AndFEqualMrm)
{
    const EcodistCase c = GetParam();
    const int n = 20;
    std::mt19937 engine(300 + static_cast<unsigned>(c.predictors));
    std::uniform_real_distribution<double> uniform(0.0, 10.0);
    // Genetic distances that depend on the predictors, with rounded values so the ranks tie in places.
    std::vector<PredictorMatrix> predictors;
    for (int m = 0; m < c.predictors; ++m) {
        PackedDistances x(n);
        for (double& value : x.values())
            value = std::round(uniform(engine) * 4.0) / 4.0;
        predictors.push_back({"x" + std::to_string(m + 1), "a test matrix", x});
    }
    PackedDistances genetic(n);
    for (size_t pair = 0; pair < genetic.values().size(); ++pair) {
        double value = uniform(engine);
        for (int m = 0; m < c.predictors; ++m)
            value += (m + 1) * 0.3 * predictors[m].distances.values()[pair];
        genetic.values()[pair] = value;
    }

    testing::TempFolder folder;
    std::string command = "Rscript '" + std::string(TESSALOC_MRM_SCRIPT) + "' " + (c.rank ? "rank" : "linear") + " " +
                          (c.standardise ? "standardised" : "raw") + " '" + (folder.path() / "out.txt").string() +
                          "' '" + folder.write("genetic.csv", matrixCsv(genetic)).string() + "'";
    for (int m = 0; m < c.predictors; ++m)
        command +=
            " '" + folder.write("x" + std::to_string(m) + ".csv", matrixCsv(predictors[m].distances)).string() + "'";
    command += " > /dev/null 2>&1";

    MatrixRegressionSettings settings;
    settings.permutations.count = 0;
    settings.rank = c.rank;
    settings.standardise = c.standardise;
    RandomUniform random(1, 2);
    const MatrixRegressionResult result =
        ComputeMatrixRegression(genetic, predictors, settings, random, RunListener::none());

    const int status = std::system(command.c_str());
    if (status == -1 || !WIFEXITED(status) || WEXITSTATUS(status) == 127)
        GTEST_SKIP() << "R (Rscript) is not installed; the comparison with ecodist's MRM was skipped";
    if (WEXITSTATUS(status) == 3)
        GTEST_SKIP() << "R ecodist is not installed; the comparison with ecodist's MRM was skipped";
    ASSERT_EQ(WEXITSTATUS(status), 0) << command;
    std::ifstream lines(folder.path() / "out.txt");
    std::vector<double> mrm;
    for (std::string line; std::getline(lines, line);)
        mrm.push_back(std::stod(line));
    ASSERT_EQ(mrm.size(), static_cast<size_t>(c.predictors + 3));

    // A standardised intercept is 0 for both, up to MRM's rounding.
    if (c.standardise)
        EXPECT_LE(std::abs(mrm[0]), 1e-12);
    else
        EXPECT_LE(std::abs(result.terms[0].estimate - mrm[0]), 1e-10 * std::abs(mrm[0]));
    for (int term = 1; term <= c.predictors; ++term)
        EXPECT_LE(std::abs(result.terms[term].estimate - mrm[term]), 1e-10 * std::abs(mrm[term]))
            << "term " << term << ": " << result.terms[term].estimate << " against MRM's " << mrm[term];
    const double r2 = mrm[c.predictors + 1];
    const double f = mrm[c.predictors + 2];
    EXPECT_LE(std::abs(result.rSquared - r2), 1e-10 * r2) << result.rSquared << " against MRM's " << r2;
    EXPECT_LE(std::abs(result.f - f), 1e-10 * f) << result.f << " against MRM's " << f;
}

INSTANTIATE_TEST_SUITE_P(RawRankedAndStandardised, MatrixRegressionEcodist,
                         ::testing::Values(EcodistCase{false, false, 1}, EcodistCase{false, false, 3},
                                           EcodistCase{true, false, 3}, EcodistCase{false, true, 3},
                                           EcodistCase{true, true, 2}));

} // namespace
} // namespace tessaloc
