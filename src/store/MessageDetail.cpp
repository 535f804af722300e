#include "MessageDetail.h"

#include "Store.h"
#include "StoreStatement.h"

namespace corvane
{

MessageDetail::MessageDetail(Store &store) : m_store(store), m_reference(store), m_aircraft(store)
{
}

MessageDetail::~MessageDetail() = default;

QString MessageDetail::labelMeaning(const QString &label)
{
    if (label.startsWith(QLatin1Char('_')))
        return QString::fromLatin1(kNoInformation);
    return m_reference.labelMeaning(label);
}

std::optional<MessageDetailRecord> MessageDetail::read(qint64 rowid)
{
    if (!m_message)
        m_message = std::make_unique<StoreStatement>(
            m_store, Schema::File::AcarsLog,
            "SELECT mTime, mMode, mReg, mLabel, mBlk, mNo, mFlight, mText "
            "FROM tMessage WHERE rowid = ?");
    StoreStatement &st = *m_message;
    st.bind(1, rowid);
    if (!st.step()) {
        st.reset();
        return std::nullopt;
    }
    MessageDetailRecord d;
    d.rowid = rowid;
    d.time = st.text(0);
    d.mode = st.text(1);
    d.registration = st.text(2);
    d.label = st.text(3);
    d.block = st.text(4);
    d.messageNo = st.text(5);
    d.flight = st.text(6);
    d.text = st.text(7);
    st.reset();

    d.route = m_reference.route(d.flight);
    // The label means the same whether or not the aircraft is known.
    d.labelMeaning = labelMeaning(d.label);
    if (const auto aircraft = m_aircraft.aircraft(d.registration)) {
        d.aircraftKnown = true;
        d.type = aircraft->type;
        d.operatorName = m_aircraft.operatorName(aircraft->carrierCode);
    }
    return d;
}

} // namespace corvane
