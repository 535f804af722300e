#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

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
// anything else is trimmed.
QString registration(QByteArrayView field);

// A reception time read day before month, written back "DD/MM/YYYY HH:mm";
// text that does not read as a time is passed on unchanged (the recorder
// then rejects it).
QString displayTime(QByteArrayView timeText);
// True when the text reads as a time.
bool isTime(QByteArrayView timeText);

// The uplink hand-over that drops the time text's last character: only a
// closing "]" still carried is removed, so a time that already reads as a
// date keeps every minute.
QString dropClosingBracket(const QString &timeText);

// The uplink tail shared by the block formats: whole lines are appended to
// the direction chunk until the text ends with the end word (tested before
// each line) or a line begins with 40 hyphens. The record gets flight
// "Uplink", an empty label and number, the text, and the last 18 characters
// of the last line read as its time text. False when the text runs out.
bool readUplinkTail(DecoderStream &stream, const QByteArray &directionChunk, QByteArrayView endWord,
                    MessageRecord &record, QByteArray *lastLine = nullptr);

bool isUplinkChunk(QByteArrayView chunk);

inline constexpr QByteArrayView kAcarsMode = "ACARS mode";
inline constexpr QByteArrayView kUplinkMarker = "[Uplink]";
inline constexpr QByteArrayView kDashes40 = "----------------------------------------";

} // namespace FieldRules
} // namespace corvane
