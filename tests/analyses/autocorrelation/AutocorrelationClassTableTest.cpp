// The class table: its head line, the shortest exact numbers, NA and the notes, and a file written whole.

#include "analyses/autocorrelation/Autocorrelation.h"
#include "tests/support/TempFiles.h"

#include "core/Errors.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

namespace tessaloc {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Two classes worked out by hand; the second has no interval and no Mantel r.
AutocorrelationResult twoClasses()
{
    AutocorrelationResult result;
    result.permutations = 999;
    result.distogram.classCount = 2;
    result.distogram.lowerLimit = {0.0, 2.5};
    result.distogram.upperLimit = {2.5, 6.0};
    result.distogram.ay = {0.1, 1.0 / 3.0};
    result.pairCounts = {4, 6};
    result.upperTailP = {0.998, 1e-5};
    result.lowerTailP = {0.003, 1.0};
    result.twoSidedP = {0.006, 2e-5};
    result.holmP = {0.006, 0.012};
    result.envelope = {{0.125, 0.75}, {0.25, 0.5}};
    result.confidence = {{0.05, 0.2}, {}};
    result.intervalGaps = {IntervalGap::None, IntervalGap::TooFewDistinctValues};
    result.correlogram.r = {0.5, kNaN};
    result.correlogram.p = {0.001, kNaN};
    result.correlogram.holmP = {0.001, kNaN};
    return result;
}

TEST(AutocorrelationClassTable, HeadLineAndRowsAsWorkedOut)
{
    // 1/3 reads back only with all 17 digits; the others in their shortest form.
    const std::string expected =
        "class,lower,upper,pairs,ay,p_upper,p_lower,p_two_sided,p_holm,envelope_low,envelope_high,ci_low,ci_high,"
        "mantel_r,mantel_p,mantel_p_holm,note\r\n"
        "1,0,2.5,4,0.1,0.998,0.003,0.006,0.006,0.125,0.75,0.05,0.2,0.5,0.001,0.001,\r\n"
        "2,2.5,6,6,0.3333333333333333,1e-05,1,2e-05,0.012,0.25,0.5,NA,NA,NA,NA,NA,"
        "no interval: the resamples gave fewer than 2 distinct values of Ay; Mantel r undefined\r\n";
    EXPECT_EQ(AutocorrelationClassTable(twoClasses()), expected);
}

TEST(AutocorrelationClassTable, EveryGapHasItsNote)
{
    struct Case {
        IntervalGap gap;
        const char* note;
    };
    for (const Case& c :
         {Case{IntervalGap::None, ""}, Case{IntervalGap::BootstrapOff, "no interval: no bootstrap resamples"},
          Case{IntervalGap::NothingToResample, "no interval: no locus or site to resample"},
          Case{IntervalGap::NoUsableResample, "no interval: every resample left a pair without a common locus"}})
        EXPECT_EQ(intervalGapText(c.gap), c.note);
}

TEST(AutocorrelationClassTable, NumbersReadBackExactly)
{
    AutocorrelationResult result = twoClasses();
    result.distogram.ay = {0.1 + 0.2, std::nextafter(1.0, 0.0)};
    result.distogram.upperLimit = {2.5e-300, 1.7976931348623157e308};
    std::istringstream table(AutocorrelationClassTable(result));
    std::string line;
    std::getline(table, line);
    for (size_t f = 0; f < 2; ++f) {
        ASSERT_TRUE(std::getline(table, line));
        std::vector<std::string> fields;
        std::istringstream row(line);
        for (std::string field; std::getline(row, field, ',');)
            fields.push_back(field);
        for (const auto& [column, value] :
             {std::pair{2, result.distogram.upperLimit[f]}, std::pair{4, result.distogram.ay[f]}}) {
            double back = 0.0;
            const std::string& text = fields[static_cast<size_t>(column)];
            std::from_chars(text.data(), text.data() + text.size(), back);
            EXPECT_EQ(back, value) << text;
        }
    }
}

TEST(AutocorrelationClassTable, TheFileIsWrittenWholeOrNotAtAll)
{
    testing::TempFolder folder;
    const std::filesystem::path path = folder.path() / "classes.csv";
    WriteAutocorrelationClassTableFile(path, twoClasses());
    EXPECT_EQ(testing::readFile(path), AutocorrelationClassTable(twoClasses()));
    EXPECT_EQ(testing::fileNamesIn(folder.path()), std::vector<std::string>{"classes.csv"});

    const std::filesystem::path nowhere = folder.path() / "missing" / "classes.csv";
    try {
        WriteAutocorrelationClassTableFile(nowhere, twoClasses());
        ADD_FAILURE() << "wrote into a folder that does not exist";
    } catch (const AnalysisError& error) {
        EXPECT_EQ(std::string(error.what()), "cannot write the class table \"" + nowhere.string() +
                                                 "\": there is no folder \"" + nowhere.parent_path().string() + "\"");
    }
    EXPECT_EQ(testing::fileNamesIn(folder.path()), std::vector<std::string>{"classes.csv"});
}

} // namespace
} // namespace tessaloc
