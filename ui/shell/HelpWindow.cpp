#include "ui/shell/HelpWindow.h"

#include "ui/shell/ProgramState.h"

#include <QDir>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

#include <utility>

namespace tessaloc::ui {

QString helpPageForKeyword(const QString& keyword)
{
    static const std::pair<const char*, const char*> pages[] = {
        {"Welcome", "welcome.html"},
        {"Mantel Test", "mantel.html"},
        {"Spatial Autocorrelation Analysis", "autocorrelation.html"},
        {"Paired-Sample Genetic Distance Analysis", "paired-sample.html"},
        {"Allelic Aggregation Index Analysis", "aggregation.html"},
        {"Landscape Shape Interpolation", "landscape-options.html"},
        {"Genetic Landscape Interpolation Editor/Viewer", "landscape-viewer.html"},
        {"Plots of Sample Locations", "sample-plot.html"},
        {"Monmonier Maximum Difference Algorithm", "monmonier.html"},
        {"Monmonier's Maximum Difference Algorithm", "barrier-editor.html"},
        {"Permutation Scheme", "permutations.html"},
        {"Random Seed", "random-seed.html"},
        {"Geographic Distances", "geographic-distances.html"},
        {"Partial Mantel Test", "partial-mantel.html"},
        {"Multiple Matrix Regression", "matrix-regression.html"},
        {"Build Resistance Surface", "resistance-surfaces.html"},
        {"Mixed-Model Regression (MLPE)", "mlpe.html"},
        {"Compare Hypotheses", "compare-hypotheses.html"},
        {"Fine-Scale Spatial Structure (Kinship)", "kinship.html"},
        {"Current Flow Map", "current-map.html"},
    };
    for (const auto& [key, page] : pages)
        if (keyword == QLatin1String(key))
            return QStringLiteral("qrc:/help/") + QLatin1String(page);
    return QStringLiteral("qrc:/help/welcome.html");
}

HelpWindow::HelpWindow(QWidget* parent)
    : QDialog(parent)
    , m_browser(new QTextBrowser(this))
{
    setWindowTitle(QStringLiteral("Tessaloc Help"));
    setObjectName(QStringLiteral("HelpWindow"));
    m_browser->setObjectName(QStringLiteral("HelpBrowser"));
    m_browser->setOpenExternalLinks(true);
    auto* back = new QPushButton(QStringLiteral("Back"), this);
    auto* forward = new QPushButton(QStringLiteral("Forward"), this);
    auto* contents = new QPushButton(QStringLiteral("Contents"), this);
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    back->setEnabled(false);
    forward->setEnabled(false);
    connect(back, &QPushButton::clicked, m_browser, &QTextBrowser::backward);
    connect(forward, &QPushButton::clicked, m_browser, &QTextBrowser::forward);
    connect(m_browser, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, forward, &QPushButton::setEnabled);
    connect(contents, &QPushButton::clicked, this, [this] { showTopic(QStringLiteral("Welcome")); });
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(back);
    buttons->addWidget(forward);
    buttons->addWidget(contents);
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(m_browser);
    resize(680, 620);
}

void HelpWindow::showTopic(const QString& keyword)
{
    m_browser->setSource(QUrl(helpPageForKeyword(keyword)));
}

HelpWindow* ShowHelpTopic(QWidget* parent, const ProgramState& state, const QString& keyword)
{
    // A window of its own, owned by the window that asked, so that it can be used beside a modal
    // options or results window.
    auto* window = new HelpWindow(parent);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->showTopic(keyword);
    window->show();
    window->raise();
    if (!state.RunDirectory.isEmpty())
        QDir::setCurrent(state.RunDirectory);
    return window;
}

} // namespace tessaloc::ui
