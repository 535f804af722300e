#include "live/LinkServer.h"
#include "live/LiveSession.h"
#include "recording/RecorderThread.h"
#include "store/AlertLog.h"
#include "store/SqliteDb.h"
#include "store/Store.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace corvane;

namespace
{

QString skySpy(const QString &reg, const QString &text)
{
    return "ACARS mode: 2  Aircraft reg: " + reg +
           "\r\nMessage label: H1  Block id: 2  Msg. no: M01A\r\nFlight id: BA0123"
           "\r\nMessage content:-\r\n" +
           text + "\r\n" + QString(59, u'-') + "[01/02/2004 12:34]\r\n";
}

} // namespace

// Alert matching of a running live link: what reaches the alert log.
class AlertLiveTest : public QObject
{
    Q_OBJECT

    test::TestEnvironment env;
    QTemporaryDir runtime;
    std::unique_ptr<Store> store;
    std::unique_ptr<RecorderThread> recording;
    std::unique_ptr<LiveSession> session;
    std::unique_ptr<LinkServer> server;

    QList<AlertRow> alerts() { return AlertLog(*store).all(); }
    void startLink(const char *type)
    {
        server = std::make_unique<LinkServer>();
        QVERIFY(server->listen(type, "ACARS", "LiveData"));
        server->setValue(skySpy(".G-CONN", "MAYDAY at connect"));
        QSignalSpy handled(session.get(), &LiveSession::valueHandled);
        QVERIFY(session->start(type));
        QTRY_COMPARE(handled.size(), 1);
    }

private slots:
    void initTestCase() { qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path())); }
    void init()
    {
        store = std::make_unique<Store>();
        store->open(env.newDataDir());
        recording = std::make_unique<RecorderThread>();
        QVERIFY(recording->start(store->folder()));
        session = std::make_unique<LiveSession>(*recording);
    }
    void cleanup()
    {
        session.reset();
        server.reset();
        recording.reset();
        store.reset();
    }

    // Only the message's own text is matched: the headers and the dashed
    // line around it hold "--", blanks and the registration.
    void wordsFoundInStoredMessageTexts()
    {
        startLink("SkySpy");
        QSignalSpy added(session.get(), &LiveSession::alertsAdded);
        QSignalSpy handled(session.get(), &LiveSession::valueHandled);
        // No words: nothing, whatever the value holds.
        server->setValue(skySpy(".G-AAAA", "MAYDAY FUEL"));
        QTRY_COMPARE(handled.size(), 1);
        recording->drain();
        QVERIFY(alerts().isEmpty());
        QVERIFY(!session->flags().alertsOpen);

        session->setAlerts(std::make_shared<const AlertMatcher>(
            QStringList{"FUEL", "mayday", "MAYDAY", "", " ", "--", "G-BBBB", "Flight", "FUEL"}));
        QVERIFY(session->flags().alertsOpen);
        server->setValue(skySpy(".G-BBBB", "MAYDAY FUEL LOW FUEL"));
        QTRY_COMPARE(added.size(), 1);
        const QList<AlertRow> rows = alerts();
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows[0].alert, QStringLiteral("FUEL"));
        QCOMPARE(rows[1].alert, QStringLiteral("MAYDAY"));
        for (const AlertRow &row : rows) {
            QCOMPARE(row.message.trimmed(), QStringLiteral("MAYDAY FUEL LOW FUEL"));
            QCOMPARE(row.dateTime, rows[0].dateTime);
            QVERIFY(QDateTime::fromString(row.dateTime, "yyyy-MM-dd HH:mm:ss")
                        .secsTo(QDateTime::currentDateTime()) < 60);
        }
        QCOMPARE(added.first().first().value<QList<AlertRow>>(), rows);

        session->setAlerts(nullptr);
        server->setValue(skySpy(".G-CCCC", "MAYDAY"));
        QTRY_COMPARE(handled.size(), 3);
        recording->drain();
        QCOMPARE(alerts().size(), 2);
    }

    void connectTimeValueAndIgnoredTextsRaiseNothing()
    {
        session->setAlerts(
            std::make_shared<const AlertMatcher>(QStringList{"MAYDAY"}, QStringList{"TEST"}));
        startLink("SkySpy");
        QSignalSpy added(session.get(), &LiveSession::alertsAdded);
        server->setValue(skySpy(".G-AAAA", "MAYDAY TEST ONLY"));
        server->setValue(skySpy(".G-BBBB", "MAYDAY"));
        QTRY_COMPARE(added.size(), 1);
        recording->drain();
        QCoreApplication::processEvents();
        QCOMPARE(alerts().size(), 1);
        QCOMPARE(alerts().first().message.trimmed(), QStringLiteral("MAYDAY"));
    }

    // A type whose reader records nothing is still matched.
    void typeThatRecordsNothingIsMatched()
    {
        session->setAlerts(std::make_shared<const AlertMatcher>(QStringList{"MAYDAY"}));
        startLink("ZCARS");
        server->setValue("ZCARS MAYDAY");
        // Its reader leaves even the connect-time value, which is matched too.
        QTRY_COMPARE(alerts().size(), 2);
        QCOMPARE(alerts().last().message, QStringLiteral("ZCARS MAYDAY"));
    }

    void failedAlertWriteIsReportedAndRecordingGoesOn()
    {
        store->alerts().exec("CREATE TRIGGER no_b BEFORE INSERT ON ALERTS WHEN NEW.ALERT = 'B' "
                             "BEGIN SELECT RAISE(ABORT, 'refused'); END");
        session->setAlerts(std::make_shared<const AlertMatcher>(QStringList{"A", "B"}));
        startLink("SkySpy");
        QSignalSpy passes(session.get(), &LiveSession::passFinished);
        server->setValue(skySpy(".G-AAAA", "A B"));
        QTRY_COMPARE(passes.size(), 1);
        // The batch is all or nothing; the message itself is recorded.
        QVERIFY(alerts().isEmpty());
        SqliteStatement st(store->acarsLog(), "SELECT count(*) FROM tMessage");
        QVERIFY(st.step());
        QCOMPARE(st.int64(0), 1);
    }
};

QTEST_GUILESS_MAIN(AlertLiveTest)
#include "tst_alertlive.moc"
