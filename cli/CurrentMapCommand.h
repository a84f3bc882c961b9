#pragma once

#include "cli/AnalysisCommand.h"

#include "analyses/currentmap/CurrentMapAnalysis.h"

namespace tessaloc::cli {

/// The current map runs over the surface of --resistance and writes its maps as GeoTIFF files
/// beside its report.
template <> struct AnalysisCommandLine<CurrentMapAnalysis> {
    static const std::string_view summary;
    static constexpr bool kTakesSurface = true;
    static std::vector<OptionSpec> options();
    /// Checks the map files' names too, so that a mistaken one stops the run before anything is read.
    static CurrentMapSettings settings(const Invocation& invocation);
    static CommandResult write(const Invocation& invocation, const CurrentMapResult& result, RunListener& listener);
};

} // namespace tessaloc::cli
