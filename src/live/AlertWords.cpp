#include "AlertWords.h"

#include "store/TextCodec.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

namespace corvane
{

QString AlertWords::wordsPath(const QString &folder)
{
    return QDir(folder).filePath(QStringLiteral("alerts.txt"));
}

QString AlertWords::ignorePath(const QString &folder)
{
    return QDir(folder).filePath(QStringLiteral("alerts-ignore.txt"));
}

QStringList AlertWords::read(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    QStringList words;
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', start);
        if (end < 0)
            end = bytes.size();
        qsizetype stop = end;
        if (stop > start && bytes[stop - 1] == '\r')
            --stop;
        words << TextCodec::decode(bytes.constData() + start, stop - start);
        start = end + 1;
    }
    return words;
}

bool AlertWords::write(const QString &path, const QStringList &words, QString *error)
{
    QByteArray bytes;
    for (const QString &word : words)
        bytes += TextCodec::encode(word) + "\r\n";
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        if (error)
            *error = QStringLiteral("Cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

QString AlertWords::whyNotStorable(const QString &word)
{
    if (word.contains(u'\n') || word.contains(u'\r'))
        return QStringLiteral("An alert word cannot hold a line break.");
    if (TextCodec::decode(TextCodec::encode(word)) != word)
        return QStringLiteral("An alert word can hold only the characters decoders send.");
    return {};
}

QString AlertWords::whyNotAdded(const QStringList &listed, const QString &word)
{
    if (word.trimmed().isEmpty())
        return emptyWordMessage();
    if (listed.contains(word))
        return QStringLiteral("\"%1\" is in the list already.").arg(word);
    return whyNotStorable(word);
}

} // namespace corvane
