#include "ui/shell/AboutDialog.h"

#include "ui/widgets/WindowParts.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSvgRenderer>
#include <QVBoxLayout>

namespace tessaloc::ui {

namespace {

QFrame* separator(QWidget* parent)
{
    auto* line = named(new QFrame(parent), "Line1");
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

QLabel* programPictureLabel(QWidget* parent, int side)
{
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QSvgRenderer renderer(QStringLiteral(":/pictures/tessaloc.svg"));
    QPainter painter(&pixmap);
    renderer.render(&painter);
    painter.end();
    auto* image = named(new QLabel(parent), "Image1");
    image->setPixmap(pixmap);
    image->setFixedSize(side, side);
    return image;
}

QLabel* wrappedLabel(QWidget* parent, const char* name, const QString& text)
{
    auto* label = named(new QLabel(text, parent), name);
    label->setWordWrap(true);
    return label;
}

AboutDialog::AboutDialog(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About Tessaloc"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* okButton = named(new QPushButton(QStringLiteral("OK"), this), "cmdOK");
    okButton->setDefault(true);
    connect(okButton, &QPushButton::clicked, this, &QDialog::accept);

    auto* text = new QVBoxLayout;
    auto* name = wrappedLabel(this, "Title", QStringLiteral("<b>Tessaloc</b>"));
    QFont big = name->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    name->setFont(big);
    text->addWidget(name);
    text->addWidget(wrappedLabel(this, "Label1", QString::fromLatin1(kVersionText)));
    text->addWidget(wrappedLabel(this, "Label2",
                                 QStringLiteral("Landscape genetics: tests and pictures of how the genetic distances "
                                                "between sampled individuals follow where they were sampled.")));
    text->addStretch();

    auto* top = new QHBoxLayout;
    top->addWidget(programPictureLabel(this, 96), 0, Qt::AlignTop);
    top->addLayout(text, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(separator(this));
    layout->addWidget(wrappedLabel(this, "lblDisclaimer", QStringLiteral("Please Cite as")));
    auto* citation = wrappedLabel(this, "Label3", citationText());
    citation->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(citation);
    layout->addWidget(separator(this));
    layout->addWidget(okButton, 0, Qt::AlignRight);
    setFixedWidth(460);
}

} // namespace tessaloc::ui
