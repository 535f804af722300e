#pragma once

#include <QString>

namespace corvane
{

// The program version as major.minor.revision ("1.7.6"), taken from the
// application version and falling back to the version built in.
QString versionText();

} // namespace corvane
