#include "Settings.h"

#include <QDir>

#include <limits>

namespace corvane
{

namespace
{

struct Declaration {
    Settings::Key key;
    const char *name;
    Settings::Type type;
    const char *defaultText;
};

using T = Settings::Type;
using K = Settings::Key;

// Every key of group "Startup" with its type and default, in key order.
constexpr Declaration kDeclarations[Settings::kKeyCount] = {
    {K::DdeType, "DDEType", T::Text, "ANAD"},
    {K::NewPopup, "NewPopup", T::Int16, "1"},
    {K::UplinkMessages, "UplinkMessages", T::Int16, "1"},
    {K::DoEvents, "DoEvents", T::Boolean, "False"},
    {K::ShowNew, "ShowNew", T::Boolean, "False"},
    {K::Decoder, "Decoder", T::Text, "SkySpy"},
    {K::ToolTips, "ToolTips", T::Int16, "0"},
    {K::Left, "left", T::Position, "0"},
    {K::Top, "top", T::Position, "0"},
    {K::PhotoSearch, "PhotoSearch", T::Text, "https://www.jetphotos.com/registration/{reg}"},
    {K::TripLogPath, "TripLogPath", T::Text, ""},
    {K::MailRecipient, "MailRecipient", T::Text, ""},
};

const QString kStartupGroup = QStringLiteral("Startup/");
// Keyed by "DDEType" value; no default (a local link).
const QString kLinksGroup = QStringLiteral("Links/");
const QString kFeedsGroup = QStringLiteral("Feeds/");
const QString kEnabledFeeds = QStringLiteral("Feeds/Enabled");
const QString kFeedQueueMegabytes = QStringLiteral("Feeds/QueueMegabytes");
const QString kStoreUrl = QStringLiteral("Store/Url");
const QString kStoreAnswerTimeout = QStringLiteral("Store/AnswerTimeout");
const QString kReportStatementTimeout = QStringLiteral("Reports/StatementTimeout");

// A whole number of seconds from 0 (no bound) up; anything else is the default.
int seconds(const QSettings &settings, const QString &key, int fallback)
{
    bool ok = false;
    const int value = settings.value(key).toString().trimmed().toInt(&ok);
    return ok && value >= 0 ? value : fallback;
}

const Declaration &declaration(Settings::Key key)
{
    return kDeclarations[int(key)];
}

QString storeKey(Settings::Key key)
{
    return kStartupGroup + QLatin1String(declaration(key).name);
}

} // namespace

Settings::Settings(QObject *parent)
    : QObject(parent), m_settings(QSettings::NativeFormat, QSettings::UserScope,
                                  QStringLiteral("ACARS Corvane"), QStringLiteral("ACARS Corvane"))
{
    load();
}

QString Settings::name(Key key)
{
    return QString::fromLatin1(declaration(key).name);
}

Settings::Type Settings::type(Key key)
{
    return declaration(key).type;
}

QString Settings::defaultText(Key key)
{
    return QString::fromLatin1(declaration(key).defaultText);
}

void Settings::load()
{
    for (const Declaration &d : kDeclarations)
        m_values[index(d.key)] = read(d.key);
}

QVariant Settings::read(Key key) const
{
    const QVariant stored = m_settings.value(storeKey(key));
    const QString def = defaultText(key);
    const QString text = stored.isValid() ? stored.toString() : def;
    switch (type(key)) {
    case Type::Text:
        return text;
    case Type::Int16:
        return parseInt16(text).value_or(*parseInt16(def));
    case Type::Boolean:
        return parseBoolean(text).value_or(*parseBoolean(def));
    case Type::Position:
        if (const auto value = parseInt16(text))
            return *value;
        return QVariant();
    }
    return QVariant();
}

QString Settings::tripLogPath() const
{
    const QString path = m_values[index(Key::TripLogPath)].toString();
    return path.isEmpty() ? QDir::home().filePath(QStringLiteral("TripLog.txt")) : path;
}

std::optional<int> Settings::position(Key key) const
{
    const QVariant &v = m_values[index(key)];
    return v.isValid() ? std::optional<int>(v.toInt()) : std::nullopt;
}

void Settings::setText(Key key, const QString &text)
{
    m_settings.setValue(storeKey(key), text);
    const QVariant before = m_values[index(key)];
    m_values[index(key)] = read(key);
    if (m_values[index(key)] != before)
        emit changed(key);
}

void Settings::setPosition(int left, int top)
{
    setSwitch(Key::Left, left);
    setSwitch(Key::Top, top);
    m_settings.sync();
}

QString Settings::linkAddress(const QString &ddeType) const
{
    return m_settings.value(kLinksGroup + ddeType).toString();
}

void Settings::setLinkAddress(const QString &ddeType, const QString &address)
{
    m_settings.setValue(kLinksGroup + ddeType, address);
    emit linkSettingsChanged();
}

QString Settings::storeUrl() const
{
    return m_settings.value(kStoreUrl).toString().trimmed();
}

void Settings::setStoreUrl(const QString &url)
{
    m_settings.setValue(kStoreUrl, url.trimmed());
}

int Settings::storeAnswerTimeout() const
{
    return seconds(m_settings, kStoreAnswerTimeout, kDefaultStoreAnswerTimeout);
}

int Settings::reportStatementTimeout() const
{
    return seconds(m_settings, kReportStatementTimeout, kDefaultReportStatementTimeout);
}

QStringList Settings::enabledFeeds() const
{
    QStringList feeds;
    const QString list = m_settings.value(kEnabledFeeds, defaultEnabledFeeds()).toString();
    for (const QString &name : list.split(u',', Qt::SkipEmptyParts))
        if (!name.trimmed().isEmpty())
            feeds << name.trimmed();
    return feeds;
}

void Settings::setEnabledFeeds(const QStringList &feedTypes)
{
    m_settings.setValue(kEnabledFeeds, feedTypes.join(u','));
    emit linkSettingsChanged();
}

QString Settings::feedListen(const QString &feedType) const
{
    return m_settings.value(kFeedsGroup + feedType).toString();
}

void Settings::setFeedListen(const QString &feedType, const QString &value)
{
    m_settings.setValue(kFeedsGroup + feedType, value);
    emit linkSettingsChanged();
}

qint64 Settings::feedQueueBytes() const
{
    bool ok = false;
    qint64 megabytes = m_settings.value(kFeedQueueMegabytes).toString().trimmed().toLongLong(&ok);
    if (!ok || megabytes < 1 || megabytes > 65536)
        megabytes = kDefaultFeedQueueMegabytes;
    return megabytes << 20;
}

std::optional<int> Settings::parseInt16(const QString &text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok || value < std::numeric_limits<qint16>::min() ||
        value > std::numeric_limits<qint16>::max())
        return std::nullopt;
    return value;
}

std::optional<bool> Settings::parseBoolean(const QString &text)
{
    const QString t = text.trimmed();
    if (t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (t.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    bool ok = false;
    const double value = t.toDouble(&ok);
    if (!ok)
        return std::nullopt;
    return value != 0.0;
}

QByteArray Settings::layoutState(const QString &name) const
{
    return m_settings.value(QStringLiteral("Layout/") + name).toByteArray();
}

void Settings::setLayoutState(const QString &name, const QByteArray &state)
{
    m_settings.setValue(QStringLiteral("Layout/") + name, state);
}

} // namespace corvane
