#pragma once

#include "core/ProcessGroup.h"

#include <barrier>
#include <cstring>
#include <exception>
#include <functional>
#include <thread>
#include <vector>

namespace tessaloc::test {

/// Threads standing in for the processes of a group, so that the core's sharing of work is tested
/// without a launcher: each member copies the others' blocks out of their arrays.
class ThreadsAsProcesses {
public:
    /// Runs `body(index)` on `count` threads at once, each as member `index` of one group (its
    /// sharingProcessGroup()), and waits for all. An exception in a member leaves the group (the
    /// others no longer wait for it) and is given back, with the member's index, in `failures`.
    static std::vector<std::exception_ptr> run(int count, const std::function<void(int index)>& body)
    {
        ThreadsAsProcesses shared(count);
        std::vector<std::exception_ptr> failures(static_cast<size_t>(count));
        {
            std::vector<std::jthread> threads;
            for (int index = 0; index < count; ++index) {
                threads.emplace_back([&, index] {
                    Member member(shared, index);
                    const SharedWork work(member);
                    try {
                        body(index);
                    } catch (...) {
                        failures[static_cast<size_t>(index)] = std::current_exception();
                        shared.m_arrays[static_cast<size_t>(index)] = nullptr;
                        shared.m_meeting.arrive_and_drop();
                    }
                });
            }
        }
        return failures;
    }

private:
    explicit ThreadsAsProcesses(int count)
        : m_count(count)
        , m_meeting(count)
        , m_arrays(static_cast<size_t>(count))
    {
    }

    class Member final : public ProcessGroup {
    public:
        Member(ThreadsAsProcesses& shared, int index)
            : m_shared(shared)
            , m_index(index)
        {
        }
        int index() const override { return m_index; }
        int count() const override { return m_shared.m_count; }
        void shareBlocks(std::byte* data, size_t elementBytes, std::span<const size_t> starts) override
        {
            m_shared.m_arrays[static_cast<size_t>(m_index)] = data;
            m_shared.m_meeting.arrive_and_wait();
            for (int p = 0; p < count(); ++p) {
                const std::byte* from = m_shared.m_arrays[static_cast<size_t>(p)];
                const size_t bytes =
                    (starts[static_cast<size_t>(p) + 1] - starts[static_cast<size_t>(p)]) * elementBytes;
                if (p != m_index && from && bytes > 0)
                    std::memcpy(data + starts[static_cast<size_t>(p)] * elementBytes,
                                from + starts[static_cast<size_t>(p)] * elementBytes, bytes);
            }
            m_shared.m_meeting.arrive_and_wait();
        }

    private:
        ThreadsAsProcesses& m_shared;
        int m_index;
    };

    int m_count;
    std::barrier<> m_meeting;
    std::vector<std::byte*> m_arrays;
};

} // namespace tessaloc::test
