#include "ServerReportQuery.h"

#include "ServerUrl.h"
#include "StoreError.h"
#include "StoreStatement.h"

namespace corvane
{

namespace
{

bool isWordStart(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || uchar(c) >= 0x80;
}

bool isWordChar(char c)
{
    return isWordStart(c) || (c >= '0' && c <= '9');
}

} // namespace

ServerReportQuery::ServerReportQuery(const QString &serverUrl, const QStringList &attach)
    : m_attach(attach)
{
    m_db.open(ServerUrl::parse(serverUrl));
    m_db.exec("SET SESSION CHARACTERISTICS AS TRANSACTION READ ONLY");
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
    const QByteArray in = sql.toUtf8();
    QByteArray out;
    out.reserve(in.size() + 16);
    char quote = 0;
    for (qsizetype i = 0; i < in.size(); ++i) {
        const char c = in[i];
        if (StoreStatement::copiesQuoted(c, quote, out))
            continue;
        const bool wordBefore = i > 0 && isWordChar(in[i - 1]);
        // A named parameter; "::" is the server's cast.
        const bool marker = (c == ':' || c == '@' || c == '$') && i + 1 < in.size() &&
                            isWordStart(in[i + 1]) && !(i > 0 && in[i - 1] == ':') && !wordBefore;
        if (marker) {
            qsizetype end = i + 1;
            while (end < in.size() && isWordChar(in[end]))
                ++end;
            const QString name = QString::fromUtf8(in.mid(i + 1, end - i - 1));
            qsizetype number = names->indexOf(name);
            if (number < 0) {
                names->append(name);
                number = names->size() - 1;
            }
            out += '$' + QByteArray::number(number + 1);
            i = end - 1;
            continue;
        }
        // "routes." before a table of an attached file.
        if (isWordStart(c) && !wordBefore) {
            qsizetype end = i;
            while (end < in.size() && isWordChar(in[end]))
                ++end;
            const QString word = QString::fromUtf8(in.mid(i, end - i));
            if (end < in.size() && in[end] == '.' && attach.contains(word, Qt::CaseInsensitive)) {
                i = end;
                continue;
            }
            out += in.mid(i, end - i);
            i = end - 1;
            continue;
        }
        out += c;
    }
    return out;
}

void ServerReportQuery::prepare(const QString &sql)
{
    restart();
    m_names.clear();
    m_sql = serverSql(sql, m_attach, &m_names);
    if (m_sql.trimmed().isEmpty())
        throw StoreError(QStringLiteral("The query is empty"));
    m_values.assign(size_t(m_names.size()), QByteArray(""));
    m_columns.clear();
    for (const QByteArray &name : m_db.columnsOf(m_sql, int(m_names.size())))
        m_columns << QString::fromUtf8(name);
    if (m_columns.isEmpty())
        throw StoreError(QStringLiteral("The query must only read (a SELECT)"));
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
        m_db.startRows(m_sql, m_values);
    }
    return m_db.nextRow(m_row);
}

QString ServerReportQuery::text(int column) const
{
    return QString::fromUtf8(m_row.value(0, column));
}

void ServerReportQuery::restart()
{
    if (!m_running)
        return;
    m_running = false;
    m_db.stopRows();
    m_db.exec("ROLLBACK");
}

void ServerReportQuery::interrupt()
{
    m_db.cancelRunning();
}

} // namespace corvane
