#include "LiveDayCounts.h"

#include "LivePassFrame.h"
#include "store/DayRange.h"
#include "store/MessageRecorder.h"
#include "store/StoreFigures.h"

#include <QTime>

namespace corvane
{

void LiveDayCounts::recount(Store &store, MessageRecorder &recorder, const QDate &today)
{
    // Watch first: what is committed from now on is tallied, what was
    // committed before is in the count.
    recorder.watchDay(today);
    StoreFigures figures(store);
    const DayRange day = DayRange::day(today);
    m_messages = figures.messagesWithin(day);
    m_aircraft = figures.aircraftLastHeardWithin(day);
    m_counted = true;
}

void LiveDayCounts::update(Store &store, MessageRecorder &recorder, LivePassResult &result,
                           const QDate &today)
{
    const bool outside = recorder.takeOutsideWrite();
    if (!m_counted || outside || recorder.watchedDay() != today) {
        recount(store, recorder, today);
    } else {
        const MessageRecorder::DayTally tally = recorder.takeDayTally();
        m_messages += tally.messages;
        m_aircraft += tally.aircraft;
    }
    result.today = m_messages;
    result.todayAll = m_aircraft;
    const double hours = QTime(0, 0).secsTo(QTime::currentTime()) / 3600.0;
    if (hours > 0) {
        result.messagesPerHour = double(result.today) / hours;
        result.aircraftPerHour = double(result.todayAll) / hours;
    }
}

} // namespace corvane
