#include "geometry/DistinctLocations.h"

#include "core/FieldReader.h"
#include "core/NumberText.h"

#include <map>
#include <stdexcept>
#include <utility>

namespace tessaloc {
namespace {

double parsedBack(const std::string& text)
{
    const auto value = parseDecimal(text);
    if (!value)
        throw std::logic_error("the plain text form \"" + text + "\" does not parse back");
    return *value;
}

} // namespace

DistinctLocations GroupDistinctLocations(std::span<const double> x, std::span<const double> y)
{
    if (x.size() != y.size())
        throw std::invalid_argument("GroupDistinctLocations needs as many y values as x values");
    DistinctLocations result;
    result.locationOf.reserve(x.size());
    std::map<std::pair<std::string, std::string>, LocationIndex> known;
    for (size_t i = 0; i < x.size(); ++i) {
        auto key = std::make_pair(plainText(x[i]), plainText(y[i]));
        auto [place, isNew] = known.try_emplace(std::move(key), LocationIndex(result.count()));
        if (isNew) {
            SampleLocation location;
            location.xText = place->first.first;
            location.yText = place->first.second;
            location.x = parsedBack(location.xText);
            location.y = parsedBack(location.yText);
            result.locations.push_back(std::move(location));
        }
        result.locations[place->second.at()].members.push_back(ObservationIndex(static_cast<std::int32_t>(i)));
        result.locationOf.push_back(place->second);
    }
    return result;
}

Triangulation TriangulateLocations(const DistinctLocations& locations, RunListener& listener)
{
    std::vector<TriVertex> vertices;
    vertices.reserve(locations.locations.size());
    for (const SampleLocation& location : locations.locations)
        vertices.push_back({location.x, location.y, 0.0});
    return TriangulatePoints(vertices, listener);
}

} // namespace tessaloc
