#pragma once

#include "store/TablePager.h"

#include <QAbstractTableModel>
#include <QPixmap>
#include <vector>

namespace corvane
{

// A grid's model over a paged table: the register grids, the aircraft
// explorer and the aircraft-by-operator list. Rows are read a page at a
// time as the grid asks for them.
class TableGridModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    // How a column shows its field.
    enum class Kind { Text, Time, Number, Heard };
    struct Column {
        QString caption;
        Kind kind = Kind::Text;
    };

    TableGridModel(Store &store, std::vector<Column> columns, QObject *parent = nullptr);

    void setQuery(const PagedQuery &query);
    void reload();
    const PagedQuery &query() const { return m_pager.query(); }
    qint64 recordCount() const { return m_pager.rowCount(); }
    // The stored text of a cell; empty past the end.
    QString field(int row, int column) const;
    // The first row whose order field is not below the text.
    int lowerBound(const QString &value);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // The pictures of the "Heard?" column.
    static QPixmap heardPicture(bool heard);
    static bool isHeard(const QString &stored);

private:
    std::vector<Column> m_columns;
    mutable TablePager m_pager;
    QPixmap m_heard;
    QPixmap m_notHeard;
};

} // namespace corvane
