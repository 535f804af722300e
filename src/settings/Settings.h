#pragma once

#include <QObject>
#include <QSettings>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <array>
#include <optional>

namespace corvane
{

// The persistent settings: group "Startup" of the per-user store of
// "ACARS Corvane", plus the link addresses of group "Links". Every value is
// stored as text; a missing or unreadable key yields its default.
//
// The values are read into the object when it is made and again by load();
// the getters answer from what was read, the setters write to the store at
// once and tell the change.
class Settings : public QObject
{
    Q_OBJECT
public:
    // In the order load() reads them.
    enum class Key {
        DdeType,
        NewPopup,
        UplinkMessages,
        DoEvents,
        ShowNew,
        Decoder,
        ToolTips,
        Left,
        Top,
        PhotoSearch,
        TripLogPath,
        MailRecipient
    };
    Q_ENUM(Key)
    // How a key's text is read: as it stands, as a 16-bit integer, as a
    // Boolean word or number, or as a 16-bit integer that may be unusable
    // (the window position, which has no fallback).
    enum class Type { Text, Int16, Boolean, Position };

    static constexpr int kKeyCount = int(Key::MailRecipient) + 1;

    explicit Settings(QObject *parent = nullptr);

    // Reads every key of group "Startup" from the store, in key order.
    void load();

    static QString name(Key key);
    static Type type(Key key);
    static QString defaultText(Key key);

    QString ddeType() const { return m_values[index(Key::DdeType)].toString(); }
    QString decoder() const { return m_values[index(Key::Decoder)].toString(); }
    int newPopup() const { return m_values[index(Key::NewPopup)].toInt(); }
    int uplinkMessages() const { return m_values[index(Key::UplinkMessages)].toInt(); }
    bool doEvents() const { return m_values[index(Key::DoEvents)].toBool(); }
    bool showNew() const { return m_values[index(Key::ShowNew)].toBool(); }
    int toolTips() const { return m_values[index(Key::ToolTips)].toInt(); }
    // The window position in pixels; empty when out of range or unreadable.
    std::optional<int> left() const { return position(Key::Left); }
    std::optional<int> top() const { return position(Key::Top); }
    // The aircraft-photo search address; "{reg}" stands for the registration.
    QString photoSearch() const { return m_values[index(Key::PhotoSearch)].toString(); }
    // Where the trip log is written; an empty value stands for "TripLog.txt"
    // in the user's home folder.
    QString tripLogPath() const;
    // The e-mail report's recipient; empty lets the mail program ask.
    QString mailRecipient() const { return m_values[index(Key::MailRecipient)].toString(); }

    void setDdeType(const QString &value) { setText(Key::DdeType, value); }
    void setDecoder(const QString &value) { setText(Key::Decoder, value); }
    // Switches are written "1" or "0" (any other number as its decimal text).
    void setSwitch(Key key, int value) { setText(key, QString::number(value)); }
    void setPosition(int left, int top);
    // Writes the text as it stands; reading it back follows the key's rule.
    void setText(Key key, const QString &text);

    // The "host:port" that group "Links" names for a live link type (a
    // "DDEType" value); empty when the link is local.
    QString linkAddress(const QString &ddeType) const;
    void setLinkAddress(const QString &ddeType, const QString &address);

    // Group "Feeds": the feeds the type "Feeds" records ("Enabled", a
    // comma-separated list), and where each feed type is received (keyed by
    // the type; empty: the type's own default).
    static QString defaultEnabledFeeds() { return QStringLiteral("acarsdec,dumpvdl2,dumphfdl"); }
    QStringList enabledFeeds() const;
    void setEnabledFeeds(const QStringList &feedTypes);
    QString feedListen(const QString &feedType) const;
    void setFeedListen(const QString &feedType, const QString &value);
    // [Feeds] QueueMegabytes: how much of what the feeds send may wait for
    // the store, in MB; what arrives beyond it is dropped and counted. A
    // value that is no whole number from 1 to 65536 reads as the default.
    static constexpr qint64 kDefaultFeedQueueMegabytes = 256;
    qint64 feedQueueBytes() const;

    // Group "Store", key "Url": the address of the server that holds the
    // store (postgresql://[USER@]HOST[:PORT]/DBNAME); empty: the files of the
    // data folder. Never a password: those live in the server's password
    // file or the environment.
    QString storeUrl() const;
    void setStoreUrl(const QString &url);
    // Group "Store", key "AnswerTimeout": the seconds a server may leave one
    // statement of a recording station unanswered before it counts as out
    // of reach (0: no bound).
    static constexpr int kDefaultStoreAnswerTimeout = 30;
    int storeAnswerTimeout() const;
    // Group "Reports", key "StatementTimeout": the seconds one statement of a
    // report's query may run on a server, or one step of it on the files,
    // before it is stopped (0: no bound).
    static constexpr int kDefaultReportStatementTimeout = 300;
    int reportStatementTimeout() const;

    // Group "Layout": the window's splitters and column widths as last left.
    QByteArray layoutState(const QString &name) const;
    void setLayoutState(const QString &name, const QByteArray &state);

    // Reading rules.
    static std::optional<int> parseInt16(const QString &text);
    static std::optional<bool> parseBoolean(const QString &text);

    QSettings &store() { return m_settings; }
    void sync() { m_settings.sync(); }

signals:
    // A setter changed the value of key.
    void changed(corvane::Settings::Key key);
    // A link address, a feed's address or the enabled feeds were written.
    void linkSettingsChanged();

private:
    static constexpr int index(Key key) { return int(key); }
    QVariant read(Key key) const;
    std::optional<int> position(Key key) const;

    QSettings m_settings;
    std::array<QVariant, kKeyCount> m_values;
};

} // namespace corvane
