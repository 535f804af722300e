#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace corvane
{

// The program's help page, "help.html". It is looked for beside the
// executable, in a "docs" folder beside it or one level up (a build folder
// inside the source tree), in the installed documentation folder and last in
// the source tree's "docs" folder.
class HelpPage
{
public:
    static QStringList candidates();
    // The first candidate that exists, or empty.
    static QString path();
    // Opens the page in the desktop's browser; tells the user when it is
    // missing.
    static void open(QWidget *parent);
};

} // namespace corvane
