#include "LinkNames.h"

#include "formats/LiveTypes.h"

#include <QDir>

namespace corvane::LinkNames
{

namespace
{
QString safeName(const QString &name)
{
    QString out = name;
    for (QChar &c : out) {
        const char16_t u = c.unicode();
        const bool safe = (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') ||
                          (u >= '0' && u <= '9') || u == '.' || u == '_';
        if (!safe)
            c = u'_';
    }
    return out;
}
} // namespace

QString noServerMessage()
{
    return QStringLiteral("No DDE Link. Please make sure the decoder software is running.");
}

QString socketPath(const QString &application, const QString &topic)
{
    QString dir = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (dir.isEmpty())
        dir = QDir::tempPath();
    return QDir(dir).filePath(QStringLiteral("corvane-link-") + safeName(application) + u'-' +
                              safeName(topic));
}

QString checkNames(const QString &application, const QString &topic, const QString &item)
{
    auto hasBreak = [](const QString &s) {
        return s.contains(u'\n') || s.contains(u'\r') || s.contains(QChar(0));
    };
    if (application.isEmpty() || topic.isEmpty() || item.isEmpty())
        return QStringLiteral("the application, topic and item must not be empty");
    if (hasBreak(application) || hasBreak(topic) || hasBreak(item))
        return QStringLiteral("link names must not contain line breaks");
    if (application.contains(u'|'))
        return QStringLiteral("the application name must not contain \"|\"");
    if (item.contains(u'!'))
        return QStringLiteral("the item name must not contain \"!\"");
    return QString();
}

std::optional<LinkAddress> parseAddress(const QString &text)
{
    const QString t = text.trimmed();
    QString host;
    QString port;
    if (t.startsWith(u'[')) {
        const qsizetype close = t.indexOf(QLatin1String("]:"));
        if (close < 0)
            return std::nullopt;
        host = t.mid(1, close - 1);
        port = t.mid(close + 2);
    } else {
        const qsizetype colon = t.lastIndexOf(u':');
        if (colon < 0)
            return std::nullopt;
        host = t.left(colon);
        port = t.mid(colon + 1);
    }
    bool ok = false;
    const uint number = port.toUInt(&ok);
    if (host.isEmpty() || !ok || number == 0 || number > 65535)
        return std::nullopt;
    return LinkAddress{host, quint16(number)};
}

std::optional<LinkAddress> configuredAddress(const QString &text, const QString &application,
                                             const QString &topic, QString *error)
{
    if (text.trimmed().isEmpty())
        return std::nullopt;
    auto address = parseAddress(text);
    if (!address && error) {
        const LiveType *type = LiveTypes::findLink(application, topic);
        *error = QStringLiteral("The link address \"%1\" of %2 in settings group \"Links\" is not "
                                "host:port.")
                     .arg(text, type ? type->name() : application);
    }
    return address;
}

} // namespace corvane::LinkNames
