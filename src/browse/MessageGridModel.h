#pragma once

#include "store/MessagePager.h"
#include "store/MessageViewWorker.h"

#include <QAbstractTableModel>
#include <functional>

namespace corvane
{

// The message grid's model: the current message view, read a page at a time
// as the grid asks for rows.
//
// A new view is worked out (counted, and sorted when no index gives its
// order) off the window's thread. A quick one is shown at once; a slow one
// leaves the old rows in place, reports working() meanwhile and is shown
// when ready, unless a newer view has been asked for since.
class MessageGridModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit MessageGridModel(Store &store, QObject *parent = nullptr);

    // applied runs once the view is shown (at once for a quick one); not at
    // all when a newer view replaces it or it fails.
    void setView(const MessageView &view, std::function<void()> applied = {});
    // Works out the latest requested view again (after new messages).
    void reload(std::function<void()> applied = {});
    // The view shown, and the one asked for last (the same unless working).
    const MessageView &view() const { return m_pager.view(); }
    const MessageView &requestedView() const { return m_requested; }
    bool isWorking() const { return m_working; }
    // How long setView() waits for a view before showing the old rows.
    void setQuickWait(int ms) { m_quickWaitMs = ms; }
    // The worker, for tests that need a view to take its time.
    MessageViewWorker &worker() { return m_worker; }

    qint64 recordCount() const { return m_pager.rowCount(); }
    // The stored row id of a grid row, 0 when there is none.
    qint64 rowId(int row);
    const MessageRow *messageAt(int row) { return m_pager.row(row); }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

signals:
    void workingChanged(bool working);
    void viewFailed(const QString &why);

private:
    void applyReady();
    void setWorking(bool working);

    mutable MessagePager m_pager;
    MessageViewWorker m_worker;
    MessageView m_requested;
    std::function<void()> m_applied;
    bool m_working = false;
    int m_quickWaitMs = 150;
};

} // namespace corvane
