#include "app/Dialogs.h"
#include "app/MainWindow.h"
#include "browse/MessageBrowser.h"
#include "settings/Settings.h"
#include "store/SqliteDb.h"
#include "store/Store.h"
#include "support/TestEnvironment.h"

#include <QHeaderView>
#include <QScreen>
#include <QStatusBar>
#include <QTableView>
#include <QtTest>

using namespace corvane;

// The main window on a 1024x768 screen (the test runs with such a screen).
class TestSmallScreen : public QObject
{
    Q_OBJECT

    test::TestEnvironment env;

private slots:
    void initTestCase()
    {
        Dialogs::setUnattended(true);
        QCOMPARE(QGuiApplication::primaryScreen()->size(), QSize(1024, 768));
    }

    // Wherever a position was saved, the whole window comes up on the screen,
    // the status bar included, and the grid's columns can be read.
    void windowFitsTheScreen_data()
    {
        QTest::addColumn<int>("left");
        QTest::addColumn<int>("top");
        QTest::newRow("first start") << 0 << 0;
        QTest::newRow("saved low on the screen") << 300 << 500;
        QTest::newRow("saved on a larger screen") << 1500 << 900;
    }
    void windowFitsTheScreen()
    {
        QFETCH(int, left);
        QFETCH(int, top);
        env.resetSettings();
        Settings().setPosition(left, top);
        Store store;
        store.open(env.newDataDir());
        SqliteStatement st(store.acarsLog(),
                           "INSERT INTO tMessage (mTime, mMode, mReg, mLabel, mBlk, mNo, mFlight, "
                           "mText, mFileName) VALUES ('2026-12-07 10:00:00', '2', 'G-ABCD', 'H1', "
                           "'1', 'M01A', 'BA0123', 'TEXT', ?)");
        st.bind(1, QStringLiteral("/home/listener/logs/2026/12/acarsdec-131.725-07.jsonl"));
        st.run();
        MainWindow window(store);
        MessageBrowser browser(window, store);
        window.startUp();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        // This platform draws no frame: the title bar a window manager adds
        // above the window must fit too.
        const QRect area = window.screen()->availableGeometry();
        const QRect framed = window.frameGeometry().adjusted(0, 0, 0, 30);
        QTRY_VERIFY2(area.contains(framed), qPrintable(QStringLiteral("%1,%2 %3x%4")
                                                           .arg(framed.x())
                                                           .arg(framed.y())
                                                           .arg(framed.width())
                                                           .arg(framed.height())));
        const QStatusBar *bar = window.statusBar();
        QVERIFY(area.contains(QRect(bar->mapToGlobal(QPoint(0, 0)), bar->size())));

        QTableView *grid = window.messageGrid();
        const QHeaderView *header = grid->horizontalHeader();
        QTRY_COMPARE(grid->model()->rowCount(), 1);
        const int time = grid->fontMetrics().horizontalAdvance(
            grid->model()->index(0, MessageView::Time).data().toString());
        QVERIFY(header->sectionSize(MessageView::Time) > time);
        QVERIFY2(header->sectionSize(MessageView::Text) >= 200,
                 qPrintable(QString::number(header->sectionSize(MessageView::Text))));
    }
};

QTEST_MAIN(TestSmallScreen)
#include "tst_smallscreen.moc"
