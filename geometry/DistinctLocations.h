#pragma once

#include "core/RunListener.h"
#include "geometry/Delaunay.h"
#include "geometry/Index.h"

#include <span>
#include <string>
#include <vector>

namespace tessaloc {

/// A sampling location: the observations whose X and Y have the same plain text forms.
struct SampleLocation {
    std::string xText;                     ///< plain text form (15 significant digits) shared by the members' X
    std::string yText;                     ///< plain text form shared by the members' Y
    double x = 0.0;                        ///< the value parsed back from xText (not necessarily any member's X)
    double y = 0.0;                        ///< the value parsed back from yText
    std::vector<ObservationIndex> members; ///< ascending
};

/// The observations grouped into sampling locations.
struct DistinctLocations {
    /// In order of first appearance: location 0 is that of observation 0.
    std::vector<SampleLocation> locations;
    /// The location of every observation.
    std::vector<LocationIndex> locationOf;

    int count() const { return static_cast<int>(locations.size()); }
    const SampleLocation& operator[](LocationIndex index) const { return locations[index.at()]; }
};

/// Groups observations by the plain text forms of their coordinates ("%.15G"): two observations
/// share a location exactly when both their X texts and their Y texts are equal, so values that
/// differ only beyond the 15th significant digit meet. Membership follows the same texts, so every
/// location has at least one member. Preconditions: x and y have one entry per observation.
DistinctLocations GroupDistinctLocations(std::span<const double> x, std::span<const double> y);

/// Triangulates the distinct locations once, all of them, in location order: vertex k of the
/// result is location k. See TriangulatePoints for the messages, failures and the triangle order.
Triangulation TriangulateLocations(const DistinctLocations& locations, RunListener& listener = RunListener::none());

} // namespace tessaloc
