#pragma once

#include "store/MessageTime.h"
#include <QByteArray>
#include <QByteArrayView>

#include <QString>
#include <optional>

namespace corvane
{

class DecoderStream;
struct MessageRecord;

// The rules the decoder formats share.
namespace FieldRules
{

// Decodes Windows-1252 field bytes.
QString text(QByteArrayView bytes);

// The registration slice: characters 1 to 7 of the field, or 2 to 7 when
// the first is "."; then leading dots go; seven blanks stay seven blanks,
// anything else loses the blanks at both ends (only blanks: a line break
// the slice ran into stays and fails the character check).
QString registration(QByteArrayView field);

// A reception time read day before month, to the minute, as the decoders
// write it ("DD/MM/YYYY HH:mm"); nothing when it is no date.
std::optional<MessageTime> minuteTime(QByteArrayView timeText);

// An uplink's time text as the formats hand it over: written back
// "DD/MM/YYYY HH:mm" when it reads as a date, otherwise unchanged (the
// hand-over may still make a date of it).
QString displayTime(QByteArrayView timeText);

// The hand-over that drops the time text's last character: only a closing
// "]" still carried is removed, so a time that already reads as a date
// keeps every minute.
QString dropClosingBracket(const QString &timeText);

// Sets the record's time from the time text handed over, read day before
// month with the seconds it carries. False when it is no date.
bool takeTime(const QString &timeText, MessageRecord &record);

// The hand-over of a text that begins " [Uplink]", whatever the record's
// direction: a text of 14 characters or more loses the direction chunk as
// the format reads it and its last character; a shorter one is emptied.
// Returns whether the text began so (the time text then loses its last
// character, see dropClosingBracket).
bool handOverUplinkText(MessageRecord &record, qsizetype directionLength);

// The uplink tail shared by the block formats: whole lines are appended to
// the direction chunk until the text ends with the end word (tested before
// each line) or a line begins with 40 hyphens. The record becomes an uplink
// with an empty label and number and that text; the last line read, where
// the time stands, is given back. False when the text runs out.
bool readUplinkTail(DecoderStream &stream, const QByteArray &directionChunk, QByteArrayView endWord,
                    MessageRecord &record, QByteArray &lastLine);

bool isUplinkChunk(QByteArrayView chunk);

inline constexpr QByteArrayView kAcarsMode = "ACARS mode";
inline constexpr QByteArrayView kUplinkMarker = "[Uplink]";
inline constexpr QByteArrayView kDashes40 = "----------------------------------------";

} // namespace FieldRules
} // namespace corvane
