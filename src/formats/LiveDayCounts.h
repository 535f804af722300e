#pragma once

#include <QDate>

namespace corvane
{

class Recorder;
struct LivePassResult;

// Today's counts of a live link (messages stamped today, aircraft last heard
// today) and their rates per hour. They are counted from the store once,
// when the link records its first pass, and again whenever someone else
// wrote to the store or the day changed; in between each pass adds what the
// recorder committed, so a pass costs the same on a store of any size.
class LiveDayCounts
{
public:
    // Brings the counts up to date after the recorder's last commit and
    // writes them and the rates into the result.
    void update(Recorder &recorder, LivePassResult &result,
                const QDate &today = QDate::currentDate());

    qint64 messages() const { return m_messages; }
    qint64 aircraft() const { return m_aircraft; }

private:
    void recount(Recorder &recorder, const QDate &today);

    bool m_counted = false;
    qint64 m_messages = 0;
    qint64 m_aircraft = 0;
};

} // namespace corvane
