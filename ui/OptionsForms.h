#pragma once

#include <QColor>
#include <QDialog>
#include <QString>

#include <functional>

class QCheckBox;
class QComboBox;
class QFrame;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace tessaloc::ui {

struct ProgramState;

/// What the options windows share: the program's settings they edit, the help keyword, and a row
/// of buttons ("OK" and "Help"). An options window only edits settings; it never starts a run.
/// OK stores what the window shows; closing it any other way stores nothing.
class OptionsDialog : public QDialog {
    Q_OBJECT
public:
    OptionsDialog(ProgramState& state, QString helpKeyword, QWidget* parent);

public slots:
    void showHelp();

protected:
    /// Adds the "OK" and "Help" buttons with the given control names; OK calls `ok`.
    void addButtons(const QString& okName, const QString& helpName);
    /// Called by the OK button.
    virtual void ok() = 0;

    ProgramState& m_state;

private:
    QString m_helpKeyword;
};

/// "Mantel Test Options": permutation count and the two log10 transforms.
class MantelForm : public OptionsDialog {
    Q_OBJECT
public:
    explicit MantelForm(ProgramState& state, QWidget* parent = nullptr);

protected:
    void ok() override;

private:
    QLineEdit* m_Text1;
    QCheckBox* m_Check1;
    QCheckBox* m_Check2;
};

/// "Spatial Autocorrelation Options": distance classes, how they are built, permutation count.
class SpatialAutocorrForm : public OptionsDialog {
    Q_OBJECT
public:
    explicit SpatialAutocorrForm(ProgramState& state, QWidget* parent = nullptr);

protected:
    void ok() override;

private:
    QLineEdit* m_Text1;
    QRadioButton* m_Option1;
    QRadioButton* m_Option2;
    QLineEdit* m_Text2;
};

/// "Paired-Sample Genetic Distance Analysis": the permutation count of the paired-sample analysis.
/// The program offers no such analysis yet, so no menu opens this window.
class PairGenDistForm : public OptionsDialog {
    Q_OBJECT
public:
    explicit PairGenDistForm(ProgramState& state, QWidget* parent = nullptr);

protected:
    void ok() override;

private:
    QLineEdit* m_Text1;
};

/// "AAIA Options": permutation count and how the study area is found.
class AAIAForm : public OptionsDialog {
    Q_OBJECT
public:
    explicit AAIAForm(ProgramState& state, QWidget* parent = nullptr);

protected:
    void ok() override;

private:
    QLineEdit* m_Text1;
    QRadioButton* m_Option1;
    QRadioButton* m_Option2;
    QLineEdit* m_Text2;
};

/// "Options for Interpolation of Landscape Shape": network, heights and their log10 transform.
class InterpolateOptions : public OptionsDialog {
    Q_OBJECT
public:
    explicit InterpolateOptions(ProgramState& state, QWidget* parent = nullptr);

protected:
    void ok() override;

private:
    void updateLogBox();

    QRadioButton* m_Option1;
    QRadioButton* m_Option2;
    QRadioButton* m_Option3;
    QRadioButton* m_Option4;
    QRadioButton* m_Option5;
    QCheckBox* m_Check2;
};

/// "Monmonier Algorithm Options": which distances the barriers follow, and how many barriers.
class MonMonierOptionsForm : public OptionsDialog {
    Q_OBJECT
public:
    explicit MonMonierOptionsForm(ProgramState& state, QWidget* parent = nullptr);

protected:
    void ok() override;

private:
    QRadioButton* m_raw;
    QRadioButton* m_pseudoslopes;
    QRadioButton* m_residuals;
    QLineEdit* m_count;
};

/// How one barrier of the barrier map is drawn.
struct BarrierStyle {
    QColor color;
    int lineWidth = 1; ///< pen width, 1..5
    bool visible = true;
};

/// "Edit Barrier" followed by the barrier's number: line thickness, colour and visibility of one
/// barrier. OK stores them and asks the map to redraw; closing it any other way changes nothing.
class Barriereditform : public OptionsDialog {
    Q_OBJECT
public:
    /// Edits `style`, the style of barrier number `barrier`; `redraw` is called after OK.
    Barriereditform(ProgramState& state, int barrier, BarrierStyle& style, std::function<void()> redraw,
                    QWidget* parent = nullptr);
    /// The colour the OK button will store.
    QColor currentColor() const { return m_color; }

public slots:
    /// "Select Color": the colour dialog, starting from the current colour.
    void selectColor();

protected:
    void ok() override;

private:
    void showColor();

    BarrierStyle& m_style;
    std::function<void()> m_redraw;
    QColor m_color;
    QComboBox* m_thickness;
    QFrame* m_sample;
    QCheckBox* m_visible;
};

/// "Specify Zoom Value": asks the landscape viewer's zoom in percent.
class ZoomForm : public QDialog {
    Q_OBJECT
public:
    explicit ZoomForm(QWidget* parent = nullptr);
    /// The zoom the OK button gave: the whole number at or below the entry (150.7 gives 150).
    int zoomValue() const { return m_zoom; }

private:
    QLineEdit* m_Text1;
    int m_zoom = 100;
};

} // namespace tessaloc::ui
