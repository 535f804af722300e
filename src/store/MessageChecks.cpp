#include "MessageChecks.h"

#include "MessageRecord.h"

namespace corvane
{

bool MessageChecks::isValidChar(QStringView oneChar)
{
    if (oneChar.isEmpty())
        return false;
    if (oneChar == u" ")
        return true;
    const char16_t c = oneChar[0].unicode();
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-';
}

bool MessageChecks::allValidChars(QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i)
        if (!isValidChar(text.mid(i, 1)))
            return false;
    return true;
}

bool MessageChecks::record(const MessageRecord &r)
{
    return registration(r.mReg) && blockId(r.mBlk) && flight(r.mFlight);
}

} // namespace corvane
