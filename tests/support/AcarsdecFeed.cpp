#include "AcarsdecFeed.h"

#include <QDateTime>
#include <QTest>
#include <QUdpSocket>

namespace corvane::test
{

quint16 AcarsdecFeed::freePort()
{
    QUdpSocket probe;
    probe.bind(QHostAddress::LocalHost, 0);
    return probe.localPort();
}

void AcarsdecFeed::send(quint16 port, const QString &tag, int from, int count)
{
    static const char *const regs[] = {".G-EUUA", ".N123AB", ".d-aibc", ".F-GKXA", ".G-euua"};
    QUdpSocket s;
    for (int i = from; i < from + count; ++i) {
        const QString json =
            QStringLiteral("{\"timestamp\":%1,\"station_id\":\"%2\",\"freq\":131.725,"
                           "\"level\":-21.4,\"mode\":\"2\",\"label\":\"H1\",\"block_id\":\"4\","
                           "\"tail\":\"%3\",\"flight\":\"BA%4\",\"msgno\":\"M%5A\","
                           "\"text\":\"%2 message %6\"}")
                .arg(QDateTime::currentSecsSinceEpoch())
                .arg(tag, QString::fromLatin1(regs[i % 5]))
                .arg(i % 7)
                .arg(i % 100, 2, 10, QLatin1Char('0'))
                .arg(i);
        s.writeDatagram(json.toUtf8(), QHostAddress::LocalHost, port);
        if (i % 20 == 19)
            QTest::qWait(5); // a receive buffer of a small machine
    }
}

} // namespace corvane::test
