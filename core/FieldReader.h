#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tessaloc {

/// Splits a text file into the comma- and line-separated fields of the input files.
///
/// A field ends at a comma or at a line end (CR LF, LF or a lone CR). Blanks and tabs before a field
/// are skipped; a field that starts with a double quote runs to the next double quote, commas and
/// line ends included, and what follows the closing quote up to the separator is dropped. Trailing
/// blanks and tabs of an unquoted field are dropped; a numeric field also ends at a blank or tab.
/// An empty line is an empty field. Bytes are kept as they are (the files are read as Latin-1); a
/// UTF-8 byte order mark at the start of the file is skipped.
class FieldReader {
public:
    /// Reads the whole file; throws AnalysisError when it cannot be opened or read.
    /// `role` names the file in messages ("coordinate file").
    FieldReader(const std::filesystem::path& path, std::string role);

    /// A reader of `content` as if it were the file `name` whose first line is `firstLine`; for
    /// checking text that is already in memory.
    static FieldReader fromText(std::string content, std::string role, std::filesystem::path name,
                                std::int64_t firstLine = 1);

    /// The next field read as text, or nothing when the file has no field left.
    std::optional<std::string> nextText();
    /// The next field read as a number: like nextText(), but it also ends at a blank or tab.
    std::optional<std::string> nextNumber();
    /// Like nextText(), but without a copy: the view stays valid while the reader lives, unmoved.
    std::optional<std::string_view> nextTextView() { return next(false); }

    /// The line (from 1) on which the field last returned started; after the end of the file, the
    /// last line of the file. Counted in 64 bits: a file may have more lines than a 32-bit count holds.
    std::int64_t fieldLine() const { return m_fieldLine; }
    /// True when nothing but blanks and tabs stands before the field last returned on its line.
    bool fieldStartsLine() const { return m_fieldStartsLine; }
    /// Bytes not yet read; the file holds at most one field more than this.
    size_t remainingBytes() const { return m_content.size() - m_position; }
    /// "coordinate file "path", line 7" for messages.
    std::string where() const;
    const std::filesystem::path& path() const { return m_path; }

private:
    FieldReader() = default;
    std::optional<std::string_view> next(bool numeric);
    bool atLineEnd() const;
    void skipLineEnd();
    void skipBlanks();

    std::filesystem::path m_path;
    std::string m_role;
    std::string m_content;
    size_t m_position = 0;
    std::int64_t m_line = 1;
    std::int64_t m_fieldLine = 1;
    bool m_atLineStart = true;
    bool m_fieldStartsLine = true;
};

/// Parses a decimal number with optional sign, decimal point and exponent ("-12.5", ".5", "1E-3",
/// "+7"); surrounding blanks and tabs are allowed. Returns nothing for anything else, including
/// "inf", "nan", hexadecimal forms and values beyond the range of a double.
std::optional<double> parseDecimal(std::string_view text);

} // namespace tessaloc
