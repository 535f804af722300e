#pragma once

#include "ImportResult.h"

#include <QString>

namespace corvane
{

class Store;
class MessageRecorder;
class ImportObserver;
class NewPairsSink;
struct LiveFormat;

// What a live pass found, with the end-of-pass figures for the status bar.
struct LivePassResult : ImportResult {
    bool discarded = false; // the value delivered when the link opened
    qint64 today = 0;       // messages received today
    qint64 todayAll = 0;    // aircraft last heard today
    double messagesPerHour = 0;
    double aircraftPerHour = 0;

    QString countsText() const; // panel 2: "today/todayAll"
    QString ratesText() const;  // panel 3: "m.m/a.a"
};

// The frame every live reader runs for one value of the link: the value is
// written to live.txt, read back with the format's record reader, and each
// record is stored with the live new-pairs sink; the pass ends with the
// heard flags and today's counts and rates.
class LivePassFrame
{
public:
    LivePassFrame(Store &store, MessageRecorder &recorder);

    LivePassResult run(const LiveFormat &format, const QString &value, NewPairsSink *sink,
                       ImportObserver *observer);
    // The end-of-pass steps that need no window.
    void endOfPass(LivePassResult &result);

    static QString liveFileName() { return QStringLiteral("live.txt"); }

private:
    bool writeLiveFile(const LiveFormat &format, const QString &value, QString *error);

    Store &m_store;
    MessageRecorder &m_recorder;
};

} // namespace corvane
