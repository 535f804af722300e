#pragma once

#include "GeneratedMessage.h"
#include "Random.h"
#include "store/MessageRecord.h"

#include <QDateTime>
#include <cstdint>
#include <string>

namespace corvane::bench
{

class TrafficModel;

// The messages a station hears over one year, produced one at a time in time
// order so that any number can be streamed without holding them. Busier by
// day than by night; some pairs (daily shuttles) far more often than others;
// about one message in ten an uplink.
//
// Times are local wall-clock times counted as seconds from the start of
// Julian day 0 (day * 86400 + second of day), which keeps them free of time
// zone arithmetic and orders like the stored text.
class MessageStream
{
public:
    struct Options {
        std::int64_t messages = 0;
        // This many of the messages are stamped today, the first of them at
        // midnight; the rest fall before today. With none, the messages
        // spread over the year up to the end time.
        std::int64_t today = 0;
        std::uint64_t seed = 1;
        QDateTime end = QDateTime::currentDateTime();
    };

    static constexpr double kUplinkShare = 0.1;

    MessageStream(const TrafficModel &model, const Options &options);

    // Moves to the next message; false after the last.
    bool next();
    const GeneratedMessage &message() const { return m_message; }

    static std::int64_t wallSecond(const QDateTime &local);
    static std::string storageTime(std::int64_t wallSecond); // "YYYY-MM-DD HH:MM:SS"

private:
    struct Segment {
        std::int64_t begin = 0, end = 0; // wall seconds
        std::int64_t count = 0;
    };

    std::int64_t timeOf(const Segment &segment, std::int64_t index);
    void setDay(std::int64_t day);
    void fill(std::int64_t wall);

    const TrafficModel &m_model;
    Options m_options;
    Random m_rng;
    Segment m_past, m_today;
    std::int64_t m_index = -1;
    std::int64_t m_day = -1;
    std::string m_storageDay, m_generalDay, m_logFile; // for the current day
    GeneratedMessage m_message;
};

// The message as a reader hands it to the recorder.
MessageRecord toRecord(const GeneratedMessage &m);

} // namespace corvane::bench
