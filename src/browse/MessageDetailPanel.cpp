#include "MessageDetailPanel.h"

#include "AircraftDetailDialog.h"
#include "MessageBrowser.h"
#include "app/Dialogs.h"
#include "app/MainWindow.h"
#include "store/FeedDetails.h"
#include "store/MessageDetail.h"
#include "store/MessageTime.h"
#include "store/StoreError.h"

#include <QGridLayout>
#include <QLabel>
#include <QPlainTextEdit>

namespace corvane
{

MessageDetailPanel::MessageDetailPanel(MainWindow &window, Store &store, MessageBrowser &browser)
    : m_window(window), m_store(store), m_detail(std::make_unique<MessageDetail>(store))
{
    buildLabels();
    browser.onCurrentMessageChanged = [this](qint64 rowid) { showMessageDetail(rowid); };
    browser.onMessageDoubleClicked = [this](qint64 rowid) { openAircraftDetail(rowid); };
}

MessageDetailPanel::~MessageDetailPanel() = default;

void MessageDetailPanel::buildLabels()
{
    QWidget *holder = m_window.detailLabels();
    auto *grid = new QGridLayout;
    grid->setColumnStretch(1, 1);
    const struct {
        const char *name, *caption, *valueName;
        QLabel **value;
    } rows[] = {
        {"lblLabel", "Msg:", "lblLabelMsg", &m_labelMeaning},
        {"lblDetailType", "Type:", "lblDetailTypeLabel", &m_type},
        {"lblDetailCarrier", "Carrier:", "lblDetailCarrierLabel", &m_carrier},
        {"lblDetailRoute", "Route:", "lblDetailRouteDetail", &m_route},
        {"lblDetailFeed", "Heard by:", "lblDetailFeedDetail", &m_feed},
    };
    int at = 0;
    for (const auto &row : rows) {
        auto *caption = new QLabel(QString::fromLatin1(row.caption), holder);
        caption->setObjectName(QString::fromLatin1(row.name));
        auto *value = new QLabel(holder);
        value->setObjectName(QString::fromLatin1(row.valueName));
        value->setWordWrap(true);
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        grid->addWidget(caption, at, 0, Qt::AlignTop);
        grid->addWidget(value, at++, 1, Qt::AlignTop);
        *row.value = value;
    }
    static_cast<QBoxLayout *>(holder->layout())->addLayout(grid);
    static_cast<QBoxLayout *>(holder->layout())->addStretch(1);
}

QString MessageDetailPanel::describe(const FeedDetails &feed)
{
    // "dumpvdl2, station XX-YYYY, 136.975 MHz, -21.4 dB": what was given.
    QStringList parts{feed.decoder};
    if (!feed.station.isEmpty())
        parts << QStringLiteral("station %1").arg(feed.station);
    if (feed.frequencyMhz)
        parts << QStringLiteral("%1 MHz").arg(*feed.frequencyMhz, 0, 'f', 3);
    if (feed.signalLevel)
        parts << QStringLiteral("%1 dB").arg(*feed.signalLevel, 0, 'f', 1);
    return parts.join(QStringLiteral(", "));
}

void MessageDetailPanel::clear()
{
    m_window.messageText()->clear();
    for (QLabel *label : {m_labelMeaning, m_type, m_carrier, m_route, m_feed})
        label->clear();
}

void MessageDetailPanel::showMessageDetail(qint64 rowid)
{
    // Nothing of the previous row may stay: every field is written or emptied.
    clear();
    if (rowid <= 0)
        return;
    try {
        const auto d = m_detail->read(rowid);
        if (!d)
            return;
        m_window.strSelectedReg = d->registration;
        m_window.messageText()->setPlainText(d->text);
        m_labelMeaning->setText(d->labelMeaning);
        m_type->setText(d->type);
        m_carrier->setText(d->operatorName);
        m_route->setText(d->route);
        if (const auto feed = FeedDetails::forMessage(m_store, rowid))
            m_feed->setText(describe(*feed));
    } catch (const StoreError &e) {
        m_window.setPanelText(1, e.message());
    }
}

void MessageDetailPanel::openAircraftDetail(qint64 rowid)
{
    std::optional<MessageDetailRecord> d;
    try {
        d = m_detail->read(rowid);
    } catch (const StoreError &e) {
        Dialogs::critical(&m_window, e.message());
        return;
    }
    if (!d)
        return;
    m_window.strSelectedReg = d->registration;
    const auto time = MessageTime::fromStorage(d->time);
    const AircraftDetailDialog::RowFields row{time ? time->toGeneralDate() : d->time,
                                              d->mode,
                                              d->block,
                                              d->messageNo,
                                              d->flight,
                                              d->text};
    AircraftDetailDialog::open(&m_window, m_store, AircraftDetailDialog::Source::Message,
                               d->registration, row, beforeDialog);
}

} // namespace corvane
