#include "app/Dialogs.h"

#include <QDialog>
#include <QtTest>

using namespace corvane;

class DialogsTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { Dialogs::setUnattended(true); }
    void init() { Dialogs::reset(); }

    void queuedAnswersAreConsumedInOrder()
    {
        Dialogs::queueAnswer(Dialogs::Answer::Yes);
        Dialogs::queueAnswer(Dialogs::Answer::No);
        Dialogs::queueAnswer(Dialogs::Answer::Ok);
        QVERIFY(Dialogs::question(nullptr, QStringLiteral("first?")));
        QVERIFY(!Dialogs::question(nullptr, QStringLiteral("second?")));
        Dialogs::information(nullptr, QStringLiteral("done"));
        QCOMPARE(Dialogs::pendingAnswers(), 0);
        QCOMPARE(Dialogs::shownMessages(),
                 QStringList({QStringLiteral("first?"), QStringLiteral("second?"),
                              QStringLiteral("done")}));
    }

    void unattendedWithoutAnswerTakesTheSafeChoice()
    {
        // A question nobody answered must not run the destructive branch.
        QVERIFY(!Dialogs::question(nullptr, QStringLiteral("Delete everything?")));
        QVERIFY(Dialogs::openFile(nullptr, QStringLiteral("Open")).isEmpty());
        QVERIFY(Dialogs::openFiles(nullptr, QStringLiteral("Open")).isEmpty());
        QVERIFY(Dialogs::saveFile(nullptr, QStringLiteral("Save")).isEmpty());
        QDialog dialog;
        dialog.setObjectName(QStringLiteral("frmSomething"));
        QCOMPARE(Dialogs::exec(dialog), int(QDialog::Rejected));
        QCOMPARE(Dialogs::shownWindows(), QStringList(QStringLiteral("frmSomething")));
    }

    void fileQueueIsSeparateFromAnswerQueue()
    {
        Dialogs::queueAnswer(Dialogs::Answer::Yes);
        Dialogs::queueFiles({QStringLiteral("/a.log"), QStringLiteral("/b.log")});
        Dialogs::queueFiles({});
        Dialogs::queueFiles({QStringLiteral("/out.txt")});
        QCOMPARE(Dialogs::openFiles(nullptr, QStringLiteral("Open")),
                 QStringList({QStringLiteral("/a.log"), QStringLiteral("/b.log")}));
        // An empty list stands for a cancelled dialog.
        QCOMPARE(Dialogs::openFile(nullptr, QStringLiteral("Open")), QString());
        QCOMPARE(Dialogs::saveFile(nullptr, QStringLiteral("Save")), QStringLiteral("/out.txt"));
        QCOMPARE(Dialogs::pendingAnswers(), 1);

        QDialog dialog;
        QCOMPARE(Dialogs::exec(dialog), int(QDialog::Accepted));
        QCOMPARE(Dialogs::pendingAnswers(), 0);
    }

    void documentsAreRecordedNotOpened()
    {
        QVERIFY(Dialogs::openDocument(QStringLiteral("/tmp/new")));
        QVERIFY(Dialogs::openUrl(QUrl(QStringLiteral("mailto:someone@example.org"))));
        QCOMPARE(Dialogs::openedUrls().size(), 2);
        QCOMPARE(Dialogs::openedUrls().at(0), QUrl::fromLocalFile(QStringLiteral("/tmp/new")));

        Dialogs::reset();
        QVERIFY(Dialogs::openedUrls().isEmpty());
        QVERIFY(Dialogs::isUnattended());
    }
};

QTEST_MAIN(DialogsTest)
#include "tst_dialogs.moc"
