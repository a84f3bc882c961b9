#include "analyses/monmonier/Monmonier.h"

#include "analyses/monmonier/BarrierBootstrap.h"

#include "core/NumberText.h"
#include "core/ReportHeadings.h"
#include "core/ReportWriter.h"

#include <algorithm>

namespace tessaloc {
namespace {

const char* distanceKindLine(MonmonierDistanceKind kind)
{
    switch (kind) {
    case MonmonierDistanceKind::Pseudoslope:
        return "Geographical distance-corrected genetic distances (Pseudoslopes) used in computations.";
    case MonmonierDistanceKind::Residual:
        return "Residual genetic distances used in computations.";
    case MonmonierDistanceKind::Raw:
        break;
    }
    return "Uncorrected genetic distances used in calculations.";
}

const TriangleEdge& slotEdge(const MonmonierResult& result, const BarrierSegment& segment, int slot)
{
    const size_t k = static_cast<size_t>(slot);
    return result.BarrierTriangles[static_cast<size_t>(segment.Triangles[k])]
        .Edges[static_cast<size_t>(segment.Edges[k])];
}

// The width of every table column: the longest text of a crossed edge's end points and value over
// the whole report (slot 0 of a segment is not examined), at least 8, plus two blanks.
int columnWidth(const MonmonierResult& result)
{
    size_t width = 8;
    for (const BarrierRecord& barrier : result.BarrierList) {
        for (const BarrierSegment& segment : barrier.Segments) {
            for (int k = 1; k <= segment.lastSlot(); ++k) {
                const TriangleEdge& edge = slotEdge(result, segment, k);
                for (const double value : {edge.X1, edge.Y1, edge.X2, edge.Y2, edge.Value})
                    width = std::max(width, plainText(value).size());
            }
        }
    }
    return static_cast<int>(width) + 2;
}

// What the bootstrap did, after the barriers; only when it ran.
void writeSupportSection(ReportWriter& report, const MonmonierResult& result)
{
    const BarrierSupport& support = result.support;
    const bool sites = result.dataType == DataType::Sequences;
    const char* units =
        support.resampledUnits == 1 ? (sites ? " sequence site" : " locus") : (sites ? " sequence sites" : " loci");
    report.line("Bootstrap support: " + plainText(support.replicates) + " replicates, each drawing " +
                plainText(static_cast<long long>(support.resampledUnits)) + units + " with replacement.");
    report.line("Replicates in which the search found no start edge (they cross no edge): " +
                plainText(support.withoutStartEdge));
    report.line("Replicates without genetic distances (they cross no edge): " + plainText(support.withoutDistances));
    if (support.resampledUnits == 1)
        report.line(singleUnitBootstrapWarning(result.dataType));
    report.line();
}

} // namespace

std::string MonmonierReport(const MonmonierResult& result)
{
    ReportWriter report;
    WriteMonmonierReport(report, result);
    return report.str();
}

void WriteMonmonierReport(ReportWriter& report, const MonmonierResult& result)
{
    const int w = columnWidth(result);

    WriteReportHeading(report, "Monmonier's Maximum Difference Algorithm Analysis Results", result.coordinatePath,
                       result.genotypePath, result.dataType, geoDistancesLine(result.geoDistances));
    report.line();
    report.line(distanceKindLine(result.settings.distanceKind));
    report.line("# of barriers detected: " + plainText(result.settings.barrierCount));
    report.line();

    for (size_t b = 0; b < result.BarrierList.size(); ++b) {
        const BarrierRecord& barrier = result.BarrierList[b];
        report.line("Barrier " + plainText(static_cast<long long>(b + 1)));
        report.line();
        report.column(6)
            .text("Number of segments: " + plainText(static_cast<long long>(barrier.Segments.size())))
            .endLine();
        report.column(6)
            .text("Number of subsegments: " + plainText(static_cast<long long>(barrier.SubsegmentCount)))
            .endLine();
        report.column(6).text("Sum of subsegment values: " + plainText(barrier.SumOfValues)).endLine();
        report.column(6).text("Average subsegment value: " + plainText(barrier.AverageValue)).endLine();
        report.line();

        for (size_t k = 0; k < barrier.Segments.size(); ++k) {
            const BarrierSegment& segment = barrier.Segments[k];
            report.column(6)
                .text("Segment" + plainText(static_cast<long long>(k + 1)) + ": " +
                      plainText(static_cast<long long>(segment.SubsegmentCount)) + " subsegments")
                .endLine();
            report.column(6).text("X-coord1").column(w + 6).text("Y-coord1").column(2 * w + 6).text("X-coord2");
            report.column(3 * w + 6).text("Y-coord2").column(4 * w + 6).text("SubSegment Value").endLine();

            // Kind 2 shows its slot 1 (the start edge from the other side) as where it connects; kind
            // 3 its slot 0 (where it branched off).
            const int first = segment.Kind == 3 ? 0 : 1;
            const int connection = segment.Kind == 1 ? -1 : first;
            for (int slot = first; slot <= segment.lastSlot(); ++slot) {
                const TriangleEdge& edge = slotEdge(result, segment, slot);
                report.column(5).text(plainText(edge.X1)).column(w + 5).text(plainText(edge.Y1));
                report.column(2 * w + 5).text(plainText(edge.X2)).column(3 * w + 5).text(plainText(edge.Y2));
                report.column(4 * w + 5);
                report.text(slot == connection ? " **Segment Connection Point**" : plainText(edge.Value)).endLine();
            }
            report.line();
        }
        report.line();
    }
    if (result.support.computed())
        writeSupportSection(report, result);
}

} // namespace tessaloc
