#include "app/Dialogs.h"
#include "app/MainWindow.h"
#include "browse/CsvExportController.h"
#include "browse/MessageBrowser.h"
#include "browse/core/MessageCsvExport.h"
#include "store/SqliteDb.h"
#include "store/Store.h"
#include "support/TestEnvironment.h"

#include <QAction>
#include <QProcess>
#include <QtTest>

using namespace corvane;

namespace
{

void addMessage(Store &store, const QString &time, const QString &reg, const QString &flight,
                const QString &text)
{
    SqliteStatement st(store.acarsLog(), "INSERT INTO tMessage (mTime, mMode, mReg, mLabel, mBlk,"
                                         " mNo, mFlight, mText, mFileName) VALUES"
                                         " (?, '2', ?, 'H1', '1', 'M01A', ?, ?, 'a.log')");
    st.bind(1, time);
    st.bind(2, reg);
    st.bind(3, flight);
    st.bind(4, text);
    st.run();
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

const QByteArray kHeader = "Date/Time,Mode,Registration,Block ID,Msg No,Flight No,Message Text,"
                           "Msg Labe,Log Filename\r\n";

QByteArray row(const QByteArray &time, const QByteArray &reg, const QByteArray &flight,
               const QByteArray &text)
{
    return time + ",2," + reg + ",1,M01A," + flight + "," + text + ",H1,a.log\r\n";
}

} // namespace

// The grid's view as CSV: from the core writer, the File menu and the command line.
class TestCsvExport : public QObject
{
    Q_OBJECT

    test::TestEnvironment env;
    QString dataDir;
    std::unique_ptr<Store> store;

private slots:
    void init()
    {
        env.resetSettings();
        Dialogs::setUnattended(true);
        Dialogs::reset();
        dataDir = env.newDataDir();
        store = std::make_unique<Store>();
        store->open(dataDir);
        addMessage(*store, "2026-12-07 10:00:00", "G-BBBB", "BA002", "POS N51,W001");
        addMessage(*store, "2026-12-07 00:00:00", "G-AAAA", "BA001", "SAY \"AGAIN\"");
        addMessage(*store, "2026-12-08 00:00:00", "G-AAAA", "BA003", "LINE1\r\nLINE2\nEND");
        addMessage(*store, "2026-12-06 12:00:00", "F-GZÉÉ", "AF001", "CAFÉ ÜBER");
    }
    void cleanup() { store.reset(); }

    void fieldsAreQuotedOnlyWhereNeeded()
    {
        const QString out = env.path("all.csv");
        MessageCsvExport writer(*store);
        QCOMPARE(writer.write(MessageView::all(), out), MessageCsvExport::Result::Written);
        QCOMPARE(writer.rowsWritten(), 4);
        const QByteArray expected =
            kHeader + row("2026-12-06 12:00:00", "F-GZÉÉ", "AF001", "CAFÉ ÜBER") +
            row("2026-12-07 00:00:00", "G-AAAA", "BA001", "\"SAY \"\"AGAIN\"\"\"") +
            row("2026-12-07 10:00:00", "G-BBBB", "BA002", "\"POS N51,W001\"") +
            row("2026-12-08 00:00:00", "G-AAAA", "BA003", "\"LINE1\r\nLINE2\nEND\"");
        QCOMPARE(readAll(out), expected);
    }

    void viewFilterAndOrderAreKept()
    {
        const QString out = env.path("view.csv");
        MessageCsvExport writer(*store);
        QCOMPARE(writer.write(MessageView::byRegistration("g-aaaa"), out),
                 MessageCsvExport::Result::Written);
        QCOMPARE(readAll(out),
                 kHeader + row("2026-12-07 00:00:00", "G-AAAA", "BA001", "\"SAY \"\"AGAIN\"\"\"") +
                     row("2026-12-08 00:00:00", "G-AAAA", "BA003", "\"LINE1\r\nLINE2\nEND\""));

        // One day, midnight included; then every message by flight, descending.
        QCOMPARE(writer.write(MessageView::byDate(QDate(2026, 12, 7), QDate(2026, 12, 7)), out),
                 MessageCsvExport::Result::Written);
        QCOMPARE(writer.rowsWritten(), 2);
        QCOMPARE(writer.write(MessageView::sortedBy(MessageView::Flight, true), out),
                 MessageCsvExport::Result::Written);
        const QList<QByteArray> lines = readAll(out).split('\n');
        QVERIFY(lines[1].contains(",BA003,"));
        QVERIFY(lines.last().isEmpty());
        QVERIFY(lines[lines.size() - 2].contains(",AF001,"));

        // An empty view is the header alone.
        QCOMPARE(writer.write(MessageView::byFlight("NONE"), out),
                 MessageCsvExport::Result::Written);
        QCOMPARE(readAll(out), kHeader);
    }

    void failedOrCancelledExportLeavesTheOldFile()
    {
        const QString out = env.writeFile("old.csv", "old");
        MessageCsvExport writer(*store);
        QCOMPARE(writer.write(MessageView::all(), out, [](qint64, qint64) { return false; }),
                 MessageCsvExport::Result::Cancelled);
        QCOMPARE(readAll(out), QByteArray("old"));

        const QString db = store->path(Schema::File::AcarsLog);
        const QByteArray before = readAll(db);
        QCOMPARE(writer.write(MessageView::all(), db), MessageCsvExport::Result::Failed);
        QVERIFY(writer.errorText().contains("acarslog.db"));
        QCOMPARE(readAll(db), before);
    }

    void menuExportsTheGridAsShown()
    {
        MainWindow window(*store);
        MessageBrowser browser(window, *store);
        CsvExportController controller(window);
        controller.currentView = [&browser] { return browser.view(); };
        window.startUp();
        browser.sortByColumn(MessageView::Reg);

        QAction *item = window.menuItem("mnuFileExportCsv");
        QVERIFY(item && item->isEnabled());
        // A name without an extension gets ".csv".
        const QString out = env.path("menu.csv");
        Dialogs::queueFiles({env.path("menu")});
        item->trigger();
        const QList<QByteArray> lines = readAll(out).split('\n');
        QCOMPARE(lines.size(), 8); // header, four rows, one of three lines, the end
        QVERIFY(lines[1].startsWith("2026-12-06 12:00:00,2,F-GZ"));
        QVERIFY(lines[2].startsWith("2026-12-07 00:00:00,2,G-AAAA"));
        QVERIFY(lines[6].startsWith("2026-12-07 10:00:00,2,G-BBBB"));
        QCOMPARE(window.panelText(1), QStringLiteral("4 messages exported."));

        // No file chosen: nothing written, nothing said.
        QFile::remove(out);
        item->trigger();
        QVERIFY(!QFile::exists(out));
        QVERIFY(Dialogs::shownMessages().isEmpty());
    }

    void commandLineExports()
    {
        addMessage(*store, "2026-12-09 00:00:00", "G-CCCC", "BA009", "=HYPERLINK(\"http://x\")");
        store.reset();
        const QString out = env.path("cli.csv");
        const auto corvane = [&](const QStringList &args) {
            QProcess p;
            p.start(QStringLiteral(CORVANE_BINARY), QStringList{"--data-dir", dataDir} + args);
            p.waitForFinished(30000);
            return p.exitCode();
        };
        QCOMPARE(corvane({"export", "--csv", out, "--flight", "BA002"}), 0);
        QCOMPARE(readAll(out),
                 kHeader + row("2026-12-07 10:00:00", "G-BBBB", "BA002", "\"POS N51,W001\""));
        QCOMPARE(corvane({"export", "--csv", out, "--from", "2026-12-08", "--to", "2026-12-08"}),
                 0);
        QCOMPARE(readAll(out), kHeader + row("2026-12-08 00:00:00", "G-AAAA", "BA003",
                                             "\"LINE1\r\nLINE2\nEND\""));

        // A formula from the air is written as text, unless --raw.
        QCOMPARE(corvane({"export", "--csv", out, "--flight", "BA009"}), 0);
        QCOMPARE(readAll(out), kHeader + row("2026-12-09 00:00:00", "G-CCCC", "BA009",
                                             "\"'=HYPERLINK(\"\"http://x\"\")\""));
        QCOMPARE(corvane({"export", "--raw", "--csv", out, "--flight", "BA009"}), 0);
        QCOMPARE(readAll(out), kHeader + row("2026-12-09 00:00:00", "G-CCCC", "BA009",
                                             "\"=HYPERLINK(\"\"http://x\"\")\""));

        QCOMPARE(corvane({"export", out}), 2);
        QCOMPARE(corvane({"export", "--csv", out, "--reg", "G-AAAA", "--flight", "BA001"}), 2);
        QCOMPARE(corvane({"export", "--csv", out, "--from", "2026-12-08"}), 2);
        QCOMPARE(corvane({"export", "--csv", out, "--from", "2026-12-08", "--to", "2026-12-07"}),
                 2);
        const QString db = QDir(dataDir).filePath("acarslog.db");
        const QByteArray before = readAll(db);
        QCOMPARE(corvane({"export", "--csv", db}), 1);
        QCOMPARE(readAll(db), before);
    }
};

QTEST_MAIN(TestCsvExport)
#include "tst_csvexport.moc"
