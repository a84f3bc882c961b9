#include "cli/AggregationCommand.h"
#include "cli/AutocorrelationCommand.h"
#include "cli/CommandLine.h"
#include "cli/CurrentMapCommand.h"
#include "cli/KinshipCommand.h"
#include "cli/LandscapeCommand.h"
#include "cli/MantelCommand.h"
#include "cli/MatrixRegressionCommand.h"
#include "cli/MlpeCommand.h"
#include "cli/ModelComparisonCommand.h"
#include "cli/MonmonierCommand.h"
#include "cli/PartialMantelCommand.h"
#include "cli/SampleplotCommand.h"

#include "analyses/AnalysisList.h"

namespace tessaloc::cli {

const std::vector<Subcommand>& subcommands()
{
    // The distances first, then every analysis in the program's order, then the conversion and the
    // surface tool: the order the help lists them.
    static const std::vector<Subcommand> all = [] {
        std::vector<Subcommand> list = {distancesCommand()};
        forEachAnalysis([&list]<typename Analysis>() { list.push_back(analysisCommand<Analysis>()); });
        list.push_back(convertCommand());
        list.push_back(surfaceCommand());
        return list;
    }();
    return all;
}

} // namespace tessaloc::cli
