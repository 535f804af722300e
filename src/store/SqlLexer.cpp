#include "SqlLexer.h"

namespace corvane
{

namespace
{

bool isNameStart(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || uchar(c) >= 0x80;
}

bool isNameChar(char c)
{
    return isNameStart(c) || (c >= '0' && c <= '9');
}

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

} // namespace

SqlLexer::SqlLexer(const QByteArray &sql) : m_sql(sql)
{
    const qsizetype n = sql.size();
    const auto at = [&](qsizetype i) { return i < n ? sql[i] : '\0'; };
    qsizetype i = 0;
    while (i < n) {
        const char c = sql[i];
        const qsizetype start = i;
        Kind kind = Kind::Other;
        if (isSpace(c)) {
            while (i < n && isSpace(sql[i]))
                ++i;
            kind = Kind::Space;
        } else if (c == '-' && at(i + 1) == '-') {
            while (i < n && sql[i] != '\n' && sql[i] != '\r')
                ++i;
            kind = Kind::Comment;
        } else if (c == '/' && at(i + 1) == '*') {
            i = scanBlockComment(i);
            kind = Kind::Comment;
        } else if (c == '\'') {
            i = scanQuoted(i, '\'', false);
            kind = Kind::Text;
        } else if (c == '"') {
            i = scanQuoted(i, '"', false);
            kind = Kind::QuotedName;
        } else if ((c == 'U' || c == 'u') && at(i + 1) == '&' &&
                   (at(i + 2) == '\'' || at(i + 2) == '"')) {
            const bool name = at(i + 2) == '"';
            i = scanQuoted(i + 2, at(i + 2), false);
            kind = name ? Kind::QuotedName : Kind::Text;
        } else if (isNameStart(c)) {
            // E'...' takes backslash escapes; B'', X'' and N'' are plain texts.
            const bool prefix = at(i + 1) == '\'' && QByteArray("EeBbXxNn").contains(c);
            if (prefix) {
                i = scanQuoted(i + 1, '\'', c == 'E' || c == 'e');
                kind = Kind::Text;
            } else {
                // A name may hold "$" after its first character.
                while (i < n && (isNameChar(sql[i]) || sql[i] == '$'))
                    ++i;
                kind = Kind::Word;
            }
        } else if (c == '$') {
            if (at(i + 1) >= '0' && at(i + 1) <= '9') {
                ++i;
                while (i < n && sql[i] >= '0' && sql[i] <= '9')
                    ++i;
            } else {
                const qsizetype end = scanDollarQuote(i);
                if (end > i) {
                    i = end;
                    kind = Kind::Text;
                } else if (isNameStart(at(i + 1))) {
                    ++i;
                    while (i < n && isNameChar(sql[i]))
                        ++i;
                    kind = Kind::Marker;
                } else {
                    ++i;
                }
            }
        } else if ((c == ':' || c == '@') && isNameStart(at(i + 1)) &&
                   !(i > 0 && (sql[i - 1] == ':' || isNameChar(sql[i - 1])))) {
            // "::" is the server's cast, not a marker.
            ++i;
            while (i < n && isNameChar(sql[i]))
                ++i;
            kind = Kind::Marker;
        } else if (c == ';') {
            ++i;
            kind = Kind::Semicolon;
        } else {
            ++i;
        }
        m_tokens.push_back({kind, start, i - start});
    }
}

// The end of a quoted text or name that opens at from: a doubled quote is
// one quote, and with backslash escapes a backslash takes the next
// character. Unclosed, it runs to the end, as the server would refuse it.
qsizetype SqlLexer::scanQuoted(qsizetype from, char quote, bool backslashEscapes) const
{
    const qsizetype n = m_sql.size();
    qsizetype i = from + 1;
    while (i < n) {
        const char c = m_sql[i];
        if (backslashEscapes && c == '\\') {
            i += 2;
            continue;
        }
        if (c == quote) {
            if (i + 1 < n && m_sql[i + 1] == quote) {
                i += 2;
                continue;
            }
            return i + 1;
        }
        ++i;
    }
    return n;
}

// $tag$ ... $tag$; from itself when no dollar quote opens there.
qsizetype SqlLexer::scanDollarQuote(qsizetype from) const
{
    const qsizetype n = m_sql.size();
    qsizetype i = from + 1;
    if (i < n && isNameStart(m_sql[i]))
        while (i < n && isNameChar(m_sql[i]))
            ++i;
    if (i >= n || m_sql[i] != '$')
        return from;
    const QByteArray delimiter = m_sql.mid(from, i + 1 - from);
    const qsizetype close = m_sql.indexOf(delimiter, i + 1);
    return close < 0 ? n : close + delimiter.size();
}

qsizetype SqlLexer::scanBlockComment(qsizetype from) const
{
    const qsizetype n = m_sql.size();
    int depth = 0;
    qsizetype i = from;
    while (i < n) {
        if (m_sql[i] == '/' && i + 1 < n && m_sql[i + 1] == '*') {
            ++depth;
            i += 2;
        } else if (m_sql[i] == '*' && i + 1 < n && m_sql[i + 1] == '/') {
            i += 2;
            if (--depth == 0)
                return i;
        } else {
            ++i;
        }
    }
    return n;
}

size_t SqlLexer::firstStatementEnd() const
{
    for (size_t i = 0; i < m_tokens.size(); ++i)
        if (m_tokens[i].kind == Kind::Semicolon)
            return i;
    return m_tokens.size();
}

bool SqlLexer::restIsEmpty(size_t from) const
{
    for (size_t i = from; i < m_tokens.size(); ++i) {
        const Kind k = m_tokens[i].kind;
        if (k != Kind::Space && k != Kind::Comment && k != Kind::Semicolon)
            return false;
    }
    return true;
}

QStringList SqlLexer::calledNames() const
{
    QStringList names;
    for (size_t i = 0; i < m_tokens.size(); ++i) {
        if (m_tokens[i].kind != Kind::Other || m_sql[m_tokens[i].start] != '(')
            continue;
        size_t before = i;
        while (before > 0 && (m_tokens[before - 1].kind == Kind::Space ||
                              m_tokens[before - 1].kind == Kind::Comment))
            --before;
        if (before == 0)
            continue;
        const Token &name = m_tokens[before - 1];
        const QByteArray written = text(name);
        QString found;
        if (name.kind == Kind::Word)
            found = QString::fromUtf8(written).toLower();
        else if (name.kind == Kind::QuotedName && written.startsWith('"'))
            found = QString::fromUtf8(written.mid(1, written.size() - 2).replace("\"\"", "\""));
        else if (name.kind == Kind::QuotedName)
            found = QStringLiteral("U&") + QString::fromUtf8(written.mid(2));
        else
            continue;
        if (!names.contains(found))
            names << found;
    }
    return names;
}

} // namespace corvane
