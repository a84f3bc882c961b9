#include "formats/GenotypeText.h"

#include "core/Errors.h"
#include "core/FieldReader.h"

#include <algorithm>
#include <fstream>
#include <iterator>

namespace tessaloc {

std::string_view trimmedText(std::string_view text)
{
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

std::string lowerCaseText(std::string_view text)
{
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return lower;
}

std::vector<std::string_view> linesOf(std::string_view text)
{
    std::vector<std::string_view> lines;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1);
    }
    return lines;
}

bool isDigits(std::string_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::vector<std::string_view> wordsOf(std::string_view text)
{
    std::vector<std::string_view> words;
    size_t start = 0;
    while ((start = text.find_first_not_of(" \t", start)) != std::string_view::npos) {
        const size_t end = std::min(text.find_first_of(" \t", start), text.size());
        words.push_back(text.substr(start, end - start));
        start = end;
    }
    return words;
}

bool isCoordinatePair(std::string_view text)
{
    const std::vector<std::string_view> words = wordsOf(text);
    return words.size() == 2 && parseDecimal(words[0]) && parseDecimal(words[1]);
}

std::string readWholeFile(const std::filesystem::path& path, const std::string& file)
{
    if (std::filesystem::is_directory(path))
        throw AnalysisError("the " + file + " is a folder, not a file");
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw AnalysisError("cannot open the " + file);
    std::string content(std::istreambuf_iterator<char>(in), {});
    if (in.bad())
        throw AnalysisError("cannot read the " + file);
    if (content.starts_with("\xEF\xBB\xBF"))
        content.erase(0, 3);
    return content;
}

std::string alleleNumber(std::string_view digits)
{
    const size_t first = digits.find_first_not_of('0');
    return first == std::string_view::npos ? std::string("0") : std::string(digits.substr(first));
}

} // namespace tessaloc
