#pragma once

#include <QString>

#include <cstdint>
#include <string>
#include <vector>

namespace tessaloc::ui {

/// The numeric value of a text box: the number at the start of the text after leading blanks
/// (optional sign, digits, decimal point, exponent), 0 when the text does not start with a number.
/// "  1000" gives 1000, "12abc" gives 12, "abc" and "" give 0. The decimal point is "." in every
/// locale ("99,5" gives 99). A number beyond the range of a double gives the largest double of its
/// sign, one too close to 0 gives 0.
double numericValue(const QString& text);

/// `value` rounded to the nearest whole number, halves to the even neighbour (99.5 -> 100,
/// 98.5 -> 98), held within the 32-bit range so that a huge entry cannot overflow.
std::int32_t roundHalfEven32(double value);

/// The whole number at or below `value` (2.9 -> 2, -0.5 -> -1), held within the 32-bit range.
std::int32_t floor32(double value);

/// A whole number as the options windows show it: one blank before a non-negative number.
QString printFormText(long long value);

/// A value as the reports write it (ten decimals, "." as the point), for tool tips and tables
/// beside a report.
QString reportNumberText(double value);

/// The name of observation `index` (from 0), or its number from 1 when `names` holds none for it.
QString observationName(const std::vector<std::string>& names, int index);

} // namespace tessaloc::ui
