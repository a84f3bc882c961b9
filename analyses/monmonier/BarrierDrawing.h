#pragma once

#include "analyses/monmonier/Monmonier.h"
#include "geometry/GeometryHelpers.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace tessaloc {

// What the barrier map draws, in map coordinates, apart from any window toolkit: the lines of the
// triangulation, the lines of each barrier and the barriers' start-up colours.

/// The triangle edges as drawn: for every triangle in order, the lines from corner A to B, B to C and
/// C to A. An edge shared by two triangles is drawn twice, once by each.
std::vector<Segment> TriangulationLines(const std::vector<BarrierTriangle>& triangles);

/// The lines of one barrier. For each segment in order, a line from the midpoint of the edge of slot
/// j to that of slot j + 1, for j from 1 (the first segment) or from 0 (every later segment) to U - 1.
/// The later segments thus start at their connection point; a second-direction segment's first line
/// has zero length (its slots 0 and 1 are the start edge seen from its two triangles), and a segment
/// with slot 0 only draws nothing. The first segment draws U - 1 lines, every later one U.
/// Preconditions: every slot drawn names a triangle of `triangles`.
std::vector<Segment> BarrierLines(const std::vector<BarrierTriangle>& triangles, const BarrierRecord& barrier);

/// A line of a barrier's drawing that belongs to one crossed edge.
struct EdgeLine {
    Segment line;
    /// The id of the edge (see NumberEdges) at whose midpoint the line starts or ends.
    std::int32_t edge = 0;
};

/// The lines of BarrierLines, each cut in two at its middle: the first half belongs to the edge at
/// its start, the second to the edge at its end (the same edge for the line of no length at a start
/// edge). A map that draws each half as wide as its edge's support shows the barrier, around every
/// edge it crosses, as wide as that edge's support.
std::vector<EdgeLine> BarrierHalfLines(const std::vector<BarrierTriangle>& triangles, const BarrierRecord& barrier,
                                       const EdgeNumbers& numbers);

/// A label of a barrier's support: where it belongs and what it says.
struct SupportMark {
    std::int32_t edge = 0;
    double midX = 0.0; ///< the edge's midpoint, where the barrier crosses it
    double midY = 0.0;
    double endX = 0.0; ///< the edge's second end, which the label stands towards
    double endY = 0.0;
    double percent = 0.0;
};

/// One mark for every edge that barrier `barrier` (1-based) of `result` crosses, by ascending edge
/// id, with the percentage of replicates in which that barrier crosses it. Preconditions: the result
/// holds support.
std::vector<SupportMark> BarrierSupportMarks(const MonmonierResult& result, int barrier);

/// A line between two midpoints that barriers drew in some replicates.
struct SupportedPiece {
    Segment line;
    double percent = 0.0; ///< of the replicates, those that drew it
};

/// The lines of the replicates' barriers that no observed barrier draws, between the midpoints of
/// their two edges, by ascending edge ids. Preconditions: the result holds support.
std::vector<SupportedPiece> AlternativeBarrierLines(const MonmonierResult& result);

/// The pen width, in pixels, of a barrier drawn `width` pixels wide around an edge of support
/// `percent`: 1 at 0 %, twice `width` at 100 %, in proportion between.
double SupportLineWidth(double percent, int width);

/// The text of a support label: the percentage rounded to a whole number and "%" ("87%"). Only a
/// support of exactly 0 or 100 % reads "0%" or "100%"; anything between reads 1 to 99.
std::string SupportLabel(double percent);

/// A colour of the 16-colour palette, components 0..255.
struct PaletteColor {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;

    friend bool operator==(const PaletteColor&, const PaletteColor&) = default;
};

/// Entries 0..14 of the 16-colour palette: black, dark blue, dark green, dark cyan, dark red, dark
/// magenta, olive, light grey, grey, blue, green, cyan, red, magenta, yellow.
inline constexpr std::array<PaletteColor, 15> kPaletteColors = {{{0, 0, 0},
                                                                 {0, 0, 128},
                                                                 {0, 128, 0},
                                                                 {0, 128, 128},
                                                                 {128, 0, 0},
                                                                 {128, 0, 128},
                                                                 {128, 128, 0},
                                                                 {192, 192, 192},
                                                                 {128, 128, 128},
                                                                 {0, 0, 255},
                                                                 {0, 255, 0},
                                                                 {0, 255, 255},
                                                                 {255, 0, 0},
                                                                 {255, 0, 255},
                                                                 {255, 255, 0}}};

/// The palette entry a barrier is drawn in at first: entry b for barriers b = 1..14, entry 0 (black)
/// for barrier 15 and every later one. `barrier` counts from 1.
int BarrierPaletteIndex(long long barrier);

/// The colour a barrier is drawn in at first: kPaletteColors[BarrierPaletteIndex(barrier)].
PaletteColor BarrierStartColor(long long barrier);

/// The pen width every barrier is drawn with at first.
inline constexpr int kBarrierStartWidth = 3;

} // namespace tessaloc
