// Runs the Mantel test from the main window on two files and measures what the user meets: the
// time from "Go" to the results window shown and drawn, the report page scrolled from its first
// line to its last, the chart resized, the pair under the mouse found, and the program's peak
// memory. Prints one "name value" line per figure. Used by measure_mantel_window.sh.
//
//   tessaloc_measure_mantel_window COORDS GENOTYPES PERMUTATIONS

#include "ui/analyses/mantel/MantelResultsWindow.h"
#include "ui/shell/MainWindow.h"
#include "ui/shell/ProgramState.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTimer>
#include <QWindow>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

using namespace tessaloc;
using namespace tessaloc::ui;

double peakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void print(const char* name, double value)
{
    std::printf("%s %.3f\n", name, value);
    std::fflush(stdout);
}

/// Lets the window system deliver and paint for `milliseconds`, waiting for events rather than
/// polling, so that the run's threads have the processor.
void settle(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

/// Milliseconds of each call of `step` followed by a synchronous repaint of `widget`: the mean and
/// the longest.
void measureSteps(const char* name, int steps, QWidget& widget, const std::function<void(int)>& step)
{
    std::vector<double> times;
    for (int k = 0; k < steps; ++k) {
        QElapsedTimer clock;
        clock.start();
        step(k);
        QApplication::processEvents();
        widget.repaint();
        times.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
    }
    double sum = 0.0;
    for (const double t : times)
        sum += t;
    std::printf("%s_mean_ms %.2f\n%s_max_ms %.2f\n", name, sum / static_cast<double>(times.size()), name,
                *std::max_element(times.begin(), times.end()));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s COORDS GENOTYPES PERMUTATIONS\n", argv[0]);
        return 64;
    }
    ProgramState state;
    state.settings.mantel.permutations.count = QString::fromLocal8Bit(argv[3]).toLongLong();
    MainWindow mainWindow(state);
    mainWindow.setRunGenerator([] { return RandomUniform(1, 1); });
    mainWindow.show();
    settle(500);
    mainWindow.findChild<QLineEdit*>(QStringLiteral("Text1"))->setText(QString::fromLocal8Bit(argv[1]));
    mainWindow.findChild<QLineEdit*>(QStringLiteral("Text2"))->setText(QString::fromLocal8Bit(argv[2]));
    mainWindow.findChild<QComboBox*>(QStringLiteral("Combo1"))->setCurrentIndex(0);
    print("start_peak_mb", peakMegabytes());

    QElapsedTimer clock;
    QObject::connect(&mainWindow, &MainWindow::runFinished, &mainWindow,
                     [&clock] { print("go_to_window_made_s", static_cast<double>(clock.nsecsElapsed()) / 1e9); });
    clock.start();
    mainWindow.findChild<QPushButton*>(QStringLiteral("Command3"))->click();
    {
        QEventLoop loop;
        QObject::connect(&mainWindow, &MainWindow::runFinished, &loop, &QEventLoop::quit);
        loop.exec();
    }
    ResultsWindow* results = mainWindow.resultsWindow();
    if (!results) {
        std::fprintf(stderr, "the run opened no results window\n");
        return 1;
    }
    while (!results->windowHandle() || !results->windowHandle()->isExposed())
        settle(2);
    // Drawn: the events of showing it (the first paint among them) delivered.
    QApplication::processEvents();
    results->repaint();
    print("go_to_window_s", static_cast<double>(clock.nsecsElapsed()) / 1e9);
    print("shown_peak_mb", peakMegabytes());

    // The report page, from its first line to its last in 100 jumps, then page by page.
    results->tabs()->setCurrentIndex(1);
    settle(200);
    ReportLinesView* lines = results->reportView()->lines();
    print("report_lines", static_cast<double>(lines->lineCount()));
    QScrollBar* bar = lines->verticalScrollBar();
    measureSteps("report_jump", 101, *lines->viewport(),
                 [&](int k) { bar->setValue(static_cast<int>(static_cast<qint64>(bar->maximum()) * k / 100)); });
    bar->setValue(bar->maximum() / 3);
    measureSteps("report_page_down", 200, *lines->viewport(),
                 [&](int) { bar->triggerAction(QAbstractSlider::SliderPageStepAdd); });
    QElapsedTimer findClock;
    findClock.start();
    results->reportView()->find(QStringLiteral("no such text in the report"));
    print("report_find_nothing_s", static_cast<double>(findClock.nsecsElapsed()) / 1e9);

    // The chart while the window is resized, then once the resizing has come to rest.
    results->tabs()->setCurrentIndex(0);
    settle(200);
    Chart* chart = results->chart();
    const QSize size = results->size();
    measureSteps("chart_resize", 20, *chart, [&](int k) { results->resize(size + QSize(10 * k, 6 * k)); });
    settle(400);
    QElapsedTimer restClock;
    restClock.start();
    chart->update();
    settle(0);
    chart->repaint();
    print("chart_after_resize_ms", static_cast<double>(restClock.nsecsElapsed()) / 1e6);

    QElapsedTimer hoverClock;
    hoverClock.start();
    const QPoint middle(chart->width() / 2, chart->height() / 2);
    chart->pointAt(middle);
    print("first_hover_ms", static_cast<double>(hoverClock.nsecsElapsed()) / 1e6);
    hoverClock.restart();
    for (int k = 0; k < 100; ++k)
        chart->pointAt(middle + QPoint(k % 10, k / 10));
    print("hover_ms", static_cast<double>(hoverClock.nsecsElapsed()) / 1e6 / 100.0);
    print("end_peak_mb", peakMegabytes());
    return 0;
}
