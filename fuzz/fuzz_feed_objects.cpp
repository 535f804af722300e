// The network decoders' JSON: objects as datagrams or stream lines, and the
// same objects as log files.
#include "FuzzReading.h"

#include "formats/FeedObjectReader.h"
#include "formats/JsonFeedReader.h"
#include "store/MessageTime.h"

#include <cstdlib>

using namespace corvane;

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
        JsonFeedReader log(decoder);
        fuzz::readAll(log, text);
    }
    return 0;
}
