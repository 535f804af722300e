#include "LiveDayCounts.h"

#include "LivePassFrame.h"
#include "store/DayRange.h"
#include "store/Recorder.h"
#include "store/StoreError.h"

#include <QTime>

namespace corvane
{

void LiveDayCounts::recount(Recorder &recorder, const QDate &today)
{
    // Watch first: what is committed from now on is tallied, what was
    // committed before is in the count.
    recorder.watchDay(today);
    const Recorder::DayTally counted = recorder.countDay(DayRange::day(today));
    m_messages = counted.messages;
    m_aircraft = counted.aircraft;
    m_counted = true;
}

void LiveDayCounts::update(Recorder &recorder, LivePassResult &result, const QDate &today)
{
    const bool outside = recorder.takeOutsideWrite();
    if (!m_counted || outside || recorder.watchedDay() != today) {
        try {
            recount(recorder, today);
        } catch (const StoreError &) {
            // A store out of reach: the last figures stand until it is back.
            m_counted = false;
        }
    } else {
        const Recorder::DayTally tally = recorder.takeDayTally();
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
