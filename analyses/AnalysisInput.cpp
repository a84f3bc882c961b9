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
    if (steps.geographic)
        data.geographic = BuildGeographicDistances(data.table, input.useLatLong);
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
