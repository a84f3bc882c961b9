#pragma once

#include <string_view>

namespace tessaloc {

/// What an engine tells its caller while it runs, and how the caller asks it to stop.
///
/// Every member has a do-nothing default, so an engine can run with no listener attached
/// (`RunListener::none()`). Engines call it from their own thread and only every so many replicates;
/// implementations that talk to a window must hand the calls over to the window's thread themselves.
class RunListener {
public:
    virtual ~RunListener() = default;

    /// The progress text of the status line ("Calculating", "Replicate:  10", ...).
    virtual void status(std::string_view /*text*/) {}
    /// How far a long step has come: `done` of `total` units of work.
    virtual void progress(long long /*done*/, long long /*total*/) {}
    /// True once the caller wants the run to stop; the engine then throws RunCancelled.
    virtual bool cancelled() const { return false; }
    /// A message the user acknowledges (a message box with an OK button); the run goes on.
    virtual void message(std::string_view /*text*/) {}
    /// Something about the input that looks wrong but may be meant (a record that does not start a
    /// line); the run goes on. The batch program writes it as a line on standard error, the window
    /// program shows it in its status line.
    virtual void warning(std::string_view /*text*/) {}

    /// A listener that ignores everything and never cancels.
    static RunListener& none();

    /// Throws RunCancelled when the caller has asked the run to stop.
    void throwIfCancelled() const;
};

} // namespace tessaloc
