#include "ui/widgets/ReportLinesView.h"

#include "ui/widgets/UiHooks.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <climits>
#include <cmath>

namespace tessaloc::ui {

namespace {

/// Room left of the text and above the first line, in pixels.
constexpr int kMargin = 4;

/// The x of each character boundary of `text` drawn from 0: n + 1 values for n characters.
std::vector<double> boundaries(const QFontMetricsF& metrics, const QString& text)
{
    std::vector<double> x(static_cast<size_t>(text.size()) + 1, 0.0);
    for (qsizetype i = 0; i < text.size(); ++i)
        x[static_cast<size_t>(i) + 1] = metrics.horizontalAdvance(text.left(i + 1));
    return x;
}

QString sizeText(qint64 bytes)
{
    return QStringLiteral("%1 MB").arg(QString::number(static_cast<double>(bytes) / 1e6, 'f', 1));
}

/// What assistive technology reads of a report view: the whole report when it is small, else the
/// lines it shows, as one text, with the part of the selection that lies among them.
class ReportLinesAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit ReportLinesAccessible(ReportLinesView* view)
        : QAccessibleWidget(view, QAccessible::EditableText)
    {
    }

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.readOnly = true;
        state.multiLine = true;
        state.selectableText = true;
        return state;
    }

    QString text(QAccessible::Text kind) const override
    {
        if (kind == QAccessible::Value)
            return shownText();
        return QAccessibleWidget::text(kind);
    }

    QString text(int startOffset, int endOffset) const override
    {
        return shownText().mid(startOffset, std::max(0, endOffset - startOffset));
    }
    int characterCount() const override { return static_cast<int>(shownText().size()); }

    void selection(int selectionIndex, int* startOffset, int* endOffset) const override
    {
        *startOffset = *endOffset = 0;
        if (selectionIndex == 0 && view()->hasSelection()) {
            *startOffset = offsetOf(view()->selectionStart());
            *endOffset = offsetOf(view()->selectionEnd());
        }
    }
    int selectionCount() const override
    {
        if (!view()->hasSelection())
            return 0;
        return offsetOf(view()->selectionStart()) < offsetOf(view()->selectionEnd()) ? 1 : 0;
    }
    void addSelection(int startOffset, int endOffset) override { setSelection(0, startOffset, endOffset); }
    void removeSelection(int) override { view()->clearSelection(); }
    void setSelection(int, int startOffset, int endOffset) override
    {
        view()->setSelection(positionOf(startOffset), positionOf(endOffset));
    }
    int cursorPosition() const override { return offsetOf(view()->selectionEnd()); }
    void setCursorPosition(int position) override
    {
        const TextPosition at = positionOf(position);
        view()->setSelection(at, at);
    }
    QRect characterRect(int offset) const override
    {
        const QRect inViewport = view()->characterRect(positionOf(offset));
        return QRect(view()->viewport()->mapToGlobal(inViewport.topLeft()), inViewport.size());
    }
    int offsetAtPoint(const QPoint& point) const override
    {
        return offsetOf(view()->positionAt(view()->viewport()->mapFromGlobal(point)));
    }
    void scrollToSubstring(int startIndex, int) override { view()->ensureVisible(positionOf(startIndex)); }
    QString attributes(int offset, int* startOffset, int* endOffset) const override
    {
        *startOffset = *endOffset = offset;
        return {};
    }

private:
    ReportLinesView* view() const { return static_cast<ReportLinesView*>(widget()); }
    QString shownText() const { return view()->accessibleLines().join(QLatin1Char('\n')); }

    /// The offset in shownText() of `position`, limited to the lines shown.
    int offsetOf(const TextPosition& position) const
    {
        const QStringList lines = view()->accessibleLines();
        const qint64 first = view()->accessibleFirstLine();
        if (lines.isEmpty() || position.line < first)
            return 0;
        int offset = 0;
        for (qsizetype row = 0; row < lines.size(); ++row) {
            if (first + row == position.line)
                return offset + static_cast<int>(std::min<qint64>(position.column, lines[row].size()));
            offset += static_cast<int>(lines[row].size()) + 1;
        }
        return offset - 1;
    }
    TextPosition positionOf(int offset) const
    {
        const QStringList lines = view()->accessibleLines();
        const qint64 first = view()->accessibleFirstLine();
        for (qsizetype row = 0; row < lines.size(); ++row) {
            if (offset <= lines[row].size())
                return {first + row, std::max(0, offset)};
            offset -= static_cast<int>(lines[row].size()) + 1;
        }
        return lines.isEmpty() ? TextPosition{first, 0} : TextPosition{first + lines.size() - 1, lines.last().size()};
    }
};

QAccessibleInterface* reportLinesAccessible(const QString& className, QObject* object)
{
    if (className == QLatin1String(ReportLinesView::staticMetaObject.className()) && object)
        if (auto* view = qobject_cast<ReportLinesView*>(object))
            return new ReportLinesAccessible(view);
    return nullptr;
}

} // namespace

bool confirmLargeCopy(QWidget* parent, qint64 bytes, const QString& what)
{
    if (bytes <= kLargeCopyBytes)
        return true;
    return uiHooks().askToProceed(
        parent, Message{QStringLiteral("%1 is %2. Copying it to the clipboard may take a while and needs several "
                                       "times as much memory. Copy it?")
                            .arg(what, sizeText(bytes)),
                        {}});
}

ReportLinesView::ReportLinesView(QWidget* parent)
    : QAbstractScrollArea(parent)
    , m_dragScroll(new QTimer(this))
{
    static const bool accessibleInstalled = (QAccessible::installFactory(&reportLinesAccessible), true);
    Q_UNUSED(accessibleInstalled);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setBackgroundRole(QPalette::Base);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_dragScroll->setInterval(50);
    connect(m_dragScroll, &QTimer::timeout, this, &ReportLinesView::scrollWhileDragging);
}

void ReportLinesView::setReportFile(std::shared_ptr<ReportFile> file)
{
    m_file = std::move(file);
    m_anchor = m_cursor = TextPosition{};
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
    updateScrollBars();
    viewport()->update();
    visibleTextChanged();
    emit selectionChanged();
}

qint64 ReportLinesView::lineCount() const
{
    return m_file ? m_file->lineCount() : 0;
}

int ReportLinesView::lineHeight() const
{
    return std::max(1, fontMetrics().lineSpacing());
}

int ReportLinesView::textLeft() const
{
    return kMargin - horizontalScrollBar()->value();
}

qint64 ReportLinesView::firstVisibleLine() const
{
    return verticalScrollBar()->value();
}

int ReportLinesView::visibleLineCount() const
{
    return std::max(1, (viewport()->height() - kMargin) / lineHeight());
}

void ReportLinesView::updateScrollBars()
{
    // The scroll bar counts lines; a report of more than INT_MAX lines shows its first INT_MAX.
    const qint64 lines = std::min<qint64>(lineCount(), INT_MAX);
    const int page = visibleLineCount();
    verticalScrollBar()->setRange(0, static_cast<int>(std::max<qint64>(0, lines - page)));
    verticalScrollBar()->setPageStep(page);
    verticalScrollBar()->setSingleStep(1);

    const double charWidth = QFontMetricsF(font()).horizontalAdvance(QLatin1Char('0'));
    const qint64 longest = m_file ? m_file->longestLine() : 0;
    const double width =
        std::min<double>(INT_MAX / 2, std::ceil(static_cast<double>(longest) * charWidth) + 2 * kMargin + charWidth);
    horizontalScrollBar()->setRange(0, std::max(0, static_cast<int>(width) - viewport()->width()));
    horizontalScrollBar()->setPageStep(viewport()->width());
    horizontalScrollBar()->setSingleStep(std::max(1, static_cast<int>(charWidth)));
}

void ReportLinesView::scrollToLine(qint64 line)
{
    verticalScrollBar()->setValue(static_cast<int>(std::clamp<qint64>(line, 0, verticalScrollBar()->maximum())));
}

void ReportLinesView::ensureVisible(const TextPosition& position)
{
    const qint64 first = firstVisibleLine();
    const int page = visibleLineCount();
    if (position.line < first || position.line >= first + page)
        scrollToLine(position.line - page / 2);
    const QRect character = characterRect(position);
    const int width = viewport()->width();
    if (character.left() < kMargin || character.right() > width - kMargin)
        horizontalScrollBar()->setValue(horizontalScrollBar()->value() + character.left() - width / 2);
}

QStringList ReportLinesView::visibleLines() const
{
    QStringList lines;
    if (!m_file)
        return lines;
    const qint64 first = firstVisibleLine();
    const qint64 last = std::min(lineCount(), first + visibleLineCount());
    for (qint64 line = first; line < last; ++line)
        lines.append(m_file->line(line));
    return lines;
}

qint64 ReportLinesView::accessibleFirstLine() const
{
    return m_file && m_file->size() <= kWholeAccessibleBytes ? 0 : firstVisibleLine();
}

QStringList ReportLinesView::accessibleLines() const
{
    if (!m_file || m_file->size() > kWholeAccessibleBytes)
        return visibleLines();
    QStringList lines;
    lines.reserve(m_file->lineCount());
    for (qint64 line = 0; line < m_file->lineCount(); ++line)
        lines.append(m_file->line(line));
    return lines;
}

void ReportLinesView::setSelection(const TextPosition& anchor, const TextPosition& cursor)
{
    if (anchor == m_anchor && cursor == m_cursor)
        return;
    m_anchor = anchor;
    m_cursor = cursor;
    viewport()->update();
    emit selectionChanged();
}

void ReportLinesView::selectAll()
{
    if (!m_file || lineCount() == 0)
        return;
    const qint64 last = lineCount() - 1;
    setSelection(TextPosition{0, 0}, TextPosition{last, m_file->lineLength(last)});
}

void ReportLinesView::clearSelection()
{
    setSelection(m_cursor, m_cursor);
}

qint64 ReportLinesView::selectionSize() const
{
    if (!m_file || !hasSelection())
        return 0;
    return m_file->offsetOf(selectionEnd()) - m_file->offsetOf(selectionStart());
}

QString ReportLinesView::selectedText() const
{
    if (!m_file || !hasSelection())
        return {};
    return m_file->text(selectionStart(), selectionEnd());
}

TextPosition ReportLinesView::positionAt(const QPoint& point) const
{
    if (!m_file || lineCount() == 0)
        return {};
    const qint64 row = static_cast<qint64>(std::floor(static_cast<double>(point.y() - kMargin) / lineHeight()));
    const qint64 line = firstVisibleLine() + row;
    if (line < 0)
        return {0, 0};
    if (line >= lineCount())
        return {lineCount() - 1, m_file->lineLength(lineCount() - 1)};
    const QString text = m_file->line(line);
    const std::vector<double> x = boundaries(QFontMetricsF(font()), text);
    const double want = point.x() - textLeft();
    qint64 column = 0;
    while (column < text.size() && (x[static_cast<size_t>(column)] + x[static_cast<size_t>(column) + 1]) / 2 < want)
        ++column;
    return {line, column};
}

QRect ReportLinesView::characterRect(const TextPosition& position) const
{
    const QFontMetricsF metrics(font());
    const QString text = m_file ? m_file->line(position.line) : QString();
    const qsizetype column = std::clamp<qsizetype>(position.column, 0, text.size());
    const double left = textLeft() + metrics.horizontalAdvance(text.left(column));
    const double width =
        column < text.size() ? metrics.horizontalAdvance(text.at(column)) : metrics.horizontalAdvance(QLatin1Char(' '));
    const qint64 row = position.line - firstVisibleLine();
    return QRect(static_cast<int>(left), static_cast<int>(kMargin + row * lineHeight()), static_cast<int>(width),
                 lineHeight());
}

void ReportLinesView::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    const QPalette& colours = palette();
    painter.fillRect(viewport()->rect(), colours.base());
    if (!m_file)
        return;
    painter.setFont(font());
    const QFontMetricsF metrics(font());
    const int height = lineHeight();
    const double left = textLeft();
    const qint64 first = firstVisibleLine();
    // One more line than fits whole, so that a partly shown last line is drawn too.
    const qint64 last = std::min(lineCount(), first + visibleLineCount() + 1);
    const TextPosition start = selectionStart();
    const TextPosition end = selectionEnd();
    for (qint64 line = first; line < last; ++line) {
        const QString text = m_file->line(line);
        const int top = kMargin + static_cast<int>(line - first) * height;
        const double baseline = top + metrics.ascent();
        qsizetype from = 0;
        qsizetype to = 0;
        bool lineEndSelected = false;
        if (hasSelection() && line >= start.line && line <= end.line) {
            from = line == start.line ? std::min<qsizetype>(start.column, text.size()) : 0;
            to = line == end.line ? std::min<qsizetype>(end.column, text.size()) : text.size();
            lineEndSelected = line < end.line;
        }
        const double fromX = left + metrics.horizontalAdvance(text.left(from));
        const double toX = left + metrics.horizontalAdvance(text.left(to));
        if (to > from || lineEndSelected) {
            const double extra = lineEndSelected ? metrics.horizontalAdvance(QLatin1Char(' ')) : 0.0;
            painter.fillRect(QRectF(fromX, top, toX - fromX + extra, height), colours.highlight());
        }
        painter.setPen(colours.color(QPalette::Text));
        painter.drawText(QPointF(left, baseline), text.left(from));
        painter.drawText(QPointF(toX, baseline), text.mid(to));
        if (to > from) {
            painter.setPen(colours.color(QPalette::HighlightedText));
            painter.drawText(QPointF(fromX, baseline), text.mid(from, to - from));
        }
    }
}

void ReportLinesView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
    visibleTextChanged();
}

void ReportLinesView::changeEvent(QEvent* event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        updateScrollBars();
        viewport()->update();
    }
}

void ReportLinesView::scrollContentsBy(int, int)
{
    viewport()->update();
    visibleTextChanged();
}

void ReportLinesView::visibleTextChanged()
{
    if (QAccessible::isActive()) {
        QAccessibleEvent event(this, QAccessible::VisibleDataChanged);
        QAccessible::updateAccessibility(&event);
    }
}

void ReportLinesView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return QAbstractScrollArea::mousePressEvent(event);
    const TextPosition at = positionAt(event->position().toPoint());
    if (event->modifiers() & Qt::ShiftModifier)
        setSelection(m_anchor, at);
    else
        setSelection(at, at);
    m_dragging = true;
}

void ReportLinesView::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_dragging || !(event->buttons() & Qt::LeftButton))
        return QAbstractScrollArea::mouseMoveEvent(event);
    dragTo(event->position().toPoint());
}

void ReportLinesView::dragTo(const QPoint& point)
{
    m_dragPoint = point;
    const bool outside = point.y() < 0 || point.y() > viewport()->height();
    if (outside && !m_dragScroll->isActive())
        m_dragScroll->start();
    else if (!outside)
        m_dragScroll->stop();
    setSelection(m_anchor, positionAt(point));
}

void ReportLinesView::scrollWhileDragging()
{
    // Faster the further the pointer is from the view.
    const int beyond = m_dragPoint.y() < 0 ? m_dragPoint.y() : m_dragPoint.y() - viewport()->height();
    const int lines = std::clamp(beyond / 8, -50, 50);
    verticalScrollBar()->setValue(verticalScrollBar()->value() + (lines != 0 ? lines : (beyond < 0 ? -1 : 1)));
    setSelection(m_anchor, positionAt(m_dragPoint));
}

void ReportLinesView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        m_dragging = false;
        m_dragScroll->stop();
    }
    QAbstractScrollArea::mouseReleaseEvent(event);
}

void ReportLinesView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !m_file)
        return QAbstractScrollArea::mouseDoubleClickEvent(event);
    // The word under the pointer: the characters between blanks.
    const TextPosition at = positionAt(event->position().toPoint());
    const QString text = m_file->line(at.line);
    qsizetype from = std::min<qsizetype>(at.column, text.size());
    qsizetype to = from;
    while (from > 0 && !text.at(from - 1).isSpace())
        --from;
    while (to < text.size() && !text.at(to).isSpace())
        ++to;
    setSelection({at.line, from}, {at.line, to});
}

void ReportLinesView::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Copy)) {
        emit copyRequested();
        return;
    }
    if (event->matches(QKeySequence::SelectAll)) {
        selectAll();
        return;
    }
    QScrollBar* vertical = verticalScrollBar();
    QScrollBar* horizontal = horizontalScrollBar();
    const bool control = event->modifiers() & Qt::ControlModifier;
    switch (event->key()) {
    case Qt::Key_Up:
        vertical->triggerAction(QAbstractSlider::SliderSingleStepSub);
        break;
    case Qt::Key_Down:
        vertical->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        break;
    case Qt::Key_PageUp:
        vertical->triggerAction(QAbstractSlider::SliderPageStepSub);
        break;
    case Qt::Key_PageDown:
        vertical->triggerAction(QAbstractSlider::SliderPageStepAdd);
        break;
    case Qt::Key_Left:
        horizontal->triggerAction(QAbstractSlider::SliderSingleStepSub);
        break;
    case Qt::Key_Right:
        horizontal->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        break;
    case Qt::Key_Home:
        (control ? vertical : horizontal)->triggerAction(QAbstractSlider::SliderToMinimum);
        break;
    case Qt::Key_End:
        if (control)
            emit goToEndRequested();
        else
            horizontal->triggerAction(QAbstractSlider::SliderToMaximum);
        break;
    default:
        QAbstractScrollArea::keyPressEvent(event);
    }
}

void ReportLinesView::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    menu.addAction(QStringLiteral("Copy"), this, &ReportLinesView::copyRequested)->setEnabled(hasSelection());
    menu.addAction(QStringLiteral("Select All"), this, &ReportLinesView::selectAll);
    menu.addSeparator();
    menu.addAction(QStringLiteral("Find..."), this, &ReportLinesView::findRequested);
    menu.addAction(QStringLiteral("Go to End"), this, &ReportLinesView::goToEndRequested);
    menu.exec(event->globalPos());
}

} // namespace tessaloc::ui
