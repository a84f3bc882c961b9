#include "ui/shell/GeoDistanceGroup.h"

#include "ui/widgets/UiHooks.h"
#include "ui/widgets/WindowParts.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>
#include <utility>

namespace tessaloc::ui {

namespace {

bool takesSurface(GeoDistanceKind kind)
{
    return kind == GeoDistanceKind::LeastCost || kind == GeoDistanceKind::Circuit;
}

} // namespace

GeoDistanceGroup::GeoDistanceGroup(std::function<QString()> startFolder, QWidget* parent)
    : GeoDistanceGroup(QStringLiteral("Geographic Distances"), QStringLiteral("geoDistance"),
                       QStringLiteral("Geographic distances"), QStringLiteral("Geographic distance file"),
                       std::move(startFolder), parent)
{
}

GeoDistanceGroup::GeoDistanceGroup(const QString& caption, const QString& names, const QString& accessibleName,
                                   const QString& accessibleFileName, std::function<QString()> startFolder,
                                   QWidget* parent)
    : QGroupBox(caption, parent)
    , m_startFolder(std::move(startFolder))
    , m_kindList(new QComboBox(this))
    , m_neighboursList(new QComboBox(this))
    , m_fileEdit(new QLineEdit(this))
    , m_browseButton(new QPushButton(QStringLiteral("Browse"), this))
{
    setObjectName(names + QStringLiteral("Group"));
    m_kindList->setObjectName(names + QStringLiteral("Kind"));
    m_neighboursList->setObjectName(names + QStringLiteral("Neighbours"));
    m_fileEdit->setObjectName(names + QStringLiteral("File"));
    m_browseButton->setObjectName(names + QStringLiteral("Browse"));
    const std::pair<GeoDistanceKind, const char*> kinds[] = {
        {GeoDistanceKind::Straight, "Straight lines"},
        {GeoDistanceKind::LeastCost, "Least-cost paths over a resistance surface"},
        {GeoDistanceKind::Circuit, "Circuit resistance over a resistance surface"},
        {GeoDistanceKind::Matrix, "Distance matrix from a file"},
    };
    for (const auto& [kind, text] : kinds)
        m_kindList->addItem(QLatin1String(text), static_cast<int>(kind));
    m_kindList->setAccessibleName(accessibleName);
    m_neighboursList->addItem(QStringLiteral("8 neighbours"), 8);
    m_neighboursList->addItem(QStringLiteral("4 neighbours"), 4);
    m_neighboursList->setAccessibleName(QStringLiteral("Neighbours of a cell"));
    m_neighboursList->setToolTip(QStringLiteral("8: a step reaches the diagonal cells too; 4: only the cells beside"));
    m_fileEdit->setAccessibleName(accessibleFileName);

    auto* layout = new QGridLayout(this);
    layout->addWidget(m_kindList, 0, 0);
    layout->addWidget(m_neighboursList, 0, 1);
    layout->addWidget(m_fileEdit, 1, 0);
    layout->addWidget(m_browseButton, 1, 1);
    layout->setColumnStretch(0, 1);

    connect(m_kindList, &QComboBox::currentIndexChanged, this, &GeoDistanceGroup::showChoice);
    connect(m_browseButton, &QPushButton::clicked, this, &GeoDistanceGroup::browseFile);
    showChoice();
}

GeoDistanceKind GeoDistanceGroup::kind() const
{
    return static_cast<GeoDistanceKind>(m_kindList->currentData().toInt());
}

void GeoDistanceGroup::showChoice()
{
    const GeoDistanceKind chosen = kind();
    m_fileEdit->setEnabled(chosen != GeoDistanceKind::Straight);
    m_browseButton->setEnabled(chosen != GeoDistanceKind::Straight);
    m_neighboursList->setEnabled(takesSurface(chosen));
    m_fileEdit->setPlaceholderText(chosen == GeoDistanceKind::Matrix ? QStringLiteral("distance matrix (CSV)")
                                   : takesSurface(chosen)
                                       ? QStringLiteral("resistance surface (GeoTIFF, ESRI ASCII grid, ...)")
                                       : QString());
}

GeoDistanceSettings GeoDistanceGroup::settings() const
{
    GeoDistanceSettings settings;
    settings.kind = kind();
    if (settings.kind != GeoDistanceKind::Straight)
        settings.file = QFile::encodeName(m_fileEdit->text()).toStdString();
    if (takesSurface(settings.kind))
        settings.neighbours = m_neighboursList->currentData().toInt();
    return settings;
}

void GeoDistanceGroup::setSettings(const GeoDistanceSettings& settings)
{
    m_kindList->setCurrentIndex(m_kindList->findData(static_cast<int>(settings.kind)));
    m_fileEdit->setText(settings.kind == GeoDistanceKind::Straight ? QString()
                                                                   : QFile::decodeName(settings.file.c_str()));
    m_neighboursList->setCurrentIndex(std::max(m_neighboursList->findData(settings.neighbours), 0));
    showChoice();
}

void GeoDistanceGroup::browseFile()
{
    const QString title = kind() == GeoDistanceKind::Matrix ? QStringLiteral("Select distance matrix file")
                                                            : QStringLiteral("Select resistance surface");
    const QString start = m_fileEdit->text().isEmpty() ? m_startFolder() : m_fileEdit->text();
    const QString chosen = uiHooks().openFileName(this, title, start);
    if (!chosen.isEmpty())
        m_fileEdit->setText(QDir::toNativeSeparators(chosen));
}

} // namespace tessaloc::ui
