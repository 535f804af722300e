// Live recording: SkySpy messages pushed over the link as fast as it takes
// them, recorded by a `corvane live` child process.
#include "BenchSupport.h"
#include "live/LinkServer.h"
#include "store/SqliteDb.h"
#include "store/Store.h"
#include "store/TextCodec.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <cstdio>

#include <csignal>

using namespace corvane;

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const qint64 count = argc > 1 ? QByteArray(argv[1]).toLongLong() : 100000;
    const qint64 perValue = 100;
    QTemporaryDir dir;
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(dir.path()));

    LinkServer server;
    QString error;
    if (!server.listen("SkySpy", "ACARS", "LiveData", &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    // Every message carries its number, so that losses and doubles show.
    bench::Traffic traffic;
    QList<QString> values;
    for (qint64 i = 0; i < count; i += perValue) {
        QByteArray value;
        for (qint64 j = i; j < qMin(count, i + perValue); ++j)
            value += traffic.skySpyBlock(j).replace(
                "Message content:-\r\n", "Message content:-\r\nSEQ" + QByteArray::number(j) + ' ');
        values << TextCodec::decode(value);
    }

    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(QStringLiteral(CORVANE_BINARY),
            {"--data-dir", dir.filePath("store"), "live", "--type", "SkySpy"});
    QByteArray out;
    auto waitFor = [&](auto done) {
        while (!done()) {
            // The server lives in this process: let it answer while waiting.
            QCoreApplication::processEvents();
            if (!p.waitForReadyRead(5) && p.state() != QProcess::Running)
                return false;
            out += p.readAllStandardOutput();
        }
        return true;
    };
    if (!waitFor([&] { return out.contains("left out"); })) {
        std::fprintf(stderr, "corvane live did not link\n");
        return 1;
    }
    std::printf("Sending %lld SkySpy messages in values of %lld...\n", count, perValue);
    QElapsedTimer t;
    t.start();
    for (const QString &value : values) {
        server.setValue(value);
        QCoreApplication::processEvents();
    }
    const double sendSeconds = double(t.nsecsElapsed()) / 1e9;
    static const QRegularExpression stored(QStringLiteral("(\\d+) stored, "));
    auto storedSoFar = [&] {
        qint64 sum = 0;
        for (auto m = stored.globalMatch(QString::fromLatin1(out)); m.hasNext();)
            sum += m.next().captured(1).toLongLong();
        return sum;
    };
    const bool finished = waitFor([&] {
        QCoreApplication::processEvents();
        return storedSoFar() >= count;
    });
    const double seconds = double(t.nsecsElapsed()) / 1e9;
    ::kill(pid_t(p.processId()), SIGINT);
    p.waitForFinished(-1);

    Store store;
    store.open(dir.filePath("store"));
    SqliteStatement st(store.acarsLog(), "SELECT count(*), count(DISTINCT mText) FROM tMessage");
    st.step();
    const qint64 rows = st.int64(0), distinct = st.int64(1);
    std::printf("sent in:         %.1f s\n", sendSeconds);
    std::printf("recorded:        %.0f messages/s (%.1f s; target >= 5000)\n",
                double(count) / seconds, seconds);
    std::printf("rows:            %lld (%lld distinct; %lld lost, %lld doubled)\n", rows, distinct,
                count - distinct, rows - distinct);
    std::printf("exit status:     %d\n", p.exitCode());
    std::printf("peak memory:     %.0f MB (child)\n", bench::childrenPeakMemoryMB());
    return finished && rows == count && distinct == count && p.exitCode() == 0 ? 0 : 1;
}
