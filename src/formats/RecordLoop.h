#pragma once

#include <QString>
#include <functional>

namespace corvane
{

class DecoderStream;
class RecordReader;
class Recorder;
class NewPairsSink;
class ImportObserver;
struct ImportResult;

// The record loop every log file and live pass runs: find and read the next
// record, hand it to the recorder with its file name, count the outcome,
// until the text runs out or the observer asks to stop. Store failures
// propagate as StoreError.
class RecordLoop
{
public:
    static void run(DecoderStream &stream, RecordReader &reader, Recorder &recorder,
                    NewPairsSink *sink, ImportObserver &observer, const QString &progressName,
                    const std::function<QString()> &fileName, ImportResult &result);
};

} // namespace corvane
