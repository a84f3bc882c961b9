#include "core/NumberText.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <random>

namespace tessaloc {
namespace {

TEST(PlainText, UsesFifteenSignificantDigitsAndExponentForm)
{
    EXPECT_EQ(plainText(0.5), "0.5");
    EXPECT_EQ(plainText(-0.25), "-0.25");
    EXPECT_EQ(plainText(1e-5), "1E-05");
    EXPECT_EQ(plainText(1.5e15), "1.5E+15");
    EXPECT_EQ(plainText(0.0), "0");
    EXPECT_EQ(plainText(-0.0), "0");
    EXPECT_EQ(plainText(1.0 / 3.0), "0.333333333333333");
    EXPECT_EQ(plainText(0.0001), "0.0001");
    EXPECT_EQ(plainText(123456789012345.0), "123456789012345");
    EXPECT_EQ(plainText(1234567890123456.0), "1.23456789012346E+15");
    EXPECT_EQ(plainText(1e300), "1E+300");
    EXPECT_EQ(plainText(-2.5e-300), "-2.5E-300");
    EXPECT_EQ(plainText(DBL_MAX), "1.79769313486232E+308");
    EXPECT_EQ(plainText(4.9406564584124654e-324), "4.94065645841247E-324");
    EXPECT_EQ(plainText(1000LL), "1000");
}

TEST(PrintForm, AddsSignColumnAndDropsZeroBeforeThePoint)
{
    EXPECT_EQ(printForm(0.5), " .5");
    EXPECT_EQ(printForm(-0.25), "-.25");
    EXPECT_EQ(printForm(1e-5), " 1E-05");
    EXPECT_EQ(printForm(-1.5e15), "-1.5E+15");
    EXPECT_EQ(printForm(0.0), " 0");
    EXPECT_EQ(printForm(2.0), " 2");
    EXPECT_EQ(printForm(10.25), " 10.25");
    EXPECT_EQ(printForm(1000), " 1000");
    EXPECT_EQ(printForm(-3), "-3");
    EXPECT_EQ(printForm(0), " 0");
}

TEST(PrintForm, SinglePrecisionShowsSevenDigitsOfTheFloat)
{
    EXPECT_EQ(printFormSingle(0.1f), " .1");
    EXPECT_EQ(printFormSingle(1.0f / 3.0f), " .3333333");
    EXPECT_EQ(printFormSingle(-2.0f / 3.0f), "-.6666667");
    EXPECT_EQ(printFormSingle(1.5e20f), " 1.5E+20");
    EXPECT_EQ(printFormSingle(123456789.0f), " 1.234568E+08");
}

TEST(PlainText, SinglePrecisionKeepsTheZeroAndNoBlank)
{
    EXPECT_EQ(plainTextSingle(0.1f), "0.1");
    EXPECT_EQ(plainTextSingle(-2.0f / 3.0f), "-0.6666667");
    EXPECT_EQ(plainTextSingle(-0.0f), "0");
    EXPECT_EQ(plainTextSingle(123456789.0f), "1.234568E+08");
}

TEST(FormatMask, PointMasksDropTheZeroIntegerPart)
{
    EXPECT_EQ(formatMask(0.5, NumberMask::Point10), ".5000000000");
    EXPECT_EQ(formatMask(-0.25, NumberMask::Point10), "-.2500000000");
    EXPECT_EQ(formatMask(0.0, NumberMask::Point10), ".0000000000");
    EXPECT_EQ(formatMask(1.5, NumberMask::Point10), "1.5000000000");
    EXPECT_EQ(formatMask(1.0 / 3.0, NumberMask::Point11), ".33333333333");
    EXPECT_EQ(formatMask(12.3456, NumberMask::Hash9), "12.345600000");
    EXPECT_EQ(formatMask(-0.123456, NumberMask::Hash5), "-.12346");
    EXPECT_EQ(formatMask(1e20, NumberMask::Hash5), "100000000000000000000.00000");
}

TEST(FormatMask, ZeroMasksKeepTheZero)
{
    EXPECT_EQ(formatMask(0.5, NumberMask::ZeroPoint9), "0.500000000");
    EXPECT_EQ(formatMask(-1.25, NumberMask::ZeroPoint9), "-1.250000000");
    EXPECT_EQ(formatMask(-0.25, NumberMask::ZeroPoint5), "-0.25000");
    EXPECT_EQ(formatMask(2.0, NumberMask::ZeroPoint5), "2.00000");
}

TEST(FormatMask, HugeValuesAreWrittenInFull)
{
    const std::string text = formatMask(DBL_MAX, NumberMask::Point10);
    EXPECT_EQ(text.size(), 309u + 11u);
    EXPECT_EQ(text.substr(0, 6), "179769");
    EXPECT_EQ(text.substr(text.size() - 11), ".0000000000");
}

// The number texts are defined by C's printf; the fast formatting must agree with it everywhere.
TEST(NumberText, AgreesWithPrintfOverManyMagnitudes)
{
    std::mt19937_64 engine(2026);
    std::uniform_real_distribution<double> mantissa(-10.0, 10.0);
    std::uniform_int_distribution<int> exponent(-320, 300);
    char buffer[512];
    for (int k = 0; k < 20000; ++k) {
        const double value =
            k % 4 == 0 ? std::round(mantissa(engine) * 1e4) / 1e4 : mantissa(engine) * std::pow(10.0, exponent(engine));
        std::snprintf(buffer, sizeof buffer, "%.15G", value == 0.0 ? 0.0 : value);
        ASSERT_EQ(plainText(value), buffer) << value;
        if (std::abs(value) < 1e30) {
            std::snprintf(buffer, sizeof buffer, "%.10f", value);
            std::string expected = buffer;
            if (expected.starts_with("0."))
                expected.erase(0, 1);
            else if (expected.starts_with("-0."))
                expected.erase(1, 1);
            ASSERT_EQ(formatMask(value, NumberMask::Point10), expected) << value;
            std::snprintf(buffer, sizeof buffer, "%.5f", value);
            ASSERT_EQ(formatMask(value, NumberMask::ZeroPoint5), buffer) << value;
        }
        const float single = static_cast<float>(value);
        if (std::isfinite(single) && single != 0.0f) {
            std::snprintf(buffer, sizeof buffer, "%.7G", static_cast<double>(single));
            std::string expected = buffer;
            if (expected.starts_with("0."))
                expected.erase(0, 1);
            else if (expected.starts_with("-0."))
                expected.erase(1, 1);
            if (!expected.starts_with('-'))
                expected.insert(expected.begin(), ' ');
            ASSERT_EQ(printFormSingle(single), expected) << value;
        }
    }
}

TEST(ExactNumber, IsTheShortestTextThatReadsBack)
{
    // Python 3's repr gives the same shortest round-trip forms: repr(100 / 3), repr(100 * 7 / 1000), ...
    EXPECT_EQ(ExactNumber(100.0 / 3).view(), "33.333333333333336");
    EXPECT_EQ(ExactNumber(100.0 * 7 / 1000).view(), "0.7");
    EXPECT_EQ(ExactNumber(100.0 * 2 / 3).view(), "66.66666666666667");
    EXPECT_EQ(ExactNumber(50.0).view(), "50");
    EXPECT_EQ(ExactNumber(-0.5).view(), "-0.5");
    EXPECT_EQ(ExactNumber(1e300).view(), "1e+300");
}

} // namespace
} // namespace tessaloc
