#include "core/FieldReader.h"

#include "core/Errors.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <fstream>
#include <iterator>

namespace tessaloc {
namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}
bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

} // namespace

FieldReader::FieldReader(const std::filesystem::path& path, std::string role)
    : m_path(path)
    , m_role(std::move(role))
{
    std::ifstream in(path, std::ios::binary);
    const std::string shownPath = escapeControlCharacters(path.string());
    if (!in)
        throw AnalysisError("cannot open the " + m_role + " \"" + shownPath + "\": " + std::strerror(errno));
    if (std::filesystem::is_directory(path))
        throw AnalysisError("the " + m_role + " \"" + shownPath + "\" is a folder, not a file");
    m_content.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad())
        throw AnalysisError("cannot read the " + m_role + " \"" + shownPath + "\"");
    // Editors on other systems may start a text file with a UTF-8 byte order mark; it is no field.
    if (m_content.starts_with("\xEF\xBB\xBF"))
        m_position = 3;
}

FieldReader FieldReader::fromText(std::string content, std::string role, std::filesystem::path name,
                                  std::int64_t firstLine)
{
    FieldReader reader;
    reader.m_path = std::move(name);
    reader.m_role = std::move(role);
    reader.m_content = std::move(content);
    reader.m_line = firstLine;
    reader.m_fieldLine = firstLine;
    if (reader.m_content.starts_with("\xEF\xBB\xBF"))
        reader.m_position = 3;
    return reader;
}

std::string FieldReader::where() const
{
    return m_role + " \"" + escapeControlCharacters(m_path.string()) + "\", line " + std::to_string(m_fieldLine);
}

bool FieldReader::atLineEnd() const
{
    return m_position < m_content.size() && (m_content[m_position] == '\n' || m_content[m_position] == '\r');
}

void FieldReader::skipLineEnd()
{
    if (m_content[m_position] == '\r' && m_position + 1 < m_content.size() && m_content[m_position + 1] == '\n')
        ++m_position;
    ++m_position;
    ++m_line;
    m_atLineStart = true;
}

void FieldReader::skipBlanks()
{
    while (m_position < m_content.size() && isBlank(m_content[m_position]))
        ++m_position;
}

std::optional<std::string> FieldReader::nextText()
{
    const auto field = next(false);
    return field ? std::optional<std::string>(*field) : std::nullopt;
}
std::optional<std::string> FieldReader::nextNumber()
{
    const auto field = next(true);
    return field ? std::optional<std::string>(*field) : std::nullopt;
}

std::optional<std::string_view> FieldReader::next(bool numeric)
{
    m_fieldStartsLine = m_atLineStart;
    skipBlanks();
    m_fieldLine = m_line;
    if (m_position >= m_content.size()) {
        // After a final line end there is no further line; messages name the last one.
        if (m_position > 0 && (m_content.back() == '\n' || m_content.back() == '\r'))
            m_fieldLine = m_line - 1;
        return std::nullopt;
    }
    m_atLineStart = false;

    std::string_view value;
    const size_t size = m_content.size();
    if (m_content[m_position] == '"') {
        ++m_position;
        const size_t close = m_content.find('"', m_position);
        const size_t end = close == std::string::npos ? size : close;
        for (size_t i = m_position; i < end; ++i) {
            // A line end inside the quotes is part of the value but still counts for line numbers.
            if (m_content[i] == '\n' || (m_content[i] == '\r' && (i + 1 >= end || m_content[i + 1] != '\n')))
                ++m_line;
        }
        value = std::string_view(m_content).substr(m_position, end - m_position);
        m_position = close == std::string::npos ? size : close + 1;
        // Whatever stands between the closing quote and the separator is not part of the field.
        while (m_position < size && m_content[m_position] != ',' && !atLineEnd())
            ++m_position;
    } else {
        const size_t start = m_position;
        while (m_position < size && m_content[m_position] != ',' && !atLineEnd() &&
               !(numeric && isBlank(m_content[m_position])))
            ++m_position;
        size_t end = m_position;
        while (end > start && isBlank(m_content[end - 1]))
            --end;
        value = std::string_view(m_content).substr(start, end - start);
        if (numeric) {
            // A number followed by blanks may still be followed by its comma or line end; any
            // other character starts the next field.
            skipBlanks();
            if (m_position < size && m_content[m_position] != ',' && !atLineEnd())
                return value;
        }
    }

    if (m_position < size) {
        if (m_content[m_position] == ',')
            ++m_position;
        else
            skipLineEnd();
    }
    return value;
}

std::optional<double> parseDecimal(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);

    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }

    // Accept only digits, one optional point and an optional exponent; from_chars alone would also
    // take "inf", "nan" and hexadecimal forms.
    size_t i = 0;
    size_t mantissaDigits = 0;
    while (i < text.size() && isDigit(text[i]))
        ++i, ++mantissaDigits;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && isDigit(text[i]))
            ++i, ++mantissaDigits;
    }
    if (mantissaDigits == 0)
        return std::nullopt;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-'))
            ++i;
        const size_t exponentStart = i;
        while (i < text.size() && isDigit(text[i]))
            ++i;
        if (i == exponentStart)
            return std::nullopt;
    }
    if (i != text.size())
        return std::nullopt;

    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return negative ? -value : value;
}

} // namespace tessaloc
