#include "Schema.h"

#include "StoreError.h"

#include <QFile>

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

void Schema::checkIsSqliteFile(const QString &path)
{
    QFile f(path);
    if (!f.exists() || f.size() == 0)
        return;
    if (!f.open(QIODevice::ReadOnly))
        throw StoreError(QStringLiteral("Cannot read %1: %2").arg(path, f.errorString()));
    static const QByteArray magic("SQLite format 3\0", 16);
    if (f.read(16) != magic)
        throw notOurs(path);
}

} // namespace corvane
