#include "cli/OutputFiles.h"

#include "core/Errors.h"

#include <filesystem>
#include <utility>

namespace tessaloc::cli {
namespace {

// The path a file written under `path` ends up at: its folder as it resolves, and its name. Files are
// renamed into place, so a link at the name itself is replaced rather than followed.
std::filesystem::path placeWrittenTo(const std::filesystem::path& path)
{
    std::error_code ignored;
    const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : ".";
    return std::filesystem::weakly_canonical(std::filesystem::absolute(folder, ignored), ignored) / path.filename();
}

} // namespace

void requireOutputFileOfItsOwn(const Invocation& invocation, std::string_view option, const std::string& file,
                               std::string_view reportFileName, std::string_view what)
{
    const std::filesystem::path written = placeWrittenTo(file);
    std::string names;
    if (written == placeWrittenTo(invocation.outputDirectory / reportFileName)) {
        names = "the report " + std::string(reportFileName);
    } else {
        const char* otherRole = invocation.geoDistances.kind == GeoDistanceKind::Matrix ? "the distance matrix file"
                                                                                        : "the resistance surface";
        for (const auto& [input, role] : {std::pair{invocation.coordinatePath, "the coordinate file"},
                                          std::pair{invocation.genotypePath, "the genotype file"},
                                          std::pair{invocation.geoDistances.file, otherRole}}) {
            if (input.empty())
                continue;
            std::error_code ignored;
            if (written == placeWrittenTo(input) || written == std::filesystem::weakly_canonical(input, ignored)) {
                names = role;
                break;
            }
        }
    }
    if (!names.empty())
        throw UsageError(std::string(option) + " \"" + escapeControlCharacters(file) + "\" names " + names + "; give " +
                         std::string(what) + " a name of its own");
}

bool sameOutputFile(const std::string& first, const std::string& second)
{
    return placeWrittenTo(first) == placeWrittenTo(second);
}

} // namespace tessaloc::cli
