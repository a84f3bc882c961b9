#include "formats/DistanceCsv.h"

#include <gtest/gtest.h>

namespace tessaloc {
namespace {

TEST(DistanceMatrixCsv, HeaderRowsQuotingAndNumbersThatReadBackExactly)
{
    PackedDistances m(3);
    m.setPair(0, 1, 0.5);
    m.setPair(0, 2, 1e-5);
    m.setPair(1, 2, 2.0 / 3.0);
    const std::string csv = DistanceMatrixCsv({"A", "Pop 1, tree \"3\"", " padded"}, m);
    // 2/3 needs 16 digits to read back as itself (0.666666666666667 is another double).
    EXPECT_EQ(csv, ",A,\"Pop 1, tree \"\"3\"\"\",\" padded\"\r\n"
                   "A,0,0.5,1e-05\r\n"
                   "\"Pop 1, tree \"\"3\"\"\",0.5,0,0.6666666666666666\r\n"
                   "\" padded\",1e-05,0.6666666666666666,0\r\n");
}

} // namespace
} // namespace tessaloc
