#include "app/MainWindowLauncher.h"
#include "cli/CommandLine.h"
#include "settings/AppPaths.h"

#include <QApplication>
#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>
#include <memory>

namespace
{
void describeApplication()
{
    QCoreApplication::setOrganizationName(QStringLiteral("ACARS Corvane"));
    QCoreApplication::setApplicationName(QStringLiteral("ACARS Corvane"));
    QCoreApplication::setApplicationVersion(QStringLiteral(CORVANE_VERSION));
}

QStringList rawArguments(int argc, char **argv)
{
    QStringList list;
    for (int i = 0; i < argc; ++i)
        list << QString::fromLocal8Bit(argv[i]);
    return list;
}
} // namespace

int main(int argc, char **argv)
{
    const QStringList args = rawArguments(argc, argv);
    if (corvane::CommandLine::isHeadless(args)) {
        QCoreApplication app(argc, argv);
        describeApplication();
        QTextStream out(stdout);
        QTextStream err(stderr);
        corvane::CommandLine cli;
        const int status = cli.run(corvane::CommandLine::parse(args), out, err);
        out.flush();
        err.flush();
        return status;
    }
    QApplication app(argc, argv);
    describeApplication();
    const corvane::CommandLine::Parsed parsed = corvane::CommandLine::parse(args);
    return corvane::MainWindowLauncher::run(corvane::AppPaths::resolve(parsed.dataDir));
}
