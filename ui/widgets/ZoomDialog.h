#pragma once

#include <QDialog>

class QLineEdit;

namespace tessaloc::ui {

/// "Specify Zoom Value": asks the landscape viewer's zoom in percent.
class ZoomDialog : public QDialog {
    Q_OBJECT
public:
    explicit ZoomDialog(QWidget* parent = nullptr);
    /// The zoom the OK button gave: the whole number at or below the entry (150.7 gives 150).
    int zoomValue() const { return m_zoom; }

private:
    QLineEdit* m_zoomEdit;
    int m_zoom = 100;
};

} // namespace tessaloc::ui
