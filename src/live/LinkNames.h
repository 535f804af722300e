#pragma once

#include <QString>
#include <optional>

namespace corvane
{

// Where a live link goes: an application (service) name and a topic. Every
// link carries one item, as a rule "LiveData".
struct LinkName {
    QString application;
    QString topic;

    friend bool operator==(const LinkName &, const LinkName &) = default;
};

// The host and port of a link to a decoder on another machine.
struct LinkAddress {
    QString host;
    quint16 port = 0;
};

namespace LinkNames
{

inline QString defaultItem()
{
    return QStringLiteral("LiveData");
}

// What the user is told when nothing answers a link request.
QString noServerMessage();

// The local socket a server of (application, topic) listens on: a file in
// $XDG_RUNTIME_DIR, or in the temporary folder when that is unset.
QString socketPath(const QString &application, const QString &topic);

// Empty when the names cannot form a link request; otherwise what is wrong.
QString checkNames(const QString &application, const QString &topic, const QString &item);

// "host:port" or "[v6 address]:port"; empty when malformed.
std::optional<LinkAddress> parseAddress(const QString &text);

// The address the user has pointed the link of (application, topic) at:
// text is what settings group "Links" holds for the link's "DDEType".
// Empty when the text is blank; empty with the reason in *error when it is
// not host:port.
std::optional<LinkAddress> configuredAddress(const QString &text, const QString &application,
                                             const QString &topic, QString *error = nullptr);

} // namespace LinkNames

} // namespace corvane
