#include "HeaderSort.h"

#include <QHeaderView>

namespace corvane
{

HeaderSort::HeaderSort(QHeaderView &header) : QObject(&header), m_header(header)
{
    m_header.setSortIndicatorShown(true);
    m_header.setSortIndicator(-1, Qt::AscendingOrder);
}

bool HeaderSort::click(int column)
{
    m_descending = column == m_column && !m_descending;
    m_column = column;
    // The header flips its own indicator on a click; this one decides.
    m_header.setSortIndicator(column, m_descending ? Qt::DescendingOrder : Qt::AscendingOrder);
    return m_descending;
}

void HeaderSort::reset(int column)
{
    m_column = -1;
    m_descending = false;
    m_header.setSortIndicator(column, Qt::AscendingOrder);
}

} // namespace corvane
