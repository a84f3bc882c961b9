#include "analyses/AnalysisInput.h"

#include "core/GeneticDistances.h"
#include "core/GeographicDistances.h"

namespace tessaloc {

AnalysisData ReadAnalysisData(const AnalysisInput& input, RunListener& listener, const ReadingSteps& steps)
{
    AnalysisData data;
    if (!steps.readingStatus.empty())
        listener.status(steps.readingStatus);
    ReadCoordinates(input.coordinatePath, data.table, input.useLatLong, listener);
    ReadGenotypes(input.genotypePath, input.genotypeFormat, input.sampleMatching, input.dataType, data.table, listener);
    if (!steps.distancesStatus.empty())
        listener.status(steps.distancesStatus);
    if (steps.geographic && (steps.straightLines || input.geoDistances.kind == GeoDistanceKind::Straight)) {
        data.geographic = BuildGeographicDistances(data.table, input.useLatLong);
    } else if (steps.geographic) {
        data.geographic =
            PackedDistances(BuildGeographicDistances(data.table, input.useLatLong, input.geoDistances, listener));
        // The surfaces show their own steps; the run's status comes back for what follows.
        const std::string_view shown = steps.distancesStatus.empty() ? steps.readingStatus : steps.distancesStatus;
        if (input.geoDistances.kind != GeoDistanceKind::Matrix && !shown.empty())
            listener.status(shown);
    }
    if (steps.genetic)
        data.genetic = BuildGeneticDistances(data.table, input.dataType);
    return data;
}

AnalysisData RunDistances(const AnalysisInput& input, RunListener& listener)
{
    ReadingSteps steps;
    steps.distancesStatus = "Calculating";
    return ReadAnalysisData(input, listener, steps);
}

} // namespace tessaloc
