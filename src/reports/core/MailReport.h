#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

namespace corvane
{

// The e-mail report: a "mailto:" address that opens a new message with the
// report's subject and body in the user's mail program. Nothing is sent here.
class MailReport
{
public:
    static QString subject() { return QStringLiteral("ACARS Log"); }
    static QString body();

    // Every character outside the unreserved set is percent-encoded (as
    // UTF-8), so blanks, line breaks, "&", "?" and "#" in the texts reach the
    // mail program as they are. An empty recipient leaves the choice to the
    // mail program.
    static QByteArray encoded(const QString &recipient, const QString &subject,
                              const QString &body);
    static QUrl url(const QString &recipient);
};

} // namespace corvane
