#pragma once

#include <QString>
#include <QWidget>

#include <initializer_list>

class QDialog;
class QGroupBox;
class QHBoxLayout;
class QLineEdit;
class QRadioButton;
class QVBoxLayout;

namespace tessaloc::ui {

/// `widget` with its object name set to `name`, the name tests find the control by.
template <typename Widget> Widget* named(Widget* widget, const char* name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

/// A text box for a number, narrow enough for a count or an area.
QLineEdit* numberBox(QWidget* parent, const char* name, const QString& text);

/// A framed group of option buttons, laid out one under another and exclusive among themselves.
QGroupBox* optionGroup(QWidget* parent, const char* name, const QString& caption,
                       std::initializer_list<QRadioButton*> options);

/// The vertical layout of a dialog that keeps the size its contents ask for.
QVBoxLayout* fixedSizeLayout(QDialog* dialog);

/// A label with its entry box to the right; the label is the box's buddy.
QHBoxLayout* labelled(QWidget* parent, const char* labelName, const QString& caption, QLineEdit* box);

/// Moves the top-level `window` so that its centre lies over the centre of its parent's window,
/// kept inside the available area of the parent's screen. Without a parent nothing moves.
void centreOverParent(QWidget& window);

} // namespace tessaloc::ui
