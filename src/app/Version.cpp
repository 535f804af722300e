#include "Version.h"

#include <QCoreApplication>
#include <QVersionNumber>

namespace corvane
{

QString versionText()
{
    QString text = QCoreApplication::applicationVersion();
    if (QVersionNumber::fromString(text).isNull())
        text = QStringLiteral(CORVANE_VERSION);
    const QVersionNumber v = QVersionNumber::fromString(text);
    return QStringLiteral("%1.%2.%3")
        .arg(v.majorVersion())
        .arg(v.minorVersion())
        .arg(v.microVersion());
}

} // namespace corvane
