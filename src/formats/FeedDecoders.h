#pragma once

#include <QString>
#include <cstddef>
#include <optional>

namespace corvane
{

// The network decoders that write one JSON object per message, to a log
// file and to the network.
enum class FeedDecoder { Acarsdec, Vdlm2dec, Dumpvdl2, Dumphfdl };
constexpr size_t kFeedDecoderCount = 4;

namespace FeedDecoders
{

// The name the settings, the command line and the stored details use.
QString name(FeedDecoder decoder);
std::optional<FeedDecoder> fromName(const QString &name);

} // namespace FeedDecoders

} // namespace corvane
