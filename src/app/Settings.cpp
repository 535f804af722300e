#include "Settings.h"

#include <limits>

namespace corvane
{

namespace
{
const QString kGroup = QStringLiteral("Startup/");
}

Settings::Settings()
    : m_settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("ACARS Corvane"),
                 QStringLiteral("ACARS Corvane"))
{
}

QString Settings::text(const char *key, const QString &def) const
{
    const QVariant v = m_settings.value(kGroup + QLatin1String(key));
    return v.isValid() ? v.toString() : def;
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

int Settings::int16(const char *key, int def) const
{
    const QVariant v = m_settings.value(kGroup + QLatin1String(key));
    if (!v.isValid())
        return def;
    return parseInt16(v.toString()).value_or(def);
}

bool Settings::boolean(const char *key, bool def) const
{
    const QVariant v = m_settings.value(kGroup + QLatin1String(key));
    if (!v.isValid())
        return def;
    return parseBoolean(v.toString()).value_or(def);
}

std::optional<int> Settings::position(const char *key) const
{
    return parseInt16(text(key, QStringLiteral("0")));
}

void Settings::setText(const char *key, const QString &value)
{
    m_settings.setValue(kGroup + QLatin1String(key), value);
}

void Settings::setPosition(int left, int top)
{
    setText("left", QString::number(left));
    setText("top", QString::number(top));
    m_settings.sync();
}

QString Settings::linkAddress(const QString &ddeType) const
{
    return m_settings.value(QStringLiteral("Links/") + ddeType).toString();
}

} // namespace corvane
