#pragma once

#include "analyses/AnalysisInput.h"
#include "core/GeographicRanges.h"
#include "core/ReportWriter.h"
#include "core/RunListener.h"
#include "core/SampleTable.h"
#include "core/SquareMatrix.h"
#include "geometry/DistinctLocations.h"
#include "geometry/Edges.h"
#include "geometry/Extents.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tessaloc {

/// Which lines carry the heights (`LandscapeNetwork`).
enum class LandscapeNetwork {
    Pairwise = 0, ///< the lines between all pairs of observations
    Delaunay = 1, ///< the edges of the Delaunay triangulation of the distinct locations
};

/// What a line's height is made of (`LandscapeHeightMode`): raw genetic distances, pseudoslopes
/// (divided by the line's geographic length) or residuals of genetic on geographic distance.
using LandscapeHeightMode = EdgeValueKind;

/// The landscape shape analysis's own settings, with their start-up values.
struct LandscapeSettings {
    LandscapeNetwork network = LandscapeNetwork::Delaunay;
    LandscapeHeightMode heightMode = LandscapeHeightMode::Residual;
    /// `LandscapeLogHeights`: replace every height by its log10, shifted as described at
    /// LogTransformHeights. Applies to any height mode.
    bool logHeights = false;
};

/// One line of the network with the height placed at its midpoint.
struct LandscapeEdge {
    double X1 = 0.0; ///< first end point
    double Y1 = 0.0;
    double X2 = 0.0; ///< second end point
    double Y2 = 0.0;
    double MidX = 0.0; ///< Midpoint(X1, X2)
    double MidY = 0.0; ///< Midpoint(Y1, Y2)
    double Height = 0.0;
    /// Geographic length of the line: great-circle kilometres with latitude/longitude, otherwise
    /// planar in the unit of the coordinates.
    double Length = 0.0;

    friend bool operator==(const LandscapeEdge&, const LandscapeEdge&) = default;
};

/// What a run reads: the two files and how to read them, and the analysis's settings.
using LandscapeInput = RunInput<LandscapeSettings>;

/// Everything a run produced: the lines with heights for the report, the grid interpolation and the
/// viewer, and the extents of the sample area.
struct LandscapeResult {
    std::string coordinatePath;
    std::string genotypePath;
    DataType dataType = DataType::Codominant;
    /// The geographic distances the residual heights were taken against; the straight line for the
    /// other heights, which do not use them.
    GeoDistanceSettings geoDistances;
    LandscapeSettings settings;
    /// The network's lines in report order (see DelaunayLandscapeEdges and PairwiseLandscapeEdges).
    std::vector<LandscapeEdge> LandscapeEdges;
    DataExtents data;
    MapExtents map;
    /// East-west and north-south extents: great-circle kilometres with latitude/longitude.
    GeographicRanges ranges;
    /// The observations' X and Y as read, in file order (the grid's hull is taken over them).
    std::vector<double> SampleX;
    std::vector<double> SampleY;

    int LandscapeEdgeCount() const { return static_cast<int>(LandscapeEdges.size()); }
};

/// The report's file name.
inline constexpr const char* kLandscapeReportFileName = "LandscapeShape.txt";
/// The message shown when a Delaunay edge joins a location to itself (which distinct locations cannot
/// give; the line then averages over the location's own pairs).
inline constexpr std::string_view kProblemReconciliationMessage = "problem reconciliation";

/// The Delaunay network: one line per distinct edge of `triangulation` (vertex k = location k), in
/// the order the triangles list them, each triangle giving (a, b), (a, c), (b, c) with the end points
/// in that order; a line met again, in either direction, is not listed twice. End points are the
/// locations' coordinates (the values parsed back from their texts).
///
/// Height = the mean of G over every member of the first end's location paired with every member of
/// the second's (sums in member order), divided by Length for pseudoslopes. Not log-transformed.
/// `G` is the N x N genetic (or residual) matrix of the observations the locations group.
///
/// Throws AnalysisError when there are fewer than three locations or the triangulation has no
/// triangle (all locations on one line), and when a length or height is undefined (a pseudoslope
/// over a line of length 0, overflow).
std::vector<LandscapeEdge> DelaunayLandscapeEdges(const DistinctLocations& locations,
                                                  const Triangulation& triangulation, const SquareMatrix& G,
                                                  LandscapeHeightMode heightMode, bool useLatLong,
                                                  RunListener& listener = RunListener::none());

/// The pairwise network: the lines between observations j < i (j ascending, then i), skipping every
/// pair of geographic distance D(j, i) exactly 0; pairs with the same two end points, in either
/// direction, are merged into the first such line, whose height is the mean of their G(j, i) (summed
/// in pair order) and whose length is that of its first pair. Pseudoslopes divide by that length.
/// Not log-transformed. Throws AnalysisError when a midpoint or height is undefined.
std::vector<LandscapeEdge> PairwiseLandscapeEdges(std::span<const double> x, std::span<const double> y,
                                                  const SquareMatrix& G, const SquareMatrix& D,
                                                  LandscapeHeightMode heightMode);

/// log10 of every height, computed as ln(v) / ln(10). With m the smallest height above 0 (or
/// kNearMaximum14Digits when there is none): the Delaunay network takes log10(h + m) when some height
/// is exactly 0 and log10(h) otherwise; the pairwise network always takes log10(h + m).
/// Throws AnalysisError when a logarithm's argument is 0 or negative (or the sum overflows); the
/// heights are then unchanged.
void LogTransformHeights(std::vector<LandscapeEdge>& edges, LandscapeNetwork network);

/// The analysis on tables and matrices already built: extents, ranges, the optional residuals
/// (status "Calculating Residuals"), the network (status "Calculating Surface") and the optional
/// log10. `D` holds the geographic distances of the table's observations, `G` the genetic ones.
/// The paths and data type of the result are left empty. Throws AnalysisError as the functions
/// above do, and for coordinates that are not numbers or extents outside single precision.
LandscapeResult ComputeLandscape(const SampleTable& table, SquareMatrix G, const SquareMatrix& D, bool useLatLong,
                                 const LandscapeSettings& settings, RunListener& listener = RunListener::none());

/// A whole run: status "Reading", reads both files, builds the geographic and genetic distances and
/// computes the network. The residual heights take the geographic distances the input chooses; the
/// lines of the network are straight whatever the choice. Throws DataProblem for the expected data problems (a missing
/// allele separator, a pair without a common locus) and AnalysisError for every other failure; no report is written by
/// this function.
LandscapeResult RunLandscape(const LandscapeInput& input, RunListener& listener = RunListener::none());

/// The text of "LandscapeShape.txt" as the run writes it, lines ending CR LF.
std::string LandscapeReport(const LandscapeResult& shape);
/// The same report written line by line into `report`.
void WriteLandscapeReport(ReportWriter& report, const LandscapeResult& shape);

} // namespace tessaloc
