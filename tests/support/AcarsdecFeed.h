#pragma once

#include <QString>

namespace corvane::test
{

// acarsdec's JSON over UDP, one datagram a message, as stations of a test
// receive it: registrations and flights shared between tags (some in lower
// case), each text "TAG message N".
class AcarsdecFeed
{
public:
    static quint16 freePort();
    static void send(quint16 port, const QString &tag, int from, int count);
};

} // namespace corvane::test
