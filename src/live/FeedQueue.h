#pragma once

#include <QByteArray>
#include <QMutex>
#include <deque>
#include <vector>

namespace corvane
{

// A datagram or a line of a feed, as received, and which of the link's
// feeds it came from.
struct FeedChunk {
    QByteArray bytes;
    int source = 0;
};

// What the receiving threads of a link have read and the store has not yet
// taken, bounded in bytes: a sender that outruns the store for long fills
// it, and what arrives then is dropped and counted, never held without
// end. A chunk costs its bytes and what keeps it (kChunkOverhead), so a
// flood of tiny datagrams is bounded too.
class FeedQueue
{
public:
    static constexpr qint64 kChunkOverhead = 64;

    // What was not queued since the last takeCounts().
    struct Counts {
        qint64 refused = 0;      // pieces the feed's reader would reject
        qint64 dropped = 0;      // chunks that found the queue full
        qint64 droppedBytes = 0; // their bytes

        bool any() const { return refused > 0 || dropped > 0; }
    };

    explicit FeedQueue(qint64 limitBytes);

    // Queues the chunk, or drops and counts it when the queue is full.
    void push(FeedChunk chunk);
    // Counts pieces of input that were refused before queueing.
    void refuse(qint64 pieces);
    // The oldest chunks, up to about maxBytes (at least one when any wait).
    std::vector<FeedChunk> take(qint64 maxBytes);
    Counts takeCounts();
    bool isEmpty() const;
    qint64 bytes() const;
    qint64 limitBytes() const { return m_limit; }
    // The most the queue held since the last call.
    qint64 takePeakBytes();

    static qint64 cost(const FeedChunk &chunk) { return chunk.bytes.capacity() + kChunkOverhead; }

private:
    mutable QMutex m_mutex;
    std::deque<FeedChunk> m_chunks;
    qint64 m_limit;
    qint64 m_bytes = 0;
    qint64 m_peak = 0;
    Counts m_counts;
};

} // namespace corvane
