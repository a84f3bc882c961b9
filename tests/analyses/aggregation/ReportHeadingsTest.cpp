#include "core/ReportHeadings.h"

#include <gtest/gtest.h>

#include <string>

namespace tessaloc {
namespace {

TEST(ReportHeadings, DataTypeLineNamesEachDataType)
{
    EXPECT_EQ(std::string(DataTypeLine(DataType::Codominant)), "Data type = 1 (alleles from codominant loci)");
    EXPECT_EQ(std::string(DataTypeLine(DataType::Genotypes)), "Data type = 2 (codominant genotypes or dominant markers)");
    EXPECT_EQ(std::string(DataTypeLine(DataType::Sequences)), "Data type = 3 (DNA/Protein sequence data)");
    EXPECT_EQ(DataTypeLine(static_cast<DataType>(0)), nullptr) << "no line for another value";
}

} // namespace
} // namespace tessaloc
