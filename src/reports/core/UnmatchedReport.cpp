#include "UnmatchedReport.h"

#include "TextReportFile.h"
#include "store/HeardRegistrations.h"
#include "store/StoreError.h"

namespace corvane
{

QString UnmatchedReport::closingLine(qint64 unmatched)
{
    return QString::number(unmatched) + QStringLiteral(" aircraft found with no matching data.");
}

bool UnmatchedReport::write(const QString &path, const Progress &progress)
{
    m_unmatched = 0;
    TextReportFile file(m_store, path);
    if (!file.open()) {
        m_error = file.errorText();
        return false;
    }
    QList<HeardRegistrations::Match> heard;
    try {
        heard = HeardRegistrations(m_store).matchedWithAircraft();
    } catch (const StoreError &e) {
        m_error = e.message();
        return false;
    }
    file.line(QStringLiteral("Data recorded in Corvane but not found in the database."));
    file.line();
    file.line(QStringLiteral("Registrations"));
    file.line(QStringLiteral("-------------"));
    file.line();
    for (qsizetype i = 0; i < heard.size(); ++i) {
        if (progress)
            progress(i + 1, heard.size());
        if (heard[i].known)
            continue;
        file.line(heard[i].registration);
        ++m_unmatched;
    }
    file.line();
    file.line(closingLine(m_unmatched));
    if (!file.commit()) {
        m_error = file.errorText();
        return false;
    }
    return true;
}

} // namespace corvane
