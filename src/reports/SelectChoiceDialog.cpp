#include "SelectChoiceDialog.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace corvane
{

SelectChoiceDialog::SelectChoiceDialog(Kind kind, QWidget *parent) : QDialog(parent)
{
    const bool flight = kind == Kind::Flight;
    setObjectName(flight ? QStringLiteral("frmSelectFlight")
                         : QStringLiteral("frmSelectRegistration"));
    setWindowTitle(flight ? QStringLiteral("Select Flight Number")
                          : QStringLiteral("Select Registration"));
    m_list = new QComboBox(this);
    m_list->setObjectName(flight ? QStringLiteral("tdbcFlight")
                                 : QStringLiteral("tdbcRegistration"));
    m_list->setEditable(true);
    m_list->setInsertPolicy(QComboBox::NoInsert);
    m_list->setMinimumContentsLength(16);

    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    auto *cancelButton = new QPushButton(QStringLiteral("&Cancel"), this);
    cancelButton->setObjectName(QStringLiteral("cmdCancel"));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancelButton, &QPushButton::clicked, this, &SelectChoiceDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancelButton);
    layout->addLayout(buttons);
}

void SelectChoiceDialog::setChoices(const QStringList &choices)
{
    const QString shown = m_list->currentText();
    m_list->clear();
    m_list->addItems(choices);
    m_list->setCurrentIndex(-1);
    m_list->setEditText(shown);
}

QString SelectChoiceDialog::choice() const
{
    return m_list->currentText().trimmed();
}

void SelectChoiceDialog::reject()
{
    m_list->setEditText(QString());
    QDialog::reject();
}

} // namespace corvane
