#pragma once

#include <QDate>
#include <QDialog>

class QCalendarWidget;

namespace corvane
{

// frmSelectDate: the first and last day of a report, chosen on two month
// calendars. Its range is the reports' own, apart from the grid's filter.
class SelectDateDialog : public QDialog
{
    Q_OBJECT
public:
    explicit SelectDateDialog(QWidget *parent = nullptr);

    QCalendarWidget *fromCalendar() const { return m_from; }
    QCalendarWidget *toCalendar() const { return m_to; }
    QDate from() const { return m_reportFrom; }
    QDate to() const { return m_reportTo; }

    // Form_Activate: both days back to today.
    void startFromToday();
    // cmdOK: refuses a last day before the first, otherwise closes accepted.
    void confirm();

protected:
    void showEvent(QShowEvent *event) override;

private:
    QCalendarWidget *m_from = nullptr;
    QCalendarWidget *m_to = nullptr;
    QDate m_reportFrom;
    QDate m_reportTo;
};

} // namespace corvane
