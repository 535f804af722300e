#pragma once

#include "LivePassFrame.h"
#include "LiveTypes.h"
#include "SkySweeperReader.h"

#include <QFile>
#include <QString>

namespace corvane
{

class Store;
class Recorder;
class NewPairsSink;
class ImportObserver;

// The SkySweeper live link: the decoder's log file, opened once when the
// link starts and read on every poll from where the last poll stopped.
//
// A poll reads the complete lines appended since the last one and stores
// their messages under "Live data " and the current time. A block that the
// decoder has only partly written (the file ends inside it, or inside a
// line) is not consumed: the next poll reads it again from its header, so
// it is stored once, whole. A partial block that fills a whole read chunk
// cannot be finished and is passed over.
class SkySweeperLiveFile
{
public:
    // Bytes read from the file at a time; a poll reads chunks to the end.
    static constexpr qint64 kChunkSize = 4 << 20;

    // makeReader gives the reader of the band (a live type's block reader).
    explicit SkySweeperLiveFile(BlockReaderFactory makeReader);

    // Opens the file for reading from its start; false with the reason.
    bool open(const QString &path, QString *error = nullptr);
    void close();
    bool isOpen() const { return m_file.isOpen(); }
    QString path() const { return m_file.fileName(); }
    // Bytes of the file consumed so far: the next poll starts here.
    qint64 position() const { return m_position; }

    // One poll: stores the messages of the new complete blocks through the
    // frame's recorder, then runs the frame's end-of-pass steps (heard flags,
    // today's counts and rates). The result's read is false when the file is
    // not open or cannot be read, or a store failure stopped the pass (error
    // says which).
    LivePassResult poll(LivePassFrame &frame, NewPairsSink *sink,
                        ImportObserver *observer = nullptr);

private:
    // Reads one chunk from the position; returns the bytes consumed.
    qint64 readChunk(Recorder &recorder, const QByteArray &chunk, bool moreAfter,
                     NewPairsSink *sink, ImportObserver &observer, LivePassResult &result);

    BlockReaderFactory m_makeReader;
    QFile m_file;
    qint64 m_position = 0;
};

} // namespace corvane
