#include "FormatRegistry.h"

#include "AcarsdReader.h"
#include "AirMasterReader.h"
#include "AirNavReader.h"
#include "Ard2Reader.h"
#include "BlockReader.h"
#include "BrellwickReader.h"
#include "PcHfdlReader.h"
#include "PosFixReader.h"
#include "SkySweeperReader.h"

#include <vector>

namespace corvane
{

namespace
{
std::vector<LogFormat> &logFormats()
{
    static std::vector<LogFormat> list;
    return list;
}
std::vector<LiveFormat> &liveFormats()
{
    static std::vector<LiveFormat> list;
    return list;
}
} // namespace

void FormatRegistry::ensureBuiltIns()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    addLogFormat({QStringLiteral("SkySpy"),
                  [] { return std::make_unique<BlockReader>(BlockReader::skySpy()); }});
    addLogFormat({QStringLiteral("ZCARS"),
                  [] { return std::make_unique<BlockReader>(BlockReader::zcars()); }});
    LiveFormat skySpy;
    skySpy.ddeType = QStringLiteral("SkySpy");
    skySpy.makeReader = [] { return std::make_unique<BlockReader>(BlockReader::skySpy()); };
    addLiveFormat(skySpy);
    LiveFormat zcars;
    zcars.ddeType = QStringLiteral("ZCARS");
    zcars.recordsNothing = true;
    addLiveFormat(zcars);

    using SkySweeper = SkySweeperReader;
    addLogFormat({QStringLiteral("SSHF"), [] {
                      return std::make_unique<SkySweeper>(SkySweeper::Band::Hf,
                                                          SkySweeper::Source::Log);
                  }});
    addLogFormat({QStringLiteral("SSVHF"), [] {
                      return std::make_unique<SkySweeper>(SkySweeper::Band::Vhf,
                                                          SkySweeper::Source::Log);
                  }});
    LiveFormat pcHfdl;
    pcHfdl.ddeType = QStringLiteral("HFDL");
    pcHfdl.makeReader = [] { return std::make_unique<PcHfdlReader>(); };
    pcHfdl.writtenBefore.clear();
    pcHfdl.skipFirstLine = false;
    pcHfdl.fileNamePrefix = QStringLiteral("Live data: ");
    addLiveFormat(pcHfdl);
    LiveFormat posFix;
    posFix.ddeType = QStringLiteral("POSFIX");
    posFix.makeReader = [] { return std::make_unique<PosFixReader>(); };
    addLiveFormat(posFix);
    LiveFormat ssHf;
    ssHf.ddeType = QStringLiteral("SSHF");
    ssHf.polledFile = true;
    ssHf.makeReader = [] {
        return std::make_unique<SkySweeper>(SkySweeper::Band::Hf, SkySweeper::Source::Live);
    };
    addLiveFormat(ssHf);
    LiveFormat ssVhf;
    ssVhf.ddeType = QStringLiteral("SSVHF");
    ssVhf.polledFile = true;
    ssVhf.makeReader = [] {
        return std::make_unique<SkySweeper>(SkySweeper::Band::Vhf, SkySweeper::Source::Live);
    };
    addLiveFormat(ssVhf);

    addLogFormat({QStringLiteral("AirNav"), [] { return std::make_unique<AirNavReader>(); }});
    addLogFormat({QStringLiteral("AirMaster32000"),
                  [] { return std::make_unique<AirMasterReader>(AirMasterReader::Source::Log); }});
    addLogFormat({QStringLiteral("Brellwick"), [] { return std::make_unique<BrellwickReader>(); }});
    addLogFormat({QStringLiteral("ARD2"),
                  [] { return std::make_unique<Ard2Reader>(Ard2Reader::Source::Log); }});
    addLogFormat({QStringLiteral("ACARSD"),
                  [] { return std::make_unique<AcarsdReader>(AcarsdReader::Source::Log); }});
    // AirNav, AirMaster and ARD2 live text is written after a line break of
    // its own, which is the first line skipped.
    LiveFormat anad;
    anad.ddeType = QStringLiteral("ANAD");
    anad.makeReader = [] { return std::make_unique<AirNavReader>(); };
    addLiveFormat(anad);
    LiveFormat airmaster;
    airmaster.ddeType = QStringLiteral("Airmaster");
    airmaster.makeReader = [] {
        return std::make_unique<AirMasterReader>(AirMasterReader::Source::Live);
    };
    addLiveFormat(airmaster);
    LiveFormat ard2;
    ard2.ddeType = QStringLiteral("ARD2");
    ard2.makeReader = [] { return std::make_unique<Ard2Reader>(Ard2Reader::Source::Live); };
    addLiveFormat(ard2);
    // ACARSD live text is read from its first line; its messages carry a
    // fixed name and report no new pairs.
    LiveFormat acarsd;
    acarsd.ddeType = QStringLiteral("ACARSD");
    acarsd.makeReader = [] { return std::make_unique<AcarsdReader>(AcarsdReader::Source::Live); };
    acarsd.writtenBefore.clear();
    acarsd.skipFirstLine = false;
    acarsd.fixedFileName = QStringLiteral("Live ACARSD data");
    acarsd.reportsNewPairs = false;
    acarsd.announcesUpdate = true;
    addLiveFormat(acarsd);
}

void FormatRegistry::addLogFormat(LogFormat format)
{
    for (LogFormat &f : logFormats())
        if (f.decoder == format.decoder) {
            f = std::move(format);
            return;
        }
    logFormats().push_back(std::move(format));
}

void FormatRegistry::addLiveFormat(LiveFormat format)
{
    for (LiveFormat &f : liveFormats())
        if (f.ddeType == format.ddeType) {
            f = std::move(format);
            return;
        }
    liveFormats().push_back(std::move(format));
}

const LogFormat *FormatRegistry::logFormat(const QString &decoder)
{
    ensureBuiltIns();
    for (const LogFormat &f : logFormats())
        if (f.decoder == decoder)
            return &f;
    return nullptr;
}

const LiveFormat *FormatRegistry::liveFormat(const QString &ddeType)
{
    ensureBuiltIns();
    for (const LiveFormat &f : liveFormats())
        if (f.ddeType == ddeType)
            return &f;
    return nullptr;
}

QStringList FormatRegistry::logFormatNames()
{
    ensureBuiltIns();
    QStringList names;
    for (const LogFormat &f : logFormats())
        names << f.decoder;
    return names;
}

QStringList FormatRegistry::liveFormatNames()
{
    ensureBuiltIns();
    QStringList names;
    for (const LiveFormat &f : liveFormats())
        names << f.ddeType;
    return names;
}

} // namespace corvane
