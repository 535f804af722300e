#include "MessageTextFile.h"

#include "store/MessageViewCursor.h"
#include "store/ReferenceLookup.h"

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
    ReferenceLookup lookup(m_store);
    ViewFileWriter::Rows rows;
    rows.columns = {MessageView::Reg, MessageView::Flight};
    rows.header = headerText().toUtf8();
    rows.text = [&lookup](const MessageViewCursor &row, QByteArray &out) {
        const QString reg = row.field(0);
        const QString flight = row.field(1);
        out += lineFor(reg, flight, lookup.aircraftType(reg), lookup.route(flight)).toUtf8();
        out += '\n';
    };
    return m_writer.write(view, path, rows, progress);
}

} // namespace corvane
