#pragma once

#include "core/RunListener.h"

#include <string>
#include <string_view>
#include <vector>

namespace tessaloc::testing {

/// A listener that keeps every status text, message and warning, and can ask a run to stop once it has shown
/// its first status text.
class RecordingListener : public RunListener {
public:
    void status(std::string_view text) override { statuses.emplace_back(text); }
    void message(std::string_view text) override { messages.emplace_back(text); }
    void warning(std::string_view text) override { warnings.emplace_back(text); }
    bool cancelled() const override { return cancelAfterFirstStatus && !statuses.empty(); }

    std::vector<std::string> statuses;
    std::vector<std::string> messages;
    std::vector<std::string> warnings;
    bool cancelAfterFirstStatus = false;
};

} // namespace tessaloc::testing
