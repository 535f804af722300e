#include "formats/LiveDayCounts.h"
#include "formats/LivePassFrame.h"
#include "store/DayRange.h"
#include "store/MessageRecorder.h"
#include "store/MessageTime.h"
#include "store/Store.h"
#include "store/StoreFigures.h"
#include "support/MessageRecords.h"
#include "support/TestEnvironment.h"

#include <QtTest>

using namespace corvane;

// Today's counts of a live link, kept without counting the store after
// every pass, against what counting the store says.
class TestLiveDayCounts : public QObject
{
    Q_OBJECT

    test::TestEnvironment env;
    const QDate day{2004, 2, 1};

    static void store(MessageRecorder &recorder, const QStringList &regs, const QString &time)
    {
        for (const QString &reg : regs)
            recorder.storeMessage(test::message(reg, "BA01", time), nullptr);
        recorder.commitBatch();
    }
    void verifyAgainstTheStore(Store &s, LiveDayCounts &counts, MessageRecorder &recorder,
                               const QDate &today)
    {
        LivePassResult result;
        counts.update(recorder, result, today);
        StoreFigures figures(s);
        QCOMPARE(result.today, figures.messagesWithin(DayRange::day(today)));
        QCOMPARE(result.todayAll, figures.aircraftLastHeardWithin(DayRange::day(today)));
    }

private slots:
    void countsFollowPassesOtherWritersAndMidnight()
    {
        Store s;
        s.open(env.newDataDir());
        MessageRecorder recorder(s);
        store(recorder, {"N1", "N2", "N3"}, "31/01/2004 12:00");
        store(recorder, {"N1"}, "01/02/2004 00:00");
        LiveDayCounts counts;
        verifyAgainstTheStore(s, counts, recorder, day);
        QCOMPARE(counts.messages(), 1);

        // Passes: heard again today, newly heard, heard yesterday, tomorrow.
        store(recorder, {"N2", "N4", "N1"}, "01/02/2004 13:00");
        store(recorder, {"N3"}, "31/01/2004 23:59");
        store(recorder, {"N2"}, "02/02/2004 00:00");
        verifyAgainstTheStore(s, counts, recorder, day);
        QCOMPARE(counts.messages(), 4);
        QCOMPARE(counts.aircraft(), 2); // N1 and N4; N2 moved on to tomorrow

        // Another process imports today's messages.
        {
            Store other;
            other.open(s.folder());
            MessageRecorder importer(other);
            store(importer, {"N5", "N6", "N3"}, "01/02/2004 18:00");
        }
        verifyAgainstTheStore(s, counts, recorder, day);
        QCOMPARE(counts.messages(), 7);

        // Midnight: the next day is counted afresh, then kept up again.
        verifyAgainstTheStore(s, counts, recorder, day.addDays(1));
        QCOMPARE(counts.messages(), 1);
        store(recorder, {"N7"}, "02/02/2004 06:00");
        verifyAgainstTheStore(s, counts, recorder, day.addDays(1));
        QCOMPARE(counts.messages(), 2);
    }
};

QTEST_GUILESS_MAIN(TestLiveDayCounts)
#include "tst_livedaycounts.moc"
