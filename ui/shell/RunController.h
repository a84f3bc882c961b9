#pragma once

#include "core/Errors.h"
#include "core/RunListener.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <thread>

class QLabel;
class QProgressBar;
class QWidget;

namespace tessaloc::ui {

/// The listener a window hands to an engine running on a worker thread. Status texts, progress and
/// messages reach the window as queued signals, at most a few a second, so that a fast permutation
/// loop cannot flood the window's event queue; cancelling is a flag the engine polls.
class WindowRunListener : public QObject, public RunListener {
    Q_OBJECT
public:
    explicit WindowRunListener(QObject* parent = nullptr)
        : QObject(parent)
    {
    }

    void status(std::string_view text) override;
    void progress(long long done, long long total) override;
    bool cancelled() const override { return m_cancelled.load(); }
    void message(std::string_view text) override;
    void warning(std::string_view text) override;

    /// Asks the engine to stop at its next check; callable from any thread.
    void cancel() { m_cancelled = true; }

signals:
    void statusChanged(const QString& text);
    void progressChanged(qint64 done, qint64 total);
    void messageRequested(const QString& text);
    void warningRaised(const QString& text);

private:
    /// True when enough time has passed since the last signal of this kind.
    static bool due(std::chrono::steady_clock::time_point& last);

    std::atomic<bool> m_cancelled{false};
    std::chrono::steady_clock::time_point m_lastStatus{};
    std::chrono::steady_clock::time_point m_lastProgress{};
};

/// Runs one analysis on a worker thread. `start` calls `body` there under runGuarded and, when it
/// has returned, emits finished() on the controller's own thread. One run at a time.
class RunController : public QObject {
    Q_OBJECT
public:
    explicit RunController(QObject* parent = nullptr);
    /// Cancels a run still going and waits for its thread.
    ~RunController() override;

    /// Starts `body` with the controller's listener. Returns false when a run is already going.
    bool start(std::function<void(RunListener&)> body);
    /// Asks the current run to stop; it then finishes with RunOutcome::Cancelled.
    void cancel();
    /// Cancels and waits until the worker thread has ended (used when the window closes).
    void cancelAndWait();
    bool running() const { return m_running; }
    WindowRunListener& listener() { return *m_listener; }

signals:
    void finished(const tessaloc::RunStatus& status);
    /// The listener's signals of the current run, passed on queued.
    void statusChanged(const QString& text);
    void progressChanged(qint64 done, qint64 total);
    void messageRequested(const QString& text);
    void warningRaised(const QString& text);

private:
    void joinWorker();

    WindowRunListener* m_listener = nullptr;
    std::thread m_worker;
    bool m_running = false;
};

/// Shows the runs of `runs` in a window's status line: their status texts in `status`, their
/// progress on `bar` and their messages as message boxes over `parent`.
void showRunProgress(RunController& runs, QLabel& status, QProgressBar& bar, QWidget& parent);

} // namespace tessaloc::ui

Q_DECLARE_METATYPE(tessaloc::RunStatus)
