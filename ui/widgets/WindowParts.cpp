#include "ui/widgets/WindowParts.h"

#include <QButtonGroup>
#include <QDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

namespace tessaloc::ui {

QLineEdit* numberBox(QWidget* parent, const char* name, const QString& text)
{
    auto* box = named(new QLineEdit(text, parent), name);
    box->setMaximumWidth(140);
    return box;
}

QGroupBox* optionGroup(QWidget* parent, const char* name, const QString& caption,
                       std::initializer_list<QRadioButton*> options)
{
    auto* frame = named(new QGroupBox(caption, parent), name);
    auto* layout = new QVBoxLayout(frame);
    auto* group = new QButtonGroup(frame);
    for (QRadioButton* option : options) {
        layout->addWidget(option);
        group->addButton(option);
    }
    return frame;
}

QVBoxLayout* fixedSizeLayout(QDialog* dialog)
{
    auto* layout = new QVBoxLayout(dialog);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    return layout;
}

QHBoxLayout* labelled(QWidget* parent, const char* labelName, const QString& caption, QLineEdit* box)
{
    auto* row = new QHBoxLayout;
    auto* label = named(new QLabel(caption, parent), labelName);
    label->setBuddy(box);
    row->addWidget(label);
    row->addWidget(box);
    return row;
}

void centreOverParent(QWidget& window)
{
    const QWidget* parent = window.parentWidget();
    if (!parent)
        return;
    const QWidget* over = parent->window();
    const QRect frame = window.frameGeometry();
    QPoint topLeft = over->frameGeometry().center() - QPoint(frame.width() / 2, frame.height() / 2);
    if (const QScreen* screen = over->screen()) {
        // A window larger than its parent stays on the screen rather than hanging off its edge.
        const QRect area = screen->availableGeometry();
        topLeft.setX(std::max(area.left(), std::min(topLeft.x(), area.right() + 1 - frame.width())));
        topLeft.setY(std::max(area.top(), std::min(topLeft.y(), area.bottom() + 1 - frame.height())));
    }
    window.move(topLeft);
}

} // namespace tessaloc::ui
