#include "RouteFileLoad.h"

#include "ReferenceFileLines.h"
#include "RouteTable.h"
#include "Store.h"
#include "StoreStatement.h"
#include "StoreTransaction.h"

#include <memory>

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

RouteFileLoad::Result RouteFileLoad::load(const QString &path)
{
    ReferenceFileLines lines(path);
    const auto file = Schema::File::Routes;
    StoreStatement append(m_store, file, "INSERT INTO ROUTES (FLIGHT, ROUTE) VALUES (?1, ?2)");
    StoreStatement addNew(m_store, file,
                          "INSERT INTO ROUTES (FLIGHT, ROUTE) SELECT ?1, ?2 "
                          "WHERE NOT EXISTS (SELECT 1 FROM ROUTES WHERE FLIGHT = ?1)");
    StoreStatement &insert = m_replace ? append : addNew;
    Result result;
    auto tx = std::make_unique<StoreTransaction>(m_store, file);
    if (m_replace)
        RouteTable(m_store).removeAll();
    QString text;
    while (lines.next(text)) {
        const Line line = parse(text);
        if (line.kind == Line::Comment || line.kind == Line::Short)
            continue;
        if (line.kind == Line::Malformed) {
            result.malformedLine = lines.lineNumber();
            break;
        }
        insert.bind(1, line.flight);
        insert.bind(2, line.route);
        insert.run();
        if (insert.changes() > 0)
            ++result.added;
        else
            ++result.kept;
        const qint64 handled = result.handled();
        if (m_progress && handled % kProgressLines == 1)
            m_progress(handled);
        if (handled % kBatchLines == 0) {
            tx->commit();
            if (m_cancel && m_cancel->load()) {
                result.cancelled = true;
                return result;
            }
            tx = std::make_unique<StoreTransaction>(m_store, file);
        }
    }
    tx->commit();
    return result;
}

} // namespace corvane
