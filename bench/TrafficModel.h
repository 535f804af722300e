#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace corvane::bench
{

// The world a receiving station hears: carriers, their aircraft and flight
// numbers, and the registration/flight pairs that fly. Built once from a seed;
// the same seed gives the same world.
class TrafficModel
{
public:
    struct Carrier {
        std::string icao; // "---" for business jets and miscellaneous
        std::string iata;
        std::string name;
        std::string hub; // ICAO airport code
    };
    struct Aircraft {
        std::string registration;
        int carrier = 0;
        std::string type;
        std::string cn;
        bool listed = false; // has a row in the aircraft table
    };
    struct Flight {
        std::string number;
        int carrier = 0;
        int from = 0; // index into airports()
        int to = 0;
        bool routed = false; // has a row in the routes table
    };
    struct Pair {
        int aircraft = 0;
        int flight = 0;
    };
    struct Sizes {
        int registrations = 20000;
        int pairs = 100000; // at least one per registration
    };

    TrafficModel(std::uint64_t seed, Sizes sizes);

    const std::vector<Carrier> &carriers() const { return m_carriers; }
    const std::vector<Aircraft> &aircraft() const { return m_aircraft; }
    const std::vector<Flight> &flights() const { return m_flights; }
    const std::vector<Pair> &pairs() const { return m_pairs; }
    static const std::vector<std::string> &airports();

private:
    void addAircraft(std::uint64_t seed, int count);
    void addFlightsAndPairs(std::uint64_t seed, int count);

    std::vector<Carrier> m_carriers;
    std::vector<Aircraft> m_aircraft;
    std::vector<Flight> m_flights;
    std::vector<Pair> m_pairs;
};

} // namespace corvane::bench
