#include "core/NumberText.h"

#include <charconv>
#include <system_error>

namespace tessaloc {
namespace {

// printf's "%.<precision>G" and "%.<precision>f", through std::to_chars, which is specified to give
// the same digits as printf in the C locale and is several times faster: large reports format
// millions of numbers.
std::string general(double value, int precision)
{
    char buffer[64];
    const auto [end, error] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, precision);
    std::string text(buffer, error == std::errc() ? end : buffer);
    for (char& c : text) {
        if (c == 'e')
            c = 'E';
        else if (c >= 'a' && c <= 'z') // "inf" and "nan" as printf's upper-case form writes them
            c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

std::string fixed(double value, int decimals)
{
    char buffer[400];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    return std::string(buffer, error == std::errc() ? end : buffer);
}

// "0.5" becomes ".5" and "-0.5" becomes "-.5"; everything else is left as it is.
std::string withoutLeadingZero(std::string text)
{
    if (text.starts_with("0."))
        text.erase(0, 1);
    else if (text.starts_with("-0."))
        text.erase(1, 1);
    return text;
}

std::string withSignColumn(std::string text)
{
    if (!text.starts_with('-'))
        text.insert(text.begin(), ' ');
    return text;
}

} // namespace

std::string plainText(double value)
{
    // A negative zero is still zero to the user.
    if (value == 0.0)
        value = 0.0;
    return general(value, 15);
}

std::string shortestText(double value)
{
    char buffer[32];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, error == std::errc() ? end : buffer);
}

std::string plainText(long long value)
{
    return std::to_string(value);
}

std::string printForm(double value)
{
    return withSignColumn(withoutLeadingZero(plainText(value)));
}

std::string printForm(long long value)
{
    return withSignColumn(std::to_string(value));
}

std::string printFormSingle(float value)
{
    if (value == 0.0f)
        value = 0.0f;
    return withSignColumn(withoutLeadingZero(general(static_cast<double>(value), 7)));
}

std::string plainTextSingle(float value)
{
    if (value == 0.0f)
        value = 0.0f;
    return general(static_cast<double>(value), 7);
}

std::string formatMask(double value, NumberMask mask)
{
    switch (mask) {
    case NumberMask::Point10:
        return withoutLeadingZero(fixed(value, 10));
    case NumberMask::Point11:
        return withoutLeadingZero(fixed(value, 11));
    case NumberMask::Hash9:
        return withoutLeadingZero(fixed(value, 9));
    case NumberMask::Hash5:
        return withoutLeadingZero(fixed(value, 5));
    case NumberMask::ZeroPoint9:
        return fixed(value, 9);
    case NumberMask::ZeroPoint5:
        return fixed(value, 5);
    }
    return {};
}

} // namespace tessaloc
