#pragma once

#include "analyses/AnalysisInput.h"
#include "core/RunListener.h"
#include "core/SampleTable.h"
#include "geometry/Extents.h"

#include <string>
#include <vector>

namespace tessaloc {

/// Everything the plot of sample locations shows.
struct SamplePlotResult {
    /// The observations' coordinates in file order; several at one location are all kept.
    std::vector<double> PlotX;
    std::vector<double> PlotY;
    /// The observations' names, in the same order.
    std::vector<std::string> names;
    DataExtents data;
    /// The data extents widened by 5 %: the area the plot's axes span.
    MapExtents map;
    /// The convex hull of the distinct locations (see ConvexHull), closed: its last corner is its
    /// first.
    std::vector<double> PlotHullX;
    std::vector<double> PlotHullY;
    /// PolygonArea of the hull, in squared coordinate units (0 for one or two distinct locations).
    double area = 0.0;
    /// X is longitude and Y latitude (the window then names its axes so).
    bool useLatLong = false;
};

/// The plot has no settings of its own.
struct SamplePlotSettings {};

/// What a run reads: the coordinate file and how to read it.
using SamplePlotInput = RunInput<SamplePlotSettings>;

/// Computes the plot's data from the names and coordinates of the table (genotypes are not used).
/// Throws AnalysisError when a coordinate is not a number, when the table has no observation, or
/// when an extent does not fit in single precision.
SamplePlotResult ComputeSamplePlot(const SampleTable& table);

/// A whole run: status "Reading", reads the coordinate file only (the genotype file and the data type
/// are not used) and computes the plot's data, with `useLatLong` as the input says. Throws AnalysisError as
/// ReadCoordinateFile and ComputeSamplePlot do.
SamplePlotResult RunSamplePlot(const AnalysisInput& input, RunListener& listener = RunListener::none());

/// "Polygon Area: " followed by the area's plain text form, as the plot states it.
std::string polygonAreaCaption(double area);

/// The plot's data as text lines ending LF: the area caption, then one line per hull corner with its
/// x and y in plain text form, separated by one blank.
std::string SamplePlotText(const SamplePlotResult& plot);

} // namespace tessaloc
