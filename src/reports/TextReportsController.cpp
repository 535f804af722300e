#include "TextReportsController.h"

#include "app/Dialogs.h"
#include "app/MainWindow.h"
#include "browse/PickDateDialog.h"
#include "core/MailReport.h"
#include "core/TripLog.h"
#include "core/UnmatchedReport.h"
#include "store/DayRange.h"
#include "store/MessageView.h"
#include "store/StoreError.h"

#include <QAction>
#include <QApplication>
#include <QDateTime>
#include <optional>

namespace corvane
{

namespace
{
struct WaitCursor {
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};
} // namespace

TextReportsController::TextReportsController(MainWindow &window) : m_window(window)
{
    const auto enable = [this](const char *name, void (TextReportsController::*slot)()) {
        if (QAction *item = m_window.menuItem(QLatin1String(name))) {
            item->setEnabled(true);
            connect(item, &QAction::triggered, this, slot);
        }
    };
    enable("mnuReportsTrip", &TextReportsController::prepareTripLog);
    enable("mnuReportsUnmatched", &TextReportsController::prepareUnmatchedReport);
    enable("mnuReportsEmail", &TextReportsController::emailReport);
}

void TextReportsController::showProgress(const QString &text, qint64 row, qint64 count)
{
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (row > 1 && row < count && now - m_lastProgress < 100)
        return;
    m_lastProgress = now;
    m_window.setPanelText(1, text);
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TextReportsController::prepareTripLog()
{
    PickDateDialog picker(&m_window);
    if (beforeDialog)
        beforeDialog(picker);
    // A cancelled choice leaves the last trip log as it was.
    if (Dialogs::exec(picker) != QDialog::Accepted)
        return;
    const QString path = m_window.settings().tripLogPath();
    TripLog log(m_window.store());
    std::optional<WaitCursor> wait(std::in_place);
    const bool written =
        log.write(DayRange(picker.from(), picker.to()), path, [this](qint64 row, qint64 count) {
            showProgress(QStringLiteral("Printing record %1 of %2").arg(row).arg(count), row,
                         count);
        });
    m_window.setPanelText(1, QString());
    wait.reset();
    if (!written) {
        Dialogs::critical(&m_window, QStringLiteral("The trip log could not be written to %1: %2")
                                         .arg(path, log.errorText()));
        return;
    }
    const QString done = tripLogText(log.registrationsWritten(), path);
    m_window.setPanelText(1, done);
    Dialogs::information(&m_window, done);
}

QString TextReportsController::tripLogText(qint64 registrations, const QString &path)
{
    return QStringLiteral("Trip log of %1 aircraft written to %2.").arg(registrations).arg(path);
}

void TextReportsController::prepareUnmatchedReport()
{
    const QString path =
        Dialogs::saveFile(&m_window, QStringLiteral("Prepare Unmatched Data Report"), QString(),
                          QStringLiteral("Text files (*.txt);;All files (*)"));
    if (path.isEmpty())
        return;
    UnmatchedReport report(m_window.store());
    std::optional<WaitCursor> wait(std::in_place);
    const bool written = report.write(path, [this](qint64 row, qint64 count) {
        showProgress(
            QStringLiteral("Checking %1 of %2 unique Aircraft Registrations").arg(row).arg(count),
            row, count);
    });
    m_window.setPanelText(1, QString());
    wait.reset();
    if (!written) {
        Dialogs::critical(&m_window, QStringLiteral("The report could not be written to %1: %2")
                                         .arg(path, report.errorText()));
        return;
    }
    if (Dialogs::question(&m_window, QStringLiteral("View Text file?")))
        Dialogs::openDocumentOrSay(&m_window, path);
}

void TextReportsController::emailReport()
{
    const QString recipient = m_window.settings().mailRecipient();
    QString body = MailReport::body();
    if (currentView && viewRecordCount) {
        try {
            WaitCursor wait;
            body =
                MailReport::bodyFor(m_window.store(), currentView(), viewRecordCount(), recipient);
        } catch (const StoreError &e) {
            Dialogs::critical(&m_window, QStringLiteral("The messages of the view could not be "
                                                        "read for the e-mail: %1")
                                             .arg(e.message()));
            return;
        }
    }
    Dialogs::openUrlOrSay(&m_window, MailReport::url(recipient, body));
}

} // namespace corvane
