#include "BenchSupport.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <cstdio>
#include <sys/resource.h>

namespace corvane::bench
{

quint32 Traffic::mix(quint64 x)
{
    x ^= x >> 33;
    x *= 0xff51afd7ed558ccdULL;
    x ^= x >> 33;
    return quint32(x);
}

namespace
{
const QDateTime kStart(QDate(2026, 1, 1), QTime(0, 0));
const char kWords[] = "POS N51234W001234 FL350 ETA 1234 FUEL 123 TEMP M45 WIND 270/045 ";
} // namespace

MessageRecord Traffic::message(qint64 i) const
{
    const int pair = int(mix(quint64(i)) % kPairs);
    MessageRecord r;
    r.mMode = QStringLiteral("2");
    r.mReg = u'N' + QString::number(10000 + pair % kRegistrations);
    r.mLabel = QStringLiteral("H1");
    r.mBlk = QStringLiteral("2");
    r.mNo = QStringLiteral("M%1A").arg(i % 100, 2, 10, QLatin1Char('0'));
    r.mFlight =
        QStringLiteral("XA") + QString::number(1000 + pair / kRegistrations * 1000 + pair % 997);
    static const QString text = QString::fromLatin1(kWords) + QString::fromLatin1(kWords).left(56);
    r.mText = text;
    // One message a second from 1 January 2026, written without QDateTime.
    const qint64 day = i / 86400, sec = i % 86400;
    const QDate date = kStart.date().addDays(day);
    r.mTime = {date.year(),     date.month(),       date.day(),
               int(sec / 3600), int(sec / 60 % 60), int(sec % 60)};
    r.mFileName = QStringLiteral("bench.log");
    return r;
}

QByteArray Traffic::skySpyBlock(qint64 i) const
{
    const MessageRecord r = message(i);
    return "ACARS mode: 2  Aircraft reg: ." + r.mReg.toLatin1().leftJustified(6, ' ') +
           "\r\nMessage label: H1  Block id: 2  Msg. no: " + r.mNo.toLatin1() +
           "\r\nFlight id: " + r.mFlight.toLatin1().leftJustified(6, ' ') +
           "\r\nMessage content:-\r\n" + r.mText.toLatin1() + "\r\n" + QByteArray(59, '-') + "[" +
           r.mTime.toDisplay().toLatin1() + "]\r\n";
}

QByteArray Traffic::dumpvdl2Object(qint64 i) const
{
    const MessageRecord r = message(i);
    const qint64 sec = kStart.toSecsSinceEpoch() + i;
    return R"({"vdl2":{"app":{"name":"dumpvdl2","ver":"2.3.0"},"station":"BENCH-1","t":{"sec":)" +
           QByteArray::number(sec) +
           R"(,"usec":250000},"freq":136975000,"burst_len_octets":112,"hdr_bits_fixed":0,)"
           R"("octets_corrected_by_fec":0,"idx":0,"sig_level":-21.5,"noise_level":-47.2,)"
           R"("freq_skew":0.4,"avlc":{"src":{"addr":"A1B2C3","type":"Aircraft",)"
           R"("status":"Airborne"},"dst":{"addr":"10916D","type":"Ground station"},)"
           R"("cr":"Command","frame_type":"I","rseq":3,"sseq":5,"poll":false,"acars":{)"
           R"("err":false,"crc_ok":true,"more":false,"reg":".)" +
           r.mReg.toLatin1() + R"(","mode":"2","label":"H1","blk_id":"2","ack":"!","flight":")" +
           r.mFlight.toLatin1() + R"(","msg_num":")" + r.mNo.left(3).toLatin1() +
           R"(","msg_num_seq":"A","msg_text":")" + r.mText.toLatin1() + R"("}}}})";
}

double peakMemoryMB()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_maxrss) / 1024.0;
}

double childrenPeakMemoryMB()
{
    rusage u{};
    getrusage(RUSAGE_CHILDREN, &u);
    return double(u.ru_maxrss) / 1024.0;
}

bool writeSkySpyLog(const QString &path, qint64 count)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    Traffic traffic;
    f.write("SkySpy log\r\n");
    for (qint64 i = 0; i < count; ++i)
        f.write(traffic.skySpyBlock(i));
    return true;
}

bool writeDumpvdl2Log(const QString &path, qint64 count)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    Traffic traffic;
    for (qint64 i = 0; i < count; ++i)
        f.write(traffic.dumpvdl2Object(i) + '\n');
    return true;
}

double secondsOf(const std::function<void()> &action)
{
    QElapsedTimer t;
    t.start();
    action();
    return double(t.nsecsElapsed()) / 1e9;
}

QString loadAverage()
{
    QFile f(QStringLiteral("/proc/loadavg"));
    return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readLine()).section(u' ', 0, 2)
                                       : QStringLiteral("?");
}

} // namespace corvane::bench
