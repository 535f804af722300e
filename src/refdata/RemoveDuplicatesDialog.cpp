#include "RemoveDuplicatesDialog.h"

#include "BulkUpdateController.h"
#include "app/Dialogs.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

namespace corvane
{

RemoveDuplicatesDialog::RemoveDuplicatesDialog(BulkUpdateController &controller, QWidget *parent)
    : QDialog(parent), m_controller(controller)
{
    setObjectName(QStringLiteral("frmRemoveDuplicates"));
    setWindowTitle(QStringLiteral("ACARS Corvane - Remove duplicate data"));
    auto *layout = new QVBoxLayout(this);
    auto *info = new QLabel(infoText(), this);
    info->setObjectName(QStringLiteral("lblInfo"));
    info->setWordWrap(true);
    auto *keeps = new QLabel(keepText(), this);
    keeps->setObjectName(QStringLiteral("lblLabel2"));
    keeps->setWordWrap(true);
    layout->addWidget(info);
    layout->addWidget(keeps);

    auto *buttons = new QHBoxLayout;
    m_remove = new QPushButton(QStringLiteral("Remove Duplicates"), this);
    m_remove->setObjectName(QStringLiteral("cmdRemove"));
    m_cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("cmdCancel"));
    buttons->addStretch();
    buttons->addWidget(m_remove);
    buttons->addWidget(m_cancel);
    layout->addLayout(buttons);

    m_status = new QStatusBar(this);
    m_status->setObjectName(QStringLiteral("stbStatus"));
    m_status->setSizeGripEnabled(false);
    layout->addWidget(m_status);

    connect(m_remove, &QPushButton::clicked, this, &RemoveDuplicatesDialog::remove);
    connect(m_cancel, &QPushButton::clicked, this, &RemoveDuplicatesDialog::reject);
    connect(&controller, &BulkUpdateController::finished, this, &RemoveDuplicatesDialog::jobEnded);
    resize(480, sizeHint().height());
}

QString RemoveDuplicatesDialog::infoText()
{
    return QStringLiteral("This section of the program allows you to remove duplicate data from "
                          "the database. It is recommended that you first back up your database, "
                          "as this action cannot be reversed.");
}

QString RemoveDuplicatesDialog::keepText()
{
    return QStringLiteral(
        "Of each registration and flight pair shown in the message list's current view, the "
        "earliest message is kept and every other message of that pair is deleted, whatever its "
        "text. Messages without a registration or a flight are kept. The number of messages to "
        "be deleted is shown before anything is deleted.");
}

QString RemoveDuplicatesDialog::questionText(const StoreCleanup::Duplicates &count)
{
    return QStringLiteral("%1 of the %2 messages in the store will be deleted, keeping the "
                          "earliest message of each registration and flight pair; %3 will be "
                          "left. This cannot be undone.\n\nDelete %1 messages?")
        .arg(count.removed)
        .arg(count.removed + count.left)
        .arg(count.left);
}

QString RemoveDuplicatesDialog::noneText()
{
    return QStringLiteral("There are no duplicate messages: each registration and flight pair "
                          "of the view has one message. Nothing was deleted.");
}

QString RemoveDuplicatesDialog::resultText(const StoreCleanup::Duplicates &result)
{
    return QStringLiteral("%1 duplicate messages removed, %2 left")
        .arg(result.removed)
        .arg(result.left);
}

QString RemoveDuplicatesDialog::statusText() const
{
    return m_status->currentMessage();
}

void RemoveDuplicatesDialog::setStatus(const QString &text)
{
    m_status->showMessage(text);
}

void RemoveDuplicatesDialog::setPhase(Phase phase)
{
    m_phase = phase;
    m_remove->setEnabled(phase == Phase::Idle);
    m_cancel->setEnabled(phase == Phase::Idle);
}

void RemoveDuplicatesDialog::remove()
{
    if (m_phase != Phase::Idle || m_controller.isRunning())
        return;
    m_count.reset();
    m_result.reset();
    setPhase(Phase::Counting);
    m_controller.countDuplicates(*this);
    // A store that is not open for writing ends the run at once.
    if (!m_controller.isRunning())
        jobEnded();
}

void RemoveDuplicatesDialog::jobEnded()
{
    if (m_phase == Phase::Counting)
        countEnded();
    else if (m_phase == Phase::Removing)
        removalEnded();
}

void RemoveDuplicatesDialog::countEnded()
{
    setPhase(Phase::Idle);
    // A failed count has been reported; nothing was asked or deleted.
    if (!m_count)
        return;
    if (m_count->removed == 0) {
        setStatus(noneText());
        Dialogs::information(this, noneText());
        return;
    }
    if (!Dialogs::question(this, questionText(*m_count))) {
        setStatus(QStringLiteral("Nothing was deleted."));
        return;
    }
    setPhase(Phase::Removing);
    m_controller.runRemoval(*this);
    if (!m_controller.isRunning())
        jobEnded();
}

void RemoveDuplicatesDialog::removalEnded()
{
    setPhase(Phase::Idle);
    if (m_result) {
        setStatus(resultText(*m_result));
        Dialogs::information(this, resultText(*m_result));
    }
    accept();
}

void RemoveDuplicatesDialog::reject()
{
    // The removal is one transaction: it runs to its end or not at all.
    if (m_phase == Phase::Idle)
        QDialog::reject();
}

} // namespace corvane
