#pragma once

// What the harnesses of the genotype formats share: the scratch file the readers read (they take
// paths), and the checks of what a reader gives and of its matching with coordinate names.

#include "formats/GenotypeFormats.h"
#include "tests/fuzz/FuzzChecks.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace tessaloc::fuzz {

/// A listener whose warnings must be as safe as every message.
class CheckingListener : public RunListener {
public:
    void warning(std::string_view text) override { requireSafeMessage(text); }
};

/// A file of its own in the system's temporary folder, the same for the whole run.
inline const std::string& scratchPath()
{
    static const std::string path = [] {
        std::string name = (std::filesystem::temp_directory_path() / "tessaloc-fuzz-XXXXXX").string();
        const int descriptor = mkstemp(name.data());
        if (descriptor >= 0)
            close(descriptor);
        return name;
    }();
    return path;
}

/// Replaces the scratch file with one of `size` bytes from `data`. The file is made anew rather
/// than cut to nothing and rewritten, which some file systems (ext4) answer by writing it to the
/// disk at once, at a cost of many runs a second.
inline void writeScratch(const std::uint8_t* data, std::size_t size)
{
    ::unlink(scratchPath().c_str());
    const int descriptor = ::open(scratchPath().c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    require(descriptor >= 0, "the scratch file cannot be made");
    for (std::size_t written = 0; written < size;) {
        const ssize_t count = ::write(descriptor, data + written, size - written);
        require(count > 0, "the scratch file cannot be written");
        written += static_cast<std::size_t>(count);
    }
    ::close(descriptor);
}

/// Checks that every locus has every sample and that the table's loci have every observation.
inline void requireWholeTable(const SampleTable& table)
{
    require(table.locusCount == static_cast<int>(table.genotypes.size()), "a locus count that is not the loci's");
    for (const GenotypeColumn& column : table.genotypes)
        require(column.size() == table.names.size(), "a matched locus without every observation");
}

/// Checks what a reader gave, then matches it with coordinates as the front ends do: by name with
/// coordinates that name its first samples (the first one twice, after the second, when
/// `repeatAName`), or by order with as many observations as samples (one fewer when `repeatAName`).
inline void requireMatchable(NamedGenotypes genotypes, bool repeatAName, SampleMatching matching)
{
    require(genotypes.names.size() == genotypes.places.size(), "a sample without its place");
    for (const GenotypeColumn& column : genotypes.loci)
        require(column.size() == genotypes.names.size(), "a locus without every sample");
    require(genotypes.xTexts.size() == genotypes.yTexts.size(), "X and Y out of step");
    require(genotypes.xTexts.empty() || genotypes.xTexts.size() == genotypes.names.size(),
            "coordinates for some samples only");
    SampleTable table;
    if (matching == SampleMatching::ByOrder) {
        const size_t count = genotypes.names.size() - (repeatAName && !genotypes.names.empty() ? 1 : 0);
        table.names.assign(count, "s");
    } else {
        table.names.assign(genotypes.names.begin(),
                           genotypes.names.begin() + std::min<size_t>(genotypes.names.size(), 3));
        if (repeatAName && !table.names.empty())
            table.names.push_back(table.names.front());
    }
    table.xTexts.assign(table.names.size(), "0");
    table.yTexts.assign(table.names.size(), "0");
    CheckingListener listener;
    if (matching == SampleMatching::ByOrder)
        MatchGenotypesByOrder(std::move(genotypes), table);
    else
        MatchGenotypesByName(std::move(genotypes), table, listener);
    requireWholeTable(table);
}

} // namespace tessaloc::fuzz
