#include "TrafficModel.h"

#include "Random.h"

#include <algorithm>
#include <cstdio>
#include <unordered_set>

namespace corvane::bench
{

namespace
{

// Registration patterns: '@' a letter, '#' a digit, '%' a digit 1 to 9,
// anything else as it stands. Alternatives are separated by '|'.
struct CarrierDef {
    const char *icao, *iata, *name, *hub;
    int weight;
    const char *registrations;
    const char *types;
};

const CarrierDef kCarriers[] = {
    {"BAW", "BA", "British Airways", "EGLL", 9, "G-@@@@",
     "A320-232|A319-131|B777-236ER|B787-9|A350-1041"},
    {"EZY", "U2", "easyJet", "EGGW", 6, "G-EZ@@|G-U@@@", "A319-111|A320-214|A320-251N"},
    {"VIR", "VS", "Virgin Atlantic", "EGLL", 2, "G-V@@@", "B787-9|A350-1041|A330-343"},
    {"EIN", "EI", "Aer Lingus", "EIDW", 3, "EI-@@@", "A320-214|A330-302|A321-253NX"},
    {"RYR", "FR", "Ryanair", "EIDW", 6, "EI-@@@", "B737-8AS|B737-8200"},
    {"DLH", "LH", "Lufthansa", "EDDF", 7, "D-A@@@", "A320-214|A321-231|A340-642|B747-830|A350-941"},
    {"AFR", "AF", "Air France", "LFPG", 5, "F-G@@@|F-H@@@",
     "A320-214|A318-111|B777-328ER|A350-941"},
    {"KLM", "KL", "KLM Royal Dutch Airlines", "EHAM", 4, "PH-@@@",
     "B737-8K2|B777-306ER|B787-10|E190"},
    {"IBE", "IB", "Iberia", "LEMD", 2, "EC-@@@", "A320-214|A330-302|A350-941"},
    {"SWR", "LX", "Swiss International Air Lines", "LSZH", 2, "HB-J@@",
     "A220-300|A320-214|B777-3DEER"},
    {"AUA", "OS", "Austrian Airlines", "LOWW", 1, "OE-L@@", "A320-214|B767-3Z9ER|E195"},
    {"SAS", "SK", "Scandinavian Airlines", "EKCH", 2, "SE-R@@|LN-R@@|OY-K@@",
     "A320-251N|A330-343|CRJ-900"},
    {"FIN", "AY", "Finnair", "EFHK", 1, "OH-L@@", "A321-231|A350-941|E190"},
    {"TAP", "TP", "TAP Air Portugal", "LPPT", 1, "CS-T@@", "A321-251NX|A330-941"},
    {"ITY", "AZ", "ITA Airways", "LIRF", 1, "I-@@@@", "A320-216|A330-202"},
    {"THY", "TK", "Turkish Airlines", "LTFM", 3, "TC-J@@|TC-L@@",
     "A321-231|B737-8F2|B777-3F2ER|A350-941"},
    {"UAE", "EK", "Emirates", "OMDB", 3, "A6-E@@", "B777-31HER|A380-861"},
    {"QTR", "QR", "Qatar Airways", "OTHH", 2, "A7-B@@|A7-A@@", "B787-8|A350-941|B777-3DZER"},
    {"ETD", "EY", "Etihad Airways", "OMAA", 1, "A6-B@@", "B787-9|B787-10"},
    {"SIA", "SQ", "Singapore Airlines", "WSSS", 1, "9V-S@@", "A350-941|B777-312ER"},
    {"CPA", "CX", "Cathay Pacific", "VHHH", 1, "B-H@@|B-L@@", "A350-941|B777-367ER"},
    {"CCA", "CA", "Air China", "ZBAA", 1, "B-####", "A330-343|B777-39LER"},
    {"JAL", "JL", "Japan Airlines", "RJTT", 1, "JA%##J", "B787-8|B777-346ER|A350-941"},
    {"ANA", "NH", "All Nippon Airways", "RJTT", 1, "JA%##A|JA8%##", "B787-9|B777-381ER"},
    {"KAL", "KE", "Korean Air", "RKSI", 1, "HL7###|HL8###", "B777-3B5ER|A380-861"},
    {"AIC", "AI", "Air India", "VIDP", 1, "VT-@@@", "B787-8|B777-337ER"},
    {"QFA", "QF", "Qantas", "YSSY", 1, "VH-O@@|VH-Z@@|VH-E@@", "A380-842|B787-9|A330-303"},
    {"ACA", "AC", "Air Canada", "CYYZ", 4, "C-F@@@|C-G@@@", "A320-211|B777-333ER|B787-9|A220-300"},
    {"WJA", "WS", "WestJet", "CYYC", 2, "C-G@@@|C-F@@@", "B737-8CT|B787-9"},
    {"UAL", "UA", "United Airlines", "KORD", 8, "N%##UA|N%####|N%###U",
     "B757-222|B767-322ER|B777-222|B787-9|A320-232"},
    {"AAL", "AA", "American Airlines", "KDFW", 7, "N%##AA|N%##AN|N%##NN",
     "B737-823|B777-323ER|A321-231|B787-8"},
    {"DAL", "DL", "Delta Air Lines", "KATL", 7, "N%##DN|N%##DZ|N%##NW",
     "B757-232|B767-332ER|A330-323|A350-941"},
    {"SWA", "WN", "Southwest Airlines", "KDAL", 3, "N%##WN|N%##SW", "B737-7H4|B737-8H4"},
    {"JBU", "B6", "JetBlue Airways", "KJFK", 2, "N%##JB|N%##JT", "A320-232|A321-231"},
    {"ASA", "AS", "Alaska Airlines", "KSEA", 1, "N%##AS", "B737-990ER|B737-890"},
    {"FDX", "FX", "FedEx Express", "KMEM", 2, "N%##FD|N%##FE", "B777-FS2|MD-11F|B767-3S2F"},
    {"UPS", "5X", "UPS Airlines", "KSDF", 2, "N%##UP", "B747-8F|MD-11F|B767-34AF"},
    {"AMX", "AM", "Aeromexico", "MMMX", 1, "XA-@@@", "B737-8MAX|B787-9"},
    {"TAM", "JJ", "LATAM Brasil", "SBGR", 1, "PR-@@@|PT-@@@", "A320-214|B777-32WER"},
    {"LAN", "LA", "LATAM Chile", "SCEL", 1, "CC-B@@", "B787-9|A321-211"},
    {"SAA", "SA", "South African Airways", "FAOR", 1, "ZS-S@@", "A330-243|A340-642"},
    {"ETH", "ET", "Ethiopian Airlines", "HAAB", 1, "ET-A@@", "B787-8|B777-36NER"},
    // Business jets fly under their registration.
    {"---", "", "Biz Jets/Misc", "", 8,
     "N%##@@|N%###@|G-@@@@|D-I@@@|HB-V@@|OE-G@@|VP-C@@|M-@@@@|F-H@@@|EC-@@@",
     "GLF5|GLF6|C680|C56X|CL60|F900|FA7X|LJ45|E55P|GLEX|PC12"},
};

constexpr double kListedShare = 0.9;    // registrations with an aircraft row
constexpr double kRoutedShare = 0.85;   // flight numbers with a route row
constexpr double kIcaoStyleShare = 0.2; // "UAL123" rather than "UA0123"

std::vector<std::string> split(const char *text)
{
    std::vector<std::string> parts(1);
    for (const char *c = text; *c; ++c) {
        if (*c == '|')
            parts.emplace_back();
        else
            parts.back() += *c;
    }
    return parts;
}

std::string fillPattern(const std::string &pattern, Random &rng)
{
    std::string out = pattern;
    for (char &c : out) {
        if (c == '@')
            c = rng.letter();
        else if (c == '#')
            c = rng.digit();
        else if (c == '%')
            c = char('1' + rng.below(9));
    }
    return out;
}

template <typename T> const T &pick(const std::vector<T> &from, Random &rng)
{
    return from[size_t(rng.below(int(from.size())))];
}

int pickCarrier(Random &rng)
{
    int total = 0;
    for (const CarrierDef &c : kCarriers)
        total += c.weight;
    int n = rng.below(total);
    int i = 0;
    while (n >= kCarriers[i].weight)
        n -= kCarriers[i++].weight;
    return i;
}

bool isBiz(const CarrierDef &c)
{
    return c.iata[0] == '\0';
}

std::string serialNumber(const std::string &type, Random &rng)
{
    char cn[16];
    if (type[0] == 'A')
        std::snprintf(cn, sizeof cn, "%04d", rng.between(100, 9999));
    else if (type[0] == 'B')
        std::snprintf(cn, sizeof cn, "%05d", rng.between(20000, 66999));
    else
        std::snprintf(cn, sizeof cn, "%d", rng.between(100, 5999));
    return cn;
}

std::string flightNumber(const CarrierDef &c, Random &rng)
{
    char number[16];
    if (rng.chance(kIcaoStyleShare))
        std::snprintf(number, sizeof number, "%s%d", c.icao, rng.between(1, 999));
    else
        std::snprintf(number, sizeof number, "%s%04d", c.iata, rng.between(1, 2999));
    return number;
}

// A business jet's flight id is its registration without the dash.
std::string ownFlightNumber(const std::string &registration)
{
    std::string number;
    for (char c : registration)
        if (c != '-')
            number += c;
    return number.substr(0, 6);
}

} // namespace

const std::vector<std::string> &TrafficModel::airports()
{
    static const std::vector<std::string> list = split(
        "EGLL|EGKK|EGCC|EGPH|EGGW|EIDW|EINN|EDDF|EDDM|LFPG|LFPO|EHAM|LEMD|LEBL|LSZH|LOWW|EKCH|"
        "ESSA|ENGM|EFHK|LPPT|LIRF|LIML|LTFM|OMDB|OTHH|OMAA|WSSS|VHHH|ZBAA|RJTT|RJAA|RKSI|VIDP|YSSY|"
        "CYYZ|CYUL|CYVR|CYYC|KJFK|KEWR|KBOS|KORD|KATL|KDFW|KLAX|KSFO|KSEA|KMIA|KIAD|KMEM|KSDF|KDAL|"
        "MMMX|SBGR|SCEL|FAOR|HAAB");
    return list;
}

TrafficModel::TrafficModel(std::uint64_t seed, Sizes sizes)
{
    for (const CarrierDef &c : kCarriers)
        m_carriers.push_back({c.icao, c.iata, c.name, c.hub});
    addAircraft(seed, sizes.registrations);
    addFlightsAndPairs(seed, std::max(sizes.pairs, sizes.registrations));
}

void TrafficModel::addAircraft(std::uint64_t seed, int count)
{
    Random rng(seed ^ 0xa11c4a57ULL);
    std::unordered_set<std::string> taken;
    m_aircraft.reserve(size_t(count));
    while (int(m_aircraft.size()) < count) {
        Aircraft a;
        a.carrier = pickCarrier(rng);
        const CarrierDef &def = kCarriers[a.carrier];
        a.registration = fillPattern(pick(split(def.registrations), rng), rng);
        if (!taken.insert(a.registration).second)
            continue;
        a.type = pick(split(def.types), rng);
        a.cn = serialNumber(a.type, rng);
        a.listed = rng.chance(kListedShare);
        m_aircraft.push_back(std::move(a));
    }
}

void TrafficModel::addFlightsAndPairs(std::uint64_t seed, int count)
{
    Random rng(seed ^ 0xf1197ULL);
    const int airportCount = int(airports().size());
    const auto airportIndex = [&](const std::string &code) {
        const auto &list = airports();
        const auto it = std::find(list.begin(), list.end(), code);
        return it == list.end() ? rng.below(airportCount) : int(it - list.begin());
    };
    const auto addFlight = [&](std::string number, int carrier) {
        Flight f{std::move(number), carrier, 0, 0, rng.chance(kRoutedShare)};
        f.from = rng.chance(0.5) ? airportIndex(m_carriers[size_t(carrier)].hub)
                                 : rng.below(airportCount);
        do
            f.to = rng.below(airportCount);
        while (f.to == f.from);
        m_flights.push_back(std::move(f));
        return int(m_flights.size()) - 1;
    };

    // Each airline numbers about two flights per aircraft; its aircraft share them.
    std::vector<int> fleet(m_carriers.size());
    for (const Aircraft &a : m_aircraft)
        ++fleet[size_t(a.carrier)];
    std::vector<std::vector<int>> pools(m_carriers.size());
    for (size_t c = 0; c < m_carriers.size(); ++c) {
        if (isBiz(kCarriers[c]) || fleet[c] == 0)
            continue;
        std::unordered_set<std::string> numbers;
        // Bounded well inside the numbers flightNumber() can make (about
        // 4,000 a carrier), so a large fleet cannot exhaust them.
        const size_t wanted = std::min<size_t>(size_t(fleet[c]) * 2 + 4, 3000);
        while (numbers.size() < wanted)
            if (std::string n = flightNumber(kCarriers[c], rng); numbers.insert(n).second)
                pools[c].push_back(addFlight(n, int(c)));
    }

    std::unordered_set<std::uint64_t> taken;
    std::vector<int> airliners;
    const auto addPair = [&](int aircraft, int flight) {
        if (taken.insert(std::uint64_t(aircraft) << 32 | std::uint32_t(flight)).second)
            m_pairs.push_back({aircraft, flight});
    };
    for (int i = 0; i < int(m_aircraft.size()); ++i) {
        const Aircraft &a = m_aircraft[size_t(i)];
        if (pools[size_t(a.carrier)].empty()) {
            addPair(i, addFlight(ownFlightNumber(a.registration), a.carrier));
        } else {
            airliners.push_back(i);
            addPair(i, pick(pools[size_t(a.carrier)], rng));
        }
    }
    // Small fleets run out of new combinations; give up rather than spin.
    for (std::int64_t attempts = 0;
         int(m_pairs.size()) < count && !airliners.empty() && attempts < std::int64_t(count) * 50;
         ++attempts) {
        const int i = pick(airliners, rng);
        addPair(i, pick(pools[size_t(m_aircraft[size_t(i)].carrier)], rng));
    }
    for (size_t i = m_pairs.size(); i > 1; --i)
        std::swap(m_pairs[i - 1], m_pairs[size_t(rng.below(int(i)))]);
}

} // namespace corvane::bench
