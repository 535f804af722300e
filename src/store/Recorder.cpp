#include "Recorder.h"

#include "MessageRecorder.h"
#include "ServerRecorder.h"
#include "Store.h"

namespace corvane
{

std::unique_ptr<Recorder> Recorder::of(Store &store)
{
    if (store.onServer())
        return std::make_unique<ServerRecorder>(store.server());
    return std::make_unique<MessageRecorder>(store);
}

void Recorder::listLogProgress(ProcessedLogs &logs)
{
    if (m_log.isEmpty())
        return;
    logs.setRead(m_log, m_logRecords);
    m_logListed = m_logRecords;
}

void Recorder::finishLog()
{
    commitBatch();
    if (!m_log.isEmpty())
        listLogWhole(m_log);
    m_log.clear();
}

} // namespace corvane
