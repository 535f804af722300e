#include "store/MessageTime.h"

#include <QLocale>
#include <QtTest>

using namespace corvane;

class TestMessageTime : public QObject
{
    Q_OBJECT

private slots:
    void parse_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("storage"); // empty: not a time
        QTest::newRow("plain") << "01/02/2004 12:34"
                               << "2004-02-01 12:34:00";
        QTest::newRow("seconds") << "31/12/2004 23:59:58"
                                 << "2004-12-31 23:59:58";
        QTest::newRow("brackets") << "[01/02/2004 12:34]"
                                  << "2004-02-01 12:34:00";
        QTest::newRow("blanks") << "  01/02/2004 12:34 "
                                << "2004-02-01 12:34:00";
        QTest::newRow("dashes") << "01-02-2004 12:34"
                                << "2004-02-01 12:34:00";
        QTest::newRow("dots") << "01.02.2004 12:34"
                              << "2004-02-01 12:34:00";
        QTest::newRow("short year") << "01/02/31 12:34:00"
                                    << "2031-02-01 12:34:00";
        QTest::newRow("old short year") << "01/02/99 12:34:00"
                                        << "1999-02-01 12:34:00";
        QTest::newRow("month name") << "01 Feb 2004 12:34"
                                    << "2004-02-01 12:34:00";
        QTest::newRow("storage form") << "2004-02-01 12:34:56"
                                      << "2004-02-01 12:34:56";
        QTest::newRow("date only") << "01/02/2004"
                                   << "2004-02-01 00:00:00";
        QTest::newRow("single digits") << "1/2/2004 9:05"
                                       << "2004-02-01 09:05:00";
        QTest::newRow("day 31 of Feb") << "31/02/2004 12:34"
                                       << "";
        QTest::newRow("hour 24") << "01/02/2004 24:00"
                                 << "";
        QTest::newRow("text") << "Message content:"
                              << "";
        QTest::newRow("trailing junk") << "01/02/2004 12:34x"
                                       << "";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("cut minute") << "01/02/2004 12:3"
                                    << "2004-02-01 12:03:00";
    }
    void parse()
    {
        QFETCH(QString, text);
        QFETCH(QString, storage);
        const auto t = MessageTime::parse(text);
        QCOMPARE(t.has_value(), !storage.isEmpty());
        if (t)
            QCOMPARE(t->toStorage(), storage);
    }

    void fromStorage_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown"); // empty: not the storage form
        QTest::newRow("storage form") << "2004-02-01 12:34:56"
                                      << "01/02/2004 12:34:56";
        QTest::newRow("midnight") << "2026-12-08 00:00:00"
                                  << "08/12/2026 00:00:00";
        QTest::newRow("day first") << "01/02/2004 12:34:56"
                                   << "";
        QTest::newRow("no seconds") << "2004-02-01 12:34"
                                    << "";
        QTest::newRow("blank around") << " 2004-02-01 12:34:56"
                                      << "";
        QTest::newRow("letter for digit") << "2004-02-0x 12:34:56"
                                          << "";
        QTest::newRow("no such day") << "2004-02-30 12:34:56"
                                     << "";
        QTest::newRow("empty") << ""
                               << "";
    }
    void fromStorage()
    {
        QFETCH(QString, text);
        QFETCH(QString, shown);
        const auto t = MessageTime::fromStorage(text);
        QCOMPARE(t.has_value(), !shown.isEmpty());
        if (t) {
            QCOMPARE(t->toGeneralDate(), shown);
            QCOMPARE(t->toStorage(), text);
        }
    }

    void formsUseEnglishMonthsWhateverTheLocale()
    {
        QLocale::setDefault(QLocale(QLocale::German));
        const MessageTime t = *MessageTime::parse(QStringLiteral("05/03/2031 07:08:09"));
        QCOMPARE(t.toDisplay(), QStringLiteral("05/03/2031 07:08"));
        QCOMPARE(t.toGeneralDate(), QStringLiteral("05/03/2031 07:08:09"));
        QCOMPARE(t.toDayMonthYear(), QStringLiteral("05 Mar 2031 07:08"));
        QLocale::setDefault(QLocale::c());
    }
};

QTEST_GUILESS_MAIN(TestMessageTime)
#include "TestMessageTime.moc"
