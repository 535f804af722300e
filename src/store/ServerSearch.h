#pragma once

#include "MessagePager.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace corvane
{

class PgConnection;

// The search of a server store: the messages whose text, registration,
// flight or label contains a piece of text, ASCII letters compared without
// regard to case, newest first; the same hits as the search of the SQLite
// files. The server's trigram indexes (pg_trgm) name the candidates, through
// ILIKE, which folds at least the letters the search folds; each candidate is
// then checked with ASCII folding alone, so the hits are exact in any locale.
// The candidates come from PgTableSql::kSearchedText, the expression the
// index is built on.
class ServerSearch
{
public:
    // The rowids of the hits, newest first, at most limit of them (0: all).
    static std::vector<qint64> find(PgConnection &db, const QString &text, qint64 limit);
    // The same within the view's filter (registration, flight or days).
    static std::vector<qint64> find(PgConnection &db, const MessageView &view, qint64 limit);
    // The messages of the row ids, in the grid's columns, in the ids' order.
    static std::vector<MessageRow> rows(PgConnection &db, const std::vector<qint64> &rowids);

    // The search's condition for a message view, with ? for its values, and
    // those values; both empty for an empty text.
    static QString condition(const QString &text);
    static QStringList parameters(const QString &text);

    // The ILIKE pattern that finds the text anywhere: its own %, _ and \ escaped.
    static QString pattern(const QString &text);
};

} // namespace corvane
