#include "SelectDateDialog.h"

#include "app/Dialogs.h"

#include <QCalendarWidget>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace corvane
{

SelectDateDialog::SelectDateDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmSelectDate"));
    setWindowTitle(QStringLiteral("Select Date"));
    m_from = new QCalendarWidget(this);
    m_from->setObjectName(QStringLiteral("mthFrom"));
    m_to = new QCalendarWidget(this);
    m_to->setObjectName(QStringLiteral("mthTo"));
    auto *toLabel = new QLabel(QStringLiteral("To:"), this);
    toLabel->setObjectName(QStringLiteral("lblTo"));

    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    // Closing the window any way but OK prints nothing.
    auto *cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cancel->setObjectName(QStringLiteral("cmdCancel"));
    connect(ok, &QPushButton::clicked, this, &SelectDateDialog::confirm);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_from, &QCalendarWidget::clicked, this, [this, ok](QDate day) {
        m_reportFrom = day;
        ok->setFocus();
    });
    connect(m_to, &QCalendarWidget::clicked, this, [this, ok](QDate day) {
        m_reportTo = day;
        ok->setFocus();
    });
    // Keyboard moves on a calendar choose its day too.
    connect(m_from, &QCalendarWidget::selectionChanged, this,
            [this] { m_reportFrom = m_from->selectedDate(); });
    connect(m_to, &QCalendarWidget::selectionChanged, this,
            [this] { m_reportTo = m_to->selectedDate(); });

    auto *grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("From:"), this), 0, 0);
    grid->addWidget(toLabel, 0, 1);
    grid->addWidget(m_from, 1, 0);
    grid->addWidget(m_to, 1, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    grid->addLayout(buttons, 2, 0, 1, 2);
    startFromToday();
}

void SelectDateDialog::startFromToday()
{
    const QDate today = QDate::currentDate();
    m_from->setSelectedDate(today);
    m_to->setSelectedDate(today);
    m_reportFrom = today;
    m_reportTo = today;
}

void SelectDateDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (QWidget *ok = findChild<QWidget *>(QStringLiteral("cmdOK")))
        ok->setFocus();
}

void SelectDateDialog::confirm()
{
    if (m_reportTo < m_reportFrom) {
        Dialogs::critical(this, QStringLiteral("Date To must be later than Date From"));
        return;
    }
    accept();
}

} // namespace corvane
