#include "SkySweeperLiveFile.h"

#include "RecordLoop.h"

#include "DecoderStream.h"
#include "ImportObserver.h"
#include "store/MessageTime.h"
#include "store/OpenStoreFiles.h"
#include "store/Recorder.h"
#include "store/StoreError.h"

namespace corvane
{

namespace
{
// The stream reads bare line feeds as carriage return and line feed; this
// finds the byte of the chunk that a stream position stands for.
qint64 chunkOffset(const QByteArray &chunk, qint64 streamPosition)
{
    qint64 counted = 0;
    qsizetype i = 0;
    for (; i < chunk.size() && counted < streamPosition; ++i)
        counted += (chunk[i] == '\n' && (i == 0 || chunk[i - 1] != '\r')) ? 2 : 1;
    return i;
}
} // namespace

SkySweeperLiveFile::SkySweeperLiveFile(BlockReaderFactory makeReader) : m_makeReader(makeReader) {}

bool SkySweeperLiveFile::open(const QString &path, QString *error)
{
    close();
    if (const QString why = OpenStoreFiles::readRefusal(path); !why.isEmpty()) {
        if (error)
            *error = why;
        return false;
    }
    m_file.setFileName(path);
    // Unbuffered, so that every poll sees what the decoder has appended.
    if (!m_file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        if (error)
            *error = QStringLiteral("Cannot open %1: %2").arg(path, m_file.errorString());
        return false;
    }
    return true;
}

void SkySweeperLiveFile::close()
{
    if (m_file.isOpen())
        m_file.close();
    m_position = 0;
}

qint64 SkySweeperLiveFile::readChunk(Recorder &recorder, const QByteArray &chunk, bool moreAfter,
                                     NewPairsSink *sink, ImportObserver &obs,
                                     LivePassResult &result)
{
    DecoderStream stream;
    stream.openText(chunk);
    const std::unique_ptr<SkySweeperReader> reader = m_makeReader();
    RecordLoop::run(
        stream, *reader, recorder, sink, obs, QString(),
        [] { return QStringLiteral("Live data ") + MessageTime::now().toGeneralDate(); }, result);
    if (!reader->cutShort())
        return chunk.size();
    const qint64 start = chunkOffset(chunk, reader->blockStart());
    // A block as long as a whole chunk would never be read whole.
    return (start == 0 && moreAfter) ? chunk.size() : start;
}

LivePassResult SkySweeperLiveFile::poll(LivePassFrame &frame, NewPairsSink *sink,
                                        ImportObserver *observer)
{
    Recorder &recorder = frame.recorder();
    ImportObserver none;
    ImportObserver &obs = observer ? *observer : none;
    LivePassResult result;
    result.name = path();
    if (!m_file.isOpen()) {
        result.read = false;
        result.error = QStringLiteral("No live file is open.");
        return result;
    }
    // A log that was emptied or replaced by a shorter one is read from its start.
    if (m_file.size() < m_position)
        m_position = 0;
    try {
        for (;;) {
            if (!m_file.seek(m_position)) {
                result.read = false;
                result.error =
                    QStringLiteral("Cannot read %1: %2").arg(path(), m_file.errorString());
                break;
            }
            QByteArray chunk = m_file.read(kChunkSize);
            if (chunk.isEmpty())
                break;
            const bool full = chunk.size() == kChunkSize;
            // Only complete lines: the decoder may be writing the last one.
            const qsizetype lastBreak = chunk.lastIndexOf('\n');
            if (lastBreak < 0) {
                if (!full)
                    break;
                m_position += chunk.size(); // a chunk without any line break is passed over
                continue;
            }
            chunk.truncate(lastBreak + 1);
            m_position += readChunk(recorder, chunk, full, sink, obs, result);
            if (!full)
                break;
        }
        recorder.commitBatch();
    } catch (const StoreError &e) {
        recorder.rollbackBatch();
        result.takeBack(recorder.takeRolledBack());
        result.read = false;
        result.storeFailed = true;
        result.error = QStringLiteral("%1: %2").arg(path(), e.message());
        obs.message(result.error);
        return result;
    }
    if (!result.read)
        obs.message(result.error);
    obs.finishLog();
    frame.endOfPass(result);
    return result;
}

} // namespace corvane
