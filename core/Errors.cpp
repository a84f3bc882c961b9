#include "core/Errors.h"

#include <algorithm>
#include <cmath>

namespace tessaloc {

namespace {

constexpr char kHexDigits[] = "0123456789abcdef";

void appendEscaped(std::string& escaped, unsigned char byte)
{
    escaped += "\\x";
    escaped += kHexDigits[byte >> 4];
    escaped += kHexDigits[byte & 0xF];
}

// The length of the well-formed UTF-8 character that starts at `text[at]` (a byte from 0x80 on), or
// 0 when none starts there.
size_t utf8CharacterLength(std::string_view text, size_t at)
{
    const auto byteAt = [&](size_t k) { return static_cast<unsigned char>(k < text.size() ? text[k] : 0); };
    const unsigned char lead = byteAt(at);
    size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    for (size_t k = 1; k < length; ++k) {
        const unsigned char next = byteAt(at + k);
        if (next < (k == 1 ? low : 0x80) || next > (k == 1 ? high : 0xBF))
            return 0;
    }
    return length;
}

} // namespace

std::string escapeControlCharacters(std::string_view text)
{
    std::string escaped;
    escaped.reserve(text.size());
    for (size_t k = 0; k < text.size();) {
        const auto byte = static_cast<unsigned char>(text[k]);
        if (byte < 0x80) {
            if (byte < 0x20 || byte == 0x7F)
                appendEscaped(escaped, byte);
            else
                escaped += text[k];
            ++k;
            continue;
        }
        if (const size_t length = utf8CharacterLength(text, k); length > 0) {
            // U+0080 to U+009F are the C1 controls written in UTF-8.
            const bool control = byte == 0xC2 && static_cast<unsigned char>(text[k + 1]) <= 0x9F;
            for (size_t part = 0; part < length; ++part) {
                if (control)
                    appendEscaped(escaped, static_cast<unsigned char>(text[k + part]));
                else
                    escaped += text[k + part];
            }
            k += length;
            continue;
        }
        // A byte of a single-byte text (Latin-1), where 0x80 to 0x9F are the C1 controls.
        if (byte <= 0x9F)
            appendEscaped(escaped, byte);
        else
            escaped += text[k];
        ++k;
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
