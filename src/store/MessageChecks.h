#pragma once

#include <QStringView>

namespace corvane
{

struct MessageRecord;

// The character rules every format applies to the fields it reads: a valid
// character is A to Z, a to z, 0 to 9, "-", or one blank. Each reader tests
// a field where its format does; the block formats test the whole record.
class MessageChecks
{
public:
    // True for a text whose first character is valid, or that is exactly one
    // blank. An empty text is not valid.
    static bool isValidChar(QStringView oneChar);
    static bool allValidChars(QStringView text);

    // Every character valid; an empty registration passes.
    static bool registration(QStringView reg) { return allValidChars(reg); }
    // One valid character; an empty block id fails.
    static bool blockId(QStringView blk) { return isValidChar(blk); }
    // For the formats whose block id may be absent.
    static bool blockIdOrNone(QStringView blk) { return blk.isEmpty() || isValidChar(blk); }
    // Every character valid; an empty flight passes.
    static bool flight(QStringView flight) { return allValidChars(flight); }

    // Registration, block id and flight together.
    static bool record(const MessageRecord &record);
};

} // namespace corvane
