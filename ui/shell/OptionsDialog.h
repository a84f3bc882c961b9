#pragma once

#include <QDialog>
#include <QString>

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
    /// Adds the "OK" and "Help" buttons with the given object names; OK calls `ok`.
    void addButtons(const QString& okName, const QString& helpName);
    /// Called by the OK button.
    virtual void ok() = 0;

    ProgramState& m_state;

private:
    QString m_helpKeyword;
};

} // namespace tessaloc::ui
