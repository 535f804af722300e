#include "MessageStream.h"

#include "MessageTexts.h"
#include "TrafficModel.h"
#include "store/MessageTime.h"

#include <QDate>
#include <algorithm>
#include <cmath>
#include <cstdio>

namespace corvane::bench
{

namespace
{

constexpr std::int64_t kDay = 86400;
constexpr double kLiveShare = 0.6; // days heard live rather than imported from a log

// Relative traffic per local hour: quiet at night, busy by day.
constexpr double kHourWeight[24] = {3, 2, 1.5, 1, 1, 1.5, 3, 5,   6, 6,   6, 6,
                                    6, 6, 6,   6, 6, 6,   6, 5.5, 5, 4.5, 4, 3.5};

// Cumulative traffic at the start of each hour, scaled to a day of 86400.
struct DayShape {
    double start[25];
    DayShape()
    {
        double total = 0;
        for (double w : kHourWeight)
            total += w;
        start[0] = 0;
        for (int h = 0; h < 24; ++h)
            start[h + 1] = start[h] + kHourWeight[h] * kDay / total;
    }
    double at(std::int64_t second) const
    {
        const int h = int(second / 3600);
        return start[h] + double(second - h * 3600) / 3600.0 * (start[h + 1] - start[h]);
    }
    std::int64_t secondAt(double traffic) const
    {
        const int h = int(std::upper_bound(start, start + 25, traffic) - start) - 1;
        const int hour = std::clamp(h, 0, 23);
        const double within = (traffic - start[hour]) / (start[hour + 1] - start[hour]);
        return std::clamp<std::int64_t>(hour * 3600 + std::int64_t(within * 3600), 0, kDay - 1);
    }
};

const DayShape kDayShape;

// How the station's logging program named its daily log files.
const char *const kLogNames[] = {
    "C:\\SkySpy\\Logs\\%04d%02d%02d.log",
    "C:\\Program Files\\AirNav\\ACARSDeco\\Logs\\ACARS_%04d-%02d-%02d.txt",
    "D:\\acarsd\\logs\\acarsd-%04d%02d%02d.log",
    "C:\\Users\\Radio\\Documents\\ACARS logs\\log %04d-%02d-%02d.txt",
};

void appendClock(std::string &out, std::int64_t secondOfDay)
{
    char t[16];
    std::snprintf(t, sizeof t, "%02d:%02d:%02d", int(secondOfDay / 3600),
                  int(secondOfDay / 60 % 60), int(secondOfDay % 60));
    out += t;
}

} // namespace

MessageStream::MessageStream(const TrafficModel &model, const Options &options)
    : m_model(model), m_options(options), m_rng(options.seed ^ 0x5747e4a3ULL)
{
    const std::int64_t end = wallSecond(options.end);
    const std::int64_t today = std::clamp<std::int64_t>(options.today, 0, options.messages);
    const std::int64_t midnight = end / kDay * kDay;
    m_past = {end - 365 * kDay, today > 0 ? midnight : end, options.messages - today};
    m_today = {midnight, end, today};
}

std::int64_t MessageStream::wallSecond(const QDateTime &local)
{
    return local.date().toJulianDay() * kDay + local.time().msecsSinceStartOfDay() / 1000;
}

std::string MessageStream::storageTime(std::int64_t wall)
{
    const QDate d = QDate::fromJulianDay(wall / kDay);
    char day[16];
    std::snprintf(day, sizeof day, "%04d-%02d-%02d ", d.year(), d.month(), d.day());
    std::string out = day;
    appendClock(out, wall % kDay);
    return out;
}

std::int64_t MessageStream::timeOf(const Segment &s, std::int64_t index)
{
    // Even steps through the cumulative traffic of the segment, each message
    // somewhere in its own step; the first at the very start.
    const double jitter = index == 0 ? 0.0 : m_rng.uniform();
    const double f = (double(index) + jitter) / double(s.count);
    const std::int64_t baseDay = s.begin / kDay;
    const auto traffic = [&](std::int64_t wall) {
        return double(wall / kDay - baseDay) * kDay + kDayShape.at(wall % kDay);
    };
    const double begin = traffic(s.begin);
    const double g = begin + f * (traffic(s.end) - begin);
    const std::int64_t day = std::int64_t(g / kDay);
    const std::int64_t wall = (baseDay + day) * kDay + kDayShape.secondAt(g - double(day) * kDay);
    return std::clamp(wall, s.begin, std::max(s.begin, s.end - 1));
}

bool MessageStream::next()
{
    if (++m_index >= m_options.messages)
        return false;
    fill(m_index < m_past.count ? timeOf(m_past, m_index)
                                : timeOf(m_today, m_index - m_past.count));
    return true;
}

void MessageStream::setDay(std::int64_t day)
{
    m_day = day;
    const QDate d = QDate::fromJulianDay(day);
    char text[96];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d ", d.year(), d.month(), d.day());
    m_storageDay = text;
    std::snprintf(text, sizeof text, "%02d/%02d/%04d ", d.day(), d.month(), d.year());
    m_generalDay = text;
    Random dayRng(m_options.seed ^ std::uint64_t(day) * 0x9e3779b97f4a7c15ULL);
    m_logFile.clear();
    if (!dayRng.chance(kLiveShare)) {
        const char *name = kLogNames[dayRng.below(int(std::size(kLogNames)))];
        std::snprintf(text, sizeof text, name, d.year(), d.month(), d.day());
        m_logFile = text;
    }
}

void MessageStream::fill(std::int64_t wall)
{
    if (wall / kDay != m_day)
        setDay(wall / kDay);
    const std::int64_t second = wall % kDay;
    GeneratedMessage &m = m_message;
    m.wallSecond = wall;
    m.time = m_storageDay;
    appendClock(m.time, second);

    // A skewed choice: the first pairs in the (shuffled) list are heard daily,
    // the last ones a few times a year.
    const double u = m_rng.uniform();
    const auto &pairs = m_model.pairs();
    m.pair = std::min(int(u * std::sqrt(u) * double(pairs.size())), int(pairs.size()) - 1);
    const TrafficModel::Pair &pair = pairs[size_t(m.pair)];
    const TrafficModel::Flight &flight = m_model.flights()[size_t(pair.flight)];
    m.aircraft = pair.aircraft;
    m.registration = m_model.aircraft()[size_t(pair.aircraft)].registration;
    m.uplink = m_rng.chance(kUplinkShare);
    m.mode = "2";

    const auto &airports = TrafficModel::airports();
    const MessageTexts::Context context{m.registration, flight.number,
                                        airports[size_t(flight.from)], airports[size_t(flight.to)],
                                        int(second)};
    if (m.uplink) {
        m.flight = "Uplink";
        m.label.clear();
        m.number.clear();
        m.block.assign(1, m_rng.letter());
        MessageTexts::uplink(m_rng, context, m.text);
    } else {
        m.flight = flight.number;
        m.block.assign(1, m_rng.digit());
        m.number.assign(1, "MMMMFDS"[m_rng.below(7)]);
        m.number += char('0' + m_rng.below(10));
        m.number += char('1' + m_rng.below(9));
        m.number += m_rng.letter();
        MessageTexts::downlink(m_rng, context, m.label, m.text);
    }

    m.live = m_logFile.empty();
    if (m.live) {
        m.fileName = "Live data ";
        m.fileName += m_generalDay;
        appendClock(m.fileName, second);
    } else {
        m.fileName = m_logFile;
    }
}

MessageRecord toRecord(const GeneratedMessage &m)
{
    MessageRecord r;
    r.mTime = MessageTime::fromStorage(QString::fromStdString(m.time)).value_or(MessageTime());
    r.mMode = QString::fromStdString(m.mode);
    r.mReg = QString::fromStdString(m.registration);
    r.mLabel = QString::fromStdString(m.label);
    r.mBlk = QString::fromStdString(m.block);
    r.mNo = QString::fromStdString(m.number);
    r.mFlight = QString::fromStdString(m.flight);
    r.mText = QString::fromStdString(m.text);
    r.mFileName = QString::fromStdString(m.fileName);
    if (m.flight == "Uplink")
        r.setUplink();
    return r;
}

} // namespace corvane::bench
