#include "app/AboutBox.h"
#include "app/Dialogs.h"
#include "app/MainWindow.h"
#include "app/MainWindowLauncher.h"
#include "settings/Settings.h"
#include "store/Store.h"
#include "support/TestEnvironment.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSet>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QtTest>

using namespace corvane;

namespace
{

// The window is centred before it is shown, its frame not yet known: a
// title bar is allowed for, which the frame it gets may not fill.
bool isCentred(const QWidget &window)
{
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const QPoint offset = window.frameGeometry().center() - area.center();
    return qAbs(offset.x()) <= 4 && qAbs(offset.y()) <= 24;
}

void storePosition(const QString &left, const QString &top)
{
    Settings s;
    s.setText(Settings::Key::Left, left);
    s.setText(Settings::Key::Top, top);
    s.sync();
}

QWidget *visibleTopLevel(const QString &name)
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->objectName() == name && w->isVisible())
            return w;
    return nullptr;
}

} // namespace

class MainWindowTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QCoreApplication::setApplicationVersion(QStringLiteral("1.7.6"));
        Dialogs::setUnattended(true);
        m_store.open(m_env.dataDir());
    }

    void init()
    {
        m_env.resetSettings();
        Dialogs::reset();
        QLocale::setDefault(QLocale::c());
    }

    void firstStartUsesDefaults()
    {
        MainWindow w(m_store);
        w.startUp();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));

        QVERIFY2(isCentred(w), qPrintable(QStringLiteral("at %1,%2").arg(w.x()).arg(w.y())));
        const Settings &settings = w.settings();
        QCOMPARE(settings.decoder(), QStringLiteral("SkySpy"));
        QCOMPARE(settings.ddeType(), QStringLiteral("ANAD"));
        QCOMPARE(settings.uplinkMessages(), 1);
        QVERIFY(!settings.doEvents());
        QVERIFY(!settings.showNew());

        QCOMPARE(w.filterType()->count(), 4);
        QCOMPARE(w.filterType()->currentText(), QStringLiteral("All records"));
        QCOMPARE(w.filterType()->itemText(3), QStringLiteral("Registration"));
        QVERIFY(!w.filterValue()->isEnabled());
        QVERIFY(!w.newFrame()->isVisible());
        QVERIFY(!w.liveDataSink()->isVisible());
        QCOMPARE(w.liveDataItem()->text(), QStringLiteral("DDEServer"));
        QVERIFY(w.titleTimer()->isActive());
        QCOMPARE(w.titleTimer()->interval(), 1000);
        QVERIFY(w.windowTitle().startsWith(QStringLiteral("ACARS Corvane 1.7.6 - ")));
    }

    // The loading window is up while the window initialises, the record
    // count and the first filter come before the settings are read, and
    // the loading window is gone at the end.
    void startUpRunsInOrder()
    {
        MainWindow w(m_store);
        // Changed in the store after the window read its settings.
        Settings s;
        s.setDdeType(QStringLiteral("SkySpy"));
        s.sync();
        w.ddeServerBox()->setChecked(true);
        QStringList steps;
        w.showRecordCount = [&] {
            steps << QStringLiteral("count");
            QVERIFY(visibleTopLevel(QStringLiteral("frmStart")));
            QCOMPARE(w.settings().ddeType(), QStringLiteral("ANAD"));
        };
        w.onFilterTypeChanged = [&](int index) { steps << QStringLiteral("filter %1").arg(index); };
        w.startUp();
        QCOMPARE(steps, QStringList({QStringLiteral("count"), QStringLiteral("filter 0")}));
        QCOMPARE(w.settings().ddeType(), QStringLiteral("SkySpy"));
        QVERIFY(!visibleTopLevel(QStringLiteral("frmStart")));
        QVERIFY(!w.blnDDEServer);
        QVERIFY(!w.ddeServerBox()->isChecked());

        // The user's later choices reach the hook once each.
        w.filterType()->setCurrentIndex(2);
        QCOMPARE(steps.last(), QStringLiteral("filter 2"));
        QCOMPARE(steps.size(), 3);
    }

    void restoresOrCentresPosition_data()
    {
        QTest::addColumn<QString>("left");
        QTest::addColumn<QString>("top");
        QTest::addColumn<bool>("restored");
        // The test screen is smaller than the window: only a position that
        // keeps the window on it is taken as it is.
        QTest::newRow("saved position") << "40"
                                        << "0" << true;
        QTest::newRow("negative top on screen") << "30"
                                                << "0" << true;
        QTest::newRow("left 0 ignores top") << "0"
                                            << "500" << false;
        QTest::newRow("beyond the screen") << "5000"
                                           << "50" << false;
        QTest::newRow("above the screen") << "100"
                                          << "-3000" << false;
        QTest::newRow("left beyond 16 bits") << "40000"
                                             << "10" << false;
        QTest::newRow("left garbage") << "abc"
                                      << "10" << false;
        QTest::newRow("top garbage") << "100"
                                     << "junk" << false;
    }
    void restoresOrCentresPosition()
    {
        QFETCH(QString, left);
        QFETCH(QString, top);
        QFETCH(bool, restored);
        storePosition(left, top);
        MainWindow w(m_store);
        w.startUp();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        if (restored)
            QCOMPARE(w.pos(), QPoint(left.toInt(), top.toInt()));
        else
            QVERIFY2(isCentred(w), qPrintable(QStringLiteral("at %1,%2").arg(w.x()).arg(w.y())));
    }

    void onlyTheExitButtonSavesThePosition()
    {
        {
            MainWindow w(m_store);
            w.startUp();
            w.show();
            w.move(60, 0);
            w.menuItem(QStringLiteral("mnuFileExit"))->trigger();
            QVERIFY(!w.isVisible());
        }
        QVERIFY(!Settings().store().contains(QStringLiteral("Startup/left")));
        {
            MainWindow w(m_store);
            w.startUp();
            w.show();
            w.move(60, 0);
            QTest::mouseClick(w.exitButton(), Qt::LeftButton);
            QVERIFY(!w.isVisible());
        }
        QCOMPARE(Settings().left(), std::optional<int>(60));
        QCOMPARE(Settings().top(), std::optional<int>(0));
        {
            MainWindow w(m_store);
            w.startUp();
            w.show();
            QCOMPARE(w.pos(), QPoint(60, 0));
            w.move(200, 100);
            w.close(); // the close box
        }
        QCOMPARE(Settings().left(), std::optional<int>(60));
        QCOMPARE(Settings().top(), std::optional<int>(0));
    }

    void titleText()
    {
        const QDateTime when(QDate(2024, 3, 5), QTime(7, 9, 59));
        QCOMPARE(MainWindow::titleText(when, false, QStringLiteral("SkySpy")),
                 QStringLiteral("ACARS Corvane 1.7.6 - 05 Mar 24 07:09"));
        QCOMPARE(MainWindow::titleText(when, true, QStringLiteral("SkySpy")),
                 QStringLiteral("ACARS Corvane 1.7.6 - 05 Mar 24 07:09 - Linked to SkySpy"));
        QCOMPARE(MainWindow::titleText(QDateTime(QDate(2009, 12, 31), QTime(23, 0)), false, {}),
                 QStringLiteral("ACARS Corvane 1.7.6 - 31 Dec 09 23:00"));
    }

    void titleMonthsAreEnglishInAnyLocale()
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        const QStringList months = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                    "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
        for (int m = 1; m <= 12; ++m) {
            const QString title =
                MainWindow::titleText(QDateTime(QDate(2023, m, 1), QTime(12, 0)), false, {});
            QVERIFY2(title.endsWith(QStringLiteral("01 %1 23 12:00").arg(months[m - 1])),
                     qPrintable(title));
        }
    }

    void titleFollowsTheLiveButton()
    {
        MainWindow w(m_store);
        w.startUp();
        w.settings().setDdeType(QStringLiteral("SkySpy"));
        w.liveButton()->setText(QStringLiteral("Stop Link"));
        w.setWindowTitle(QString());
        // The clock rewrites the title by itself.
        QTRY_VERIFY_WITH_TIMEOUT(w.windowTitle().endsWith(QStringLiteral(" - Linked to SkySpy")),
                                 3000);
        QVERIFY(w.windowTitle().startsWith(QStringLiteral("ACARS Corvane 1.7.6 - ")));
        w.liveButton()->setText(QStringLiteral("Live data"));
        QTRY_VERIFY_WITH_TIMEOUT(!w.windowTitle().contains(QStringLiteral("Linked")), 3000);
    }

    void windowCarriesItsControls()
    {
        MainWindow w(m_store);
        w.startUp();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCOMPARE(w.objectName(), QStringLiteral("ACARS"));

        QTabWidget *tabs = w.findChild<QTabWidget *>(QStringLiteral("tabMain"));
        QVERIFY(tabs);
        QCOMPARE(tabs->count(), 5);
        QCOMPARE(tabs->tabText(0), QStringLiteral("All Records"));
        QCOMPARE(tabs->tabText(4), QStringLiteral("Aircraft Explorer"));
        QVERIFY(tabs->isTabEnabled(4));
        for (const char *name : {"tdblMessage", "tdblUnique", "tdblUniqueAircraft"})
            QVERIFY2(w.findChild<QTableView *>(QLatin1String(name)), name);
        QVERIFY(w.messageText()->isReadOnly());
        QCOMPARE(w.messageText()->parent(), w.detailFrame());

        QCOMPARE(w.importButton()->toolTip(), QStringLiteral("Import an ACARS Log File"));
        QCOMPARE(w.liveButton()->text(), QStringLiteral("Li&ve data"));
        QVERIFY(!w.isLinked());

        QStatusBar *bar = w.findChild<QStatusBar *>(QStringLiteral("stbStatus"));
        QVERIFY(bar);
        QCOMPARE(w.statusPanel(2)->toolTip(),
                 QStringLiteral("Messages received today / aircraft heard today"));
        QCOMPARE(w.statusPanel(3)->toolTip(),
                 QStringLiteral("Messages / aircraft received per hour"));
        QCOMPARE(w.statusPanel(4)->toolTip(),
                 QStringLiteral("Number of records displayed in current view"));
        w.setPanelText(4, QStringLiteral("1234"));
        QCOMPARE(w.panelText(4), QStringLiteral("1234"));
        w.setPanelText(9, QStringLiteral("ignored"));
        QCOMPARE(w.panelText(9), QString());
    }

    void onlyBuiltMenuItemsAreEnabled()
    {
        MainWindow w(m_store);
        w.startUp();
        const QStringList enabled = {"mnuFileExit", "mnuLogImport", "mnuHelpHelp", "mnuHelpAbout"};
        const QStringList menus = {"mnuFile", "mnuLog", "mnuDatabase", "mnuReports", "mnuHelp"};
        int items = 0;
        for (const QString &menuName : menus) {
            QMenu *menu = w.menu(menuName);
            QVERIFY2(menu, qPrintable(menuName));
            QVERIFY(menu->isEnabled());
            for (QAction *action : menu->actions()) {
                if (action->isSeparator())
                    continue;
                ++items;
                QVERIFY2(action->objectName().startsWith(QStringLiteral("mnu")),
                         qPrintable(action->text()));
                QCOMPARE(action->isEnabled(), enabled.contains(action->objectName()));
            }
        }
        QCOMPARE(items, 28); // with File > Export CSV
        QCOMPARE(w.menuItem(QStringLiteral("mnuReportsAllLogRecords"))->text(),
                 QStringLiteral("All lo&g records"));
        QCOMPARE(w.menuItem(QStringLiteral("mnuHelpHelp"))->shortcut(), QKeySequence(Qt::Key_F1));
    }

    // Every Database item and every button of the window has an access key
    // of its own, and the Database menu does not open on its deletion.
    void accessKeysAreTheirOwn()
    {
        MainWindow w(m_store);
        w.startUp();
        const auto key = [](const QString &text) {
            const qsizetype at = text.indexOf(u'&');
            return at >= 0 && at + 1 < text.size() ? text[at + 1].toUpper() : QChar();
        };
        const auto distinct = [&key](const QStringList &texts) {
            QSet<QChar> seen;
            for (const QString &t : texts) {
                if (key(t).isNull() || seen.contains(key(t)))
                    return false;
                seen.insert(key(t));
            }
            return true;
        };
        QStringList database;
        for (QAction *action : w.menu("mnuDatabase")->actions())
            if (!action->isSeparator())
                database << action->text();
        QVERIFY2(distinct(database), qPrintable(database.join('|')));
        QVERIFY(w.menu("mnuDatabase")->actions().first()->objectName() !=
                QStringLiteral("mnuDatabaseDeleteAllRecords"));
        QStringList bar;
        for (QAction *action : w.menuBar()->actions())
            bar << action->text();
        for (QPushButton *b :
             {w.importButton(), w.liveButton(), w.exitButton(), w.textFileButton()})
            bar << b->text();
        bar << QStringLiteral("Stop Lin&k");
        QVERIFY2(distinct(bar), qPrintable(bar.join('|')));
    }

    void buttonsAndMenusReachTheHooks()
    {
        MainWindow w(m_store);
        w.startUp();
        w.show();
        int imports = 0, live = 0;
        w.onImportRequested = [&] { ++imports; };
        w.onLiveClicked = [&] { ++live; };
        QTest::mouseClick(w.importButton(), Qt::LeftButton);
        w.menuItem(QStringLiteral("mnuLogImport"))->trigger();
        QTest::mouseClick(w.liveButton(), Qt::LeftButton);
        QCOMPARE(imports, 2);
        QCOMPARE(live, 1);

        // A hook cleared by later code must not bring the window down.
        w.onImportRequested = nullptr;
        QTest::mouseClick(w.importButton(), Qt::LeftButton);

        QTest::mouseClick(w.ddeServerBox(), Qt::LeftButton);
        QVERIFY(w.blnDDEServer);
        QTest::mouseClick(w.ddeServerBox(), Qt::LeftButton);
        QVERIFY(!w.blnDDEServer);
    }

    void liveLayoutShowsTheNewList()
    {
        MainWindow w(m_store);
        w.startUp();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const int normalWidth = w.detailLabels()->width();
        w.showLiveLayout();
        QVERIFY(w.newFrame()->isVisible());
        QVERIFY(!w.importButton()->isEnabled());
        QVERIFY(!w.textFileButton()->isEnabled());
        QVERIFY(!w.menu(QStringLiteral("mnuDatabase"))->isEnabled());
        QVERIFY(w.detailLabels()->width() < normalWidth);
        w.showNormalLayout();
        QVERIFY(!w.newFrame()->isVisible());
        QVERIFY(w.importButton()->isEnabled());
        QVERIFY(w.menu(QStringLiteral("mnuDatabase"))->isEnabled());
        QCOMPARE(w.detailLabels()->width(), normalWidth);
    }

    void helpOpensOurPage()
    {
        MainWindow w(m_store);
        w.startUp();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QTest::keyClick(&w, Qt::Key_F1);
        w.menuItem(QStringLiteral("mnuHelpHelp"))->trigger();
        const QList<QUrl> urls = Dialogs::openedUrls();
        QCOMPARE(urls.size(), 2);
        QVERIFY(urls[0].isLocalFile());
        QVERIFY(urls[0].toLocalFile().endsWith(QStringLiteral("/help.html")));
        QVERIFY(QFile::exists(urls[0].toLocalFile()));
        QVERIFY(Dialogs::shownMessages().isEmpty());
    }

    void aboutBoxFromTheMenu()
    {
        MainWindow w(m_store);
        w.startUp();
        Dialogs::queueAnswer(Dialogs::Answer::Ok);
        w.menuItem(QStringLiteral("mnuHelpAbout"))->trigger();
        QCOMPARE(Dialogs::shownWindows(), QStringList(QStringLiteral("frmSplash")));
        QCOMPARE(Dialogs::pendingAnswers(), 0);
    }

    void aboutBoxClosesWithOk()
    {
        AboutBox box;
        QCOMPARE(box.objectName(), QStringLiteral("frmSplash"));
        QCOMPARE(box.windowTitle(), QStringLiteral("ACARS Corvane"));
        QCOMPARE(box.versionLabel()->text(), QStringLiteral("Version 1.7.6"));
        QCOMPARE(box.okButton()->objectName(), QStringLiteral("cmdOK"));

        emit box.linkLabel()->linkActivated(AboutBox::webAddress().toString());
        QCOMPARE(Dialogs::openedUrls(), QList<QUrl>{AboutBox::webAddress()});

        QTimer::singleShot(0, &box, [&box] {
            QVERIFY(box.isVisible());
            QTest::mouseClick(box.okButton(), Qt::LeftButton);
        });
        QCOMPARE(box.exec(), int(QDialog::Accepted));
    }

    void storeThatCannotOpenIsNamed()
    {
        const QString folder = m_env.newDataDir();
        QFile bad(folder + QStringLiteral("/acarslog.db"));
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write("this is not a database\n");
        bad.close();
        QCOMPARE(MainWindowLauncher::run(folder), 1);
        QCOMPARE(Dialogs::shownMessages().size(), 1);
        QVERIFY2(Dialogs::shownMessages().first().contains(QStringLiteral("acarslog.db")),
                 qPrintable(Dialogs::shownMessages().first()));
    }

private:
    test::TestEnvironment m_env;
    Store m_store;
};

QTEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"
