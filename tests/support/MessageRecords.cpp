#include "MessageRecords.h"

namespace corvane::test
{

MessageRecord message(const QString &reg, const QString &flight, const QString &time,
                      const QString &blk)
{
    MessageRecord r;
    r.mMode = QStringLiteral("2");
    r.mReg = reg;
    r.mLabel = QStringLiteral("H1");
    r.mBlk = blk;
    r.mNo = QStringLiteral("M01A");
    r.mFlight = flight;
    r.mText = QStringLiteral("TEXT");
    r.mTime = MessageTime::parse(time).value_or(MessageTime());
    r.mFileName = QStringLiteral("test.log");
    return r;
}

} // namespace corvane::test
