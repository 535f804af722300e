#include "RegisterBrowser.h"

#include "AircraftDetailDialog.h"
#include "HeaderSort.h"
#include "MessageGridModel.h"
#include "TableGridModel.h"
#include "app/Dialogs.h"
#include "app/MainWindow.h"
#include "core/PhotoSearch.h"
#include "recording/RecorderThread.h"
#include "store/BrowsingQueries.h"
#include "store/MessageDeletion.h"
#include "store/MessageRecorder.h"
#include "store/StoreError.h"

#include <QAction>
#include <QComboBox>
#include <QHeaderView>
#include <QMenu>
#include <QPointer>
#include <QScrollBar>
#include <QTableView>
#include <utility>

namespace corvane
{

namespace
{

using Kind = TableGridModel::Kind;

void setUpGrid(QTableView *grid, TableGridModel *model, const QString &tip)
{
    grid->setModel(model);
    grid->setToolTip(tip);
    grid->setWordWrap(false);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->horizontalHeader()->setSectionsClickable(true);
    grid->horizontalHeader()->setHighlightSections(false);
    grid->verticalHeader()->hide();
    grid->setContextMenuPolicy(Qt::CustomContextMenu);
}

QAction *addItem(QMenu *menu, const char *name, const QString &caption)
{
    QAction *action = menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

} // namespace

RegisterBrowser::RegisterBrowser(MainWindow &window, Store &store, RecorderThread &recorder)
    : m_window(window), m_store(store), m_recorder(recorder)
{
    setUpPairGrid();
    setUpAircraftGrid();
    setUpMessageMenu();
    // After each log and live pass, and after a deletion: the registers are
    // read again, keeping their sorts (a deletion drops them first).
    window.refreshViews = [this, previous = window.refreshViews] {
        reloadRegisters();
        if (previous)
            previous();
    };
    m_ownOrderNext = true;
    reloadRegisters();
}

RegisterBrowser::~RegisterBrowser()
{
    // A deletion's job reports back to this object.
    if (m_pendingDeletions > 0)
        m_recorder.drain();
}

void RegisterBrowser::setUpPairGrid()
{
    m_pairs = new TableGridModel(m_store,
                                 {{QStringLiteral("Registration"), Kind::Text},
                                  {QStringLiteral("Flight"), Kind::Text},
                                  {QStringLiteral("First Heard"), Kind::Time},
                                  {QStringLiteral("Last Heard"), Kind::Time},
                                  {QStringLiteral("Times Heard"), Kind::Number}},
                                 this);
    QTableView *grid = m_window.pairGrid();
    setUpGrid(grid, m_pairs,
              QStringLiteral("Click on the column headings to sort the table by that column. "
                             "Select and right-click a record to delete it."));
    grid->horizontalHeader()->resizeSection(BrowsingQueries::PairFirst, 140);
    grid->horizontalHeader()->resizeSection(BrowsingQueries::PairLast, 140);

    m_pairMenu = new QMenu(QStringLiteral("From Unique"), grid);
    m_pairMenu->setObjectName(QStringLiteral("mnuFromUnique"));
    connect(addItem(m_pairMenu, "mnuFromUniqueDelete", QStringLiteral("Delete")),
            &QAction::triggered, this, &RegisterBrowser::deleteCurrentPair);
    connect(addItem(m_pairMenu, "mnuFromUniquePic", QStringLiteral("See Picture of this aircraft")),
            &QAction::triggered, this,
            [this, grid] { showPhoto(m_pairs->field(grid->currentIndex().row(), 0)); });

    m_pairSort = new HeaderSort(*grid->horizontalHeader());
    connect(grid->horizontalHeader(), &QHeaderView::sectionClicked, this,
            &RegisterBrowser::sortPairs);
    connect(grid, &QWidget::customContextMenuRequested, this, [this, grid](const QPoint &pos) {
        rightButton(grid, m_pairMenu, grid->viewport()->mapToGlobal(pos));
    });
    connect(grid, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex &index) { openPairDetail(index.row()); });
}

void RegisterBrowser::setUpAircraftGrid()
{
    m_aircraft = new TableGridModel(m_store,
                                    {{QStringLiteral("Registration"), Kind::Text},
                                     {QStringLiteral("First Heard"), Kind::Time},
                                     {QStringLiteral("Last Heard"), Kind::Time},
                                     {QStringLiteral("Times Heard"), Kind::Number}},
                                    this);
    QTableView *grid = m_window.aircraftGrid();
    setUpGrid(grid, m_aircraft,
              QStringLiteral("Click on the column headings to sort the table by that column"));
    grid->horizontalHeader()->resizeSection(BrowsingQueries::HeardFirst, 140);
    grid->horizontalHeader()->resizeSection(BrowsingQueries::HeardLast, 140);

    m_aircraftMenu = new QMenu(QStringLiteral("From Unique Aircraft"), grid);
    m_aircraftMenu->setObjectName(QStringLiteral("mnuFromUniqueAircraft"));
    connect(addItem(m_aircraftMenu, "mnuFromUniqueAircraftPic",
                    QStringLiteral("See picture of this aircraft")),
            &QAction::triggered, this,
            [this, grid] { showPhoto(m_aircraft->field(grid->currentIndex().row(), 0)); });

    m_aircraftSort = new HeaderSort(*grid->horizontalHeader());
    connect(grid->horizontalHeader(), &QHeaderView::sectionClicked, this,
            &RegisterBrowser::sortAircraft);
    connect(grid, &QWidget::customContextMenuRequested, this, [this, grid](const QPoint &pos) {
        rightButton(grid, m_aircraftMenu, grid->viewport()->mapToGlobal(pos));
    });
    connect(grid, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex &index) { openAircraftDetail(index.row()); });
}

void RegisterBrowser::setUpMessageMenu()
{
    QTableView *grid = m_window.messageGrid();
    if (auto *remove = grid->findChild<QAction *>(QStringLiteral("mnuFromAllDelete"))) {
        remove->setEnabled(true);
        connect(remove, &QAction::triggered, this, &RegisterBrowser::deleteCurrentMessage);
    }
    if (auto *picture = grid->findChild<QAction *>(QStringLiteral("mnuFromAllPic"))) {
        picture->setEnabled(true);
        connect(picture, &QAction::triggered, this,
                [this] { showPhoto(currentMessageRegistration()); });
    }
}

void RegisterBrowser::reloadRegisters()
{
    const bool ownOrder = std::exchange(m_ownOrderNext, false);
    if (ownOrder) {
        m_pairSort->reset(BrowsingQueries::PairRegistration);
        m_aircraftSort->reset(BrowsingQueries::HeardRegistration);
    }
    try {
        m_pairs->setQuery(ownOrder ? BrowsingQueries::heardPairs() : m_pairs->query());
        m_aircraft->setQuery(ownOrder ? BrowsingQueries::heardAircraft() : m_aircraft->query());
    } catch (const StoreError &e) {
        Dialogs::critical(&m_window, e.message());
    }
}

void RegisterBrowser::sortPairs(int column)
{
    try {
        PagedQuery query = BrowsingQueries::heardPairs(column);
        query.descending = m_pairSort->click(column);
        m_pairs->setQuery(query);
        showFirstRow(m_window.pairGrid());
    } catch (const StoreError &e) {
        Dialogs::critical(&m_window, e.message());
    }
}

void RegisterBrowser::sortAircraft(int column)
{
    try {
        PagedQuery query = BrowsingQueries::heardAircraft(column);
        query.descending = m_aircraftSort->click(column);
        m_aircraft->setQuery(query);
        showFirstRow(m_window.aircraftGrid());
    } catch (const StoreError &e) {
        Dialogs::critical(&m_window, e.message());
    }
}

void RegisterBrowser::showFirstRow(QTableView *grid)
{
    grid->scrollToTop();
    grid->horizontalScrollBar()->setValue(0);
}

bool RegisterBrowser::rightButton(QTableView *grid, QMenu *menu, const QPoint &globalPos)
{
    if (!grid->currentIndex().isValid()) {
        Dialogs::information(&m_window, QStringLiteral("Please select a record"));
        return false;
    }
    menu->popup(globalPos);
    return true;
}

void RegisterBrowser::refreshViews()
{
    m_ownOrderNext = true;
    if (m_window.refreshViews)
        m_window.refreshViews();
    // Every message again, as after "All records".
    m_window.filterType()->setCurrentIndex(0);
    if (m_window.onFilterTypeChanged)
        m_window.onFilterTypeChanged(0);
}

QString RegisterBrowser::currentMessageRegistration() const
{
    QTableView *grid = m_window.messageGrid();
    auto *model = qobject_cast<MessageGridModel *>(grid->model());
    const MessageRow *row = model && grid->currentIndex().isValid()
                                ? model->messageAt(grid->currentIndex().row())
                                : nullptr;
    return row ? row->fields[MessageView::Reg] : QString();
}

void RegisterBrowser::deleteCurrentMessage()
{
    QTableView *grid = m_window.messageGrid();
    auto *model = qobject_cast<MessageGridModel *>(grid->model());
    const qint64 rowid =
        model && grid->currentIndex().isValid() ? model->rowId(grid->currentIndex().row()) : 0;
    if (rowid <= 0) {
        Dialogs::information(&m_window, QStringLiteral("Please select a record"));
        return;
    }
    submitDeletion([rowid](MessageDeletion &deletion) { return deletion.deleteMessage(rowid); });
}

void RegisterBrowser::deleteCurrentPair()
{
    const int row = m_window.pairGrid()->currentIndex().row();
    if (row < 0) {
        Dialogs::information(&m_window, QStringLiteral("Please select a record"));
        return;
    }
    const QString reg = m_pairs->field(row, BrowsingQueries::PairRegistration);
    const QString flight = m_pairs->field(row, BrowsingQueries::PairFlight);
    submitDeletion(
        [reg, flight](MessageDeletion &deletion) { return deletion.deletePair(reg, flight); });
}

void RegisterBrowser::submitDeletion(std::function<bool(MessageDeletion &)> work)
{
    if (!m_recorder.isRunning()) {
        Dialogs::critical(&m_window, QStringLiteral("The store is not open for writing."));
        return;
    }
    ++m_pendingDeletions;
    m_recorder.submit([this, work = std::move(work)](RecorderJobContext &context) {
        bool deleted = false;
        QString error;
        try {
            // The deletion is a transaction of its own, after whatever the
            // recorder still holds.
            context.recorder.commitBatch();
            MessageDeletion deletion(context.store());
            deleted = work(deletion);
        } catch (const StoreError &e) {
            error = e.message();
        }
        RecorderThread::post(this, [this, deleted, error] { deletionEnded(deleted, error); });
    });
}

void RegisterBrowser::deletionEnded(bool deleted, const QString &error)
{
    --m_pendingDeletions;
    if (!error.isEmpty()) {
        Dialogs::critical(&m_window, QStringLiteral("The record was not deleted: ") + error);
        emit deletionFinished();
        return;
    }
    refreshViews();
    Dialogs::information(&m_window, deleted ? QStringLiteral("Record deleted")
                                            : QStringLiteral("The record was already deleted."));
    emit deletionFinished();
}

void RegisterBrowser::openPairDetail(int row)
{
    if (row < 0)
        return;
    m_window.strSelectedReg = m_pairs->field(row, BrowsingQueries::PairRegistration);
    AircraftDetailDialog::RowFields fields;
    fields.flightNo = m_pairs->field(row, BrowsingQueries::PairFlight);
    AircraftDetailDialog::open(&m_window, m_store, AircraftDetailDialog::Source::Pair,
                               m_window.strSelectedReg, fields, beforeDialog);
}

void RegisterBrowser::openAircraftDetail(int row)
{
    if (row < 0)
        return;
    m_window.strSelectedReg = m_aircraft->field(row, BrowsingQueries::HeardRegistration);
    AircraftDetailDialog::open(&m_window, m_store, AircraftDetailDialog::Source::Aircraft,
                               m_window.strSelectedReg, {}, beforeDialog);
}

void RegisterBrowser::showPhoto(const QString &registration)
{
    if (registration.trimmed().isEmpty()) {
        Dialogs::information(&m_window, QStringLiteral("Please select a record"));
        return;
    }
    const QString pattern = m_window.settings().photoSearch();
    const QUrl address = PhotoSearch::address(pattern, registration);
    if (!address.isValid()) {
        Dialogs::information(&m_window,
                             QStringLiteral("The photo search address \"%1\" is not a web address. "
                                            "Change the setting PhotoSearch.")
                                 .arg(pattern));
        return;
    }
    if (!Dialogs::openUrl(address))
        Dialogs::information(
            &m_window, QStringLiteral("No web browser could open %1").arg(address.toString()));
}

} // namespace corvane
