#include "LogFormats.h"

#include "AcarsdReader.h"
#include "AirMasterReader.h"
#include "AirNavReader.h"
#include "Ard2Reader.h"
#include "BlockReader.h"
#include "BrellwickReader.h"
#include "JsonFeedReader.h"
#include "SkySweeperReader.h"

namespace corvane
{

QString LogFormat::fileFilter() const
{
    return QStringLiteral("%1 log files (%2);;All files (*)")
        .arg(name(), QString::fromLatin1(filePatterns));
}

} // namespace corvane

namespace corvane::LogFormats
{

namespace
{

using Reader = std::unique_ptr<RecordReader>;
using SkySweeper = SkySweeperReader;

// The network decoders write JSON lines under any of these names.
constexpr const char *kJsonPatterns = "*.json *.jsonl *.txt *.log";

const LogFormat kFormats[] = {
    {"AirNav", "optAirNav", "AirNav",
     [](const QString &) -> Reader { return std::make_unique<AirNavReader>(); }},
    {"SkySpy", "optSkySpy", "SkySpy",
     [](const QString &) -> Reader {
         return std::make_unique<BlockReader>(BlockReader::skySpy());
     }},
    {"AirMaster32000", "optAirMaster32000", "Air Master 3/2000",
     [](const QString &) -> Reader {
         return std::make_unique<AirMasterReader>(AirMasterReader::Source::Log);
     }},
    {"ZCARS", "optZcars", "ZCARS",
     [](const QString &) -> Reader { return std::make_unique<BlockReader>(BlockReader::zcars()); }},
    {"Brellwick", "optBrellwick", "Brellwick (Airmaster mode)",
     [](const QString &) -> Reader { return std::make_unique<BrellwickReader>(); }},
    {"ARD2", "optARD", "ARD2",
     [](const QString &) -> Reader {
         return std::make_unique<Ard2Reader>(Ard2Reader::Source::Log);
     }},
    {"SSHF", "optSSHF", "SkySweeper HF",
     [](const QString &) -> Reader {
         return std::make_unique<SkySweeper>(SkySweeper::Band::Hf, SkySweeper::Source::Log);
     }},
    {"SSVHF", "optSSVHF", "SkySweeper VHF",
     [](const QString &) -> Reader {
         return std::make_unique<SkySweeper>(SkySweeper::Band::Vhf, SkySweeper::Source::Log);
     }},
    {"ACARSD", "optACARSD", "ACARSD",
     [](const QString &workFolder) -> Reader {
         return std::make_unique<AcarsdReader>(AcarsdReader::Source::Log, workFolder);
     },
     "*.txt"},
    // The network decoders' JSON log files: one object (or more) per line.
    {"acarsdec", "optAcarsdec", "acarsdec",
     [](const QString &) -> Reader {
         return std::make_unique<JsonFeedReader>(FeedDecoder::Acarsdec);
     },
     kJsonPatterns},
    {"vdlm2dec", "optVdlm2dec", "vdlm2dec",
     [](const QString &) -> Reader {
         return std::make_unique<JsonFeedReader>(FeedDecoder::Vdlm2dec);
     },
     kJsonPatterns},
    {"dumpvdl2", "optDumpvdl2", "dumpvdl2",
     [](const QString &) -> Reader {
         return std::make_unique<JsonFeedReader>(FeedDecoder::Dumpvdl2);
     },
     kJsonPatterns},
    {"dumphfdl", "optDumphfdl", "dumphfdl",
     [](const QString &) -> Reader {
         return std::make_unique<JsonFeedReader>(FeedDecoder::Dumphfdl);
     },
     kJsonPatterns},
};

} // namespace

std::span<const LogFormat> all()
{
    return kFormats;
}

const LogFormat *find(const QString &decoder)
{
    for (const LogFormat &f : kFormats)
        if (decoder == QLatin1String(f.decoder))
            return &f;
    return nullptr;
}

QStringList names()
{
    QStringList list;
    for (const LogFormat &f : kFormats)
        list << f.name();
    return list;
}

} // namespace corvane::LogFormats
