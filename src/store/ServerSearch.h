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
class ServerSearch
{
public:
    // The four searched columns as one text, apart by a control character
    // no search text holds, so a piece found in it lies within one column;
    // one trigram index over it names every candidate at once.
#define CORVANE_SEARCHED_TEXT                                                                      \
    "(coalesce(mText, '') || E'\\x1f' || coalesce(mReg::text, '') || E'\\x1f' || "                 \
    "coalesce(mFlight::text, '') || E'\\x1f' || coalesce(mLabel, ''))"
    static constexpr const char *kSearchedText = CORVANE_SEARCHED_TEXT;
    static constexpr const char *kCreateIndex =
        "CREATE INDEX IF NOT EXISTS idxSearch ON tMessage USING gin (" CORVANE_SEARCHED_TEXT
        " gin_trgm_ops)";
#undef CORVANE_SEARCHED_TEXT

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
