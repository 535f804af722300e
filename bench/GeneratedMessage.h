#pragma once

#include <cstdint>
#include <string>

namespace corvane::bench
{

// One generated message, its fields as the store keeps them: the time as
// "YYYY-MM-DD HH:MM:SS" local, an uplink with flight "Uplink" and empty label
// and number.
struct GeneratedMessage {
    std::string time;
    std::string mode;
    std::string registration;
    std::string label;
    std::string block;
    std::string number;
    std::string flight;
    std::string text;
    std::string fileName;

    bool uplink = false;
    bool live = false;           // fileName names a live pass, not a log file
    int aircraft = 0;            // index into TrafficModel::aircraft()
    int pair = 0;                // index into TrafficModel::pairs(); its flight unless an uplink
    std::int64_t wallSecond = 0; // local wall-clock seconds, see MessageStream
};

} // namespace corvane::bench
