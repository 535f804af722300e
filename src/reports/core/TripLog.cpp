#include "TripLog.h"

#include "TextReportFile.h"
#include "store/HeardRegistrations.h"
#include "store/StoreError.h"

namespace corvane
{

bool TripLog::write(const DayRange &days, const QString &path, const Progress &progress)
{
    m_written = 0;
    TextReportFile file(m_store, path);
    if (!file.open()) {
        m_error = file.errorText();
        return false;
    }
    QStringList registrations;
    try {
        registrations = HeardRegistrations(m_store).inDays(days);
    } catch (const StoreError &e) {
        m_error = e.message();
        return false;
    }
    for (const QString &registration : registrations) {
        ++m_written;
        if (progress)
            progress(m_written, registrations.size());
        file.line(registration);
    }
    if (!file.commit()) {
        m_error = file.errorText();
        m_written = 0;
        return false;
    }
    return true;
}

} // namespace corvane
