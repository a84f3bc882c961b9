#pragma once

#include "ui/widgets/ReportLinesView.h"

#include <QWidget>

#include <memory>

class QLabel;
class QLineEdit;

namespace tessaloc::ui {

/// The report page of a results window: the report's lines with a bar beneath them to find a text
/// ("Find", Ctrl+F, then "Next" and "Previous", Enter and Shift+Enter, F3 and Shift+F3) and to go
/// to the report's end. Its font (the report font) is the font of the lines.
class ReportView : public QWidget {
    Q_OBJECT
public:
    explicit ReportView(QWidget* parent = nullptr);

    /// Shows `file` from its first line; null shows nothing.
    void setReportFile(std::shared_ptr<ReportFile> file);
    ReportFile* reportFile() const { return m_lines->reportFile(); }
    ReportLinesView* lines() const { return m_lines; }
    QLineEdit* findField() const { return m_findField; }
    /// What the last search said ("Not found", ...), empty after a plain find.
    QString findStatus() const;
    bool isReadOnly() const { return true; }

    /// The whole report as shown, line ends as LF; meant for small reports.
    QString toPlainText() const;
    /// Looks for `text` from the selection (from the first line shown when nothing is selected),
    /// forwards or backwards, continuing at the other end of the report; selects it and scrolls it
    /// into view. False when the report holds no such text.
    bool find(const QString& text, bool backwards = false);
    /// Puts the selection on the clipboard as plain text (asking first when it is very large).
    void copySelection();

public slots:
    void goToStart();
    void goToEnd();
    /// Puts the keyboard in the find field, its text selected.
    void showFind();
    void findNext();
    void findPrevious();

private:
    ReportLinesView* m_lines;
    QLineEdit* m_findField;
    QLabel* m_findStatus;
};

} // namespace tessaloc::ui
