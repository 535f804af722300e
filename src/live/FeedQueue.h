#pragma once

#include <QByteArray>
#include <QMutex>
#include <vector>

namespace corvane
{

// A datagram or a line of a feed, as received.
struct FeedChunk {
    QByteArray bytes;
    int refused = 0; // lines too long, dropped before this one
};

// What the receiving thread has read and the dispatch tick has not yet
// taken.
class FeedQueue
{
public:
    void push(std::vector<FeedChunk> &chunks)
    {
        QMutexLocker lock(&m_mutex);
        for (FeedChunk &c : chunks)
            m_chunks.push_back(std::move(c));
        chunks.clear();
    }
    std::vector<FeedChunk> takeAll()
    {
        QMutexLocker lock(&m_mutex);
        std::vector<FeedChunk> out;
        out.swap(m_chunks);
        return out;
    }

private:
    QMutex m_mutex;
    std::vector<FeedChunk> m_chunks;
};

} // namespace corvane
