#include "RecordPipeline.h"

#include "DecoderStream.h"

namespace corvane
{

RecordPipeline::RecordPipeline(DecoderStream &stream, RecordReader &reader)
    : m_stream(stream), m_reader(reader), m_position(stream.position()),
      m_thread([this] { readAhead(); })
{
}

RecordPipeline::~RecordPipeline()
{
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

void RecordPipeline::readAhead()
{
    std::exception_ptr failure;
    for (;;) {
        Chunk chunk = spareChunk();
        bool more = false;
        try {
            more = readChunk(chunk);
        } catch (...) {
            // The records read before the failure still go first.
            failure = std::current_exception();
        }
        if (!push(std::move(chunk)) || !more || failure)
            break;
    }
    {
        std::lock_guard lock(m_mutex);
        m_failure = failure;
        m_readerDone = true;
    }
    m_changed.notify_all();
}

RecordPipeline::Chunk RecordPipeline::spareChunk()
{
    // Chunks go round between the two threads instead of being allocated
    // anew, which keeps the allocator out of the way.
    std::lock_guard lock(m_mutex);
    if (m_spare.empty())
        return {};
    Chunk chunk = std::move(m_spare.back());
    m_spare.pop_back();
    return chunk;
}

bool RecordPipeline::readChunk(Chunk &chunk)
{
    chunk.reserve(kChunk);
    while (chunk.size() < size_t(kChunk)) {
        Item item;
        item.outcome = m_reader.readRecord(m_stream, item.record);
        item.position = m_stream.position();
        const bool ended = item.outcome == ReadOutcome::EndOfText;
        chunk.push_back(std::move(item));
        if (ended)
            return false;
    }
    return true;
}

bool RecordPipeline::push(Chunk &&chunk)
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_stop || m_ready.size() < size_t(kChunksAhead); });
    if (m_stop)
        return false;
    m_ready.push_back(std::move(chunk));
    lock.unlock();
    m_changed.notify_all();
    return true;
}

bool RecordPipeline::takeChunk()
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return !m_ready.empty() || m_readerDone; });
    if (m_ready.empty()) {
        if (m_failure)
            std::rethrow_exception(std::exchange(m_failure, nullptr));
        return false;
    }
    m_current.clear();
    m_spare.push_back(std::move(m_current));
    m_current = std::move(m_ready.front());
    m_ready.pop_front();
    m_next = 0;
    lock.unlock();
    m_changed.notify_all();
    return true;
}

ReadOutcome RecordPipeline::readRecord(DecoderStream &, MessageRecord &record)
{
    if (m_ended)
        return ReadOutcome::EndOfText;
    while (m_next == m_current.size()) {
        if (!takeChunk()) {
            m_ended = true;
            return ReadOutcome::EndOfText;
        }
    }
    Item &item = m_current[m_next++];
    record = std::move(item.record);
    m_position = item.position;
    m_ended = item.outcome == ReadOutcome::EndOfText;
    return item.outcome;
}

qint64 RecordPipeline::position(const DecoderStream &) const
{
    return m_position;
}

} // namespace corvane
