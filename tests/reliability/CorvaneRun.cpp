#include "CorvaneRun.h"

#include <QProcessEnvironment>

namespace corvane::test
{

CorvaneRun CorvaneRun::run(const QStringList &args, const QStringList &env,
                           const std::function<void()> &inChild, int timeoutMs)
{
    return runProgram(QStringLiteral(CORVANE_BINARY), args, env, inChild, timeoutMs);
}

CorvaneRun CorvaneRun::runProgram(const QString &program, const QStringList &args,
                                  const QStringList &env, const std::function<void()> &inChild,
                                  int timeoutMs)
{
    QProcess p;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString &entry : env) {
        const qsizetype eq = entry.indexOf(u'=');
        environment.insert(entry.left(eq), entry.mid(eq + 1));
    }
    p.setProcessEnvironment(environment);
    if (inChild)
        p.setChildProcessModifier(inChild);
    p.start(program, args);
    CorvaneRun r;
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
    }
    r.crashed = p.exitStatus() != QProcess::NormalExit;
    r.status = r.crashed ? -1 : p.exitCode();
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

} // namespace corvane::test
