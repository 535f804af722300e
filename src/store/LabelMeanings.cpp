#include "LabelMeanings.h"

#include "PgArray.h"
#include "PgConnection.h"
#include "SqliteDb.h"

namespace corvane
{

namespace
{

// Written for listeners: what the label is used for, not a protocol reference.
const std::vector<LabelMeanings::Label> kCommon = {
    {"_d", "No information to transmit (link test)"},
    {"_j", "No information to transmit (link test)"},
    {"00", "Emergency situation report"},
    {"10", "Departure and position report from the aircraft"},
    {"11", "Arrival time estimate from the aircraft"},
    {"12", "Out of the gate report"},
    {"13", "Off the ground report"},
    {"14", "On the ground report"},
    {"15", "In at the gate report"},
    {"16", "Estimated time of arrival or position report"},
    {"17", "Fuel report"},
    {"1L", "Off the ground report with fuel on board"},
    {"1M", "Delay report"},
    {"20", "Delay report"},
    {"21", "Position report"},
    {"22", "Position report with weather"},
    {"23", "Weather observation from the aircraft"},
    {"24", "Fuel and weight report"},
    {"25", "Passenger and cargo load report"},
    {"26", "Flight plan or clearance request"},
    {"27", "Engine report"},
    {"28", "Crew or cabin report"},
    {"29", "Maintenance report"},
    {"2A", "Aircraft performance report"},
    {"2B", "Ground staff request"},
    {"2C", "Cabin defect report"},
    {"2D", "Connecting flight request"},
    {"2E", "Special passenger request"},
    {"2F", "Catering request"},
    {"2G", "Fuel request"},
    {"2H", "Gate request"},
    {"2J", "Medical assistance request"},
    {"2K", "Arrival services request"},
    {"2L", "Landing data request"},
    {"2M", "Maintenance request"},
    {"2N", "Wheelchair request"},
    {"2P", "Baggage report"},
    {"2Q", "Passenger information request"},
    {"2R", "Ramp services request"},
    {"2S", "Security report"},
    {"2T", "Transit request"},
    {"2U", "Upload request"},
    {"2V", "Weather request"},
    {"2W", "Weight and balance request"},
    {"2X", "Crew message to the airline"},
    {"2Y", "Crew schedule request"},
    {"2Z", "Destination information request"},
    {"30", "Airline free text"},
    {"33", "Automatic terminal information (ATIS) request"},
    {"36", "Engine exceedance report"},
    {"37", "Engine data"},
    {"38", "Engine data"},
    {"39", "Engine data"},
    {"3A", "Engine data"},
    {"3B", "Engine trend data"},
    {"3C", "Engine trend data"},
    {"3D", "Engine trend data"},
    {"44", "Position report (position, time and fuel)"},
    {"4A", "Crew sign-on or sign-off"},
    {"4M", "Cargo information"},
    {"4T", "Engine or aircraft data"},
    {"51", "Ground clock request"},
    {"52", "Ground clock request or reply"},
    {"54", "Voice contact request"},
    {"57", "Position and weather report"},
    {"5D", "Automatic terminal information (ATIS) request"},
    {"5R", "Pre-departure clearance request"},
    {"5U", "Weather request"},
    {"5V", "Airport information request"},
    {"5Y", "Revised arrival time"},
    {"5Z", "Airline designated downlink (company message)"},
    {"7A", "Crew sign-on or sign-off"},
    {"7B", "Crew message"},
    {"80", "Free text from the crew (out of range or airline use)"},
    {"81", "Airline designated downlink"},
    {"82", "Airline designated downlink"},
    {"83", "Airline designated downlink"},
    {"84", "Airline designated downlink"},
    {"85", "Airline designated downlink"},
    {"86", "Airline designated downlink"},
    {"87", "Airline designated downlink"},
    {"88", "Airline designated downlink"},
    {"89", "Airline designated downlink"},
    {"8A", "Airline designated downlink"},
    {"8B", "Airline designated downlink"},
    {"8C", "Airline designated downlink"},
    {"8D", "Airline designated downlink"},
    {"8E", "Arrival time and destination report"},
    {"A0", "Air traffic services application message"},
    {"A1", "Oceanic clearance"},
    {"A2", "Unassigned air traffic message"},
    {"A3", "Departure clearance reply"},
    {"A4", "Departure clearance confirmation"},
    {"A5", "Request position report"},
    {"A6", "Request ADS report"},
    {"A7", "Free text from air traffic control"},
    {"A8", "Departure slot"},
    {"A9", "Automatic terminal information (ATIS)"},
    {"AA", "Air traffic control communications"},
    {"AB", "Terminal weather information"},
    {"B1", "Oceanic clearance request"},
    {"B2", "Oceanic clearance readback"},
    {"B3", "Departure clearance request"},
    {"B4", "Departure clearance readback"},
    {"B5", "Position report to air traffic control"},
    {"B6", "ADS report to air traffic control"},
    {"B7", "Free text to air traffic control"},
    {"B8", "Departure slot request"},
    {"B9", "Automatic terminal information (ATIS) request"},
    {"BA", "Air traffic control communications"},
    {"C0", "Uplink to the cockpit printer"},
    {"C1", "Uplink to the cockpit printer"},
    {"C2", "Uplink to the cockpit printer"},
    {"C3", "Uplink to the cockpit printer"},
    {"C4", "Uplink to the cockpit printer"},
    {"C5", "Uplink to the cockpit printer"},
    {"C6", "Uplink to the cockpit printer"},
    {"C7", "Uplink to the cockpit printer"},
    {"C8", "Uplink to the cockpit printer"},
    {"C9", "Uplink to the cockpit printer"},
    {"CA", "Printer status or error"},
    {"CB", "Printer status"},
    {"F3", "Dedicated transceiver advisory"},
    {"H1", "Message to or from an onboard system (flight computer, printer, maintenance)"},
    {"H2", "Meteorological report"},
    {"HX", "Undelineated high speed data"},
    {"M1", "Uplink from the airline to the flight management computer"},
    {"Q0", "Link test"},
    {"Q1", "Departure and arrival report"},
    {"Q2", "Arrival time estimate"},
    {"Q3", "Clock update"},
    {"Q4", "Voice circuit busy"},
    {"Q5", "Unable to deliver an uplink"},
    {"Q6", "Voice to ACARS changeover"},
    {"Q7", "Delay message"},
    {"QA", "Out of the gate report with fuel"},
    {"QB", "Off the ground report"},
    {"QC", "On the ground report"},
    {"QD", "In at the gate report with fuel"},
    {"QE", "Out of the gate report with fuel and destination"},
    {"QF", "Off the ground report with destination"},
    {"QG", "Return to the gate"},
    {"QH", "Out of the gate report"},
    {"QK", "Landing report"},
    {"QL", "Arrival report"},
    {"QM", "Arrival information report"},
    {"QN", "Diversion report"},
    {"QP", "Out of the gate report"},
    {"QQ", "Off the ground report"},
    {"QR", "On the ground report"},
    {"QS", "In at the gate report"},
    {"QT", "Out and return to the gate report"},
    {"QX", "Intercept or unable to process"},
    {"RA", "Uplink to the cockpit printer or display"},
    {"RB", "Response to an uplink"},
    {"S1", "Network statistics report"},
    {"SA", "Link status: a ground station or media change"},
    {"SQ", "Ground station squitter (the station announces itself)"},
    {"X1", "Service provider message"},
};

} // namespace

const std::vector<LabelMeanings::Label> &LabelMeanings::common()
{
    return kCommon;
}

void LabelMeanings::fillWhenEmpty(SqliteDb &alerts)
{
    SqliteStatement any(alerts, "SELECT 1 FROM LABELS LIMIT 1");
    if (any.step())
        return;
    SqliteStatement insert(alerts, "INSERT INTO LABELS (CODE, MESSAGE) VALUES (?, ?)");
    for (const Label &label : kCommon) {
        insert.bind(1, QByteArray(label.code));
        insert.bind(2, QByteArray(label.meaning));
        insert.run();
    }
}

void LabelMeanings::fillWhenEmpty(PgConnection &server)
{
    if (server.query("SELECT 1 FROM LABELS LIMIT 1").rows() > 0)
        return;
    PgArray codes, meanings;
    for (const Label &label : kCommon) {
        codes.add(QByteArray(label.code));
        meanings.add(QByteArray(label.meaning));
    }
    server.query("INSERT INTO LABELS (CODE, MESSAGE) SELECT * FROM unnest($1::text[], $2::text[])",
                 {codes.text(), meanings.text()});
}

} // namespace corvane
