#include "cli/CommandLine.h"

namespace tessaloc::cli {

const std::vector<Subcommand>& subcommands()
{
    // One entry per analysis, in the order the help lists them.
    static const std::vector<Subcommand> all = {
        distancesCommand(), mantelCommand(),    autocorrelationCommand(), aggregationCommand(),
        landscapeCommand(), monmonierCommand(), sampleplotCommand(),      convertCommand(),
    };
    return all;
}

} // namespace tessaloc::cli
