#pragma once

#include <vector>

namespace tessaloc {

/// What a paired-sample genetic distance analysis gives its results window: for each neighbour rank
/// 1..neighbourRankCount() (at index rank - 1), the statistic Lij,ik of the genetic distances to the
/// neighbours of that rank, its probability, and the mean geographic distance to those neighbours.
/// The three vectors hold one value per rank.
struct PairedSampleResult {
    std::vector<double> lijValues;
    std::vector<double> pValues;
    std::vector<double> meanGeoDistances;

    int neighbourRankCount() const { return static_cast<int>(lijValues.size()); }
};

/// The report's file name.
inline constexpr const char* kPairedSampleReportFileName = "PSGDA-Results.txt";
/// The first line of the report.
inline constexpr const char* kPairedSampleReportTitle = "Results of Paired-Sample Genetic Distance Analysis";

} // namespace tessaloc
