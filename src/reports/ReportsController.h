#pragma once

#include "ReportPreview.h"
#include "reports/render/ReportPrinter.h"

#include <QObject>
#include <QPointer>
#include <functional>

class QDialog;

namespace corvane
{

class MainWindow;
class SelectChoiceDialog;
class SelectDateDialog;
class Store;

// The Reports menu's printed reports: each item asks for its selection,
// sets the printer's parameter fields, sets the report file, prints (into
// a preview) and clears the fields again.
class ReportsController : public QObject
{
    Q_OBJECT
public:
    enum class Selection { None, Dates, Flight, Registration };

    ReportsController(MainWindow &window, Store &store);
    ~ReportsController() override;

    // The report of a menu item, by the item's name.
    void printMenuReport(const QString &actionName);

    ReportPreview *lastPreview() const { return m_preview; }
    SelectDateDialog *dateWindow();
    SelectChoiceDialog *flightWindow();
    SelectChoiceDialog *registrationWindow();
    const ReportPrinter &printer() const { return m_printer; }
    // Runs before a selection window is shown, for tests to fill it in.
    std::function<void(QDialog &)> beforeDialog;

private:
    // Fills the parameter fields from the selection; false when the user
    // chose nothing and nothing may be printed.
    bool askSelection(Selection selection);
    void printReport(const QString &reportName);
    void showError(const QString &reportName);

    MainWindow &m_window;
    Store &m_store;
    ReportPrinter m_printer;
    SelectDateDialog *m_dates = nullptr;
    SelectChoiceDialog *m_flights = nullptr;
    SelectChoiceDialog *m_registrations = nullptr;
    QPointer<ReportPreview> m_preview;
};

} // namespace corvane
