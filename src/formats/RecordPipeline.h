#pragma once

#include "RecordReader.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace corvane
{

// Reads a file's records on a thread of its own, ahead of the recorder, and
// hands them over in the order read, as the reader gave them. From the
// start of the pipeline until it is destroyed, the stream and the reader
// belong to that thread. What the reader throws reaches the caller after
// the records read before it. Destroying the pipeline stops the reading.
class RecordPipeline : public RecordReader
{
public:
    // Records are handed over in chunks, so the two threads rarely meet;
    // reading stops while kChunksAhead of them wait, which bounds memory.
    static constexpr int kChunk = 256;
    static constexpr int kChunksAhead = 8;

    RecordPipeline(DecoderStream &stream, RecordReader &reader);
    ~RecordPipeline() override;
    RecordPipeline(const RecordPipeline &) = delete;
    RecordPipeline &operator=(const RecordPipeline &) = delete;

    // The next record read ahead; the stream given is not used.
    ReadOutcome readRecord(DecoderStream &stream, MessageRecord &record) override;
    // Where the record handed over last ended in the source.
    qint64 position(const DecoderStream &stream) const override;

private:
    struct Item {
        ReadOutcome outcome = ReadOutcome::EndOfText;
        MessageRecord record;
        qint64 position = 0;
    };
    using Chunk = std::vector<Item>;

    void readAhead();
    Chunk spareChunk();
    bool readChunk(Chunk &chunk);
    bool push(Chunk &&chunk);
    bool takeChunk();

    DecoderStream &m_stream;
    RecordReader &m_reader;

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Chunk> m_ready;    // guarded by m_mutex
    std::vector<Chunk> m_spare;   // emptied, to be filled again; guarded by m_mutex
    bool m_readerDone = false;    // guarded by m_mutex
    bool m_stop = false;          // guarded by m_mutex
    std::exception_ptr m_failure; // guarded by m_mutex

    // The caller's side only.
    Chunk m_current;
    size_t m_next = 0;
    qint64 m_position = 0;
    bool m_ended = false;

    std::thread m_thread; // last: starts once everything above is set
};

} // namespace corvane
