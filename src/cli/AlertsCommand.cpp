#include "AlertsCommand.h"

#include "TerminalText.h"
#include "live/AlertWords.h"
#include "store/AlertLog.h"
#include "store/Store.h"
#include "store/StoreError.h"

namespace corvane
{

QString AlertsCommand::usage() const
{
    return QStringLiteral(
        "Usage: corvane alerts [--data-dir DIR] list\n"
        "       corvane alerts [--data-dir DIR] add WORD\n"
        "       corvane alerts [--data-dir DIR] remove WORD\n"
        "       corvane alerts [--data-dir DIR] log [--since YYYY-MM-DD]\n"
        "       corvane alerts [--data-dir DIR] clear --yes\n\n"
        "list prints the watched words of alerts.txt, one a line, in list order.\n"
        "add appends WORD (blanks allowed; quote it); remove takes out its first entry.\n"
        "log prints the alert log oldest first, one alert a line: the time, the word\n"
        "and the first line of the text it was found in, separated by tabs; --since\n"
        "starts at 00:00:00 of that day. clear empties the alert log.\n");
}

int AlertsCommand::usageError(CliContext &c, const QString &why)
{
    c.err << "corvane alerts: " << why << '\n' << usage();
    return ExitUsage;
}

int AlertsCommand::run(CliContext &c)
{
    const QString action = c.args.value(0);
    const QStringList rest = c.args.mid(1);
    if (action == QLatin1String("list") && rest.isEmpty())
        return list(c);
    if ((action == QLatin1String("add") || action == QLatin1String("remove")) && rest.size() == 1)
        return action == QLatin1String("add") ? add(c, rest[0]) : remove(c, rest[0]);
    if (action == QLatin1String("log"))
        return log(c);
    if (action == QLatin1String("clear")) {
        if (rest != QStringList{QStringLiteral("--yes")})
            return usageError(c, QStringLiteral("this would delete every alert of the log; "
                                                "give --yes to do so"));
        return clear(c);
    }
    if (action.isEmpty())
        return usageError(c, QStringLiteral("say what to do"));
    return usageError(c, QStringLiteral("unexpected \"%1\"").arg(c.args.join(u' ')));
}

int AlertsCommand::list(CliContext &c)
{
    for (const QString &word : AlertWords::read(AlertWords::wordsPath(c.dataDir)))
        c.out << word << '\n';
    return ExitOk;
}

int AlertsCommand::add(CliContext &c, const QString &word)
{
    const QString path = AlertWords::wordsPath(c.dataDir);
    const QStringList listed = AlertWords::read(path);
    const QString why = AlertWords::whyNotAdded(listed, word);
    if (!why.isEmpty()) {
        c.err << "corvane alerts: " << why << '\n';
        return ExitFailure;
    }
    QString error;
    if (!AlertWords::write(path, QStringList(listed) << word, &error)) {
        c.err << "corvane alerts: " << error << '\n';
        return ExitFailure;
    }
    return ExitOk;
}

int AlertsCommand::remove(CliContext &c, const QString &word)
{
    const QString path = AlertWords::wordsPath(c.dataDir);
    QStringList words = AlertWords::read(path);
    if (!words.removeOne(word)) {
        c.err << "corvane alerts: \"" << word << "\" is not a watched word\n";
        return ExitFailure;
    }
    QString error;
    if (!AlertWords::write(path, words, &error)) {
        c.err << "corvane alerts: " << error << '\n';
        return ExitFailure;
    }
    return ExitOk;
}

int AlertsCommand::log(CliContext &c)
{
    QDate since;
    const QStringList rest = c.args.mid(1);
    if (rest.size() == 2 && rest[0] == QLatin1String("--since"))
        since = QDate::fromString(rest[1], Qt::ISODate);
    else if (rest.size() == 1 && rest[0].startsWith(QLatin1String("--since=")))
        since = QDate::fromString(rest[0].mid(8), Qt::ISODate);
    else if (!rest.isEmpty())
        return usageError(c, QStringLiteral("unexpected \"%1\"").arg(rest.join(u' ')));
    if (!rest.isEmpty() && !since.isValid())
        return usageError(c, QStringLiteral("--since needs a day as YYYY-MM-DD"));
    try {
        Store store;
        c.openStore(store);
        for (const AlertRow &row : AlertLog(store).since(since))
            c.out << row.dateTime << '\t' << TerminalText::escaped(row.alert) << '\t'
                  << TerminalText::escaped(row.firstLine()) << '\n';
        return ExitOk;
    } catch (const StoreError &e) {
        c.err << "corvane alerts: " << e.message() << '\n';
        return ExitFailure;
    }
}

int AlertsCommand::clear(CliContext &c)
{
    try {
        Store store;
        c.openStore(store);
        AlertLog log(store);
        const qint64 count = log.count();
        log.clear();
        c.out << count << " alerts deleted\n";
        return ExitOk;
    } catch (const StoreError &e) {
        c.err << "corvane alerts: " << e.message() << '\n';
        return ExitFailure;
    }
}

} // namespace corvane
