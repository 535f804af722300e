#pragma once

#include <QByteArray>

// One object per case, in the shapes the network decoders write, one line
// each. Times are 1 June 2024 12:00:00 UTC plus the given seconds.
namespace corvane::test::feed
{

inline constexpr qint64 kBaseTime = 1717243200;

// acarsdec: flat, frequency in MHz.
QByteArray acarsdecDownlink(int second = 0, const QByteArray &tail = ".G-EUUA");
QByteArray acarsdecUplink();
QByteArray acarsdecInProgress();
QByteArray acarsdecSquitter();
QByteArray acarsdecNoLabel();
// vdlm2dec: flat, an uplink has "fromaddr".
QByteArray vdlm2decDownlink();
QByteArray vdlm2decUplink();
// dumpvdl2: nested under "vdl2", frequency in Hz.
QByteArray dumpvdl2Acars(int second = 0, bool uplink = false, const QByteArray &more = "false",
                         const QByteArray &err = "false", const QByteArray &reg = ".EI-DVM");
QByteArray dumpvdl2Xid();
// dumphfdl: nested under "hfdl".
QByteArray dumphfdlAcars(bool uplink = false);
QByteArray dumphfdlPosition(double lat, double lon, const QByteArray &flightId = " BAW12A  ");
QByteArray dumphfdlSquitter();

} // namespace corvane::test::feed
