#include "ui/shell/SplashScreen.h"

#include "ui/shell/AboutDialog.h"
#include "ui/widgets/WindowParts.h"

#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QShowEvent>
#include <QTimer>
#include <QVBoxLayout>

namespace tessaloc::ui {

SplashScreen::SplashScreen(QWidget* parent, int milliseconds)
    : QDialog(parent)
    , m_closeTimer(named(new QTimer(this), "Timer1"))
{
    setObjectName(QStringLiteral("frmSplash1"));
    setWindowFlags(Qt::SplashScreen | Qt::FramelessWindowHint);
    setWindowTitle(QStringLiteral("Tessaloc"));

    auto* frame = named(new QFrame(this), "Frame1");
    frame->setFrameShape(QFrame::Box);
    frame->setLineWidth(2);

    // The name twice, one label a little offset behind the other, for a shadowed title.
    auto* title = new QWidget(frame);
    QFont heavy(QStringLiteral("Futura XBlk BT"));
    heavy.setPointSize(30);
    heavy.setWeight(QFont::Black);
    auto* shadow = wrappedLabel(title, "Label1", QStringLiteral("Tessaloc"));
    auto* name = wrappedLabel(title, "Label2", QStringLiteral("Tessaloc"));
    for (QLabel* label : {shadow, name}) {
        label->setFont(heavy);
        label->setWordWrap(false);
        label->adjustSize();
    }
    shadow->setStyleSheet(QStringLiteral("color: #9db58f;"));
    name->setStyleSheet(QStringLiteral("color: #1f4e9c;"));
    shadow->move(3, 3);
    name->move(0, 0);
    title->setFixedSize(name->width() + 4, name->height() + 4);

    auto* text = new QVBoxLayout;
    text->addWidget(title);
    text->addWidget(wrappedLabel(frame, "lblVersion", QString::fromLatin1(kVersionText)));
    text->addWidget(wrappedLabel(frame, "lblCitation", citationText()));
    text->addStretch();

    auto* inner = new QHBoxLayout(frame);
    inner->addWidget(programPictureLabel(frame, 140), 0, Qt::AlignTop);
    inner->addLayout(text, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(frame);
    setFixedWidth(520);

    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);
    m_closeTimer->setSingleShot(true);
    m_closeTimer->setInterval(milliseconds);
    connect(m_closeTimer, &QTimer::timeout, this, &QDialog::accept);
    m_closeTimer->start();
}

void SplashScreen::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // The dialog's own placement leaves room for a title bar that a splash does not have.
    if (!event->spontaneous())
        centreOverParent(*this);
}

void SplashScreen::keyPressEvent(QKeyEvent* /*event*/)
{
    accept();
}

void SplashScreen::mousePressEvent(QMouseEvent* /*event*/)
{
    accept();
}

bool SplashScreen::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::KeyPress) {
        accept();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace tessaloc::ui
