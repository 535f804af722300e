#include "FeedQueue.h"

#include <algorithm>
#include <utility>

namespace corvane
{

FeedQueue::FeedQueue(qint64 limitBytes) : m_limit(limitBytes) {}

void FeedQueue::push(FeedChunk chunk)
{
    const qint64 size = cost(chunk);
    QMutexLocker lock(&m_mutex);
    if (m_bytes + size > m_limit) {
        ++m_counts.dropped;
        m_counts.droppedBytes += chunk.bytes.size();
        return;
    }
    m_bytes += size;
    m_peak = std::max(m_peak, m_bytes);
    m_chunks.push_back(std::move(chunk));
}

void FeedQueue::refuse(qint64 pieces)
{
    QMutexLocker lock(&m_mutex);
    m_counts.refused += pieces;
}

std::vector<FeedChunk> FeedQueue::take(qint64 maxBytes)
{
    std::vector<FeedChunk> out;
    QMutexLocker lock(&m_mutex);
    qint64 taken = 0;
    while (!m_chunks.empty() && (out.empty() || taken + cost(m_chunks.front()) <= maxBytes)) {
        const qint64 size = cost(m_chunks.front());
        taken += size;
        m_bytes -= size;
        out.push_back(std::move(m_chunks.front()));
        m_chunks.pop_front();
    }
    // A deque keeps the blocks of its longest length; an empty one gives
    // them back.
    if (m_chunks.empty())
        std::deque<FeedChunk>().swap(m_chunks);
    return out;
}

FeedQueue::Counts FeedQueue::takeCounts()
{
    QMutexLocker lock(&m_mutex);
    return std::exchange(m_counts, Counts{});
}

bool FeedQueue::isEmpty() const
{
    QMutexLocker lock(&m_mutex);
    return m_chunks.empty();
}

qint64 FeedQueue::bytes() const
{
    QMutexLocker lock(&m_mutex);
    return m_bytes;
}

qint64 FeedQueue::takePeakBytes()
{
    QMutexLocker lock(&m_mutex);
    return std::exchange(m_peak, m_bytes);
}

} // namespace corvane
