// The readers that go line by line.
#include "FuzzReading.h"

#include "formats/Ard2Reader.h"
#include "formats/BrellwickReader.h"
#include "formats/PosFixReader.h"

using namespace corvane;

namespace
{
// A fixed clock: a run gives the same result for the same input.
MessageTime fixedNow()
{
    return {2024, 3, 5, 14, 7, 33};
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray text = fuzz::bytes(data, size);
    for (auto source : {Ard2Reader::Source::Log, Ard2Reader::Source::Live}) {
        Ard2Reader reader(source, &fixedNow);
        fuzz::readAll(reader, text);
    }
    {
        BrellwickReader reader;
        fuzz::readAll(reader, text);
    }
    {
        PosFixReader reader;
        fuzz::readAll(reader, text);
    }
    return 0;
}
