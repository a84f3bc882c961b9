#pragma once

namespace tessaloc {

// The largest double is 1.7976931348623157E+308. Running minima and maxima, and searches for the
// largest or smallest value, start just inside it, from the value written with 15 or with 14
// significant digits (rounded down, so that it stays finite). Which of the two a computation starts
// from decides which extreme values it still takes, so each keeps its own.

/// 1.79769313486231E+308: the largest double written with 15 significant digits.
inline constexpr double kNearMaximum15Digits = 1.79769313486231E+308;

/// 1.7976931348623E+308: the largest double written with 14 significant digits.
inline constexpr double kNearMaximum14Digits = 1.7976931348623E+308;

} // namespace tessaloc
