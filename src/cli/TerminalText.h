#pragma once

#include <QString>
#include <QStringView>

namespace corvane
{

// Text from the air on its way to a terminal. A sender can put escape
// sequences and other control characters into a message; printed as they
// are, they retitle, clear or reprogram the operator's terminal, and bidi
// controls make a line read other than it is. Each such character is shown
// as its code instead: \x1b, \x9b, \u202e.
namespace TerminalText
{

// The text with every control character escaped but those in keep.
QString escaped(QStringView text, QStringView keep = {});

} // namespace TerminalText

} // namespace corvane
