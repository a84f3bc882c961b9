#include "analyses/autocorrelation/Autocorrelation.h"

#include "core/NumberText.h"
#include "core/ReportWriter.h"

#include <cmath>

namespace tessaloc {
namespace {

// A number in its shortest exact form, NA where it is undefined (what R and pandas read as missing).
void writeNumber(ReportWriter& out, double value)
{
    out.text(",");
    if (std::isnan(value))
        out.text("NA");
    else
        out.text(ExactNumber(value).view());
}

void writeCount(ReportWriter& out, long long value)
{
    out.text(",").text(plainText(value));
}

template <typename T> T at(const std::vector<T>& values, size_t index, T missing)
{
    return index < values.size() ? values[index] : missing;
}

} // namespace

std::string intervalGapReason(IntervalGap gap)
{
    switch (gap) {
    case IntervalGap::None:
        break;
    case IntervalGap::BootstrapOff:
        return "no bootstrap resamples";
    case IntervalGap::NothingToResample:
        return "no locus or site to resample";
    case IntervalGap::NoUsableResample:
        return "every resample left a pair without a common locus";
    case IntervalGap::TooFewDistinctValues:
        return "the resamples gave fewer than 2 distinct values of Ay";
    }
    return {};
}

std::string intervalGapText(IntervalGap gap)
{
    const std::string reason = intervalGapReason(gap);
    return reason.empty() ? reason : "no interval: " + reason;
}

void WriteAutocorrelationClassTable(ReportWriter& out, const AutocorrelationResult& result)
{
    out.line(kAutocorrelationClassTableHeader);
    const DistogramResult& distogram = result.distogram;
    constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    for (int f = 0; f < distogram.classCount; ++f) {
        const auto c = static_cast<size_t>(f);
        const Band envelope = at(result.envelope, c, Band{});
        const Band confidence = at(result.confidence, c, Band{});
        const double mantelR = at(result.correlogram.r, c, kNaN);
        out.text(plainText(static_cast<long long>(f + 1)));
        writeNumber(out, distogram.lowerLimit[c]);
        writeNumber(out, distogram.upperLimit[c]);
        writeCount(out, result.pairCounts[c]);
        writeNumber(out, distogram.ay[c]);
        for (const double value :
             {result.upperTailP[c], result.lowerTailP[c], at(result.twoSidedP, c, kNaN), at(result.holmP, c, kNaN),
              envelope.low, envelope.high, confidence.low, confidence.high, mantelR, at(result.correlogram.p, c, kNaN),
              at(result.correlogram.holmP, c, kNaN)})
            writeNumber(out, value);
        std::string note = intervalGapText(at(result.intervalGaps, c, IntervalGap::BootstrapOff));
        if (std::isnan(mantelR))
            note += std::string(note.empty() ? "" : "; ") + "Mantel r undefined";
        out.text(",").text(note).endLine();
    }
}

std::string AutocorrelationClassTable(const AutocorrelationResult& result)
{
    ReportWriter out;
    WriteAutocorrelationClassTable(out, result);
    return out.str();
}

void WriteAutocorrelationClassTableFile(const std::filesystem::path& path, const AutocorrelationResult& result)
{
    writeFileAt(path, "the class table", [&result](ReportWriter& out) { WriteAutocorrelationClassTable(out, result); });
}

} // namespace tessaloc
