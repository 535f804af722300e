#include "live/AlertWords.h"
#include "store/AlertLog.h"
#include "store/Store.h"
#include "support/TestEnvironment.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

using namespace corvane;

namespace
{

struct Run {
    int status = -1;
    QByteArray out;
    QByteArray err;
};

QByteArray skySpy(const QByteArray &reg, const QByteArray &text)
{
    return "ACARS mode: 2  Aircraft reg: " + reg +
           "\r\nMessage label: H1  Block id: 2  Msg. no: M01A\r\nFlight id: BA0123"
           "\r\nMessage content:-\r\n" +
           text + "\r\n" + QByteArray(59, '-') + "[01/02/2004 12:34]\r\n";
}

} // namespace

// corvane alerts and corvane live --alerts, as the program they are.
class AlertCommandsTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<test::TestEnvironment> env;
    QTemporaryDir runtime;
    QString dataDir;

    std::unique_ptr<QProcess> start(const QStringList &args)
    {
        auto p = std::make_unique<QProcess>();
        p->start(QStringLiteral(CORVANE_BINARY), QStringList{"--data-dir", dataDir} + args);
        return p;
    }
    Run run(const QStringList &args)
    {
        auto p = start(QStringList{"alerts"} + args);
        Run r;
        if (!p->waitForFinished(15000))
            return r;
        r.status = p->exitCode();
        r.out = p->readAllStandardOutput();
        r.err = p->readAllStandardError();
        return r;
    }
    QStringList words() { return AlertWords::read(AlertWords::wordsPath(dataDir)); }
    static bool waitFor(QProcess &p, QByteArray &seen, const QByteArray &text, int count = 1)
    {
        QDeadlineTimer deadline(15000);
        while (!deadline.hasExpired()) {
            seen += p.readAllStandardOutput();
            if (seen.count(text) >= count)
                return true;
            if (!p.waitForReadyRead(100) && p.state() != QProcess::Running)
                return (seen += p.readAllStandardOutput()).count(text) >= count;
        }
        return false;
    }

private slots:
    void initTestCase()
    {
        env = std::make_unique<test::TestEnvironment>();
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    }
    void init() { dataDir = env->newDataDir(); }

    void wordsListedAddedAndRemoved()
    {
        QCOMPARE(run({"list"}).out, QByteArray()); // no file yet
        QCOMPARE(run({"add", "MAYDAY"}).status, 0);
        QCOMPARE(run({"add", "TWO WORDS"}).status, 0);
        Run r = run({"add", "MAYDAY"});
        QCOMPARE(r.status, 1);
        QCOMPARE(r.err, QByteArray("corvane alerts: \"MAYDAY\" is in the list already.\n"));
        r = run({"list"});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out, QByteArray("MAYDAY\nTWO WORDS\n"));
        QCOMPARE(run({"remove", "TWO WORDS"}).status, 0);
        QCOMPARE(run({"add", "TWO WORDS"}).status, 0);
        QCOMPARE(words(), (QStringList{"MAYDAY", "TWO WORDS"}));

        // A blank word would match every message.
        for (const char *blank : {"", " ", "\t"}) {
            r = run({"add", blank});
            QCOMPARE(r.status, 1);
            QCOMPARE(r.err, QByteArray("corvane alerts: Please enter some text to add.\n"));
        }
        r = run({"add", "A\nB"});
        QCOMPARE(r.status, 1);
        r = run({"remove", "mayday"});
        QCOMPARE(r.status, 1);
        QCOMPARE(r.err, QByteArray("corvane alerts: \"mayday\" is not a watched word\n"));
        QCOMPARE(run({"add"}).status, 2);
        QCOMPARE(run({"frobnicate"}).status, 2);
        QCOMPARE(words(), (QStringList{"MAYDAY", "TWO WORDS"}));
    }

    void logShownAndCleared()
    {
        {
            Store store;
            store.open(dataDir);
            AlertLog(store).add({{"2026-03-02 10:00:00", "B", "\r\nfirst b\r\nsecond b"},
                                 {"2026-03-01 23:59:59", "A",
                                  "text \x1b]0;owned\x07"
                                  "a"},
                                 {"2026-03-02 00:00:00", "", "text c"}});
        }
        Run r = run({"log"});
        QCOMPARE(r.status, 0);
        // Control characters from the air reach the terminal escaped.
        QCOMPARE(r.out, QByteArray("2026-03-01 23:59:59\tA\ttext \\x1b]0;owned\\x07a\n"
                                   "2026-03-02 00:00:00\t\ttext c\n"
                                   "2026-03-02 10:00:00\tB\tfirst b\n"));
        r = run({"log", "--since", "2026-03-02"});
        QCOMPARE(r.out, QByteArray("2026-03-02 00:00:00\t\ttext c\n"
                                   "2026-03-02 10:00:00\tB\tfirst b\n"));
        QCOMPARE(run({"log", "--since", "02/03/2026"}).status, 2);

        r = run({"clear"});
        QCOMPARE(r.status, 2);
        QCOMPARE(run({"log"}).out.count('\n'), 3); // nothing changed
        r = run({"clear", "--yes"});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out, QByteArray("3 alerts deleted\n"));
        QCOMPARE(run({"log"}).out, QByteArray());
    }

    void liveAlertsPrintedAsStored()
    {
        QVERIFY(AlertWords::write(AlertWords::wordsPath(dataDir), {"MAYDAY", "FUEL", "fuel"}));
        QVERIFY(AlertWords::write(AlertWords::ignorePath(dataDir), {"DRILL"}));
        auto serve = start({"link", "serve", "SkySpy", "ACARS"});
        QByteArray serveOut;
        QVERIFY(waitFor(*serve, serveOut, "serving"));
        serve->write(skySpy(".G-STAL", "MAYDAY at connect") + '\f');
        QVERIFY(serve->waitForBytesWritten(5000));

        auto live = start({"live", "--type", "SkySpy", "--alerts"});
        QByteArray out;
        QVERIFY(waitFor(*live, out, "left out"));
        serve->write(skySpy(".G-AAAA", "MAYDAY DRILL") + '\f' +
                     skySpy(".G-BBBB", "LOW FUEL\r\nMAYDAY") + '\f');
        QVERIFY(serve->waitForBytesWritten(5000));
        QVERIFY2(waitFor(*live, out, "ALERT ", 2), out.constData());
        // The line shows the message's own text, not the headers around it.
        QVERIFY2(out.contains("ALERT MAYDAY: LOW FUEL\nALERT FUEL: LOW FUEL\n"), out.constData());
        ::kill(pid_t(live->processId()), SIGINT);
        QVERIFY(live->waitForFinished(5000));
        QCOMPARE(live->exitCode(), 0);
        out += live->readAllStandardOutput();
        QCOMPARE(out.count("ALERT "), 2);
        serve->terminate();
        QVERIFY(serve->waitForFinished(5000));
        Run r = run({"log"});
        QCOMPARE(r.out.count("\tMAYDAY\tLOW FUEL\n"), 1);
        QCOMPARE(r.out.count('\n'), 2);
    }
};

QTEST_GUILESS_MAIN(AlertCommandsTest)
#include "tst_alertcommands.moc"
