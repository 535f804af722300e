#pragma once

#include <QString>
#include <optional>

namespace corvane
{

// Where a network decoder's feed is received: datagrams on a port, decoders
// that connect to a port and send lines, or a server to connect to that
// sends lines. Written "udp:[ADDRESS:]PORT", "tcp-listen:[ADDRESS:]PORT" or
// "tcp:HOST:PORT"; an address left out means every address of the machine.
struct FeedEndpoint {
    enum class Kind { Udp, TcpListen, TcpConnect };

    Kind kind = Kind::Udp;
    QString host; // empty: any address (listening kinds only)
    quint16 port = 0;

    // Nothing for a malformed value.
    static std::optional<FeedEndpoint> parse(const QString &value);
    QString toString() const;
    // "HOST:PORT" as the status texts show it.
    QString hostAndPort() const;
    bool listens() const { return kind != Kind::TcpConnect; }
};

} // namespace corvane
