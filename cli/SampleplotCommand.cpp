#include "cli/SampleplotCommand.h"

namespace tessaloc::cli {

const std::string_view AnalysisCommandLine<SamplePlotAnalysis>::summary =
    "prints the area of the polygon around the sample locations and the polygon's corners";

CommandResult AnalysisCommandLine<SamplePlotAnalysis>::write(const Invocation&, const SamplePlotResult& result,
                                                             RunListener&)
{
    CommandResult output;
    output.text = SamplePlotText(result);
    return output;
}

} // namespace tessaloc::cli
