#include "MessageGridModel.h"

#include "store/MessageTime.h"
#include "store/StoreError.h"

#include <limits>

namespace corvane
{

MessageGridModel::MessageGridModel(Store &store, QObject *parent)
    : QAbstractTableModel(parent), m_pager(store), m_worker(store)
{
    // Called on the worker's thread; the result is taken on this one.
    m_worker.onReady = [this] {
        QMetaObject::invokeMethod(
            this, [this] { applyReady(); }, Qt::QueuedConnection);
    };
}

void MessageGridModel::setView(const MessageView &view, std::function<void()> applied)
{
    m_requested = view;
    m_applied = std::move(applied);
    m_worker.request(view);
    if (m_worker.waitForLatest(m_quickWaitMs))
        applyReady();
    else
        setWorking(true);
}

void MessageGridModel::reload(std::function<void()> applied)
{
    setView(m_requested, std::move(applied));
}

void MessageGridModel::applyReady()
{
    std::optional<MessageViewWorker::Result> result = m_worker.takeLatest();
    if (!result)
        return; // taken already, or replaced by a newer request
    setWorking(m_worker.isBusy());
    if (!result->error.isEmpty()) {
        m_applied = nullptr;
        emit viewFailed(result->error);
        return;
    }
    beginResetModel();
    try {
        m_pager.adopt(std::move(result->computed));
    } catch (const StoreError &e) {
        endResetModel();
        m_applied = nullptr;
        emit viewFailed(e.message());
        return;
    }
    endResetModel();
    if (const auto applied = std::exchange(m_applied, nullptr))
        applied();
}

void MessageGridModel::setWorking(bool working)
{
    if (working == m_working)
        return;
    m_working = working;
    emit workingChanged(working);
}

qint64 MessageGridModel::rowId(int row)
{
    const MessageRow *r = m_pager.row(row);
    return r ? r->rowid : 0;
}

int MessageGridModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    // A view larger than a grid can address shows its first rows.
    return int(std::min<qint64>(m_pager.rowCount(), std::numeric_limits<int>::max()));
}

int MessageGridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : MessageView::ColumnCount;
}

QVariant MessageGridModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return {};
    // The text and the file name may be cut in their columns: their tips
    // show them whole.
    if (role == Qt::ToolTipRole && index.column() != MessageView::Text &&
        index.column() != MessageView::FileName)
        return {};
    const MessageRow *row = m_pager.row(index.row());
    if (!row)
        return {};
    const QString &value = row->fields[size_t(index.column())];
    if (role == Qt::DisplayRole && index.column() == MessageView::Text) {
        // The grid shows the text on one line; the detail panel shows it whole.
        QString flat = value.left(400);
        flat.replace(QLatin1Char('\r'), QLatin1Char(' '));
        flat.replace(QLatin1Char('\n'), QLatin1Char(' '));
        return flat;
    }
    if (role == Qt::DisplayRole && index.column() == MessageView::Time) {
        // Stored as "YYYY-MM-DD HH:MM:SS"; shown day first, as everywhere else.
        const auto time = MessageTime::fromStorage(value);
        return time ? time->toGeneralDate() : value;
    }
    return value;
}

QVariant MessageGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    // The tip shows a caption the column's width cuts.
    if (orientation != Qt::Horizontal || (role != Qt::DisplayRole && role != Qt::ToolTipRole) ||
        section < 0 || section >= MessageView::ColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    return QString::fromLatin1(MessageView::columns()[size_t(section)].caption);
}

} // namespace corvane
