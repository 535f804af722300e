#pragma once

#include <string>
#include <vector>

namespace corvane::bench
{

class Random;

// The label mix and text shapes of real VHF ACARS traffic: demand-mode and
// link-test messages without text, media advisories, free text, position
// reports, weather requests, gate (OOOI) times, and the uplinks' weather
// reports, clearances and dispatch messages.
class MessageTexts
{
public:
    struct Context {
        const std::string &registration;
        const std::string &flight;
        const std::string &from; // ICAO airport codes
        const std::string &to;
        int secondOfDay;
    };
    struct Label {
        const char *code;
        const char *meaning;
    };

    static void downlink(Random &rng, const Context &c, std::string &label, std::string &text);
    static void uplink(Random &rng, const Context &c, std::string &text);
    // Every label the mix uses, with its meaning, plus a few rarer ones.
    static const std::vector<Label> &labels();
};

} // namespace corvane::bench
