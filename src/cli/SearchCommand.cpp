#include "SearchCommand.h"

#include "TerminalText.h"
#include "browse/core/CsvWriter.h"
#include "store/MessageSearch.h"
#include "store/MessageView.h"
#include "store/ServerSearch.h"
#include "store/Store.h"
#include "store/StoreError.h"

#include <QRegularExpression>
#include <optional>

namespace corvane
{

namespace
{

constexpr qint64 kDefaultLimit = 100;

struct SearchArguments {
    QString text;
    MessageView filter;
    qint64 limit = kDefaultLimit;
    bool csv = false;
};

std::optional<QDate> dayOf(const QString &text)
{
    const QDate day = QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
    if (!day.isValid())
        return std::nullopt;
    return day;
}

// Null with the reason when the arguments do not make a search.
std::optional<SearchArguments> parse(const QStringList &args, QString &why)
{
    SearchArguments a;
    QString reg, flight, from, to, limit;
    bool haveText = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &arg = args[i];
        QString *value = nullptr;
        if (arg == u"--reg")
            value = &reg;
        else if (arg == u"--flight")
            value = &flight;
        else if (arg == u"--from")
            value = &from;
        else if (arg == u"--to")
            value = &to;
        else if (arg == u"--limit")
            value = &limit;
        if (value) {
            if (i + 1 >= args.size() || !value->isNull()) {
                why = arg + QStringLiteral(" needs one value");
                return std::nullopt;
            }
            *value = args[++i];
        } else if (arg == u"--csv") {
            a.csv = true;
        } else if (!haveText && (!arg.startsWith(u"--") || arg.size() == 2)) {
            // A text that starts with "--" follows a lone "--".
            a.text = arg == u"--" && i + 1 < args.size() ? args[++i] : arg;
            haveText = true;
        } else {
            why = QStringLiteral("unexpected argument \"%1\"").arg(arg);
            return std::nullopt;
        }
    }
    if (!haveText || a.text.isEmpty()) {
        why = QStringLiteral("the text to search for is missing");
        return std::nullopt;
    }
    if (int(!reg.isNull()) + int(!flight.isNull()) + int(!from.isNull() || !to.isNull()) > 1) {
        why = QStringLiteral("--reg, --flight and --from/--to cannot be combined");
        return std::nullopt;
    }
    if (!reg.isNull()) {
        a.filter = MessageView::byRegistration(reg);
    } else if (!flight.isNull()) {
        a.filter = MessageView::byFlight(flight);
    } else if (!from.isNull() || !to.isNull()) {
        const std::optional<QDate> first = dayOf(from), last = dayOf(to);
        if (!first || !last) {
            why = QStringLiteral("--from and --to both need a day written YYYY-MM-DD");
            return std::nullopt;
        }
        if (*last < *first) {
            why = QStringLiteral("--to must not be earlier than --from");
            return std::nullopt;
        }
        a.filter = MessageView::byDate(*first, *last);
    }
    if (!limit.isNull()) {
        bool ok = false;
        a.limit = limit.toLongLong(&ok);
        if (!ok || a.limit < 0) {
            why = QStringLiteral("--limit needs a whole number, 0 for all");
            return std::nullopt;
        }
    }
    return a;
}

// A tab inside a field would shift the columns after it; the other control
// characters are shown escaped.
QString cell(const QString &value)
{
    return TerminalText::escaped(QString(value).replace(u'\t', u' '));
}

QString firstLine(const QString &text)
{
    const qsizetype end = text.indexOf(QRegularExpression(QStringLiteral("[\r\n]")));
    return end < 0 ? text : text.left(end);
}

void printLines(QTextStream &out, const std::vector<MessageRow> &hits)
{
    for (const MessageRow &row : hits) {
        const auto &f = row.fields;
        out << cell(f[MessageView::Time]) << '\t' << cell(f[MessageView::Reg]) << '\t'
            << cell(f[MessageView::Flight]) << '\t' << cell(f[MessageView::Label]) << '\t'
            << cell(firstLine(f[MessageView::Text])) << '\n';
    }
}

void printCsv(QTextStream &out, const std::vector<MessageRow> &hits)
{
    QStringList captions;
    for (const MessageColumn &column : MessageView::columns())
        captions << QString::fromLatin1(column.caption);
    out << QString::fromUtf8(CsvWriter::record(captions));
    for (const MessageRow &row : hits)
        out << QString::fromUtf8(
            CsvWriter::record(QStringList(row.fields.begin(), row.fields.end())));
}

} // namespace

QString SearchCommand::usage() const
{
    return QStringLiteral(
        "Usage: corvane search TEXT [--reg R | --flight F | --from YYYY-MM-DD --to YYYY-MM-DD]\n"
        "                      [--limit N] [--csv] [--data-dir DIR]\n\n"
        "Prints the messages whose text, registration, flight or label holds TEXT, newest\n"
        "first: time, registration, flight, label and the text's first line, separated by\n"
        "tabs. Letters A to Z match either case; every other character, \"%\", \"_\", \"*\"\n"
        "and quotes included, stands for itself. A TEXT that starts with \"--\" follows \"--\".\n"
        "  --reg, --flight     only the messages of one registration or flight\n"
        "  --from, --to        only the messages of these days, both included\n"
        "  --limit N           at most N messages (default 100; 0 for all)\n"
        "  --csv               CSV with a header row and the whole text instead\n"
        "Exit status 0 when messages were found, 1 when none were.\n");
}

int SearchCommand::run(CliContext &c)
{
    QString why;
    const std::optional<SearchArguments> a = parse(c.args, why);
    if (!a) {
        c.err << "corvane search: " << why << '\n' << usage();
        return ExitUsage;
    }
    std::vector<MessageRow> hits;
    try {
        Store store;
        c.openStoreForReading(store);
        const MessageView view = a->filter.withSearch(a->text);
        if (store.onServer())
            hits = ServerSearch::rows(store.server(),
                                      ServerSearch::find(store.server(), view, a->limit));
        else
            hits = MessageSearch::find(store, view, a->limit);
    } catch (const StoreError &e) {
        c.err << "corvane search: " << e.message() << '\n';
        return ExitFailure;
    }
    if (a->csv)
        printCsv(c.out, hits);
    else
        printLines(c.out, hits);
    return hits.empty() ? ExitFailure : ExitOk;
}

} // namespace corvane
