#pragma once

#include <QByteArray>
#include <QProcess>
#include <QStringList>
#include <functional>

namespace corvane::test
{

// One run of the corvane program to its end.
struct CorvaneRun {
    int status = -1;
    QByteArray out;
    QByteArray err;
    bool crashed = false;

    // Runs corvane with args; the modifier runs in the child before exec
    // (limits, another user). env entries "NAME=value" are added or replace.
    static CorvaneRun run(const QStringList &args, const QStringList &env = {},
                          const std::function<void()> &inChild = {}, int timeoutMs = 120000);
    // The same with another copy of the program.
    static CorvaneRun runProgram(const QString &program, const QStringList &args,
                                 const QStringList &env = {},
                                 const std::function<void()> &inChild = {}, int timeoutMs = 120000);
};

} // namespace corvane::test
