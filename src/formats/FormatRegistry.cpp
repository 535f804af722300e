#include "FormatRegistry.h"

#include "BlockReader.h"

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
