#pragma once

#include "ui/widgets/ReportFile.h"

#include <QAbstractScrollArea>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <memory>

class QTimer;

namespace tessaloc::ui {

/// Above this size (in bytes) copying a text to the clipboard asks first.
inline constexpr qint64 kLargeCopyBytes = 50'000'000;

/// Asks whether to copy `bytes` bytes of text to the clipboard when that is more than
/// kLargeCopyBytes, saying how large it is; `what` names the text ("The report"). True when the
/// copy may go ahead.
bool confirmLargeCopy(QWidget* parent, qint64 bytes, const QString& what);

/// The lines of a report file, drawn from the file as they come into view: however large the
/// report, the view holds only its line index and the lines around those shown. Read-only, in the
/// widget's font, with a selection that may run over any number of lines. Assistive technology
/// reads the view's text: the whole report when it is small, else the lines shown.
class ReportLinesView : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit ReportLinesView(QWidget* parent = nullptr);

    /// Shows `file` (may be null: nothing) from its first line, with nothing selected.
    void setReportFile(std::shared_ptr<ReportFile> file);
    ReportFile* reportFile() const { return m_file.get(); }
    qint64 lineCount() const;

    /// The first line shown, and how many lines fit whole into the view (at least 1).
    qint64 firstVisibleLine() const;
    int visibleLineCount() const;
    /// Makes `line` the first line shown, as far as the report reaches.
    void scrollToLine(qint64 line);
    /// Scrolls so that `position` is shown, leaving the view as it is when it already is.
    void ensureVisible(const TextPosition& position);
    /// The texts of the lines shown, at most visibleLineCount() of them.
    QStringList visibleLines() const;

    /// Reports up to this size (in bytes) are read whole by assistive technology, larger ones by
    /// the lines shown.
    static constexpr qint64 kWholeAccessibleBytes = 256 * 1024;
    /// The first line assistive technology reads, and the lines it reads from there on.
    qint64 accessibleFirstLine() const;
    QStringList accessibleLines() const;

    /// Selects from `anchor` to `cursor` (in either order).
    void setSelection(const TextPosition& anchor, const TextPosition& cursor);
    void selectAll();
    void clearSelection();
    bool hasSelection() const { return m_anchor != m_cursor; }
    TextPosition selectionStart() const { return std::min(m_anchor, m_cursor); }
    TextPosition selectionEnd() const { return std::max(m_anchor, m_cursor); }
    /// Bytes of the report the selection covers.
    qint64 selectionSize() const;
    /// The selected text, line ends as LF.
    QString selectedText() const;

    /// The place of the report drawn at `point` of the viewport: the nearest character boundary.
    TextPosition positionAt(const QPoint& point) const;
    /// Where the character at `position` is drawn, in viewport coordinates.
    QRect characterRect(const TextPosition& position) const;

signals:
    void selectionChanged();
    /// Ctrl+C or the context menu's "Copy".
    void copyRequested();
    /// The context menu's "Find..." and "Go to End".
    void findRequested();
    void goToEndRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void updateScrollBars();
    void dragTo(const QPoint& point);
    void scrollWhileDragging();
    void visibleTextChanged();
    int lineHeight() const;
    int textLeft() const;

    std::shared_ptr<ReportFile> m_file;
    TextPosition m_anchor;
    TextPosition m_cursor;
    bool m_dragging = false;
    QPoint m_dragPoint;
    QTimer* m_dragScroll;
};

} // namespace tessaloc::ui
