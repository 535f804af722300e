#pragma once

#include <QSettings>
#include <QString>
#include <optional>

namespace corvane
{

// The persistent settings: group "Startup" of the per-user store of
// "ACARS Corvane". Every value is text; a missing or unreadable key yields
// its default.
class Settings
{
public:
    Settings();

    QString ddeType() const { return text("DDEType", QStringLiteral("ANAD")); }
    QString decoder() const { return text("Decoder", QStringLiteral("SkySpy")); }
    int newPopup() const { return int16("NewPopup", 1); }
    int uplinkMessages() const { return int16("UplinkMessages", 1); }
    bool doEvents() const { return boolean("DoEvents", false); }
    bool showNew() const { return boolean("ShowNew", false); }
    int toolTips() const { return int16("ToolTips", 0); }
    // The window position in pixels; empty when missing or out of range.
    std::optional<int> left() const { return position("left"); }
    std::optional<int> top() const { return position("top"); }

    void setText(const char *key, const QString &value);
    void setSwitch(const char *key, int value) { setText(key, QString::number(value)); }
    void setPosition(int left, int top);

    // A link address for a live link type, from group "Links": "host:port".
    QString linkAddress(const QString &ddeType) const;

    // Reading rules, public for the tests.
    static std::optional<int> parseInt16(const QString &text);
    static std::optional<bool> parseBoolean(const QString &text);

    QSettings &store() { return m_settings; }
    void sync() { m_settings.sync(); }

private:
    QString text(const char *key, const QString &def) const;
    int int16(const char *key, int def) const;
    bool boolean(const char *key, bool def) const;
    std::optional<int> position(const char *key) const;

    mutable QSettings m_settings;
};

} // namespace corvane
