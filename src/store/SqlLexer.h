#pragma once

#include <QByteArray>
#include <QStringList>
#include <vector>

namespace corvane
{

// SQL text cut into tokens as a PostgreSQL server reads it (with
// standard_conforming_strings on): its quoted texts and names, escape and
// dollar-quoted strings, nested comments. The steps that rewrite a report's
// query for the server and check it before it runs see the text as the
// server will, so nothing hides from them in a comment or a string.
class SqlLexer
{
public:
    enum class Kind {
        Space,
        Comment,
        Text,       // a string constant of any form
        QuotedName, // "name"; U&"name" too
        Word,       // a keyword or a plain name
        Marker,     // :name, @name or $name, a report's named parameter
        Semicolon,
        Other // numbers, $1, operators and punctuation, one character at a time
    };
    struct Token {
        Kind kind;
        qsizetype start;
        qsizetype length;
    };

    explicit SqlLexer(const QByteArray &sql);

    const QByteArray &sql() const { return m_sql; }
    const std::vector<Token> &tokens() const { return m_tokens; }
    QByteArray text(const Token &token) const { return m_sql.mid(token.start, token.length); }

    // Where the first statement ends: the index of the first top-level ";",
    // or the number of tokens. The rest is empty when it holds only spaces,
    // comments and semicolons.
    size_t firstStatementEnd() const;
    bool restIsEmpty(size_t from) const;
    // The names written as called, name(...): plain names folded to lower
    // case, quoted ones as they stand. Names written U&"..." cannot be
    // checked, and are given as "U&" followed by their text.
    QStringList calledNames() const;

private:
    qsizetype scanQuoted(qsizetype from, char quote, bool backslashEscapes) const;
    qsizetype scanDollarQuote(qsizetype from) const;
    qsizetype scanBlockComment(qsizetype from) const;

    QByteArray m_sql;
    std::vector<Token> m_tokens;
};

} // namespace corvane
