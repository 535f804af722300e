#include "MailReport.h"

#include "browse/core/MessageTextFile.h"
#include "store/MessageTime.h"
#include "store/MessageViewCursor.h"

namespace corvane
{

namespace
{
constexpr qsizetype kTextShown = 120; // characters of a message's text on its line
} // namespace

QString MailReport::body(const QStringList &lines, qint64 leftOut)
{
    QString text = QStringLiteral("Created by ACARS Corvane for Windows\r\n\r\n") +
                   MessageTextFile::webAddress() + QStringLiteral("\r\n\r\n");
    for (const QString &line : lines)
        text += line + QStringLiteral("\r\n");
    if (leftOut > 0)
        text += QStringLiteral("\r\n%1 more %2 of the view %3 not included.\r\n")
                    .arg(leftOut)
                    .arg(leftOut == 1 ? QStringLiteral("message") : QStringLiteral("messages"),
                         leftOut == 1 ? QStringLiteral("is") : QStringLiteral("are"));
    return text;
}

QString MailReport::messageLine(const QString &time, const QString &reg, const QString &flight,
                                const QString &label, const QString &text)
{
    QString shown = text.simplified();
    if (shown.size() > kTextShown)
        shown = shown.left(kTextShown - 3) + QStringLiteral("...");
    const auto parsed = MessageTime::fromStorage(time);
    return QStringList{parsed ? parsed->toDayMonthYear() : time, reg, flight, label, shown}.join(
        QStringLiteral("  "));
}

QString MailReport::bodyFor(Store &store, const MessageView &view, qint64 viewCount,
                            const QString &recipient)
{
    MessageViewCursor row(store, view,
                          {MessageView::Time, MessageView::Reg, MessageView::Flight,
                           MessageView::Label, MessageView::Text});
    QStringList lines;
    QString fits = body({}, viewCount);
    while (row.next()) {
        lines << messageLine(row.field(0), row.field(1), row.field(2), row.field(3), row.field(4));
        const QString candidate = body(lines, viewCount - lines.size());
        if (encoded(recipient, subject(), candidate).size() > kMaxAddressBytes)
            break;
        fits = candidate;
    }
    return fits;
}

QByteArray MailReport::encoded(const QString &recipient, const QString &subject,
                               const QString &body)
{
    // "@" and "," (between several addresses) keep their meaning in the address.
    return "mailto:" + QUrl::toPercentEncoding(recipient.trimmed(), "@,") +
           "?subject=" + QUrl::toPercentEncoding(subject) +
           "&body=" + QUrl::toPercentEncoding(body);
}

QUrl MailReport::url(const QString &recipient, const QString &body)
{
    return QUrl::fromEncoded(encoded(recipient, subject(), body), QUrl::StrictMode);
}

} // namespace corvane
