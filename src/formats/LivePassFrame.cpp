#include "LivePassFrame.h"

#include "DecoderStream.h"
#include "ImportObserver.h"
#include "LiveFlags.h"
#include "LiveTypes.h"
#include "RecordLoop.h"
#include "RecordReader.h"
#include "store/DayRange.h"
#include "store/MessageTime.h"
#include "store/Recorder.h"
#include "store/Store.h"
#include "store/StoreError.h"
#include "store/StoreFigures.h"
#include "store/TextCodec.h"

#include <QDir>
#include <QFile>
#include <QTime>

namespace corvane
{

QString LivePassResult::countsText() const
{
    return QStringLiteral("%1/%2").arg(today).arg(todayAll);
}

void LivePassResult::noteHold(const Recorder &recorder)
{
    held = recorder.held();
    heldBytes = recorder.heldBytes();
    holdLimitBytes = recorder.holdLimitBytes();
    awayReason = recorder.awayReason();
    if (held > 0)
        stored = 0;
}

QString LivePassResult::ratesText() const
{
    return QStringLiteral("%1/%2").arg(messagesPerHour, 0, 'f', 1).arg(aircraftPerHour, 0, 'f', 1);
}

LivePassFrame::LivePassFrame(const QString &folder, Recorder &recorder, LiveDayCounts &counts)
    : m_folder(folder), m_recorder(recorder), m_counts(counts)
{
}

LivePassFrame::LivePassFrame(Store &store, Recorder &recorder, LiveDayCounts &counts)
    : LivePassFrame(store.folder(), recorder, counts)
{
}

LivePassFrame::LivePassFrame(Store &store, Recorder &recorder)
    : LivePassFrame(store.folder(), recorder, m_ownCounts)
{
}

QString LivePassFrame::liveFilePath() const
{
    return QDir(m_folder).filePath(liveFileName());
}

QByteArray LivePassFrame::liveText(const LiveType &type, const QString &value)
{
    QByteArray bytes(type.pass.writtenBefore);
    // live.txt always has carriage return and line feed line ends.
    bytes += TextCodec::encode(value).replace("\r\n", "\n").replace('\n', "\r\n");
    bytes += "\r\n";
    return bytes;
}

bool LivePassFrame::writeLiveFile(const QByteArray &bytes, QString *error)
{
    // A scratch file that holds the last value: no need to force it to disk.
    QFile file(liveFilePath());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(bytes) != bytes.size() || !file.flush()) {
        *error = QStringLiteral("Cannot write %1: %2").arg(file.fileName(), file.errorString());
        return false;
    }
    return true;
}

LivePassResult LivePassFrame::run(const LiveType &type, const QString &value, LiveFlags &flags,
                                  NewPairsSink *sink, ImportObserver *observer)
{
    ImportObserver none;
    ImportObserver &obs = observer ? *observer : none;
    LivePassResult result;
    const LivePassRules &rules = type.pass;
    if (rules.recordsNothing)
        return result;
    if (flags.restart) {
        flags.restart = false;
        result.discarded = true;
        return result;
    }
    try {
        result = read(type, value, sink, obs);
        m_recorder.commitBatch();
        writeLastValue(result, obs);
    } catch (const StoreError &e) {
        m_recorder.rollbackBatch();
        result.takeBack(m_recorder.takeRolledBack());
        result.read = false;
        result.storeFailed = true;
        result.error = QStringLiteral("%1: %2").arg(liveFileName(), e.message());
        obs.message(result.error);
        return result;
    }
    if (!result.read)
        return result;
    if (rules.announcesUpdate) {
        obs.status(QStringLiteral("Updating database..."));
        obs.status(QString());
    }
    obs.finishLog();
    endOfPass(result);
    return result;
}

LivePassResult LivePassFrame::read(const LiveType &type, const QString &value, NewPairsSink *sink,
                                   ImportObserver &obs)
{
    LivePassResult result;
    const LivePassRules &rules = type.pass;
    if (rules.recordsNothing)
        return result;
    // The text is read exactly as live.txt holds it; the file itself is
    // written once for the values read together (writeLastValue()).
    m_lastText = liveText(type, value);
    DecoderStream stream;
    stream.openText(m_lastText);
    QByteArray line;
    if (rules.skipFirstLine)
        stream.readLine(line);
    readStream(type, stream, sink, obs, result);
    return result;
}

LivePassResult LivePassFrame::readFeed(const LiveType &type, const QByteArray &bytes,
                                       NewPairsSink *sink, ImportObserver &obs)
{
    LivePassResult result;
    DecoderStream stream;
    stream.openText(bytes);
    readStream(type, stream, sink, obs, result);
    return result;
}

void LivePassFrame::readStream(const LiveType &type, DecoderStream &stream, NewPairsSink *sink,
                               ImportObserver &obs, LivePassResult &result)
{
    const LivePassRules &rules = type.pass;
    std::unique_ptr<RecordReader> reader = type.makeReader(m_folder);
    NewPairsSink *pairsSink = rules.reportsNewPairs ? sink : nullptr;
    const auto fileName = [&rules] {
        return rules.fixedFileName
                   ? QString::fromLatin1(rules.fixedFileName)
                   : QLatin1String(rules.fileNamePrefix) + MessageTime::now().toGeneralDate();
    };
    try {
        RecordLoop::run(stream, *reader, m_recorder, pairsSink, obs, QString(), fileName, result);
    } catch (const StoreError &) {
        m_recorder.rollbackBatch();
        throw;
    }
}

void LivePassFrame::writeLastValue(LivePassResult &result, ImportObserver &obs)
{
    QString why;
    if (m_lastText.isNull() || writeLiveFile(m_lastText, &why))
        return;
    result.read = false;
    result.error = why;
    obs.message(why);
}

void LivePassFrame::endOfPass(LivePassResult &result)
{
    m_recorder.refreshHeardOfStored();
    m_counts.update(m_recorder, result);
}

} // namespace corvane
