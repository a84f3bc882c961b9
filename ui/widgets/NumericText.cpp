#include "ui/widgets/NumericText.h"

#include "core/FieldReader.h"
#include "core/NumberText.h"

#include <QByteArray>

#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <string_view>

namespace tessaloc::ui {

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

/// The number of digits in `text` from `from` on.
size_t digitsFrom(std::string_view text, size_t from)
{
    size_t end = from;
    while (end < text.size() && isDigit(text[end]))
        ++end;
    return end - from;
}

/// The power of ten of the first significant digit of the well-formed decimal `number` that is not
/// zero ("123.4" gives 2, "-0.05" gives -2, "5e3" gives 3): enough to tell a number too large for a
/// double from one too small.
long long decimalMagnitude(std::string_view number)
{
    size_t i = (number.front() == '+' || number.front() == '-') ? 1 : 0;
    long long magnitude = -1;
    bool significant = false;
    for (; i < number.size() && isDigit(number[i]); ++i) {
        significant = significant || number[i] != '0';
        if (significant)
            ++magnitude;
    }
    if (i < number.size() && number[i] == '.') {
        for (++i; i < number.size() && isDigit(number[i]); ++i) {
            if (significant)
                continue;
            if (number[i] != '0')
                significant = true;
            else
                --magnitude;
        }
    }
    if (i < number.size()) { // the exponent
        std::string_view exponent = number.substr(i + 1);
        if (exponent.front() == '+')
            exponent.remove_prefix(1);
        long long value = 0;
        if (std::from_chars(exponent.data(), exponent.data() + exponent.size(), value).ec != std::errc())
            value = exponent.front() == '-' ? std::numeric_limits<int>::min() : std::numeric_limits<int>::max();
        magnitude += value;
    }
    return magnitude;
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
    // Characters beyond Latin-1 become '?', which ends a number as any other letter does.
    const QByteArray bytes = text.toLatin1();
    const std::string_view all(bytes.constData(), static_cast<size_t>(bytes.size()));
    size_t start = 0;
    while (start < all.size() && (all[start] == ' ' || all[start] == '\t'))
        ++start;
    size_t end = start;
    if (end < all.size() && (all[end] == '+' || all[end] == '-'))
        ++end;
    size_t digits = digitsFrom(all, end);
    end += digits;
    if (end < all.size() && all[end] == '.') {
        const size_t fraction = digitsFrom(all, end + 1);
        digits += fraction;
        end += 1 + fraction;
    }
    if (digits == 0)
        return 0.0;
    // An exponent counts only when digits follow it ("2e" is 2, "2e3" is 2000).
    if (end < all.size() && (all[end] == 'e' || all[end] == 'E')) {
        size_t exponent = end + 1;
        if (exponent < all.size() && (all[exponent] == '+' || all[exponent] == '-'))
            ++exponent;
        if (const size_t exponentDigits = digitsFrom(all, exponent); exponentDigits > 0)
            end = exponent + exponentDigits;
    }

    // The number is read the same way whatever the user's locale: the point is the decimal point.
    const std::string_view number = all.substr(start, end - start);
    if (const std::optional<double> value = parseDecimal(number))
        return *value;
    // The number is well formed, so only its magnitude can be refused: too large a number gives the
    // largest double of its sign, too small a one 0.
    if (decimalMagnitude(number) < 0)
        return 0.0;
    return number.front() == '-' ? std::numeric_limits<double>::lowest() : std::numeric_limits<double>::max();
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

QString reportNumberText(double value)
{
    return QString::fromStdString(statisticText(value));
}

QString observationName(const std::vector<std::string>& names, int index)
{
    const auto at = static_cast<size_t>(index);
    return at < names.size() ? QString::fromLatin1(names[at]) : QString::number(index + 1);
}

} // namespace tessaloc::ui
