#pragma once

#include "store/MessageTime.h"

#include <QtGlobal>

namespace corvane
{

// Unix seconds as this machine's local time, for a stream of decoder
// times. The zone's offset is looked up once per quarter hour of UTC (zones
// change their offset only on such boundaries); within it the fields are
// worked out by arithmetic, which spares a zone lookup per message.
class LocalClock
{
public:
    static constexpr qint64 kSpan = 15 * 60;

    MessageTime localTime(qint64 unixSeconds);

private:
    qint64 m_span = -1; // the quarter hour whose offset is known
    qint64 m_offset = 0;
};

} // namespace corvane
