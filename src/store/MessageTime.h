#pragma once

#include <QDateTime>
#include <QString>
#include <QStringView>
#include <optional>

namespace corvane
{

// A reception time as the decoders write it and the store keeps it.
// Decoder text is read day before month whatever the locale; the store keeps
// local time as "YYYY-MM-DD HH:MM:SS" so that text order is time order.
struct MessageTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;

    // Reads "DD/MM/YYYY HH:mm[:ss]" and the like: separators "/", "-" or ".",
    // two- or four-digit years, "DD mmm YYYY" with English month names, the
    // storage form, surrounding blanks and square brackets. A date alone
    // reads as midnight.
    static std::optional<MessageTime> parse(QStringView text);
    // Reads exactly the storage form "YYYY-MM-DD HH:MM:SS", by position.
    static std::optional<MessageTime> fromStorage(QStringView text);
    static MessageTime fromDateTime(const QDateTime &dt);
    static MessageTime now();

    QString toStorage() const;      // "YYYY-MM-DD HH:MM:SS"
    QString toDisplay() const;      // "DD/MM/YYYY HH:mm"
    QString toGeneralDate() const;  // "DD/MM/YYYY HH:MM:SS"
    QString toDayMonthYear() const; // "dd mmm yyyy hh:mm"
    // The storage form as the bytes the store keeps.
    QByteArray toStorageBytes() const;
    QDateTime toDateTime() const;
    MessageTime withoutSeconds() const;

    bool isValid() const;
    static QString monthAbbreviation(int month);

    friend bool operator==(const MessageTime &, const MessageTime &) = default;
};

} // namespace corvane
