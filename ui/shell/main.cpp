#include "ui/shell/MainWindow.h"
#include "ui/shell/ProgramState.h"
#include "ui/shell/SplashScreen.h"

#include <QApplication>
#include <QIcon>
#include <QTimer>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tessaloc"));
    QApplication::setApplicationVersion(QStringLiteral("1.0"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/pictures/tessaloc.svg")));

    tessaloc::ui::ProgramState state;
    tessaloc::ui::MainWindow window(state);
    window.show();
    // The splash comes once the main window is on the screen, centred over it.
    QTimer::singleShot(0, &window, [&window] {
        tessaloc::ui::SplashScreen splash(&window);
        splash.exec();
    });
    return QApplication::exec();
}
