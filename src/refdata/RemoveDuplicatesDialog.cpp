#include "RemoveDuplicatesDialog.h"

#include "BulkUpdateController.h"

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
    setWindowTitle(QStringLiteral("ACARS  Corvane - Remove duplicate data"));
    auto *layout = new QVBoxLayout(this);
    auto *info = new QLabel(infoText(), this);
    info->setObjectName(QStringLiteral("lblInfo"));
    info->setWordWrap(true);
    auto *warning = new QLabel(warningText(), this);
    warning->setObjectName(QStringLiteral("lblLabel2"));
    warning->setWordWrap(true);
    layout->addWidget(info);
    layout->addWidget(warning);

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
    connect(&controller, &BulkUpdateController::finished, this,
            &RemoveDuplicatesDialog::removalEnded);
    resize(480, sizeHint().height());
}

QString RemoveDuplicatesDialog::infoText()
{
    return QStringLiteral("This section of the program allows you to remove duplicate data from "
                          "the database. It is recommended that you first back up your database, "
                          "as this action cannot be reversed.");
}

QString RemoveDuplicatesDialog::warningText()
{
    return QStringLiteral("If you have a large database, this function can take a long time to "
                          "complete. It is recommended that you leave it running overnight if you "
                          "have more than 250,000 records in the database.");
}

QString RemoveDuplicatesDialog::statusText() const
{
    return m_status->currentMessage();
}

void RemoveDuplicatesDialog::setStatus(const QString &text)
{
    m_status->showMessage(text);
}

void RemoveDuplicatesDialog::setResult(qint64 removed, qint64 left)
{
    m_removed = removed;
    setStatus(QStringLiteral("%1 duplicate messages removed, %2 left").arg(removed).arg(left));
}

void RemoveDuplicatesDialog::remove()
{
    if (m_removing || m_controller.isRunning())
        return;
    m_removing = true;
    m_remove->setEnabled(false);
    m_cancel->setEnabled(false);
    m_controller.runRemoval(*this);
    // A store that is not open for writing ends the run at once.
    if (!m_controller.isRunning())
        removalEnded();
}

void RemoveDuplicatesDialog::removalEnded()
{
    if (!m_removing)
        return;
    m_removing = false;
    m_remove->setEnabled(true);
    m_cancel->setEnabled(true);
    accept();
}

void RemoveDuplicatesDialog::reject()
{
    // The removal is one transaction: it runs to its end or not at all.
    if (!m_removing)
        QDialog::reject();
}

} // namespace corvane
