#pragma once

#include <QDate>
#include <QDialog>

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

    // cmdOK: refuses a last day before the first, otherwise closes accepted.
    void confirm();

private:
    QDateEdit *m_from = nullptr;
    QDateEdit *m_to = nullptr;
};

} // namespace corvane
