#include "MailReport.h"

#include "browse/core/MessageTextFile.h"

namespace corvane
{

QString MailReport::body()
{
    return QStringLiteral("Created by ACARS Corvane for Windows\r\n\r\n") +
           MessageTextFile::webAddress() + QStringLiteral("\r\n\r\n");
}

QByteArray MailReport::encoded(const QString &recipient, const QString &subject,
                               const QString &body)
{
    // "@" and "," (between several addresses) keep their meaning in the address.
    return "mailto:" + QUrl::toPercentEncoding(recipient.trimmed(), "@,") +
           "?subject=" + QUrl::toPercentEncoding(subject) +
           "&body=" + QUrl::toPercentEncoding(body);
}

QUrl MailReport::url(const QString &recipient)
{
    return QUrl::fromEncoded(encoded(recipient, subject(), body()), QUrl::StrictMode);
}

} // namespace corvane
