#include "ui/widgets/ZoomDialog.h"

#include "ui/widgets/NumericText.h"
#include "ui/widgets/WindowParts.h"

#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tessaloc::ui {

ZoomDialog::ZoomDialog(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("ZoomForm"));
    setWindowTitle(QStringLiteral("Specify Zoom Value"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    m_zoomEdit = numberBox(this, "Text1", QStringLiteral("100"));
    auto* okButton = named(new QPushButton(QStringLiteral("OK"), this), "Command1");
    okButton->setDefault(true);
    connect(okButton, &QPushButton::clicked, this, [this] {
        m_zoom = floor32(numericValue(m_zoomEdit->text()));
        accept();
    });
    auto* layout = fixedSizeLayout(this);
    layout->addLayout(labelled(this, "Label1", QStringLiteral("Zoom Value"), m_zoomEdit));
    layout->addWidget(okButton, 0, Qt::AlignRight);
}

} // namespace tessaloc::ui
