#include "core/Errors.h"

#include <cmath>

namespace tessaloc {

std::string escapeControlCharacters(std::string_view text)
{
    static constexpr char kHexDigits[] = "0123456789abcdef";
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            escaped += "\\x";
            escaped += kHexDigits[byte >> 4];
            escaped += kHexDigits[byte & 0xF];
        } else {
            escaped += c;
        }
    }
    return escaped;
}

std::string quotedField(std::string_view field)
{
    const bool cut = field.size() > kQuotedFieldLength;
    // Appended piece by piece: GCC 12 at -O2 and above takes `"\"" + std::string` for an overlapping
    // copy and warns (-Wrestrict), though the copy is sound.
    std::string quoted = "\"";
    quoted += escapeControlCharacters(field.substr(0, kQuotedFieldLength));
    quoted += cut ? "...\"" : "\"";
    return quoted;
}

double requireFinite(double value, std::string_view what)
{
    if (std::isfinite(value))
        return value;
    std::string reason(what);
    reason += std::isnan(value) ? " is undefined (not a number)" : " overflows";
    throw AnalysisError(reason);
}

} // namespace tessaloc
