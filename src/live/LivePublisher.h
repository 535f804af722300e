#pragma once

#include "LinkServer.h"

#include <QObject>

namespace corvane
{

struct MessageRecord;

// Passes recorded live messages on to other programs: the item "LiveData"
// of topic "ACARS" of the application "Corvane" always holds the text block
// of the last message passed on ("DDEServer" before the first).
class LivePublisher : public QObject
{
    Q_OBJECT
public:
    explicit LivePublisher(QObject *parent = nullptr);

    static QString application() { return QStringLiteral("Corvane"); }
    static QString topic() { return QStringLiteral("ACARS"); }
    static QString item() { return QStringLiteral("LiveData"); }
    static QString initialValue() { return QStringLiteral("DDEServer"); }

    // Starts serving the item; the value is kept either way.
    bool start(QString *error = nullptr);
    void stop();

    // Whether uplinks are passed on (the setting "UplinkMessages" is 1); on
    // by default.
    void setPassUplinks(bool on) { m_passUplinks = on; }

    // Puts the message's text block into the item unless it is an uplink
    // and uplinks are not passed on. Returns whether the item changed.
    bool publish(const MessageRecord &message);

    QString value() const { return m_server.value(); }
    LinkServer &server() { return m_server; }

private:
    LinkServer m_server;
    bool m_passUplinks = true;
};

} // namespace corvane
