#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

namespace corvane
{

class RecordReader;

// A log format: the value of the setting "Decoder" and its reader.
struct LogFormat {
    QString decoder;
    std::function<std::unique_ptr<RecordReader>()> makeReader;
};

// How a live reader runs the live pass frame.
struct LiveFormat {
    QString ddeType;
    std::function<std::unique_ptr<RecordReader>()> makeReader;
    QByteArray writtenBefore = "\r\n"; // written to live.txt before the text
    bool skipFirstLine = true;         // the first line of live.txt is dropped
    QString fileNamePrefix = QStringLiteral("Live data ");
    QString fixedFileName; // when set, every message is named this
    bool reportsNewPairs = true;
    bool recordsNothing = false;  // the link is accepted but nothing is read
    bool announcesUpdate = false; // "Updating database..." is shown, then cleared, at the end
    // The link polls the decoder's growing log file instead of taking DDE
    // values (SkySweeperLiveFile); makeReader gives its reader.
    bool polledFile = false;
};

// The formats the program reads, in the order the settings test them.
class FormatRegistry
{
public:
    static const LogFormat *logFormat(const QString &decoder);
    static const LiveFormat *liveFormat(const QString &ddeType);
    static QStringList logFormatNames();
    static QStringList liveFormatNames();
    // Adds or replaces a format; the readers of each decoder register here.
    static void addLogFormat(LogFormat format);
    static void addLiveFormat(LiveFormat format);

private:
    static void ensureBuiltIns();
};

} // namespace corvane
