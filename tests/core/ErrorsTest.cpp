#include "core/Errors.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace tessaloc {
namespace {

TEST(RequireFinite, PassesFiniteValuesAndRejectsUndefinedOnes)
{
    EXPECT_EQ(requireFinite(2.5, "x"), 2.5);
    EXPECT_THROW(requireFinite(std::numeric_limits<double>::quiet_NaN(), "r"), AnalysisError);
    EXPECT_THROW(requireFinite(std::numeric_limits<double>::infinity(), "r"), AnalysisError);
    try {
        requireFinite(0.0 / std::sqrt(0.0), "the matrix correlation");
        FAIL() << "0/0 is not a number and must be refused";
    } catch (const AnalysisError& error) {
        EXPECT_EQ(std::string(error.what()), "the matrix correlation is undefined (not a number)");
    }
}

TEST(RunGuarded, KeepsTheThreeOutcomesApart)
{
    EXPECT_EQ(runGuarded([] {}).outcome, RunOutcome::Success);

    const RunStatus problem = runGuarded([] { throw DataProblem("bad data", "line 3"); });
    EXPECT_EQ(problem.outcome, RunOutcome::DataProblem);
    EXPECT_EQ(problem.text, "bad data");
    EXPECT_EQ(problem.detail, "line 3");

    const RunStatus error = runGuarded([] { throw AnalysisError("reason"); });
    EXPECT_EQ(error.outcome, RunOutcome::AnalysisError);
    EXPECT_EQ(error.text, "reason");

    EXPECT_FALSE(error.ownMessage);
    const RunStatus own = runGuarded([] { throw OwnMessageAnalysisError("No start edge left"); });
    EXPECT_EQ(own.outcome, RunOutcome::AnalysisError);
    EXPECT_EQ(own.text, "No start edge left");
    EXPECT_TRUE(own.ownMessage);

    EXPECT_EQ(runGuarded([] { throw RunCancelled(); }).outcome, RunOutcome::Cancelled);
    EXPECT_EQ(runGuarded([] { throw std::out_of_range("index"); }).outcome, RunOutcome::AnalysisError);
    EXPECT_EQ(runGuarded([] { throw std::bad_alloc(); }).outcome, RunOutcome::AnalysisError);
}

} // namespace
} // namespace tessaloc
