#pragma once

#include "core/PackedDistances.h"
#include "core/RunListener.h"
#include "core/SampleTable.h"
#include "formats/GenotypeFormats.h"
#include "resistance/GeoDistances.h"

#include <string>
#include <string_view>

namespace tessaloc {

/// What every analysis reads: the two files as the user named them, and how to read them. Both front
/// ends fill it (the batch program from its command line, the window program from the main window);
/// each analysis's input adds its own settings to it.
struct AnalysisInput {
    std::string coordinatePath;
    std::string genotypePath;
    DataType dataType = DataType::Codominant;
    /// X is longitude and Y latitude in decimal degrees; geographic distances are then great-circle
    /// kilometres.
    bool useLatLong = false;
    /// The layout of the genotype file; recognised from its content unless forced. The own format
    /// pairs records with the coordinates by position, the others as `sampleMatching` says.
    GenotypeFormat genotypeFormat = GenotypeFormat::Detect;
    /// How the samples of a VCF, GENEPOP or GenAlEx file go with the observations of the coordinate
    /// file: by name, or by their order in the two files.
    SampleMatching sampleMatching = SampleMatching::ByName;
    /// The geographic distances of the analyses that take the geographic distance matrix (the Mantel
    /// test, the autocorrelation classes, the residual heights of the landscape, the residual
    /// distances of the barrier search, the distance matrices); the aggregation index and the plot
    /// of sample locations are geometric and keep the straight line whatever it says.
    GeoDistanceSettings geoDistances;
};

/// What a whole run of one analysis reads: the two files and how to read them, and the analysis's
/// own settings (`MantelInput` is `RunInput<MantelSettings>`).
template <typename Settings> struct RunInput : AnalysisInput {
    Settings settings;
};

/// What ReadAnalysisData builds and which status texts it shows on the way.
struct ReadingSteps {
    /// Shown before the files are read ("Reading", "Calculating"); empty shows nothing.
    std::string_view readingStatus = "Reading";
    /// Shown before the geographic distances are built; empty shows nothing.
    std::string_view distancesStatus;
    /// Build the geographic distance matrix, as the input's `geoDistances` choose it.
    bool geographic = true;
    /// Build it as straight lines whatever the input chooses: for a run whose settings leave the
    /// geographic distances unused (it builds them only for their checks of the coordinates).
    bool straightLines = false;
    /// Build the genetic distance matrix (the aggregation analysis compares texts instead).
    bool genetic = true;
};

/// The observations of one run with their distance matrices.
struct AnalysisData {
    SampleTable table;
    /// Pairwise geographic distances as the input chooses them (straight lines by default, in
    /// great-circle kilometres with latitude/longitude); empty when `ReadingSteps::geographic` is
    /// false.
    PackedDistances geographic;
    /// Pairwise genetic distances for the data type; empty when `ReadingSteps::genetic` is false.
    PackedDistances genetic;
};

/// Reads both files into a SampleTable, then builds the geographic and the genetic distances, in that
/// order, unless `steps` leaves them out. Distances over a resistance surface show their own status
/// texts and progress, then the status shown before them comes back. Throws DataProblem for the
/// expected data problems (a data-type-1 field without the allele separator, a pair without a common
/// locus, a resistance surface or distance matrix file that does not serve) and AnalysisError for
/// every other failure (a file that cannot be read or ends early, a coordinate that is not a number).
AnalysisData ReadAnalysisData(const AnalysisInput& input, RunListener& listener, const ReadingSteps& steps = {});

/// A whole distances run: status "Reading", reads both files, status "Calculating", then builds the
/// geographic and the genetic distances. Throws as ReadAnalysisData does.
AnalysisData RunDistances(const AnalysisInput& input, RunListener& listener = RunListener::none());

} // namespace tessaloc
