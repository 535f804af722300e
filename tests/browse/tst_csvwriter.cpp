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
};

QTEST_GUILESS_MAIN(TestCsvWriter)
#include "tst_csvwriter.moc"
