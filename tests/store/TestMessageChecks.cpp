#include "store/MessageChecks.h"
#include "store/MessageRecord.h"

#include <QtTest>

using namespace corvane;

class TestMessageChecks : public QObject
{
    Q_OBJECT

private slots:
    void validCharacters_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::newRow("upper") << "A" << true;
        QTest::newRow("lower") << "z" << true;
        QTest::newRow("digit") << "7" << true;
        QTest::newRow("hyphen") << "-" << true;
        QTest::newRow("blank") << " " << true;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("underscore") << "_" << false;
        QTest::newRow("dot") << "." << false;
        QTest::newRow("carriage return") << "\r" << false;
        QTest::newRow("tab") << "\t" << false;
        QTest::newRow("accented") << QStringLiteral("\u00e9") << false;
        QTest::newRow("two blanks") << "  " << false;
    }
    void validCharacters()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QCOMPARE(MessageChecks::isValidChar(text), valid);
    }

    void wholeRecord_data()
    {
        QTest::addColumn<QString>("reg");
        QTest::addColumn<QString>("blk");
        QTest::addColumn<QString>("flight");
        QTest::addColumn<bool>("passes");
        QTest::newRow("inner blank") << "N12 3"
                                     << "2"
                                     << "BA01" << true;
        QTest::newRow("empty registration") << ""
                                            << "2"
                                            << "BA01" << true;
        QTest::newRow("seven blanks") << "       "
                                      << "2"
                                      << "BA01" << true;
        QTest::newRow("empty flight") << "N1"
                                      << "2"
                                      << "" << true;
        QTest::newRow("underscore") << "N12_3"
                                    << "2"
                                    << "BA01" << false;
        QTest::newRow("line break in registration") << "N12345\r"
                                                    << "2"
                                                    << "BA01" << false;
        QTest::newRow("empty block id") << "N1"
                                        << ""
                                        << "BA01" << false;
        QTest::newRow("bad block id") << "N1"
                                      << "_"
                                      << "BA01" << false;
        QTest::newRow("bad flight") << "N1"
                                    << "2"
                                    << "BA#1" << false;
    }
    void wholeRecord()
    {
        QFETCH(QString, reg);
        QFETCH(QString, blk);
        QFETCH(QString, flight);
        QFETCH(bool, passes);
        MessageRecord r;
        r.mReg = reg;
        r.mBlk = blk;
        r.mFlight = flight;
        QCOMPARE(MessageChecks::record(r), passes);
    }
};

QTEST_GUILESS_MAIN(TestMessageChecks)
#include "TestMessageChecks.moc"
