#pragma once

#include "ReaderFactory.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>
#include <span>

namespace corvane
{

class SkySweeperReader;

// How a live type reaches its decoder: a link that pushes values, the
// decoder's log file polled for new lines (which then take the path of a
// link value), the decoder's log file polled for new blocks read in place,
// a network decoder's JSON feed (datagrams or lines), or nothing (a value
// no reader knows).
enum class LiveTransport { None, Link, LineFile, BlockFile, Feed };

// How the live pass frame runs one value of the link.
struct LivePassRules {
    const char *writtenBefore = "\r\n"; // written to live.txt before the text
    bool skipFirstLine = true;          // the first line of live.txt is dropped
    const char *fileNamePrefix = "Live data ";
    const char *fixedFileName = nullptr; // when set, every message is named this
    bool reportsNewPairs = true;
    bool recordsNothing = false;  // the link is accepted but nothing is read
    bool announcesUpdate = false; // "Updating database..." is shown, then cleared, at the end
};

// The reader of a polled block file, which says where a block cut short by
// the end of the file starts.
using BlockReaderFactory = std::unique_ptr<SkySweeperReader> (*)();

// A live type: a value of the setting "DDEType" and everything the program
// shows or does for it.
struct LiveType {
    const char *ddeType;
    const char *optionName;    // the Options dialog's option button
    const char *optionCaption; // and its caption
    const char *startedText;   // status panel 1 when the link starts
    LiveTransport transport;
    const char *application = nullptr; // Link: the decoder's application name
    const char *topic = nullptr;       // Link: the topic
    const char *fileFilter = nullptr;  // polled kinds: the file dialog's filter
    const char *pollTimer = nullptr;   // polled kinds: the timer that polls the file
    // Feed: where the decoder sends unless the settings say otherwise; none
    // for the type that records every enabled feed at once.
    const char *defaultListen = nullptr;
    // A pass leaves the Import button as it is; for every other type a pass
    // while linked turns it off.
    bool keepsImportButton = false;
    LivePassRules pass;
    ReaderFactory makeReader = nullptr;           // Link and LineFile kinds
    BlockReaderFactory makeBlockReader = nullptr; // BlockFile kinds

    QString name() const { return QString::fromLatin1(ddeType); }
    bool isFeed() const { return transport == LiveTransport::Feed; }
    // The type that records the feeds of setting [Feeds] Enabled.
    bool isFeedGroup() const { return isFeed() && !defaultListen; }
    bool isPolled() const
    {
        return transport == LiveTransport::LineFile || transport == LiveTransport::BlockFile;
    }
};

// The live types, in the order the Options dialog shows and tests them.
namespace LiveTypes
{

std::span<const LiveType> all();
// The type of a "DDEType" value; null for a value no reader knows.
const LiveType *find(const QString &ddeType);
// The linked type whose application and topic these are (case-insensitive).
const LiveType *findLink(const QString &application, const QString &topic);
QStringList names();
// The types of the network decoders (the group excluded).
QStringList feedNames();

} // namespace LiveTypes

} // namespace corvane
