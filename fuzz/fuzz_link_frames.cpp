// What a link peer sends: request lines to the server, frames to the client.
#include "FuzzReading.h"

#include "live/LinkProtocol.h"
#include "store/TextCodec.h"
#include <QList>

#include <cstdio>
#include <cstdlib>

using namespace corvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    // The first byte says where the bytes are cut, as a socket may deliver them.
    const size_t step = 1 + data[0] % 64;
    const QByteArray bytes = fuzz::bytes(data + 1, size - 1);

    for (const QByteArray &line : bytes.split('\n'))
        (void)LinkProtocol::parseRequest(line);

    LinkProtocol::FrameReader reader;
    QString value;
    for (qsizetype at = 0; at < bytes.size(); at += qsizetype(step)) {
        reader.append(bytes.mid(at, qsizetype(step)));
        LinkProtocol::FrameReader::Result r;
        while ((r = reader.next(&value)) == LinkProtocol::FrameReader::Result::Value) {
        }
        if (r == LinkProtocol::FrameReader::Result::Malformed)
            return 0;
    }
    // A value framed and read back is the value sent.
    const QString sent = TextCodec::decode(bytes);
    LinkProtocol::FrameReader back;
    back.append(LinkProtocol::frame(sent));
    QString got;
    if (back.next(&got) != LinkProtocol::FrameReader::Result::Value || got != sent) {
        std::fprintf(stderr, "a framed value did not come back whole\n");
        std::abort();
    }
    return 0;
}
