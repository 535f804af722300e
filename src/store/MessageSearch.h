#pragma once

#include "MessagePager.h"
#include "MessageView.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace corvane
{

class Store;

// A search for a piece of text: a hit is a message whose text, registration,
// flight or label contains it, ASCII letters compared without regard to case.
// The text is taken as it stands: no character has a meaning of its own, and
// it may span a line break.
//
// From three characters on, the trigram index names the candidates and each
// is checked against the message itself, so the hits are exactly those a scan
// finds; a shorter text is found by that check alone.
class MessageSearch
{
public:
    static constexpr int kIndexedLength = 3;

    explicit MessageSearch(const QString &text) : m_text(text) {}

    const QString &text() const { return m_text; }
    bool isEmpty() const { return m_text.isEmpty(); }
    bool usesIndex() const;
    // The text with its ASCII letters folded, as every store compares it.
    QString folded() const;

    // A condition on tMessage and its parameters, in order.
    QString condition() const;
    QStringList parameters() const;

    // The rows of a view (its filter and search term), newest first, at
    // most limit of them (0: all).
    static std::vector<MessageRow> find(Store &store, const MessageView &view, qint64 limit);

private:
    static bool walksTimeOrder(Store &store, const MessageView &view, qint64 limit);
    qint64 candidates(Store &store) const;
    QString matchExpression() const;

    QString m_text;
};

} // namespace corvane
