#include "Schema.h"

#include "StoreError.h"

namespace corvane
{

StoreError Schema::notOurs(const QString &path)
{
    return StoreError(
        QStringLiteral("%1 is not an ACARS Corvane database; it was left as it is.").arg(path));
}

QString Schema::fileName(File file)
{
    switch (file) {
    case File::AcarsLog:
        return QStringLiteral("acarslog.db");
    case File::Routes:
        return QStringLiteral("routes.db");
    case File::Alerts:
        return QStringLiteral("Alerts.db");
    }
    return {};
}

} // namespace corvane
