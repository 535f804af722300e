#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QUrl>

namespace corvane
{

class MessageView;
class Store;

// The e-mail report: a "mailto:" address that opens a new message with the
// report's subject and body in the user's mail program. Nothing is sent here.
// The body holds the first messages of the current view, a line each, as
// many as keep the address short enough for mail programs, and says how
// many were left out.
class MailReport
{
public:
    // Longer addresses are cut or refused by common mail programs.
    static constexpr qsizetype kMaxAddressBytes = 2000;

    static QString subject() { return QStringLiteral("ACARS Log"); }
    // The heading, the message lines and the count of those left out.
    static QString body(const QStringList &lines = {}, qint64 leftOut = 0);
    static QString messageLine(const QString &time, const QString &reg, const QString &flight,
                               const QString &label, const QString &text);
    // The body for the view's first messages, of viewCount in all.
    static QString bodyFor(Store &store, const MessageView &view, qint64 viewCount,
                           const QString &recipient);

    // Every character outside the unreserved set is percent-encoded (as
    // UTF-8), so blanks, line breaks, "&", "?" and "#" in the texts reach the
    // mail program as they are. An empty recipient leaves the choice to the
    // mail program.
    static QByteArray encoded(const QString &recipient, const QString &subject,
                              const QString &body);
    static QUrl url(const QString &recipient, const QString &body = MailReport::body());
};

} // namespace corvane
