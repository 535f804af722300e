#pragma once

#include <QtGlobal>
#include <cstdint>
#include <vector>

namespace corvane
{

// The row ids of a sorted view, in order. Ids that fit 32 bits (every store
// below four billion rows) take four bytes each, so the order of ten million
// messages holds in 40 MB; a larger id widens the list once.
class RowIdList
{
public:
    void reserve(qint64 count);
    void append(qint64 id);
    qint64 at(qint64 index) const
    {
        return m_wide ? m_wideIds[size_t(index)] : qint64(m_narrowIds[size_t(index)]);
    }
    qint64 size() const { return qint64(m_wide ? m_wideIds.size() : m_narrowIds.size()); }
    bool isEmpty() const { return size() == 0; }
    bool isWide() const { return m_wide; }
    // Frees what append() reserved beyond the last id.
    void trim();
    void clear();

private:
    void widen();

    bool m_wide = false;
    std::vector<std::uint32_t> m_narrowIds;
    std::vector<qint64> m_wideIds;
};

} // namespace corvane
