#include "core/RunFiles.h"

#include "tests/support/TempFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace tessaloc {
namespace {

namespace fs = std::filesystem;
using tessaloc::testing::TempFolder;

// A folder with a file `data/m.csv`, a folder `data/sub`, a link `link` to `data`, a link
// `data/alias.csv` to the file, a hard link `data/hard.csv` of it and another file `data/other.csv`.
class Files {
public:
    Files()
    {
        fs::create_directories(m_folder.path() / "data" / "sub");
        m_folder.write("data/m.csv", "matrix");
        m_folder.write("data/other.csv", "other");
        fs::create_directory_symlink(m_folder.path() / "data", m_folder.path() / "link");
        fs::create_symlink(m_folder.path() / "data" / "m.csv", m_folder.path() / "data" / "alias.csv");
        fs::create_hard_link(m_folder.path() / "data" / "m.csv", m_folder.path() / "data" / "hard.csv");
    }
    fs::path operator()(const std::string& relative) const { return m_folder.path() / relative; }

private:
    TempFolder m_folder;
};

TEST(ReplacesFile, ComparesTheFilesNotTheirSpellings)
{
    const Files files;
    const struct {
        std::string written;
        std::string other;
        bool replaces;
        const char* why;
    } cases[] = {
        {"data/m.csv", "data/m.csv", true, "the same path"},
        {"data/./m.csv", "data/m.csv", true, "a dot folder"},
        {"data/sub/../m.csv", "data/m.csv", true, "a folder and back"},
        {"link/m.csv", "data/m.csv", true, "a linked folder"},
        {"data/alias.csv", "data/m.csv", true, "a symbolic link to the file"},
        {"data/hard.csv", "data/m.csv", true, "a second name of the same file"},
        {"data/new.csv", "link/new.csv", true, "a file not yet there, through a linked folder"},
        {"data/missing/x.csv", "data/missing/./x.csv", true, "a folder not there, by the normal form"},
        {"data/other.csv", "data/m.csv", false, "another file"},
        {"data/new.csv", "data/m.csv", false, "a new file beside it"},
        {"data/sub/m.csv", "data/m.csv", false, "the same name in another folder"},
        {"data/m.csv", "", false, "no file at all (an option not given)"},
    };
    for (const auto& c : cases) {
        const fs::path other = c.other.empty() ? fs::path() : files(c.other);
        EXPECT_EQ(replacesFile(files(c.written), other), c.replaces) << c.why;
    }
}

TEST(ReplacesFile, RelativePathsAreTakenFromTheCurrentFolder)
{
    const Files files;
    const fs::path before = fs::current_path();
    fs::current_path(files("data"));
    EXPECT_TRUE(replacesFile("m.csv", files("data/m.csv")));
    EXPECT_TRUE(replacesFile("./sub/../m.csv", files("link/m.csv")));
    EXPECT_FALSE(replacesFile("sub/m.csv", files("data/m.csv")));
    fs::current_path(before);
}

TEST(RequireOutputsApart, NamesTheFirstClashEarlierOutputsBeforeInputs)
{
    const Files files;
    const RunFile coordinates{files("data/other.csv"), "the coordinate file", {}};
    const RunFile matrix{files("data/m.csv"), "the --geo-matrix file", {}};
    const RunFile report{files("data/m.csv"), "the report m.csv", "choose another folder"};
    const RunFile table{files("link/m.csv"), "--support \"t\"", "give the table a name of its own"};

    EXPECT_NO_THROW(requireOutputsApart({coordinates}, {report}));
    EXPECT_NO_THROW(requireOutputsApart({coordinates, matrix}, {}));
    try {
        requireOutputsApart({coordinates, matrix}, {report, table});
        FAIL() << "the report replaces the matrix";
    } catch (const FileClash& clash) {
        EXPECT_STREQ(clash.what(), "the report m.csv names the --geo-matrix file; choose another folder");
        EXPECT_EQ(clash.output().label, report.label);
        EXPECT_EQ(clash.other().label, matrix.label);
    }
    try {
        requireOutputsApart({coordinates}, {report, table});
        FAIL() << "the table replaces the report";
    } catch (const FileClash& clash) {
        EXPECT_STREQ(clash.what(), "--support \"t\" names the report m.csv; give the table a name of its own");
    }
}

} // namespace
} // namespace tessaloc
