#include "store/MessageDeletion.h"
#include "store/MessagePager.h"
#include "store/MessageRecorder.h"
#include "store/MessageSearch.h"
#include "store/MessageView.h"
#include "store/SqliteDb.h"
#include "store/SqliteTableSql.h"
#include "store/Store.h"
#include "store/StoreCleanup.h"
#include "support/MessageRecords.h"
#include "support/StoreRows.h"
#include "support/TestEnvironment.h"

#include <QtTest>

using namespace corvane;
using corvane::test::message;
using corvane::test::rows;

namespace
{

struct Sample {
    const char *reg;
    const char *flight;
    const char *label;
    const char *text;
};

// Texts as decoders write them: words glued together, line breaks, quotes,
// characters that mean something to LIKE or to a query language, letters
// beyond ASCII.
const Sample kSamples[] = {
    {"G-EUPA", "BA0123", "H1", "POSN51234W001234,BA0123,1008,350"},
    {"G-EUPB", "BA0124", "5U", "/PIKCLYA.ADS.G-EUPA07"},
    {"N123AB", "UA0901", "H1", "LINE ONE\nLINE TWO\nEND"},
    {"N123AB", "UA0902", "_d", "FIRST\r\nSECOND"},
    {"D-ABCD", "LH0400", "H1", "say \"hello\" 100% done_now"},
    {"D-ABCE", "LH0401", "80", "Mixed Case Text abc"},
    {"F-GHIJ", "AF0011", "Q0",
     "\xc3\x89"
     "CLAIR \xc3\xa9t\xc3\xa9"},
    {"EI-ABC", "FR1234", "H1", "a*b-c OR d AND e NEAR(f)"},
    {"EI-ABD", "FR1235", "SA", ""},
    {"PH-XYZ", "KL0001", "H1", "x"},
    {"PH-XYZ", "KL0002", "H1", "100 PERCENT_DONE"},
    {"G-EUPA", "BA0125", "H1", "ETA 1234 EGLL"},
};

QString asciiLower(const QString &text)
{
    QString out = text;
    for (QChar &c : out)
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() + 32);
    return out;
}

} // namespace

// A search finds exactly what reading every message would, and the index
// stays equal to the messages through every way they are stored or removed.
class TestMessageSearch : public QObject
{
    Q_OBJECT

    test::TestEnvironment env;
    QString folder;
    std::unique_ptr<Store> store;

    static MessageRecord sample(const Sample &s, int minute)
    {
        MessageRecord r =
            message(QString::fromUtf8(s.reg), QString::fromUtf8(s.flight),
                    QStringLiteral("07/12/2026 10:%1").arg(minute, 2, 10, QChar('0')));
        r.mLabel = QString::fromUtf8(s.label);
        r.mText = QString::fromUtf8(s.text);
        return r;
    }

    void recordSamples(MessageRecorder &recorder, int firstMinute)
    {
        int minute = firstMinute;
        for (const Sample &s : kSamples)
            QCOMPARE(recorder.storeMessage(sample(s, minute++), nullptr), StoreResult::Stored);
    }

    // Row ids of the messages holding the text, newest first, by reading them all.
    std::vector<qint64> scan(const QString &text, const MessageView &filter)
    {
        std::vector<qint64> hits;
        const QByteArray sql = ("SELECT rowid, mText, mReg, mFlight, mLabel FROM tMessage" +
                                filter.whereClause() + " ORDER BY mTime DESC, rowid DESC")
                                   .toUtf8();
        SqliteStatement st(store->acarsLog(), sql.constData());
        const QStringList values = filter.parameters();
        for (int i = 0; i < values.size(); ++i)
            st.bind(i + 1, values[i]);
        const QString wanted = asciiLower(text);
        while (st.step())
            for (int c = 1; c <= 4; ++c)
                if (asciiLower(st.text(c)).contains(wanted)) {
                    hits.push_back(st.int64(0));
                    break;
                }
        return hits;
    }

    std::vector<qint64> found(const MessageView &view, qint64 limit = 0)
    {
        std::vector<qint64> ids;
        for (const MessageRow &row : MessageSearch::find(*store, view, limit))
            ids.push_back(row.rowid);
        return ids;
    }

    // The index holds exactly the trigrams of the messages there are: it is
    // compared with one built afresh from them.
    void indexEqualsMessages()
    {
        SqliteDb &db = store->acarsLog();
        db.exec("CREATE VIRTUAL TABLE Fresh USING fts5(mText, mReg, mFlight, mLabel, "
                "content='tMessage', tokenize='trigram', detail='none', columnsize=0)");
        db.exec("INSERT INTO Fresh (Fresh) VALUES ('rebuild')");
        db.exec("CREATE VIRTUAL TABLE KeptTerms USING fts5vocab(MessageSearch, instance)");
        db.exec("CREATE VIRTUAL TABLE FreshTerms USING fts5vocab(Fresh, instance)");
        const QStringList extra =
            rows(*store, "SELECT term, doc FROM KeptTerms EXCEPT SELECT term, doc FROM FreshTerms");
        const QStringList missing =
            rows(*store, "SELECT term, doc FROM FreshTerms EXCEPT SELECT term, doc FROM KeptTerms");
        for (const char *table : {"KeptTerms", "FreshTerms", "Fresh"})
            db.exec(QByteArray("DROP TABLE ") + table);
        QVERIFY2(extra.isEmpty(),
                 qPrintable(QStringLiteral("left over: ") + extra.mid(0, 5).join(u", ")));
        QVERIFY2(missing.isEmpty(),
                 qPrintable(QStringLiteral("missing: ") + missing.mid(0, 5).join(u", ")));
    }

    qint64 indexedMessages()
    {
        return rows(*store, "SELECT count(*) FROM MessageSearch WHERE MessageSearch MATCH '\"TEX\" "
                            "AND \"EXT\"'")
            .value(0)
            .toLongLong();
    }

private slots:
    void init()
    {
        env.resetSettings();
        folder = env.newDataDir();
        store = std::make_unique<Store>();
        store->open(folder);
        MessageRecorder recorder(*store);
        recordSamples(recorder, 0);
        recordSamples(recorder, 20); // every text twice, so order matters
        recorder.commitBatch();
    }
    void cleanup() { store.reset(); }

    void hitsEqualAScan_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("hits");
        QTest::newRow("start of a text") << QStringLiteral("POSN5") << 2;
        QTest::newRow("middle, glued") << QStringLiteral("W0012") << 2;
        QTest::newRow("end of a text") << QStringLiteral("G-EUPA07") << 2;
        QTest::newRow("registration") << QStringLiteral("g-eupa") << 6;
        QTest::newRow("flight") << QStringLiteral("UA090") << 4;
        QTest::newRow("two characters, label and text") << QStringLiteral("_D") << 4;
        QTest::newRow("across a line break") << QStringLiteral("ONE\nLINE") << 2;
        QTest::newRow("across CR LF") << QStringLiteral("FIRST\r\nSEC") << 2;
        QTest::newRow("not across a break that is not there") << QStringLiteral("ONE LINE") << 0;
        QTest::newRow("case") << QStringLiteral("mIXED cASE") << 2;
        QTest::newRow("double quotes") << QStringLiteral("\"hello\"") << 2;
        QTest::newRow("one double quote") << QStringLiteral("\"") << 2;
        QTest::newRow("percent") << QStringLiteral("100%") << 2;
        QTest::newRow("underscore is no wildcard") << QStringLiteral("E_N") << 2;
        QTest::newRow("percent alone") << QStringLiteral("%") << 2;
        QTest::newRow("asterisk and minus") << QStringLiteral("a*b-c") << 2;
        QTest::newRow("query words") << QStringLiteral("OR d AND") << 2;
        QTest::newRow("NEAR is text") << QStringLiteral("NEAR(f)") << 2;
        QTest::newRow("ASCII case only") << QString::fromUtf8("\xc3\xa9"
                                                              "clair")
                                         << 0;
        QTest::newRow("letters beyond ASCII as they are") << QString::fromUtf8("\xc3\x89"
                                                                               "clair")
                                                          << 2;
        QTest::newRow("one character") << QStringLiteral("x") << -1;
        QTest::newRow("two characters") << QStringLiteral("12") << -1;
        QTest::newRow("digits in several fields") << QStringLiteral("1234") << 6;
        QTest::newRow("nothing") << QStringLiteral("ZZZZ") << 0;
        QTest::newRow("longer than any text")
            << QStringLiteral("POSN51234W001234,BA0123,1008,350 and more") << 0;
    }
    void hitsEqualAScan()
    {
        QFETCH(QString, text);
        QFETCH(int, hits);
        const std::vector<qint64> expected = scan(text, MessageView::all());
        if (hits >= 0)
            QCOMPARE(int(expected.size()), hits);
        QCOMPARE(found(MessageView::all().withSearch(text)), expected);
        // The first few, however they are read.
        const size_t few = std::min<size_t>(3, expected.size());
        QCOMPARE(found(MessageView::all().withSearch(text), 3),
                 std::vector<qint64>(expected.begin(), expected.begin() + qsizetype(few)));

        // The grid's pager shows the same hits in the same order.
        MessagePager pager(*store);
        pager.setView(MessageView::all().withSearch(text));
        QCOMPARE(pager.rowCount(), qint64(expected.size()));
        for (size_t i = 0; i < expected.size(); ++i)
            QCOMPARE(pager.row(qint64(i))->rowid, expected[i]);
    }

    void combinesWithTheFiltersAndALimit()
    {
        const QString text = QStringLiteral("1234");
        const MessageView filters[] = {
            MessageView::byRegistration(QStringLiteral("G-EUPA")),
            MessageView::byFlight(QStringLiteral("FR1234")),
            MessageView::byDate(QDate(2026, 12, 7), QDate(2026, 12, 7)),
            MessageView::byDate(QDate(2026, 12, 8), QDate(2026, 12, 9)),
        };
        for (const MessageView &filter : filters) {
            const std::vector<qint64> expected = scan(text, filter);
            QCOMPARE(found(filter.withSearch(text)), expected);
            QCOMPARE(filter.withSearch(text).count(*store), qint64(expected.size()));
        }
        const std::vector<qint64> all = scan(text, MessageView::all());
        QCOMPARE(found(MessageView::all().withSearch(text), 2),
                 std::vector<qint64>(all.begin(), all.begin() + 2));
        // Taking the search away restores the filter's own view.
        const MessageView back = filters[0].withSearch(text).withSearch(QString());
        QCOMPARE(back, filters[0]);
    }

    void sortingKeepsTheHits()
    {
        const MessageView hits = MessageView::all()
                                     .withSearch(QStringLiteral("1234"))
                                     .withOrder(MessageView::Reg, false);
        MessagePager pager(*store);
        pager.setView(hits);
        QCOMPARE(pager.rowCount(), qint64(6));
        QStringList regs;
        for (qint64 i = 0; i < pager.rowCount(); ++i)
            regs << pager.row(i)->fields[MessageView::Reg];
        QCOMPARE(regs, QStringList({"EI-ABC", "EI-ABC", "G-EUPA", "G-EUPA", "G-EUPA", "G-EUPA"}));
    }

    void indexFollowsDeletions()
    {
        indexEqualsMessages();
        MessageDeletion deletion(*store);
        const std::vector<qint64> hello = scan(QStringLiteral("hello"), MessageView::all());
        QVERIFY(deletion.deleteMessage(hello.front()));
        QVERIFY(deletion.deletePair(QStringLiteral("N123AB"), QStringLiteral("UA0901")));
        indexEqualsMessages();
        QCOMPARE(found(MessageView::all().withSearch(QStringLiteral("hello"))).size(), size_t(1));
        QVERIFY(found(MessageView::all().withSearch(QStringLiteral("LINE TWO"))).empty());

        // A message stored now may take a freed rowid; it is found by its own text only.
        MessageRecorder recorder(*store);
        MessageRecord r = sample(kSamples[0], 50);
        r.mText = QStringLiteral("BRAND NEW");
        recorder.storeMessage(r, nullptr);
        recorder.commitBatch();
        indexEqualsMessages();
        QCOMPARE(found(MessageView::all().withSearch(QStringLiteral("brand new"))).size(),
                 size_t(1));

        StoreCleanup(*store).deleteAllMessages();
        indexEqualsMessages();
        QCOMPARE(indexedMessages(), 0);
    }

    void indexFollowsDuplicateRemoval()
    {
        // Few duplicates go one by one; most go by copying the few that stay.
        const QString text = QStringLiteral("1234");
        QVERIFY(StoreCleanup(*store)
                    .removeDuplicates(MessageView::byRegistration(QStringLiteral("G-EUPA")))
                    .removed > 0);
        indexEqualsMessages();
        QCOMPARE(found(MessageView::all().withSearch(text)), scan(text, MessageView::all()));
        QVERIFY(StoreCleanup(*store).removeDuplicates(MessageView::all()).removed > 0);
        indexEqualsMessages();
        QCOMPARE(found(MessageView::all().withSearch(text)), scan(text, MessageView::all()));
    }

    void indexFollowsCompacting()
    {
        MessageDeletion deletion(*store);
        for (qint64 rowid : scan(QStringLiteral("POSN"), MessageView::all()))
            QVERIFY(deletion.deleteMessage(rowid));
        // Without indexes on it the engine numbers the table afresh when it compacts.
        for (const char *index : {"idxMessageTime", "idxMessageReg", "idxMessageFlight"})
            store->acarsLog().exec(QByteArray("DROP INDEX ") + index);
        const qint64 lastBefore = scan(QStringLiteral("EGLL"), MessageView::all()).front();
        StoreCleanup(*store).compact();
        QVERIFY(scan(QStringLiteral("EGLL"), MessageView::all()).front() < lastBefore);
        indexEqualsMessages();
        QCOMPARE(found(MessageView::all().withSearch(QStringLiteral("EGLL"))),
                 scan(QStringLiteral("EGLL"), MessageView::all()));
    }

    void aRolledBackBatchLeavesNothing()
    {
        MessageRecorder recorder(*store);
        MessageRecord r = sample(kSamples[0], 40);
        r.mText = QStringLiteral("NEVER KEPT");
        recorder.storeMessage(r, nullptr);
        recorder.rollbackBatch();
        indexEqualsMessages();
        QVERIFY(found(MessageView::all().withSearch(QStringLiteral("never kept"))).empty());
        // Nor does a rowid it held leave anything behind for the next message.
        r.mText = QStringLiteral("KEPT");
        recorder.storeMessage(r, nullptr);
        recorder.commitBatch();
        indexEqualsMessages();
    }

    void anOlderStoreIsIndexedOnOpening()
    {
        store.reset();
        const QString dir = env.newDataDir();
        {
            SqliteDb old;
            old.open(dir + u'/' + Schema::fileName(Schema::File::AcarsLog));
            old.exec(SqliteTableSql::createStatements(Schema::File::AcarsLog, 4).constData());
            old.setUserVersion(4);
            SqliteTransaction tx(old);
            SqliteStatement insert(old,
                                   "INSERT INTO tMessage (mTime, mReg, mFlight, mLabel, mText) "
                                   "VALUES ('2026-12-07 10:00:00', ?, 'BA1', 'H1', ?)");
            for (int i = 0; i < 120000; ++i) {
                insert.bind(1, QStringLiteral("G-%1").arg(i % 500, 4, 10, QChar('0')));
                insert.bind(2, QStringLiteral("MESSAGE %1 TEXT").arg(i));
                insert.run();
            }
            tx.commit();
        }
        QStringList told;
        store = std::make_unique<Store>();
        store->open(dir, [&told](const QString &text) { told << text; });
        QCOMPARE(store->acarsLog().userVersion(), Schema::kCurrentVersion);
        QVERIFY2(told.size() >= 3, qPrintable(told.join(u'\n')));
        QCOMPARE(told.last(), QStringLiteral("Building the search index: 100%"));
        indexEqualsMessages();
        QCOMPARE(indexedMessages(), 120000);
        QCOMPARE(found(MessageView::all().withSearch(QStringLiteral("message 11999 "))).size(),
                 size_t(1));

        // Opened again, nothing is built or told.
        told.clear();
        store = std::make_unique<Store>();
        store->open(dir, [&told](const QString &text) { told << text; });
        QVERIFY(told.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestMessageSearch)
#include "TestMessageSearch.moc"
