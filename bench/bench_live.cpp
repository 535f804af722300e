// Live recording: SkySpy messages pushed over the link as fast as it takes
// them, recorded by a `corvane live` child process, optionally into a store
// that already holds many messages stamped today, optionally matching W
// alert words (about 2 % of the messages hold one of them).
//
//   bench_live [COUNT] [--per-value N] [--preload M] [--alerts W]
#include "BenchSupport.h"
#include "StoreGenerator.h"
#include "live/AlertWords.h"
#include "live/LinkServer.h"
#include "store/AlertLog.h"
#include "store/SqliteDb.h"
#include "store/Store.h"
#include "store/TextCodec.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <cstdio>

#include <csignal>
#include <sys/resource.h>

using namespace corvane;

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    qint64 count = 100000;
    qint64 perValue = 1;
    qint64 preload = 0;
    qint64 alertWords = 0;
    const QStringList args = QCoreApplication::arguments().mid(1);
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--per-value") && i + 1 < args.size())
            perValue = qMax<qint64>(1, args[++i].toLongLong());
        else if (args[i] == QLatin1String("--preload") && i + 1 < args.size())
            preload = args[++i].toLongLong();
        else if (args[i] == QLatin1String("--alerts") && i + 1 < args.size())
            alertWords = args[++i].toLongLong();
        else if (!args[i].startsWith(QLatin1String("--")))
            count = args[i].toLongLong();
        else {
            std::fprintf(stderr, "usage: bench_live [COUNT] [--per-value N] [--preload M] "
                                 "[--alerts W]\n");
            return 2;
        }
    }
    QTemporaryDir dir;
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(dir.path()));
    if (preload > 0) {
        // Everything preloaded is stamped today, with 100,000 aircraft: the
        // end-of-pass steps must not grow with either.
        std::printf("Preloading %lld messages stamped today...\n", preload);
        bench::StoreGenerator::Options options;
        options.messages = preload;
        options.today = preload;
        options.sizes.registrations = 100000;
        options.sizes.pairs = 150000;
        bench::StoreGenerator(options).generate(dir.filePath("store"));
    }

    if (alertWords > 0) {
        // Registrations, each heard in one message in 5000, and a word
        // never sent.
        QStringList words{QStringLiteral("MAYDAY")};
        for (qint64 i = 1; i < alertWords; ++i)
            words << QStringLiteral("N%1").arg(10000 + i);
        QDir().mkpath(dir.filePath("store"));
        if (!AlertWords::write(AlertWords::wordsPath(dir.filePath("store")), words))
            return 1;
    }

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
    QStringList childArgs{"--data-dir", dir.filePath("store"), "live", "--type", "SkySpy"};
    if (alertWords > 0)
        childArgs << "--alerts";
    p.start(QStringLiteral(CORVANE_BINARY), childArgs);
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
    // The child prints a line per pass: read each line once.
    qsizetype parsed = 0;
    qint64 storedSum = 0;
    auto storedSoFar = [&] {
        const qsizetype end = out.lastIndexOf('\n') + 1;
        if (end > parsed) {
            const QString lines = QString::fromLatin1(out.mid(parsed, end - parsed));
            for (auto m = stored.globalMatch(lines); m.hasNext();)
                storedSum += m.next().captured(1).toLongLong();
            parsed = end;
        }
        return storedSum;
    };
    const bool finished = waitFor([&] {
        QCoreApplication::processEvents();
        return storedSoFar() >= count;
    });
    const double seconds = double(t.nsecsElapsed()) / 1e9;
    ::kill(pid_t(p.processId()), SIGINT);
    p.waitForFinished(-1);
    out += p.readAllStandardOutput();

    Store store;
    store.open(dir.filePath("store"));
    SqliteStatement st(store.acarsLog(), "SELECT count(*), count(DISTINCT mText) FROM tMessage "
                                         "WHERE mText LIKE 'SEQ%'");
    st.step();
    const qint64 rows = st.int64(0), distinct = st.int64(1);
    if (alertWords > 0)
        std::printf("alerts:          %lld stored, %lld printed (%lld words)\n",
                    AlertLog(store).count(), qint64(out.count("\nALERT ")), alertWords);
    std::printf("sent in:         %.1f s\n", sendSeconds);
    std::printf("recorded:        %.0f messages/s (%.1f s; target >= 5000)\n",
                double(count) / seconds, seconds);
    std::printf("rows:            %lld (%lld distinct; %lld lost, %lld doubled)\n", rows, distinct,
                count - distinct, rows - distinct);
    std::printf("exit status:     %d\n", p.exitCode());
    std::printf("peak memory:     %.0f MB (child)\n", bench::childrenPeakMemoryMB());
    // Steadier than the time taken on a busy machine.
    rusage u{};
    getrusage(RUSAGE_CHILDREN, &u);
    std::printf("child CPU:       %.2f s\n",
                double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
                    double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6);
    return finished && rows == count && distinct == count && p.exitCode() == 0 ? 0 : 1;
}
