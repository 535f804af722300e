#include "app/Dialogs.h"
#include "app/MainWindow.h"
#include "browse/MessageBrowser.h"
#include "browse/MessageGridModel.h"
#include "browse/OperatorAircraftList.h"
#include "browse/StatisticsTab.h"
#include "browse/TrafficCharts.h"
#include "store/MessageRecorder.h"
#include "store/SqliteDb.h"
#include "store/Store.h"
#include "support/MessageRecords.h"
#include "support/TestEnvironment.h"

#include <QAbstractBarSeries>
#include <QBarSeries>
#include <QBarSet>
#include <QChartView>
#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QValueAxis>
#include <QtTest>

using namespace corvane;

// The statistics tab as the window wires it: figures on demand, the import
// button held while the tab is shown, the charts beside them.
class TestStatistics : public QObject
{
    Q_OBJECT

    test::TestEnvironment env;
    QString dataDir;
    std::unique_ptr<Store> store;
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<MessageBrowser> browser;
    std::unique_ptr<OperatorAircraftList> operators;
    std::unique_ptr<StatisticsTab> statistics;

    void record(const QString &reg, const QString &time)
    {
        MessageRecorder r(*store);
        QCOMPARE(r.storeMessage(test::message(reg, QStringLiteral("XY1"), time), nullptr),
                 StoreResult::Stored);
        r.commitBatch();
    }
    void open()
    {
        window = std::make_unique<MainWindow>(*store);
        browser = std::make_unique<MessageBrowser>(*window, *store);
        operators = std::make_unique<OperatorAircraftList>(*window, *store);
        statistics = std::make_unique<StatisticsTab>(*window, *store);
        statistics->viewRecordCount = [this] { return browser->model()->recordCount(); };
        browser->refreshStatistics = [this] { statistics->refreshStatistics(); };
        window->refreshViews = [this, previous = window->refreshViews] {
            previous();
            statistics->refreshStatistics();
        };
        window->startUp();
    }
    QString shown(const char *name) { return statistics->figure(name)->text(); }
    QStringList figures()
    {
        QStringList out;
        for (const char *name :
             {"lblTotalRecordsData", "lblUniqueAFData", "lblUniqueAData", "lblAircraftData",
              "lblCarriersData", "lblFirstRecordData", "lblLastRecordData"})
            out << shown(name);
        return out;
    }
    qreal barTotal(TrafficCharts::Chart chart)
    {
        auto *series = qobject_cast<QAbstractBarSeries *>(
            statistics->charts()->view(chart)->chart()->series().value(0));
        if (!series)
            return -1;
        return series->barSets().value(0)->sum();
    }
    QTabWidget *tabs() { return window->tabs(); }

private slots:
    void init()
    {
        env.resetSettings();
        Dialogs::setUnattended(true);
        Dialogs::reset();
        dataDir = env.newDataDir();
        store = std::make_unique<Store>();
        store->open(dataDir);
    }
    void cleanup()
    {
        statistics.reset();
        operators.reset();
        browser.reset();
        window.reset();
        store.reset();
    }

    void anEmptyStoreFillsEveryFigure()
    {
        open();
        QVERIFY(shown("lblTotalRecordsData").isEmpty()); // nothing counted at start-up
        tabs()->setCurrentIndex(MainWindow::TabStatistics);
        QCOMPARE(figures(), (QStringList{"0", "0", "0", "0", "0", "", ""}));
        QCOMPARE(barTotal(TrafficCharts::PerHour), 0.0);
        QCOMPARE(barTotal(TrafficCharts::Labels), 0.0);
        // Whole numbers on an empty chart's count axis, not 0.2 shown as 0.
        auto *counts = qobject_cast<QValueAxis *>(statistics->charts()
                                                      ->view(TrafficCharts::PerDay)
                                                      ->chart()
                                                      ->axes(Qt::Vertical)
                                                      .value(0));
        QVERIFY(counts);
        QCOMPARE(counts->max(), 1.0);
        QCOMPARE(counts->tickInterval(), 1.0);
    }

    void aFilterCountsItsViewButTheDatesCoverTheTable()
    {
        const QDateTime now = QDateTime::currentDateTime();
        record("G-ONE", "01/03/2025 10:00");
        record("G-TWO", now.toString(QStringLiteral("dd/MM/yyyy HH:mm")));
        record("G-TWO", "05/06/2025 10:00");
        store->acarsLog().exec(
            "INSERT INTO AIRCRAFT (REGISTRATI, CARRIER) VALUES ('G-TWO', 'BAW')");
        store->acarsLog().exec(
            "INSERT INTO CARRIERS (ICAO, IATA) VALUES ('BAW', 'BA'), ('DLH', 'LH')");
        open();
        window->filterType()->setCurrentIndex(MessageBrowser::Registration);
        browser->pickFilterValue("G-TWO");
        QCOMPARE(browser->model()->recordCount(), qint64(2));
        tabs()->setCurrentIndex(MainWindow::TabStatistics);
        QCOMPARE(figures(), (QStringList{"2", "2", "2", "1", "2", "01/03/2025",
                                         now.toString(QStringLiteral("dd/MM/yyyy"))}));
        QCOMPARE(barTotal(TrafficCharts::PerHour), 1.0);
        QCOMPARE(barTotal(TrafficCharts::PerDay), 1.0);
        QCOMPARE(barTotal(TrafficCharts::Operators), 1.0);
        // The heard aircraft the aircraft table does not know.
        QCOMPARE(window->findChild<QPlainTextEdit *>("txtUnmatched")->toPlainText(),
                 QStringLiteral("G-ONE"));
    }

    void theImportButtonIsHeldOnTheTabOnly()
    {
        open();
        QPushButton *import = window->importButton();
        QVERIFY(import->isEnabled());
        for (int tab : {int(MainWindow::TabStatistics), int(MainWindow::TabPairs),
                        int(MainWindow::TabStatistics), int(MainWindow::TabExplorer),
                        int(MainWindow::TabStatistics), int(MainWindow::TabAllRecords)}) {
            tabs()->setCurrentIndex(tab);
            QCOMPARE(import->isEnabled(), tab != MainWindow::TabStatistics);
        }
        // A button disabled by someone else (a live link) is not given back.
        import->setEnabled(false);
        tabs()->setCurrentIndex(MainWindow::TabStatistics);
        tabs()->setCurrentIndex(MainWindow::TabAircraft);
        QVERIFY(!import->isEnabled());
    }

    void figuresFollowTheStoreOnlyWhileShown()
    {
        record("G-ONE", "01/03/2025 10:00");
        open();
        tabs()->setCurrentIndex(MainWindow::TabStatistics);
        QCOMPARE(shown("lblTotalRecordsData"), QStringLiteral("1"));
        tabs()->setCurrentIndex(MainWindow::TabAllRecords);
        record("G-TWO", "02/03/2025 10:00");
        window->refreshViews(); // the end of a log on the first tab
        QCOMPARE(shown("lblTotalRecordsData"), QStringLiteral("1"));
        QCOMPARE(shown("lblUniqueAData"), QStringLiteral("1"));
        tabs()->setCurrentIndex(MainWindow::TabStatistics);
        QCOMPARE(shown("lblTotalRecordsData"), QStringLiteral("2"));
        record("G-TRE", "03/03/2025 10:00");
        window->refreshViews(); // a live pass while the tab is shown
        QCOMPARE(shown("lblUniqueAData"), QStringLiteral("3"));
        QCOMPARE(shown("lblLastRecordData"), QStringLiteral("03/03/2025"));
    }

    void clearEmptiesTheUnmatchedList()
    {
        open();
        statistics->unmatched()->setPlainText(QStringLiteral("G-XXXX\nG-YYYY"));
        window->findChild<QPushButton *>(QStringLiteral("cmdClearUnmatched"))->click();
        QVERIFY(statistics->unmatched()->toPlainText().isEmpty());
    }
};

QTEST_MAIN(TestStatistics)
#include "tst_statistics.moc"
