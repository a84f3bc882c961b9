#include "formats/DistanceCsv.h"

#include "core/NumberText.h"

namespace tessaloc {

std::string csvCell(const std::string& text)
{
    const bool needsQuotes = text.find_first_of(",\"\r\n") != std::string::npos ||
                             (!text.empty() && (text.front() == ' ' || text.back() == ' '));
    if (!needsQuotes)
        return text;
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

namespace {

template <typename Matrix> std::string distanceMatrixCsv(const std::vector<std::string>& names, const Matrix& matrix)
{
    ReportWriter out;
    WriteDistanceMatrixCsv(out, names, matrix);
    return out.str();
}

template <typename Matrix>
void writeDistanceMatrixCsv(ReportWriter& out, const std::vector<std::string>& names, const Matrix& matrix)
{
    for (const std::string& name : names)
        out.text(",").text(csvCell(name));
    out.endLine();
    for (int i = 0; i < matrix.size(); ++i) {
        out.text(csvCell(names[i]));
        for (int j = 0; j < matrix.size(); ++j)
            out.text(",").text(ExactNumber(matrix(i, j)).view());
        out.endLine();
    }
}

} // namespace

std::string DistanceMatrixCsv(const std::vector<std::string>& names, const PackedDistances& matrix)
{
    return distanceMatrixCsv(names, matrix);
}

std::string DistanceMatrixCsv(const std::vector<std::string>& names, const SquareMatrix& matrix)
{
    return distanceMatrixCsv(names, matrix);
}

void WriteDistanceMatrixCsv(ReportWriter& out, const std::vector<std::string>& names, const PackedDistances& matrix)
{
    writeDistanceMatrixCsv(out, names, matrix);
}

void WriteDistanceMatrixCsv(ReportWriter& out, const std::vector<std::string>& names, const SquareMatrix& matrix)
{
    writeDistanceMatrixCsv(out, names, matrix);
}

} // namespace tessaloc
