#include "app/Dialogs.h"
#include "app/MainWindow.h"
#include "browse/MessageBrowser.h"
#include "browse/MessageGridModel.h"
#include "store/MessageRecorder.h"
#include "store/Store.h"
#include "support/MessageRecords.h"
#include "support/TestEnvironment.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QTableView>
#include <QtTest>

using namespace corvane;

// The search box above the message grid, driven through the keyboard.
class TestSearchBox : public QObject
{
    Q_OBJECT

    test::TestEnvironment env;
    std::unique_ptr<Store> store;
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<MessageBrowser> browser;

    QTableView *grid() { return window->messageGrid(); }
    QLineEdit *box() { return window->findChild<QLineEdit *>(QStringLiteral("txtSearch")); }
    QStringList column(int c)
    {
        QStringList values;
        for (int r = 0; r < grid()->model()->rowCount(); ++r)
            values << grid()->model()->index(r, c).data().toString();
        return values;
    }
    void searchFor(const QString &text)
    {
        box()->setText(text);
        QTest::keyClick(box(), Qt::Key_Return);
    }

private slots:
    void init()
    {
        env.resetSettings();
        Dialogs::setUnattended(true);
        Dialogs::reset();
        store = std::make_unique<Store>();
        store->open(env.newDataDir());
        MessageRecorder recorder(*store);
        const char *const messages[][4] = {
            {"G-AAAA", "BA001", "07/12/2026 10:00", "POSN51234W001234"},
            {"G-BBBB", "BA002", "07/12/2026 11:00", "NO POSITION HERE"},
            {"G-AAAA", "BA001", "06/12/2026 09:00", "posn old"},
            {"D-CCCC", "LH003", "08/12/2026 08:00", "FUEL 12.4"},
            {"D-CCCC", "LH003", "08/12/2026 09:00", "/POSN"},
        };
        for (const auto &m : messages) {
            MessageRecord r =
                test::message(QLatin1String(m[0]), QLatin1String(m[1]), QLatin1String(m[2]));
            r.mText = QLatin1String(m[3]);
            recorder.storeMessage(r, nullptr);
        }
        recorder.commitBatch();
        window = std::make_unique<MainWindow>(*store);
        browser = std::make_unique<MessageBrowser>(*window, *store);
        window->resize(1200, 800);
        window->startUp();
    }
    void cleanup()
    {
        browser.reset();
        window.reset();
        store.reset();
    }

    void searchesFromTheKeyboard()
    {
        QVERIFY(box());
        window->tabs()->setCurrentIndex(MainWindow::TabStatistics);
        window->show();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        QTest::keyClick(window.get(), Qt::Key_F, Qt::ControlModifier);
        QCOMPARE(window->tabs()->currentIndex(), int(MainWindow::TabAllRecords));
        QVERIFY(box()->hasFocus());

        searchFor(QStringLiteral("posn"));
        QCOMPARE(column(MessageView::Text), QStringList({"/POSN", "POSN51234W001234", "posn old"}));
        QCOMPARE(window->panelText(4), QStringLiteral("3"));

        // The detail panel follows the current hit.
        qint64 shown = -1;
        browser->onCurrentMessageChanged = [&shown](qint64 rowid) { shown = rowid; };
        grid()->setCurrentIndex(grid()->model()->index(1, 0));
        QCOMPARE(shown, browser->model()->rowId(1));
        QVERIFY(shown > 0);

        QTest::keyClick(box(), Qt::Key_Escape);
        QVERIFY(box()->text().isEmpty());
        QCOMPARE(grid()->model()->rowCount(), 5);
        QCOMPARE(window->panelText(4), QStringLiteral("5"));
        QCOMPARE(column(MessageView::Time).first(), QStringLiteral("06/12/2026 09:00:00"));
    }

    void searchesWithinTheFilterAndSorts()
    {
        window->filterType()->setCurrentIndex(MessageBrowser::Registration);
        browser->chooseFilterType(MessageBrowser::Registration);
        browser->pickFilterValue(QStringLiteral("G-AAAA"));
        searchFor(QStringLiteral("POSN"));
        QCOMPARE(column(MessageView::Time),
                 QStringList({"07/12/2026 10:00:00", "06/12/2026 09:00:00"}));
        QCOMPARE(window->panelText(4), QStringLiteral("2"));

        // Another filter keeps the search; a sort orders the hits.
        browser->chooseFilterType(MessageBrowser::AllRecords);
        QCOMPARE(window->panelText(4), QStringLiteral("3"));
        browser->sortByColumn(MessageView::Reg);
        QCOMPARE(column(MessageView::Reg), QStringList({"D-CCCC", "G-AAAA", "G-AAAA"}));
        QCOMPARE(window->panelText(4), QStringLiteral("3"));

        searchFor(QStringLiteral("ZZZ"));
        QCOMPARE(grid()->model()->rowCount(), 0);
        QCOMPARE(window->panelText(4), QStringLiteral("0"));
        // An empty search is no search.
        searchFor(QString());
        QCOMPARE(grid()->model()->rowCount(), 5);
    }
};

QTEST_MAIN(TestSearchBox)
#include "tst_search.moc"
