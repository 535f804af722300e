// The network decoders' JSON: objects as datagrams or stream lines, and the
// same objects as log files.
#include "FuzzReading.h"

#include "formats/DecoderStream.h"
#include "formats/FeedObjectReader.h"
#include "formats/JsonFeedReader.h"
#include "store/MessageTime.h"

#include <cstdlib>

using namespace corvane;

namespace
{

// A log line may hold several objects, handed out one a call without the
// text moving on; every object takes at least two bytes ("{}"), so more calls
// than bytes would mean the reader never ends.
void readLog(FeedDecoder decoder, const QByteArray &text)
{
    JsonFeedReader reader(decoder);
    DecoderStream stream;
    stream.openText(text);
    MessageRecord record;
    for (qsizetype calls = 0;; ++calls) {
        if (calls > text.size() + 1)
            std::abort();
        record.clear();
        const ReadOutcome outcome = reader.readRecord(stream, record);
        if (outcome == ReadOutcome::EndOfText)
            return;
        if (outcome == ReadOutcome::Record)
            (void)record.mTime.toStorageBytes();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray text = fuzz::bytes(data, size);
    for (FeedDecoder decoder : {FeedDecoder::Acarsdec, FeedDecoder::Vdlm2dec, FeedDecoder::Dumpvdl2,
                                FeedDecoder::Dumphfdl}) {
        FeedObjectReader objects(decoder);
        std::vector<FeedItem> items;
        objects.read(reinterpret_cast<const char *>(data), size, items);
        // Every record handed over has a time the store can keep.
        for (const FeedItem &item : items)
            if (item.outcome == ReadOutcome::Record && !item.record.mTime.isValid())
                std::abort();
        readLog(decoder, text);
    }
    return 0;
}
