#include "ui/widgets/UiHooks.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>

namespace tessaloc::ui {

namespace {

/// The ending of the first pattern of a name filter: "rtf" for "Rich text (*.rtf)".
QString endingOf(const QString& filter)
{
    const qsizetype star = filter.indexOf(QStringLiteral("*."));
    if (star < 0)
        return {};
    qsizetype end = star + 2;
    while (end < filter.size() && filter[end].isLetterOrNumber())
        ++end;
    return filter.mid(star + 2, end - star - 2);
}

QString saveDialog(QWidget* parent, const QString& title, const QString& startFolder, const QStringList& nameFilters)
{
    QFileDialog dialog(parent, title, startFolder);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters(nameFilters);
    // A name typed without an ending gets the ending of the chosen kind.
    if (!nameFilters.isEmpty())
        dialog.setDefaultSuffix(endingOf(nameFilters.constFirst()));
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                     [&dialog](const QString& filter) { dialog.setDefaultSuffix(endingOf(filter)); });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

UiHooks platformDialogs()
{
    UiHooks hooks;
    hooks.showMessage = [](QWidget* parent, const Message& message) {
        QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Tessaloc"), message.text, QMessageBox::Ok, parent);
        if (!message.detail.isEmpty())
            box.setDetailedText(message.detail);
        box.exec();
    };
    hooks.askToProceed = [](QWidget* parent, const Message& question) {
        QMessageBox box(QMessageBox::Question, QStringLiteral("Tessaloc"), question.text,
                        QMessageBox::Yes | QMessageBox::No, parent);
        if (!question.detail.isEmpty())
            box.setDetailedText(question.detail);
        return box.exec() == QMessageBox::Yes;
    };
    hooks.openFileName = [](QWidget* parent, const QString& title, const QString& startPath) {
        return QFileDialog::getOpenFileName(parent, title, startPath);
    };
    hooks.saveFileName = [](QWidget* parent, const QString& title, const QString& startFolder) {
        return saveDialog(parent, title, startFolder,
                          {QStringLiteral("Rich text (*.rtf)"), QStringLiteral("Plain text (*.txt)")});
    };
    hooks.saveFileNameOfType = saveDialog;
    hooks.chooseColor = [](QWidget* parent, const QColor& initial) -> std::optional<QColor> {
        const QColor chosen = QColorDialog::getColor(initial, parent);
        if (!chosen.isValid())
            return std::nullopt;
        return chosen;
    };
    hooks.preparePrinter = [](QWidget* parent, QPrinter& printer) {
        QPrintDialog dialog(&printer, parent);
        return dialog.exec() == QDialog::Accepted;
    };
    return hooks;
}

} // namespace

UiHooks& uiHooks()
{
    static UiHooks hooks = platformDialogs();
    return hooks;
}

void restoreDefaultUiHooks()
{
    uiHooks() = platformDialogs();
}

void showMessage(QWidget* parent, const QString& text, const QString& detail)
{
    uiHooks().showMessage(parent, Message{text, detail});
}

} // namespace tessaloc::ui
