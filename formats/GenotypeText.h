#pragma once

// Small text helpers shared by the readers of the genotype formats.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tessaloc {

/// `text` without blanks, tabs and line ends at either end.
std::string_view trimmedText(std::string_view text);
/// `text` with the letters A-Z made small; other bytes are kept.
std::string lowerCaseText(std::string_view text);
/// The lines of `text`, split at LF, CR LF or a lone CR; views into `text`.
std::vector<std::string_view> linesOf(std::string_view text);
/// True for one or more digits 0-9 and nothing else.
bool isDigits(std::string_view text);
/// The blank- or tab-separated words of `text`; views into `text`.
std::vector<std::string_view> wordsOf(std::string_view text);
/// True when `text` is two decimal numbers separated by blanks or tabs ("12.5 34.1"): a sample of a
/// GENEPOP file named by its X and Y.
bool isCoordinatePair(std::string_view text);
/// The whole file, byte for byte, without a leading UTF-8 byte order mark. Throws AnalysisError
/// naming `file` (genotype file "path") when it cannot be read.
std::string readWholeFile(const std::filesystem::path& path, const std::string& file);
/// An allele written as digits, as a number without leading zeros ("007" is "7"); "0" for zeros.
std::string alleleNumber(std::string_view digits);

} // namespace tessaloc
