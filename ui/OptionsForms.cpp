#include "ui/OptionsForms.h"

#include "ui/HelpViewer.h"
#include "ui/NumericText.h"
#include "ui/ProgramState.h"
#include "ui/UiHooks.h"

#include "core/NumberText.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tessaloc::ui {

namespace {

template <typename Widget> Widget* named(Widget* widget, const char* name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QLineEdit* numberBox(QWidget* parent, const char* name, const QString& text)
{
    auto* box = named(new QLineEdit(text, parent), name);
    box->setMaximumWidth(140);
    return box;
}

/// A framed group of option buttons, laid out one under another.
QGroupBox* optionGroup(QWidget* parent, const char* name, const QString& caption,
                       std::initializer_list<QRadioButton*> options)
{
    auto* frame = named(new QGroupBox(caption, parent), name);
    auto* layout = new QVBoxLayout(frame);
    auto* group = new QButtonGroup(frame);
    for (QRadioButton* option : options) {
        layout->addWidget(option);
        group->addButton(option);
    }
    return frame;
}

QVBoxLayout* verticalLayout(QDialog* dialog)
{
    auto* layout = new QVBoxLayout(dialog);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    return layout;
}

/// A label with its entry box to the right.
QHBoxLayout* labelled(QWidget* parent, const char* labelName, const QString& caption, QLineEdit* box)
{
    auto* row = new QHBoxLayout;
    auto* label = named(new QLabel(caption, parent), labelName);
    label->setBuddy(box);
    row->addWidget(label);
    row->addWidget(box);
    return row;
}

} // namespace

OptionsDialog::OptionsDialog(ProgramState& state, QString helpKeyword, QWidget* parent)
    : QDialog(parent)
    , m_state(state)
    , m_helpKeyword(std::move(helpKeyword))
{
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
}

void OptionsDialog::showHelp()
{
    ShowHelpTopic(this, m_state, m_helpKeyword);
}

void OptionsDialog::addButtons(const QString& okName, const QString& helpName)
{
    auto* okButton = new QPushButton(QStringLiteral("OK"), this);
    okButton->setObjectName(okName);
    okButton->setDefault(true);
    auto* helpButton = new QPushButton(QStringLiteral("Help"), this);
    helpButton->setObjectName(helpName);
    helpButton->setAutoDefault(false);
    connect(okButton, &QPushButton::clicked, this, [this] { ok(); });
    connect(helpButton, &QPushButton::clicked, this, &OptionsDialog::showHelp);
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(okButton);
    row->addWidget(helpButton);
    static_cast<QBoxLayout*>(layout())->addLayout(row);
}

// --- Mantel test --------------------------------------------------------------------------------

MantelForm::MantelForm(ProgramState& state, QWidget* parent)
    : OptionsDialog(state, QStringLiteral("Mantel Test"), parent)
{
    setObjectName(QStringLiteral("MantelForm"));
    setWindowTitle(QStringLiteral("Mantel Test Options"));
    const ProgramSettings& settings = m_state.settings;
    m_Text1 = numberBox(this, "Text1", printFormText(settings.MantelPermutations));
    m_Check1 = named(new QCheckBox(QStringLiteral("Log10 transform geographical distances"), this), "Check1");
    m_Check2 = named(new QCheckBox(QStringLiteral("Log10 transform genetic distances"), this), "Check2");
    m_Check1->setChecked(settings.MantelLogGeo == 1);
    m_Check2->setChecked(settings.MantelLogGen == 1);

    auto* layout = verticalLayout(this);
    layout->addLayout(labelled(this, "Label1", QStringLiteral("Number of permutations"), m_Text1));
    auto* frame = named(new QGroupBox(this), "Frame1");
    auto* frameLayout = new QVBoxLayout(frame);
    frameLayout->addWidget(m_Check1);
    frameLayout->addWidget(m_Check2);
    layout->addWidget(frame);
    addButtons(QStringLiteral("OKButton"), QStringLiteral("Command1"));
}

void MantelForm::ok()
{
    ProgramSettings& settings = m_state.settings;
    settings.MantelPermutations = roundHalfEven32(numericValue(m_Text1->text()));
    settings.MantelLogGeo = m_Check1->isChecked() ? 1 : 0;
    settings.MantelLogGen = m_Check2->isChecked() ? 1 : 0;
    accept();
}

// --- Spatial autocorrelation ----------------------------------------------------------------------

SpatialAutocorrForm::SpatialAutocorrForm(ProgramState& state, QWidget* parent)
    : OptionsDialog(state, QStringLiteral("Spatial Autocorrelation Analysis"), parent)
{
    setObjectName(QStringLiteral("SpatialAutocorrForm"));
    setWindowTitle(QStringLiteral("Spatial Autocorrelation Options"));
    const SaaOptions& options = m_state.settings.saa;
    m_Text1 = numberBox(this, "Text1", QString::number(options.classCount));
    m_Option1 =
        named(new QRadioButton(QStringLiteral("Equal distances/Unequal numbers of observations"), this), "Option1");
    m_Option2 =
        named(new QRadioButton(QStringLiteral("Unequal distances/Equal numbers of observations"), this), "Option2");
    m_Text2 = numberBox(this, "Text2", QString::number(options.permutationCount));
    (options.classMode == 1 ? m_Option2 : m_Option1)->setChecked(true);

    auto* layout = verticalLayout(this);
    layout->addLayout(labelled(this, "Label1", QStringLiteral("Number of distance classes"), m_Text1));
    layout->addWidget(optionGroup(this, "Frame1", QStringLiteral("Distance Class Options"), {m_Option1, m_Option2}));
    layout->addLayout(labelled(this, "Label2", QStringLiteral("Number of permutations"), m_Text2));
    addButtons(QStringLiteral("Command1"), QStringLiteral("Command2"));
}

void SpatialAutocorrForm::ok()
{
    SaaOptions& options = m_state.settings.saa;
    options.classCount = roundHalfEven32(numericValue(m_Text1->text()));
    options.classMode = m_Option1->isChecked() ? 0 : 1;
    options.permutationCount = roundHalfEven32(numericValue(m_Text2->text()));
    accept();
}

// --- Paired-sample genetic distance ---------------------------------------------------------------

PairGenDistForm::PairGenDistForm(ProgramState& state, QWidget* parent)
    : OptionsDialog(state, QStringLiteral("Paired-Sample Genetic Distance Analysis"), parent)
{
    setObjectName(QStringLiteral("PairGenDistForm"));
    setWindowTitle(QStringLiteral("Paired-Sample Genetic Distance Analysis"));
    m_Text1 = numberBox(this, "Text1", printFormText(m_state.settings.psgdaPermutationCount));
    auto* layout = verticalLayout(this);
    layout->addLayout(labelled(this, "Label1", QStringLiteral("Number of permutations"), m_Text1));
    addButtons(QStringLiteral("Command1"), QStringLiteral("Command3"));
}

void PairGenDistForm::ok()
{
    m_state.settings.psgdaPermutationCount = roundHalfEven32(numericValue(m_Text1->text()));
    accept();
}

// --- Allelic aggregation --------------------------------------------------------------------------

AAIAForm::AAIAForm(ProgramState& state, QWidget* parent)
    : OptionsDialog(state, QStringLiteral("Allelic Aggregation Index Analysis"), parent)
{
    setObjectName(QStringLiteral("AAIAForm"));
    setWindowTitle(QStringLiteral("AAIA Options"));
    const AaiaOptions& options = m_state.settings.aaia;
    m_Text1 = numberBox(this, "Text1", QString::number(options.permutationCount));
    m_Option1 = named(new QRadioButton(QStringLiteral("Estimated from data (rectangular)"), this), "Option1");
    m_Option2 = named(new QRadioButton(QStringLiteral("Empirical"), this), "Option2");
    m_Text2 = numberBox(this, "Text2", QString());
    if (options.areaMode == 1) {
        m_Option2->setChecked(true);
        m_Text2->setText(QString::fromStdString(plainText(options.empiricalArea)));
    } else {
        m_Option1->setChecked(true);
    }
    m_Text2->setEnabled(options.areaMode == 1);
    connect(m_Option1, &QRadioButton::clicked, m_Text2, [this] { m_Text2->setEnabled(false); });
    connect(m_Option2, &QRadioButton::clicked, m_Text2, [this] { m_Text2->setEnabled(true); });

    auto* layout = verticalLayout(this);
    layout->addLayout(labelled(this, "Label1", QStringLiteral("# permutations"), m_Text1));
    QGroupBox* frame = optionGroup(this, "Frame1", QStringLiteral("Area estimation"), {m_Option1, m_Option2});
    static_cast<QVBoxLayout*>(frame->layout())->addWidget(m_Text2);
    layout->addWidget(frame);
    addButtons(QStringLiteral("Command1"), QStringLiteral("Command2"));
}

void AAIAForm::ok()
{
    AaiaOptions& options = m_state.settings.aaia;
    options.permutationCount = roundHalfEven32(numericValue(m_Text1->text()));
    if (m_Option1->isChecked()) {
        options.areaMode = 0;
        accept();
        return;
    }
    options.areaMode = 1;
    options.empiricalArea = numericValue(m_Text2->text());
    if (options.empiricalArea == 0.0 || m_Text2->text().isEmpty()) {
        showMessage(this, QStringLiteral("Please provide your empirical area estimate."));
        return;
    }
    accept();
}

// --- Landscape shape interpolation ----------------------------------------------------------------

InterpolateOptions::InterpolateOptions(ProgramState& state, QWidget* parent)
    : OptionsDialog(state, QStringLiteral("Landscape Shape Interpolation"), parent)
{
    setObjectName(QStringLiteral("InterpolateOptions"));
    setWindowTitle(QStringLiteral("Options for Interpolation of Landscape Shape"));
    m_Option1 = named(new QRadioButton(QStringLiteral("Midpoints of edges derived from Delaunay triangulation"), this),
                      "Option1");
    m_Option2 =
        named(new QRadioButton(QStringLiteral("Midpoints of pairwise distances of all observations"), this), "Option2");
    m_Option3 = named(new QRadioButton(QStringLiteral("Raw genetic distances between points"), this), "Option3");
    m_Option4 =
        named(new QRadioButton(QStringLiteral("Pseudoslopes (distance-corrected genetic distances)"), this), "Option4");
    m_Option5 = named(new QRadioButton(QStringLiteral("Residual genetic distances"), this), "Option5");
    m_Check2 = named(new QCheckBox(QStringLiteral("Log(10) transform surface heights"), this), "Check2");

    // The two groups are framed before any option is selected, so that each group is exclusive
    // on its own.
    auto* layout = verticalLayout(this);
    layout->addWidget(
        optionGroup(this, "Frame1", QStringLiteral("Calculate surface based on"), {m_Option1, m_Option2}));
    layout->addWidget(optionGroup(this, "Frame2", QStringLiteral("Calculate surface heights based on"),
                                  {m_Option3, m_Option4, m_Option5}));
    layout->addWidget(m_Check2);
    addButtons(QStringLiteral("Command1"), QStringLiteral("Command2"));

    const ProgramSettings& settings = m_state.settings;
    (settings.LandscapeNetwork == 1 ? m_Option1 : m_Option2)->setChecked(true);
    (settings.LandscapeHeightMode == 1   ? m_Option4
     : settings.LandscapeHeightMode == 2 ? m_Option5
                                         : m_Option3)
        ->setChecked(true);
    m_Check2->setChecked(settings.LandscapeLogHeights);
    updateLogBox();
    for (QRadioButton* option : {m_Option3, m_Option4, m_Option5})
        connect(option, &QRadioButton::toggled, this, &InterpolateOptions::updateLogBox);
}

void InterpolateOptions::updateLogBox()
{
    // Only pseudoslopes may be log-transformed; a tick in the disabled box stays visible but is not
    // stored.
    m_Check2->setEnabled(m_Option4->isChecked());
}

void InterpolateOptions::ok()
{
    ProgramSettings& settings = m_state.settings;
    settings.LandscapeNetwork = m_Option1->isChecked() ? 1 : 0;
    settings.LandscapeHeightMode = m_Option4->isChecked() ? 1 : m_Option5->isChecked() ? 2 : 0;
    settings.LandscapeLogHeights = m_Check2->isChecked() && m_Check2->isEnabled();
    accept();
}

// --- Monmonier algorithm --------------------------------------------------------------------------

MonMonierOptionsForm::MonMonierOptionsForm(ProgramState& state, QWidget* parent)
    : OptionsDialog(state, QStringLiteral("Monmonier Maximum Difference Algorithm"), parent)
{
    setObjectName(QStringLiteral("MonMonierOptionsForm"));
    setWindowTitle(QStringLiteral("Monmonier Algorithm Options"));
    m_raw = named(new QRadioButton(QStringLiteral("Raw genetic distances"), this), "OptionRaw");
    m_pseudoslopes =
        named(new QRadioButton(QStringLiteral("Pseudoslopes (distance corrected genetic distances)"), this),
              "OptionPseudoslopes");
    m_residuals = named(new QRadioButton(QStringLiteral("Residual genetic distances"), this), "OptionResiduals");
    const ProgramSettings& settings = m_state.settings;
    (settings.MonmonierDistanceKind == 2   ? m_residuals
     : settings.MonmonierDistanceKind == 1 ? m_pseudoslopes
                                           : m_raw)
        ->setChecked(true);
    m_count = numberBox(this, "BarrierCount", QString::number(settings.MonmonierBarrierCount));

    auto* layout = verticalLayout(this);
    layout->addWidget(optionGroup(this, "Frame1", QStringLiteral("Use"), {m_raw, m_pseudoslopes, m_residuals}));
    layout->addLayout(labelled(this, "Label1", QStringLiteral("# of barriers to detect"), m_count));
    addButtons(QStringLiteral("OKButton"), QStringLiteral("HelpButton"));
}

void MonMonierOptionsForm::ok()
{
    ProgramSettings& settings = m_state.settings;
    settings.MonmonierDistanceKind = m_residuals->isChecked() ? 2 : m_pseudoslopes->isChecked() ? 1 : 0;
    const std::int32_t count = floor32(numericValue(m_count->text()));
    if (count == 0) {
        showMessage(this, QStringLiteral("Number of barriers must be a non-zero integer."));
        return;
    }
    settings.MonmonierBarrierCount = count;
    accept();
}

// --- Barrier editor -------------------------------------------------------------------------------

Barriereditform::Barriereditform(ProgramState& state, int barrier, BarrierStyle& style, std::function<void()> redraw,
                                 QWidget* parent)
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
    connect(select, &QPushButton::clicked, this, &Barriereditform::selectColor);
    m_visible = named(new QCheckBox(QStringLiteral("Visible"), this), "Visible");
    m_visible->setChecked(style.visible);

    auto* layout = verticalLayout(this);
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

void Barriereditform::selectColor()
{
    if (const std::optional<QColor> chosen = uiHooks().chooseColor(this, m_color)) {
        m_color = *chosen;
        showColor();
    }
}

void Barriereditform::showColor()
{
    QPalette palette = m_sample->palette();
    palette.setColor(QPalette::Window, m_color);
    m_sample->setPalette(palette);
}

void Barriereditform::ok()
{
    m_style.lineWidth = m_thickness->currentIndex() + 1;
    m_style.visible = m_visible->isChecked();
    m_style.color = m_color;
    if (m_redraw)
        m_redraw();
    accept();
}

// --- Zoom -------------------------------------------------------------------------------------------

ZoomForm::ZoomForm(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("ZoomForm"));
    setWindowTitle(QStringLiteral("Specify Zoom Value"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    m_Text1 = numberBox(this, "Text1", QStringLiteral("100"));
    auto* okButton = named(new QPushButton(QStringLiteral("OK"), this), "Command1");
    okButton->setDefault(true);
    connect(okButton, &QPushButton::clicked, this, [this] {
        m_zoom = floor32(numericValue(m_Text1->text()));
        accept();
    });
    auto* layout = verticalLayout(this);
    layout->addLayout(labelled(this, "Label1", QStringLiteral("Zoom Value"), m_Text1));
    layout->addWidget(okButton, 0, Qt::AlignRight);
}

} // namespace tessaloc::ui
