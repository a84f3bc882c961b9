#include "ui/analyses/pairedsample/PairedSampleResultsWindow.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QTabWidget>

namespace tessaloc::ui {

PairedSampleResultsWindow::PairedSampleResultsWindow(ProgramState& state, const PairedSampleResult& result,
                                                     std::unique_ptr<QTemporaryDir> runFolder, QWidget* parent)
    : ResultsWindow(state, QStringLiteral("Paired-Sample Genetic Distance Analysis"), std::move(runFolder), parent)
    , m_result(result)
{
    setObjectName(QStringLiteral("PSGDAPlotForm"));
    setWindowTitle(QStringLiteral("PSGDA Results"));

    Chart* plot = addChartPage(QStringLiteral("Graph"));
    addReportPage(QStringLiteral("Results"));
    tabs()->setCurrentIndex(0);
    plot->setTitle(QStringLiteral("PSGDA Test Results"));
    plot->setAxisTitles(QStringLiteral("Neighbor Rank"), QStringLiteral("Lij,ik"));

    auto* choice = new QWidget(this);
    auto* row = new QHBoxLayout(choice);
    auto* label = new QLabel(QStringLiteral("Show graph of"), choice);
    label->setObjectName(QStringLiteral("Label1"));
    m_quantityList = new QComboBox(choice);
    m_quantityList->setObjectName(QStringLiteral("Combo1"));
    m_quantityList->addItems(
        {QStringLiteral("Lij,ik values"), QStringLiteral("P-values"), QStringLiteral("Ave. Geo. Distances")});
    label->setBuddy(m_quantityList);
    row->addWidget(label);
    row->addWidget(m_quantityList);
    row->addStretch(1);
    addBelowPages(choice);
    connect(m_quantityList, &QComboBox::currentIndexChanged, this, &PairedSampleResultsWindow::plotQuantity);
    m_quantityList->setCurrentIndex(LijValues);
    plotQuantity(LijValues);

    loadReport(QString::fromLatin1(kPairedSampleReportFileName));

    addCopyPrintSaveMenu({.copyGraph = QStringLiteral("Copy to Clipboard as Metafile"),
                          .printGraph = QStringLiteral("Print Graph"),
                          .copyText = QStringLiteral("Copy text to clipboard"),
                          .saveText = QStringLiteral("Save Text to file")});
    addEditChartAndSymbolsMenus();
    addHelpMenu(QStringLiteral("PSDGAHelp"));
}

void PairedSampleResultsWindow::plotQuantity(int quantity)
{
    const std::vector<double>* values = &m_result.lijValues;
    QString title = QStringLiteral("Lij,ik");
    if (quantity == PValues) {
        values = &m_result.pValues;
        title = QStringLiteral("P-value");
    } else if (quantity == MeanGeoDistances) {
        values = &m_result.meanGeoDistances;
        title = QStringLiteral("Ave. Geo. Distance");
    }
    QList<QPointF> points;
    for (size_t i = 0; i < values->size(); ++i)
        points.append(QPointF(static_cast<double>(i + 1), (*values)[i]));
    chart()->clear();
    chart()->setPoints(points, Qt::blue);
    chart()->setAxisTitles(QStringLiteral("Neighbor Rank"), title);
}

} // namespace tessaloc::ui
