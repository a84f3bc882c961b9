#include "ui/shell/SurfaceBuilderDialog.h"

#include "ui/shell/HelpWindow.h"
#include "ui/shell/ProgramState.h"
#include "ui/shell/RunController.h"
#include "ui/widgets/SurfacePreview.h"
#include "ui/widgets/UiHooks.h"
#include "ui/widgets/WindowParts.h"

#include "core/ReportWriter.h"
#include "resistance/LayerRule.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <filesystem>

namespace tessaloc::ui {

namespace {

constexpr int kFileRole = Qt::UserRole;
constexpr int kRuleRole = Qt::UserRole + 1;

std::filesystem::path localPath(const QString& text)
{
    return std::filesystem::path(QFile::encodeName(text).toStdString());
}

QString itemText(const QString& file, const QString& rule)
{
    return QFileInfo(file).fileName() + QStringLiteral("   ") +
           (rule.isEmpty() ? QStringLiteral("(no rule yet)") : rule);
}

// The place a file name leads to, for telling whether two names are one file.
QString placeOf(const QString& path)
{
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    if (!canonical.isEmpty())
        return canonical;
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    return (folder.isEmpty() ? info.absolutePath() : folder) + QLatin1Char('/') + info.fileName();
}

QString generalErrorMessage()
{
    return QString::fromLatin1(kGeneralErrorMessage.data(), static_cast<qsizetype>(kGeneralErrorMessage.size()));
}

} // namespace

SurfaceBuilderDialog::SurfaceBuilderDialog(ProgramState& state, std::function<void(const QString&)> useSurface,
                                           QWidget* parent)
    : QDialog(parent)
    , m_state(state)
    , m_useSurface(std::move(useSurface))
    , m_runs(new RunController(this))
{
    setObjectName(QStringLiteral("SurfaceBuilderForm"));
    setWindowTitle(QStringLiteral("Build Resistance Surface"));

    m_controls = new QWidget(this);
    auto* controlsLayout = new QGridLayout(m_controls);
    controlsLayout->setContentsMargins(0, 0, 0, 0);
    auto* layersLabel =
        named(new QLabel(QStringLiteral("Layers (the first sets the grid; their resistances add up)"), m_controls),
              "surfaceLayersLabel");
    m_layerList = named(new QListWidget(m_controls), "surfaceLayers");
    m_layerList->setMinimumWidth(360);
    layersLabel->setBuddy(m_layerList);
    m_addButton = named(new QPushButton(QStringLiteral("Add..."), m_controls), "surfaceAdd");
    m_removeButton = named(new QPushButton(QStringLiteral("Remove"), m_controls), "surfaceRemove");
    m_upButton = named(new QPushButton(QStringLiteral("Up"), m_controls), "surfaceUp");
    m_downButton = named(new QPushButton(QStringLiteral("Down"), m_controls), "surfaceDown");
    auto* listButtons = new QVBoxLayout;
    for (QPushButton* button : {m_addButton, m_removeButton, m_upButton, m_downButton})
        listButtons->addWidget(button);
    listButtons->addStretch();
    controlsLayout->addWidget(layersLabel, 0, 0, 1, 2);
    controlsLayout->addWidget(m_layerList, 1, 0);
    controlsLayout->addLayout(listButtons, 1, 1);

    auto* ruleLabel = named(new QLabel(QStringLiteral("Rule of the selected layer"), m_controls), "surfaceRuleLabel");
    m_ruleEdit = named(new QLineEdit(m_controls), "surfaceLayerRule");
    m_ruleEdit->setPlaceholderText(QStringLiteral("classes=TABLE.csv, ricker=5,100, linear=100, ..."));
    ruleLabel->setBuddy(m_ruleEdit);
    m_classTableButton = named(new QPushButton(QStringLiteral("Class Table..."), m_controls), "surfaceClassTable");
    auto* ruleHint = named(new QLabel(QStringLiteral("classes=TABLE.csv (a land-cover layer; the table's header "
                                                     "class,resistance), or for a continuous layer "
                                                     "FAMILY=SHAPE,MAXIMUM with FAMILY monomolecular or ricker, "
                                                     "optionally after reverse-, inverse- or inverse-reverse-, "
                                                     "or linear=MAXIMUM. \"Help\" shows the curves."),
                                      m_controls),
                           "surfaceRuleHint");
    ruleHint->setWordWrap(true);
    controlsLayout->addWidget(ruleLabel, 2, 0, 1, 2);
    controlsLayout->addWidget(m_ruleEdit, 3, 0);
    controlsLayout->addWidget(m_classTableButton, 3, 1);
    controlsLayout->addWidget(ruleHint, 4, 0, 1, 2);

    m_preview = named(new SurfacePreview(this), "surfacePreview");

    m_statusLabel = named(new QLabel(this), "surfaceStatus");
    m_statusLabel->setWordWrap(true);
    m_progress = named(new QProgressBar(this), "surfaceProgress");
    m_cancelButton = named(new QPushButton(QStringLiteral("Cancel"), this), "surfaceCancel");
    m_progress->hide();
    m_cancelButton->hide();
    auto* statusRow = new QHBoxLayout;
    statusRow->addWidget(m_statusLabel, 1);
    statusRow->addWidget(m_progress, 1);
    statusRow->addWidget(m_cancelButton);

    m_previewButton = named(new QPushButton(QStringLiteral("Preview"), this), "surfaceBuild");
    m_saveButton = named(new QPushButton(QStringLiteral("Save..."), this), "surfaceSave");
    m_useButton = named(new QPushButton(QStringLiteral("Use in the analyses"), this), "surfaceUse");
    m_useButton->setEnabled(false);
    auto* helpButton = named(new QPushButton(QStringLiteral("Help"), this), "surfaceHelp");
    auto* closeButton = named(new QPushButton(QStringLiteral("Close"), this), "surfaceClose");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_previewButton);
    buttons->addWidget(m_saveButton);
    buttons->addWidget(m_useButton);
    buttons->addStretch();
    buttons->addWidget(helpButton);
    buttons->addWidget(closeButton);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_controls);
    layout->addWidget(m_preview, 1);
    layout->addLayout(statusRow);
    layout->addLayout(buttons);

    connect(m_addButton, &QPushButton::clicked, this, &SurfaceBuilderDialog::addLayer);
    connect(m_removeButton, &QPushButton::clicked, this, &SurfaceBuilderDialog::removeLayer);
    connect(m_upButton, &QPushButton::clicked, this, &SurfaceBuilderDialog::moveLayerUp);
    connect(m_downButton, &QPushButton::clicked, this, &SurfaceBuilderDialog::moveLayerDown);
    connect(m_classTableButton, &QPushButton::clicked, this, &SurfaceBuilderDialog::chooseClassTable);
    connect(m_previewButton, &QPushButton::clicked, this, &SurfaceBuilderDialog::buildPreview);
    connect(m_saveButton, &QPushButton::clicked, this, &SurfaceBuilderDialog::saveSurface);
    connect(m_useButton, &QPushButton::clicked, this, &SurfaceBuilderDialog::useSavedSurface);
    connect(m_cancelButton, &QPushButton::clicked, this, &SurfaceBuilderDialog::cancelBuild);
    connect(closeButton, &QPushButton::clicked, this, &SurfaceBuilderDialog::reject);
    connect(helpButton, &QPushButton::clicked, this,
            [this] { ShowHelpTopic(this, m_state, QStringLiteral("Build Resistance Surface")); });
    connect(m_layerList, &QListWidget::currentRowChanged, this, [this] { showSelectedRule(); });
    connect(m_ruleEdit, &QLineEdit::textEdited, this, &SurfaceBuilderDialog::storeRule);
    connect(m_runs, &RunController::finished, this, &SurfaceBuilderDialog::onBuildFinished);
    showRunProgress(*m_runs, *m_statusLabel, *m_progress, *this);
    connect(m_runs, &RunController::warningRaised, this, [this](const QString& text) {
        m_warning = QStringLiteral("Warning: ") + text;
        m_statusLabel->setText(m_warning);
    });
    showSelectedRule();
}

SurfaceBuilderDialog::~SurfaceBuilderDialog()
{
    m_runs->cancelAndWait();
}

bool SurfaceBuilderDialog::running() const
{
    return m_runs->running();
}

void SurfaceBuilderDialog::reject()
{
    // Closing while a surface is built stops it first; no half-written file is left (the writer
    // puts the file in place only when it is whole).
    m_runs->cancelAndWait();
    QDialog::reject();
}

void SurfaceBuilderDialog::addLayer()
{
    const QString start =
        m_layerList->count() > 0 ? m_layerList->item(m_layerList->count() - 1)->data(kFileRole).toString() : QString();
    const QString chosen = uiHooks().openFileName(this, QStringLiteral("Add a layer"), start);
    if (chosen.isEmpty())
        return;
    const QString file = QDir::toNativeSeparators(chosen);
    auto* item = new QListWidgetItem(itemText(file, {}), m_layerList);
    item->setData(kFileRole, file);
    item->setData(kRuleRole, QString());
    item->setToolTip(file);
    m_layerList->setCurrentItem(item);
    m_ruleEdit->setFocus();
}

void SurfaceBuilderDialog::removeLayer()
{
    delete m_layerList->takeItem(m_layerList->currentRow());
    showSelectedRule();
}

void SurfaceBuilderDialog::moveLayer(int step)
{
    const int row = m_layerList->currentRow();
    const int target = row + step;
    if (row < 0 || target < 0 || target >= m_layerList->count())
        return;
    QListWidgetItem* item = m_layerList->takeItem(row);
    m_layerList->insertItem(target, item);
    m_layerList->setCurrentRow(target);
}

void SurfaceBuilderDialog::moveLayerUp()
{
    moveLayer(-1);
}

void SurfaceBuilderDialog::moveLayerDown()
{
    moveLayer(1);
}

void SurfaceBuilderDialog::showSelectedRule()
{
    const QListWidgetItem* item = m_layerList->currentItem();
    m_ruleEdit->setEnabled(item != nullptr);
    m_classTableButton->setEnabled(item != nullptr);
    m_ruleEdit->setText(item ? item->data(kRuleRole).toString() : QString());
}

void SurfaceBuilderDialog::storeRule(const QString& rule)
{
    QListWidgetItem* item = m_layerList->currentItem();
    if (!item)
        return;
    item->setData(kRuleRole, rule.trimmed());
    item->setText(itemText(item->data(kFileRole).toString(), rule.trimmed()));
}

void SurfaceBuilderDialog::chooseClassTable()
{
    if (!m_layerList->currentItem())
        return;
    const QString chosen = uiHooks().openFileName(this, QStringLiteral("Select class table"),
                                                  m_layerList->currentItem()->data(kFileRole).toString());
    if (chosen.isEmpty())
        return;
    const QString rule = QStringLiteral("classes=") + QDir::toNativeSeparators(chosen);
    m_ruleEdit->setText(rule);
    storeRule(rule);
}

std::optional<SurfaceSettings> SurfaceBuilderDialog::readSettings()
{
    if (m_layerList->count() == 0) {
        showMessage(this, QStringLiteral("Add at least one layer: a land-cover map or a continuous layer."));
        return std::nullopt;
    }
    SurfaceSettings settings;
    for (int row = 0; row < m_layerList->count(); ++row) {
        const QListWidgetItem* item = m_layerList->item(row);
        const QString rule = item->data(kRuleRole).toString();
        try {
            settings.layers.push_back(
                {localPath(item->data(kFileRole).toString()), parseLayerRule(rule.toStdString())});
        } catch (const LayerRuleError& error) {
            m_layerList->setCurrentRow(row);
            showMessage(this,
                        QStringLiteral("Layer %1 (%2) has no rule that can be used.")
                            .arg(row + 1)
                            .arg(QFileInfo(item->data(kFileRole).toString()).fileName()),
                        rule.isEmpty() ? QStringLiteral("Give it a rule such as classes=TABLE.csv or ricker=5,100.")
                                       : QString::fromStdString(error.what()));
            return std::nullopt;
        }
    }
    return settings;
}

void SurfaceBuilderDialog::buildPreview()
{
    if (running())
        return;
    if (std::optional<SurfaceSettings> settings = readSettings())
        startBuild(std::move(*settings), {});
}

void SurfaceBuilderDialog::saveSurface()
{
    if (running())
        return;
    std::optional<SurfaceSettings> settings = readSettings();
    if (!settings)
        return;
    const QString start = m_savedFile.isEmpty() ? QFileInfo(m_layerList->item(0)->data(kFileRole).toString()).path()
                                                : QFileInfo(m_savedFile).path();
    QString output = uiHooks().saveFileNameOfType(this, QStringLiteral("Save Resistance Surface"), start,
                                                  {QStringLiteral("GeoTIFF (*.tif *.tiff)")});
    if (output.isEmpty())
        return;
    if (QFileInfo(output).suffix().isEmpty())
        output += QStringLiteral(".tif");
    // Never over an input: a layer, a class table, or the report that goes beside the surface.
    const QString place = placeOf(output);
    const QString report = QFileInfo(output).absolutePath() + QLatin1Char('/') + QLatin1String(kSurfaceReportFileName);
    std::vector<std::pair<QString, QString>> inputs = {{report, QStringLiteral("the report")}};
    for (size_t k = 0; k < settings->layers.size(); ++k) {
        const SurfaceLayer& layer = settings->layers[k];
        inputs.emplace_back(QFile::decodeName(layer.file.c_str()), QStringLiteral("layer %1").arg(k + 1));
        if (const auto* classes = std::get_if<ClassRule>(&layer.rule))
            inputs.emplace_back(QFile::decodeName(classes->table.c_str()),
                                QStringLiteral("the class table of layer %1").arg(k + 1));
    }
    for (const auto& [input, role] : inputs) {
        if (placeOf(input) == place) {
            showMessage(this, QStringLiteral("\"%1\" is %2; give the resistance surface a name of its own.")
                                  .arg(QDir::toNativeSeparators(output), role));
            return;
        }
    }
    startBuild(std::move(*settings), output);
}

void SurfaceBuilderDialog::useSavedSurface()
{
    if (m_savedFile.isEmpty() || !m_useSurface)
        return;
    m_useSurface(m_savedFile);
    m_statusLabel->setText(
        QStringLiteral("The analyses now measure distances over %1.").arg(QDir::toNativeSeparators(m_savedFile)));
}

void SurfaceBuilderDialog::cancelBuild()
{
    m_runs->cancel();
}

void SurfaceBuilderDialog::startBuild(SurfaceSettings settings, const QString& output)
{
    m_output = output;
    m_result = std::make_shared<SurfaceResult>();
    const std::shared_ptr<SurfaceResult> result = m_result;
    const std::filesystem::path outputPath = output.isEmpty() ? std::filesystem::path() : localPath(output);
    setRunning(true);
    m_runs->start([settings = std::move(settings), result, outputPath](RunListener& listener) {
        *result = BuildResistanceSurface(settings, listener);
        if (outputPath.empty())
            return;
        WriteSurfaceFile(outputPath, *result, listener);
        const std::filesystem::path folder = outputPath.has_parent_path() ? outputPath.parent_path() : ".";
        writeReportFile(folder, kSurfaceReportFileName,
                        [&](ReportWriter& out) { WriteSurfaceReport(out, *result, outputPath); });
    });
}

void SurfaceBuilderDialog::setRunning(bool isRunning)
{
    m_controls->setEnabled(!isRunning);
    for (QPushButton* button : {m_previewButton, m_saveButton})
        button->setEnabled(!isRunning);
    m_useButton->setEnabled(!isRunning && !m_savedFile.isEmpty());
    m_progress->setVisible(isRunning);
    m_cancelButton->setVisible(isRunning);
    if (isRunning) {
        m_warning.clear();
        m_progress->setRange(0, 0);
    }
}

void SurfaceBuilderDialog::onBuildFinished(const RunStatus& status)
{
    setRunning(false);
    switch (status.outcome) {
    case RunOutcome::Success: {
        const SurfaceResult& result = *m_result;
        m_preview->showSurface(result.grid.columns, result.grid.rows, result.cells, result.minimum, result.maximum);
        QString text = QStringLiteral("%1 x %2 cells, resistances from %3 to %4")
                           .arg(result.grid.columns)
                           .arg(result.grid.rows)
                           .arg(m_preview->minimumText(), m_preview->maximumText());
        if (!m_output.isEmpty()) {
            m_savedFile = m_output;
            m_useButton->setEnabled(true);
            text += QStringLiteral("; saved as %1 with %2 beside it")
                        .arg(QDir::toNativeSeparators(m_output), QLatin1String(kSurfaceReportFileName));
        }
        m_statusLabel->setText(m_warning.isEmpty() ? text + QLatin1Char('.') : m_warning);
        break;
    }
    case RunOutcome::Cancelled:
        m_statusLabel->setText(QStringLiteral("Cancelled."));
        break;
    case RunOutcome::DataProblem:
        m_statusLabel->clear();
        showMessage(this, QString::fromStdString(status.text), QString::fromStdString(status.detail));
        break;
    case RunOutcome::AnalysisError:
        m_statusLabel->clear();
        showMessage(this, status.ownMessage ? QString::fromStdString(status.text) : generalErrorMessage(),
                    status.ownMessage ? QString() : QString::fromStdString(status.text));
        break;
    }
    m_result.reset();
    emit buildFinished(status.outcome);
}

} // namespace tessaloc::ui
