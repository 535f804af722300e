#pragma once

#include <QString>
#include <QUrl>

namespace corvane
{

// The web address of an aircraft-photo search for a registration, from the
// address pattern of the settings.
class PhotoSearch
{
public:
    // The pattern's "{reg}" is replaced by the registration, encoded for an
    // address; a pattern without it gets the registration at the end. Only
    // http and https addresses are made: anything else gives an invalid
    // address, so a registration never becomes a command or a file.
    static QUrl address(const QString &pattern, const QString &registration);
};

} // namespace corvane
