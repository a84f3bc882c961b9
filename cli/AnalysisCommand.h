#pragma once

#include "cli/CommandLine.h"
#include "cli/RunProcesses.h"

#include "analyses/Analysis.h"

#include <string>
#include <string_view>
#include <vector>

namespace tessaloc::cli {

/// The batch program's own part of the analysis `A`: its line in the help, its options and how they
/// fill the analysis's settings. Each analysis specialises it in `cli/<Name>Command.h` with
///
///     static constexpr std::string_view summary;              // the help's line
///     static std::vector<OptionSpec> options();                 // in the order the help lists them
///     static typename A::Settings settings(const Invocation&);  // throws UsageError
///
/// and, when the run's output is more than the report in the output folder, with
///
///     static CommandResult write(const Invocation&, const typename A::Result&, RunListener&);
///
/// (the landscape's grids, the sample plot's printed hull), and, for an analysis that runs over a
/// resistance surface of its own (see Subcommand::takesSurface), with
///
///     static constexpr bool kTakesSurface = true;
///
/// A missing specialisation stops the build
/// where the list of subcommands is made.
template <typename A> struct AnalysisCommandLine;

/// The subcommand of the analysis `A`: parses its settings, runs it with the generator of the
/// command line and writes its report into the output folder (runAnalysis), or hands the result to
/// the analysis's own `write`.
template <AnalysisDefinition A> Subcommand analysisCommand()
{
    using Own = AnalysisCommandLine<A>;
    using Input = RunInput<typename A::Settings>;
    Subcommand command;
    command.name = std::string(A::kName);
    command.summary = std::string(Own::summary);
    command.options = Own::options();
    command.needsGenotypes = A::kReadsGenotypes;
    if constexpr (!std::string_view(A::kReportFileName).empty())
        command.reportFiles = {std::string(A::kReportFileName)};
    if constexpr (requires { Own::kTakesSurface; })
        command.takesSurface = Own::kTakesSurface;
    command.run = [](const Invocation& invocation, RunListener& listener, SeedSource& seeds) {
        auto input = commonInput<Input>(invocation);
        input.settings = Own::settings(invocation);
        RandomUniform random = generatorOfProcessZero(invocation.generator(seeds));
        const RandomUniform start = random;
        CommandResult output;
        constexpr bool writesOwnOutput = requires(const typename A::Result& result)
        {
            Own::write(invocation, result, listener);
        };
        if (const ProcessGroup* group = sharingProcessGroup(); group && group->count() > 1) {
            // Shared between processes: process 0 writes once every process has finished its part.
            const typename A::Result result = A::run(input, random, listener);
            listener.throwIfCancelled();
            waitForEveryProcess();
            if (!writesResults())
                return output;
            if constexpr (writesOwnOutput)
                output = Own::write(invocation, result, listener);
            else if constexpr (!std::string_view(A::kReportFileName).empty())
                output.written = {writeAnalysisReport<A>(invocation.outputDirectory, result)};
        } else if constexpr (writesOwnOutput) {
            output = Own::write(invocation, A::run(input, random, listener), listener);
        } else {
            output.written = {runAnalysis<A>(input, random, listener, invocation.outputDirectory).report};
        }
        if (!invocation.seed)
            output.clockSeed = seedDrawnFrom(start, random);
        return output;
    };
    return command;
}

} // namespace tessaloc::cli
