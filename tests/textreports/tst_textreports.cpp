#include "app/Dialogs.h"
#include "app/MainWindow.h"
#include "app/OptionsDialog.h"
#include "browse/PickDateDialog.h"
#include "reports/TextReportsController.h"
#include "reports/core/MailReport.h"
#include "reports/core/TripLog.h"
#include "reports/core/UnmatchedReport.h"
#include "store/DayRange.h"
#include "store/MessageRecorder.h"
#include "store/SqliteDb.h"
#include "store/Store.h"
#include "support/MessageRecords.h"
#include "support/TestEnvironment.h"

#include <QAction>
#include <QDateEdit>
#include <QLineEdit>
#include <QProcess>
#include <QUrlQuery>
#include <QtTest>

using namespace corvane;

namespace
{

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

const QByteArray kUnmatchedHeading = "Data recorded in Corvane but not found in the database.\r\n"
                                     "\r\nRegistrations\r\n-------------\r\n\r\n";

} // namespace

// The trip log, the unmatched data report and the e-mail report, from their
// writers, the Reports menu and the command line.
class TestTextReports : public QObject
{
    Q_OBJECT

    test::TestEnvironment env;
    QString dataDir;
    std::unique_ptr<Store> store;

    void record(const QString &reg, const QString &time)
    {
        MessageRecorder r(*store);
        QCOMPARE(r.storeMessage(test::message(reg, QStringLiteral("XY1"), time), nullptr),
                 StoreResult::Stored);
        r.commitBatch();
    }
    void addAircraft(const QString &reg)
    {
        SqliteStatement st(store->acarsLog(), "INSERT INTO AIRCRAFT (REGISTRATI) VALUES (?)");
        st.bind(1, reg);
        st.run();
    }
    int corvane(const QStringList &args)
    {
        QProcess p;
        p.start(QStringLiteral(CORVANE_BINARY), QStringList{"--data-dir", dataDir} + args);
        p.waitForFinished(30000);
        return p.exitCode();
    }

private slots:
    void init()
    {
        env.resetSettings();
        Dialogs::setUnattended(true);
        Dialogs::reset();
        dataDir = env.newDataDir();
        store = std::make_unique<Store>();
        store->open(dataDir);
    }
    void cleanup() { store.reset(); }

    void tripLog_data()
    {
        QTest::addColumn<QDate>("first");
        QTest::addColumn<QDate>("last");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("two days, both edges")
            << QDate(2026, 12, 7) << QDate(2026, 12, 8) << QByteArray("G-AAAA\r\nG-BBBB\r\n");
        QTest::newRow("the day before")
            << QDate(2026, 12, 6) << QDate(2026, 12, 6) << QByteArray("G-EARLY\r\n");
        QTest::newRow("midnight after")
            << QDate(2026, 12, 9) << QDate(2026, 12, 9) << QByteArray("G-LATE\r\n");
        QTest::newRow("no messages") << QDate(2025, 1, 1) << QDate(2025, 1, 31) << QByteArray();
    }
    void tripLog()
    {
        QFETCH(QDate, first);
        QFETCH(QDate, last);
        QFETCH(QByteArray, expected);
        record("G-EARLY", "2026-12-06 23:59:59");
        record("G-BBBB", "2026-12-08 23:59:59");
        record("G-AAAA", "2026-12-07 00:00:00");
        record("G-AAAA", "2026-12-07 12:00:00");
        record("G-LATE", "2026-12-09 00:00:00");
        store->acarsLog().exec("INSERT INTO tMessage (mTime, mReg) VALUES "
                               "('2026-12-08 10:00:00', '')");

        const QString out = env.writeFile("trip.txt", "older trip log");
        TripLog log(*store);
        QVERIFY(log.write(DayRange(first, last), out));
        QCOMPARE(readAll(out), expected);
    }

    void tripLogNeverOverwritesTheStore()
    {
        record("G-AAAA", "2026-12-07 00:00:00");
        const QString db = store->path(Schema::File::AcarsLog);
        const QByteArray before = readAll(db);
        TripLog log(*store);
        QVERIFY(!log.write(DayRange::day(QDate(2026, 12, 7)), db));
        QVERIFY(log.errorText().contains("acarslog.db"));
        QCOMPARE(readAll(db), before);
    }

    void unmatchedReport()
    {
        // One heard aircraft the table lacks; case does not tell registrations apart.
        record("G-KNOWN", "2026-12-07 10:00:00");
        record("G-ZZZZ", "2026-12-07 11:00:00");
        record("G-KNOWN", "2026-12-07 12:00:00");
        addAircraft("g-known");
        const QString out = env.path("unmatched.txt");
        UnmatchedReport report(*store);
        QVERIFY(report.write(out));
        QCOMPARE(report.unmatched(), 1);
        QCOMPARE(readAll(out),
                 kUnmatchedHeading + "G-ZZZZ\r\n\r\n1 aircraft found with no matching data.\r\n");

        // A quote in a registration is a registration like any other.
        record("O'NEIL", "2026-12-07 13:00:00");
        addAircraft("G-ZZZZ");
        QVERIFY(report.write(out));
        QCOMPARE(readAll(out),
                 kUnmatchedHeading + "O'NEIL\r\n\r\n1 aircraft found with no matching data.\r\n");

        addAircraft("O'NEIL");
        QVERIFY(report.write(out));
        QCOMPARE(readAll(out),
                 kUnmatchedHeading + "\r\n0 aircraft found with no matching data.\r\n");
    }

    void mailAddress_data()
    {
        QTest::addColumn<QString>("recipient");
        QTest::addColumn<QString>("body");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("the report's own body")
            << "" << MailReport::body()
            << QByteArray("mailto:?subject=ACARS%20Log&body=Created%20by%20ACARS%20Corvane%20for"
                          "%20Windows%0D%0A%0D%0A%0D%0A%0D%0A");
        QTest::newRow("delimiters and non-ASCII")
            << " log+book@example.org "
            << "A & B? #1 = 50% café\r\n"
            << QByteArray("mailto:log%2Bbook@example.org?subject=ACARS%20Log&body=A%20%26%20B%3F%20"
                          "%231%20%3D%2050%25%20caf%C3%A9%0D%0A");
        QTest::newRow("a recipient that would end the address")
            << "a?b#c@example.org"
            << "x" << QByteArray("mailto:a%3Fb%23c@example.org?subject=ACARS%20Log&body=x");
    }
    void mailAddress()
    {
        QFETCH(QString, recipient);
        QFETCH(QString, body);
        QFETCH(QByteArray, expected);
        const QByteArray encoded = MailReport::encoded(recipient, MailReport::subject(), body);
        QCOMPARE(encoded, expected);
        const QUrl url = QUrl::fromEncoded(encoded, QUrl::StrictMode);
        QVERIFY(url.isValid());
        QCOMPARE(url.scheme(), QStringLiteral("mailto"));
        QCOMPARE(url.toEncoded(), expected);
        QCOMPARE(QUrlQuery(url).queryItemValue("body", QUrl::FullyDecoded), body);
    }

    // The body lists the view's first messages in its order, as many as keep
    // the address within what mail programs take, and counts the rest.
    void mailBodyHoldsTheViewsFirstMessages_data()
    {
        QTest::addColumn<int>("messages");
        QTest::newRow("all fit") << 2;
        QTest::newRow("many") << 300;
    }
    void mailBodyHoldsTheViewsFirstMessages()
    {
        QFETCH(int, messages);
        MessageRecorder r(*store);
        for (int i = 0; i < messages; ++i) {
            MessageRecord m = test::message(QStringLiteral("G-%1").arg(i, 4, 10, QLatin1Char('0')),
                                            "XY1", "2026-12-07 10:00:00");
            m.mText = QStringLiteral("TEXT & MORE %1\r\nLINE 2").arg(i);
            r.storeMessage(m, nullptr);
        }
        r.commitBatch();
        const QString body = MailReport::bodyFor(*store, MessageView::sortedBy(MessageView::Reg),
                                                 messages, "me@example.org");
        QVERIFY(MailReport::encoded("me@example.org", MailReport::subject(), body).size() <=
                MailReport::kMaxAddressBytes);
        QVERIFY(body.startsWith(MailReport::body()));
        QVERIFY2(body.contains("G-0000  XY1  H1  TEXT & MORE 0 LINE 2\r\n"), qPrintable(body));
        const qsizetype listed = body.count(QStringLiteral("TEXT & MORE"));
        if (listed == messages) {
            QVERIFY(!body.contains("not included"));
        } else {
            QVERIFY(listed > 5);
            QVERIFY(body.contains(QStringLiteral("G-%1").arg(listed - 1, 4, 10, QLatin1Char('0'))));
            QVERIFY(
                body.endsWith(QStringLiteral("%1 more messages of the view are not included.\r\n")
                                  .arg(messages - listed)));
        }
    }

    void reportsMenu()
    {
        record("G-AAAA", "2026-12-07 00:00:00");
        record("G-BBBB", "2026-12-09 00:00:00");
        MainWindow window(*store);
        TextReportsController reports(window);
        window.startUp();
        const QString tripPath = env.path("trip/TripLog.txt");
        QDir().mkpath(env.path("trip"));
        window.settings().setText(Settings::Key::TripLogPath, tripPath);
        window.settings().setText(Settings::Key::MailRecipient, "me@example.org");

        reports.beforeDialog = [](QDialog &dialog) {
            auto &picker = static_cast<PickDateDialog &>(dialog);
            picker.fromPicker()->setDate(QDate(2026, 12, 7));
            picker.toPicker()->setDate(QDate(2026, 12, 8));
        };
        // Cancelling the dates writes nothing.
        window.menuItem("mnuReportsTrip")->trigger();
        QVERIFY(!QFile::exists(tripPath));
        Dialogs::queueAnswer(Dialogs::Answer::Ok);
        window.menuItem("mnuReportsTrip")->trigger();
        QCOMPARE(readAll(tripPath), QByteArray("G-AAAA\r\n"));
        // The user is told where it went.
        QCOMPARE(window.panelText(1), TextReportsController::tripLogText(1, tripPath));
        QCOMPARE(Dialogs::shownMessages().last(), TextReportsController::tripLogText(1, tripPath));

        const QString out = env.path("unmatched.txt");
        Dialogs::queueFiles({out});
        Dialogs::queueAnswer(Dialogs::Answer::Yes);
        window.menuItem("mnuReportsUnmatched")->trigger();
        QVERIFY(readAll(out).endsWith("G-AAAA\r\nG-BBBB\r\n\r\n2 aircraft found with no "
                                      "matching data.\r\n"));
        QVERIFY(Dialogs::shownMessages().contains("View Text file?"));
        QCOMPARE(Dialogs::openedUrls().value(0), QUrl::fromLocalFile(out));

        reports.currentView = [] { return MessageView::all(); };
        reports.viewRecordCount = [] { return 2; };
        window.menuItem("mnuReportsEmail")->trigger();
        const QUrl mail = Dialogs::openedUrls().value(1);
        QCOMPARE(mail.scheme(), QStringLiteral("mailto"));
        QCOMPARE(mail.path(), QStringLiteral("me@example.org"));
        const QString body = QUrlQuery(mail).queryItemValue("body", QUrl::FullyDecoded);
        QVERIFY2(body.contains("G-AAAA") && body.contains("G-BBBB"), qPrintable(body));
    }

    void optionsKeepTheTwoSettings()
    {
        Settings settings;
        QCOMPARE(settings.tripLogPath(), QDir::home().filePath("TripLog.txt"));
        QCOMPARE(settings.mailRecipient(), QString());
        OptionsDialog::showModal(nullptr, settings, [](OptionsDialog &d) {
            QCOMPARE(d.findChild<QLineEdit *>("txtTripLogPath")->text(),
                     QDir::home().filePath("TripLog.txt"));
            d.findChild<QLineEdit *>("txtMailRecipient")->setText(" me@example.org ");
            Dialogs::queueAnswer(Dialogs::Answer::Ok);
        });
        // The default path was left as shown, so it is not written down.
        QVERIFY(!settings.store().contains("Startup/TripLogPath") ||
                settings.store().value("Startup/TripLogPath").toString().isEmpty());
        QCOMPARE(Settings().mailRecipient(), QStringLiteral("me@example.org"));

        OptionsDialog::showModal(nullptr, settings, [](OptionsDialog &d) {
            d.findChild<QLineEdit *>("txtTripLogPath")->setText("/tmp/elsewhere.txt");
            Dialogs::queueAnswer(Dialogs::Answer::Ok);
        });
        QCOMPARE(Settings().tripLogPath(), QStringLiteral("/tmp/elsewhere.txt"));
    }

    void commandLine()
    {
        record("G-AAAA", "2026-12-07 00:00:00");
        record("G-BBBB", "2026-12-09 00:00:00");
        store.reset();
        const QString out = env.path("cli-trip.txt");
        QCOMPARE(corvane({"report", "trip-log", "--from", "2026-12-07", "--to", "2026-12-08", out}),
                 0);
        QCOMPARE(readAll(out), QByteArray("G-AAAA\r\n"));

        // Without OUT the setting names the file.
        const QString configured = env.path("configured-trip.txt");
        Settings().setText(Settings::Key::TripLogPath, configured);
        QCOMPARE(corvane({"report", "trip-log", "--from", "2026-12-09", "--to", "2026-12-09"}), 0);
        QCOMPARE(readAll(configured), QByteArray("G-BBBB\r\n"));

        const QString unmatched = env.path("cli-unmatched.txt");
        QCOMPARE(corvane({"report", "unmatched", unmatched}), 0);
        QVERIFY(readAll(unmatched).endsWith("\r\n2 aircraft found with no matching data.\r\n"));

        QCOMPARE(corvane({"report", "trip-log", "--from", "2026-12-09", out}), 2);
        QCOMPARE(corvane({"report", "unmatched"}), 2);
        QCOMPARE(corvane({"report", "no-such-report"}), 1);
        const QString db = QDir(dataDir).filePath("acarslog.db");
        const QByteArray before = readAll(db);
        QCOMPARE(corvane({"report", "unmatched", db}), 1);
        QCOMPARE(readAll(db), before);
    }
};

QTEST_MAIN(TestTextReports)
#include "tst_textreports.moc"
