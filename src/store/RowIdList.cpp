#include "RowIdList.h"

#include <limits>

namespace corvane
{

void RowIdList::reserve(qint64 count)
{
    if (count <= 0)
        return;
    if (m_wide)
        m_wideIds.reserve(size_t(count));
    else
        m_narrowIds.reserve(size_t(count));
}

void RowIdList::append(qint64 id)
{
    if (!m_wide && (id < 0 || id > qint64(std::numeric_limits<std::uint32_t>::max())))
        widen();
    if (m_wide)
        m_wideIds.push_back(id);
    else
        m_narrowIds.push_back(std::uint32_t(id));
}

void RowIdList::widen()
{
    m_wideIds.reserve(m_narrowIds.capacity());
    m_wideIds.assign(m_narrowIds.begin(), m_narrowIds.end());
    m_narrowIds = {};
    m_wide = true;
}

void RowIdList::trim()
{
    // Only worth a copy when much was reserved in vain.
    if (m_wide ? m_wideIds.capacity() > m_wideIds.size() + m_wideIds.size() / 8
               : m_narrowIds.capacity() > m_narrowIds.size() + m_narrowIds.size() / 8) {
        m_wideIds.shrink_to_fit();
        m_narrowIds.shrink_to_fit();
    }
}

void RowIdList::clear()
{
    m_wide = false;
    m_narrowIds = {};
    m_wideIds = {};
}

} // namespace corvane
