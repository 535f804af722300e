#include "TableGridModel.h"

#include "store/MessageTime.h"

#include <QPainter>
#include <limits>

namespace corvane
{

TableGridModel::TableGridModel(Store &store, std::vector<Column> columns, QObject *parent)
    : QAbstractTableModel(parent), m_columns(std::move(columns)), m_pager(store),
      m_heard(heardPicture(true)), m_notHeard(heardPicture(false))
{
}

void TableGridModel::setQuery(const PagedQuery &query)
{
    beginResetModel();
    m_pager.setQuery(query);
    endResetModel();
}

void TableGridModel::reload()
{
    setQuery(m_pager.query());
}

QString TableGridModel::field(int row, int column) const
{
    const TableRow *r = m_pager.row(row);
    return r && column >= 0 && column < r->fields.size() ? r->fields[column] : QString();
}

int TableGridModel::lowerBound(const QString &value)
{
    return int(std::min<qint64>(m_pager.lowerBound(value), std::numeric_limits<int>::max()));
}

int TableGridModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    return int(std::min<qint64>(m_pager.rowCount(), std::numeric_limits<int>::max()));
}

int TableGridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

bool TableGridModel::isHeard(const QString &stored)
{
    // Files from the old program hold -1 for a heard aircraft.
    return !stored.isEmpty() && stored != QLatin1String("0");
}

QVariant TableGridModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.column() >= columnCount())
        return {};
    const Kind kind = m_columns[size_t(index.column())].kind;
    const QString value = field(index.row(), index.column());
    switch (kind) {
    case Kind::Heard:
        if (role == Qt::DecorationRole)
            return isHeard(value) ? m_heard : m_notHeard;
        if (role == Qt::ToolTipRole)
            return isHeard(value) ? QStringLiteral("Heard") : QStringLiteral("Not heard");
        return {};
    case Kind::Time:
        if (role == Qt::DisplayRole) {
            const auto time = MessageTime::fromStorage(value);
            return time ? time->toGeneralDate() : value;
        }
        return {};
    case Kind::Number:
        if (role == Qt::TextAlignmentRole)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        return role == Qt::DisplayRole ? QVariant(value) : QVariant();
    case Kind::Text:
        break;
    }
    return role == Qt::DisplayRole ? QVariant(value) : QVariant();
}

QVariant TableGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= columnCount())
        return QAbstractTableModel::headerData(section, orientation, role);
    return m_columns[size_t(section)].caption;
}

QPixmap TableGridModel::heardPicture(bool heard)
{
    // A filled green disc for heard, an empty grey ring for not heard.
    QPixmap picture(14, 14);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    if (heard) {
        p.setPen(QPen(QColor(0, 110, 40), 1));
        p.setBrush(QColor(40, 170, 70));
    } else {
        p.setPen(QPen(QColor(140, 140, 140), 1.5));
        p.setBrush(Qt::NoBrush);
    }
    p.drawEllipse(QRectF(2, 2, 10, 10));
    return picture;
}

} // namespace corvane
