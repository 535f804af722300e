#pragma once

#include <QString>
#include <QStringList>

namespace corvane
{

// The watched words and the ignore words, each kept as a text file in the
// application folder: one word or phrase a line, in list order, lines ended
// by CR LF, in the code page of decoder text. A blank line is a word (the
// empty word).
class AlertWords
{
public:
    static QString wordsPath(const QString &folder);
    static QString ignorePath(const QString &folder);

    // The lines of the file; a missing file gives an empty list. A bare LF
    // also ends a line, for files edited elsewhere; the line end after the
    // last line adds no empty word.
    static QStringList read(const QString &path);
    // Rewrites the file whole (replaced only once written); false with the
    // reason when it cannot.
    static bool write(const QString &path, const QStringList &words, QString *error = nullptr);

    // Why a word cannot be kept in the file as it stands (a line break would
    // split it, a character outside the code page would turn into "?");
    // empty when it can.
    static QString whyNotStorable(const QString &word);
    // Why word cannot join the list listed: blank (it would match every
    // text), listed already, or not storable; empty when it can.
    static QString whyNotAdded(const QStringList &listed, const QString &word);
    // The message shown when the user adds an empty word.
    static QString emptyWordMessage() { return QStringLiteral("Please enter some text to add."); }
};

} // namespace corvane
