#pragma once

#include "store/MessageRecord.h"

namespace corvane::test
{

// A downlink record as a reader hands it over: mode 2, label H1, message
// M01A, text "TEXT", from "test.log"; a time that does not read leaves the
// record without one.
MessageRecord message(const QString &reg, const QString &flight, const QString &time,
                      const QString &blk = QStringLiteral("2"));

} // namespace corvane::test
