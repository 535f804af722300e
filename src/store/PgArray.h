#pragma once

#include <QByteArray>
#include <QtGlobal>

namespace corvane
{

// A one-dimensional array in the server's text form ({"a","b",NULL}), bound
// as one parameter, so that a batch of rows goes to the server in one
// statement (unnest($1::text[], ...)).
class PgArray
{
public:
    void add(const QByteArray &text);
    void add(qint64 number);
    void addNull();
    int size() const { return m_size; }
    // The array's text; "{}" when empty.
    QByteArray text() const { return '{' + m_items + '}'; }

private:
    void separate();

    QByteArray m_items;
    int m_size = 0;
};

} // namespace corvane
