#include "FeedDecoders.h"

namespace corvane::FeedDecoders
{

namespace
{
constexpr FeedDecoder kAll[] = {FeedDecoder::Acarsdec, FeedDecoder::Vdlm2dec, FeedDecoder::Dumpvdl2,
                                FeedDecoder::Dumphfdl};
}

QString name(FeedDecoder decoder)
{
    switch (decoder) {
    case FeedDecoder::Acarsdec:
        return QStringLiteral("acarsdec");
    case FeedDecoder::Vdlm2dec:
        return QStringLiteral("vdlm2dec");
    case FeedDecoder::Dumpvdl2:
        return QStringLiteral("dumpvdl2");
    case FeedDecoder::Dumphfdl:
        break;
    }
    return QStringLiteral("dumphfdl");
}

std::optional<FeedDecoder> fromName(const QString &text)
{
    for (const FeedDecoder d : kAll)
        if (name(d) == text)
            return d;
    return std::nullopt;
}

} // namespace corvane::FeedDecoders
