#include "AircraftListLoad.h"

#include "AircraftTable.h"
#include "LoadTransactions.h"
#include "NamedCommands.h"
#include "PgArray.h"
#include "PgConnection.h"
#include "ReferenceFileLines.h"
#include "Store.h"
#include "StoreStatement.h"

#include <vector>

namespace corvane
{

AircraftListLoad::Line AircraftListLoad::parse(const QString &text)
{
    Line line;
    QStringList &f = line.fields;
    const qsizetype n = text.size();
    qsizetype i = 0;
    // Fields past the fourth are not read at all.
    while (f.size() < 4) {
        qsizetype quote = i;
        while (quote < n && text[quote] == u' ')
            ++quote;
        if (quote < n && text[quote] == u'"') {
            QString value = QStringLiteral("");
            qsizetype j = quote + 1;
            bool closed = false;
            while (j < n && !closed) {
                if (text[j] != u'"') {
                    value += text[j++];
                } else if (j + 1 < n && text[j + 1] == u'"') {
                    value += u'"';
                    j += 2;
                } else {
                    closed = true;
                    ++j;
                }
            }
            while (j < n && text[j] == u' ')
                ++j;
            if (!closed || (j < n && text[j] != u',')) {
                line.refusal = QStringLiteral("a quoted field is not closed before the next comma");
                return line;
            }
            f << value;
            i = j;
        } else {
            qsizetype j = text.indexOf(u',', i);
            if (j < 0)
                j = n;
            f << text.mid(i, j - i);
            i = j;
        }
        if (i >= n)
            break;
        ++i; // the comma
    }
    f.resize(4);
    if (f[0].trimmed().isEmpty())
        line.refusal = QStringLiteral("the registration is empty");
    return line;
}

bool AircraftListLoad::isHeader(const Line &line)
{
    const QString first = line.fields.value(0).trimmed();
    return first.compare(QLatin1String("registration"), Qt::CaseInsensitive) == 0 ||
           first.compare(QLatin1String("reg"), Qt::CaseInsensitive) == 0;
}

void AircraftListLoad::refuse(Result &result, qint64 line, const QString &reason)
{
    if (result.refused++ < kRefusalsKept)
        result.refusals.push_back({line, reason});
}

namespace
{

// A batch of lines in one statement: each registration's last line gives
// its values and its first line its place, the first row of a registration
// already there is overwritten and the others are added, as line after line
// would; the count of rows added comes back.
const char *const kServerBatch =
    "WITH input AS (SELECT r, c, t, s, n FROM unnest($1::text[], $2::text[], $3::text[], "
    "$4::text[]) WITH ORDINALITY AS u(r, c, t, s, n)), "
    "latest AS (SELECT DISTINCT ON (r::citext) r, c, t, s, "
    "min(n) OVER (PARTITION BY r::citext) AS first FROM input ORDER BY r::citext, n DESC), "
    "target AS (SELECT DISTINCT ON (REGISTRATI) rowid, REGISTRATI FROM AIRCRAFT "
    "WHERE REGISTRATI = ANY($1::citext[]) ORDER BY REGISTRATI, rowid), "
    "changed AS (UPDATE AIRCRAFT a SET REGISTRATI = l.r, CARRIER = l.c, TYPE = l.t, CN = l.s "
    "FROM latest l JOIN target g ON g.REGISTRATI = l.r::citext WHERE a.rowid = g.rowid), "
    "added AS (INSERT INTO AIRCRAFT (REGISTRATI, CARRIER, TYPE, CN) "
    "SELECT r, c, t, s FROM latest l "
    "WHERE NOT EXISTS (SELECT 1 FROM target g WHERE g.REGISTRATI = l.r::citext) "
    "ORDER BY first RETURNING 1) "
    "SELECT count(*) FROM added";

} // namespace

AircraftListLoad::Result AircraftListLoad::load(const QString &path)
{
    ReferenceFileLines lines(path);
    const auto file = Schema::File::AcarsLog;
    Result result;
    LoadTransactions tx(m_store, file, m_cancel);
    if (m_replace)
        AircraftTable(m_store).removeAll();
    std::vector<QStringList> batch;
    QString line;
    while (lines.next(line)) {
        const qint64 number = lines.lineNumber();
        if (m_progress && number % kProgressLines == 1)
            m_progress(number);
        if (line.trimmed().isEmpty())
            continue;
        Line parsed = parse(line);
        if (number == 1 && parsed.refusal.isEmpty() && isHeader(parsed))
            continue;
        if (!parsed.refusal.isEmpty()) {
            refuse(result, number, parsed.refusal);
            continue;
        }
        batch.push_back(std::move(parsed.fields));
        ++result.lines;
        if (batch.size() == size_t(kBatchLines)) {
            write(batch, result);
            if (!tx.next()) {
                result.cancelled = true;
                return result;
            }
        }
    }
    write(batch, result);
    StoreStatement(m_store, file, NamedCommands::find(QStringLiteral("UpdateHeard"))->sql).run();
    tx.commit();
    return result;
}

void AircraftListLoad::write(std::vector<QStringList> &batch, Result &result)
{
    if (batch.empty())
        return;
    if (m_store.onServer())
        writeOnServer(batch, result);
    else
        writeLineByLine(batch, result);
    batch.clear();
}

void AircraftListLoad::writeLineByLine(const std::vector<QStringList> &batch, Result &result)
{
    const auto file = Schema::File::AcarsLog;
    // The first row of a registration, as a lookup by registration finds it.
    StoreStatement update(m_store, file,
                          "UPDATE AIRCRAFT SET REGISTRATI = ?1, CARRIER = ?2, TYPE = ?3, "
                          "CN = ?4 WHERE rowid = (SELECT rowid FROM AIRCRAFT "
                          "WHERE REGISTRATI = ?1 ORDER BY rowid LIMIT 1)");
    StoreStatement insert(m_store, file,
                          "INSERT INTO AIRCRAFT (REGISTRATI, CARRIER, TYPE, CN) "
                          "VALUES (?, ?, ?, ?)");
    for (const QStringList &f : batch) {
        for (int i = 0; i < 4; ++i) {
            update.bind(i + 1, f[i]);
            insert.bind(i + 1, f[i]);
        }
        update.run();
        if (update.changes() > 0) {
            ++result.updated;
            insert.reset();
        } else {
            insert.run();
            ++result.added;
        }
    }
}

// A round trip a line would take a minute for a list of 100,000.
void AircraftListLoad::writeOnServer(const std::vector<QStringList> &batch, Result &result)
{
    PgArray columns[4];
    for (const QStringList &f : batch)
        for (int i = 0; i < 4; ++i)
            f[i].isNull() ? columns[i].addNull() : columns[i].add(f[i].toUtf8());
    const qint64 added = m_store.server()
                             .query(kServerBatch, {columns[0].text(), columns[1].text(),
                                                   columns[2].text(), columns[3].text()})
                             .int64(0, 0);
    result.added += added;
    result.updated += qint64(batch.size()) - added;
}

} // namespace corvane
