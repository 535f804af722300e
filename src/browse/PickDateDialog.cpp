#include "PickDateDialog.h"

#include "app/Dialogs.h"

#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace corvane
{

PickDateDialog::PickDateDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmPickDate"));
    setWindowTitle(QStringLiteral("ACARS  Corvane Date Picker"));

    const QDate today = QDate::currentDate();
    const auto makePicker = [this, today](const char *name) {
        auto *picker = new QDateEdit(today, this);
        picker->setObjectName(QString::fromLatin1(name));
        picker->setCalendarPopup(true);
        picker->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
        return picker;
    };
    m_from = makePicker("dtpFrom");
    m_to = makePicker("dtpTo");
    auto *fromLabel = new QLabel(QStringLiteral("From"), this);
    auto *toLabel = new QLabel(QStringLiteral("To"), this);
    toLabel->setObjectName(QStringLiteral("lblTo"));

    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cancel->setObjectName(QStringLiteral("cmdCancel"));
    connect(ok, &QPushButton::clicked, this, &PickDateDialog::confirm);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *grid = new QGridLayout(this);
    grid->addWidget(fromLabel, 0, 0);
    grid->addWidget(m_from, 0, 1);
    grid->addWidget(toLabel, 1, 0);
    grid->addWidget(m_to, 1, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    grid->addLayout(buttons, 2, 0, 1, 2);
}

QDate PickDateDialog::from() const
{
    return m_from->date();
}

QDate PickDateDialog::to() const
{
    return m_to->date();
}

void PickDateDialog::confirm()
{
    if (to() < from()) {
        Dialogs::information(this, QStringLiteral("Date To must be later than Date From"));
        m_from->setFocus();
        return;
    }
    accept();
}

} // namespace corvane
