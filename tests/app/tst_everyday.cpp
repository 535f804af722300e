#include "app/AboutBox.h"
#include "app/Dialogs.h"
#include "app/ImportController.h"
#include "app/LiveController.h"
#include "app/MainWindow.h"
#include "browse/MessageBrowser.h"
#include "browse/PickDateDialog.h"
#include "live/LinkTestSupport.h"
#include "recording/RecorderThread.h"
#include "settings/Settings.h"
#include "store/SqliteDb.h"
#include "store/Store.h"
#include "support/TestEnvironment.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QToolTip>
#include <QtTest>

using namespace corvane;

namespace
{

void addMessage(Store &store, const QString &time, const QString &reg)
{
    SqliteStatement st(store.acarsLog(), "INSERT INTO tMessage (mTime, mMode, mReg, mLabel, mBlk,"
                                         " mNo, mFlight, mText, mFileName) VALUES"
                                         " (?, '2', ?, 'H1', '1', 'M01A', 'BA001', 'T', 'a.log')");
    st.bind(1, time);
    st.bind(2, reg);
    st.run();
}

QByteArray skySpyLog(const QByteArray &reg)
{
    return "SkySpy\r\nACARS mode: 2  Aircraft reg: " + reg +
           "\r\nMessage label: H1  Block id: 2  Msg. no: M01A\r\nFlight id: BA0001"
           "\r\nMessage content:-\r\nTEXT\r\n" +
           QByteArray(59, '-') + "[01/02/2004 12:34]\r\n";
}

// The access key of a caption, lower case; none for a caption without one.
QChar accessKey(QString caption)
{
    caption.replace(QStringLiteral("&&"), QString());
    const qsizetype at = caption.indexOf(QLatin1Char('&'));
    return at >= 0 && at + 1 < caption.size() ? caption.at(at + 1).toLower() : QChar();
}

} // namespace

// What a new user meets in the first hour, driven through the real window.
class TestEveryday : public QObject
{
    Q_OBJECT

    test::TestEnvironment env;
    QTemporaryDir runtime;
    std::unique_ptr<Store> store;
    std::unique_ptr<RecorderThread> recorder;
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<MessageBrowser> browser;
    std::unique_ptr<ImportController> importer;
    std::unique_ptr<LiveController> live;

    void build()
    {
        window = std::make_unique<MainWindow>(*store);
        browser = std::make_unique<MessageBrowser>(*window, *store);
        importer = std::make_unique<ImportController>(*window, *recorder);
        live = std::make_unique<LiveController>(*window, *recorder);
        window->startUp();
    }
    void teardown()
    {
        live.reset();
        importer.reset();
        browser.reset();
        window.reset();
    }
    int rows() { return window->messageGrid()->model()->rowCount(); }
    // The user picks a type from the list: the box reports the change,
    // then the activation.
    void chooseType(int type)
    {
        QCoreApplication::processEvents();
        window->filterType()->setCurrentIndex(type);
        emit window->filterType()->activated(type);
        QCoreApplication::processEvents();
    }
    void importAndWait(const QStringList &files)
    {
        QSignalSpy finished(importer.get(), &ImportController::runFinished);
        Dialogs::queueFiles(files);
        QTest::mouseClick(window->importButton(), Qt::LeftButton);
        QTRY_COMPARE(finished.count(), 1);
    }

private slots:
    void initTestCase() { test::useRuntimeDir(runtime); }
    void init()
    {
        env.resetSettings();
        Dialogs::setUnattended(true);
        Dialogs::reset();
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
        store = std::make_unique<Store>();
        store->open(env.newDataDir());
        recorder = std::make_unique<RecorderThread>();
        QVERIFY(recorder->start(store->folder()));
        addMessage(*store, "2026-12-02 23:59:59", "G-BEFO");
        addMessage(*store, "2026-12-03 00:00:00", "G-FIRS");
        addMessage(*store, "2026-12-05 23:59:59", "G-LAST");
        addMessage(*store, "2026-12-06 00:00:00", "G-AFTE");
        build();
    }
    void cleanup()
    {
        teardown();
        recorder.reset();
        store.reset();
        QLocale::setDefault(QLocale::c());
    }

    // One picker per choice; the range keeps its first midnight and drops
    // the one after; the value box cannot be typed into meanwhile.
    void byDateOpensThePickerOnceAndLocksTheValueBox()
    {
        int pickers = 0;
        browser->beforeDialog = [&pickers](QDialog &d) {
            ++pickers;
            // The picker runs its own event loop while the user chooses.
            QCoreApplication::processEvents();
            auto &picker = static_cast<PickDateDialog &>(d);
            picker.fromPicker()->setDate(QDate(2026, 12, 3));
            picker.toPicker()->setDate(QDate(2026, 12, 5));
        };
        Dialogs::queueAnswer(Dialogs::Answer::Ok);
        chooseType(MessageBrowser::ByDate);
        QCOMPARE(pickers, 1);
        QCOMPARE(Dialogs::shownWindows(), QStringList{"frmPickDate"});
        QCOMPARE(rows(), 2);
        QCOMPARE(window->messageGrid()->model()->index(0, 2).data().toString(),
                 QStringLiteral("G-FIRS"));
        QVERIFY(!window->filterValue()->isEnabled());

        chooseType(MessageBrowser::Registration);
        QVERIFY(window->filterValue()->isEnabled());
        chooseType(MessageBrowser::AllRecords);
        QVERIFY(!window->filterValue()->isEnabled());
        QCOMPARE(pickers, 1);
    }

    void windowSavedOnALargerScreenComesBackWhole()
    {
        teardown();
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        Settings saved;
        saved.setPosition(area.right() - 150, area.bottom() - 100);
        saved.sync();
        build();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        const auto whole = [&] {
            const QRect frame = window->frameGeometry();
            // The test screen may be shorter than the window can shrink to;
            // then the window starts at the top, shrunk as far as it can.
            const bool heightFits = frame.top() >= area.top() && frame.bottom() <= area.bottom();
            const bool shrunkAtTop =
                frame.top() == area.top() && window->height() == window->minimumSizeHint().height();
            return frame.left() >= area.left() && frame.right() <= area.right() &&
                   (heightFits || shrunkAtTop);
        };
        QTRY_VERIFY(whole());
        // A window larger than the screen shrinks to fit it.
        window->resize(area.size() * 2);
        window->fitOnScreen();
        QTRY_VERIFY(whole());
        QVERIFY(window->width() < area.width());
        const QRect frame = window->frameGeometry();
        QVERIFY2(whole(), qPrintable(QStringLiteral("%1,%2 %3x%4 on %5x%6")
                                         .arg(frame.x())
                                         .arg(frame.y())
                                         .arg(frame.width())
                                         .arg(frame.height())
                                         .arg(area.width())
                                         .arg(area.height())));
    }

    void failedLiveStartLeavesTheWindowStopped()
    {
        window->settings().setDdeType(QStringLiteral("ANAD"));
        QTest::mouseClick(window->liveButton(), Qt::LeftButton);
        QCOMPARE(Dialogs::shownMessages().size(), 1);
        QCOMPARE(window->liveButton()->text(), QStringLiteral("Li&ve data"));
        QVERIFY(!window->isLinked());
        QVERIFY(!window->windowTitle().contains(QStringLiteral("Linked")));
        QCOMPARE(window->panelText(1), QString());
    }

    void importSaysWhatItDid()
    {
        const QString bad = env.writeFile("logs/bad.log", "NotSkySpy\r\n");
        const QString a = env.writeFile("logs/a.log", skySpyLog(".N11111"));
        const QString b = env.writeFile("logs/b.log", skySpyLog(".N22222"));
        importAndWait({bad, a, b});
        const QString text = QStringLiteral(
            "Log Import complete. 2 messages stored from 2 files. Refused: bad.log.");
        QCOMPARE(window->panelText(1), text);
        QCOMPARE(Dialogs::shownMessages().last(),
                 text + "\n\nbad.log: This is not a SkySpy log file.");
        QCOMPARE(ImportController::completeText(1204, 2, {}),
                 QStringLiteral("Log Import complete. 1,204 messages stored from 2 files."));
    }

    void repeatedImportIsQuestioned()
    {
        const QString a = env.writeFile("logs/again.log", skySpyLog(".N11111"));
        importAndWait({a});
        Dialogs::reset();
        // The dialog names the format the files are read as.
        QVERIFY(ImportController::dialogTitle(window->settings().decoder())
                    .contains(window->settings().decoder()));

        Dialogs::queueAnswer(Dialogs::Answer::No);
        importAndWait({a});
        QCOMPARE(Dialogs::shownMessages(),
                 (QStringList{"again.log was imported before. Import it again?",
                              "Log Import complete. No file imported."}));
        Dialogs::reset();
        importAndWait({a}); // the default answer, Yes
        QCOMPARE(Dialogs::shownMessages().last(),
                 QStringLiteral("Log Import complete. 1 message stored from 1 file."));
    }

    void accessKeysAreUniqueAndTheButtonsKeepTheirs()
    {
        QCOMPARE(window->importButton()->text(), QStringLiteral("&Import Log"));
        QCOMPARE(window->liveButton()->text(), QStringLiteral("Li&ve data"));
        QCOMPARE(window->textFileButton()->text(), QStringLiteral("Create &text file"));
        QMap<QChar, QString> owners;
        const auto claim = [&owners](const QString &caption) {
            const QChar key = accessKey(caption);
            if (key.isNull())
                return;
            QVERIFY2(!owners.contains(key), qPrintable(caption + " and " + owners.value(key)));
            owners.insert(key, caption);
        };
        for (QAction *action : window->menuBar()->actions())
            claim(action->text());
        for (QAbstractButton *button : window->findChildren<QAbstractButton *>())
            claim(button->text());
        for (QLabel *label : window->findChildren<QLabel *>())
            if (label->buddy())
                claim(label->text());
        for (QGroupBox *box : window->findChildren<QGroupBox *>())
            claim(box->title());
        QTabWidget *tabs = window->tabs();
        for (int i = 0; i < tabs->count(); ++i)
            claim(tabs->tabText(i));
    }

    void tabWalksTheControlsInReadingOrder()
    {
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QVERIFY(!window->messageGrid()->tabKeyNavigation());
        const QList<QWidget *> expected = {window->messageGrid(), window->filterType(),
                                           window->filterValue(), window->textFileButton(),
                                           window->messageText()};
        // Disabled controls are passed over; enable the value box to see it.
        window->filterValue()->setEnabled(true);
        window->messageGrid()->setFocus();
        QVERIFY(window->messageGrid()->hasFocus());
        for (qsizetype i = 1; i < expected.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QWidget *focus = QApplication::focusWidget();
            QVERIFY2(focus == expected[i] || expected[i]->isAncestorOf(focus),
                     qPrintable(focus ? focus->objectName() : QStringLiteral("(none)")));
        }
        QVERIFY(window->messageText()->textInteractionFlags() & Qt::TextSelectableByKeyboard);
    }

    void toolTipsFollowTheSetting()
    {
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QPushButton *button = window->importButton();
        const auto hover = [button] {
            QToolTip::hideText();
            QHelpEvent tip(QEvent::ToolTip, QPoint(2, 2), button->mapToGlobal(QPoint(2, 2)));
            QApplication::sendEvent(button, &tip);
            return QToolTip::isVisible();
        };
        window->settings().setSwitch(Settings::Key::ToolTips, 0);
        QVERIFY(!hover());
        window->settings().setSwitch(Settings::Key::ToolTips, 1);
        QVERIFY(hover());
        QToolTip::hideText();
    }

    void openingFailuresAreReported()
    {
        Dialogs::setOpeningFails(true);
        AboutBox box(window.get());
        QLabel *link = box.findChild<QLabel *>(QStringLiteral("lblWeb"));
        QVERIFY(link);
        emit link->linkActivated(QStringLiteral("https://host.invalid/page"));
        QCOMPARE(Dialogs::shownMessages(),
                 QStringList{"No program could open https://host.invalid/page."});

        Dialogs::reset();
        Dialogs::setOpeningFails(true);
        const QString path = QDir(env.newDataDir()).filePath(QStringLiteral("view.txt"));
        Dialogs::queueFiles({path});
        Dialogs::queueAnswer(Dialogs::Answer::Yes);
        browser->writeTextFile();
        QVERIFY(QFile::exists(path));
        QCOMPARE(Dialogs::shownMessages().last(),
                 QStringLiteral("No program could open %1.").arg(QDir::toNativeSeparators(path)));
        QFile written(path);
        QVERIFY(written.open(QIODevice::ReadOnly));
        written.readLine();
        // No invented home page on the second line.
        QCOMPARE(written.readLine().trimmed(), QByteArray());
    }

    void splitterIsRemembered()
    {
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QSplitter *splitter = window->messageSplitter();
        QCOMPARE(splitter->widget(0), window->messageGrid());
        QList<int> sizes = splitter->sizes();
        const int total = sizes[0] + sizes[1];
        const QList<int> wanted = {total / 3, total - total / 3};
        splitter->setSizes(wanted);
        emit splitter->splitterMoved(wanted[0], 1);
        const QList<int> left = splitter->sizes();

        teardown();
        build();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QCOMPARE(window->messageSplitter()->sizes(), left);
    }
};

QTEST_MAIN(TestEveryday)
#include "tst_everyday.moc"
