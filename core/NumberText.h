#pragma once

#include <array>
#include <charconv>
#include <string>
#include <string_view>

namespace tessaloc {

/// Plain text form of a number: up to 15 significant digits as C's "%.15G" gives them, with the
/// zero before the point and no blanks ("0.5", "-0.25", "1E-05", "1.5E+15", "0"). Used for
/// captions, column widths and the grouping of observations into locations.
std::string plainText(double value);
/// Plain text form of a whole number ("1000", "-3").
std::string plainText(long long value);

/// The shortest text that reads back as exactly `value` ("0.1", "-2.5e-07", "1e+300"), for messages
/// that quote a value read from a file: two values that differ only in their last digits still
/// show different texts.
std::string shortestText(double value);

/// Print form of a number: the plain text form without a zero before the point of a fraction, with
/// one blank in front of a non-negative number (" .5", "-.25", " 1E-05", " 0"). Used when a number
/// is printed or joined into a message or progress text.
std::string printForm(double value);
/// Print form of a whole number (" 1000", "-3").
std::string printForm(long long value);
inline std::string printForm(int value)
{
    return printForm(static_cast<long long>(value));
}
/// Print form of a single-precision value, with 7 significant digits ("%.7G" of the float).
std::string printFormSingle(float value);
/// Plain text form of a single-precision value: 7 significant digits, the zero before the point and
/// no blanks ("0.5", "-12.25", "1.5E+09").
std::string plainTextSingle(float value);

/// The shortest text that reads back to the same double ("0.1", "33.333333333333336", "1e+300"),
/// with "." as the decimal point whatever the locale: the numbers of the files other programs read
/// (grids, tables). Kept in a buffer of its own, so that writing millions of them allocates nothing.
class ExactNumber {
public:
    explicit ExactNumber(double value)
    {
        const auto result = std::to_chars(m_text.data(), m_text.data() + m_text.size(), value);
        m_length = static_cast<size_t>(result.ptr - m_text.data());
    }
    std::string_view view() const { return {m_text.data(), m_length}; }

private:
    // The longest shortest form of a double ("-2.2250738585072014e-308") has 24 characters.
    std::array<char, 32> m_text{};
    size_t m_length = 0;
};

/// The number masks of the reports. Each always shows its fixed number of decimals; the masks
/// starting with '.' or '#' drop a zero integer part (".5000000000", "-.2500000000"), those
/// starting with '0' keep it.
enum class NumberMask {
    Point10,    ///< ".#########0": 10 decimals, no zero before the point
    Point11,    ///< ".##########0": 11 decimals, no zero before the point
    Hash9,      ///< "#.000000000": 9 decimals, no zero before the point
    Hash5,      ///< "#.00000": 5 decimals, no zero before the point
    ZeroPoint9, ///< "0.########0": 9 decimals, zero kept
    ZeroPoint5, ///< "0.00000": 5 decimals, zero kept
};

/// The number written through a mask (rounded as printf's "%.Nf" rounds).
std::string formatMask(double value, NumberMask mask);

/// A statistic as the Mantel-style reports write it: through the Point10 mask.
inline std::string statisticText(double value)
{
    return formatMask(value, NumberMask::Point10);
}

} // namespace tessaloc
