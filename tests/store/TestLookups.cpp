#include "store/AircraftLookup.h"
#include "store/BrowsingQueries.h"
#include "store/LabelMeanings.h"
#include "store/MessageDetail.h"
#include "store/SqliteDb.h"
#include "store/SqliteTableSql.h"
#include "store/Store.h"
#include "store/TablePager.h"
#include "support/TestEnvironment.h"

#include <QtTest>
#include <algorithm>

using namespace corvane;

// The joins of the detail panel and the detail windows, the label meanings
// a store starts with, and the paged register and aircraft lists.
class TestLookups : public QObject
{
    Q_OBJECT

    test::TestEnvironment env;
    std::unique_ptr<Store> store;

    qint64 addMessage(const QString &reg, const QString &flight, const QString &label)
    {
        SqliteStatement st(store->acarsLog(),
                           "INSERT INTO tMessage (mTime, mMode, mReg, mLabel, mBlk, mNo, mFlight, "
                           "mText) VALUES ('2026-12-07 10:00:00', '2', ?, ?, '1', 'M01A', ?, "
                           "'LINE 1\r\nLINE 2')");
        st.bind(1, reg);
        st.bind(2, label);
        st.bind(3, flight);
        st.run();
        return store->acarsLog().lastInsertRowId();
    }
    static QStringList labelRows(SqliteDb &db)
    {
        SqliteStatement st(db, "SELECT CODE, MESSAGE FROM LABELS ORDER BY CODE");
        QStringList out;
        while (st.step())
            out << st.text(0) + u'=' + st.text(1);
        return out;
    }
    // An alerts file as a version 1 store left it, with the given labels.
    QString alertsAtVersionOne(const QStringList &labels)
    {
        const QString dir = env.newDataDir();
        SqliteDb db;
        db.open(dir + "/Alerts.db");
        db.exec(SqliteTableSql::createStatements(Schema::File::Alerts, 1).constData());
        db.setUserVersion(1);
        SqliteStatement insert(db, "INSERT INTO LABELS (CODE, MESSAGE) VALUES (?, ?)");
        for (const QString &label : labels) {
            insert.bind(1, label.section(u'=', 0, 0));
            insert.bind(2, label.section(u'=', 1));
            insert.run();
        }
        return dir;
    }

private slots:
    void init()
    {
        store = std::make_unique<Store>();
        store->open(env.newDataDir());
        SqliteDb &db = store->acarsLog();
        db.exec("INSERT INTO AIRCRAFT (REGISTRATI, TYPE, CARRIER, CN, \"Heard?\") VALUES "
                "('G-EUPT', 'A319', 'BAW', '1234', 1), ('N650FX', 'GLF5', '---', '77', 0), "
                "('D-AIBA', 'A319', 'XXX', '55', 0)");
        db.exec("INSERT INTO CARRIERS (ICAO, IATA, CARRIER) VALUES ('BAW', 'BA', 'British "
                "Airways'), ('---', '', 'Business jets'), ('DLH', 'LH', 'Lufthansa'), "
                "('AFR', 'AF', 'Air France')");
        store->routes().exec("INSERT INTO ROUTES (FLIGHT, ROUTE) VALUES ('BA0001', 'LHR-JFK')");
    }
    void cleanup() { store.reset(); }

    void aNewStoreKnowsTheEverydayLabels()
    {
        MessageDetail detail(*store);
        for (const char *code : {"H1", "SA", "Q0", "QA", "QT", "5Z", "10", "16", "20", "2Z", "44",
                                 "80", "8E", "B1", "BA", "C1", "CA", "RA", "SQ"})
            QVERIFY2(!detail.labelMeaning(QString::fromLatin1(code)).isEmpty(), code);
        QCOMPARE(labelRows(store->alerts()).size(), qsizetype(LabelMeanings::common().size()));
    }

    void anUpgradeFillsOnlyAnEmptyLabelTable_data()
    {
        QTest::addColumn<QStringList>("before");
        QTest::newRow("empty") << QStringList{};
        QTest::newRow("user rows") << QStringList{"H1=My own words", "ZZ=Private"};
    }
    void anUpgradeFillsOnlyAnEmptyLabelTable()
    {
        QFETCH(QStringList, before);
        Store upgraded;
        upgraded.open(alertsAtVersionOne(before));
        QCOMPARE(upgraded.alerts().userVersion(), Schema::kCurrentVersion);
        const QStringList after = labelRows(upgraded.alerts());
        if (before.isEmpty())
            QCOMPARE(after.size(), qsizetype(LabelMeanings::common().size()));
        else
            QCOMPARE(after, before);
        // Opening again changes nothing, even after the user emptied a row.
        upgraded.alerts().exec("DELETE FROM LABELS WHERE CODE = 'SA'");
        const QStringList edited = labelRows(upgraded.alerts());
        upgraded.close();
        upgraded.open(upgraded.folder());
        QCOMPARE(labelRows(upgraded.alerts()), edited);
    }

    void theDetailJoinsTheReferenceTables()
    {
        store->alerts().exec("DELETE FROM LABELS");
        store->alerts().exec("INSERT INTO LABELS (CODE, MESSAGE) VALUES ('H1', 'Onboard "
                             "system'), ('_d', 'Should never be read')");
        MessageDetail detail(*store);
        struct Case {
            const char *reg, *label, *type, *operatorName, *meaning;
            bool known;
        };
        const Case cases[] = {
            // Registrations compare without regard to case.
            {"g-eupt", "H1", "A319", "British Airways", "Onboard system", true},
            // Business jets show no operator.
            {"N650FX", "H1", "GLF5", "", "Onboard system", true},
            // An operator code without a CARRIERS row shows no operator either.
            {"D-AIBA", "H1", "A319", "", "Onboard system", true},
            // An unknown aircraft still gets its label meaning.
            {"F-GKXA", "H1", "", "", "Onboard system", false},
            // "_" labels mean the same whatever LABELS says.
            {"G-EUPT", "_d", "A319", "British Airways", "No information to transmit", true},
            {"G-EUPT", "_j", "A319", "British Airways", "No information to transmit", true},
            // A label without a row means nothing.
            {"G-EUPT", "Z9", "A319", "British Airways", "", true},
        };
        for (const Case &c : cases) {
            const auto d = detail.read(addMessage(c.reg, "BA0001", c.label));
            QVERIFY(d);
            QCOMPARE(d->type, QString::fromLatin1(c.type));
            QCOMPARE(d->operatorName, QString::fromLatin1(c.operatorName));
            QCOMPARE(d->labelMeaning, QString::fromLatin1(c.meaning));
            QCOMPARE(d->aircraftKnown, c.known);
            QCOMPARE(d->route, QStringLiteral("LHR-JFK"));
            QCOMPARE(d->text, QStringLiteral("LINE 1\r\nLINE 2"));
        }
        QVERIFY(detail.read(addMessage("G-EUPT", "XX9", "H1"))->route.isEmpty());
        QVERIFY(!detail.read(999999));
    }

    void operatorsAreOfferedByIataWithBizJetsApart()
    {
        AircraftLookup lookup(*store);
        QCOMPARE(lookup.operatorNamesExceptBiz(),
                 (QStringList{"Air France", "British Airways", "Lufthansa"}));
        QCOMPARE(lookup.codeForChoice("Biz Jets/Misc"), QStringLiteral("---"));
        QCOMPARE(lookup.codeForChoice("Lufthansa"), QStringLiteral("DLH"));
        QVERIFY(!lookup.codeForChoice("Nobody"));
        const auto biz = lookup.aircraft("N650FX");
        QVERIFY(biz);
        QCOMPARE(lookup.carrier(biz->carrierCode)->icao, QStringLiteral("---"));
        QCOMPARE(lookup.operatorName(biz->carrierCode), QString());
    }

    void pagedListsSortByTheirFieldAndJumpToAPrefix()
    {
        // More rows than a page, with counts that sort differently as text.
        SqliteStatement insert(store->acarsLog(),
                               "INSERT INTO UniqueAircraft (Registration, FirstHeard, LastHeard, "
                               "TimesHeard) VALUES (?, '2026-01-01 00:00:00', ?, ?)");
        const int n = TablePager::kPageSize * 2 + 17;
        for (int i = 0; i < n; ++i) {
            insert.bind(1, QStringLiteral("R%1").arg(n - i, 4, 10, QLatin1Char('0')));
            insert.bind(
                2, QStringLiteral("2026-02-%1 00:00:00").arg(1 + i % 28, 2, 10, QLatin1Char('0')));
            insert.bind(3, qint64((i * 37) % 101));
            insert.run();
        }
        TablePager pager(*store, 2);
        pager.setQuery(BrowsingQueries::heardAircraft(BrowsingQueries::HeardTimes));
        QCOMPARE(pager.rowCount(), qint64(n));
        qint64 previous = -1;
        for (qint64 i = 0; i < n; ++i) {
            const qint64 times = pager.row(i)->fields[BrowsingQueries::HeardTimes].toLongLong();
            QVERIFY2(times >= previous, qPrintable(QString::number(i)));
            previous = times;
        }
        QVERIFY(!pager.row(n));

        // Read by offset from either end: every row once, in order.
        pager.setQuery(BrowsingQueries::heardAircraft(BrowsingQueries::HeardRegistration));
        QStringList regs;
        for (qint64 i = n - 1; i >= 0; --i)
            regs.prepend(pager.row(i)->fields[0]);
        QCOMPARE(regs.size(), n);
        QVERIFY(std::is_sorted(regs.begin(), regs.end()));
        QCOMPARE(QSet<QString>(regs.begin(), regs.end()).size(), n);
        const qint64 at = pager.lowerBound("r03");
        QCOMPARE(pager.row(at)->fields[0], QStringLiteral("R0300"));
        QCOMPARE(pager.lowerBound("S"), qint64(n));

        // Explorer and operator lists.
        pager.setQuery(BrowsingQueries::allAircraft());
        QCOMPARE(pager.row(0)->fields, (QStringList{"D-AIBA", "XXX", "A319", "55", "0"}));
        pager.setQuery(BrowsingQueries::aircraftOf("---"));
        QCOMPARE(pager.rowCount(), qint64(1));
        QCOMPARE(pager.row(0)->fields, (QStringList{"N650FX", "GLF5", "77", "0"}));
    }
};

QTEST_GUILESS_MAIN(TestLookups)
#include "TestLookups.moc"
