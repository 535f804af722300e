#include "app/MainWindowLauncher.h"
#include "cli/CommandLine.h"
#include "settings/AppPaths.h"

#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QIcon>
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
        std::unique_ptr<QCoreApplication> app;
        if (corvane::CommandLine::needsPainting(args)) {
            // Fonts and pages need a GUI application, but never a display.
            if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
                qputenv("QT_QPA_PLATFORM", "offscreen");
            app = std::make_unique<QGuiApplication>(argc, argv);
        } else {
            app = std::make_unique<QCoreApplication>(argc, argv);
        }
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
    // The desktop's menu entry and icon theme know the program as "corvane".
    QGuiApplication::setDesktopFileName(QStringLiteral("corvane"));
    QApplication::setWindowIcon(
        QIcon::fromTheme(QStringLiteral("corvane"), QIcon(QStringLiteral(":/icons/corvane.png"))));
    const corvane::CommandLine::Parsed parsed = corvane::CommandLine::parse(args);
    return corvane::MainWindowLauncher::run(corvane::AppPaths::resolve(parsed.dataDir));
}
