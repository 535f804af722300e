#include "LiveTextBlock.h"

#include "store/MessageRecord.h"
#include "store/MessageTime.h"

namespace corvane
{

QString LiveTextBlock::paddedRegistration(const QString &reg)
{
    if (reg.size() >= 3 && reg.size() <= 6)
        return reg + QString(7 - reg.size(), u'.');
    return reg;
}

bool LiveTextBlock::isPassedOn(bool uplink, int uplinkMessages)
{
    return !uplink || uplinkMessages == 1;
}

QString LiveTextBlock::build(const QString &mode, const QString &reg, const QString &label,
                             const QString &blk, const QString &no, const QString &flight,
                             const QString &text, const QString &time)
{
    const auto parsed = MessageTime::parse(time);
    const QString shownTime = parsed && parsed->isValid() ? parsed->toDayMonthYear() : time;
    return assemble(mode, reg, label, blk, no, flight, text, shownTime);
}

QString LiveTextBlock::assemble(const QString &mode, const QString &reg, const QString &label,
                                const QString &blk, const QString &no, const QString &flight,
                                const QString &text, const QString &shownTime)
{
    static const QString kBreak = QStringLiteral("\r\n");
    QString block = QStringLiteral("ACARS mode: ") + mode + QStringLiteral("  Aircraft reg: ") +
                    paddedRegistration(reg) + kBreak;
    block += QStringLiteral("Message label: ") + (label.isEmpty() ? QStringLiteral("  ") : label) +
             QStringLiteral("  Block id: ") + blk + QStringLiteral("  Msg. no: ") + no + kBreak;
    block += QStringLiteral("Flight id: ") + flight + kBreak;
    if (!text.isEmpty())
        block += QStringLiteral("Message content:-") + kBreak + text + kBreak;
    block += QString(58, u'-') + u'[' + shownTime + u']';
    return block;
}

QString LiveTextBlock::build(const MessageRecord &m)
{
    return assemble(m.mMode, m.mReg, m.mLabel, m.mBlk, m.mNo, m.mFlight, m.mText,
                    m.mTime.toDayMonthYear());
}

} // namespace corvane
