#pragma once

#include <cstddef>
#include <span>
#include <vector>

namespace tessaloc {

/// Processes that share one run, each holding the whole input: the permutation replicates and the
/// rows of the genetic distances are split among them in contiguous blocks, and every process
/// receives every block before it goes on, so that all of them then hold what a single process
/// would have computed. The computing code never sees how the processes talk to each other; the
/// batch program provides a group over MPI, the tests one over threads.
///
/// Every member must make the same calls in the same order: a call is a meeting of all processes.
class ProcessGroup {
public:
    virtual ~ProcessGroup() = default;

    /// This process's place in the group, 0..count()-1. Process 0 alone writes the results.
    virtual int index() const = 0;
    /// The processes of the group, at least 1.
    virtual int count() const = 0;

    /// `data` holds `starts.back()` elements of `elementBytes` bytes each, of which this process has
    /// filled its own block, elements starts[index()] up to starts[index() + 1]; `starts` has count() + 1
    /// entries, ascending, starting at 0. Afterwards every process holds every block. Throws
    /// AnalysisError when the processes cannot exchange them.
    virtual void shareBlocks(std::byte* data, std::size_t elementBytes, std::span<const std::size_t> starts) = 0;
};

/// The group the calling thread shares its work with, or nullptr when it works alone (the window
/// program, the tests, a batch run without a launcher). Worker threads never have one: only the
/// thread that set the group up meets the other processes.
ProcessGroup* sharingProcessGroup();

/// While it lives, sharingProcessGroup() is `group` on the thread that made it; afterwards it is what
/// it was before.
class SharedWork {
public:
    explicit SharedWork(ProcessGroup& group);
    ~SharedWork();
    SharedWork(const SharedWork&) = delete;
    SharedWork& operator=(const SharedWork&) = delete;

private:
    ProcessGroup* m_before;
};

/// While it lives, sharingProcessGroup() is nullptr on the thread that made it: for work a process
/// does on its own (its block of bootstrap resamples), whose inner loops must not meet the group.
class WorkAlone {
public:
    WorkAlone();
    ~WorkAlone();
    WorkAlone(const WorkAlone&) = delete;
    WorkAlone& operator=(const WorkAlone&) = delete;

private:
    ProcessGroup* m_before;
};

/// `total` items split into `parts` contiguous blocks whose sizes differ by one at most, the larger
/// ones first: parts + 1 starts, from 0 to total.
std::vector<std::size_t> evenBlockStarts(std::size_t total, int parts);

/// This process's share of `total` replicates (or resamples) split with evenBlockStarts among the
/// processes of `group`: items first..end-1 (0-based), and every process's starts, for shareBlocks.
/// Without a group, or in a group of one, the whole range.
struct OwnBlock {
    std::vector<std::size_t> starts;
    std::size_t first = 0;
    std::size_t end = 0;
};
OwnBlock ownBlock(std::size_t total, const ProcessGroup* group);

/// The rows 0..n-2 of the pairs i < j of `n` observations split into `parts` contiguous blocks of
/// about the same number of pairs (row i holds n - 1 - i of them): parts + 1 starting rows, from 0
/// to n - 1 (0 for fewer than two observations).
std::vector<int> pairRowBlockStarts(int n, int parts);

} // namespace tessaloc
