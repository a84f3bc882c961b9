#include "ui/analyses/monmonier/BarrierEditorDialog.h"

#include "ui/widgets/UiHooks.h"
#include "ui/widgets/WindowParts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tessaloc::ui {

BarrierEditorDialog::BarrierEditorDialog(ProgramState& state, int barrier, BarrierStyle& style,
                                         std::function<void()> redraw, QWidget* parent)
    : OptionsDialog(state, QStringLiteral("Monmonier's Maximum Difference Algorithm"), parent)
    , m_style(style)
    , m_redraw(std::move(redraw))
    , m_color(style.color)
{
    setObjectName(QStringLiteral("Barriereditform"));
    setWindowTitle(QStringLiteral("Edit Barrier") + QString::number(barrier));
    m_thickness = named(new QComboBox(this), "LineThickness");
    m_thickness->addItems(
        {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4"), QStringLiteral("5")});
    m_thickness->setCurrentIndex(style.lineWidth - 1);
    m_sample = named(new QFrame(this), "ColorSample");
    m_sample->setFixedSize(48, 24);
    m_sample->setFrameShape(QFrame::Box);
    m_sample->setAutoFillBackground(true);
    showColor();
    auto* select = named(new QPushButton(QStringLiteral("Select Color"), this), "SelectColor");
    select->setAutoDefault(false);
    connect(select, &QPushButton::clicked, this, &BarrierEditorDialog::selectColor);
    m_visible = named(new QCheckBox(QStringLiteral("Visible"), this), "Visible");
    m_visible->setChecked(style.visible);

    auto* layout = fixedSizeLayout(this);
    auto* thickness = new QHBoxLayout;
    thickness->addWidget(named(new QLabel(QStringLiteral("Line Thickness"), this), "Label1"));
    thickness->addWidget(m_thickness);
    layout->addLayout(thickness);
    auto* color = new QHBoxLayout;
    color->addWidget(m_sample);
    color->addWidget(select);
    layout->addLayout(color);
    layout->addWidget(m_visible);
    addButtons(QStringLiteral("OKButton"), QStringLiteral("HelpButton"));
}

void BarrierEditorDialog::selectColor()
{
    if (const std::optional<QColor> chosen = uiHooks().chooseColor(this, m_color)) {
        m_color = *chosen;
        showColor();
    }
}

void BarrierEditorDialog::showColor()
{
    QPalette palette = m_sample->palette();
    palette.setColor(QPalette::Window, m_color);
    m_sample->setPalette(palette);
}

void BarrierEditorDialog::ok()
{
    m_style.lineWidth = m_thickness->currentIndex() + 1;
    m_style.visible = m_visible->isChecked();
    m_style.color = m_color;
    if (m_redraw)
        m_redraw();
    accept();
}

} // namespace tessaloc::ui
