#include "PickDateDialog.h"

#include "app/Dialogs.h"

#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace corvane
{

PickDateDialog::PickDateDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmPickDate"));
    setWindowTitle(QStringLiteral("ACARS Corvane Date Picker"));

    const QDate today = QDate::currentDate();
    const auto makePicker = [this, today](const char *name) {
        auto *picker = new QDateEdit(today, this);
        picker->setObjectName(QString::fromLatin1(name));
        picker->setCalendarPopup(true);
        picker->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
        picker->setDateRange(earliest(), latest());
        // What cannot be read goes back to the date before, and is refused
        // at OK, never replaced by the nearest date quietly.
        picker->setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
        picker->installEventFilter(this);
        if (auto *line = picker->findChild<QLineEdit *>())
            line->installEventFilter(this);
        return picker;
    };
    m_from = makePicker("dtpFrom");
    m_to = makePicker("dtpTo");
    auto *fromLabel = new QLabel(QStringLiteral("From"), this);
    auto *toLabel = new QLabel(QStringLiteral("To"), this);
    toLabel->setObjectName(QStringLiteral("lblTo"));

    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cancel->setObjectName(QStringLiteral("cmdCancel"));
    connect(ok, &QPushButton::clicked, this, &PickDateDialog::confirm);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *grid = new QGridLayout(this);
    grid->addWidget(fromLabel, 0, 0);
    grid->addWidget(m_from, 0, 1);
    grid->addWidget(toLabel, 1, 0);
    grid->addWidget(m_to, 1, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    grid->addLayout(buttons, 2, 0, 1, 2);
}

QDate PickDateDialog::from() const
{
    return m_from->date();
}

QDate PickDateDialog::to() const
{
    return m_to->date();
}

void PickDateDialog::setDates(const QDate &from, const QDate &to)
{
    m_from->setDate(from);
    m_to->setDate(to);
}

QString PickDateDialog::unreadable(const QDateEdit &picker)
{
    const QDate shown = QDate::fromString(picker.text(), picker.displayFormat());
    return shown.isValid() && shown == picker.date() ? QString() : picker.text();
}

bool PickDateDialog::eventFilter(QObject *watched, QEvent *event)
{
    auto *picker = qobject_cast<QDateEdit *>(watched);
    if (!picker)
        picker = qobject_cast<QDateEdit *>(watched->parent());
    if (!picker || (picker != m_from && picker != m_to))
        return QDialog::eventFilter(watched, event);
    if (event->type() == QEvent::FocusOut) {
        // Seen before the picker corrects it.
        if (const QString text = unreadable(*picker); !text.isEmpty())
            m_unread[picker] = text;
    } else if (event->type() == QEvent::KeyPress) {
        m_unread.remove(picker);
        // A day or month typed whole moves on to the next part by itself:
        // the "/" typed after it must not skip that part as well.
        const auto *line = picker->findChild<QLineEdit *>();
        const int at = line->hasSelectedText() ? line->selectionStart() : line->cursorPosition();
        if (static_cast<QKeyEvent *>(event)->text() == QStringLiteral("/") && at > 0 &&
            line->text().at(at - 1) == u'/')
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

void PickDateDialog::confirm()
{
    // What the boxes show must be the dates taken: a typed date out of
    // range or half typed is refused, not quietly changed.
    for (QDateEdit *picker : {m_from, m_to}) {
        const QString text = m_unread.value(picker, unreadable(*picker));
        if (!text.isEmpty()) {
            Dialogs::information(this,
                                 QStringLiteral("\"%1\" is not a date from %2 on.")
                                     .arg(text, earliest().toString(picker->displayFormat())));
            picker->setFocus();
            return;
        }
    }
    if (to() < from()) {
        Dialogs::information(this, QStringLiteral("Date To must be later than Date From"));
        m_from->setFocus();
        return;
    }
    accept();
}

} // namespace corvane
