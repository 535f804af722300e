// The Reports menu in the window: selection windows, the preview and errors.
#include "app/Dialogs.h"
#include "app/MainWindow.h"
#include "reports/ReportPreview.h"
#include "reports/ReportsController.h"
#include "reports/SelectChoiceDialog.h"
#include "reports/SelectDateDialog.h"
#include "store/MessageRecorder.h"
#include "store/Store.h"
#include "support/MessageRecords.h"
#include "support/TestEnvironment.h"

#include <QAction>
#include <QCalendarWidget>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using namespace corvane;

class TestReportWindows : public QObject
{
    Q_OBJECT

    test::TestEnvironment env;
    QString dataDir;
    std::unique_ptr<Store> store;
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<ReportsController> reports;

    void trigger(const char *item) { window->menuItem(QString::fromLatin1(item))->trigger(); }

    // Waits for the preview's first page and its page count.
    bool previewReady()
    {
        ReportPreview *preview = reports->lastPreview();
        return preview &&
               QTest::qWaitFor([&] { return preview->pageCount() > 0 && !preview->isBusy(); },
                               20000);
    }

    void writeReport(const QString &name, const QByteArray &text)
    {
        QFile f(QDir(dataDir).filePath(name));
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text);
    }

private slots:
    void init()
    {
        Dialogs::setUnattended(true);
        Dialogs::reset();
        dataDir = env.newDataDir();
        // The shipped reports in the application folder, where they are looked for first.
        for (const QFileInfo &f : QDir(CORVANE_SHIPPED_REPORTS).entryInfoList({"*.rpt"}))
            QFile::copy(f.absoluteFilePath(), QDir(dataDir).filePath(f.fileName()));
        store = std::make_unique<Store>();
        store->open(dataDir);
        {
            MessageRecorder recorder(*store);
            for (int i = 0; i < 300; ++i)
                recorder.storeMessage(test::message(i % 2 ? "G-ABCD" : "G-WXYZ",
                                                    i % 3 ? "BA12" : "LH400",
                                                    QStringLiteral("07/12/2026 %1:%2")
                                                        .arg(i / 60, 2, 10, QChar(u'0'))
                                                        .arg(i % 60, 2, 10, QChar(u'0'))),
                                      nullptr);
            recorder.commitBatch();
        }
        window = std::make_unique<MainWindow>(*store);
        reports = std::make_unique<ReportsController>(*window, *store);
    }
    void cleanup()
    {
        reports.reset();
        window.reset();
        store.reset();
    }

    void everyPrintedReportItemIsEnabled()
    {
        for (const char *item :
             {"mnuReportsAllLogRecords", "mnuReportsAllByDate", "mnuReportsAllByFlight",
              "mnuReportsAllByReg", "mnuReportsByDateLessDetail", "mnuUniqiueAircraft",
              "mnuReportsUniqueAFByFlightNumber", "mnuReportsUniqueAFAircraftByRegistration",
              "mnuReportsUniqueAircraft"})
            QVERIFY2(window->menuItem(QString::fromLatin1(item))->isEnabled(), item);
    }

    // The chosen days reach the report; the fields are cleared after printing.
    void dateReportPreviewsAndSaves()
    {
        reports->beforeDialog = [](QDialog &d) {
            auto &dates = static_cast<SelectDateDialog &>(d);
            emit dates.fromCalendar()->clicked(QDate(2026, 12, 7));
            emit dates.toCalendar()->clicked(QDate(2026, 12, 7));
        };
        Dialogs::queueAnswer(Dialogs::Answer::Ok);
        trigger("mnuReportsAllByDate");
        QCOMPARE(Dialogs::shownWindows(), QStringList{"frmSelectDate"});
        QVERIFY(previewReady());
        QVERIFY(Dialogs::shownMessages().isEmpty());
        QCOMPARE(reports->printer().parameterFields(), (QStringList{QString(), QString()}));
        ReportPreview *preview = reports->lastPreview();
        QVERIFY(preview->pageCount() > 1);
        // It fits the screen.
        QVERIFY(preview->frameGeometry().height() <=
                preview->screen()->availableGeometry().height());
        // Each button has an access key of its own.
        QStringList keys;
        for (const QPushButton *b : preview->findChildren<QPushButton *>())
            keys << b->text().section(u'&', 1).left(1).toUpper();
        const qsizetype buttons = keys.size();
        keys.removeDuplicates();
        keys.removeAll(QString());
        QCOMPARE(keys.size(), buttons);

        QTest::mouseClick(preview->findChild<QPushButton *>("cmdNext"), Qt::LeftButton);
        QVERIFY(QTest::qWaitFor([&] { return preview->currentPage() == 1 && !preview->isBusy(); },
                                10000));
        QVERIFY(!preview->pageImage().isNull());

        QSignalSpy saved(preview, &ReportPreview::saved);
        const QString pdf = env.path("bydate.pdf");
        preview->saveAs(pdf);
        QVERIFY(saved.wait(20000));
        QCOMPARE(saved.first().at(1).toInt(), preview->pageCount());
        QVERIFY(QFile(pdf).size() > 1000);

        // Never onto the store.
        QSignalSpy failed(preview, &ReportPreview::failed);
        preview->saveAs(QDir(dataDir).filePath("acarslog.db"));
        QCOMPARE(failed.size(), 1);
        QVERIFY(QFile(QDir(dataDir).filePath("acarslog.db")).size() > 1000);
    }

    void dateWindowRefusesAnEndBeforeTheStart()
    {
        SelectDateDialog dates;
        QCOMPARE(dates.from(), QDate::currentDate());
        emit dates.fromCalendar()->clicked(QDate(2026, 12, 8));
        emit dates.toCalendar()->clicked(QDate(2026, 12, 7));
        QTest::mouseClick(dates.findChild<QPushButton *>("cmdOK"), Qt::LeftButton);
        QCOMPARE(Dialogs::shownMessages(), QStringList{"Date To must be later than Date From"});
        QCOMPARE(dates.result(), int(QDialog::Rejected));
        emit dates.toCalendar()->clicked(QDate(2026, 12, 8));
        QTest::mouseClick(dates.findChild<QPushButton *>("cmdOK"), Qt::LeftButton);
        QCOMPARE(dates.result(), int(QDialog::Accepted));
    }

    // Cancel in any selection window prints nothing.
    void cancelPrintsNothing_data()
    {
        QTest::addColumn<QString>("item");
        QTest::newRow("date") << "mnuReportsByDateLessDetail";
        QTest::newRow("flight") << "mnuReportsAllByFlight";
        QTest::newRow("registration") << "mnuReportsUniqueAFAircraftByRegistration";
    }
    void cancelPrintsNothing()
    {
        QFETCH(QString, item);
        Dialogs::queueAnswer(Dialogs::Answer::Cancel);
        window->menuItem(item)->trigger();
        QCOMPARE(Dialogs::shownWindows().size(), 1);
        QVERIFY(!reports->lastPreview());
        QVERIFY(Dialogs::shownMessages().isEmpty());
    }

    // The flight window keeps the last choice; Cancel empties it.
    void flightWindowKeepsItsChoice()
    {
        reports->beforeDialog = [](QDialog &d) {
            static_cast<SelectChoiceDialog &>(d).list()->setEditText("BA12");
        };
        Dialogs::queueAnswer(Dialogs::Answer::Ok);
        trigger("mnuReportsAllByFlight");
        QVERIFY(previewReady());
        SelectChoiceDialog *flights = reports->flightWindow();
        QCOMPARE(flights->list()->count(), 2);

        reports->beforeDialog = {};
        Dialogs::queueAnswer(Dialogs::Answer::Ok);
        trigger("mnuReportsUniqueAFByFlightNumber");
        QCOMPARE(flights->choice(), QStringLiteral("BA12"));
        QVERIFY(previewReady());

        QPointer<ReportPreview> before = reports->lastPreview();
        Dialogs::queueAnswer(Dialogs::Answer::Cancel);
        trigger("mnuReportsAllByFlight");
        QVERIFY(flights->choice().isEmpty());
        QCOMPARE(reports->lastPreview(), before.data());
        Dialogs::queueAnswer(Dialogs::Answer::Ok);
        trigger("mnuReportsAllByFlight");
        QCOMPARE(reports->lastPreview(), before.data());
    }

    // "All log records" shows number, comma, text; the others name file and reason.
    void errorsAreShown()
    {
        writeReport(
            "alllogs.rpt",
            "Title: All\nQuery: SELECT nosuch FROM tMessage\nColumn: A | nosuch | 5 | left\n");
        trigger("mnuReportsAllLogRecords");
        QCOMPARE(Dialogs::shownMessages(),
                 QStringList{"4,alllogs.rpt line 2: The query is refused: no such column: nosuch"});
        Dialogs::reset();
        writeReport("unique.rpt", "Title: U\n");
        trigger("mnuUniqiueAircraft");
        QCOMPARE(Dialogs::shownMessages(),
                 QStringList{"The report cannot be printed.\n\nunique.rpt: no Query"});
        QVERIFY(!reports->lastPreview());
    }
};

QTEST_MAIN(TestReportWindows)
#include "tst_reportwindows.moc"
