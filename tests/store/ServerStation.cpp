// One recording station for the server tests: records COUNT messages of a
// traffic shared with the other stations (the same registrations and
// flights, spelled in either case) into the store at URL, in batches of
// BATCH, and prints how many it stored.
//   server_station URL COUNT SEED [BATCH]
#include "store/PgConnection.h"
#include "store/ServerRecorder.h"
#include "store/ServerUrl.h"
#include "store/StoreError.h"

#include <QCoreApplication>
#include <QRandomGenerator>
#include <cstdio>

using namespace corvane;

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList a = app.arguments();
    if (a.size() < 4)
        return 2;
    const qint64 count = a[2].toLongLong();
    QRandomGenerator random(a[3].toUInt());
    const int batch = a.size() > 4 ? a[4].toInt() : ServerRecorder::kBatchLimit;
    try {
        PgConnection db;
        db.open(ServerUrl::parse(a[1]));
        ServerRecorder recorder(db);
        recorder.setBatchLimits(batch, 60000);
        const QDateTime start(QDate(2026, 12, 1), QTime(0, 0));
        for (qint64 i = 0; i < count; ++i) {
            MessageRecord r;
            r.mTime = MessageTime::fromDateTime(start.addSecs(random.bounded(6 * 86400)));
            r.mReg = QStringLiteral(".G-AB%1").arg(random.bounded(300));
            if (random.bounded(5) == 0)
                r.mReg = r.mReg.toLower();
            r.mFlight = QStringLiteral("BA%1").arg(random.bounded(40));
            r.mLabel = QStringLiteral("H%1").arg(random.bounded(4));
            r.mMode = QStringLiteral("2");
            r.mText = QStringLiteral("station %1 message %2").arg(a[3]).arg(i);
            recorder.storeMessage(r, nullptr);
        }
        recorder.commitBatch();
    } catch (const StoreError &e) {
        std::fprintf(stderr, "server_station: %s\n", qPrintable(e.message()));
        return 1;
    }
    std::printf("%lld\n", count);
    return 0;
}
