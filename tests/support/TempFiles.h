#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tessaloc::testing {

/// A fresh folder below the system's temporary folder, removed with everything in it at the end of
/// the test.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    /// Writes `content` byte for byte as `name` in the folder and returns its path.
    std::filesystem::path write(std::string_view name, std::string_view content) const;

private:
    std::filesystem::path m_path;
};

/// The whole content of a file, byte for byte.
std::string readFile(const std::filesystem::path& path);

/// The names of everything in a folder, sorted.
std::vector<std::string> fileNamesIn(const std::filesystem::path& folder);

} // namespace tessaloc::testing
