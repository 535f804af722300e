#include "app/Dialogs.h"
#include "app/MainWindow.h"
#include "browse/MessageBrowser.h"
#include "browse/MessageGridModel.h"
#include "browse/PickDateDialog.h"
#include "browse/core/MessageTextFile.h"
#include "store/MessagePager.h"
#include "store/SqliteDb.h"
#include "store/Store.h"
#include "support/TestEnvironment.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QScrollBar>
#include <QSemaphore>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QtTest>

using namespace corvane;

namespace
{

void addMessage(Store &store, const QString &time, const QString &reg, const QString &flight,
                const QString &text = QStringLiteral("TEXT"))
{
    SqliteStatement st(store.acarsLog(), "INSERT INTO tMessage (mTime, mMode, mReg, mLabel, mBlk,"
                                         " mNo, mFlight, mText, mFileName) VALUES"
                                         " (?, '2', ?, 'H1', '1', 'M01A', ?, ?, 'a.log')");
    st.bind(1, time);
    st.bind(2, reg);
    st.bind(3, flight);
    st.bind(4, text);
    st.run();
}

} // namespace

// The "All Records" tab driven through its widgets.
class TestBrowse : public QObject
{
    Q_OBJECT

    test::TestEnvironment env;
    QString dataDir;
    std::unique_ptr<Store> store;
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<MessageBrowser> browser;

    QTableView *grid() { return window->messageGrid(); }
    int rows() { return grid()->model()->rowCount(); }
    QString cell(int row, int column)
    {
        return grid()->model()->index(row, column).data().toString();
    }
    QStringList columnValues(int column)
    {
        QStringList values;
        for (int r = 0; r < rows(); ++r)
            values << cell(r, column);
        return values;
    }
    void chooseType(int type)
    {
        QCoreApplication::processEvents();
        window->filterType()->setCurrentIndex(type);
        emit window->filterType()->activated(type);
    }
    void typeValue(const QString &value)
    {
        QComboBox *box = window->filterValue();
        box->setFocus();
        box->lineEdit()->setText(value);
        QTest::keyClick(box->lineEdit(), Qt::Key_Return);
    }
    void clickHeader(int column)
    {
        QHeaderView *header = grid()->horizontalHeader();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(column) + 5, 5));
    }

private slots:
    void init()
    {
        env.resetSettings();
        Dialogs::setUnattended(true);
        Dialogs::reset();
        store = std::make_unique<Store>();
        dataDir = env.newDataDir();
        store->open(dataDir);
        addMessage(*store, "2026-12-07 10:00:00", "G-BBBB", "BA002");
        addMessage(*store, "2026-12-07 00:00:00", "G-AAAA", "BA001", "ZULU");
        addMessage(*store, "2026-12-08 00:00:00", "G-AAAA", "BA001", "ALPHA");
        addMessage(*store, "2026-12-07 23:59:59", "O'NEIL", "X'1");
        addMessage(*store, "2026-12-06 12:00:00", "G-CCCC", "BA003", "MIKE");
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

    void gridShowsEveryMessageInTimeOrderAtStart()
    {
        QCOMPARE(rows(), 5);
        QCOMPARE(window->panelText(4), QStringLiteral("5"));
        QStringList captions;
        for (int c = 0; c < grid()->model()->columnCount(); ++c)
            captions << grid()->model()->headerData(c, Qt::Horizontal).toString();
        QCOMPARE(captions, (QStringList{"Date/Time", "Mode", "Registration", "Block ID", "Msg No",
                                        "Flight No", "Message Text", "Msg Labe", "Log Filename"}));
        QCOMPARE(cell(0, 0), QStringLiteral("06/12/2026 12:00:00"));
        QCOMPARE(cell(4, 0), QStringLiteral("08/12/2026 00:00:00"));
        QVERIFY(!window->filterValue()->isEnabled());
    }

    void flightAndRegistrationFilters()
    {
        chooseType(MessageBrowser::FlightNumber);
        // Choosing the type alone leaves the grid as it was.
        QCOMPARE(rows(), 5);
        QVERIFY(window->filterValue()->isEnabled());
        QCOMPARE(window->filterValue()->count(), 4);
        QVERIFY(window->filterValue()->findText("X'1") >= 0);

        const int at = window->filterValue()->findText("BA001");
        window->filterValue()->setCurrentIndex(at);
        emit window->filterValue()->activated(at);
        QCOMPARE(columnValues(5), (QStringList{"BA001", "BA001"}));
        QCOMPARE(window->panelText(4), QStringLiteral("2"));

        // A value with a quote in it filters like any other.
        chooseType(MessageBrowser::Registration);
        typeValue("O'NEIL");
        QCOMPARE(columnValues(2), QStringList{"O'NEIL"});
        QCOMPARE(window->panelText(4), QStringLiteral("1"));

        chooseType(MessageBrowser::AllRecords);
        QCOMPARE(rows(), 5);
        QCOMPARE(window->filterValue()->currentText(), QString());
        QVERIFY(!window->filterValue()->isEnabled());
        QCOMPARE(window->panelText(4), QStringLiteral("5"));
    }

    void dateRangeTakesTheFirstMidnightNotTheNext()
    {
        // Before any confirmed range the view is empty.
        chooseType(MessageBrowser::ByDate);
        QCOMPARE(rows(), 0);
        QCOMPARE(Dialogs::shownWindows(), QStringList{"frmPickDate"});

        browser->beforeDialog = [](QDialog &d) {
            auto &picker = static_cast<PickDateDialog &>(d);
            picker.fromPicker()->setDate(QDate(2026, 12, 7));
            picker.toPicker()->setDate(QDate(2026, 12, 7));
        };
        Dialogs::queueAnswer(Dialogs::Answer::Ok);
        chooseType(MessageBrowser::ByDate);
        QCOMPARE(columnValues(0), (QStringList{"07/12/2026 00:00:00", "07/12/2026 10:00:00",
                                               "07/12/2026 23:59:59"}));
        QCOMPARE(window->panelText(4), QStringLiteral("3"));
        QCOMPARE(window->filterValue()->currentText(), QStringLiteral("07/12/2026 - 07/12/2026"));

        // The picker opens at the range in force; cancel keeps it.
        QDate opened;
        browser->beforeDialog = [&opened](QDialog &d) {
            opened = static_cast<PickDateDialog &>(d).fromPicker()->date();
            static_cast<PickDateDialog &>(d).toPicker()->setDate(QDate(2030, 1, 1));
        };
        chooseType(MessageBrowser::ByDate);
        QCOMPARE(opened, QDate(2026, 12, 7));
        QCOMPARE(rows(), 3);

        // Another filter type drops the date rows at once, and the detail of
        // a message it left out.
        grid()->setCurrentIndex(grid()->model()->index(2, 0));
        qint64 shown = -1;
        browser->onCurrentMessageChanged = [&shown](qint64 rowid) { shown = rowid; };
        chooseType(MessageBrowser::FlightNumber);
        QCOMPARE(rows(), 5);
        QCOMPARE(shown, 0);
    }

    void datePickerRefusesAnEndBeforeTheStart()
    {
        PickDateDialog picker;
        QCOMPARE(picker.from(), QDate::currentDate());
        picker.fromPicker()->setDate(QDate(2026, 12, 8));
        picker.toPicker()->setDate(QDate(2026, 12, 7));
        QTest::mouseClick(picker.findChild<QPushButton *>("cmdOK"), Qt::LeftButton);
        QCOMPARE(Dialogs::shownMessages(), QStringList{"Date To must be later than Date From"});
        QCOMPARE(picker.result(), int(QDialog::Rejected));
        picker.toPicker()->setDate(QDate(2026, 12, 8));

        // Typed dates are taken as typed; a year before the first decoders
        // is refused, not quietly changed.
        picker.show();
        QVERIFY(QTest::qWaitForWindowActive(&picker));
        const auto type = [](QDateEdit *edit, const QString &text) {
            edit->setFocus();
            edit->setSelectedSection(QDateTimeEdit::DaySection);
            QTest::keyClicks(edit, text);
        };
        type(picker.fromPicker(), "01/02/2026");
        QCOMPARE(picker.fromPicker()->text(), QStringLiteral("01/02/2026"));
        QCOMPARE(picker.from(), QDate(2026, 2, 1));
        type(picker.toPicker(), "01/02/0000");
        // The click takes the focus, and the picker corrects what it holds.
        picker.findChild<QPushButton *>("cmdOK")->setFocus();
        QTest::mouseClick(picker.findChild<QPushButton *>("cmdOK"), Qt::LeftButton);
        QCOMPARE(Dialogs::shownMessages().size(), 2);
        QVERIFY(Dialogs::shownMessages().last().contains("01/01/1990"));
        QCOMPARE(picker.result(), int(QDialog::Rejected));
        type(picker.toPicker(), "02/02/2026");
        QCOMPARE(picker.to(), QDate(2026, 2, 2));
        QTest::mouseClick(picker.findChild<QPushButton *>("cmdOK"), Qt::LeftButton);
        QCOMPARE(picker.result(), int(QDialog::Accepted));
    }

    void headerClickSortsEverythingAndReplacesTheFilter()
    {
        chooseType(MessageBrowser::Registration);
        typeValue("G-AAAA");
        QCOMPARE(rows(), 2);

        clickHeader(2);
        QCOMPARE(columnValues(2), (QStringList{"G-AAAA", "G-AAAA", "G-BBBB", "G-CCCC", "O'NEIL"}));
        QCOMPARE(window->panelText(4), QStringLiteral("5"));

        clickHeader(6); // no index serves the text
        QCOMPARE(columnValues(6), (QStringList{"ALPHA", "MIKE", "TEXT", "TEXT", "ZULU"}));
        // Equal texts keep their time order.
        QCOMPARE(cell(2, 0), QStringLiteral("07/12/2026 10:00:00"));
    }

    void secondClickSortsDescendingAndShowsTheIndicator()
    {
        QHeaderView *header = grid()->horizontalHeader();
        clickHeader(2);
        QCOMPARE(header->sortIndicatorSection(), 2);
        QCOMPARE(header->sortIndicatorOrder(), Qt::AscendingOrder);
        clickHeader(2);
        QCOMPARE(columnValues(2), (QStringList{"O'NEIL", "G-CCCC", "G-BBBB", "G-AAAA", "G-AAAA"}));
        QCOMPARE(header->sortIndicatorOrder(), Qt::DescendingOrder);
        clickHeader(2);
        QCOMPARE(columnValues(2).first(), QStringLiteral("G-AAAA"));

        // A filter goes back to the time order, and the next click ascends.
        chooseType(MessageBrowser::Registration);
        typeValue("G-AAAA");
        QCOMPARE(header->sortIndicatorSection(), 0);
        QCOMPARE(header->sortIndicatorOrder(), Qt::AscendingOrder);
        clickHeader(6);
        QCOMPARE(columnValues(6).first(), QStringLiteral("ALPHA"));
    }

    void gridFollowsLiveTrafficAtItsEnd()
    {
        for (int i = 0; i < 200; ++i)
            addMessage(*store,
                       QStringLiteral("2026-12-09 10:%1:%2")
                           .arg(i / 60, 2, 10, QLatin1Char('0'))
                           .arg(i % 60, 2, 10, QLatin1Char('0')),
                       "G-FOLL", "BA010");
        window->refreshViews();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        window->liveButton()->setText(QStringLiteral("Stop Link")); // as a running link shows it
        QScrollBar *bar = grid()->verticalScrollBar();
        const auto arrive = [this](int minute) {
            addMessage(*store,
                       QStringLiteral("2026-12-09 11:%1:00").arg(minute, 2, 10, QLatin1Char('0')),
                       "G-NEWS", "BA011");
            window->refreshViews();
            QCoreApplication::processEvents();
        };
        const auto lastRowInView = [this] {
            const QRect last = grid()->visualRect(grid()->model()->index(rows() - 1, 0));
            return last.isValid() && last.top() >= 0 &&
                   last.bottom() <= grid()->viewport()->height();
        };

        grid()->setFocus();
        QTest::keyClick(grid(), Qt::Key_End, Qt::ControlModifier);
        QVERIFY(lastRowInView());
        arrive(1);
        arrive(2);
        QVERIFY(lastRowInView());

        // Scrolled up: the view stays where the user left it.
        bar->setValue(bar->maximum() / 2);
        const int kept = bar->value();
        arrive(3);
        QCOMPARE(bar->value(), kept);
        QVERIFY(!lastRowInView());

        // Ctrl+End follows again.
        QTest::keyClick(grid(), Qt::Key_End, Qt::ControlModifier);
        arrive(4);
        QVERIFY(lastRowInView());

        // Without a link nothing moves.
        window->liveButton()->setText(QStringLiteral("Li&ve data"));
        const int at = bar->value();
        arrive(5);
        QCOMPARE(bar->value(), at);
        QVERIFY(bar->maximum() > at);
    }

    void aSlowViewLeavesTheWindowAnswering()
    {
        // The text sort is held on the worker until the window's own timer
        // has ticked: were the window waiting for the sort, it never would.
        MessageGridModel *model = browser->model();
        QSemaphore running, release;
        model->worker().beforeRun = [&](const MessageView &v) {
            if (v.sortColumn() == MessageView::Text) {
                running.release();
                release.acquire();
            }
        };
        const auto releaseWorker = qScopeGuard([&] { release.release(10); });
        chooseType(MessageBrowser::Registration);
        typeValue("G-AAAA");
        QCOMPARE(rows(), 2);

        int ticks = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
        ticker.start(5);
        clickHeader(MessageView::Text);
        QVERIFY(running.tryAcquire(1, 10000));
        QVERIFY(model->isWorking());
        QCOMPARE(window->panelText(1), QStringLiteral("Reading the messages..."));
        QTRY_VERIFY(ticks >= 5);
        // The old rows stay until the new ones are ready.
        QCOMPARE(rows(), 2);
        QCOMPARE(window->panelText(4), QStringLiteral("2"));

        // A click on another header meanwhile replaces the sort: what
        // arrives is the newer view, and the older one is never shown.
        clickHeader(MessageView::Label);
        release.release();
        QTRY_VERIFY(!model->isWorking());
        QCOMPARE(model->view().sortColumn(), int(MessageView::Label));
        QCOMPARE(rows(), 5);
        QCOMPARE(window->panelText(4), QStringLiteral("5"));
        QCOMPARE(window->panelText(1), QString());
        QTest::qWait(50);
        QCOMPARE(model->view().sortColumn(), int(MessageView::Label));

        // Let through, the text sort shows its rows and count in the end.
        model->worker().beforeRun = nullptr;
        model->setQuickWait(0);
        clickHeader(MessageView::Text);
        QTRY_VERIFY(!model->isWorking());
        QCOMPARE(columnValues(MessageView::Text),
                 (QStringList{"ALPHA", "MIKE", "TEXT", "TEXT", "ZULU"}));
    }

    void recordCountFollowsTheTab()
    {
        store->acarsLog().exec("INSERT INTO ACARSLOG (Registration, Flight) VALUES ('A','1'),"
                               " ('B','2'), ('C','3');"
                               "INSERT INTO UniqueAircraft (Registration) VALUES ('A'), ('B')");
        window->tabs()->setCurrentIndex(MainWindow::TabPairs);
        QCOMPARE(window->panelText(4), QStringLiteral("3"));
        QVERIFY(window->ddeServerBox()->isHidden());
        window->tabs()->setCurrentIndex(MainWindow::TabAircraft);
        QCOMPARE(window->panelText(4), QStringLiteral("2"));
        window->tabs()->setCurrentIndex(MainWindow::TabStatistics);
        QCOMPARE(window->panelText(4), QString());
        window->tabs()->setCurrentIndex(MainWindow::TabAllRecords);
        QCOMPARE(window->panelText(4), QStringLiteral("5"));
        QVERIFY(!window->ddeServerBox()->isHidden());

        // Messages stored by an import show after the window's refresh.
        addMessage(*store, "2026-12-09 08:00:00", "G-DDDD", "BA004");
        window->refreshViews();
        QCOMPARE(rows(), 6);
        QCOMPARE(window->panelText(4), QStringLiteral("6"));
    }

    void rightButtonNeedsACurrentRow()
    {
        QVERIFY(!browser->rightButton(QPoint(10, 10)));
        QCOMPARE(Dialogs::shownMessages(), QStringList{"Please select a record"});
        grid()->setCurrentIndex(grid()->model()->index(1, 0));
        QVERIFY(browser->rightButton(QPoint(10, 10)));
        const QList<QAction *> items = browser->contextMenu()->actions();
        QCOMPARE(items.size(), 2);
        QCOMPARE(items[0]->objectName(), QStringLiteral("mnuFromAllDelete"));
        browser->contextMenu()->hide();
    }

    void textFileOfTheCurrentView()
    {
        store->acarsLog().exec(
            "INSERT INTO AIRCRAFT (REGISTRATI, TYPE) VALUES ('G-AAAA', 'B747-436')");
        store->routes().exec("INSERT INTO ROUTES (FLIGHT, ROUTE) VALUES ('BA001', 'LHR-JFK')");
        chooseType(MessageBrowser::Registration);
        typeValue("G-AAAA");
        addMessage(*store, "2026-12-09 00:00:01", "G-AAAA", "BA0000123456"); // not in view yet
        window->refreshViews();

        const QString path = env.path("out.txt");
        Dialogs::queueFiles({path});
        Dialogs::queueAnswer(Dialogs::Answer::Yes);
        QTest::mouseClick(window->textFileButton(), Qt::LeftButton);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(file.readAll()).split('\n');
        QCOMPARE(lines.mid(0, 5),
                 (QStringList{"Created by ACARS Corvane for Windows", MessageTextFile::webAddress(),
                              "", "Reg      Flight    Type                Route", ""}));
        QCOMPARE(lines.mid(5), (QStringList{"G-AAAA   BA001     B747-436            LHR-JFK",
                                            "G-AAAA   BA001     B747-436            LHR-JFK",
                                            "G-AAAA   BA0000123456",
                                            "                   B747-436" + QString(12, ' '), ""}));
        QCOMPARE(Dialogs::shownMessages(), QStringList{"View Text file?"});
        QCOMPARE(Dialogs::openedUrls(), QList<QUrl>{QUrl::fromLocalFile(path)});
        QCOMPARE(window->panelText(1), MessageBrowser::textFileWrittenText(3, path));

        // Without lookups both columns stay empty; a cancelled dialog writes nothing.
        QCOMPARE(MessageTextFile::lineFor("G-CCCC", "BA003", "", ""),
                 QStringLiteral("G-CCCC   BA003") + QString(25, ' '));
        QCOMPARE(MessageTextFile::lineFor("ABCDEFGHI", "F", "T", "R"),
                 QStringLiteral("ABCDEFGHIF") + QString(9, ' ') + "T" + QString(19, ' ') + "R");
        QTest::mouseClick(window->textFileButton(), Qt::LeftButton);
        QCOMPARE(Dialogs::shownMessages().size(), 1);
    }

    void cancelledTextFileLeavesTheOldFile()
    {
        const QString path = env.writeFile("old.txt", "old");
        MessageTextFile writer(*store);
        const auto result =
            writer.write(MessageView::all(), path, [](qint64, qint64) { return false; });
        QCOMPARE(result, MessageTextFile::Result::Cancelled);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("old"));
    }

    void pagesReadFromEitherEndAgreeWithTheWholeView()
    {
        store->acarsLog().exec("BEGIN");
        for (int i = 0; i < 1234; ++i)
            addMessage(*store, QStringLiteral("2027-01-01 00:%1:00").arg(i % 60, 2, 10, QChar('0')),
                       QStringLiteral("R%1").arg(i % 7), QStringLiteral("F%1").arg(i % 5),
                       QStringLiteral("T%1").arg(i % 11));
        store->acarsLog().exec("COMMIT");
        for (const MessageView &view :
             {MessageView::all(), MessageView::sortedBy(MessageView::Reg),
              MessageView::sortedBy(MessageView::Text), MessageView::byFlight("F3")}) {
            QList<qint64> expected;
            const QByteArray sql = view.selectSql().toUtf8();
            SqliteStatement st(store->acarsLog(), sql.constData());
            const QStringList values = view.parameters();
            for (int i = 0; i < values.size(); ++i)
                st.bind(i + 1, values[i]);
            while (st.step())
                expected << st.int64(0);
            MessagePager pager(*store, 3);
            pager.setView(view);
            QCOMPARE(pager.rowCount(), expected.size());
            for (qint64 i : {qint64(expected.size() - 1), qint64(0), qint64(expected.size() / 2),
                             qint64(expected.size() - 200)}) {
                QVERIFY(pager.row(i));
                QCOMPARE(pager.row(i)->rowid, expected[i]);
            }
            QVERIFY(pager.cachedPageCount() <= 3);
            QVERIFY(!pager.row(expected.size()));
        }
    }

    void commandLineWritesTheSameFile()
    {
        browser.reset();
        window.reset();
        store.reset();
        const QString out = env.path("cli.txt");
        QProcess p;
        p.start(QStringLiteral(CORVANE_BINARY),
                {"text-file", out, "--reg", "O'NEIL", "--data-dir", dataDir});
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(p.exitCode(), 0);
        QFile file(out);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().endsWith("Route\n\nO'NEIL   X'1" + QByteArray(27, ' ') + "\n"));

        // A day range takes the message stamped at its first midnight.
        p.start(QStringLiteral(CORVANE_BINARY), {"text-file", out, "--from", "2026-12-08", "--to",
                                                 "2026-12-08", "--data-dir", dataDir});
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(p.exitCode(), 0);
        QFile rewritten(out);
        QVERIFY(rewritten.open(QIODevice::ReadOnly));
        QVERIFY(
            rewritten.readAll().endsWith("Route\n\nG-AAAA   BA001" + QByteArray(25, ' ') + "\n"));

        // Dates that are not whole valid dates, or out of order, are usage errors.
        const QList<QStringList> wrong = {{"2026-12-08", "2026-12-07"},
                                          {"2004-02-01'", "2004-02-02"},
                                          {"2004-02-30", "2004-03-01"},
                                          {"2004-2-1", "2004-02-02"}};
        for (const QStringList &dates : wrong) {
            p.start(QStringLiteral(CORVANE_BINARY), {"text-file", out, "--from", dates[0], "--to",
                                                     dates[1], "--data-dir", dataDir});
            QVERIFY(p.waitForFinished(30000));
            QCOMPARE(p.exitCode(), 2);
        }
    }
};

QTEST_MAIN(TestBrowse)
#include "tst_browse.moc"
