#pragma once

#include "store/MessagePager.h"

#include <QAbstractTableModel>

namespace corvane
{

// The message grid's model: the current message view, read a page at a time
// as the grid asks for rows.
class MessageGridModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit MessageGridModel(Store &store, QObject *parent = nullptr);

    void setView(const MessageView &view);
    void reload();
    const MessageView &view() const { return m_pager.view(); }
    qint64 recordCount() const { return m_pager.rowCount(); }
    // The stored row id of a grid row, 0 when there is none.
    qint64 rowId(int row);
    const MessageRow *messageAt(int row) { return m_pager.row(row); }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    mutable MessagePager m_pager;
};

} // namespace corvane
