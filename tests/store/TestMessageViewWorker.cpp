#include "store/FilterChoices.h"
#include "store/MessageDeletion.h"
#include "store/MessagePager.h"
#include "store/MessageRecorder.h"
#include "store/MessageViewWorker.h"
#include "store/RowIdList.h"
#include "store/SqliteDb.h"
#include "store/Store.h"
#include "support/MessageRecords.h"
#include "support/TestEnvironment.h"

#include <QSemaphore>
#include <QtTest>
#include <atomic>
#include <limits>

using namespace corvane;
using corvane::test::message;

namespace
{

std::vector<qint64> idsOf(const ComputedView &c)
{
    std::vector<qint64> ids;
    for (qint64 i = 0; i < c.ids.size(); ++i)
        ids.push_back(c.ids.at(i));
    return ids;
}

} // namespace

// Views worked out on the worker's own connection must equal those worked out
// on the window's, and only the latest request may ever be delivered.
class TestMessageViewWorker : public QObject
{
    Q_OBJECT

    test::TestEnvironment env;
    std::unique_ptr<Store> store;

    void record()
    {
        // Texts that tie, differ only in case, or are empty, so the order
        // depends on the time and row id after the text.
        const char *texts[] = {"B", "a", "A", "", "B", "a b", "A"};
        MessageRecorder recorder(*store);
        for (int i = 0; i < 21; ++i) {
            MessageRecord r = message(
                i % 3 ? QStringLiteral("G-AAA%1").arg(i % 4) : QStringLiteral("g-aaa%1").arg(i % 4),
                QStringLiteral("BA%1").arg(i % 2),
                QStringLiteral("0%1/12/2026 10:%2").arg(1 + i % 3).arg(59 - i, 2, 10, QChar('0')));
            r.mText = QString::fromLatin1(texts[i % 7]);
            recorder.storeMessage(r, nullptr);
        }
        recorder.commitBatch();
    }

    MessageViewWorker::Result workOut(MessageViewWorker &worker, const MessageView &view)
    {
        worker.request(view);
        if (!worker.waitForLatest(10000))
            return {};
        return worker.takeLatest().value_or(MessageViewWorker::Result{});
    }

private slots:
    void init()
    {
        store = std::make_unique<Store>();
        store->open(env.newDataDir());
        record();
    }
    void cleanup() { store.reset(); }

    void sameAsTheWindowsConnection_data()
    {
        QTest::addColumn<MessageView>("view");
        QTest::newRow("all, time order") << MessageView::all();
        QTest::newRow("text order") << MessageView::sortedBy(MessageView::Text);
        QTest::newRow("text order, descending") << MessageView::sortedBy(MessageView::Text, true);
        QTest::newRow("label order") << MessageView::sortedBy(MessageView::Label);
        QTest::newRow("registration filter, any case")
            << MessageView::byRegistration(QStringLiteral("g-aaa1"));
        QTest::newRow("a day") << MessageView::byDate(QDate(2026, 12, 2), QDate(2026, 12, 2));
        QTest::newRow("nothing") << MessageView::byFlight(QStringLiteral("XX1"));
    }

    void sameAsTheWindowsConnection()
    {
        QFETCH(MessageView, view);
        MessageViewWorker worker(*store);
        const MessageViewWorker::Result result = workOut(worker, view);
        QCOMPARE(result.error, QString());
        QVERIFY(result.computed.view == view);
        const ComputedView expected = MessagePager::compute(*store, view);
        QCOMPARE(result.computed.count, expected.count);
        QCOMPARE(result.computed.byIds, !view.hasIndexedOrder());
        QCOMPARE(idsOf(result.computed), idsOf(expected));

        // Shown through a pager, the rows are those of the view worked out here.
        MessagePager shown(*store), direct(*store);
        shown.adopt(MessageViewWorker::Result(result).computed);
        direct.setView(view);
        QCOMPARE(shown.rowCount(), direct.rowCount());
        for (qint64 i = 0; i < direct.rowCount(); ++i)
            QCOMPARE(shown.row(i)->rowid, direct.row(i)->rowid);
    }

    void onlyTheLatestRequestIsDelivered()
    {
        MessageViewWorker worker(*store);
        QSemaphore started, release;
        std::atomic<int> delivered{0};
        worker.beforeRun = [&](const MessageView &v) {
            if (v.sortColumn() == MessageView::Text) {
                started.release();
                release.acquire();
            }
        };
        worker.onReady = [&] { ++delivered; };

        const MessageView slow = MessageView::sortedBy(MessageView::Text);
        const MessageView next = MessageView::sortedBy(MessageView::Label);
        worker.request(slow);
        QVERIFY(started.tryAcquire(1, 10000));
        QVERIFY(worker.isBusy());
        QVERIFY(!worker.waitForLatest(20));
        QVERIFY(!worker.takeLatest());

        // A newer view replaces the running one; its result is dropped.
        worker.request(next);
        release.release();
        QVERIFY(worker.waitForLatest(10000));
        const auto result = worker.takeLatest();
        QVERIFY(result);
        QVERIFY(result->computed.view == next);
        QVERIFY(!worker.takeLatest()); // once only
        QTRY_VERIFY(!worker.isBusy());
        QTRY_COMPARE(delivered.load(), 1);
        QTest::qWait(50);
        QCOMPARE(delivered.load(), 1);
    }

    void aRepeatedViewIsStillDelivered()
    {
        // A reload of the view being worked on does not stop it: its rows
        // are the newest there are until the repeat is done.
        MessageViewWorker worker(*store);
        QSemaphore started, release;
        std::atomic<int> delivered{0};
        worker.beforeRun = [&](const MessageView &) {
            started.release();
            release.acquire();
        };
        worker.onReady = [&] { ++delivered; };
        const MessageView view = MessageView::sortedBy(MessageView::Text);
        worker.request(view);
        QVERIFY(started.tryAcquire(1, 10000));
        worker.request(view);
        release.release(2);
        QTRY_COMPARE(delivered.load(), 2);
        QVERIFY(worker.takeLatest());
    }

    void anUnreadableStoreIsReportedNotShown()
    {
        MessageViewWorker worker(*store);
        store->acarsLog().exec("DROP TABLE tMessage");
        const MessageViewWorker::Result result = workOut(worker, MessageView::all());
        QVERIFY(!result.error.isEmpty());
    }

    void pagesFoundByTheirHourEqualTheWholeView_data()
    {
        QTest::addColumn<MessageView>("view");
        QTest::newRow("all") << MessageView::all();
        QTest::newRow("all, newest first") << MessageView::sortedBy(MessageView::Time, true);
        QTest::newRow("two days") << MessageView::byDate(QDate(2026, 11, 2), QDate(2026, 11, 4));
    }

    void pagesFoundByTheirHourEqualTheWholeView()
    {
        QFETCH(MessageView, view);
        // Several pages over many hours, some hours crowded, some empty, and
        // messages sharing a second.
        MessageRecorder recorder(*store);
        for (int i = 0; i < 2600; ++i) {
            const int minutes = i < 800 ? i / 7 : i * 2;
            const QDateTime t = QDateTime(QDate(2026, 11, 1), QTime(22, 0)).addSecs(minutes * 60);
            recorder.storeMessage(message(QStringLiteral("G-B%1").arg(i % 9), QStringLiteral("BA1"),
                                          t.toString(QStringLiteral("dd/MM/yyyy HH:mm"))),
                                  nullptr);
        }
        recorder.commitBatch();

        const auto check = [&](bool bySeek) {
            QCOMPARE(MessagePager::compute(*store, view).hours.empty(), !bySeek);
            std::vector<qint64> whole;
            const QByteArray sql = view.selectSql().toUtf8();
            SqliteStatement st(store->acarsLog(), sql.constData());
            const QStringList values = view.parameters();
            for (int i = 0; i < values.size(); ++i)
                st.bind(i + 1, values[i]);
            while (st.step())
                whole.push_back(st.int64(0));
            QVERIFY(whole.size() > 2 * MessagePager::kPageSize);
            MessagePager pager(*store, 2);
            pager.setView(view);
            QCOMPARE(pager.rowCount(), qint64(whole.size()));
            // Out of order, so pages are read anew from every part of the view.
            for (qint64 i = 0; i < pager.rowCount(); i += 97)
                QCOMPARE(pager.row(pager.rowCount() - 1 - i)->rowid,
                         whole[size_t(pager.rowCount() - 1 - i)]);
            for (qint64 i = 0; i < pager.rowCount(); ++i)
                QCOMPARE(pager.row(i)->rowid, whole[size_t(i)]);
        };
        check(true);
        // A row the kept counts do not know of: the view steps instead.
        store->acarsLog().exec("INSERT INTO tMessage (mTime, mReg) VALUES "
                               "('2026-11-02 12:30:00', 'RAW')");
        check(false);
    }

    void rowIdsBeyondThirtyTwoBitsKeepTheirValues()
    {
        RowIdList ids;
        ids.reserve(3);
        ids.append(7);
        ids.append(std::numeric_limits<std::uint32_t>::max());
        QVERIFY(!ids.isWide());
        const qint64 big = qint64(std::numeric_limits<std::uint32_t>::max()) + 5;
        ids.append(big);
        QVERIFY(ids.isWide());
        QCOMPARE(ids.size(), 3);
        QCOMPARE(ids.at(0), 7);
        QCOMPARE(ids.at(1), qint64(std::numeric_limits<std::uint32_t>::max()));
        QCOMPARE(ids.at(2), big);
    }

    void registrationChoicesFollowTheMessages()
    {
        // Read from the register, the list still holds each registration the
        // messages carry once, and loses one whose last message is deleted.
        FilterChoices choices(*store);
        QCOMPARE(choices.registrations(), (QStringList{"g-aaa0", "G-AAA1", "G-AAA2", "g-aaa3"}));
        SqliteStatement ids(store->acarsLog(), "SELECT rowid FROM tMessage WHERE mReg = 'G-AAA2'");
        std::vector<qint64> doomed;
        while (ids.step())
            doomed.push_back(ids.int64(0));
        MessageDeletion deletion(*store);
        for (qint64 id : doomed)
            QVERIFY(deletion.deleteMessage(id));
        QCOMPARE(choices.registrations(), (QStringList{"g-aaa0", "G-AAA1", "g-aaa3"}));
    }
};

QTEST_GUILESS_MAIN(TestMessageViewWorker)
#include "TestMessageViewWorker.moc"
