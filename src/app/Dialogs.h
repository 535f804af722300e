#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

class QDialog;
class QWidget;

namespace corvane
{

// Every message box, file dialog, modal window and desktop hand-off of the
// program goes through here, so that tests can answer them in advance.
//
// Answers queued with queueAnswer() are consumed by the message boxes and by
// exec(); file lists queued with queueFiles() by the file dialogs. When the
// wrapper is unattended (tests), an empty queue gives the safe answer (OK,
// No, Cancel, no file) instead of a dialog, and documents and addresses are
// recorded but not opened.
class Dialogs
{
public:
    enum class Answer { Ok, Yes, No, Cancel };

    static void information(QWidget *parent, const QString &text, const QString &title = {});
    static void critical(QWidget *parent, const QString &text, const QString &title = {});
    // Yes and No; true for Yes.
    static bool question(QWidget *parent, const QString &text, const QString &title = {});
    // Yes and No with Yes as the default; unattended, the default stands.
    static bool questionDefaultYes(QWidget *parent, const QString &text, const QString &title = {});
    // The same with the critical-error icon, for questions about what cannot be undone.
    static bool criticalQuestion(QWidget *parent, const QString &text, const QString &title = {});

    // Empty (or an empty list) when the user cancels.
    static QString openFile(QWidget *parent, const QString &caption, const QString &dir = {},
                            const QString &filter = {});
    static QStringList openFiles(QWidget *parent, const QString &caption, const QString &dir = {},
                                 const QString &filter = {});
    static QString saveFile(QWidget *parent, const QString &caption, const QString &dir = {},
                            const QString &filter = {});
    // A folder; queued files answer it as they answer the file dialogs.
    static QString openFolder(QWidget *parent, const QString &caption, const QString &dir = {});

    // Shows a modal window and returns its result (QDialog::Accepted or
    // Rejected). A queued answer stands in for the user: Ok and Yes accept.
    static int exec(QDialog &dialog);

    // Hands a web address, or a local file to its default program.
    static bool openUrl(const QUrl &url);
    static bool openDocument(const QString &path);
    // The same, telling the user when nothing could open it.
    static bool openUrlOrSay(QWidget *parent, const QUrl &url);
    static bool openDocumentOrSay(QWidget *parent, const QString &path);

    // Test support.
    static void setUnattended(bool unattended);
    static bool isUnattended();
    // Unattended, makes every later document and address fail to open.
    static void setOpeningFails(bool fails);
    static void queueAnswer(Answer answer);
    static void queueFiles(const QStringList &files);
    static int pendingAnswers();
    static int pendingFiles();
    // Texts of the message boxes shown (or answered) so far, oldest first.
    static QStringList shownMessages();
    // Object names of the windows passed to exec() so far.
    static QStringList shownWindows();
    static QList<QUrl> openedUrls();
    // The filters the file dialogs offered so far, oldest first.
    static QStringList offeredFilters();
    // Forgets queues and logs.
    static void reset();
};

} // namespace corvane
