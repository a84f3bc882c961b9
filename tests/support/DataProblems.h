#pragma once

// The message of the data problem a piece of code throws, for the tests of messages.

#include "core/Errors.h"

#include <functional>
#include <string>

namespace tessaloc::testing {

/// The message of the DataProblem that `body` throws, or "no data problem".
inline std::string dataProblemOf(const std::function<void()>& body)
{
    try {
        body();
    } catch (const DataProblem& problem) {
        return problem.what();
    }
    return "no data problem";
}

} // namespace tessaloc::testing
