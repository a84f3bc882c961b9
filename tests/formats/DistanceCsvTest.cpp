#include "formats/DistanceCsv.h"

#include <gtest/gtest.h>

namespace tessaloc {
namespace {

TEST(DistanceMatrixCsv, HeaderRowsAndQuoting)
{
    PackedDistances m(3);
    m.setPair(0, 1, 0.5);
    m.setPair(0, 2, 1e-5);
    m.setPair(1, 2, 2.0 / 3.0);
    const std::string csv = DistanceMatrixCsv({"A", "Pop 1, tree \"3\"", " padded"}, m);
    EXPECT_EQ(csv, ",A,\"Pop 1, tree \"\"3\"\"\",\" padded\"\r\n"
                   "A,0,0.5,1E-05\r\n"
                   "\"Pop 1, tree \"\"3\"\"\",0.5,0,0.666666666666667\r\n"
                   "\" padded\",1E-05,0.666666666666667,0\r\n");
}

} // namespace
} // namespace tessaloc
