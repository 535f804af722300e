#pragma once

#include "store/MessageView.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <optional>

namespace corvane
{

// A command's arguments split into options with a value ("--reg R") and
// plain arguments, with the message view that --flight, --reg or --from and
// --to choose.
class CommandArguments
{
public:
    // The options that take a value; any other "--" word is an error.
    CommandArguments(const QStringList &args, const QStringList &valueOptions);

    // Empty when the arguments read; otherwise what is wrong.
    const QString &error() const { return m_error; }
    const QStringList &plain() const { return m_plain; }
    bool has(const QString &option) const { return m_values.contains(option); }
    QString value(const QString &option) const { return m_values.value(option); }

    // --from and --to as a whole-day range; empty with error set when either
    // is missing or not a date, or the last day is before the first.
    std::optional<std::pair<QDate, QDate>> days();
    // All messages, or those --flight, --reg or --from/--to choose (at most
    // one of them); empty with error set when they conflict or do not read.
    std::optional<MessageView> view();

private:
    QString m_error;
    QStringList m_plain;
    QHash<QString, QString> m_values;
};

} // namespace corvane
