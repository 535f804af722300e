// Reports against real stores: the read-only query, the shipped files on an
// empty and a filled store, errors, and the printer's parameter fields.
#include "reports/core/ReportError.h"
#include "reports/core/ReportLocator.h"
#include "reports/core/ReportParameterField.h"
#include "reports/core/ReportParameters.h"
#include "reports/render/ReportPdf.h"
#include "reports/render/ReportPrinter.h"
#include "reports/render/ReportRenderer.h"
#include "store/MessageRecorder.h"
#include "store/ReportQuery.h"
#include "store/Store.h"
#include "store/StoreError.h"
#include "support/MessageRecords.h"
#include "support/StoreRows.h"
#include "support/TestEnvironment.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QTest>

using namespace corvane;

namespace
{
const QString kShipped = QStringLiteral(CORVANE_SHIPPED_REPORTS);

int pdfPages(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray bytes = f.readAll();
    if (!bytes.startsWith("%PDF"))
        return -1;
    const auto m = QRegularExpression(QStringLiteral("/Type\\s*/Pages\\b[^>]*/Count\\s+(\\d+)"))
                       .match(QString::fromLatin1(bytes));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

qint64 rowCount(ReportQuery &q)
{
    qint64 n = 0;
    while (q.next())
        ++n;
    return n;
}
} // namespace

class TestReportRendering : public QObject
{
    Q_OBJECT

    test::TestEnvironment env;
    QString emptyDir;
    QString filledDir;

    void fill(const QString &dir, int messages)
    {
        Store store;
        store.open(dir);
        MessageRecorder recorder(store);
        for (int i = 0; i < messages; ++i) {
            MessageRecord r = test::message(QStringLiteral("G-AB%1").arg(QChar(u'A' + i % 5)),
                                            QStringLiteral("BA%1").arg(100 + i % 7),
                                            QStringLiteral("07/12/2026 %1:%2")
                                                .arg(i / 60 % 24, 2, 10, QChar(u'0'))
                                                .arg(i % 60, 2, 10, QChar(u'0')));
            // Some long texts with line breaks, to run rows over several lines.
            if (i % 3 == 0)
                r.mText = QStringLiteral("POS N51.5 W000.1,\r\nALT 35000 ").repeated(1 + i % 6) +
                          QStringLiteral("X").repeated(300);
            QCOMPARE(recorder.storeMessage(r, nullptr), StoreResult::Stored);
        }
        recorder.commitBatch();
    }

    int printPdf(const QString &dir, const QString &report, const QStringList &fields,
                 QString *error)
    {
        ReportPrinter printer(dir);
        for (int i = 0; i < fields.size(); ++i)
            printer.setParameterField(i, fields[i]);
        printer.setReportFile(ReportLocator({kShipped}).find(report));
        const QString out =
            env.path(QStringLiteral("%1-%2.pdf").arg(QFileInfo(dir).fileName(), report));
        auto renderer = printer.print();
        printer.clearParameterFields();
        if (error)
            *error = QString::number(printer.lastErrorNumber()) + u',' + printer.lastErrorText();
        if (!renderer)
            return 0;
        // The total the footers show is counted in a pass of its own: it must
        // be the number of pages drawn.
        const QPageLayout page = ReportPdf::pageLayout(renderer->definition().landscape);
        const int counted = renderer->countPages(page.paintRect(QPageLayout::Point).size());
        const int pages = ReportPdf::write(*renderer, out);
        if (pages != counted || pdfPages(out) != pages)
            return -1;
        return pages;
    }

private slots:
    void initTestCase()
    {
        emptyDir = env.newDataDir();
        Store().open(emptyDir);
        filledDir = env.newDataDir();
        fill(filledDir, 600);
        Store store;
        store.open(filledDir);
        test::rows(store, "INSERT INTO AIRCRAFT (REGISTRATI, TYPE, CARRIER) VALUES "
                          "('G-ABA', 'A320', 'BAW'), ('G-ABA', 'A321', 'BAW')");
    }

    void everyShippedReportRenders_data()
    {
        QTest::addColumn<QString>("report");
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<int>("filledPagesAtLeast");
        const QDate day(2026, 12, 7);
        const QStringList dates = {ReportParameterField::forDate("DateFrom", day),
                                   ReportParameterField::forDate("DateTo", day)};
        QTest::newRow("alllogs") << "alllogs" << QStringList() << 10;
        QTest::newRow("allbydate") << "allbydate" << dates << 10;
        QTest::newRow("allbyflight") << "allbyflight" << QStringList{"Flight;BA100;TRUE"} << 2;
        QTest::newRow("allbyreg") << "allbyreg" << QStringList{"Reg;G-ABA;TRUE"} << 2;
        QTest::newRow("bydatelessdetail") << "bydatelessdetail" << dates << 5;
        QTest::newRow("unique") << "unique" << QStringList() << 1;
        QTest::newRow("uniquebyflight")
            << "uniquebyflight" << QStringList{"Flight;BA100;TRUE"} << 1;
        QTest::newRow("uniquebyreg") << "uniquebyreg" << QStringList{"Reg;G-ABA;TRUE"} << 1;
        QTest::newRow("unique aircraft") << "unique aircraft" << QStringList() << 1;
    }
    void everyShippedReportRenders()
    {
        QFETCH(QString, report);
        QFETCH(QStringList, fields);
        QFETCH(int, filledPagesAtLeast);
        QString error;
        QCOMPARE(printPdf(emptyDir, report, fields, &error), 1);
        const int pages = printPdf(filledDir, report, fields, &error);
        QVERIFY2(pages >= filledPagesAtLeast, qPrintable(QString::number(pages) + u' ' + error));
    }

    // The day rule: both days whole, a message at the midnight after is the next day's.
    void dateRangeTakesWholeDays()
    {
        const QString dir = env.newDataDir();
        {
            Store store;
            store.open(dir);
            MessageRecorder recorder(store);
            for (const char *t : {"06/12/2026 23:59:59", "07/12/2026 00:00:00",
                                  "07/12/2026 23:59:59", "08/12/2026 00:00:00"})
                recorder.storeMessage(test::message("G-AAAA", "BA1", t), nullptr);
            recorder.commitBatch();
        }
        const QDate day(2026, 12, 7);
        const ReportParameters p =
            ReportParameters::fromFields({ReportParameterField::forDate("DateFrom", day),
                                          ReportParameterField::forDate("DateTo", day)});
        ReportQuery q(dir, {});
        q.prepare("SELECT mTime FROM tMessage WHERE mTime >= :DateFrom AND mTime < :DateTo");
        for (const auto &b : p.bindings())
            q.bind(b.first, b.second);
        QCOMPARE(rowCount(q), 2);
    }

    // Whatever a report file holds, its query cannot change the store.
    void readOnlyConnectionRefusesWrites_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::newRow("delete") << "DELETE FROM tMessage";
        QTest::newRow("with delete") << "WITH x AS (SELECT 1) DELETE FROM tMessage";
        QTest::newRow("update") << "UPDATE tMessage SET mReg = 'X'";
        QTest::newRow("second statement") << "SELECT 1; DELETE FROM tMessage";
        QTest::newRow("attach") << "ATTACH DATABASE 'x.db' AS x";
        QTest::newRow("pragma") << "PRAGMA query_only = 0";
        QTest::newRow("temp table") << "CREATE TEMP TABLE t AS SELECT * FROM tMessage";
        QTest::newRow("positional") << "SELECT * FROM tMessage WHERE mReg = ?";
    }
    void readOnlyConnectionRefusesWrites()
    {
        QFETCH(QString, sql);
        {
            ReportQuery q(filledDir, {"routes", "alerts"});
            QVERIFY_THROWS_EXCEPTION(StoreError, q.prepare(sql));
            // The same connection still reads.
            q.prepare("SELECT COUNT(*) FROM tMessage");
            QVERIFY(q.next());
            QCOMPARE(q.text(0), QStringLiteral("600"));
        }
        QVERIFY(!QFile::exists(filledDir + "/x.db"));
        Store store;
        store.open(filledDir);
        QCOMPARE(test::rows(store, "SELECT COUNT(*) FROM tMessage WHERE mReg LIKE 'G-AB%'"),
                 QStringList{"600"});
    }

    void attachedFilesAreRead()
    {
        ReportQuery q(filledDir, {"routes", "alerts"});
        q.prepare("SELECT (SELECT COUNT(*) FROM routes.ROUTES), (SELECT COUNT(*) FROM "
                  "alerts.LABELS) > 0");
        QVERIFY(q.next());
        QCOMPARE(q.text(0), QStringLiteral("0"));
        QCOMPARE(q.text(1), QStringLiteral("1"));
    }

    // Values are bound: a quote in a registration is data, not SQL.
    void valuesAreBound()
    {
        ReportQuery q(filledDir, {});
        q.prepare("SELECT mReg FROM tMessage WHERE mReg = :Reg");
        q.bind("Reg", "x' OR '1'='1");
        QCOMPARE(rowCount(q), 0);
        q.bind("Reg", "G-ABA");
        q.restart();
        QCOMPARE(rowCount(q), 120);
    }

    void errorsNameTheFile_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("error");
        const QByteArray head = "Title: T\n";
        QTest::newRow("bad query")
            << head + "Query: SELECT nosuch FROM tMessage\nColumn: A | nosuch | 9 | left\n"
            << QStringList() << int(ReportError::QueryRefused)
            << "bad.rpt line 2: The query is refused: no such column: nosuch";
        QTest::newRow("missing table")
            << head + "Query: SELECT x FROM nowhere\nColumn: A | x | 9 | left\n"
            << QStringList() << int(ReportError::QueryRefused)
            << "bad.rpt line 2: The query is refused: no such table: nowhere";
        QTest::newRow("missing field")
            << head + "Query: SELECT mReg FROM tMessage\n\nColumn: A | mFlight | 9 | left\n"
            << QStringList() << int(ReportError::FileMalformed)
            << "bad.rpt line 4: the query gives no field \"mFlight\"";
        QTest::newRow("missing parameter")
            << head + "Query: SELECT mReg FROM tMessage WHERE mFlight = :Flight\nColumn: A | mReg "
                      "| 9 | left\n"
            << QStringList{"Reg;G-ABA;TRUE"} << int(ReportError::ParameterMissing)
            << "bad.rpt needs the parameter Flight";
        QTest::newRow("malformed") << QByteArray("Title: T\nQuery: SELECT 1\n") << QStringList()
                                   << int(ReportError::FileMalformed) << "bad.rpt: no Column";
    }
    void errorsNameTheFile()
    {
        QFETCH(QByteArray, text);
        QFETCH(QStringList, fields);
        QFETCH(int, number);
        QFETCH(QString, error);
        ReportPrinter printer(filledDir);
        for (int i = 0; i < fields.size(); ++i)
            printer.setParameterField(i, fields[i]);
        printer.setReportFile(env.writeFile("bad.rpt", text));
        QVERIFY(!printer.print());
        QCOMPARE(printer.lastErrorNumber(), number);
        QVERIFY2(printer.lastErrorText().startsWith(error), qPrintable(printer.lastErrorText()));
        printer.setReportFile(env.path("none.rpt"));
        QVERIFY(!printer.print());
        QCOMPARE(printer.lastErrorNumber(), int(ReportError::FileNotFound));
        QVERIFY(printer.lastErrorText().contains("none.rpt"));
    }

    // Fields are set, the file set, printed, and the fields cleared: the next
    // report sees none of the earlier values.
    void clearedFieldsReachNoLaterReport()
    {
        ReportPrinter printer(filledDir);
        printer.setParameterField(0, ReportParameterField::forText("Flight", "BA100"));
        printer.setReportFile(ReportLocator({kShipped}).find("allbyflight"));
        QVERIFY(printer.print());
        printer.clearParameterFields();
        QCOMPARE(printer.parameterFields(), QStringList{QString()});
        QVERIFY(!printer.print());
        QCOMPARE(printer.lastErrorNumber(), int(ReportError::ParameterMissing));
    }

    // The preview's pages are the printed ones: a page drawn alone starts
    // where the full pass would have put it.
    void previewPagesMatchPrint()
    {
        ReportPrinter printer(filledDir);
        printer.setReportFile(ReportLocator({kShipped}).find("alllogs"));
        auto renderer = printer.print();
        QVERIFY(renderer);
        const QSizeF page(800, 540);
        const int total = renderer->countPages(page);
        QVERIFY(total > 5);
        QImage image(800, 540, QImage::Format_RGB32);
        for (int index : {0, total / 2, total - 1}) {
            image.fill(Qt::white);
            QPainter p(&image);
            p.scale(0.1, 0.1);
            renderer->paintPage(p, page, index, total);
            p.end();
            QVERIFY(image != QImage(800, 540, QImage::Format_RGB32));
        }
        QCOMPARE(renderer->countPages(page), total);
    }
};

QTEST_MAIN(TestReportRendering)
#include "tst_reportrendering.moc"
