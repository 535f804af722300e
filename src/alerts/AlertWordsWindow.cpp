#include "AlertWordsWindow.h"

#include "AlertWordList.h"
#include "live/AlertWords.h"
#include "app/Dialogs.h"

#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace corvane
{

AlertWordsWindow::AlertWordsWindow(const QString &folder, QWidget *parent)
    : QDialog(parent), m_folder(folder)
{
    setObjectName(QStringLiteral("frmAlerts"));
    setWindowTitle(QStringLiteral("ACARS Corvane - Alerts"));
    setModal(false);

    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("tabAlerts"));
    m_words = new AlertWordList(
        {"cboAlerts", "fraNew", "txtNew", "cmdAdd", "cmdDeleteCurrent", "cmdDeleteAll"}, m_tabs);
    m_tabs->addTab(m_words, QStringLiteral("Alerts"));

    auto *ignorePage = new QWidget(m_tabs);
    m_ignore = new AlertWordList({"cboIgnore", "fraIgnoreNew", "txtIgnoreNew", "cmdIgnoreAdd",
                                  "cmdIgnoreDeleteCurrent", "cmdIgnoreDeleteAll"},
                                 ignorePage);
    auto *note = new QLabel(
        QStringLiteral("A message that holds any of these words raises no alert."), ignorePage);
    note->setWordWrap(true);
    auto *ignoreLayout = new QVBoxLayout(ignorePage);
    ignoreLayout->setContentsMargins(0, 0, 0, 0);
    ignoreLayout->addWidget(note);
    ignoreLayout->addWidget(m_ignore, 1);
    m_tabs->addTab(ignorePage, QStringLiteral("Ignore"));

    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setObjectName(QStringLiteral("cmdOK"));
    m_ok->setDefault(true);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_ok);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs, 1);
    layout->addLayout(buttons);

    connect(m_ok, &QPushButton::clicked, this, &AlertWordsWindow::ok);
    for (AlertWordList *list : {m_words, m_ignore})
        connect(list, &AlertWordList::edited, this, [this] {
            m_edited = true;
            emit wordsChanged();
        });
}

void AlertWordsWindow::load()
{
    m_words->setWords(AlertWords::read(AlertWords::wordsPath(m_folder)));
    m_ignore->setWords(AlertWords::read(AlertWords::ignorePath(m_folder)));
    m_edited = false;
}

void AlertWordsWindow::open()
{
    if (!isVisible())
        load();
    show();
    raise();
    activateWindow();
}

QStringList AlertWordsWindow::words() const
{
    return m_words->words();
}

QStringList AlertWordsWindow::ignoreWords() const
{
    return m_ignore->words();
}

void AlertWordsWindow::ok()
{
    QString error;
    const QString ignorePath = AlertWords::ignorePath(m_folder);
    // The ignore file is made only once there is something to ignore.
    const bool writeIgnore = !ignoreWords().isEmpty() || QFile::exists(ignorePath);
    if (!AlertWords::write(AlertWords::wordsPath(m_folder), words(), &error) ||
        (writeIgnore && !AlertWords::write(ignorePath, ignoreWords(), &error))) {
        // The window stays open, so the words on screen are not lost.
        Dialogs::critical(this, error);
        return;
    }
    m_edited = false;
    accept();
}

void AlertWordsWindow::done(int result)
{
    QDialog::done(result);
    // Written or discarded: matching goes back to the files.
    m_edited = false;
    emit wordsChanged();
}

} // namespace corvane
