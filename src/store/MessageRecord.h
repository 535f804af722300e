#pragma once

#include <QString>

namespace corvane
{

// One decoded message as a reader hands it to the recorder. All fields are
// text; a reader clears the record before it parses the next message.
struct MessageRecord {
    QString mTime;
    QString mMode;
    QString mReg;
    QString mLabel;
    QString mBlk;
    QString mNo;
    QString mFlight;
    QString mText;
    QString mFileName;

    bool isUplink() const { return mFlight == QLatin1String("Uplink"); }
    void clear() { *this = MessageRecord(); }
};

enum class StoreResult { Stored, Skipped, Rejected };

} // namespace corvane
