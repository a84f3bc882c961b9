#include "analyses/kinship/Kinship.h"

#include "core/NumberText.h"
#include "core/ReportWriter.h"

#include <cmath>

namespace tessaloc {
namespace {

// A number in its shortest exact form, nothing where it does not exist.
void writeNumber(ReportWriter& out, double value)
{
    out.text(",");
    if (!std::isnan(value))
        out.text(ExactNumber(value).view());
}

void writeClassTable(ReportWriter& out, const KinshipResult& result)
{
    out.line(kKinshipClassTableHeader);
    constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    for (size_t c = 0; c < result.rows.size(); ++c) {
        const KinshipClassRow& row = result.rows[c];
        out.text(std::to_string(c + 1));
        writeNumber(out, row.lower);
        writeNumber(out, row.upper);
        out.text(",").text(std::to_string(row.pairs));
        for (const double value :
             {row.meanDistance, row.kinship.estimate, row.kinship.jackknifeSe, row.kinship.pLower, row.kinship.pUpper,
              row.kinship.pTwoSided, row.pHolm, result.rousset ? row.rousset.estimate : kNaN,
              result.rousset ? row.rousset.jackknifeSe : kNaN})
            writeNumber(out, value);
        out.endLine();
    }
}

void summaryRow(ReportWriter& out, std::string_view name, const KinshipEstimate& estimate)
{
    out.text(name);
    writeNumber(out, estimate.estimate);
    writeNumber(out, estimate.jackknifeSe);
    writeNumber(out, estimate.pTwoSided);
    out.endLine();
}

void writeSummary(ReportWriter& out, const KinshipResult& result)
{
    out.line(kKinshipSummaryHeader);
    summaryRow(out, "b_lin", result.bLin);
    summaryRow(out, "b_log", result.bLog);
    summaryRow(out, "F1", result.f1);
    summaryRow(out, "Sp", result.sp);
    summaryRow(out, "a_slope", result.aSlope);
    summaryRow(out, "Nb", result.nb);
}

} // namespace

std::string KinshipClassTable(const KinshipResult& result)
{
    ReportWriter out;
    writeClassTable(out, result);
    return out.str();
}

std::string KinshipSummaryTable(const KinshipResult& result)
{
    ReportWriter out;
    writeSummary(out, result);
    return out.str();
}

void WriteKinshipClassTableFile(const std::filesystem::path& path, const KinshipResult& result)
{
    writeFileAt(path, "the class table", [&result](ReportWriter& out) { writeClassTable(out, result); });
}

void WriteKinshipSummaryFile(const std::filesystem::path& path, const KinshipResult& result)
{
    writeFileAt(path, "the summary", [&result](ReportWriter& out) { writeSummary(out, result); });
}

} // namespace tessaloc
