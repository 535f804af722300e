#pragma once

#include "FeedDetails.h"
#include "MessageTime.h"

#include <QString>
#include <initializer_list>

namespace corvane
{

enum class Direction { Downlink, Uplink };

// One decoded message as a reader hands it to the recorder. The time is read
// once, by the reader; the other fields are text. A reader clears the record
// before it parses the next message.
struct MessageRecord {
    // The flight text an uplink is stored with; stored files and other
    // programs know uplinks by it.
    static QString uplinkFlight() { return QStringLiteral("Uplink"); }

    MessageTime mTime;
    QString mMode;
    QString mReg;
    QString mLabel;
    QString mBlk;
    QString mNo;
    QString mFlight;
    QString mText;
    QString mFileName;
    Direction mDirection = Direction::Downlink;
    // Only the network decoders fill it; stored beside the message row.
    FeedDetails mFeed;

    bool isUplink() const { return mDirection == Direction::Uplink; }
    // Ground to air: stored with the flight text "Uplink".
    void setUplink()
    {
        mDirection = Direction::Uplink;
        mFlight = uplinkFlight();
    }
    void clear() { *this = MessageRecord(); }

    // A NUL is no text: a server's text cannot hold one and SQLite's text
    // functions stop at it. Every store drops it alike.
    bool holdsNul() const
    {
        for (const QString *f :
             {&mMode, &mReg, &mLabel, &mBlk, &mNo, &mFlight, &mText, &mFileName, &mFeed.station})
            if (f->contains(QChar(u'\0')))
                return true;
        return false;
    }
    void dropNul()
    {
        for (QString *f :
             {&mMode, &mReg, &mLabel, &mBlk, &mNo, &mFlight, &mText, &mFileName, &mFeed.station})
            f->remove(QChar(u'\0'));
    }
};

// Refused: held back because the store cannot take more now (counted as
// not stored).
enum class StoreResult { Stored, Skipped, Rejected, Refused };

} // namespace corvane
