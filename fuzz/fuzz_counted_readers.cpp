// The readers that cut records by counted characters and fixed columns.
#include "FuzzReading.h"

#include "formats/AcarsdReader.h"
#include "formats/AirMasterReader.h"
#include "formats/AirNavReader.h"
#include "formats/BlockReader.h"
#include "formats/PcHfdlReader.h"

using namespace corvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray text = fuzz::bytes(data, size);
    {
        AirNavReader reader;
        fuzz::readAll(reader, text);
    }
    for (auto source : {AirMasterReader::Source::Log, AirMasterReader::Source::Live}) {
        AirMasterReader reader(source);
        fuzz::readAll(reader, text);
    }
    for (auto source : {AcarsdReader::Source::Log, AcarsdReader::Source::Live}) {
        AcarsdReader reader(source, fuzz::workFolder());
        fuzz::readAll(reader, text);
    }
    for (const BlockReader::Layout &layout : {BlockReader::skySpy(), BlockReader::zcars()}) {
        BlockReader reader(layout);
        fuzz::readAll(reader, text);
    }
    {
        PcHfdlReader reader;
        fuzz::readAll(reader, text);
    }
    return 0;
}
