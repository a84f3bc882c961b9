#include "core/NumberText.h"

#include <cstdio>

namespace tessaloc {
namespace {

std::string formatted(const char* format, double value)
{
    char buffer[512];
    const int length = std::snprintf(buffer, sizeof buffer, format, value);
    if (length < 0)
        return {};
    if (static_cast<size_t>(length) < sizeof buffer)
        return std::string(buffer, static_cast<size_t>(length));
    // "%.Nf" of a huge value needs more room than the usual few dozen characters.
    std::string large(static_cast<size_t>(length) + 1, '\0');
    std::snprintf(large.data(), large.size(), format, value);
    large.resize(static_cast<size_t>(length));
    return large;
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
    return formatted("%.15G", value);
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
    return withSignColumn(withoutLeadingZero(formatted("%.7G", static_cast<double>(value))));
}

std::string formatMask(double value, NumberMask mask)
{
    switch (mask) {
    case NumberMask::Point10:
        return withoutLeadingZero(formatted("%.10f", value));
    case NumberMask::Point11:
        return withoutLeadingZero(formatted("%.11f", value));
    case NumberMask::Hash9:
        return withoutLeadingZero(formatted("%.9f", value));
    case NumberMask::Hash5:
        return withoutLeadingZero(formatted("%.5f", value));
    case NumberMask::ZeroPoint10:
        return formatted("%.10f", value);
    case NumberMask::ZeroPoint5:
        return formatted("%.5f", value);
    }
    return {};
}

} // namespace tessaloc
