#pragma once

#include "core/FieldReader.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace tessaloc {

/// The rows of a CSV file read with a FieldReader: a row starts with the first field of a line. The
/// views stay valid while the reader lives.
class CsvRows {
public:
    explicit CsvRows(FieldReader& reader)
        : m_reader(reader)
    {
        advance();
    }

    /// The next row that is not a blank line, or false at the end of the file.
    bool next(std::vector<std::string_view>& fields, std::int64_t& line)
    {
        while (m_pending) {
            fields.clear();
            line = m_pendingLine;
            do {
                fields.push_back(*m_pending);
                advance();
            } while (m_pending && !m_pendingStartsLine);
            if (!(fields.size() == 1 && fields.front().empty()))
                return true;
        }
        return false;
    }

private:
    void advance()
    {
        m_pending = m_reader.nextTextView();
        m_pendingLine = m_reader.fieldLine();
        m_pendingStartsLine = m_reader.fieldStartsLine();
    }

    FieldReader& m_reader;
    std::optional<std::string_view> m_pending;
    std::int64_t m_pendingLine = 1;
    bool m_pendingStartsLine = true;
};

} // namespace tessaloc
