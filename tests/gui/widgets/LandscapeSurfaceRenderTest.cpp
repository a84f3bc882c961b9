// The landscape surface drawn for real. Runs under a virtual X display with Mesa's software OpenGL
// renderer (run-with-xvfb), where the 3-D graph exists; it fails when the graph cannot be made.
#include "tests/gui/GuiTestSupport.h"

#include "ui/analyses/landscape/LandscapeResultsWindow.h"
#include "ui/shell/ProgramState.h"
#include "ui/widgets/LandscapeSurfaceView.h"

#include "analyses/landscape/Landscape.h"
#include "core/ReportWriter.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtDataVisualization/Q3DSurface>
#include <QtTest>

#include <cmath>
#include <memory>
#include <numbers>

using namespace tessaloc;
using namespace tessaloc::ui;
using tessaloc::ui::test::ScriptedDialogs;

Q_DECLARE_METATYPE(tessaloc::RunOutcome)

namespace {

// 24 samples on a circle of radius 40 around (50, 50) and 400 network midpoints inside it with
// heights that rise and fall across the area: a round hull in a square area, so that the corners
// of every grid lie outside it and the middle of the view shows the surface.
LandscapeResult roundShape()
{
    LandscapeResult shape;
    for (int k = 0; k < 24; ++k) {
        const double angle = 2 * std::numbers::pi * k / 24;
        shape.SampleX.push_back(50 + 40 * std::cos(angle));
        shape.SampleY.push_back(50 + 40 * std::sin(angle));
    }
    shape.data = ComputeDataExtents(shape.SampleX, shape.SampleY);
    shape.map = WidenByFivePercent(shape.data);
    shape.ranges = {shape.data.DataMaxX - shape.data.DataMinX, shape.data.DataMaxY - shape.data.DataMinY};
    for (int k = 0; k < 400; ++k) {
        const double radius = 38.0 * std::sqrt((k + 0.5) / 400);
        const double angle = k * 2.39996; // the golden angle spreads the points evenly
        LandscapeEdge edge;
        edge.MidX = 50 + radius * std::cos(angle);
        edge.MidY = 50 + radius * std::sin(angle);
        edge.X1 = edge.X2 = edge.MidX;
        edge.Y1 = edge.Y2 = edge.MidY;
        edge.Height = 0.5 + 0.4 * std::sin(edge.MidX / 9) * std::cos(edge.MidY / 13);
        shape.LandscapeEdges.push_back(edge);
    }
    return shape;
}

// The number of pixels in which two pictures of one size differ clearly.
int differingPixels(const QImage& a, const QImage& b)
{
    const QImage left = a.convertToFormat(QImage::Format_RGB32);
    const QImage right = b.convertToFormat(QImage::Format_RGB32);
    int count = 0;
    for (int y = 0; y < left.height(); ++y) {
        for (int x = 0; x < left.width(); ++x) {
            const QRgb p = left.pixel(x, y);
            const QRgb q = right.pixel(x, y);
            if (std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q)) > 60)
                ++count;
        }
    }
    return count;
}

// Pixels that are clearly blue: the low end of the default gradient.
int bluePixels(const QImage& picture)
{
    const QImage image = picture.convertToFormat(QImage::Format_RGB32);
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            if (qBlue(p) > qRed(p) + 60 && qBlue(p) > qGreen(p) + 60)
                ++count;
        }
    return count;
}

const QSize kPicture(640, 480);

} // namespace

class LandscapeSurfaceRenderTest : public QObject {
    Q_OBJECT

    ProgramState m_state;
    LandscapeResult m_shape;
    QTemporaryDir m_saved;
    std::unique_ptr<LandscapeResultsWindow> m_window;
    QImage m_empty;

    LandscapeSurfaceView* view() { return m_window->surfaceView(); }

    void press(const char* xBins, const char* yBins)
    {
        m_window->findChild<QLineEdit*>(QStringLiteral("Text1"))->setText(QLatin1String(xBins));
        m_window->findChild<QLineEdit*>(QStringLiteral("Text2"))->setText(QLatin1String(yBins));
        QSignalSpy finished(m_window.get(), &LandscapeResultsWindow::interpolationFinished);
        m_window->findChild<QPushButton*>(QStringLiteral("Command1"))->click();
        QVERIFY(finished.wait(120000));
        QCOMPARE(finished.takeFirst().at(0).value<RunOutcome>(), RunOutcome::Success);
    }

    QAction* action(const char* name) { return m_window->findChild<QAction*>(QLatin1String(name)); }

private slots:
    void initTestCase()
    {
        qRegisterMetaType<tessaloc::RunOutcome>();
        QVERIFY(m_saved.isValid());
        m_shape = roundShape();
        auto folder = std::make_unique<QTemporaryDir>();
        writeReportFile(QFile::encodeName(folder->path()).toStdString(), kLandscapeReportFileName,
                        LandscapeReport(m_shape));
        m_window = std::make_unique<LandscapeResultsWindow>(m_state, m_shape, std::move(folder));
        m_window->setAttribute(Qt::WA_DeleteOnClose, false);
        m_window->resize(900, 700);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        QVERIFY2(view()->hasGraph(), "this display gives no OpenGL context: the surface cannot be drawn");
        m_empty = view()->toImage(kPicture);
        QCOMPARE(m_empty.size(), kPicture);
    }

    void theSurfaceIsDrawn()
    {
        press("60", "60");
        const QImage drawn = view()->toImage(kPicture);
        QCOMPARE(drawn.size(), kPicture);
        // The surface covers a good part of the picture, and its low parts are blue.
        const int changed = differingPixels(m_empty, drawn);
        QVERIFY2(changed > kPicture.width() * kPicture.height() / 20, qPrintable(QString::number(changed)));
        QVERIFY2(bluePixels(drawn) > 500, qPrintable(QString::number(bluePixels(drawn))));
    }

    void theNodesOutsideTheHullAreNotDrawn()
    {
        action("fullgrid")->trigger();
        const QImage full = view()->toImage(kPicture);
        action("fullgrid")->trigger();
        const QImage masked = view()->toImage(kPicture);
        // The square grid covers more of the picture than the round hull inside it.
        const int fullArea = differingPixels(m_empty, full);
        const int maskedArea = differingPixels(m_empty, masked);
        QVERIFY2(fullArea > maskedArea + maskedArea / 10,
                 qPrintable(QStringLiteral("full %1, masked %2").arg(fullArea).arg(maskedArea)));
        QVERIFY(differingPixels(full, masked) > 1000);
    }

    void theWireframeAndTheViewChangeThePicture()
    {
        const QImage solid = view()->toImage(kPicture);
        action("wireframe")->trigger();
        const QImage wireframe = view()->toImage(kPicture);
        action("wireframe")->trigger();
        QVERIFY(differingPixels(solid, wireframe) > 1000);
        QVERIFY(bluePixels(wireframe) < bluePixels(solid));

        action("swapxlabels")->trigger();
        const QImage fromTheNorth = view()->toImage(kPicture);
        QCOMPARE(view()->acrossAxis()->title(), QStringLiteral("X (Northern edge)"));
        action("swapxlabels")->trigger();
        QVERIFY(differingPixels(solid, fromTheNorth) > 1000);
        QVERIFY(differingPixels(solid, view()->toImage(kPicture)) < 100);
    }

    void restingTheMouseOnTheSurfaceShowsTheNode()
    {
        QWindow* graph = view()->graph();
        m_window->tabs()->setCurrentIndex(0);
        QVERIFY(QTest::qWaitForWindowExposed(graph));
        QSignalSpy hovered(view(), &LandscapeSurfaceView::nodeHovered);
        const QPoint middle(graph->width() / 2, graph->height() / 2);
        QTest::mouseMove(graph, middle);
        QTRY_VERIFY_WITH_TIMEOUT(!m_window->findChild<QLabel*>(QStringLiteral("Zlabel"))->text().isEmpty(), 30000);
        QVERIFY(m_window->findChild<QLabel*>(QStringLiteral("XLabel"))->text().startsWith(QStringLiteral("X: ")));
        QVERIFY(m_window->findChild<QLabel*>(QStringLiteral("Ylabel"))->text().startsWith(QStringLiteral("Y: ")));
        QVERIFY(!hovered.isEmpty());
    }

    void printingToPdfAndCopyingGiveThePicture()
    {
        ScriptedDialogs dialogs;
        dialogs.printToPdf = m_saved.filePath(QStringLiteral("surface.pdf"));
        action("print3dgraph")->trigger();
        QVERIFY(dialogs.messages.isEmpty());
        QFile pdf(dialogs.printToPdf);
        QVERIFY(pdf.open(QIODevice::ReadOnly));
        const QByteArray bytes = pdf.readAll();
        QVERIFY(bytes.startsWith("%PDF"));
        QVERIFY2(bytes.contains("/Image"), "the page holds no picture");

        QApplication::clipboard()->setText(QStringLiteral("something else"));
        action("copy3dgraph")->trigger();
        const QImage copied = QApplication::clipboard()->image();
        QVERIFY(!copied.isNull());
        QVERIFY(bluePixels(copied) > 100);
    }

    void cleanupTestCase()
    {
        m_window->close();
        m_window.reset();
    }
};

TESSALOC_GUI_TEST_MAIN(LandscapeSurfaceRenderTest)
#include "LandscapeSurfaceRenderTest.moc"
