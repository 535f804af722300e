#pragma once

#include <QString>

namespace corvane
{

struct MessageRecord;

// The text block in which a recorded live message is passed on to other
// programs. Lines are joined by CR LF; the block ends without a line break:
//
//   ACARS mode: 2  Aircraft reg: G-ABCD.
//   Message label: H1  Block id: 5  Msg. no: M01A
//   Flight id: BA0123
//   Message content:-          (these two only when there is text)
//   <the text>
//   ----------------------------------------------------------[05 Mar 2024 14:07]
class LiveTextBlock
{
public:
    // time is "DD/MM/YYYY HH:mm" (any form MessageTime reads); text that is
    // no time at all is shown as it stands.
    static QString build(const QString &mode, const QString &reg, const QString &label,
                         const QString &blk, const QString &no, const QString &flight,
                         const QString &text, const QString &time);
    // The record's time is shown as it was read.
    static QString build(const MessageRecord &message);

    // A registration of 3 to 6 characters filled up to 7 with dots.
    static QString paddedRegistration(const QString &reg);
    // Uplinks are passed on only while "UplinkMessages" is 1.
    static bool isPassedOn(bool uplink, int uplinkMessages);

private:
    static QString assemble(const QString &mode, const QString &reg, const QString &label,
                            const QString &blk, const QString &no, const QString &flight,
                            const QString &text, const QString &shownTime);
};

} // namespace corvane
