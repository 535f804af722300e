#pragma once

#include <QByteArray>
#include <QString>

namespace corvane
{

// The one case folding of the store: ASCII letters only, as SQLite's NOCASE,
// upper() and lower() compare, whatever the locale. Registrations, flights
// and operator codes are compared this way everywhere; other letters keep
// their case.
class AsciiCase
{
public:
    static char upper(char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; }
    // Appends size bytes from text, upper-cased, to out; inline so that a key
    // built for each row of a large table costs no call.
    static void appendUpper(QByteArray &out, const char *text, qsizetype size)
    {
        const qsizetype at = out.size();
        out.resize(at + size);
        char *to = out.data() + at;
        for (qsizetype i = 0; i < size; ++i)
            to[i] = upper(text[i]);
    }
    static QByteArray upper(QByteArray text);
    static QString lower(QString text);

    AsciiCase() = delete;
};

} // namespace corvane
