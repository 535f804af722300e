#pragma once

#include "ImportResult.h"
#include "LiveDayCounts.h"

#include <QString>

namespace corvane
{

class Store;
class DecoderStream;
class Recorder;
class ImportObserver;
class NewPairsSink;
struct LiveFlags;
struct LiveType;

// What a live pass found, with the end-of-pass figures for the status bar.
struct LivePassResult : ImportResult {
    bool discarded = false; // the value delivered when the link opened
    qint64 today = 0;       // messages received today
    qint64 todayAll = 0;    // aircraft last heard today
    double messagesPerHour = 0;
    double aircraftPerHour = 0;
    // Messages held for a store that cannot take them now (a server out of
    // reach), after this pass; while any are held the pass stored nothing.
    qint64 held = 0;
    qint64 heldBytes = 0;
    qint64 holdLimitBytes = 0;
    QString awayReason;
    // Datagrams or lines of a feed that found its queue full and were
    // dropped unread since the pass before.
    qint64 dropped = 0;
    qint64 droppedBytes = 0;

    // Takes the recorder's hold figures after its commit; while messages
    // are held, this pass stored none.
    void noteHold(const Recorder &recorder);

    QString countsText() const; // panel 2: "today/todayAll"
    QString ratesText() const;  // panel 3: "m.m/a.a"
};

// The frame every live reader runs for one value of the link: the value is
// written to live.txt in the store's folder, read back with the type's
// record reader, and each record is stored with the live new-pairs sink; the
// pass ends with the heard flags and today's counts and rates.
//
// Several values that arrived together may be read into one batch (read())
// and ended together (endOfPass() after the commit), so a decoder that sends
// one message per value does not pay a commit for each.
class LivePassFrame
{
public:
    // The counts carry over from pass to pass: give the link's own. The
    // folder is the data folder (live.txt, the readers' own files).
    LivePassFrame(const QString &folder, Recorder &recorder, LiveDayCounts &counts);
    LivePassFrame(Store &store, Recorder &recorder, LiveDayCounts &counts);
    LivePassFrame(Store &store, Recorder &recorder);

    // A value that arrives while flags.restart is set is the one the link
    // held when it opened: it is thrown away and the flag cleared.
    LivePassResult run(const LiveType &type, const QString &value, LiveFlags &flags,
                       NewPairsSink *sink, ImportObserver *observer);
    // Reads one value into the open batch, without committing or ending the
    // pass; a store failure is thrown (StoreError) with the batch rolled back.
    LivePassResult read(const LiveType &type, const QString &value, NewPairsSink *sink,
                        ImportObserver &observer);
    // Reads one datagram or line of a network decoder's feed into the open
    // batch, as it came (no live.txt); a store failure is thrown as by read().
    LivePassResult readFeed(const LiveType &type, const QByteArray &bytes, NewPairsSink *sink,
                            ImportObserver &observer);
    // Writes the text of the last value read to live.txt; a failure is
    // reported and marks the result as not read.
    void writeLastValue(LivePassResult &result, ImportObserver &observer);
    // The end-of-pass steps that need no window, after the commit: the heard
    // flags of what was stored, today's counts and rates.
    void endOfPass(LivePassResult &result);

    Recorder &recorder() { return m_recorder; }

    static QString liveFileName() { return QStringLiteral("live.txt"); }
    QString liveFilePath() const;

private:
    bool writeLiveFile(const QByteArray &bytes, QString *error);
    static QByteArray liveText(const LiveType &type, const QString &value);
    void readStream(const LiveType &type, DecoderStream &stream, NewPairsSink *sink,
                    ImportObserver &obs, LivePassResult &result);

    QString m_folder;
    Recorder &m_recorder;
    LiveDayCounts m_ownCounts;
    LiveDayCounts &m_counts;
    QByteArray m_lastText;
};

} // namespace corvane
