// The run controller on its own: the engine's body on a worker thread, its outcome and texts back on
// the controller's thread. Small enough to run under ThreadSanitizer as well.
#include "ui/shell/RunController.h"

#include "core/Errors.h"

#include <QSignalSpy>
#include <QtTest>

#include <atomic>
#include <memory>
#include <thread>

using namespace tessaloc;
using namespace tessaloc::ui;

namespace {

// Waits (without a clock of its own) until the controller's run has finished.
RunStatus waitForFinish(QSignalSpy& finished)
{
    if (finished.isEmpty() && !finished.wait(60000))
        return {RunOutcome::AnalysisError, "the run did not finish", {}};
    return finished.takeFirst().at(0).value<RunStatus>();
}

} // namespace

class RunControllerTest : public QObject {
    Q_OBJECT

private slots:
    void finishesWithTheBodysOutcome_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QString>("text");
        QTest::newRow("success") << 0 << static_cast<int>(RunOutcome::Success) << QString();
        QTest::newRow("data problem") << 1 << static_cast<int>(RunOutcome::DataProblem) << QStringLiteral("bad");
        QTest::newRow("analysis error") << 2 << static_cast<int>(RunOutcome::AnalysisError) << QStringLiteral("why");
    }
    void finishesWithTheBodysOutcome()
    {
        QFETCH(int, kind);
        QFETCH(int, outcome);
        QFETCH(QString, text);
        RunController controller;
        QSignalSpy finished(&controller, &RunController::finished);
        QVERIFY(controller.start([kind](RunListener&) {
            if (kind == 1)
                throw DataProblem("bad");
            if (kind == 2)
                throw AnalysisError("why");
        }));
        const RunStatus status = waitForFinish(finished);
        QCOMPARE(static_cast<int>(status.outcome), outcome);
        QCOMPARE(QString::fromStdString(status.text), text);
        QVERIFY(!controller.running());
    }

    void passesStatusAndProgressToItsOwnThread()
    {
        RunController controller;
        QSignalSpy statuses(&controller, &RunController::statusChanged);
        QSignalSpy progress(&controller, &RunController::progressChanged);
        QSignalSpy finished(&controller, &RunController::finished);
        const std::thread::id windowThread = std::this_thread::get_id();
        std::thread::id statusThread;
        connect(&controller, &RunController::statusChanged, this,
                [&statusThread] { statusThread = std::this_thread::get_id(); });
        QVERIFY(controller.start([](RunListener& listener) {
            listener.status("Reading");
            listener.progress(5, 5);
        }));
        QCOMPARE(static_cast<int>(waitForFinish(finished).outcome), static_cast<int>(RunOutcome::Success));
        QCOMPARE(statuses.count(), 1);
        QCOMPARE(statuses.at(0).at(0).toString(), QStringLiteral("Reading"));
        QCOMPARE(progress.count(), 1);
        QCOMPARE(progress.at(0).at(0).toLongLong(), 5LL);
        QVERIFY(statusThread == windowThread);
    }

    void cancelStopsTheRunAndAllowsTheNext()
    {
        RunController controller;
        QSignalSpy finished(&controller, &RunController::finished);
        std::atomic<bool> started{false};
        QVERIFY(controller.start([&started](RunListener& listener) {
            started = true;
            while (!listener.cancelled())
                std::this_thread::yield();
            listener.throwIfCancelled();
        }));
        while (!started)
            std::this_thread::yield();
        QVERIFY(controller.running());
        QVERIFY2(!controller.start([](RunListener&) {}), "one run at a time");
        controller.cancel();
        QCOMPARE(static_cast<int>(waitForFinish(finished).outcome), static_cast<int>(RunOutcome::Cancelled));

        // The next run gets a listener of its own, not the cancelled one.
        QVERIFY(controller.start([](RunListener& listener) { listener.throwIfCancelled(); }));
        QCOMPARE(static_cast<int>(waitForFinish(finished).outcome), static_cast<int>(RunOutcome::Success));
    }

    void closingCancelsAndWaitsForTheWorker()
    {
        auto controller = std::make_unique<RunController>();
        std::atomic<bool> started{false};
        std::atomic<bool> ended{false};
        QVERIFY(controller->start([&](RunListener& listener) {
            started = true;
            while (!listener.cancelled())
                std::this_thread::yield();
            ended = true;
        }));
        while (!started)
            std::this_thread::yield();
        controller.reset();
        QVERIFY(ended);
    }
};

QTEST_GUILESS_MAIN(RunControllerTest)
#include "RunControllerTest.moc"
