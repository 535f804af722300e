#include "MessageTexts.h"

#include "Random.h"
#include "TrafficModel.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

namespace corvane::bench
{

namespace
{

enum class Shape {
    Empty,
    MediaAdvisory,
    Terminal,
    AirlineFreeText,
    FansPosition,
    Position,
    WeatherRequest,
    Out,
    Off,
    On,
    In,
    OutDestination,
    OffDestination,
    PositionReport,
    Eta,
    AdsC,
    Metar,
    ShortPosition,
    Delay,
};

struct Mix {
    const char *label;
    Shape shape;
    int weight; // per cent of downlinks
};

// Shares as heard by a European ground station.
const Mix kDownlinks[] = {
    {"_d", Shape::Empty, 14},
    {"Q0", Shape::Empty, 4},
    {"54", Shape::Empty, 2},
    {"SA", Shape::MediaAdvisory, 6},
    {"H1", Shape::Terminal, 22},
    {"5Z", Shape::AirlineFreeText, 5},
    {"15", Shape::FansPosition, 6},
    {"16", Shape::Position, 4},
    {"5U", Shape::WeatherRequest, 4},
    {"QA", Shape::Out, 3},
    {"QB", Shape::Off, 3},
    {"QC", Shape::On, 3},
    {"QD", Shape::In, 3},
    {"QE", Shape::OutDestination, 2},
    {"QF", Shape::OffDestination, 2},
    {"80", Shape::PositionReport, 5},
    {"10", Shape::Eta, 3},
    {"B6", Shape::AdsC, 2},
    {"H2", Shape::Metar, 3},
    {"44", Shape::ShortPosition, 2},
    {"20", Shape::Delay, 2},
};

const char *const kFreeText[] = {
    "PLS ADV GATE ASSIGNMENT",
    "REQ CONNECTING GATES FOR 14 PAX",
    "WHEELCHAIR REQ 2 PAX ROW 12",
    "PLEASE ORDER CATERING TOP UP 20 MEALS",
    "MEDICAL ON BOARD - PAX UNWELL - REQ PARAMEDICS ON ARRIVAL",
    "TECH LOG ITEM: AFT LAV INOP",
    "ETA REVISED DUE HOLDING",
    "FUEL UPLIFT 12.4 T",
    "CREW CONNECTING TO NEXT SECTOR",
    "REQUEST ENGINEER ON ARRIVAL - APU FAULT",
    "DOORS CLOSED - AWAITING PUSH",
    "CARGO DOOR SENSOR MSG RESET OK",
    "RIDE REPORT MOD CHOP FL370",
    "PLEASE CALL OPS ON 131.42",
    "THANKS FOR THE ASSIST",
    "NIL DEFECTS",
};

const char *const kUplinkText[] = {
    "GATE ASSIGNMENT B32 STAND 511",
    "YOUR CONNECTING PAX 6 TO GATE A14",
    "PLEASE CALL OPS ON 131.42 WHEN ABLE",
    "ENGINEER WILL MEET THE AIRCRAFT",
    "SLOT IMPROVED TO 1520Z",
    "REQUESTED WX FOLLOWS ON NEXT MSG",
    "CATERING ORDERED OK",
    "ROGER THANKS",
};

// vsnprintf onto the end of the text.
void append(std::string &out, const char *format, ...) __attribute__((format(printf, 2, 3)));
void append(std::string &out, const char *format, ...)
{
    char buffer[256];
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    if (n > 0)
        out.append(buffer, size_t(std::min<int>(n, int(sizeof buffer) - 1)));
}

template <typename T, size_t N> const T &pick(const T (&from)[N], Random &rng)
{
    return from[rng.below(int(N))];
}

struct Clock {
    int hour, minute, second;
    explicit Clock(int secondOfDay)
        : hour(secondOfDay / 3600), minute(secondOfDay / 60 % 60), second(secondOfDay % 60)
    {
    }
    int hhmm() const { return hour * 100 + minute; }
};

void position(Random &rng, std::string &out)
{
    append(out, "N%05dW%06d", rng.between(35000, 62999), rng.between(0, 125999));
}

int laterHhmm(const Clock &t, int minutes)
{
    const int m = (t.hour * 60 + t.minute + minutes) % 1440;
    return m / 60 * 100 + m % 60;
}

void terminal(Random &rng, const MessageTexts::Context &c, const Clock &t, std::string &out)
{
    if (rng.chance(0.4)) {
        append(out, "#M1BPOS");
        position(rng, out);
        append(out, ",%s,%04d,%d,%s,%04d,%s,M%02d,%03d%03d,%d", c.flight.c_str(), t.hhmm(),
               rng.between(280, 410), c.to.c_str(), laterHhmm(t, rng.between(20, 400)),
               c.from.c_str(), rng.between(30, 60), rng.between(0, 359), rng.between(5, 160),
               rng.between(20, 900));
    } else {
        append(out, "- #%s/%s %s %s\r\n%s", rng.chance(0.5) ? "DFB" : "M1BFTX", c.flight.c_str(),
               c.from.c_str(), c.to.c_str(), pick(kFreeText, rng));
        for (int lines = rng.below(3); lines > 0; --lines)
            append(out, "\r\n%s", pick(kFreeText, rng));
    }
}

void metar(Random &rng, const std::string &airport, const Clock &t, std::string &out)
{
    append(out, "METAR %s %02d%02d%02dZ %03d%02dKT 9999 SCT%03d %02d/%02d Q%04d", airport.c_str(),
           rng.between(1, 28), t.hour, t.minute < 30 ? 20 : 50, rng.between(0, 35) * 10,
           rng.between(2, 30), rng.between(8, 45), rng.between(0, 28), rng.between(-5, 15),
           rng.between(985, 1035));
}

void compose(Shape shape, Random &rng, const MessageTexts::Context &c, std::string &out)
{
    const Clock t(c.secondOfDay);
    const char *reg = c.registration.c_str();
    const char *from = c.from.c_str(), *to = c.to.c_str();
    switch (shape) {
    case Shape::Empty:
        break;
    case Shape::MediaAdvisory:
        append(out, "0%cV%02d%02d%02dV%s", rng.chance(0.8) ? 'E' : 'L', t.hour, t.minute, t.second,
               rng.chance(0.5) ? "" : "/");
        break;
    case Shape::Terminal:
        terminal(rng, c, t, out);
        break;
    case Shape::AirlineFreeText:
        append(out, " /%s %s %s\r\n%s", c.flight.c_str(), from, to, pick(kFreeText, rng));
        break;
    case Shape::FansPosition:
        append(out, "(2POS ");
        position(rng, out);
        append(out, " %02d%02d%02d %03d M%02d %03d%02d %04d)", t.hour, t.minute, t.second,
               rng.between(280, 410), rng.between(30, 60), rng.between(0, 35) * 10,
               rng.between(5, 99), laterHhmm(t, rng.between(20, 400)));
        break;
    case Shape::Position:
        append(out, "N %02d.%03d,W%03d.%03d,%d,%04d,%4d,%03d,%03d", rng.between(35, 62),
               rng.between(0, 999), rng.between(0, 125), rng.between(0, 999),
               rng.between(200, 410) * 100, t.hhmm(), rng.between(-60, -30), rng.between(0, 359),
               rng.between(5, 160));
        break;
    case Shape::WeatherRequest: {
        const std::vector<std::string> &airports = TrafficModel::airports();
        append(out, "01 WXRQ %02d%02d/%02d %s/%s .%s\r\n/TYP 1/STA %s/STA %s/STA %s", t.hour,
               t.minute, rng.between(1, 28), from, to, reg, to, from,
               airports[size_t(rng.below(int(airports.size())))].c_str());
        break;
    }
    case Shape::Out:
        append(out, "OUT %04d FUEL %d %s", t.hhmm(), rng.between(40, 900), from);
        break;
    case Shape::Off:
        append(out, "OFF %04d", t.hhmm());
        break;
    case Shape::On:
        append(out, "ON %04d", t.hhmm());
        break;
    case Shape::In:
        append(out, "IN %04d FOB %03d %s", t.hhmm(), rng.between(20, 400), to);
        break;
    case Shape::OutDestination:
        append(out, "%s%s%04d%04d", from, to, t.hhmm(), rng.between(40, 900));
        break;
    case Shape::OffDestination:
        append(out, "%s%04d%04d", to, t.hhmm(), laterHhmm(t, rng.between(20, 600)));
        break;
    case Shape::PositionReport:
        append(out, "3N01 POSRPT %04d/%02d %s/%s .%s\r\n/POS ", t.hhmm(), rng.between(1, 28), from,
               to, reg);
        position(rng, out);
        append(out, "/ALT %d/MCH %d/FOB %04d/ETA %04d", rng.between(280, 410) * 100,
               rng.between(740, 860), rng.between(20, 900), laterHhmm(t, rng.between(20, 600)));
        break;
    case Shape::Eta:
        append(out, "/%s ETA %04d %s", c.flight.c_str(), laterHhmm(t, rng.between(10, 600)), to);
        break;
    case Shape::AdsC:
        append(out, "/%sDYA.ADS.%s", rng.chance(0.5) ? "EGGX" : "EISN", reg);
        for (int i = 0; i < 16; ++i)
            append(out, "%02X", rng.below(256));
        break;
    case Shape::Metar:
        metar(rng, c.to, t, out);
        break;
    case Shape::ShortPosition:
        append(out, "POS02,N%05d,W%06d,%04d,%s,%s,%04d", rng.between(35000, 62999),
               rng.between(0, 125999), t.hhmm(), from, to, rng.between(20, 900));
        break;
    case Shape::Delay:
        append(out, "DELAY %02d MIN %s", rng.between(5, 90),
               rng.chance(0.5) ? "ATC SLOT" : "LATE INBOUND");
        break;
    }
}

} // namespace

void MessageTexts::downlink(Random &rng, const Context &c, std::string &label, std::string &text)
{
    int n = rng.below(100);
    const Mix *mix = kDownlinks;
    while (n >= mix->weight)
        n -= (mix++)->weight;
    label = mix->label;
    text.clear();
    compose(mix->shape, rng, c, text);
}

void MessageTexts::uplink(Random &rng, const Context &c, std::string &text)
{
    text.clear();
    const Clock t(c.secondOfDay);
    const int n = rng.below(100);
    if (n < 10)
        return;
    if (n < 40) {
        append(text, "REQUESTED WX\r\n");
        metar(rng, c.to, t, text);
        append(text, "\r\n");
        metar(rng, c.from, t, text);
    } else if (n < 75) {
        append(text, "%s\r\n%s", c.flight.c_str(), pick(kUplinkText, rng));
    } else if (n < 90) {
        append(text, "CLRD TO %s OFF %s VIA %c%d SQUAWK %04o NEXT FREQ 1%02d.%03d", c.to.c_str(),
               c.from.c_str(), rng.letter(), rng.between(1, 99), rng.below(4096),
               rng.between(18, 36), rng.below(40) * 25);
    } else {
        append(text, "ATIS %s INFO %c %04dZ RWY %02dL", c.from.c_str(), rng.letter(), t.hhmm(),
               rng.between(1, 36));
    }
}

const std::vector<MessageTexts::Label> &MessageTexts::labels()
{
    static const std::vector<Label> list = {
        {"_d", "No information to transmit (demand mode)"},
        {"Q0", "Link test"},
        {"54", "Voice contact request"},
        {"SA", "Media advisory"},
        {"H1", "Message to/from terminal"},
        {"H2", "Meteorological report"},
        {"5Z", "Airline designated downlink"},
        {"15", "FANS position report"},
        {"16", "Position and weather report"},
        {"5U", "Weather request"},
        {"QA", "OUT/fuel report"},
        {"QB", "OFF report"},
        {"QC", "ON report"},
        {"QD", "IN/fuel report"},
        {"QE", "OUT/fuel/destination report"},
        {"QF", "OFF/destination report"},
        {"80", "Airline defined position report"},
        {"10", "ETA report"},
        {"B6", "ADS-C report"},
        {"44", "Position report"},
        {"20", "Delay message"},
        {"SQ", "Squitter"},
        {"RA", "Command aircraft terminal to print"},
        {"C1", "Message to cockpit printer"},
        {"2S", "Weather request (airline defined)"},
        {"5V", "VDL switch advisory"},
    };
    return list;
}

} // namespace corvane::bench
