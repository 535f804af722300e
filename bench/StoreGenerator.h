#pragma once

#include "MessageStream.h"
#include "TrafficModel.h"

#include <QDateTime>
#include <QString>
#include <cstdint>
#include <functional>

namespace corvane
{
class Store;
class SqliteStatement;
} // namespace corvane

namespace corvane::bench
{

// Fills a new store folder with a year of realistic traffic: the messages,
// the two heard registers exactly as recording them one by one would leave
// them, and the aircraft, carrier, route and label tables to match. The files
// are created by the program's own Store, so schema and settings are the
// program's; the rows go in through prepared statements in large
// transactions, with the message indexes built once at the end.
class StoreGenerator
{
public:
    struct Options {
        std::int64_t messages = 0;
        std::int64_t today = 0; // of the messages, stamped today
        std::uint64_t seed = 1;
        QDateTime end = QDateTime::currentDateTime();
        TrafficModel::Sizes sizes;
    };
    struct Summary {
        std::int64_t messages = 0;
        std::int64_t uplinks = 0;
        std::int64_t today = 0;
        int heardPairs = 0;
        int heardAircraft = 0;
        int aircraftRows = 0;
        int carrierRows = 0;
        int routeRows = 0;
        int labelRows = 0;
        int logFiles = 0;
    };
    using Progress = std::function<void(std::int64_t messagesWritten)>;

    explicit StoreGenerator(const Options &options) : m_options(options) {}

    // Throws StoreError, also when the folder already holds data.
    Summary generate(const QString &folder, const Progress &progress = {});

    static constexpr int kBatch = 100000;

    // Binds a message to an INSERT whose parameters are, in order, mMode,
    // mReg, mLabel, mBlk, mNo, mFlight, mText, mTime, mFileName. The bound
    // text refers to the message, which must outlive the statement's run.
    static void bindMessage(SqliteStatement &insert, const GeneratedMessage &m);

private:
    struct Heard {
        std::int64_t first = INT64_MAX, last = INT64_MIN, times = 0;
        void add(std::int64_t wall);
    };

    void writeMessages(Store &store, const TrafficModel &model, const Progress &progress,
                       Summary &summary);
    void writeRegisters(Store &store, const TrafficModel &model, Summary &summary);
    void writeReference(Store &store, const TrafficModel &model, Summary &summary);
    static void refuseFilledStore(Store &store);

    Options m_options;
    std::vector<Heard> m_pairs;    // by pair
    std::vector<Heard> m_uplinks;  // (registration, "Uplink") by aircraft
    std::vector<Heard> m_aircraft; // by aircraft
    std::vector<std::string> m_logFiles;
};

} // namespace corvane::bench
