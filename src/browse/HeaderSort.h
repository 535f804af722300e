#pragma once

#include <QObject>

class QHeaderView;

namespace corvane
{

// The sort a grid's header clicks ask for: the first click on a column sorts
// it ascending, a second click on the same column descending, and so on.
// The header shows the sorted column's indicator; a view that is not a
// column sort (a filter, the start) shows the column its order follows.
class HeaderSort : public QObject
{
    Q_OBJECT
public:
    explicit HeaderSort(QHeaderView &header);

    // The direction for a click on column, remembered and shown.
    bool click(int column);
    // Forgets the last click; the indicator shows column ascending, or
    // nothing for a negative column.
    void reset(int column);

private:
    QHeaderView &m_header;
    int m_column = -1;
    bool m_descending = false;
};

} // namespace corvane
