#include "FileLoadArguments.h"

namespace corvane
{

bool FileLoadArguments::parse(CliContext &c, const CliCommand &command, const char *fileKind)
{
    const QString name = QStringLiteral("corvane ") + command.name();
    for (const QString &a : c.args) {
        if (a == QLatin1String("--replace")) {
            replace = true;
        } else if (a.startsWith(u'-') || !file.isEmpty()) {
            c.err << name << ": unexpected argument \"" << a << "\"\n" << command.usage();
            return false;
        } else {
            file = a;
        }
    }
    if (file.isEmpty()) {
        c.err << name << ": no " << fileKind << " file given\n" << command.usage();
        return false;
    }
    return true;
}

} // namespace corvane
