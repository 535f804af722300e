#include "LiveTypes.h"

#include "AcarsdReader.h"
#include "AirMasterReader.h"
#include "AirNavReader.h"
#include "Ard2Reader.h"
#include "BlockReader.h"
#include "JsonFeedReader.h"
#include "PcHfdlReader.h"
#include "PosFixReader.h"
#include "SkySweeperReader.h"

namespace corvane::LiveTypes
{

namespace
{

using Reader = std::unique_ptr<RecordReader>;
using SkySweeper = SkySweeperReader;
using T = LiveTransport;

constexpr const char *kTopic = "ACARS";
constexpr auto kWhole = JsonFeedReader::Framing::Whole;

// AirNav, AirMaster and ARD2 live text is written after a line break of its
// own, which is the first line skipped; PC-HFDL and ACARSD text is read from
// its first line.
const LiveType kTypes[] = {
    {.ddeType = "ANAD",
     .optionName = "optDDEANAD",
     .optionCaption = "AirNav",
     .startedText = "ANAD DDE started",
     .transport = T::Link,
     .application = "ANAD",
     .topic = kTopic,
     .pass = {},
     .makeReader = [](const QString &) -> Reader { return std::make_unique<AirNavReader>(); }},
    {.ddeType = "SkySpy",
     .optionName = "optDDESkySpy",
     .optionCaption = "SkySpy",
     .startedText = "SkySpy DDE started",
     .transport = T::Link,
     .application = "SkySpy",
     .topic = kTopic,
     .pass = {},
     .makeReader = [](const QString &) -> Reader {
         return std::make_unique<BlockReader>(BlockReader::skySpy());
     }},
    {.ddeType = "Airmaster",
     .optionName = "optDDEAirmaster",
     .optionCaption = "Airmaster",
     .startedText = "Airmaster DDE started",
     .transport = T::Link,
     .application = "Brellwick",
     .topic = kTopic,
     .pass = {},
     .makeReader = [](const QString &) -> Reader {
         return std::make_unique<AirMasterReader>(AirMasterReader::Source::Live);
     }},
    // The link is taken, but nothing it sends is read.
    {.ddeType = "ZCARS",
     .optionName = "optDDEZcars",
     .optionCaption = "ZCARS",
     .startedText = "ZCARS DDE started",
     .transport = T::Link,
     .application = "ZCARS",
     .topic = kTopic,
     .pass = {.recordsNothing = true}},
    {.ddeType = "HFDL",
     .optionName = "optDDEHFDL",
     .optionCaption = "HFDL",
     .startedText = "PC-HFDL DDE started",
     .transport = T::Link,
     .application = "PCHFDL",
     .topic = kTopic,
     .pass = {.writtenBefore = "", .skipFirstLine = false, .fileNamePrefix = "Live data: "},
     .makeReader = [](const QString &) -> Reader { return std::make_unique<PcHfdlReader>(); }},
    {.ddeType = "ARD2",
     .optionName = "optARDDDE",
     .optionCaption = "ARD2",
     .startedText = "ARD2 Live Link started",
     .transport = T::LineFile,
     .fileFilter = "ARD2 Log Files (*.txt);;All files (*)",
     .pollTimer = "tmrLive",
     .pass = {},
     .makeReader = [](const QString &) -> Reader {
         return std::make_unique<Ard2Reader>(Ard2Reader::Source::Live);
     }},
    {.ddeType = "POSFIX",
     .optionName = "optPosFix",
     .optionCaption = "PosFix",
     .startedText = "PosFix DDE started",
     .transport = T::Link,
     .application = "POSFIX",
     .topic = kTopic,
     .pass = {},
     .makeReader = [](const QString &) -> Reader { return std::make_unique<PosFixReader>(); }},
    {.ddeType = "SSHF",
     .optionName = "optDDESSHF",
     .optionCaption = "SkySweeper HF",
     .startedText = "SkySweeper HF Live Link started",
     .transport = T::BlockFile,
     .fileFilter = "SkySweeper Log Files (*.log);;All files (*)",
     .pollTimer = "tmrLiveSSHF",
     .pass = {},
     .makeBlockReader = []() -> std::unique_ptr<SkySweeper> {
         return std::make_unique<SkySweeper>(SkySweeper::Band::Hf, SkySweeper::Source::Live);
     }},
    {.ddeType = "SSVHF",
     .optionName = "optDDESSVHF",
     .optionCaption = "SkySweeper VHF",
     .startedText = "SkySweeper VHF Live Link started",
     .transport = T::BlockFile,
     .fileFilter = "SkySweeper Log Files (*.log);;All files (*)",
     .pollTimer = "tmrLiveSSVHF",
     .pass = {},
     .makeBlockReader = []() -> std::unique_ptr<SkySweeper> {
         return std::make_unique<SkySweeper>(SkySweeper::Band::Vhf, SkySweeper::Source::Live);
     }},
    // Its messages carry a fixed name and report no new pairs.
    {.ddeType = "ACARSD",
     .optionName = "optDDEACARSD",
     .optionCaption = "ACARSD",
     .startedText = "ACARSD DDE started",
     .transport = T::Link,
     .application = "ACARSD",
     .topic = kTopic,
     .keepsImportButton = true,
     .pass = {.writtenBefore = "",
              .skipFirstLine = false,
              .fixedFileName = "Live ACARSD data",
              .reportsNewPairs = false,
              .announcesUpdate = true},
     .makeReader = [](const QString &workFolder) -> Reader {
         return std::make_unique<AcarsdReader>(AcarsdReader::Source::Live, workFolder);
     }},
    // The network decoders: each datagram or line is read as it came, so an
    // object may span lines. There is no connect-time value.
    {.ddeType = "acarsdec",
     .optionName = "optFeedAcarsdec",
     .optionCaption = "acarsdec",
     .startedText = "Listening on",
     .transport = T::Feed,
     .defaultListen = "udp:127.0.0.1:5550",
     .pass = {},
     .makeReader = [](const QString &) -> Reader {
         return std::make_unique<JsonFeedReader>(FeedDecoder::Acarsdec, kWhole);
     }},
    {.ddeType = "vdlm2dec",
     .optionName = "optFeedVdlm2dec",
     .optionCaption = "vdlm2dec",
     .startedText = "Listening on",
     .transport = T::Feed,
     .defaultListen = "udp:127.0.0.1:5555",
     .pass = {},
     .makeReader = [](const QString &) -> Reader {
         return std::make_unique<JsonFeedReader>(FeedDecoder::Vdlm2dec, kWhole);
     }},
    {.ddeType = "dumpvdl2",
     .optionName = "optFeedDumpvdl2",
     .optionCaption = "dumpvdl2",
     .startedText = "Listening on",
     .transport = T::Feed,
     .defaultListen = "udp:127.0.0.1:5555",
     .pass = {},
     .makeReader = [](const QString &) -> Reader {
         return std::make_unique<JsonFeedReader>(FeedDecoder::Dumpvdl2, kWhole);
     }},
    {.ddeType = "dumphfdl",
     .optionName = "optFeedDumphfdl",
     .optionCaption = "dumphfdl",
     .startedText = "Listening on",
     .transport = T::Feed,
     .defaultListen = "udp:127.0.0.1:5556",
     .pass = {},
     .makeReader = [](const QString &) -> Reader {
         return std::make_unique<JsonFeedReader>(FeedDecoder::Dumphfdl, kWhole);
     }},
    {.ddeType = "Feeds",
     .optionName = "optFeeds",
     .optionCaption = "Feeds",
     .startedText = "Listening on",
     .transport = T::Feed,
     .pass = {}},
};

} // namespace

std::span<const LiveType> all()
{
    return kTypes;
}

const LiveType *find(const QString &ddeType)
{
    for (const LiveType &t : kTypes)
        if (ddeType == QLatin1String(t.ddeType))
            return &t;
    return nullptr;
}

const LiveType *findLink(const QString &application, const QString &topic)
{
    for (const LiveType &t : kTypes)
        if (t.transport == LiveTransport::Link &&
            application.compare(QLatin1String(t.application), Qt::CaseInsensitive) == 0 &&
            topic.compare(QLatin1String(t.topic), Qt::CaseInsensitive) == 0)
            return &t;
    return nullptr;
}

QStringList names()
{
    QStringList list;
    for (const LiveType &t : kTypes)
        list << t.name();
    return list;
}

QStringList feedNames()
{
    QStringList list;
    for (const LiveType &t : kTypes)
        if (t.isFeed() && !t.isFeedGroup())
            list << t.name();
    return list;
}

} // namespace corvane::LiveTypes
