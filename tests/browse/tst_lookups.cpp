#include "app/Dialogs.h"
#include "app/MainWindow.h"
#include "browse/AircraftExplorer.h"
#include "browse/MessageBrowser.h"
#include "browse/MessageDetailPanel.h"
#include "browse/MessageGridModel.h"
#include "browse/OperatorAircraftList.h"
#include "browse/RegisterBrowser.h"
#include "browse/TableGridModel.h"
#include "browse/core/PhotoSearch.h"
#include "recording/RecorderThread.h"
#include "store/MessageRecorder.h"
#include "store/SqliteDb.h"
#include "store/Store.h"
#include "support/MessageRecords.h"
#include "support/StoreRows.h"
#include "support/TestEnvironment.h"

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableView>
#include <QtTest>

using namespace corvane;
using corvane::test::rows;

// The detail panel, the detail windows, the register tabs with their
// deletions, the explorer and the aircraft-by-operator list, driven
// through their widgets on a real store.
class TestLookups : public QObject
{
    Q_OBJECT

    test::TestEnvironment env;
    QString dataDir;
    std::unique_ptr<Store> store;
    std::unique_ptr<RecorderThread> recorder;
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<MessageBrowser> browser;
    std::unique_ptr<MessageDetailPanel> detail;
    std::unique_ptr<RegisterBrowser> registers;
    std::unique_ptr<AircraftExplorer> explorer;
    std::unique_ptr<OperatorAircraftList> operators;
    // The fields of each detail window shown, by object name.
    QMap<QString, QMap<QString, QString>> shownFields;

    void record(MessageRecorder &r, const QString &reg, const QString &flight, const QString &time,
                const QString &label = QStringLiteral("H1"))
    {
        MessageRecord m = test::message(reg, flight, time);
        m.mLabel = label;
        m.mText = QStringLiteral("FIRST LINE\r\nSECOND LINE ") + reg;
        QCOMPARE(r.storeMessage(m, nullptr), StoreResult::Stored);
    }
    int messageRowOf(const QString &reg, const QString &time)
    {
        auto *model = browser->model();
        for (int r = 0; r < model->rowCount(); ++r)
            if (model->messageAt(r)->fields[MessageView::Reg] == reg &&
                model->messageAt(r)->fields[MessageView::Time] == time)
                return r;
        return -1;
    }
    static int rowOf(TableGridModel *model, const QString &first, const QString &second = {})
    {
        for (int r = 0; r < model->rowCount(); ++r)
            if (model->field(r, 0) == first && (second.isEmpty() || model->field(r, 1) == second))
                return r;
        return -1;
    }
    static QStringList column(TableGridModel *model, int c)
    {
        QStringList out;
        for (int r = 0; r < model->rowCount(); ++r)
            out << model->field(r, c);
        return out;
    }
    void selectRow(QTableView *grid, int row)
    {
        QVERIFY(row >= 0);
        grid->setCurrentIndex(grid->model()->index(row, 0));
    }
    void waitForDeletion(QAction *item)
    {
        QSignalSpy done(registers.get(), &RegisterBrowser::deletionFinished);
        item->trigger();
        QVERIFY(done.wait(5000));
    }
    void registersAgreeWithMessages()
    {
        QCOMPARE(rows(*store, "SELECT Registration, Flight, FirstHeard, LastHeard, TimesHeard "
                              "FROM ACARSLOG ORDER BY 1, 2"),
                 rows(*store, "SELECT mReg, mFlight, MIN(mTime), MAX(mTime), COUNT(*) "
                              "FROM tMessage GROUP BY 1, 2 ORDER BY 1, 2"));
        QCOMPARE(rows(*store, "SELECT Registration, FirstHeard, LastHeard, TimesHeard "
                              "FROM UniqueAircraft ORDER BY 1"),
                 rows(*store, "SELECT mReg, MIN(mTime), MAX(mTime), COUNT(*) "
                              "FROM tMessage GROUP BY 1 ORDER BY 1"));
    }
    void keepFields(QDialog &dialog)
    {
        QMap<QString, QString> fields;
        for (QLineEdit *edit : dialog.findChildren<QLineEdit *>())
            fields[edit->objectName()] = edit->text();
        if (auto *text = dialog.findChild<QPlainTextEdit *>())
            fields[text->objectName()] = text->toPlainText();
        shownFields[dialog.objectName()] = fields;
    }

private slots:
    void init()
    {
        env.resetSettings();
        Dialogs::setUnattended(true);
        Dialogs::reset();
        shownFields.clear();
        dataDir = env.newDataDir();
        store = std::make_unique<Store>();
        store->open(dataDir);
        {
            MessageRecorder r(*store);
            record(r, "G-EUPT", "BA0001", "07/12/2026 10:00");
            record(r, "G-EUPT", "BA0001", "07/12/2026 11:00", "_d");
            record(r, "G-EUPT", "BA0002", "07/12/2026 12:00");
            record(r, "N650FX", "FX01", "07/12/2026 09:00");
            record(r, "F-GKXA", "AF123", "07/12/2026 08:00", "SA");
            for (int i = 0; i < 9; ++i)
                record(r, "D-AIBA", "LH400", QStringLiteral("06/12/2026 0%1:00").arg(i));
            r.commitBatch();
        }
        SqliteDb &db = store->acarsLog();
        db.exec("INSERT INTO AIRCRAFT (REGISTRATI, TYPE, CARRIER, CN, \"Heard?\") VALUES "
                "('G-EUPT', 'A319', 'BAW', '1234', 1), ('N650FX', 'GLF5', '---', '77', 1), "
                "('D-AIBA', 'A321', 'DLH', '55', 0), ('G-BOAC', 'CONC', 'BAW', '100', 0)");
        db.exec("INSERT INTO CARRIERS (ICAO, IATA, CARRIER) VALUES ('BAW', 'BA', 'British "
                "Airways'), ('---', '', 'Business jets'), ('DLH', 'LH', 'Lufthansa')");
        store->routes().exec("INSERT INTO ROUTES (FLIGHT, ROUTE) VALUES ('BA0001', 'LHR-JFK')");

        recorder = std::make_unique<RecorderThread>();
        QVERIFY(recorder->start(dataDir));
        window = std::make_unique<MainWindow>(*store);
        browser = std::make_unique<MessageBrowser>(*window, *store);
        detail = std::make_unique<MessageDetailPanel>(*window, *store, *browser);
        registers = std::make_unique<RegisterBrowser>(*window, *store, *recorder);
        explorer = std::make_unique<AircraftExplorer>(*window, *store);
        operators = std::make_unique<OperatorAircraftList>(*window, *store);
        detail->beforeDialog = [this](QDialog &d) { keepFields(d); };
        registers->beforeDialog = [this](QDialog &d) { keepFields(d); };
        window->resize(1200, 800);
        window->startUp();
    }
    void cleanup()
    {
        operators.reset();
        explorer.reset();
        registers.reset();
        detail.reset();
        browser.reset();
        window.reset();
        recorder.reset();
        store.reset();
    }

    void detailPanelFollowsTheCurrentMessage()
    {
        QTableView *grid = window->messageGrid();
        selectRow(grid, messageRowOf("G-EUPT", "2026-12-07 10:00:00"));
        QCOMPARE(window->messageText()->toPlainText(),
                 QStringLiteral("FIRST LINE\nSECOND LINE G-EUPT"));
        QCOMPARE(detail->type()->text(), QStringLiteral("A319"));
        QCOMPARE(detail->carrier()->text(), QStringLiteral("British Airways"));
        QCOMPARE(detail->route()->text(), QStringLiteral("LHR-JFK"));
        QVERIFY(!detail->labelMeaning()->text().isEmpty());
        QCOMPARE(window->strSelectedReg, QStringLiteral("G-EUPT"));

        selectRow(grid, messageRowOf("G-EUPT", "2026-12-07 11:00:00"));
        QCOMPARE(detail->labelMeaning()->text(), QStringLiteral("No information to transmit"));

        // Nothing of the previous row stays for an aircraft the tables lack.
        selectRow(grid, messageRowOf("F-GKXA", "2026-12-07 08:00:00"));
        QCOMPARE(detail->type()->text(), QString());
        QCOMPARE(detail->carrier()->text(), QString());
        QCOMPARE(detail->route()->text(), QString());
        QVERIFY(!detail->labelMeaning()->text().isEmpty()); // SA, looked up regardless

        selectRow(grid, messageRowOf("N650FX", "2026-12-07 09:00:00"));
        QCOMPARE(detail->type()->text(), QStringLiteral("GLF5"));
        QCOMPARE(detail->carrier()->text(), QString());
    }

    void detailWindowsOpenFromTheThreeGrids()
    {
        selectRow(window->messageGrid(), messageRowOf("N650FX", "2026-12-07 09:00:00"));
        emit window->messageGrid()->doubleClicked(window->messageGrid()->currentIndex());
        const auto fromMessage = shownFields.value("frmAircraftDetail");
        QCOMPARE(fromMessage.value("txtRegistration"), QStringLiteral("N650FX"));
        QCOMPARE(fromMessage.value("txtICAO"), QStringLiteral("---"));
        QCOMPARE(fromMessage.value("txtCarrier"), QString());
        QCOMPARE(fromMessage.value("txtSerial"), QStringLiteral("77"));
        QCOMPARE(fromMessage.value("txtDateTime"), QStringLiteral("07/12/2026 09:00:00"));
        QCOMPARE(fromMessage.value("txtFlightNo"), QStringLiteral("FX01"));
        QCOMPARE(fromMessage.value("txtMessage"), QStringLiteral("FIRST LINE\nSECOND LINE N650FX"));

        const int pair = rowOf(registers->pairModel(), "G-EUPT", "BA0002");
        registers->openPairDetail(pair);
        const auto fromPair = shownFields.value("frmAircraftDetailFromUnique");
        QCOMPARE(fromPair.value("txtFlightNo"), QStringLiteral("BA0002"));
        QCOMPARE(fromPair.value("txtCarrier"), QStringLiteral("British Airways"));
        QCOMPARE(fromPair.value("txtIATA"), QStringLiteral("BA"));
        QVERIFY(!fromPair.contains("txtDateTime"));
        QCOMPARE(window->strSelectedReg, QStringLiteral("G-EUPT"));

        registers->openAircraftDetail(rowOf(registers->aircraftModel(), "D-AIBA"));
        const auto fromAircraft = shownFields.value("frmAircraftDetailFromUniqueAicraft");
        QCOMPARE(fromAircraft.value("txtType"), QStringLiteral("A321"));
        QVERIFY(!fromAircraft.contains("txtFlightNo"));

        // An aircraft the tables lack: a message and no window.
        const QStringList before = Dialogs::shownWindows();
        registers->openAircraftDetail(rowOf(registers->aircraftModel(), "F-GKXA"));
        QCOMPARE(Dialogs::shownWindows(), before);
        QCOMPARE(Dialogs::shownMessages().value(0), QStringLiteral("No aircraft data found"));
    }

    void registerGridsSortAscendingByTheClickedField()
    {
        TableGridModel *pairs = registers->pairModel();
        QCOMPARE(column(pairs, 0), (QStringList{"D-AIBA", "F-GKXA", "G-EUPT", "G-EUPT", "N650FX"}));
        QCOMPARE(pairs->headerData(4, Qt::Horizontal).toString(), QStringLiteral("Times Heard"));
        QHeaderView *header = window->pairGrid()->horizontalHeader();
        emit header->sectionClicked(4);
        // By number: 9 comes after 2.
        QCOMPARE(column(pairs, 4), (QStringList{"1", "1", "1", "2", "9"}));
        emit header->sectionClicked(1);
        QCOMPARE(column(pairs, 1), (QStringList{"AF123", "BA0001", "BA0002", "FX01", "LH400"}));

        // The aircraft open in registration order, as their header shows.
        TableGridModel *aircraft = registers->aircraftModel();
        const QStringList byRegistration{"D-AIBA", "F-GKXA", "G-EUPT", "N650FX"};
        QCOMPARE(column(aircraft, 0), byRegistration);
        QCOMPARE(window->aircraftGrid()->horizontalHeader()->sortIndicatorSection(), 0);
        emit window->aircraftGrid()->horizontalHeader()->sectionClicked(3);
        QCOMPARE(column(aircraft, 3), (QStringList{"1", "1", "3", "9"}));
        QCOMPARE(aircraft->data(aircraft->index(0, 1)).toString().size(),
                 19); // dd/mm/yyyy hh:mm:ss

        // A refresh after a deletion puts both back in their own order.
        registers->refreshViews();
        QCOMPARE(column(pairs, 0).first(), QStringLiteral("D-AIBA"));
        QCOMPARE(column(aircraft, 0), byRegistration);
    }

    void secondClickSortsTheRegistersDescending()
    {
        TableGridModel *pairs = registers->pairModel();
        QHeaderView *header = window->pairGrid()->horizontalHeader();
        QCOMPARE(header->sortIndicatorSection(), 0);
        emit header->sectionClicked(4);
        emit header->sectionClicked(4);
        QCOMPARE(column(pairs, 4), (QStringList{"9", "2", "1", "1", "1"}));
        QCOMPARE(header->sortIndicatorSection(), 4);
        QCOMPARE(header->sortIndicatorOrder(), Qt::DescendingOrder);
        // Another column starts ascending again.
        emit header->sectionClicked(1);
        QCOMPARE(column(pairs, 1).first(), QStringLiteral("AF123"));
        QCOMPARE(header->sortIndicatorOrder(), Qt::AscendingOrder);

        TableGridModel *aircraft = registers->aircraftModel();
        QHeaderView *aircraftHeader = window->aircraftGrid()->horizontalHeader();
        emit aircraftHeader->sectionClicked(0);
        emit aircraftHeader->sectionClicked(0);
        QStringList descending = column(aircraft, 0);
        QVERIFY(std::is_sorted(descending.rbegin(), descending.rend()));
        QCOMPARE(descending.first(), QStringLiteral("N650FX"));
    }

    void contextMenusWantACurrentRow()
    {
        QVERIFY(!registers->rightButton(window->pairGrid(), registers->pairMenu(), {}));
        QCOMPARE(Dialogs::shownMessages(), QStringList{"Please select a record"});
        QStringList items;
        for (QAction *a : registers->aircraftMenu()->actions())
            items << a->objectName();
        QCOMPARE(items, QStringList{"mnuFromUniqueAircraftPic"});
        auto *remove = window->messageGrid()->findChild<QAction *>("mnuFromAllDelete");
        QVERIFY(remove && remove->isEnabled());
    }

    void deletingAMessageOrAPairKeepsTheRegistersTrue()
    {
        auto *removeMessage = window->messageGrid()->findChild<QAction *>("mnuFromAllDelete");
        // The only message of an aircraft.
        selectRow(window->messageGrid(), messageRowOf("F-GKXA", "2026-12-07 08:00:00"));
        waitForDeletion(removeMessage);
        QCOMPARE(Dialogs::shownMessages().last(), QStringLiteral("Record deleted"));
        QCOMPARE(rowOf(registers->aircraftModel(), "F-GKXA"), -1);
        QCOMPARE(browser->model()->recordCount(), qint64(13));
        registersAgreeWithMessages();

        // The first message of a pair, with a filter in force.
        window->filterType()->setCurrentIndex(MessageBrowser::Registration);
        browser->pickFilterValue("G-EUPT");
        QCOMPARE(browser->model()->recordCount(), qint64(3));
        selectRow(window->messageGrid(), messageRowOf("G-EUPT", "2026-12-07 10:00:00"));
        waitForDeletion(removeMessage);
        registersAgreeWithMessages();
        QCOMPARE(browser->model()->recordCount(), qint64(12)); // every message again
        QCOMPARE(window->filterType()->currentIndex(), int(MessageBrowser::AllRecords));

        // A pair whose aircraft has another flight, then the aircraft's last pair.
        auto *removePair = registers->pairMenu()->findChild<QAction *>("mnuFromUniqueDelete");
        QVERIFY(removePair);
        selectRow(window->pairGrid(), rowOf(registers->pairModel(), "G-EUPT", "BA0001"));
        waitForDeletion(removePair);
        registersAgreeWithMessages();
        QCOMPARE(rowOf(registers->aircraftModel(), "G-EUPT") >= 0, true);
        selectRow(window->pairGrid(), rowOf(registers->pairModel(), "D-AIBA", "LH400"));
        waitForDeletion(removePair);
        registersAgreeWithMessages();
        QCOMPARE(rowOf(registers->aircraftModel(), "D-AIBA"), -1);
        QCOMPARE(browser->model()->recordCount(), qint64(2));
        QCOMPARE(Dialogs::shownMessages().count("Record deleted"), 4);
    }

    void photoSearchHandsAWebAddressToTheBrowser()
    {
        selectRow(window->aircraftGrid(), rowOf(registers->aircraftModel(), "N650FX"));
        registers->aircraftMenu()->actions().first()->trigger();
        QCOMPARE(Dialogs::openedUrls(),
                 QList<QUrl>{QUrl("https://www.jetphotos.com/registration/N650FX")});

        window->settings().setText(Settings::Key::PhotoSearch, "file:///tmp/{reg}");
        registers->showPhoto("N650FX");
        QCOMPARE(Dialogs::openedUrls().size(), 1);
        QVERIFY(Dialogs::shownMessages().last().contains("not a web address"));
    }

    void photoSearchAddresses_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("reg");
        QTest::addColumn<QString>("address");
        QTest::newRow("template") << "https://example.org/photos?r={reg}&x=1"
                                  << " G-EUPT "
                                  << "https://example.org/photos?r=G-EUPT&x=1";
        QTest::newRow("appended") << "http://example.org/search/photo.search?regsearch="
                                  << "N650FX"
                                  << "http://example.org/search/photo.search?regsearch=N650FX";
        // A registration never turns into another path, query or host.
        QTest::newRow("encoded") << "https://example.org/r/{reg}"
                                 << "A/B?c=#d"
                                 << "https://example.org/r/A%2FB%3Fc%3D%23d";
        QTest::newRow("not the web") << "javascript:{reg}"
                                     << "X"
                                     << "";
        QTest::newRow("empty registration") << "https://example.org/{reg}"
                                            << " "
                                            << "";
    }
    void photoSearchAddresses()
    {
        QFETCH(QString, pattern);
        QFETCH(QString, reg);
        QFETCH(QString, address);
        const QUrl url = PhotoSearch::address(pattern, reg);
        QCOMPARE(url.isValid() ? url.toString(QUrl::FullyEncoded) : QString(), address);
    }

    void explorerJumpsToWhatTheUserTypes()
    {
        window->tabs()->setCurrentIndex(MainWindow::TabExplorer);
        TableGridModel *model = explorer->model();
        QCOMPARE(column(model, 0), (QStringList{"D-AIBA", "G-BOAC", "G-EUPT", "N650FX"}));
        QVERIFY(!model->data(model->index(0, 4), Qt::DecorationRole).isNull());

        explorer->grid()->setFocus();
        QTest::keyClicks(explorer->grid(), "g-e");
        QCOMPARE(explorer->grid()->currentIndex().row(), 2);
        QCOMPARE(explorer->registrationBox()->text(), QStringLiteral("G-EUPT"));
        QCOMPARE(explorer->carrierBox()->text(), QStringLiteral("British Airways"));

        QCOMPARE(explorer->jumpTo("N6"), 3);
        QCOMPARE(explorer->carrierBox()->text(), QString()); // "---"
        QCOMPARE(explorer->jumpTo("ZZ"), -1);
        QCOMPARE(explorer->grid()->currentIndex().row(), 3);
    }

    void aircraftByOperatorListsTheChosenOperator()
    {
        QComboBox *type = operators->typeBox();
        QComboBox *criteria = operators->criteriaBox();
        type->setCurrentIndex(0);
        emit type->activated(0);
        emit type->activated(0); // chosen again: listed once
        QStringList choices;
        for (int i = 0; i < criteria->count(); ++i)
            choices << criteria->itemText(i);
        QCOMPARE(choices, (QStringList{"Biz Jets/Misc", "British Airways", "Lufthansa"}));

        emit criteria->activated(0);
        QCOMPARE(column(operators->model(), 0), QStringList{"N650FX"});
        emit criteria->activated(1);
        QCOMPARE(column(operators->model(), 0), (QStringList{"G-BOAC", "G-EUPT"}));
        QCOMPARE(operators->model()->headerData(3, Qt::Horizontal).toString(),
                 QStringLiteral("Heard?"));
    }
};

QTEST_MAIN(TestLookups)
#include "tst_lookups.moc"
