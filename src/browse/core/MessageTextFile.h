#pragma once

#include "ViewFileWriter.h"
#include "store/MessageView.h"

#include <QString>

class QIODevice;

namespace corvane
{

class Store;

// The text file of a message view: a short header, then one line per message
// with the registration, flight, aircraft type and route, each at its fixed
// column. A value that runs into the next column pushes that column's value
// onto a new line, at its own column.
class MessageTextFile
{
public:
    using Result = ViewFileWriter::Result;
    using Progress = ViewFileWriter::Progress;

    // Column starts, counted from 1.
    static constexpr int kFlightColumn = 10;
    static constexpr int kTypeColumn = 20;
    static constexpr int kRouteColumn = 40;

    static QString webAddress();
    static QString headerText();
    static QString lineFor(const QString &reg, const QString &flight, const QString &type,
                           const QString &route);

    explicit MessageTextFile(Store &store) : m_store(store), m_writer(store) {}

    // Writes the whole view. The file is replaced only when the writing
    // succeeds; a cancelled or failed run leaves any older file as it was.
    Result write(const MessageView &view, const QString &path, const Progress &progress = {});
    const QString &errorText() const { return m_writer.errorText(); }
    qint64 rowsWritten() const { return m_writer.rowsWritten(); }

private:
    Store &m_store;
    ViewFileWriter m_writer;
};

} // namespace corvane
