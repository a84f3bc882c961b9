#pragma once

#include <QDialog>
#include <QString>

class QTextBrowser;

namespace tessaloc::ui {

struct ProgramState;

/// The page of the program's help that a keyword opens ("qrc:/help/mantel.html"); the welcome
/// page for a keyword the help does not know.
QString helpPageForKeyword(const QString& keyword);

/// The help window: the program's help pages, with links between them, backward and forward.
class HelpWindow : public QDialog {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent = nullptr);
    /// Shows the page of `keyword`.
    void showTopic(const QString& keyword);
    QTextBrowser* browser() const { return m_browser; }

private:
    QTextBrowser* m_browser;
};

/// Opens the help window at the topic of `keyword`, over `parent`. Afterwards the working
/// directory is the directory of the last run again, once a run has taken place. Returns the window
/// (it deletes itself when closed).
HelpWindow* ShowHelpTopic(QWidget* parent, const ProgramState& state, const QString& keyword);

} // namespace tessaloc::ui
