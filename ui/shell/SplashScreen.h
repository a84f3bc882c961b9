#pragma once

#include <QDialog>

class QTimer;

namespace tessaloc::ui {

/// The start-up window: picture, name, version and citation, centred over the main window. It
/// closes after 5 seconds, or earlier on a key press or a click.
class SplashScreen : public QDialog {
    Q_OBJECT
public:
    explicit SplashScreen(QWidget* parent = nullptr, int milliseconds = 5000);

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QTimer* m_closeTimer;
};

} // namespace tessaloc::ui
