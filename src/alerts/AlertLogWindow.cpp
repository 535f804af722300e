#include "AlertLogWindow.h"

#include "app/Dialogs.h"
#include "store/MessageTime.h"
#include "store/StoreError.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace corvane
{

AlertLogWindow::AlertLogWindow(Store &store, QWidget *parent) : QDialog(parent), m_store(store)
{
    setObjectName(QStringLiteral("frmShowAlert"));
    setWindowTitle(QStringLiteral("ACARS Corvane - Alerts"));
    setModal(false);
    resize(760, 420);

    m_list = new QTableWidget(0, 3, this);
    m_list->setObjectName(QStringLiteral("tdblAlerts"));
    m_list->setHorizontalHeaderLabels(
        {QStringLiteral("DateTime"), QStringLiteral("Alert"), QStringLiteral("Message")});
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setWordWrap(false);
    m_list->horizontalHeader()->setStretchLastSection(true);
    m_list->verticalHeader()->hide();

    auto *modify = new QPushButton(QStringLiteral("Modify Alerts"), this);
    modify->setObjectName(QStringLiteral("cmdModify"));
    auto *clear = new QPushButton(QStringLiteral("Clear List"), this);
    clear->setObjectName(QStringLiteral("cmdClear"));
    auto *close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("cmdOK"));
    for (QPushButton *b : {modify, clear, close})
        b->setAutoDefault(false);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(modify);
    buttons->addWidget(clear);
    buttons->addStretch(1);
    buttons->addWidget(close);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_list, 1);
    layout->addLayout(buttons);

    connect(modify, &QPushButton::clicked, this, &AlertLogWindow::modifyRequested);
    connect(clear, &QPushButton::clicked, this, &AlertLogWindow::clearLog);
    connect(close, &QPushButton::clicked, this, &AlertLogWindow::closeRequested);
}

void AlertLogWindow::addRow(const AlertRow &row)
{
    const int r = m_list->rowCount();
    m_list->insertRow(r);
    const auto time = MessageTime::fromStorage(row.dateTime);
    auto *when = new QTableWidgetItem(time ? time->toGeneralDate() : row.dateTime);
    // One line a row: the text's lines joined, the whole text as a tip.
    QString shown = row.message;
    shown.replace(QLatin1String("\r\n"), QLatin1String(" ")).replace(u'\n', u' ');
    auto *message = new QTableWidgetItem(shown.trimmed());
    message->setToolTip(row.message);
    message->setData(Qt::UserRole, row.message);
    m_list->setItem(r, 0, when);
    m_list->setItem(r, 1, new QTableWidgetItem(row.alert));
    m_list->setItem(r, 2, message);
}

void AlertLogWindow::reload()
{
    m_list->setRowCount(0);
    try {
        append(AlertLog(m_store).all());
    } catch (const StoreError &e) {
        Dialogs::critical(this, e.message());
    }
}

void AlertLogWindow::append(const QList<AlertRow> &rows)
{
    m_list->setUpdatesEnabled(false);
    for (const AlertRow &row : rows)
        addRow(row);
    m_list->setUpdatesEnabled(true);
    if (!rows.isEmpty())
        m_list->scrollToBottom();
}

void AlertLogWindow::clearLog()
{
    try {
        AlertLog(m_store).clear();
    } catch (const StoreError &e) {
        Dialogs::critical(this, e.message());
    }
    reload();
}

} // namespace corvane
