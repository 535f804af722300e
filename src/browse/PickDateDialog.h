#pragma once

#include <QDate>
#include <QDialog>
#include <QHash>

class QDateEdit;
class QPushButton;

namespace corvane
{

// frmPickDate: the first and last day of the "By Date" filter.
class PickDateDialog : public QDialog
{
    Q_OBJECT
public:
    explicit PickDateDialog(QWidget *parent = nullptr);

    QDateEdit *fromPicker() const { return m_from; }
    QDateEdit *toPicker() const { return m_to; }
    QDate from() const;
    QDate to() const;
    void setDates(const QDate &from, const QDate &to);
    // The days a message can carry: none before 1990, when ACARS was young
    // and decoders' clocks read zero.
    static QDate earliest() { return QDate(1990, 1, 1); }
    static QDate latest() { return QDate(9999, 12, 31); }

    // cmdOK: refuses a date the picker did not read whole and a last day
    // before the first; otherwise closes accepted.
    void confirm();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The picker's text when it is not a date in range, else empty.
    static QString unreadable(const QDateEdit &picker);

    QDateEdit *m_from = nullptr;
    QDateEdit *m_to = nullptr;
    // What was typed into a picker and could not be read, kept when the
    // picker puts its previous date back on leaving it.
    QHash<const QDateEdit *, QString> m_unread;
};

} // namespace corvane
