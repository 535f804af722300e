#include "RecordLoop.h"

#include "DecoderStream.h"
#include "ImportObserver.h"
#include "ImportResult.h"
#include "RecordReader.h"
#include "store/Recorder.h"

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
        if (outcome == ReadOutcome::EndOfText)
            return;
        if (outcome == ReadOutcome::Dropped) {
            ++result.rejected;
            continue;
        }
        if (outcome == ReadOutcome::Rejected) {
            result.count(recorder.skips(record) ? StoreResult::Skipped : StoreResult::Rejected);
            continue;
        }
        record.mFileName = fileName();
        result.count(recorder.storeMessage(record, sink));
    }
}

} // namespace corvane
