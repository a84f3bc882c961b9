#include "ui/widgets/ReportView.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QVBoxLayout>

namespace tessaloc::ui {

ReportView::ReportView(QWidget* parent)
    : QWidget(parent)
    , m_lines(new ReportLinesView(this))
    , m_findField(new QLineEdit(this))
    , m_findStatus(new QLabel(this))
{
    m_lines->setObjectName(QStringLiteral("ReportLines"));
    m_lines->setAccessibleName(QStringLiteral("Report"));
    m_findField->setObjectName(QStringLiteral("FindText"));
    m_findField->setAccessibleName(QStringLiteral("Find"));
    m_findField->setClearButtonEnabled(true);
    m_findStatus->setObjectName(QStringLiteral("FindStatus"));

    // The bar keeps the program's own font while the lines take the report font of the page.
    auto* bar = new QWidget(this);
    QFont barFont = QApplication::font();
    barFont.setResolveMask(QFont::AllPropertiesResolved);
    bar->setFont(barFont);
    auto* previous = new QPushButton(QStringLiteral("Previous"), bar);
    previous->setObjectName(QStringLiteral("FindPrevious"));
    auto* next = new QPushButton(QStringLiteral("Next"), bar);
    next->setObjectName(QStringLiteral("FindNext"));
    auto* goToEnd = new QPushButton(QStringLiteral("Go to End"), bar);
    goToEnd->setObjectName(QStringLiteral("GoToEnd"));
    for (QPushButton* button : {previous, next, goToEnd})
        button->setAutoDefault(false);
    auto* findLabel = new QLabel(QStringLiteral("Find:"), bar);
    findLabel->setBuddy(m_findField);
    auto* barLayout = new QHBoxLayout(bar);
    barLayout->setContentsMargins(0, 2, 0, 0);
    barLayout->addWidget(findLabel);
    m_findField->setParent(bar);
    m_findStatus->setParent(bar);
    barLayout->addWidget(m_findField, 1);
    barLayout->addWidget(previous);
    barLayout->addWidget(next);
    barLayout->addWidget(m_findStatus, 1);
    barLayout->addWidget(goToEnd);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(m_lines, 1);
    layout->addWidget(bar);
    setFocusProxy(m_lines);

    connect(previous, &QPushButton::clicked, this, &ReportView::findPrevious);
    connect(next, &QPushButton::clicked, this, &ReportView::findNext);
    connect(goToEnd, &QPushButton::clicked, this, &ReportView::goToEnd);
    connect(m_findField, &QLineEdit::returnPressed, this, [this] {
        if (QApplication::keyboardModifiers() & Qt::ShiftModifier)
            findPrevious();
        else
            findNext();
    });
    connect(m_findField, &QLineEdit::textEdited, m_findStatus, &QLabel::clear);
    connect(m_lines, &ReportLinesView::copyRequested, this, &ReportView::copySelection);
    connect(m_lines, &ReportLinesView::findRequested, this, &ReportView::showFind);
    connect(m_lines, &ReportLinesView::goToEndRequested, this, &ReportView::goToEnd);
    const auto shortcut = [this](const QKeySequence& keys, void (ReportView::*slot)()) {
        auto* made = new QShortcut(keys, this, this, slot);
        made->setContext(Qt::WidgetWithChildrenShortcut);
    };
    shortcut(QKeySequence::Find, &ReportView::showFind);
    shortcut(QKeySequence::FindNext, &ReportView::findNext);
    shortcut(QKeySequence::FindPrevious, &ReportView::findPrevious);
}

void ReportView::setReportFile(std::shared_ptr<ReportFile> file)
{
    m_lines->setReportFile(std::move(file));
    m_findStatus->clear();
}

QString ReportView::findStatus() const
{
    return m_findStatus->text();
}

QString ReportView::toPlainText() const
{
    ReportFile* file = reportFile();
    if (!file || file->lineCount() == 0)
        return {};
    const qint64 last = file->lineCount() - 1;
    return file->text({0, 0}, {last, file->lineLength(last)});
}

bool ReportView::find(const QString& text, bool backwards)
{
    ReportFile* file = reportFile();
    m_findStatus->clear();
    if (!file || text.isEmpty())
        return false;
    TextPosition from{m_lines->firstVisibleLine(), 0};
    if (m_lines->hasSelection())
        from = backwards ? m_lines->selectionStart() : m_lines->selectionEnd();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const std::optional<TextPosition> found = file->find(text, from, backwards);
    QApplication::restoreOverrideCursor();
    if (!found) {
        m_findStatus->setText(QStringLiteral("Not found"));
        return false;
    }
    if (!backwards && *found < from)
        m_findStatus->setText(QStringLiteral("Continued from the top"));
    else if (backwards && *found >= from)
        m_findStatus->setText(QStringLiteral("Continued from the bottom"));
    const TextPosition end{found->line, found->column + text.size()};
    m_lines->setSelection(*found, end);
    m_lines->ensureVisible(*found);
    return true;
}

void ReportView::copySelection()
{
    if (!m_lines->hasSelection() ||
        !confirmLargeCopy(this, m_lines->selectionSize(), QStringLiteral("The selected text")))
        return;
    QClipboard* clipboard = QApplication::clipboard();
    clipboard->clear();
    clipboard->setText(m_lines->selectedText());
}

void ReportView::goToStart()
{
    m_lines->scrollToLine(0);
    m_lines->horizontalScrollBar()->setValue(0);
}

void ReportView::goToEnd()
{
    m_lines->scrollToLine(m_lines->lineCount());
    m_lines->horizontalScrollBar()->setValue(0);
}

void ReportView::showFind()
{
    m_findField->setFocus(Qt::ShortcutFocusReason);
    m_findField->selectAll();
}

void ReportView::findNext()
{
    find(m_findField->text(), false);
}

void ReportView::findPrevious()
{
    find(m_findField->text(), true);
}

} // namespace tessaloc::ui
