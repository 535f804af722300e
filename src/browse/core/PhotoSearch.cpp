#include "PhotoSearch.h"

namespace corvane
{

QUrl PhotoSearch::address(const QString &pattern, const QString &registration)
{
    const QString reg = registration.trimmed();
    if (reg.isEmpty())
        return {};
    const QString encoded = QString::fromLatin1(QUrl::toPercentEncoding(reg));
    const QLatin1String marker("{reg}");
    QString text = pattern.trimmed();
    if (text.contains(marker))
        text.replace(marker, encoded);
    else
        text += encoded;
    const QUrl url(text, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() ||
        (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
        return {};
    return url;
}

} // namespace corvane
