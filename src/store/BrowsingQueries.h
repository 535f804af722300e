#pragma once

#include "TablePager.h"

namespace corvane
{

// The paged queries behind the register grids, the aircraft explorer and
// the aircraft-by-operator list.
class BrowsingQueries
{
public:
    enum PairColumn { PairRegistration, PairFlight, PairFirst, PairLast, PairTimes, PairColumns };
    enum AircraftColumn { HeardRegistration, HeardFirst, HeardLast, HeardTimes, HeardColumns };
    enum ExplorerColumn {
        ExplorerReg,
        ExplorerCarrier,
        ExplorerType,
        ExplorerSerial,
        ExplorerHeard,
        ExplorerColumns
    };
    enum ByOperatorColumn {
        OperatorReg,
        OperatorType,
        OperatorSerial,
        OperatorHeard,
        OperatorColumns
    };

    // Every heard pair, by registration or, after a header click, ascending
    // by the column's field.
    static PagedQuery heardPairs(int sortColumn = -1);
    // Every heard aircraft, in table order or ascending by a column's field.
    static PagedQuery heardAircraft(int sortColumn = -1);
    // Every aircraft, by registration.
    static PagedQuery allAircraft();
    // The aircraft of one operator code, by registration.
    static PagedQuery aircraftOf(const QString &carrierCode);
    // The same columns, and no rows.
    static PagedQuery noAircraft();
};

} // namespace corvane
