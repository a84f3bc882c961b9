#include "analyses/monmonier/SupportTable.h"

#include "core/NumberText.h"
#include "formats/DistanceCsv.h"
#include "geometry/DistinctLocations.h"

#include <map>
#include <utility>

namespace tessaloc {
namespace {

// The names of the observations at each sampling location, by the location's coordinates: the
// triangle corners are the locations' coordinates as the search grouped them.
std::map<std::pair<double, double>, std::string> locationNames(const MonmonierResult& result)
{
    const DistinctLocations locations = GroupDistinctLocations(result.SampleX, result.SampleY);
    std::map<std::pair<double, double>, std::string> names;
    for (const SampleLocation& location : locations.locations) {
        std::string joined;
        for (const ObservationIndex member : location.members) {
            if (!joined.empty())
                joined += ';';
            joined += result.SampleNames[member.at()];
        }
        names.emplace(std::make_pair(location.x, location.y), std::move(joined));
    }
    return names;
}

} // namespace

std::string SupportTableHeader(long long barrierCount)
{
    std::string header = "name1,x1,y1,name2,x2,y2,mid_x,mid_y,observed,support_any";
    for (long long b = 1; b <= barrierCount; ++b)
        header += ",support_" + plainText(b);
    return header;
}

void WriteSupportTable(ReportWriter& out, const MonmonierResult& result)
{
    const BarrierSupport& support = result.support;
    const auto names = locationNames(result);
    const auto nameAt = [&names](double x, double y) {
        const auto found = names.find({x, y});
        return found == names.end() ? std::string() : csvCell(found->second);
    };
    const auto number = [&out](double value) { out.text(",").text(ExactNumber(value).view()); };

    out.line(SupportTableHeader(result.settings.barrierCount));
    for (const EdgeSupport& row : support.rows) {
        const std::int32_t occurrence = support.edges.firstOccurrence[static_cast<size_t>(row.edge)];
        const TriangleEdge& edge =
            result.BarrierTriangles[static_cast<size_t>(occurrence / 3)].Edges[static_cast<size_t>(occurrence % 3)];
        out.text(nameAt(edge.X1, edge.Y1));
        number(edge.X1);
        number(edge.Y1);
        out.text(",").text(nameAt(edge.X2, edge.Y2));
        for (const double value : {edge.X2, edge.Y2, edge.MidX, edge.MidY})
            number(value);
        out.text(",").text(plainText(static_cast<long long>(row.observed)));
        number(support.percent(row.any));
        for (const std::int32_t count : row.barriers)
            number(support.percent(count));
        out.endLine();
    }
    const auto note = [&](long long count, const char* what) {
        if (count > 0)
            out.line("# replicates " + std::string(what) + ": " + plainText(count) + " of " +
                     plainText(support.replicates) + ", counted as crossing no edge");
    };
    note(support.withoutStartEdge, "in which the search found no start edge");
    note(support.withoutDistances, "without genetic distances (a pair without a common locus)");
}

std::string SupportTable(const MonmonierResult& result)
{
    ReportWriter out;
    WriteSupportTable(out, result);
    return out.str();
}

void WriteSupportTableFile(const std::filesystem::path& path, const MonmonierResult& result)
{
    writeFileAt(path, "the support table", [&result](ReportWriter& out) { WriteSupportTable(out, result); });
}

} // namespace tessaloc
