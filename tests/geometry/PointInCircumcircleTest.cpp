#include "core/Errors.h"
#include "geometry/Delaunay.h"
#include "tests/support/PointSets.h"
#include "tests/support/RecordingListener.h"

#include <gtest/gtest.h>

#include <cmath>

namespace tessaloc {
namespace {

// The circle through (0, 0), (2, 0), (0, 2): centre (1, 1), radius sqrt 2 (by hand). The first side
// is level, so its bisector is the vertical x = 1.
TEST(PointInCircumcircle, LevelFirstSideUsesTheOtherBisector)
{
    double xc = 0, yc = 0, r = 0;
    EXPECT_TRUE(PointInCircumcircle(1, 1, 0, 0, 2, 0, 0, 2, xc, yc, r));
    EXPECT_EQ(xc, 1.0);
    EXPECT_EQ(yc, 1.0);
    EXPECT_DOUBLE_EQ(r, std::sqrt(2.0));
    EXPECT_FALSE(PointInCircumcircle(3, 3, 0, 0, 2, 0, 0, 2, xc, yc, r));
}

TEST(PointInCircumcircle, APointOnTheCircleCountsAsInside)
{
    // (2, 2) is at squared distance 2 from (1, 1), exactly the squared radius.
    double xc = 0, yc = 0, r = 0;
    EXPECT_TRUE(PointInCircumcircle(2, 2, 0, 0, 2, 0, 0, 2, xc, yc, r));
}

TEST(PointInCircumcircle, LevelSecondSideUsesTheFirstBisector)
{
    // (0, 0), (2, 2), (0, 2): the side from (2, 2) to (0, 2) is level; centre (1, 1) by hand.
    double xc = 0, yc = 0, r = 0;
    EXPECT_TRUE(PointInCircumcircle(0.5, 1, 0, 0, 2, 2, 0, 2, xc, yc, r));
    EXPECT_EQ(xc, 1.0);
    EXPECT_EQ(yc, 1.0);
}

TEST(PointInCircumcircle, GeneralCaseMeetsBothBisectors)
{
    // (0, 0), (4, 2), (1, 3): slopes -2 and 3 through (2, 1) and (2.5, 2.5) meet at (2, 1), which
    // is sqrt 5 from each corner (by hand).
    double xc = 0, yc = 0, r = 0;
    EXPECT_TRUE(PointInCircumcircle(2, 3, 0, 0, 4, 2, 1, 3, xc, yc, r));
    EXPECT_EQ(xc, 2.0);
    EXPECT_EQ(yc, 1.0);
    EXPECT_DOUBLE_EQ(r, std::sqrt(5.0));
    EXPECT_FALSE(PointInCircumcircle(5, 3, 0, 0, 4, 2, 1, 3, xc, yc, r));
}

TEST(PointInCircumcircle, ThreeCornersAtOneYGiveTheMessageAndOutside)
{
    testing::RecordingListener listener;
    double xc = 99, yc = 99, r = 99;
    EXPECT_FALSE(PointInCircumcircle(1, 5, 0, 5, 1, 5, 2, 5, xc, yc, r, listener));
    EXPECT_EQ(listener.messages, std::vector<std::string>{"INCIRCUM - F - Points are coincident !!"});
    EXPECT_EQ(xc, 99.0);
    EXPECT_EQ(yc, 99.0);
    EXPECT_EQ(r, 99.0);
}

TEST(PointInCircumcircle, YDifferencesBelowTheToleranceCountAsLevel)
{
    testing::RecordingListener listener;
    double xc = 0, yc = 0, r = 0;
    EXPECT_FALSE(PointInCircumcircle(0, 0, 0, 0, 1, 1e-52, 2, 0, xc, yc, r, listener));
    EXPECT_EQ(listener.messages.size(), 1u);
}

TEST(PointInCircumcircle, CornersOnASlopedLineAreAnAnalysisError)
{
    // Both bisectors have slope -1: they never meet.
    double xc = 0, yc = 0, r = 0;
    EXPECT_THROW(PointInCircumcircle(5, 0, 0, 0, 1, 1, 2, 2, xc, yc, r), AnalysisError);
}

} // namespace
} // namespace tessaloc
