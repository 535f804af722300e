#include "app/Dialogs.h"
#include "app/MainWindow.h"
#include "refdata/AircraftEditDialog.h"
#include "refdata/AircraftEditor.h"
#include "refdata/CarrierEditDialog.h"
#include "refdata/CarrierEditor.h"
#include "refdata/ReferenceEditors.h"
#include "refdata/RouteEditor.h"
#include "store/SqliteDb.h"
#include "store/Store.h"
#include "support/StoreRows.h"
#include "support/TestEnvironment.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QtTest>

using namespace corvane;
using corvane::test::rows;

namespace
{

QStringList gridTexts(QTableWidget *grid)
{
    QStringList out;
    for (int r = 0; r < grid->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < grid->columnCount(); ++c)
            if (!grid->isColumnHidden(c))
                cells << grid->item(r, c)->text();
        out << cells.join(u'|');
    }
    return out;
}

QStringList routeRows(Store &store)
{
    SqliteStatement st(store.routes(), "SELECT FLIGHT, ROUTE FROM ROUTES ORDER BY rowid");
    QStringList out;
    while (st.step())
        out << st.text(0) + u'|' + st.text(1);
    return out;
}

} // namespace

// The three editors and their add and edit windows, driven through their
// controls; the modal windows are filled in from beforeDialog.
class TestReferenceEditors : public QObject
{
    Q_OBJECT

    test::TestEnvironment env;
    std::unique_ptr<Store> store;

private slots:
    void init()
    {
        Dialogs::setUnattended(true);
        Dialogs::reset();
        store = std::make_unique<Store>();
        store->open(env.newDataDir());
        store->acarsLog().exec("INSERT INTO AIRCRAFT (REGISTRATI, CARRIER, TYPE, CN, \"Heard?\") "
                               "VALUES ('G-BBBB', 'BAW', 'A320', '2', 1), "
                               "('G-DDDD', 'EZY', 'A319', '4', 0)");
    }
    void cleanup() { store.reset(); }

    void addedAircraftIsListedInOrder()
    {
        AircraftEditor editor(*store);
        QSignalSpy changed(&editor, &ReferenceListWindow::changed);
        QCOMPARE(editor.windowTitle(), QStringLiteral("ACARS Corvane - Aircraft Database"));
        editor.beforeDialog = [](QDialog &d) {
            auto &add = static_cast<AircraftEditDialog &>(d);
            QCOMPARE(add.objectName(), QStringLiteral("frmAddAircraft"));
            // A blank registration is refused and the window stays open.
            add.okButton()->click();
            QVERIFY(d.result() != QDialog::Accepted);
            add.registration()->setText("G-CCCC");
            add.type()->setText("B744");
            add.heard()->setChecked(true);
            add.okButton()->click();
        };
        editor.addButton()->click();
        QCOMPARE(Dialogs::shownMessages(), QStringList{AircraftEditDialog::blankText()});
        QCOMPARE(gridTexts(editor.grid()),
                 (QStringList{"G-BBBB|BAW|A320|2|", "G-CCCC||B744||", "G-DDDD|EZY|A319|4|"}));
        QCOMPARE(editor.grid()->item(1, 4)->checkState(), Qt::Checked);
        QCOMPARE(changed.count(), 1);
    }

    void editStoresOnOkOnly()
    {
        AircraftEditor editor(*store);
        QSignalSpy changed(&editor, &ReferenceListWindow::changed);
        // Without a current row a double-click opens nothing.
        editor.editCurrent();
        QVERIFY(Dialogs::shownWindows().isEmpty());

        editor.grid()->setCurrentCell(1, 0);
        editor.beforeDialog = [](QDialog &d) {
            auto &edit = static_cast<AircraftEditDialog &>(d);
            QCOMPARE(edit.registration()->text(), QStringLiteral("G-DDDD"));
            edit.carrier()->setText("XXX");
            edit.cancelButton()->click();
        };
        editor.editCurrent();
        QCOMPARE(rows(*store, "SELECT CARRIER FROM AIRCRAFT WHERE REGISTRATI = 'G-DDDD'"),
                 QStringList{"EZY"});

        editor.beforeDialog = [](QDialog &d) {
            auto &edit = static_cast<AircraftEditDialog &>(d);
            edit.registration()->clear();
            edit.okButton()->click();
            edit.registration()->setText("G-AAAA");
            edit.heard()->setChecked(true);
            edit.okButton()->click();
        };
        editor.editCurrent();
        QCOMPARE(Dialogs::shownWindows(), (QStringList{"frmEditAircraft", "frmEditAircraft"}));
        QCOMPARE(Dialogs::shownMessages(), QStringList{AircraftEditDialog::blankText()});
        QCOMPARE(rows(*store, "SELECT REGISTRATI, CARRIER, \"Heard?\" FROM AIRCRAFT ORDER BY 1"),
                 (QStringList{"G-AAAA|EZY|1", "G-BBBB|BAW|1"}));
        QCOMPARE(changed.count(), 1);
    }

    void deleteNeedsARowButNoQuestion()
    {
        AircraftEditor editor(*store);
        QVERIFY(!editor.rightButton(QPoint()));
        QCOMPARE(Dialogs::shownMessages(), QStringList{"Please select a record"});
        editor.grid()->setCurrentCell(0, 0);
        QVERIFY(editor.rightButton(QPoint()));
        editor.contextMenu()->hide();
        editor.contextMenu()->findChild<QAction *>("mnuAircraftDelete")->trigger();
        QCOMPARE(gridTexts(editor.grid()), QStringList{"G-DDDD|EZY|A319|4|"});
        QCOMPARE(rows(*store, "SELECT REGISTRATI FROM AIRCRAFT"), QStringList{"G-DDDD"});
        QCOMPARE(Dialogs::shownMessages().size(), 1);
    }

    void refusedRowIsReportedAndNothingStays()
    {
        store->acarsLog().exec("CREATE TRIGGER Full BEFORE INSERT ON AIRCRAFT BEGIN "
                               "SELECT RAISE(ABORT, 'database or disk is full'); END");
        AircraftEditor editor(*store);
        QSignalSpy changed(&editor, &ReferenceListWindow::changed);
        bool stayedOpen = false;
        editor.beforeDialog = [&](QDialog &d) {
            auto &add = static_cast<AircraftEditDialog &>(d);
            add.registration()->setText("G-FULL");
            add.okButton()->click();
            stayedOpen = d.result() != QDialog::Accepted;
        };
        editor.addButton()->click();
        QVERIFY(stayedOpen);
        QCOMPARE(Dialogs::shownMessages().size(), 1);
        QVERIFY(Dialogs::shownMessages().first().contains("\"G-FULL\""));
        QVERIFY(Dialogs::shownMessages().first().contains("database or disk is full"));
        QCOMPARE(rows(*store, "SELECT count(*) FROM AIRCRAFT"), QStringList{"2"});
        QCOMPARE(changed.count(), 0);
        QCOMPARE(editor.grid()->rowCount(), 2);
    }

    // A key another row holds (letter case aside) or a blank one is refused
    // naming it, in every editor; a row kept under its own key is not.
    void secondRowsForAKeyAreRefused()
    {
        store->acarsLog().exec("INSERT INTO CARRIERS (IATA, ICAO, CARRIER) "
                               "VALUES ('U2', 'EZY', 'easyJet')");
        store->routes().exec(
            "INSERT INTO ROUTES VALUES ('BA1', 'EGLL-KJFK'), ('BA2', 'EGLL-LFPG')");
        AircraftEditor aircraft(*store);
        aircraft.beforeDialog = [](QDialog &d) {
            auto &add = static_cast<AircraftEditDialog &>(d);
            add.registration()->setText("g-bbbb");
            add.okButton()->click();
            add.registration()->setText("  ");
            add.okButton()->click();
            QVERIFY(d.result() != QDialog::Accepted);
        };
        aircraft.addButton()->click();
        aircraft.grid()->setCurrentCell(1, 0);
        aircraft.beforeDialog = [](QDialog &d) {
            auto &edit = static_cast<AircraftEditDialog &>(d);
            edit.registration()->setText("G-BBBB");
            edit.okButton()->click();
            edit.registration()->setText("G-DDDD");
            edit.type()->setText("A321");
            edit.okButton()->click();
            QCOMPARE(d.result(), int(QDialog::Accepted));
        };
        aircraft.editCurrent();

        CarrierEditor carriers(*store);
        carriers.beforeDialog = [](QDialog &d) {
            auto &add = static_cast<CarrierEditDialog &>(d);
            add.carrier()->setText("easyJet Europe");
            add.icao()->setText("ezy");
            add.okButton()->click();
            QVERIFY(d.result() != QDialog::Accepted);
            add.icao()->clear();
            add.okButton()->click();
        };
        carriers.addButton()->click();

        RouteEditor routes(*store);
        routes.flight()->setText("ba1");
        routes.button("cmdAdd")->click();
        routes.flight()->clear();
        routes.button("cmdAdd")->click();
        routes.grid()->setCurrentCell(1, 0);
        routes.flight()->setText("BA1");
        routes.button("cmdUpdate")->click();
        routes.flight()->setText("BA2");
        routes.route()->setText("EGLL-EDDF");
        routes.button("cmdUpdate")->click();

        QCOMPARE(
            Dialogs::shownMessages(),
            (QStringList{AircraftEditDialog::takenText("g-bbbb"), AircraftEditDialog::blankText(),
                         AircraftEditDialog::takenText("G-BBBB"),
                         CarrierEditDialog::takenText("ezy"), RouteEditor::takenText("ba1"),
                         RouteEditor::blankText(), RouteEditor::takenText("BA1")}));
        QCOMPARE(rows(*store, "SELECT REGISTRATI, TYPE FROM AIRCRAFT ORDER BY rowid"),
                 (QStringList{"G-BBBB|A320", "G-DDDD|A321"}));
        QCOMPARE(rows(*store, "SELECT ICAO, CARRIER FROM CARRIERS ORDER BY ID"),
                 (QStringList{"EZY|easyJet", "|easyJet Europe"}));
        QCOMPARE(routeRows(*store), (QStringList{"BA1|EGLL-KJFK", "BA2|EGLL-EDDF"}));
    }

    void carriersHideTheirIdAndRefuseBlankNames()
    {
        store->acarsLog().exec("INSERT INTO CARRIERS (IATA, ICAO, CARRIER) "
                               "VALUES ('U2', 'EZY', 'easyJet')");
        CarrierEditor editor(*store);
        QVERIFY(editor.grid()->isColumnHidden(0));
        editor.beforeDialog = [](QDialog &d) {
            auto &add = static_cast<CarrierEditDialog &>(d);
            add.okButton()->click();
            add.carrier()->setText("British Airways");
            add.iata()->setText("BA");
            add.icao()->setText("BAW");
            add.okButton()->click();
        };
        editor.addButton()->click();
        QCOMPARE(gridTexts(editor.grid()),
                 (QStringList{"BA|BAW|British Airways", "U2|EZY|easyJet"}));
        editor.grid()->setCurrentCell(1, 1);
        editor.beforeDialog = [](QDialog &d) {
            auto &edit = static_cast<CarrierEditDialog &>(d);
            edit.carrier()->clear();
            edit.okButton()->click();
            edit.cancelButton()->click();
        };
        editor.editCurrent();
        QCOMPARE(Dialogs::shownMessages(),
                 (QStringList{CarrierEditDialog::blankText(CarrierEditDialog::Mode::Add),
                              CarrierEditDialog::blankText(CarrierEditDialog::Mode::Edit)}));
        QCOMPARE(rows(*store, "SELECT CARRIER FROM CARRIERS ORDER BY IATA"),
                 (QStringList{"British Airways", "easyJet"}));
    }

    void routeEditorWorksInItsBoxes()
    {
        store->routes().exec(
            "INSERT INTO ROUTES VALUES ('BA1', 'EGLL-KJFK'), ('BA2', 'EGLL-LFPG')");
        RouteEditor editor(*store);
        QSignalSpy changed(&editor, &RouteEditor::changed);
        // Update without a chosen row writes nothing.
        editor.flight()->setText("XX9");
        editor.button("cmdUpdate")->click();
        QCOMPARE(Dialogs::shownMessages(), QStringList{"Please select a record"});
        QCOMPARE(routeRows(*store), (QStringList{"BA1|EGLL-KJFK", "BA2|EGLL-LFPG"}));

        editor.grid()->setCurrentCell(1, 0);
        QCOMPARE(editor.flight()->text(), QStringLiteral("BA2"));
        QCOMPARE(editor.route()->text(), QStringLiteral("EGLL-LFPG"));
        editor.route()->setText("EGLL-EDDF");
        editor.button("cmdUpdate")->click();
        // Delete asks first: No keeps the row.
        editor.button("cmdDelete")->click();
        QCOMPARE(Dialogs::shownMessages().last(),
                 QStringLiteral("Delete the route of flight \"BA2\"?"));
        editor.button("cmdClear")->click();
        QVERIFY(editor.flight()->text().isEmpty() && editor.route()->text().isEmpty());
        editor.flight()->setText("AA100");
        editor.route()->setText("KJFK-KLAX");
        editor.button("cmdAdd")->click();
        QCOMPARE(routeRows(*store),
                 (QStringList{"BA1|EGLL-KJFK", "BA2|EGLL-EDDF", "AA100|KJFK-KLAX"}));
        QCOMPARE(gridTexts(editor.grid()).size(), 3);
        QCOMPARE(changed.count(), 2);

        editor.grid()->setCurrentCell(0, 0);
        Dialogs::queueAnswer(Dialogs::Answer::Yes);
        editor.button("cmdDelete")->click();
        QCOMPARE(routeRows(*store), (QStringList{"BA2|EGLL-EDDF", "AA100|KJFK-KLAX"}));
        QCOMPARE(gridTexts(editor.grid()).size(), 2);
        QCOMPARE(changed.count(), 3);
    }

    void editorChangesReachTheWindow()
    {
        MainWindow window(*store);
        ReferenceEditors editors(window);
        QSignalSpy changed(&window, &MainWindow::referenceDataChanged);
        window.menuItem("mnuDatabaseEditRoutes")->trigger();
        RouteEditor *routes = editors.showRoutes();
        QVERIFY(routes->isVisible());
        QCOMPARE(window.findChildren<RouteEditor *>().size(), 1);
        routes->flight()->setText("BA1");
        routes->button("cmdAdd")->click();
        QCOMPARE(changed.count(), 1);
        editors.showAircraft()->close();
        editors.showCarriers()->close();
    }
};

QTEST_MAIN(TestReferenceEditors)
#include "TestReferenceEditors.moc"
