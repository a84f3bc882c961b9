#include "ui/shell/RunController.h"

#include "ui/widgets/UiHooks.h"

#include <QLabel>
#include <QMetaObject>
#include <QProgressBar>

namespace tessaloc::ui {

namespace {
constexpr auto kSignalInterval = std::chrono::milliseconds(100);

bool hasDigit(std::string_view text)
{
    for (const char c : text)
        if (c >= '0' && c <= '9')
            return true;
    return false;
}
} // namespace

bool WindowRunListener::due(std::chrono::steady_clock::time_point& last)
{
    const auto now = std::chrono::steady_clock::now();
    if (now - last < kSignalInterval)
        return false;
    last = now;
    return true;
}

void WindowRunListener::status(std::string_view text)
{
    // A new phase ("Calculating", "Reading") always shows; counters ("Replicate:  10") only a few
    // times a second.
    if (hasDigit(text) && !due(m_lastStatus))
        return;
    emit statusChanged(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
}

void WindowRunListener::progress(long long done, long long total)
{
    if (done < total && !due(m_lastProgress))
        return;
    emit progressChanged(done, total);
}

void WindowRunListener::message(std::string_view text)
{
    emit messageRequested(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
}

void WindowRunListener::warning(std::string_view text)
{
    emit warningRaised(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
}

RunController::RunController(QObject* parent)
    : QObject(parent)
    , m_listener(new WindowRunListener(this))
{
    qRegisterMetaType<tessaloc::RunStatus>();
}

RunController::~RunController()
{
    cancelAndWait();
}

bool RunController::start(std::function<void(RunListener&)> body)
{
    if (m_running)
        return false;
    joinWorker();
    m_running = true;
    // A fresh listener per run, so that a cancel of the last run does not stop this one.
    delete m_listener;
    m_listener = new WindowRunListener(this);
    WindowRunListener* listener = m_listener;
    // Connected before the thread starts, so that not even the first status text is lost.
    connect(listener, &WindowRunListener::statusChanged, this, &RunController::statusChanged, Qt::QueuedConnection);
    connect(listener, &WindowRunListener::progressChanged, this, &RunController::progressChanged, Qt::QueuedConnection);
    connect(listener, &WindowRunListener::messageRequested, this, &RunController::messageRequested,
            Qt::QueuedConnection);
    connect(listener, &WindowRunListener::warningRaised, this, &RunController::warningRaised, Qt::QueuedConnection);
    m_worker = std::thread([this, listener, work = std::move(body)] {
        RunStatus status = runGuarded([&] { work(*listener); });
        // Queued to the controller's thread; dropped when the controller is gone.
        QMetaObject::invokeMethod(
            this,
            [this, status] {
                m_running = false;
                joinWorker();
                emit finished(status);
            },
            Qt::QueuedConnection);
    });
    return true;
}

void RunController::cancel()
{
    if (m_running)
        m_listener->cancel();
}

void RunController::cancelAndWait()
{
    if (m_listener)
        m_listener->cancel();
    joinWorker();
    m_running = false;
}

void RunController::joinWorker()
{
    if (m_worker.joinable())
        m_worker.join();
}

void showRunProgress(RunController& runs, QLabel& status, QProgressBar& bar, QWidget& parent)
{
    QObject::connect(&runs, &RunController::statusChanged, &status, &QLabel::setText);
    QObject::connect(&runs, &RunController::progressChanged, &bar, [&bar](qint64 done, qint64 total) {
        // Shown in thousandths, since counts may pass the bar's int range.
        bar.setRange(0, 1000);
        bar.setValue(total > 0 ? static_cast<int>(done * 1000 / total) : 0);
    });
    QObject::connect(&runs, &RunController::messageRequested, &parent,
                     [&parent](const QString& text) { showMessage(&parent, text); });
}

} // namespace tessaloc::ui
