#include "ui/NumericText.h"

#include "core/NumberText.h"

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

namespace tessaloc::ui {

namespace {

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

std::int32_t clamp32(double value)
{
    if (std::isnan(value))
        return 0;
    constexpr double lowest = std::numeric_limits<std::int32_t>::min();
    constexpr double highest = std::numeric_limits<std::int32_t>::max();
    if (value <= lowest)
        return std::numeric_limits<std::int32_t>::min();
    if (value >= highest)
        return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(value);
}

} // namespace

double numericValue(const QString& text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && (text[i] == QLatin1Char(' ') || text[i] == QLatin1Char('\t')))
        ++i;
    std::string number;
    if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-')))
        number += static_cast<char>(text[i++].unicode());
    bool digits = false;
    while (i < n && isDigit(text[i])) {
        number += static_cast<char>(text[i++].unicode());
        digits = true;
    }
    if (i < n && text[i] == QLatin1Char('.')) {
        number += '.';
        ++i;
        while (i < n && isDigit(text[i])) {
            number += static_cast<char>(text[i++].unicode());
            digits = true;
        }
    }
    if (!digits)
        return 0.0;
    // An exponent counts only when digits follow it ("2e" is 2, "2e3" is 2000).
    if (i < n && (text[i] == QLatin1Char('e') || text[i] == QLatin1Char('E'))) {
        qsizetype j = i + 1;
        std::string exponent = "e";
        if (j < n && (text[j] == QLatin1Char('+') || text[j] == QLatin1Char('-')))
            exponent += static_cast<char>(text[j++].unicode());
        bool exponentDigits = false;
        while (j < n && isDigit(text[j])) {
            exponent += static_cast<char>(text[j++].unicode());
            exponentDigits = true;
        }
        if (exponentDigits)
            number += exponent;
    }
    const double value = std::strtod(number.c_str(), nullptr);
    return std::isfinite(value)
               ? value
               : (value > 0 ? std::numeric_limits<double>::max() : std::numeric_limits<double>::lowest());
}

std::int32_t roundHalfEven32(double value)
{
    // nearbyint rounds in the default mode, to nearest with ties to even.
    return clamp32(std::nearbyint(value));
}

std::int32_t floor32(double value)
{
    return clamp32(std::floor(value));
}

QString printFormText(long long value)
{
    return QString::fromStdString(printForm(value));
}

} // namespace tessaloc::ui
