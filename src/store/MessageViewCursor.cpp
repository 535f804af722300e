#include "MessageViewCursor.h"

#include "Store.h"
#include "StoreStatement.h"

namespace corvane
{

MessageViewCursor::MessageViewCursor(Store &store, const MessageView &view,
                                     std::vector<int> columns)
{
    QString list;
    for (int c : columns) {
        if (!list.isEmpty())
            list += QStringLiteral(", ");
        list += QLatin1String(MessageView::columns().at(size_t(c)).field);
    }
    const QByteArray sql =
        (QStringLiteral("SELECT ") + list + QStringLiteral(" FROM tMessage") +
         view.whereClause(store.dialect()) + view.orderClause(false, store.dialect()))
            .toUtf8();
    m_rows = std::make_unique<StoreStatement>(store, Schema::File::AcarsLog, sql);
    const QStringList values = view.parameters(store.dialect());
    for (int i = 0; i < values.size(); ++i)
        m_rows->bind(i + 1, values[i]);
}

MessageViewCursor::~MessageViewCursor() = default;

bool MessageViewCursor::next()
{
    // The engine starts a finished statement over when stepped again.
    if (m_done)
        return false;
    m_done = !m_rows->step();
    return !m_done;
}

QString MessageViewCursor::field(int i) const
{
    return m_rows->isNull(i) ? QString() : m_rows->text(i);
}

} // namespace corvane
