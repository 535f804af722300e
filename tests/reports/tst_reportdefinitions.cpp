// Report definition files, parameter fields and where reports are found.
#include "reports/core/ReportDefinitionParser.h"
#include "reports/core/ReportError.h"
#include "reports/core/ReportLocator.h"
#include "reports/core/ReportParameterField.h"
#include "reports/core/ReportParameters.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace corvane;

namespace
{
const QByteArray kMinimal =
    "Title: T\nQuery: SELECT mReg FROM tMessage\nColumn: Reg | mReg | 20 | left\n";

QString parseError(const QByteArray &text)
{
    try {
        ReportDefinitionParser::parse(text, QStringLiteral("bad.rpt"));
    } catch (const ReportError &e) {
        return e.text();
    }
    return {};
}
} // namespace

class TestReportDefinitions : public QObject
{
    Q_OBJECT
private slots:
    void readsEveryPart()
    {
        const ReportDefinition def =
            ReportDefinitionParser::parse("\xEF\xBB\xBF# comment\r\n"
                                          "Title: Messages of a day\r\n"
                                          "Orientation: Landscape\n"
                                          "Font size: 9.5\n"
                                          "Attach: routes\n"
                                          "Query: SELECT mTime, mReg\n"
                                          "    FROM tMessage\n"
                                          "\tWHERE mTime >= :DateFrom\n"
                                          "Column: Time | mTime | 30 | left\n"
                                          "Column: Text | mText | 120.5 | right wrap\n"
                                          "Group: mFlight | Flight\n"
                                          "Header: {Title} | {Selection}\n"
                                          "Footer: {Printed} | x | Page {Page} of {Pages}\n",
                                          QStringLiteral("day.rpt"));
        QCOMPARE(def.title, QStringLiteral("Messages of a day"));
        QVERIFY(def.landscape);
        QCOMPARE(def.fontSize, 9.5);
        QCOMPARE(def.attach, QStringList{QStringLiteral("routes")});
        QCOMPARE(def.query,
                 QStringLiteral("SELECT mTime, mReg\nFROM tMessage\nWHERE mTime >= :DateFrom"));
        QCOMPARE(def.queryLine, 6);
        QCOMPARE(def.columns.size(), size_t(2));
        QCOMPARE(def.columns[1].field, QStringLiteral("mText"));
        QCOMPARE(def.columns[1].widthMm, 120.5);
        QVERIFY(def.columns[1].align == ReportColumn::Align::Right);
        QVERIFY(def.columns[1].wrap);
        QCOMPARE(def.columns[1].line, 10);
        QCOMPARE(def.groupField, QStringLiteral("mFlight"));
        QCOMPARE(def.groupCaption, QStringLiteral("Flight"));
        QCOMPARE(def.header, QStringLiteral("{Title}\t{Selection}"));
        QCOMPARE(def.footer, QStringLiteral("{Printed}\tx\tPage {Page} of {Pages}"));
        QVERIFY(def.needsPageCount());
    }

    void errorsNameFileAndLine_data()
    {
        const auto row = [](const char *name, const QByteArray &text, const char *error) {
            QTest::newRow(name) << text << QString::fromUtf8(error);
        };
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("error");
        row("unknown key", kMinimal + "Colour: red\n", "bad.rpt line 4: unknown key \"colour\"");
        row("no colon", "Title T\n" + kMinimal, "bad.rpt line 1: expected \"Key: value\"");
        row("column parts", kMinimal + "Column: A | b | 3\n", "bad.rpt line 4: a column is");
        row("column width", kMinimal + "Column: A | b | wide | left\n",
            "bad.rpt line 4: \"wide\" is not a number");
        row("alignment", kMinimal + "Column: A | b | 3 | middle\n",
            "bad.rpt line 4: unknown alignment \"middle\"");
        row("placeholder", kMinimal + "Footer: {Page} of {Total}\n",
            "bad.rpt line 4: unknown placeholder {Total}");
        row("not a select", QByteArray("Title: T\nQuery: DELETE FROM tMessage\n"),
            "bad.rpt line 2: the query must be a SELECT");
        row("twice", kMinimal + "Title: U\n", "bad.rpt line 4: \"title\" is given twice");
        row("attach", kMinimal + "Attach: /etc/passwd\n",
            "bad.rpt line 4: attach routes or alerts");
        row("stray indent", " SELECT\n" + kMinimal, "bad.rpt line 1: an indented line");
        row("no title", QByteArray("Query: SELECT 1\nColumn: A | a | 3 | left\n"),
            "bad.rpt: no Title");
        row("no column", QByteArray("Title: T\nQuery: SELECT 1\n"), "bad.rpt: no Column");
        row("binary", QByteArray("Title: T\0", 9), "bad.rpt: not a text file");
    }
    void errorsNameFileAndLine()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, error);
        const QString got = parseError(text);
        QVERIFY2(got.startsWith(error), qPrintable(got));
    }

    void missingFileIsNotFound()
    {
        try {
            ReportDefinitionParser::load(QStringLiteral("/nonexistent/x.rpt"));
            QFAIL("no error");
        } catch (const ReportError &e) {
            QCOMPARE(e.number(), ReportError::FileNotFound);
            QVERIFY(e.text().contains(QLatin1String("/nonexistent/x.rpt")));
        }
    }

    void everyShippedFileReads()
    {
        const QStringList names = {"alllogs",        "allbydate",        "allbyflight",
                                   "allbyreg",       "bydatelessdetail", "unique",
                                   "uniquebyflight", "uniquebyreg",      "unique aircraft"};
        const ReportLocator locator({QStringLiteral(CORVANE_SHIPPED_REPORTS)});
        QCOMPARE(locator.names().size(), names.size());
        for (const QString &name : names) {
            const QString path = locator.find(name);
            QVERIFY2(!path.isEmpty(), qPrintable(name));
            const ReportDefinition def = ReportDefinitionParser::load(path);
            QVERIFY(def.needsPageCount());
        }
    }

    // The application folder comes first, so a user's edited copy wins; a
    // name never reaches outside the folders.
    void locatorOrderAndNames()
    {
        test::TestEnvironment env;
        const QString mine = env.newDataDir();
        const QString shipped = env.newDataDir();
        QFile::copy(QStringLiteral(CORVANE_SHIPPED_REPORTS "/unique.rpt"), mine + "/unique.rpt");
        QFile::copy(QStringLiteral(CORVANE_SHIPPED_REPORTS "/unique.rpt"), shipped + "/unique.rpt");
        QFile::copy(QStringLiteral(CORVANE_SHIPPED_REPORTS "/unique aircraft.rpt"),
                    shipped + "/unique aircraft.rpt");
        const ReportLocator locator({mine, shipped});
        QCOMPARE(locator.find("unique"), QDir(mine).filePath("unique.rpt"));
        QCOMPARE(locator.find("unique aircraft"), QDir(shipped).filePath("unique aircraft.rpt"));
        QVERIFY(locator.find("nothing").isEmpty());
        QVERIFY(locator.find("../" + QDir(shipped).dirName() + "/unique").isEmpty());
        QCOMPARE(locator.names(), (QStringList{"unique", "unique aircraft"}));
    }

    void dateFieldOfTheDay()
    {
        const QDate day(2026, 12, 7);
        QCOMPARE(ReportParameterField::forDate("DateFrom", day),
                 QStringLiteral("DateFrom;Date(2026,12,07);TRUE"));
        QCOMPARE(ReportParameterField::forDate("DateTo", day),
                 QStringLiteral("DateTo;Date(2026,12,07);TRUE"));
        QCOMPARE(ReportParameterField::forDate("DateFrom", QDate(987, 1, 2)),
                 QStringLiteral("DateFrom;Date(0987,01,02);TRUE"));
        // Both days whole: from the first midnight to the midnight after.
        const ReportParameters p =
            ReportParameters::fromFields({ReportParameterField::forDate("DateFrom", day),
                                          ReportParameterField::forDate("DateTo", day)});
        QCOMPARE(*p.find("DateFrom"), QStringLiteral("2026-12-07 00:00:00"));
        QCOMPARE(*p.find("DateTo"), QStringLiteral("2026-12-08 00:00:00"));
        QCOMPARE(p.selection(), QStringLiteral("07/12/2026 to 07/12/2026"));
    }

    void fieldsRead_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<bool>("reads");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("value");
        QTest::newRow("flight") << "Flight;BA0123;TRUE" << true << "Flight"
                                << "BA0123";
        QTest::newRow("reg") << "Reg;G-ABCD;TRUE" << true << "Reg"
                             << "G-ABCD";
        QTest::newRow("semicolon in value") << "Flight;A;B;TRUE" << true << "Flight"
                                            << "A;B";
        QTest::newRow("empty value") << "Reg;;TRUE" << true << "Reg"
                                     << "";
        QTest::newRow("quote kept") << "Reg;O'NEIL;TRUE" << true << "Reg"
                                    << "O'NEIL";
        QTest::newRow("cleared") << "" << false << ""
                                 << "";
        QTest::newRow("not current") << "Reg;G-ABCD" << false << ""
                                     << "";
        QTest::newRow("no name") << ";G-ABCD;TRUE" << false << ""
                                 << "";
        QTest::newRow("bad date") << "DateFrom;Date(2026,02,30);TRUE" << false << ""
                                  << "";
    }
    void fieldsRead()
    {
        QFETCH(QString, field);
        QFETCH(bool, reads);
        const auto f = ReportParameterField::parse(field);
        QCOMPARE(bool(f), reads);
        if (!f)
            return;
        QFETCH(QString, name);
        QFETCH(QString, value);
        QCOMPARE(f->name(), name);
        QCOMPARE(f->value(), value);
    }

    void malformedFieldIsAnError()
    {
        QVERIFY_THROWS_EXCEPTION(ReportError, ReportParameters::fromFields({"Reg;G-ABCD"}));
        // Cleared fields are passed over.
        QVERIFY(ReportParameters::fromFields({"", ""}).bindings().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestReportDefinitions)
#include "tst_reportdefinitions.moc"
