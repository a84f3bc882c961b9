#include "cli/OutputFiles.h"

#include "core/Errors.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace tessaloc::cli {
namespace {

std::string quotedPath(const std::string& path)
{
    return "\"" + escapeControlCharacters(path) + "\"";
}

const OptionSpec* optionNamed(const Subcommand& command, const std::string& name)
{
    for (const std::vector<OptionSpec>* options : {&command.options, &commonOptions()}) {
        for (const OptionSpec& option : *options) {
            if (option.name == name)
                return &option;
        }
    }
    return nullptr;
}

// Every value given for an option (of the command or a common one) whose value names a file, with
// the option's name, what the file is, and the option.
template <typename Visit> void forEachFileOption(const Subcommand& command, const Invocation& invocation, Visit visit)
{
    const auto visitValue = [&](const std::string& name, const std::string& value) {
        const OptionSpec* option = optionNamed(command, name);
        if (option && option->file != OptionFile::None)
            visit(name, value, option->file, *option);
    };
    for (const auto& [name, value] : invocation.values)
        visitValue(name, value);
    for (const auto& [name, values] : invocation.repeatedValues) {
        for (const std::string& value : values)
            visitValue(name, value);
    }
}

// The output folder must take the reports, which are written only when the analysis is done.
void requireWritableFolder(const std::filesystem::path& folder)
{
    const std::string named = "--output-dir " + quotedPath(folder.string());
    struct stat status {};
    if (::stat(folder.c_str(), &status) != 0) {
        const int error = errno;
        throw UsageError(named + (error == ENOENT ? std::string(": there is no such folder")
                                                  : ": cannot be used (" + std::string(std::strerror(error)) + ")"));
    }
    if (!S_ISDIR(status.st_mode))
        throw UsageError(named + " is a file, not a folder");
    if (::access(folder.c_str(), W_OK | X_OK) != 0)
        throw UsageError(named + ": this folder cannot be written to (" + std::string(std::strerror(errno)) + ")");
}

} // namespace

std::vector<RunFile> filesRead(const Subcommand& command, const Invocation& invocation)
{
    std::vector<RunFile> files;
    if (command.readsSampleFiles)
        files.push_back({invocation.coordinatePath, "the coordinate file", {}});
    if (command.readsSampleFiles && command.needsGenotypes)
        files.push_back({invocation.genotypePath, "the genotype file", {}});
    forEachFileOption(command, invocation,
                      [&](const std::string& name, const std::string& value, OptionFile kind, const OptionSpec&) {
                          std::string file = value;
                          if (kind == OptionFile::DistanceChoice) {
                              const size_t colon = value.find(':');
                              file = colon == std::string::npos ? std::string() : value.substr(colon + 1);
                          }
                          if (kind != OptionFile::Written && !file.empty())
                              files.push_back({file, "the " + name + " file " + quotedPath(file), {}});
                      });
    return files;
}

std::vector<RunFile> filesWritten(const Subcommand& command, const Invocation& invocation)
{
    std::vector<RunFile> files;
    for (const std::string& report : command.reportFiles)
        files.push_back({invocation.outputDirectory / report, "the report " + report,
                         "write the reports into another folder with --output-dir"});
    forEachFileOption(
        command, invocation,
        [&](const std::string& name, const std::string& value, OptionFile kind, const OptionSpec& option) {
            if (kind == OptionFile::Written && !value.empty())
                files.push_back(
                    {value, name + " " + quotedPath(value), "give " + option.fileWhat + " a name of its own"});
        });
    return files;
}

void checkRunFiles(const Subcommand& command, const Invocation& invocation)
{
    if (!command.reportFiles.empty())
        requireWritableFolder(invocation.outputDirectory);
    try {
        requireOutputsApart(filesRead(command, invocation), filesWritten(command, invocation));
    } catch (const FileClash& clash) {
        throw UsageError(clash.what());
    }
}

void requireOutputOverNoInput(std::string_view option, const std::string& file,
                              const std::vector<std::pair<std::filesystem::path, std::string>>& inputs,
                              std::string_view what)
{
    for (const auto& [input, role] : inputs) {
        if (replacesFile(file, input))
            throw UsageError(std::string(option) + " \"" + escapeControlCharacters(file) + "\" names " + role +
                             "; give " + std::string(what) + " a name of its own");
    }
}

} // namespace tessaloc::cli
