#pragma once

#include "MessageView.h"
#include "RowIdList.h"

#include <QByteArray>
#include <vector>

namespace corvane
{

// What showing a message view needs worked out first: its row count and, for
// an order no index delivers, its row ids in that order. Worked out on any
// connection to the store, then handed to the pager that shows it.
struct ComputedView {
    MessageView view;
    qint64 count = 0;
    bool byIds = false; // rows are read by the ids below
    RowIdList ids;
    // For the time order: how many of the view's rows come before each hour
    // holding any, from the kept hourly counts, so a page anywhere in the
    // view is reached by seeking its hour instead of stepping over every row
    // before it. Empty when the counts do not add up to the view's count.
    struct HourMark {
        QByteArray hour; // "YYYY-MM-DD HH", as the stored times begin
        qint64 before = 0;
    };
    std::vector<HourMark> hours;
};

} // namespace corvane
