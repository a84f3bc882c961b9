#include "ui/shell/OptionsDialog.h"

#include "ui/shell/HelpWindow.h"
#include "ui/shell/ProgramState.h"

#include <QBoxLayout>
#include <QPushButton>

namespace tessaloc::ui {

OptionsDialog::OptionsDialog(ProgramState& state, QString helpKeyword, QWidget* parent)
    : QDialog(parent)
    , m_state(state)
    , m_helpKeyword(std::move(helpKeyword))
{
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
}

void OptionsDialog::showHelp()
{
    ShowHelpTopic(this, m_state, m_helpKeyword);
}

void OptionsDialog::addButtons(const QString& okName, const QString& helpName)
{
    auto* okButton = new QPushButton(QStringLiteral("OK"), this);
    okButton->setObjectName(okName);
    okButton->setDefault(true);
    auto* helpButton = new QPushButton(QStringLiteral("Help"), this);
    helpButton->setObjectName(helpName);
    helpButton->setAutoDefault(false);
    connect(okButton, &QPushButton::clicked, this, [this] { ok(); });
    connect(helpButton, &QPushButton::clicked, this, &OptionsDialog::showHelp);
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(okButton);
    row->addWidget(helpButton);
    static_cast<QBoxLayout*>(layout())->addLayout(row);
}

} // namespace tessaloc::ui
