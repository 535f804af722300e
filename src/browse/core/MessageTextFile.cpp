#include "MessageTextFile.h"

#include "store/MessageViewCursor.h"
#include "store/OutputPathGuard.h"
#include "store/ReferenceLookup.h"
#include "store/Store.h"
#include "store/StoreError.h"

#include <QSaveFile>

namespace corvane
{

namespace
{

// Appends a value at a column (counted from 1) of the text, going to a new
// line first when the line already reaches past that column.
void putAt(QString &text, qsizetype &lineStart, int column, const QString &value)
{
    const qsizetype position = text.size() - lineStart + 1;
    if (position > column) {
        text += QLatin1Char('\n');
        lineStart = text.size();
        text += QString(column - 1, QLatin1Char(' '));
    } else {
        text += QString(column - position, QLatin1Char(' '));
    }
    text += value;
}

} // namespace

QString MessageTextFile::webAddress()
{
    // The program has no published home page; the line stays empty rather
    // than naming an address nobody owns.
    return QString();
}

QString MessageTextFile::lineFor(const QString &reg, const QString &flight, const QString &type,
                                 const QString &route)
{
    QString text = reg;
    qsizetype lineStart = 0;
    putAt(text, lineStart, kFlightColumn, flight);
    putAt(text, lineStart, kTypeColumn, type);
    putAt(text, lineStart, kRouteColumn, route);
    return text;
}

QString MessageTextFile::headerText()
{
    return QStringLiteral("Created by ACARS Corvane for Windows\n") + webAddress() +
           QStringLiteral("\n\n") +
           lineFor(QStringLiteral("Reg"), QStringLiteral("Flight"), QStringLiteral("Type"),
                   QStringLiteral("Route")) +
           QStringLiteral("\n\n");
}

MessageTextFile::Result MessageTextFile::write(const MessageView &view, const QString &path,
                                               const Progress &progress)
{
    m_error.clear();
    m_rows = 0;
    m_error = OutputPathGuard(m_store).refusal(path);
    if (!m_error.isEmpty())
        return Result::Failed;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        m_error = file.errorString();
        return Result::Failed;
    }
    try {
        const qint64 count = view.count(m_store);
        ReferenceLookup lookup(m_store);
        MessageViewCursor rows(m_store, view, {MessageView::Reg, MessageView::Flight});

        file.write(headerText().toUtf8());
        QString chunk;
        while (rows.next()) {
            const QString reg = rows.field(0);
            const QString flight = rows.field(1);
            const QString type = lookup.aircraftType(reg);
            const QString where = lookup.route(flight);
            ++m_rows;
            if (progress && (m_rows == 1 || m_rows % 500 == 0) && !progress(m_rows, count)) {
                file.cancelWriting();
                return Result::Cancelled;
            }
            chunk += lineFor(reg, flight, type, where);
            chunk += QLatin1Char('\n');
            if (chunk.size() > 65536) {
                file.write(chunk.toUtf8());
                chunk.clear();
            }
        }
        file.write(chunk.toUtf8());
        if (progress && m_rows > 0)
            progress(m_rows, count);
    } catch (const StoreError &e) {
        file.cancelWriting();
        m_error = e.message();
        return Result::Failed;
    }
    if (!file.commit()) {
        m_error = file.errorString();
        return Result::Failed;
    }
    return Result::Written;
}

} // namespace corvane
