#include "ReportDefinitionParser.h"

#include "ReportError.h"
#include "store/OpenStoreFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace corvane
{

namespace
{

struct Entry {
    QString key;
    QString value;
    int line = 0;
};

class Reader
{
public:
    Reader(const QString &fileName) : m_fileName(fileName) {}

    [[noreturn]] void fail(int line, const QString &reason) const
    {
        throw ReportError(
            ReportError::FileMalformed,
            line > 0 ? QStringLiteral("%1 line %2: %3").arg(m_fileName).arg(line).arg(reason)
                     : QStringLiteral("%1: %2").arg(m_fileName, reason));
    }

    std::vector<Entry> entries(const QString &text) const;
    void apply(const Entry &e, ReportDefinition &def, QStringList &seen) const;
    void finish(ReportDefinition &def) const;

private:
    ReportColumn column(const Entry &e) const;
    void checkPlaceholders(const Entry &e) const;
    double number(const Entry &e, const QString &text, double low, double high) const;

    QString m_fileName;
};

bool isBlank(const QString &line)
{
    return line.trimmed().isEmpty();
}

std::vector<Entry> Reader::entries(const QString &text) const
{
    std::vector<Entry> list;
    const QStringList lines = text.split(u'\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QString line = lines[i];
        if (line.endsWith(u'\r'))
            line.chop(1);
        const int number = int(i + 1);
        if (line.startsWith(u'#') || isBlank(line))
            continue;
        if (line[0].isSpace()) {
            // A continuation: the query keeps its lines, other values run on.
            if (list.empty())
                fail(number,
                     QStringLiteral("an indented line must continue a \"Key: value\" line"));
            Entry &last = list.back();
            last.value += (last.key == QLatin1String("query") ? u'\n' : u' ') + line.trimmed();
            continue;
        }
        const qsizetype colon = line.indexOf(u':');
        if (colon <= 0)
            fail(number,
                 QStringLiteral("expected \"Key: value\", found \"%1\"").arg(line.left(40)));
        list.push_back(
            {line.left(colon).trimmed().toLower(), line.mid(colon + 1).trimmed(), number});
    }
    return list;
}

double Reader::number(const Entry &e, const QString &text, double low, double high) const
{
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || value < low || value > high)
        fail(e.line, QStringLiteral("\"%1\" is not a number from %2 to %3")
                         .arg(text.trimmed())
                         .arg(low)
                         .arg(high));
    return value;
}

ReportColumn Reader::column(const Entry &e) const
{
    const QStringList parts = e.value.split(u'|');
    if (parts.size() != 4)
        fail(e.line, QStringLiteral("a column is \"caption | field | width in mm | left, right or "
                                    "center [wrap]\""));
    ReportColumn c;
    c.caption = parts[0].trimmed();
    c.field = parts[1].trimmed();
    c.line = e.line;
    if (c.field.isEmpty())
        fail(e.line, QStringLiteral("the column \"%1\" names no field").arg(c.caption));
    c.widthMm = number(e, parts[2], 1, 1000);
    const QStringList words = parts[3].simplified().toLower().split(u' ', Qt::SkipEmptyParts);
    for (const QString &word : words) {
        if (word == QLatin1String("left"))
            c.align = ReportColumn::Align::Left;
        else if (word == QLatin1String("right"))
            c.align = ReportColumn::Align::Right;
        else if (word == QLatin1String("center") || word == QLatin1String("centre"))
            c.align = ReportColumn::Align::Center;
        else if (word == QLatin1String("wrap"))
            c.wrap = true;
        else
            fail(e.line,
                 QStringLiteral("unknown alignment \"%1\" (left, right, center, wrap)").arg(word));
    }
    return c;
}

void Reader::checkPlaceholders(const Entry &e) const
{
    static const QRegularExpression braces(QStringLiteral("\\{([^{}]*)\\}"));
    for (auto it = braces.globalMatch(e.value); it.hasNext();) {
        const QString name = it.next().captured(1);
        if (!ReportDefinitionParser::placeholders().contains(name))
            fail(e.line, QStringLiteral("unknown placeholder {%1} (known: {%2})")
                             .arg(name, ReportDefinitionParser::placeholders().join(
                                            QStringLiteral("}, {"))));
    }
}

void Reader::apply(const Entry &e, ReportDefinition &def, QStringList &seen) const
{
    if (e.key != QLatin1String("column") && e.key != QLatin1String("attach")) {
        if (seen.contains(e.key))
            fail(e.line, QStringLiteral("\"%1\" is given twice").arg(e.key));
        seen << e.key;
    }
    if (e.key == QLatin1String("title")) {
        def.title = e.value;
    } else if (e.key == QLatin1String("query")) {
        def.query = e.value;
        def.queryLine = e.line;
        static const QRegularExpression select(QStringLiteral("^(SELECT|WITH)\\b"),
                                               QRegularExpression::CaseInsensitiveOption);
        if (!select.match(def.query).hasMatch())
            fail(e.line, QStringLiteral("the query must be a SELECT"));
    } else if (e.key == QLatin1String("column")) {
        def.columns.push_back(column(e));
    } else if (e.key == QLatin1String("group")) {
        const QStringList parts = e.value.split(u'|');
        def.groupField = parts[0].trimmed();
        def.groupCaption = parts.size() > 1 ? parts[1].trimmed() : def.groupField;
        def.groupLine = e.line;
        if (def.groupField.isEmpty() || parts.size() > 2)
            fail(e.line, QStringLiteral("a group is \"field | caption\""));
    } else if (e.key == QLatin1String("header") || e.key == QLatin1String("footer")) {
        checkPlaceholders(e);
        // "left | right" or "left | centre | right"; kept tab-separated.
        QStringList parts = e.value.split(u'|');
        if (parts.size() > 3)
            fail(e.line, QStringLiteral("a header or footer has at most three parts"));
        for (QString &part : parts)
            part = part.trimmed();
        (e.key == QLatin1String("header") ? def.header : def.footer) = parts.join(u'\t');
    } else if (e.key == QLatin1String("orientation")) {
        const QString v = e.value.toLower();
        if (v != QLatin1String("portrait") && v != QLatin1String("landscape"))
            fail(e.line, QStringLiteral("orientation is portrait or landscape"));
        def.landscape = v == QLatin1String("landscape");
    } else if (e.key == QLatin1String("font size")) {
        def.fontSize = number(e, e.value, 5, 24);
    } else if (e.key == QLatin1String("attach")) {
        const QString v = e.value.toLower();
        if (v != QLatin1String("routes") && v != QLatin1String("alerts"))
            fail(e.line, QStringLiteral("attach routes or alerts, not \"%1\"").arg(e.value));
        if (!def.attach.contains(v))
            def.attach << v;
    } else {
        fail(e.line, QStringLiteral("unknown key \"%1\" (Title, Query, Column, Group, Header, "
                                    "Footer, Orientation, Font size, Attach)")
                         .arg(e.key));
    }
}

void Reader::finish(ReportDefinition &def) const
{
    if (def.title.isEmpty())
        fail(0, QStringLiteral("no Title"));
    if (def.query.isEmpty())
        fail(0, QStringLiteral("no Query"));
    if (def.columns.empty())
        fail(0, QStringLiteral("no Column"));
}

} // namespace

const QStringList &ReportDefinitionParser::placeholders()
{
    static const QStringList names = {QStringLiteral("Title"), QStringLiteral("Page"),
                                      QStringLiteral("Pages"), QStringLiteral("Printed"),
                                      QStringLiteral("Selection")};
    return names;
}

ReportDefinition ReportDefinitionParser::parse(const QByteArray &bytes, const QString &fileName)
{
    const Reader reader(fileName);
    if (bytes.size() > kMaxFileBytes)
        reader.fail(0, QStringLiteral("larger than %1 bytes").arg(kMaxFileBytes));
    if (bytes.contains('\0'))
        reader.fail(0, QStringLiteral("not a text file"));
    QString text = QString::fromUtf8(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    ReportDefinition def;
    def.fileName = fileName;
    QStringList seen;
    for (const Entry &e : reader.entries(text))
        reader.apply(e, def, seen);
    reader.finish(def);
    return def;
}

ReportDefinition ReportDefinitionParser::load(const QString &path)
{
    const QString name = QFileInfo(path).fileName();
    if (const QString why = OpenStoreFiles::readRefusal(path); !why.isEmpty())
        throw ReportError(ReportError::FileNotFound, why);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw ReportError(ReportError::FileNotFound,
                          QStringLiteral("%1: %2").arg(path, file.errorString()));
    const QByteArray bytes = file.read(kMaxFileBytes + 1);
    return parse(bytes, name);
}

} // namespace corvane
