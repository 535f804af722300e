#pragma once

#include "live/LinkClient.h"

#include <QDir>
#include <QStringList>
#include <QTemporaryDir>
#include <QtTest>

namespace corvane::test
{

// A private runtime folder, so that the tests' sockets meet no one else's.
inline void useRuntimeDir(const QTemporaryDir &dir)
{
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(dir.path()));
}

// Collects what a client delivers.
struct Received {
    QStringList values;
    bool disconnected = false;

    explicit Received(LinkClient &client)
    {
        QObject::connect(&client, &LinkClient::valueReceived,
                         [this](const QString &v) { values << v; });
        QObject::connect(&client, &LinkClient::disconnected, [this] { disconnected = true; });
    }
};

} // namespace corvane::test
