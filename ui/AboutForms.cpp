#include "ui/AboutForms.h"

#include <QApplication>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSvgRenderer>
#include <QTimer>
#include <QVBoxLayout>

namespace tessaloc::ui {

namespace {

QPixmap programPicture(int side)
{
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QSvgRenderer renderer(QStringLiteral(":/pictures/tessaloc.svg"));
    QPainter painter(&pixmap);
    renderer.render(&painter);
    return pixmap;
}

QLabel* pictureLabel(QWidget* parent, int side)
{
    auto* image = new QLabel(parent);
    image->setObjectName(QStringLiteral("Image1"));
    image->setPixmap(programPicture(side));
    image->setFixedSize(side, side);
    return image;
}

QLabel* textLabel(QWidget* parent, const char* name, const QString& text)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setWordWrap(true);
    return label;
}

QFrame* separator(QWidget* parent)
{
    auto* line = new QFrame(parent);
    line->setObjectName(QStringLiteral("Line1"));
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

} // namespace

QString citationText()
{
    return QStringLiteral("The Tessaloc developers (2026). Tessaloc: relating genetic distances to geography. "
                          "Version 1.0, a desktop program for landscape genetics.");
}

frmAbout::frmAbout(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About Tessaloc"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* okButton = new QPushButton(QStringLiteral("OK"), this);
    okButton->setObjectName(QStringLiteral("cmdOK"));
    okButton->setDefault(true);
    connect(okButton, &QPushButton::clicked, this, &QDialog::accept);

    auto* text = new QVBoxLayout;
    auto* name = textLabel(this, "Title", QStringLiteral("<b>Tessaloc</b>"));
    QFont big = name->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    name->setFont(big);
    text->addWidget(name);
    text->addWidget(textLabel(this, "Label1", QString::fromLatin1(kVersionText)));
    text->addWidget(textLabel(this, "Label2",
                              QStringLiteral("Landscape genetics: tests and pictures of how the genetic distances "
                                             "between sampled individuals follow where they were sampled.")));
    text->addStretch();

    auto* top = new QHBoxLayout;
    top->addWidget(pictureLabel(this, 96), 0, Qt::AlignTop);
    top->addLayout(text, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(separator(this));
    layout->addWidget(textLabel(this, "lblDisclaimer", QStringLiteral("Please Cite as")));
    auto* citation = textLabel(this, "Label3", citationText());
    citation->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(citation);
    layout->addWidget(separator(this));
    layout->addWidget(okButton, 0, Qt::AlignRight);
    setFixedWidth(460);
}

frmSplash1::frmSplash1(QWidget* parent, int milliseconds)
    : QDialog(parent)
    , m_Timer1(new QTimer(this))
{
    setObjectName(QStringLiteral("frmSplash1"));
    setWindowFlags(Qt::SplashScreen | Qt::FramelessWindowHint);
    setWindowTitle(QStringLiteral("Tessaloc"));

    auto* frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("Frame1"));
    frame->setFrameShape(QFrame::Box);
    frame->setLineWidth(2);

    // The name twice, one label a little offset behind the other, for a shadowed title.
    auto* title = new QWidget(frame);
    QFont heavy(QStringLiteral("Futura XBlk BT"));
    heavy.setPointSize(30);
    heavy.setWeight(QFont::Black);
    auto* shadow = textLabel(title, "Label1", QStringLiteral("Tessaloc"));
    auto* name = textLabel(title, "Label2", QStringLiteral("Tessaloc"));
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
    text->addWidget(textLabel(frame, "lblVersion", QString::fromLatin1(kVersionText)));
    auto* citation = textLabel(frame, "lblCitation", citationText());
    text->addWidget(citation);
    text->addStretch();

    auto* inner = new QHBoxLayout(frame);
    inner->addWidget(pictureLabel(frame, 140), 0, Qt::AlignTop);
    inner->addLayout(text, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(frame);
    setFixedWidth(520);

    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);
    m_Timer1->setObjectName(QStringLiteral("Timer1"));
    m_Timer1->setSingleShot(true);
    m_Timer1->setInterval(milliseconds);
    connect(m_Timer1, &QTimer::timeout, this, &QDialog::accept);
    m_Timer1->start();
}

void frmSplash1::keyPressEvent(QKeyEvent* /*event*/)
{
    accept();
}

void frmSplash1::mousePressEvent(QMouseEvent* /*event*/)
{
    accept();
}

bool frmSplash1::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::KeyPress) {
        accept();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace tessaloc::ui
