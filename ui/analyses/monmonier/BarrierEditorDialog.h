#pragma once

#include "ui/shell/OptionsDialog.h"

#include <QColor>

#include <functional>

class QCheckBox;
class QComboBox;
class QFrame;

namespace tessaloc::ui {

/// How one barrier of the barrier map is drawn.
struct BarrierStyle {
    QColor color;
    int lineWidth = 1; ///< pen width, 1..5
    bool visible = true;
};

/// "Edit Barrier" followed by the barrier's number: line thickness, colour and visibility of one
/// barrier. OK stores them and asks the map to redraw; closing it any other way changes nothing.
class BarrierEditorDialog : public OptionsDialog {
    Q_OBJECT
public:
    /// Edits `style`, the style of barrier number `barrier`; `redraw` is called after OK.
    BarrierEditorDialog(ProgramState& state, int barrier, BarrierStyle& style, std::function<void()> redraw,
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

} // namespace tessaloc::ui
