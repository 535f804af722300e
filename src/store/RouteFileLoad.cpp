#include "RouteFileLoad.h"

#include "LoadTransactions.h"
#include "PgArray.h"
#include "PgConnection.h"
#include "ReferenceFileLines.h"
#include "RouteTable.h"
#include "Store.h"
#include "StoreStatement.h"

#include <vector>

namespace corvane
{

RouteFileLoad::Line RouteFileLoad::parse(const QString &line)
{
    Line l;
    if (line.startsWith(u'!')) {
        l.kind = Line::Comment;
        return l;
    }
    if (line.size() < kMinimumLength) {
        l.kind = Line::Short;
        return l;
    }
    const qsizetype equals = line.indexOf(u'=');
    if (equals < 0 || equals >= kFlightWidth)
        return l;
    l.kind = Line::Route;
    l.flight = line.left(equals);
    l.route = line.mid(equals + 1);
    return l;
}

QString RouteFileLoad::malformedText(qint64 line)
{
    return QStringLiteral("There seems to be a problem with the routes.dbf file. Please check the "
                          "contents of the file (around line %1) and retry.")
        .arg(line);
}

namespace
{

// A batch of lines in one statement each, the count of routes added back.
const char *const kServerAppend =
    "WITH added AS (INSERT INTO ROUTES (FLIGHT, ROUTE) SELECT f, r FROM unnest($1::text[], "
    "$2::text[]) WITH ORDINALITY AS u(f, r, n) ORDER BY n RETURNING 1) "
    "SELECT count(*) FROM added";
// A flight's first line, unless the flight has a route already.
const char *const kServerAddNew =
    "WITH firsts AS (SELECT DISTINCT ON (f::citext) f, r, n FROM unnest($1::text[], "
    "$2::text[]) WITH ORDINALITY AS u(f, r, n) ORDER BY f::citext, n), "
    "added AS (INSERT INTO ROUTES (FLIGHT, ROUTE) SELECT f, r FROM firsts "
    "WHERE NOT EXISTS (SELECT 1 FROM ROUTES WHERE FLIGHT = firsts.f::citext) "
    "ORDER BY n RETURNING 1) "
    "SELECT count(*) FROM added";

} // namespace

RouteFileLoad::Result RouteFileLoad::load(const QString &path)
{
    ReferenceFileLines lines(path);
    const auto file = Schema::File::Routes;
    Result result;
    LoadTransactions tx(m_store, file, m_cancel);
    if (m_replace)
        RouteTable(m_store).removeAll();
    std::vector<Line> batch;
    qint64 read = 0;
    QString text;
    while (lines.next(text)) {
        Line line = parse(text);
        if (line.kind == Line::Comment || line.kind == Line::Short)
            continue;
        if (line.kind == Line::Malformed) {
            result.malformedLine = lines.lineNumber();
            break;
        }
        batch.push_back(std::move(line));
        if (m_progress && ++read % kProgressLines == 1)
            m_progress(read);
        if (batch.size() == size_t(kBatchLines)) {
            write(batch, result);
            if (!tx.next()) {
                result.cancelled = true;
                return result;
            }
        }
    }
    write(batch, result);
    tx.commit();
    return result;
}

void RouteFileLoad::write(std::vector<Line> &batch, Result &result)
{
    if (batch.empty())
        return;
    if (m_store.onServer())
        writeOnServer(batch, result);
    else
        writeLineByLine(batch, result);
    batch.clear();
}

void RouteFileLoad::writeLineByLine(const std::vector<Line> &batch, Result &result)
{
    const auto file = Schema::File::Routes;
    StoreStatement insert(m_store, file,
                          m_replace ? "INSERT INTO ROUTES (FLIGHT, ROUTE) VALUES (?1, ?2)"
                                    : "INSERT INTO ROUTES (FLIGHT, ROUTE) SELECT ?1, ?2 "
                                      "WHERE NOT EXISTS (SELECT 1 FROM ROUTES WHERE FLIGHT = ?1)");
    for (const Line &line : batch) {
        insert.bind(1, line.flight);
        insert.bind(2, line.route);
        insert.run();
        if (insert.changes() > 0)
            ++result.added;
        else
            ++result.kept;
    }
}

// A round trip a line would take seconds for a file of 50,000 routes.
void RouteFileLoad::writeOnServer(const std::vector<Line> &batch, Result &result)
{
    PgArray flights, routes;
    for (const Line &line : batch) {
        flights.add(line.flight.toUtf8());
        routes.add(line.route.toUtf8());
    }
    const qint64 added =
        m_store.server()
            .query(m_replace ? kServerAppend : kServerAddNew, {flights.text(), routes.text()})
            .int64(0, 0);
    result.added += added;
    result.kept += qint64(batch.size()) - added;
}

} // namespace corvane
