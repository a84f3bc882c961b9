#include "core/Errors.h"

#include <algorithm>
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
    std::string quoted = "\"" + escapeControlCharacters(field.substr(0, kQuotedFieldLength));
    quoted += cut ? "...\"" : "\"";
    return quoted;
}

std::string quotedFieldList(const std::vector<std::string>& fields, size_t shown)
{
    std::string list;
    for (size_t k = 0; k < std::min(fields.size(), shown); ++k)
        list += (k == 0 ? "" : ", ") + quotedField(fields[k]);
    if (fields.size() > shown)
        list += ", ...";
    return list;
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
