// The SkySweeper readers, VHF and HF, of logs and of the growing live file.
#include "FuzzReading.h"

#include "formats/SkySweeperReader.h"

using namespace corvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray text = fuzz::bytes(data, size);
    for (auto band : {SkySweeperReader::Band::Vhf, SkySweeperReader::Band::Hf})
        for (auto source : {SkySweeperReader::Source::Log, SkySweeperReader::Source::Live}) {
            SkySweeperReader reader(band, source);
            fuzz::readAll(reader, text);
        }
    return 0;
}
