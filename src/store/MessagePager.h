#pragma once

#include "ComputedView.h"
#include "MessageView.h"

#include <QString>
#include <array>
#include <deque>
#include <map>
#include <memory>
#include <vector>

namespace corvane
{

class Store;
class StoreStatement;

// One message as the grid shows it.
struct MessageRow {
    qint64 rowid = 0;
    std::array<QString, MessageView::ColumnCount> fields;
};

// Reads the rows of a message view in pages, keeping only a few pages in
// memory, so a view of any size costs the same to show. A page in the first
// half of the view is read forwards, one in the second half backwards from
// the end, so the last row is as quick to reach as the first.
//
// An order no index delivers (mode, text, label, ...) is sorted once when the
// view is set, keeping only the row ids; pages then read rows by id.
class MessagePager
{
public:
    static constexpr int kPageSize = 500;

    explicit MessagePager(Store &store, int cachedPages = 8);
    ~MessagePager();
    MessagePager(const MessagePager &) = delete;
    MessagePager &operator=(const MessagePager &) = delete;

    // Counts the view's rows and forgets every page read before.
    void setView(const MessageView &view);
    // Works out a view's count and order on any connection to the store
    // (another thread's too), for adopt() to show.
    static ComputedView compute(Store &store, const MessageView &view);
    // Shows a view worked out before, forgetting every page read.
    void adopt(ComputedView &&computed);
    // Reads the same view again (after new messages were stored).
    void reload() { setView(m_view); }
    const MessageView &view() const { return m_view; }
    qint64 rowCount() const { return m_count; }

    // The row at a position of the view; null past the end.
    const MessageRow *row(qint64 index);
    int cachedPageCount() const { return int(m_pages.size()); }

private:
    const std::vector<MessageRow> &page(qint64 number);
    std::vector<MessageRow> readPage(qint64 first, qint64 count);
    static MessageRow readRow(StoreStatement &st);
    static std::vector<ComputedView::HourMark> hourMarks(Store &store, const MessageView &view,
                                                         qint64 count);
    static std::vector<ComputedView::HourMark> keptHours(Store &store, const MessageView &view,
                                                         qint64 &total);
    static void readIds(Store &store, const MessageView &view, RowIdList &ids);
    std::vector<MessageRow> seekPage(qint64 first, qint64 count);
    std::vector<MessageRow> pageOfIds(qint64 first, qint64 count);

    Store &m_store;
    int m_cachedPages;
    MessageView m_view;
    qint64 m_count = 0;
    RowIdList m_order; // row ids, for an order no index delivers
    std::unique_ptr<StoreStatement> m_forward;
    std::unique_ptr<StoreStatement> m_backward;
    std::unique_ptr<StoreStatement> m_byId;
    std::unique_ptr<StoreStatement> m_seek; // ascending time from an hour on
    std::vector<ComputedView::HourMark> m_hours;
    std::map<qint64, std::vector<MessageRow>> m_pages;
    std::deque<qint64> m_recent; // page numbers, most recent last
};

} // namespace corvane
