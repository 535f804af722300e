#include "ReportsController.h"

#include "ReportPreview.h"
#include "SelectChoiceDialog.h"
#include "SelectDateDialog.h"
#include "app/Dialogs.h"
#include "app/MainWindow.h"
#include "reports/core/ReportLocator.h"
#include "reports/core/ReportParameterField.h"
#include "reports/render/ReportRenderer.h"
#include "settings/Settings.h"
#include "store/FilterChoices.h"
#include "store/Store.h"
#include "store/StoreError.h"

#include <QAction>
#include <QComboBox>
#include <QDir>

namespace corvane
{

namespace
{
struct MenuReport {
    const char *action;
    const char *report;
    ReportsController::Selection selection;
};

using S = ReportsController::Selection;
const MenuReport kMenuReports[] = {
    {"mnuReportsAllLogRecords", "alllogs", S::None},
    {"mnuReportsAllByDate", "allbydate", S::Dates},
    {"mnuReportsAllByFlight", "allbyflight", S::Flight},
    {"mnuReportsAllByReg", "allbyreg", S::Registration},
    {"mnuReportsByDateLessDetail", "bydatelessdetail", S::Dates},
    {"mnuUniqiueAircraft", "unique", S::None},
    {"mnuReportsUniqueAFByFlightNumber", "uniquebyflight", S::Flight},
    {"mnuReportsUniqueAFAircraftByRegistration", "uniquebyreg", S::Registration},
    {"mnuReportsUniqueAircraft", "unique aircraft", S::None},
};
} // namespace

ReportsController::ReportsController(MainWindow &window, Store &store)
    : m_window(window), m_store(store), m_printer(store.folder(), store.serverDisplay())
{
    for (const MenuReport &item : kMenuReports) {
        QAction *action = window.menuItem(QString::fromLatin1(item.action));
        if (!action)
            continue;
        action->setEnabled(true);
        const QString name = QString::fromLatin1(item.action);
        connect(action, &QAction::triggered, this, [this, name] { printMenuReport(name); });
    }
}

ReportsController::~ReportsController()
{
    delete m_preview;
}

SelectDateDialog *ReportsController::dateWindow()
{
    if (!m_dates)
        m_dates = new SelectDateDialog(&m_window);
    return m_dates;
}

SelectChoiceDialog *ReportsController::flightWindow()
{
    if (!m_flights)
        m_flights = new SelectChoiceDialog(SelectChoiceDialog::Kind::Flight, &m_window);
    return m_flights;
}

SelectChoiceDialog *ReportsController::registrationWindow()
{
    if (!m_registrations)
        m_registrations = new SelectChoiceDialog(SelectChoiceDialog::Kind::Registration, &m_window);
    return m_registrations;
}

void ReportsController::printMenuReport(const QString &actionName)
{
    for (const MenuReport &item : kMenuReports) {
        if (actionName != QLatin1String(item.action))
            continue;
        if (askSelection(item.selection))
            printReport(QString::fromLatin1(item.report));
        m_printer.clearParameterFields();
        return;
    }
}

bool ReportsController::askSelection(Selection selection)
{
    if (selection == Selection::None)
        return true;
    if (selection == Selection::Dates) {
        SelectDateDialog *dialog = dateWindow();
        dialog->startFromToday();
        if (beforeDialog)
            beforeDialog(*dialog);
        if (Dialogs::exec(*dialog) != QDialog::Accepted || dialog->to() < dialog->from())
            return false;
        m_printer.setParameterField(
            0, ReportParameterField::forDate(QStringLiteral("DateFrom"), dialog->from()));
        m_printer.setParameterField(
            1, ReportParameterField::forDate(QStringLiteral("DateTo"), dialog->to()));
        return true;
    }
    const bool flight = selection == Selection::Flight;
    SelectChoiceDialog *dialog = flight ? flightWindow() : registrationWindow();
    try {
        FilterChoices choices(m_store);
        dialog->setChoices(flight ? choices.flights() : choices.registrations());
    } catch (const StoreError &e) {
        Dialogs::critical(&m_window, e.message());
        return false;
    }
    if (beforeDialog)
        beforeDialog(*dialog);
    if (Dialogs::exec(*dialog) != QDialog::Accepted)
        dialog->reject();
    const QString choice = dialog->choice();
    if (choice.isEmpty())
        return false;
    m_printer.setParameterField(
        0, ReportParameterField::forText(flight ? QStringLiteral("Flight") : QStringLiteral("Reg"),
                                         choice));
    return true;
}

void ReportsController::printReport(const QString &reportName)
{
    const QString found = ReportLocator::forApplication(m_store.folder()).find(reportName);
    m_printer.setStatementTimeout(m_window.settings().reportStatementTimeout());
    m_printer.setReportFile(
        found.isEmpty() ? QDir(m_store.folder()).filePath(ReportLocator::fileNameOf(reportName))
                        : found);
    std::unique_ptr<ReportRenderer> renderer = m_printer.print();
    if (!renderer) {
        showError(reportName);
        return;
    }
    delete m_preview;
    m_preview = new ReportPreview(std::move(renderer), m_store.folder(), &m_window);
    m_preview->setAttribute(Qt::WA_DeleteOnClose);
    m_preview->show();
}

void ReportsController::showError(const QString &reportName)
{
    // "All log records" shows the printer's error as number and text.
    if (reportName == QLatin1String("alllogs"))
        Dialogs::critical(&m_window, QString::number(m_printer.lastErrorNumber()) + u',' +
                                         m_printer.lastErrorText());
    else
        Dialogs::critical(
            &m_window,
            QStringLiteral("The report cannot be printed.\n\n%1").arg(m_printer.lastErrorText()));
}

} // namespace corvane
