#include "core/RunFiles.h"

#include <optional>
#include <sys/stat.h>
#include <utility>

namespace tessaloc {
namespace {

namespace fs = std::filesystem;

struct Identity {
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(const Identity&) const = default;
};

std::optional<Identity> identityOf(const fs::path& path)
{
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0)
        return std::nullopt;
    return Identity{status.st_dev, status.st_ino};
}

fs::path folderOf(const fs::path& path)
{
    return path.has_parent_path() ? path.parent_path() : fs::path(".");
}

fs::path lexicalPlace(const fs::path& path)
{
    std::error_code ignored;
    return fs::absolute(path, ignored).lexically_normal();
}

// The same name in the same folder: what a rename into place replaces.
bool samePlace(const fs::path& a, const fs::path& b)
{
    if (a.filename() != b.filename())
        return lexicalPlace(a) == lexicalPlace(b);
    const std::optional<Identity> folderA = identityOf(folderOf(a));
    const std::optional<Identity> folderB = identityOf(folderOf(b));
    if (folderA && folderB)
        return *folderA == *folderB;
    return lexicalPlace(a) == lexicalPlace(b);
}

} // namespace

FileClash::FileClash(RunFile output, RunFile other)
    : std::runtime_error(output.label + " names " + other.label + "; " + output.remedy)
    , m_output(std::move(output))
    , m_other(std::move(other))
{
}

bool replacesFile(const fs::path& written, const fs::path& other)
{
    if (written.empty() || other.empty())
        return false;
    if (samePlace(written, other))
        return true;
    const std::optional<Identity> writtenFile = identityOf(written);
    return writtenFile && writtenFile == identityOf(other);
}

void requireOutputsApart(const std::vector<RunFile>& inputs, const std::vector<RunFile>& outputs)
{
    for (size_t k = 0; k < outputs.size(); ++k) {
        for (size_t earlier = 0; earlier < k; ++earlier) {
            if (replacesFile(outputs[k].path, outputs[earlier].path))
                throw FileClash(outputs[k], outputs[earlier]);
        }
        for (const RunFile& input : inputs) {
            if (replacesFile(outputs[k].path, input.path))
                throw FileClash(outputs[k], input);
        }
    }
}

} // namespace tessaloc
