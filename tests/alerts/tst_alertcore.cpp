#include "live/AlertMatcher.h"
#include "live/AlertWords.h"
#include "store/AlertLog.h"
#include "store/SqliteDb.h"
#include "store/Store.h"
#include "store/StoreError.h"
#include "support/TestEnvironment.h"

#include <QFile>
#include <QRandomGenerator>
#include <QtTest>

using namespace corvane;

namespace
{

// What searching the text for each word in turn gives.
QStringList naive(const QStringList &words, const QStringList &ignore, const QString &text)
{
    for (const QString &w : ignore)
        if (!w.trimmed().isEmpty() && text.contains(w))
            return {};
    QStringList out;
    for (const QString &w : words)
        if (!w.trimmed().isEmpty() && text.contains(w) && !out.contains(w))
            out << w;
    return out;
}

QString randomText(QRandomGenerator &rng, const QString &alphabet, int maxLength)
{
    QString s;
    const int n = int(rng.bounded(maxLength + 1));
    for (int i = 0; i < n; ++i)
        s += alphabet[int(rng.bounded(int(alphabet.size())))];
    return s;
}

QByteArray readBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

} // namespace

// The watched words: their file, the matcher and the alert log.
class AlertCoreTest : public QObject
{
    Q_OBJECT

    test::TestEnvironment env;

private slots:
    void matcherCases_data()
    {
        QTest::addColumn<QStringList>("words");
        QTest::addColumn<QStringList>("ignore");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("expected");
        const QString msg = QStringLiteral("\r\nREQUEST FUEL AT EGLL\r\nMAYDAY test");
        QTest::newRow("two words, list order") << QStringList{"MAYDAY", "FUEL"} << QStringList{}
                                               << msg << QStringList{"MAYDAY", "FUEL"};
        QTest::newRow("case-sensitive")
            << QStringList{"mayday", "Fuel"} << QStringList{} << msg << QStringList{};
        QTest::newRow("word found twice gives one")
            << QStringList{"A"} << QStringList{} << QString("AAA") << QStringList{"A"};
        QTest::newRow("word listed twice gives one")
            << QStringList{"EGLL", "X", "EGLL"} << QStringList{} << msg << QStringList{"EGLL"};
        QTest::newRow("blank words match nothing")
            << QStringList{"", " ", "\t", "NOPE"} << QStringList{} << QString("x y\tz")
            << QStringList{};
        QTest::newRow("blank ignore words silence nothing")
            << QStringList{"x"} << QStringList{"", " "} << QString("x y") << QStringList{"x"};
        QTest::newRow("overlapping and nested")
            << QStringList{"ABCD", "BC", "CDE", "B"} << QStringList{} << QString("xABCDx")
            << QStringList{"ABCD", "BC", "B"};
        QTest::newRow("phrase with blanks across a line end")
            << QStringList{"AT EGLL", "EGLL\r\nMAY", "FUEL  AT"} << QStringList{} << msg
            << QStringList{"AT EGLL", "EGLL\r\nMAY"};
        QTest::newRow("beyond Latin-1")
            << QStringList{QString::fromUtf8("€5"), QString("5")} << QStringList{}
            << QString::fromUtf8("cost €5") << QStringList{QString::fromUtf8("€5"), "5"};
        QTest::newRow("ignore word silences all")
            << QStringList{"", "FUEL"} << QStringList{"test"} << msg << QStringList{};
        QTest::newRow("ignore word absent")
            << QStringList{"FUEL"} << QStringList{"TEST"} << msg << QStringList{"FUEL"};
        QTest::newRow("ignore word that is also watched")
            << QStringList{"FUEL"} << QStringList{"FUEL"} << msg << QStringList{};
    }
    void matcherCases()
    {
        QFETCH(QStringList, words);
        QFETCH(QStringList, ignore);
        QFETCH(QString, text);
        QFETCH(QStringList, expected);
        QCOMPARE(naive(words, ignore, text), expected);
        QCOMPARE(AlertMatcher(words, ignore).matchedWords(text), expected);
    }

    // Many random word lists over a small alphabet, so that words overlap,
    // nest and repeat, against many random texts.
    void matcherAgreesWithSearchingEachWord()
    {
        QRandomGenerator rng(1729);
        const QString alphabet = QString::fromUtf8("ABCab -\r\n€");
        for (int list = 0; list < 300; ++list) {
            QStringList words, ignore;
            const int n = int(rng.bounded(1, 12));
            for (int i = 0; i < n; ++i)
                words << randomText(rng, alphabet, 4);
            if (list % 3 == 0)
                ignore << randomText(rng, alphabet, 5);
            const AlertMatcher matcher(words, ignore);
            for (int t = 0; t < 60; ++t) {
                const QString text = randomText(rng, alphabet, 40);
                const QStringList want = naive(words, ignore, text);
                const QStringList got = matcher.matchedWords(text);
                if (got != want)
                    QFAIL(qPrintable(QStringLiteral("words %1 ignore %2 text \"%3\": %4 vs %5")
                                         .arg(words.join('|'), ignore.join('|'), text,
                                              got.join('|'), want.join('|'))));
            }
        }
        QVERIFY(AlertMatcher().matchedWords(QStringLiteral("anything")).isEmpty());
    }

    void wordFileRoundTrip()
    {
        const QString dir = env.newDataDir();
        const QString path = AlertWords::wordsPath(dir);
        QVERIFY(AlertWords::read(path).isEmpty()); // missing file
        const QStringList words{"MAYDAY", "", "two words", QString::fromUtf8("café")};
        QVERIFY(AlertWords::write(path, words));
        QCOMPARE(readBytes(path), QByteArray("MAYDAY\r\n\r\ntwo words\r\ncaf\xe9\r\n"));
        QCOMPARE(AlertWords::read(path), words);
        QVERIFY(AlertWords::write(path, {}));
        QCOMPARE(readBytes(path), QByteArray());
        QVERIFY(AlertWords::read(path).isEmpty());
        QCOMPARE(QFileInfo(AlertWords::ignorePath(dir)).fileName(),
                 QStringLiteral("alerts-ignore.txt"));
        // Files edited elsewhere: bare LF, no line end after the last line.
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("A\nB\r\n\nC");
        f.close();
        QCOMPARE(AlertWords::read(path), (QStringList{"A", "B", "", "C"}));
        QString why;
        QVERIFY(!AlertWords::write(dir + "/no/such/folder/alerts.txt", words, &why));
        QVERIFY(why.contains("alerts.txt"));
    }

    void wordsThatCannotBeKept()
    {
        QVERIFY(AlertWords::whyNotStorable(QStringLiteral("TWO WORDS")).isEmpty());
        QVERIFY(AlertWords::whyNotStorable(QString::fromUtf8("€ café")).isEmpty());
        QVERIFY(!AlertWords::whyNotStorable(QStringLiteral("A\nB")).isEmpty());
        QVERIFY(!AlertWords::whyNotStorable(QString::fromUtf8("Ω")).isEmpty());
    }

    void alertLogRows()
    {
        Store store;
        store.open(env.newDataDir());
        AlertLog log(store);
        const QList<AlertRow> rows{{"2026-03-02 10:00:00", "B", "text b"},
                                   {"2026-03-01 23:59:59", "A", "text a\r\nline 2"},
                                   {"2026-03-03 00:00:00", "", "text c"}};
        log.add(rows);
        log.add({});
        QCOMPARE(log.count(), 3);
        QCOMPARE(log.all(), rows);
        QCOMPARE(log.since(QDate(2026, 3, 2)), (QList<AlertRow>{rows[0], rows[2]}));
        QCOMPARE(log.since(QDate(2026, 3, 1)).first(), rows[1]);
        QVERIFY(log.since(QDate(2026, 3, 4)).isEmpty());
        log.clear();
        QCOMPARE(log.count(), 0);
    }

    void alertBatchIsAllOrNothing()
    {
        Store store;
        store.open(env.newDataDir());
        // The second row of the batch fails; the first must not stay.
        store.alerts().exec("CREATE TRIGGER no_bad BEFORE INSERT ON ALERTS WHEN NEW.ALERT = 'bad' "
                            "BEGIN SELECT RAISE(ABORT, 'refused'); END");
        AlertLog log(store);
        QVERIFY_THROWS_EXCEPTION(StoreError, log.add({{"2026-03-02 10:00:00", "good", "t"},
                                                      {"2026-03-02 10:00:00", "bad", "t"}}));
        QCOMPARE(log.count(), 0);
    }

    void firstLineOfAText()
    {
        QCOMPARE(AlertRow({"", "", "\r\n\r\n  FIRST \r\nSECOND"}).firstLine(),
                 QStringLiteral("  FIRST "));
        QCOMPARE(AlertRow({"", "", "ONE\nTWO"}).firstLine(), QStringLiteral("ONE"));
        QCOMPARE(AlertRow({"", "", "ONLY"}).firstLine(), QStringLiteral("ONLY"));
        QCOMPARE(AlertRow({"", "", "\r\n \r\n"}).firstLine(), QString());
    }
};

QTEST_GUILESS_MAIN(AlertCoreTest)
#include "tst_alertcore.moc"
