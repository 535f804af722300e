#pragma once

#include "ReaderFactory.h"

#include <QString>
#include <QStringList>
#include <span>

namespace corvane
{

// A log format: a value of the setting "Decoder", everything the program
// shows or does for it, and its reader.
struct LogFormat {
    const char *decoder;
    const char *optionName;    // the Options dialog's option button
    const char *optionCaption; // and its caption
    ReaderFactory makeReader;
    const char *filePatterns = "*.log"; // the names its log files usually have

    QString name() const { return QString::fromLatin1(decoder); }
    // The import dialog's filter: the usual names first, then all files.
    QString fileFilter() const;
};

// The log formats the program reads, in the order the Options dialog shows
// and tests them.
namespace LogFormats
{

std::span<const LogFormat> all();
// The format of a "Decoder" value; null for a value no reader knows.
const LogFormat *find(const QString &decoder);
QStringList names();

} // namespace LogFormats

} // namespace corvane
