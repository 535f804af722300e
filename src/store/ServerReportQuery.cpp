#include "ServerReportQuery.h"

#include "PgArray.h"
#include "ServerUrl.h"
#include "SqlLexer.h"
#include "StoreError.h"

namespace corvane
{

namespace
{

constexpr int kFetchRows = 500;

// Volatile, but they change nothing.
const char *const kHarmlessVolatile[] = {"random", "clock_timestamp", "timeofday",
                                         "gen_random_uuid"};

} // namespace

ServerReportQuery::ServerReportQuery(const QString &serverUrl, const QStringList &attach,
                                     int statementTimeoutSeconds)
    : m_attach(attach)
{
    m_db.open(ServerUrl::parse(serverUrl));
    // The query's text is read as the lexer reads it; a cursor's plan is
    // made for reading every row, as a report does.
    m_db.exec("SET SESSION CHARACTERISTICS AS TRANSACTION READ ONLY");
    m_db.exec("SET standard_conforming_strings = on");
    m_db.exec("SET cursor_tuple_fraction = 1");
    m_db.query("SELECT set_config('statement_timeout', $1, false)",
               {QByteArray::number(qint64(statementTimeoutSeconds) * 1000)});
}

ServerReportQuery::~ServerReportQuery()
{
    try {
        restart();
    } catch (const StoreError &) {
        // The connection closes with whatever it had open.
    }
}

QByteArray ServerReportQuery::serverSql(const QString &sql, const QStringList &attach,
                                        QStringList *names)
{
    const SqlLexer lexer(sql.toUtf8());
    const auto &tokens = lexer.tokens();
    const size_t end = lexer.firstStatementEnd();
    if (!lexer.restIsEmpty(end))
        throw StoreError(
            QStringLiteral("The query must be one statement; more follows \"%1\"")
                .arg(QString::fromUtf8(lexer.sql().mid(tokens[end].start + 1)).trimmed().left(40)));
    QByteArray out;
    out.reserve(lexer.sql().size() + 16);
    for (size_t i = 0; i < end; ++i) {
        const SqlLexer::Token &t = tokens[i];
        const QByteArray text = lexer.text(t);
        if (t.kind == SqlLexer::Kind::Marker) {
            const QString name = QString::fromUtf8(text.mid(1));
            qsizetype number = names->indexOf(name);
            if (number < 0) {
                names->append(name);
                number = names->size() - 1;
            }
            out += '$' + QByteArray::number(number + 1);
            continue;
        }
        // "routes." before a table of an attached file.
        const bool qualifier = t.kind == SqlLexer::Kind::Word && i + 1 < end &&
                               lexer.text(tokens[i + 1]) == "." &&
                               !(i > 0 && lexer.text(tokens[i - 1]) == ".") &&
                               attach.contains(QString::fromUtf8(text), Qt::CaseInsensitive);
        if (qualifier) {
            ++i;
            continue;
        }
        out += text;
    }
    return out;
}

void ServerReportQuery::refuseVolatileCalls(const QByteArray &sql)
{
    const QStringList called = SqlLexer(sql).calledNames();
    PgArray names;
    for (const QString &name : called) {
        if (name.startsWith(QLatin1String("U&")))
            throw StoreError(QStringLiteral("The query calls a function named %1\"; write its "
                                            "name plainly")
                                 .arg(name.left(40)));
        names.add(name.toUtf8());
    }
    if (called.isEmpty())
        return;
    PgArray harmless;
    for (const char *name : kHarmlessVolatile)
        harmless.add(QByteArray(name));
    const PgResult refused =
        m_db.query("SELECT DISTINCT proname FROM pg_proc WHERE proname = ANY($1::text[]) "
                   "AND provolatile = 'v' AND NOT proname = ANY($2::text[]) ORDER BY 1",
                   {names.text(), harmless.text()});
    if (refused.rows() == 0)
        return;
    QStringList list;
    for (int i = 0; i < refused.rows(); ++i)
        list << QString::fromUtf8(refused.value(i, 0)) + QStringLiteral("()");
    throw StoreError(QStringLiteral("The query calls %1, which may change things on the server "
                                    "(the server marks it VOLATILE); a report may only read")
                         .arg(list.join(QStringLiteral(", "))));
}

void ServerReportQuery::prepare(const QString &sql)
{
    restart();
    m_names.clear();
    m_sql = serverSql(sql, m_attach, &m_names);
    if (SqlLexer(m_sql).restIsEmpty(0))
        throw StoreError(QStringLiteral("The query is empty"));
    m_values.assign(size_t(m_names.size()), QByteArray(""));
    m_columns.clear();
    for (const QByteArray &name : m_db.columnsOf(m_sql, int(m_names.size())))
        m_columns << QString::fromUtf8(name);
    if (m_columns.isEmpty())
        throw StoreError(QStringLiteral("The query must only read (a SELECT)"));
    refuseVolatileCalls(m_sql);
}

void ServerReportQuery::bind(const QString &name, const QString &value)
{
    restart();
    const qsizetype index = m_names.indexOf(name);
    if (index >= 0)
        m_values[size_t(index)] = value.toUtf8().isNull() ? QByteArray("") : value.toUtf8();
}

bool ServerReportQuery::next()
{
    if (!m_running) {
        m_db.exec("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY");
        m_running = true;
        m_db.query("DECLARE corvane_report NO SCROLL CURSOR FOR " + m_sql, m_values);
        m_rows = PgResult();
        m_row = 0;
        m_lastFetch = false;
    }
    if (++m_row < m_rows.rows())
        return true;
    if (m_lastFetch)
        return false;
    m_rows = m_db.query("FETCH " + QByteArray::number(kFetchRows) + " FROM corvane_report");
    m_row = 0;
    m_lastFetch = m_rows.rows() < kFetchRows;
    return m_rows.rows() > 0;
}

QString ServerReportQuery::text(int column) const
{
    return QString::fromUtf8(m_rows.value(m_row, column));
}

void ServerReportQuery::restart()
{
    if (!m_running)
        return;
    m_running = false;
    m_rows = PgResult();
    m_db.exec("ROLLBACK");
}

void ServerReportQuery::interrupt()
{
    m_db.cancelRunning();
    m_db.abandonAfter(PgConnection::kCancelGraceMillis);
}

} // namespace corvane
