#include "browse/core/CsvWriter.h"

#include <QBuffer>
#include <QTest>

using namespace corvane;

class TestCsvWriter : public QObject
{
    Q_OBJECT

private slots:
    void records_data()
    {
        QTest::addColumn<QStringList>("values");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("plain") << QStringList{"G-ABCD", "BA0123", "H1"}
                               << QByteArray("G-ABCD,BA0123,H1\r\n");
        QTest::newRow("empty fields") << QStringList{"", "x", ""} << QByteArray(",x,\r\n");
        QTest::newRow("comma") << QStringList{"a,b"} << QByteArray("\"a,b\"\r\n");
        QTest::newRow("quotes doubled")
            << QStringList{"say \"hi\""} << QByteArray("\"say \"\"hi\"\"\"\r\n");
        QTest::newRow("line breaks kept") << QStringList{"one\r\ntwo", "three\nfour"}
                                          << QByteArray("\"one\r\ntwo\",\"three\nfour\"\r\n");
        QTest::newRow("utf-8") << QStringList{QString::fromUtf8("Zürich")}
                               << QByteArray("Z\xc3\xbcrich\r\n");
        QTest::newRow("no record separator inside plain text")
            << QStringList{"%_*-'"} << QByteArray("%_*-'\r\n");
    }

    void records()
    {
        QFETCH(QStringList, values);
        QFETCH(QByteArray, expected);
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        CsvWriter writer(buffer);
        QVERIFY(writer.write(values));
        QCOMPARE(buffer.data(), expected);
    }

    // What a spreadsheet would run gets an apostrophe in front; numbers and
    // other texts stay as they are, and the exact cells keep everything.
    void spreadsheetSafeCells_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("safe");
        QTest::newRow("equals") << "=1+1" << QByteArray("'=1+1");
        QTest::newRow("plus formula") << "+SUM(A1:A9)" << QByteArray("'+SUM(A1:A9)");
        QTest::newRow("minus formula") << "-2+3" << QByteArray("'-2+3");
        QTest::newRow("minus word") << "-dash" << QByteArray("'-dash");
        QTest::newRow("at") << "@SUM(1)" << QByteArray("'@SUM(1)");
        QTest::newRow("tab") << "\t=1" << QByteArray("'\t=1");
        QTest::newRow("carriage return, quoted") << "\r=1" << QByteArray("\"'\r=1\"");
        QTest::newRow("formula with quotes and commas")
            << "=HYPERLINK(\"http://x\",\"y\")"
            << QByteArray("\"'=HYPERLINK(\"\"http://x\"\",\"\"y\"\")\"");
        QTest::newRow("negative number") << "-12.5" << QByteArray("-12.5");
        QTest::newRow("signed number") << "+44" << QByteArray("+44");
        QTest::newRow("sign alone") << "-" << QByteArray("'-");
        QTest::newRow("equals later") << "RWY=27" << QByteArray("RWY=27");
        QTest::newRow("leading blank") << " =1" << QByteArray(" =1");
        QTest::newRow("empty") << "" << QByteArray("");
    }

    void spreadsheetSafeCells()
    {
        QFETCH(QString, value);
        QFETCH(QByteArray, safe);
        QCOMPARE(CsvWriter::field(value, CsvWriter::Cells::SpreadsheetSafe), safe);
        QCOMPARE(CsvWriter::field(value), CsvWriter::field(value, CsvWriter::Cells::Exact));
        QVERIFY(!CsvWriter::field(value).startsWith('\''));
    }
};

QTEST_GUILESS_MAIN(TestCsvWriter)
#include "tst_csvwriter.moc"
