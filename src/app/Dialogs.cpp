#include "Dialogs.h"

#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QQueue>
#include <optional>

namespace corvane
{

namespace
{

struct DialogState {
    bool unattended = false;
    QQueue<Dialogs::Answer> answers;
    QQueue<QStringList> files;
    QStringList messages;
    QStringList windows;
    QList<QUrl> urls;
    QStringList filters;
    bool openingFails = false;
};

DialogState &state()
{
    static DialogState s;
    return s;
}

QString titleOr(const QString &title)
{
    return title.isEmpty() ? QStringLiteral("ACARS Corvane") : title;
}

// The queued answer, if any.
std::optional<Dialogs::Answer> takeAnswer()
{
    if (state().answers.isEmpty())
        return std::nullopt;
    return state().answers.dequeue();
}

std::optional<QStringList> takeFiles()
{
    if (state().files.isEmpty())
        return std::nullopt;
    return state().files.dequeue();
}

} // namespace

void Dialogs::information(QWidget *parent, const QString &text, const QString &title)
{
    state().messages << text;
    if (takeAnswer() || state().unattended)
        return;
    QMessageBox::information(parent, titleOr(title), text, QMessageBox::Ok);
}

void Dialogs::critical(QWidget *parent, const QString &text, const QString &title)
{
    state().messages << text;
    if (takeAnswer() || state().unattended)
        return;
    QMessageBox::critical(parent, titleOr(title), text, QMessageBox::Ok);
}

bool Dialogs::question(QWidget *parent, const QString &text, const QString &title)
{
    state().messages << text;
    if (const auto answer = takeAnswer())
        return *answer == Answer::Yes || *answer == Answer::Ok;
    if (state().unattended)
        return false;
    return QMessageBox::question(parent, titleOr(title), text, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

bool Dialogs::questionDefaultYes(QWidget *parent, const QString &text, const QString &title)
{
    state().messages << text;
    if (const auto answer = takeAnswer())
        return *answer == Answer::Yes || *answer == Answer::Ok;
    if (state().unattended)
        return true;
    return QMessageBox::question(parent, titleOr(title), text, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::Yes) == QMessageBox::Yes;
}

bool Dialogs::criticalQuestion(QWidget *parent, const QString &text, const QString &title)
{
    state().messages << text;
    if (const auto answer = takeAnswer())
        return *answer == Answer::Yes || *answer == Answer::Ok;
    if (state().unattended)
        return false;
    QMessageBox box(QMessageBox::Critical, titleOr(title), text, QMessageBox::Yes | QMessageBox::No,
                    parent);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

QString Dialogs::openFile(QWidget *parent, const QString &caption, const QString &dir,
                          const QString &filter)
{
    state().filters << filter;
    if (const auto files = takeFiles())
        return files->value(0);
    if (state().unattended)
        return {};
    return QFileDialog::getOpenFileName(parent, caption, dir, filter);
}

QString Dialogs::openFolder(QWidget *parent, const QString &caption, const QString &dir)
{
    if (const auto files = takeFiles())
        return files->value(0);
    if (state().unattended)
        return {};
    return QFileDialog::getExistingDirectory(parent, caption, dir);
}

QStringList Dialogs::openFiles(QWidget *parent, const QString &caption, const QString &dir,
                               const QString &filter)
{
    state().filters << filter;
    if (const auto files = takeFiles())
        return *files;
    if (state().unattended)
        return {};
    return QFileDialog::getOpenFileNames(parent, caption, dir, filter);
}

QString Dialogs::saveFile(QWidget *parent, const QString &caption, const QString &dir,
                          const QString &filter)
{
    state().filters << filter;
    if (const auto files = takeFiles())
        return files->value(0);
    if (state().unattended)
        return {};
    return QFileDialog::getSaveFileName(parent, caption, dir, filter);
}

int Dialogs::exec(QDialog &dialog)
{
    state().windows << dialog.objectName();
    if (const auto answer = takeAnswer())
        return *answer == Answer::Ok || *answer == Answer::Yes ? QDialog::Accepted
                                                               : QDialog::Rejected;
    if (state().unattended)
        return QDialog::Rejected;
    return dialog.exec();
}

bool Dialogs::openUrl(const QUrl &url)
{
    state().urls << url;
    if (state().unattended)
        return !state().openingFails;
    return QDesktopServices::openUrl(url);
}

bool Dialogs::openDocument(const QString &path)
{
    return openUrl(QUrl::fromLocalFile(path));
}

bool Dialogs::openUrlOrSay(QWidget *parent, const QUrl &url)
{
    if (openUrl(url))
        return true;
    information(parent, QStringLiteral("No program could open %1.")
                            .arg(url.isLocalFile() ? QDir::toNativeSeparators(url.toLocalFile())
                                                   : url.toString()));
    return false;
}

bool Dialogs::openDocumentOrSay(QWidget *parent, const QString &path)
{
    return openUrlOrSay(parent, QUrl::fromLocalFile(path));
}

void Dialogs::setOpeningFails(bool fails)
{
    state().openingFails = fails;
}

void Dialogs::setUnattended(bool unattended)
{
    state().unattended = unattended;
}

bool Dialogs::isUnattended()
{
    return state().unattended;
}

void Dialogs::queueAnswer(Answer answer)
{
    state().answers.enqueue(answer);
}

void Dialogs::queueFiles(const QStringList &files)
{
    state().files.enqueue(files);
}

int Dialogs::pendingAnswers()
{
    return int(state().answers.size());
}

int Dialogs::pendingFiles()
{
    return int(state().files.size());
}

QStringList Dialogs::shownMessages()
{
    return state().messages;
}

QStringList Dialogs::shownWindows()
{
    return state().windows;
}

QList<QUrl> Dialogs::openedUrls()
{
    return state().urls;
}

QStringList Dialogs::offeredFilters()
{
    return state().filters;
}

void Dialogs::reset()
{
    const bool unattended = state().unattended;
    state() = DialogState();
    state().unattended = unattended;
}

} // namespace corvane
