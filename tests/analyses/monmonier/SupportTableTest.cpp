#include "analyses/monmonier/SupportTable.h"

#include "core/Errors.h"
#include "tests/analyses/monmonier/FanCase.h"
#include "tests/support/TempFiles.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

namespace tessaloc {
namespace {

// The fan of FanCase.h with a second observation "extra" at its centre O, a name with a comma at
// P0, two barriers and three replicates; the support is set by hand: the spoke O-P0 (edge id 0)
// crossed by observed barrier 1 and by barrier 1 in every replicate, the rim P3-P0 (edge id 7) by
// barrier 2 in one replicate, and one replicate without a start edge.
MonmonierResult fanWithSupport()
{
    const testing::Fan fan;
    MonmonierResult result;
    result.settings.barrierCount = 2;
    result.BarrierTriangles = fan.triangles;
    result.SampleNames = {"O", "P,0", "P1", "P2", "P3", "extra"};
    result.SampleX = {0, 0, 2, 0, -2, 0};
    result.SampleY = {0, -2, 0, 2, 0, 0};
    BarrierSupport& support = result.support;
    support.replicates = 3;
    support.resampledUnits = 4;
    support.withoutStartEdge = 1;
    support.edges = NumberEdges(fan.triangles);
    support.rows = {{0, 1, 3, {3, 0}}, {7, 0, 1, {0, 1}}};
    support.rowOf = {0, -1, -1, -1, -1, -1, -1, 1};
    return result;
}

TEST(SupportTable, TheHeadNamesASupportColumnPerBarrier)
{
    EXPECT_EQ(SupportTableHeader(3),
              "name1,x1,y1,name2,x2,y2,mid_x,mid_y,observed,support_any,support_1,support_2,support_3");
    EXPECT_EQ(SupportTableHeader(1), "name1,x1,y1,name2,x2,y2,mid_x,mid_y,observed,support_any,support_1");
}

TEST(SupportTable, OneLinePerEdgeWithItsEndsMidpointObservedBarrierAndPercentages)
{
    // By hand: O-P0 is edge 0 of triangle 0, from O (0, 0) to P0 (0, -2), midpoint (0, -1); P3-P0 is
    // edge 1 of triangle 3, from P3 (-2, 0) to P0, midpoint (-1, -1). 3 of 3 replicates is 100 %, 1 of
    // 3 is 100 / 3, whose shortest round-trip form Python's repr(100 / 3) gives as 33.333333333333336.
    EXPECT_EQ(SupportTable(fanWithSupport()),
              "name1,x1,y1,name2,x2,y2,mid_x,mid_y,observed,support_any,support_1,support_2\r\n"
              "O;extra,0,0,\"P,0\",0,-2,0,-1,1,100,100,0\r\n"
              "P3,-2,0,\"P,0\",0,-2,-1,-1,0,33.333333333333336,0,33.333333333333336\r\n"
              "# replicates in which the search found no start edge: 1 of 3, counted as crossing no edge\r\n");
}

TEST(SupportTable, SaysHowManyReplicatesHadNoDistancesAndNothingWhenAllWereSearched)
{
    MonmonierResult result = fanWithSupport();
    result.support.withoutStartEdge = 0;
    std::string table = SupportTable(result);
    EXPECT_EQ(table.find('#'), std::string::npos);
    result.support.withoutDistances = 2;
    table = SupportTable(result);
    EXPECT_TRUE(table.ends_with("\r\n# replicates without genetic distances (a pair without a common locus): 2 of 3, "
                                "counted as crossing no edge\r\n"))
        << table;
}

TEST(SupportTable, TheFileHoldsTheTableAndAMissingFolderIsAnError)
{
    const testing::TempFolder folder;
    const MonmonierResult result = fanWithSupport();
    const std::filesystem::path path = folder.path() / "support.csv";
    WriteSupportTableFile(path, result);
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(), SupportTable(result));
    EXPECT_THROW(WriteSupportTableFile(folder.path() / "no such folder" / "support.csv", result), AnalysisError);
}

} // namespace
} // namespace tessaloc
