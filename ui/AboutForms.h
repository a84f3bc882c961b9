#pragma once

#include <QDialog>
#include <QString>

class QTimer;

namespace tessaloc::ui {

/// The version the about and splash windows show.
inline constexpr const char* kVersionText = "Version 1.0";

/// How to cite the program, as the about and splash windows show it.
QString citationText();

/// "About Tessaloc": the program's picture, version, purpose and how to cite it.
class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(QWidget* parent = nullptr);
};

/// The start-up window: picture, name, version and citation. It closes after 5 seconds, or
/// earlier on a key press or a click.
class frmSplash1 : public QDialog {
    Q_OBJECT
public:
    explicit frmSplash1(QWidget* parent = nullptr, int milliseconds = 5000);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QTimer* m_Timer1;
};

} // namespace tessaloc::ui
