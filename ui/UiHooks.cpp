#include "ui/UiHooks.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>

namespace tessaloc::ui {

namespace {

UiHooks platformDialogs()
{
    UiHooks hooks;
    hooks.showMessage = [](QWidget* parent, const Message& message) {
        QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Tessaloc"), message.text, QMessageBox::Ok, parent);
        if (!message.detail.isEmpty())
            box.setDetailedText(message.detail);
        box.exec();
    };
    hooks.openFileName = [](QWidget* parent, const QString& title, const QString& startPath) {
        return QFileDialog::getOpenFileName(parent, title, startPath);
    };
    hooks.saveFileName = [](QWidget* parent, const QString& title, const QString& startFolder) {
        QFileDialog dialog(parent, title, startFolder);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setNameFilters({QStringLiteral("Rich text (*.rtf)"), QStringLiteral("Plain text (*.txt)")});
        // A name typed without an ending gets the ending of the chosen kind.
        dialog.setDefaultSuffix(QStringLiteral("rtf"));
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
            dialog.setDefaultSuffix(filter.contains(QStringLiteral("*.txt")) ? QStringLiteral("txt")
                                                                             : QStringLiteral("rtf"));
        });
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return QString();
        return dialog.selectedFiles().constFirst();
    };
    hooks.saveFileNameOfKind = [](QWidget* parent, const QString& title, const QString& startFolder,
                                  const QStringList& filters) {
        QFileDialog dialog(parent, title, startFolder);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setNameFilters(filters);
        // The ending of a kind is that of its first pattern: "Table (*.csv)" gives "csv".
        const auto endingOf = [](const QString& filter) {
            const qsizetype start = filter.indexOf(QStringLiteral("*."));
            if (start < 0)
                return QString();
            qsizetype end = start + 2;
            while (end < filter.size() && filter[end].isLetterOrNumber())
                ++end;
            return filter.mid(start + 2, end - start - 2);
        };
        if (!filters.isEmpty())
            dialog.setDefaultSuffix(endingOf(filters.constFirst()));
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                         [&dialog, endingOf](const QString& filter) { dialog.setDefaultSuffix(endingOf(filter)); });
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return QString();
        return dialog.selectedFiles().constFirst();
    };
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
