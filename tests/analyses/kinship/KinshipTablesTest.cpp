// The class table and the summary: their exact head lines, a row per class and per statistic,
// empty cells where a value does not exist, numbers that read back to the values of the result.

#include "analyses/kinship/Kinship.h"
#include "tests/analyses/kinship/KinshipTestData.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <sstream>

namespace tessaloc {
namespace {

std::vector<std::vector<std::string>> csvRows(const std::string& text)
{
    std::vector<std::vector<std::string>> rows;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        EXPECT_FALSE(line.empty() || line.back() != '\r') << "every line ends CR LF";
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        std::vector<std::string> cells;
        std::string cell;
        std::istringstream fields(line);
        while (std::getline(fields, cell, ','))
            cells.push_back(cell);
        if (!line.empty() && line.back() == ',')
            cells.emplace_back();
        rows.push_back(cells);
    }
    return rows;
}

// The cell reads back exactly as the value, or is empty where the value does not exist.
void expectCell(const std::string& cell, double value, const std::string& what)
{
    if (std::isnan(value)) {
        EXPECT_EQ(cell, "") << what;
        return;
    }
    EXPECT_EQ(std::strtod(cell.c_str(), nullptr), value) << what << ": " << cell;
}

KinshipResult mixedResult()
{
    const testing::MixedTable data;
    KinshipSettings settings;
    settings.classBounds = {0.5, 2.0, 4.5};
    settings.permutations.count = 49;
    RandomUniform random(5, 7);
    return ComputeKinship(data.table, DataType::Codominant, data.geographic, settings, random, RunListener::none());
}

TEST(KinshipTables, ClassTableHasTheHeadLineAndARowPerClass)
{
    const KinshipResult result = mixedResult();
    const auto rows = csvRows(KinshipClassTable(result));
    ASSERT_EQ(rows.size(), result.rows.size() + 1);
    EXPECT_EQ(KinshipClassTable(result).substr(0, KinshipClassTable(result).find('\r')),
              "class,lower,upper,pairs,mean_distance,kinship,kinship_se,p_lower,p_upper,p_two_sided,p_holm,a,a_se");
    for (size_t c = 0; c < result.rows.size(); ++c) {
        const auto& cells = rows[c + 1];
        ASSERT_EQ(cells.size(), 13u) << c;
        const KinshipClassRow& row = result.rows[c];
        EXPECT_EQ(cells[0], std::to_string(c + 1));
        expectCell(cells[1], row.lower, "lower");
        expectCell(cells[2], row.upper, "upper");
        EXPECT_EQ(cells[3], std::to_string(row.pairs));
        expectCell(cells[4], row.meanDistance, "mean distance");
        expectCell(cells[5], row.kinship.estimate, "kinship");
        expectCell(cells[6], row.kinship.jackknifeSe, "kinship SE");
        expectCell(cells[7], row.kinship.pLower, "p lower");
        expectCell(cells[8], row.kinship.pUpper, "p upper");
        expectCell(cells[9], row.kinship.pTwoSided, "p two-sided");
        expectCell(cells[10], row.pHolm, "p Holm");
        expectCell(cells[11], row.rousset.estimate, "a");
        expectCell(cells[12], row.rousset.jackknifeSe, "a SE");
    }
}

TEST(KinshipTables, AnEmptyClassHasEmptyCells)
{
    // Class 1 (0 to 0.5) holds only the co-located pair; class 2 (0.5 to 2) none.
    const KinshipResult result = mixedResult();
    ASSERT_EQ(result.rows[1].pairs, 0);
    const auto rows = csvRows(KinshipClassTable(result));
    EXPECT_EQ(rows[2], (std::vector<std::string>{"2", "0.5", "2", "0", "", "", "", "", "", "", "", "", ""}));
}

TEST(KinshipTables, SummaryHasTheHeadLineAndItsSixStatistics)
{
    const KinshipResult result = mixedResult();
    const std::string text = KinshipSummaryTable(result);
    const auto rows = csvRows(text);
    ASSERT_EQ(rows.size(), 7u);
    EXPECT_EQ(text.substr(0, text.find('\r')), "statistic,estimate,jackknife_se,p_two_sided");
    const std::pair<const char*, const KinshipEstimate*> statistics[] = {
        {"b_lin", &result.bLin}, {"b_log", &result.bLog},     {"F1", &result.f1},
        {"Sp", &result.sp},      {"a_slope", &result.aSlope}, {"Nb", &result.nb}};
    for (size_t s = 0; s < 6; ++s) {
        const auto& cells = rows[s + 1];
        ASSERT_EQ(cells.size(), 4u) << s;
        EXPECT_EQ(cells[0], statistics[s].first);
        expectCell(cells[1], statistics[s].second->estimate, cells[0]);
        expectCell(cells[2], statistics[s].second->jackknifeSe, cells[0]);
        expectCell(cells[3], statistics[s].second->pTwoSided, cells[0]);
    }
    // F1, Sp and Nb are not tested: their P cells are empty.
    EXPECT_EQ(rows[3][3], "");
    EXPECT_EQ(rows[4][3], "");
    EXPECT_EQ(rows[6][3], "");
    EXPECT_NE(rows[1][3], "");
}

} // namespace
} // namespace tessaloc
