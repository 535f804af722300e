#include "RecordLoop.h"

#include "DecoderStream.h"
#include "ImportObserver.h"
#include "ImportResult.h"
#include "RecordReader.h"
#include "store/Recorder.h"
#include "store/StoreError.h"

namespace corvane
{

void RecordLoop::run(DecoderStream &stream, RecordReader &reader, Recorder &recorder,
                     NewPairsSink *sink, ImportObserver &observer, const QString &progressName,
                     const std::function<QString()> &fileName, ImportResult &result)
{
    MessageRecord record;
    for (;;) {
        if (observer.cancelled())
            return;
        observer.record(progressName, result.stored, stream.position(), stream.sourceSize());
        record.clear();
        const ReadOutcome outcome = reader.readRecord(stream, record);
        if (outcome == ReadOutcome::EndOfText) {
            result.readToEnd = true;
            return;
        }
        // What an earlier import of the same log read and stored is passed over.
        if (++result.records <= result.resumedAfter)
            continue;
        recorder.setLogRecordsRead(result.records);
        if (outcome == ReadOutcome::Dropped) {
            ++result.rejected;
            continue;
        }
        if (outcome == ReadOutcome::Rejected) {
            result.count(recorder.skips(record) ? StoreResult::Skipped : StoreResult::Rejected);
            continue;
        }
        record.mFileName = fileName();
        try {
            result.count(recorder.storeMessage(record, sink));
        } catch (const StoreError &) {
            // It went down with its batch: the rollback's count holds it.
            ++result.stored;
            throw;
        }
    }
}

} // namespace corvane
