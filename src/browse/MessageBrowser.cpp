#include "MessageBrowser.h"

#include "HeaderSort.h"
#include "MessageGridModel.h"
#include "PickDateDialog.h"
#include "app/Dialogs.h"
#include "app/MainWindow.h"
#include "core/MessageTextFile.h"
#include "store/FilterChoices.h"
#include "store/Store.h"
#include "store/StoreError.h"
#include "store/StoreFigures.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QResizeEvent>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QStyle>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>

#include <array>

namespace corvane
{

namespace
{

// The hourglass for as long as the object lives.
struct WaitCursor {
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

// Counts in the window carry the locale's digit grouping.
QString countText(qint64 count)
{
    return QLocale().toString(count);
}

} // namespace

qint64 MessageBrowser::currentMessage() const
{
    const QModelIndex current = m_window.messageGrid()->currentIndex();
    return current.isValid() ? m_model->rowId(current.row()) : 0;
}

MessageBrowser::MessageBrowser(MainWindow &window, Store &store) : m_window(window), m_store(store)
{
    m_model = new MessageGridModel(store, this);
    QTableView *grid = window.messageGrid();
    grid->setModel(m_model);
    grid->setWordWrap(false);
    grid->horizontalHeader()->setSectionsClickable(true);
    grid->horizontalHeader()->setHighlightSections(false);
    // A caption cut by a narrow column still shows its start.
    grid->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    grid->horizontalHeader()->resizeSection(MessageView::Time, 140);
    grid->horizontalHeader()->resizeSection(MessageView::Text, 420);
    grid->verticalHeader()->hide();
    grid->setContextMenuPolicy(Qt::CustomContextMenu);
    m_sort = new HeaderSort(*grid->horizontalHeader());
    // The grid lays out new rows after the reload; a follower stays at the end.
    connect(grid->verticalScrollBar(), &QScrollBar::rangeChanged, this, [this](int, int maximum) {
        if (m_following)
            m_window.messageGrid()->verticalScrollBar()->setValue(maximum);
    });
    connect(grid->verticalScrollBar(), &QScrollBar::actionTriggered, this,
            [this] { m_following = false; });
    grid->installEventFilter(this);
    grid->viewport()->installEventFilter(this);
    connect(grid->horizontalHeader(), &QHeaderView::sectionResized, this, [this](int column) {
        if (!m_sizingColumns && column != MessageView::Text)
            m_columnsSizedByUser = true;
    });

    m_contextMenu = new QMenu(QStringLiteral("From All"), grid);
    m_contextMenu->setObjectName(QStringLiteral("mnuFromAll"));
    // Both items belong to the heard-register work, which enables them.
    QAction *remove = m_contextMenu->addAction(QStringLiteral("Delete"));
    remove->setObjectName(QStringLiteral("mnuFromAllDelete"));
    remove->setEnabled(false);
    QAction *picture = m_contextMenu->addAction(QStringLiteral("See picture of this aircraft"));
    picture->setObjectName(QStringLiteral("mnuFromAllPic"));
    picture->setEnabled(false);

    connect(grid->horizontalHeader(), &QHeaderView::sectionClicked, this,
            &MessageBrowser::sortByColumn);
    connect(grid, &QWidget::customContextMenuRequested, this,
            [this, grid](const QPoint &pos) { rightButton(grid->viewport()->mapToGlobal(pos)); });
    connect(grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) {
                if (onCurrentMessageChanged)
                    onCurrentMessageChanged(current.isValid() ? m_model->rowId(current.row()) : 0);
            });
    connect(grid, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex &index) {
        if (onMessageDoubleClicked && index.isValid())
            onMessageDoubleClicked(m_model->rowId(index.row()));
    });

    QComboBox *value = window.filterValue();
    value->setInsertPolicy(QComboBox::NoInsert);
    // A value is picked from the list or typed and confirmed with Enter; the
    // box itself reports a typed value only when it is in its list.
    connect(value, &QComboBox::activated, this, [this, value](int) {
        m_valueJustPicked = true;
        QTimer::singleShot(0, this, [this] { m_valueJustPicked = false; });
        pickFilterValue(value->currentText());
    });
    connect(value->lineEdit(), &QLineEdit::returnPressed, this, [this, value] {
        if (!m_valueJustPicked)
            pickFilterValue(value->currentText());
        m_valueJustPicked = false;
    });

    // Choosing a type reaches the window's hook; choosing the type already
    // shown repeats its step.
    window.onFilterTypeChanged = [this](int type) {
        m_typeJustChanged = true;
        chooseFilterType(type);
        // Cleared only after the step: the date picker runs its own event
        // loop, and the box's "activated" for this same choice follows it.
        QTimer::singleShot(0, this, [this] { m_typeJustChanged = false; });
    };
    connect(window.filterType(), &QComboBox::activated, this, [this](int type) {
        if (!m_typeJustChanged)
            chooseFilterType(type);
        m_typeJustChanged = false;
    });

    QLineEdit *searchBox = window.searchBox();
    connect(searchBox, &QLineEdit::returnPressed, this,
            [this, searchBox] { search(searchBox->text()); });
    searchBox->installEventFilter(this);

    connect(window.tabs(), &QTabWidget::currentChanged, this, &MessageBrowser::tabChanged);
    connect(window.textFileButton(), &QPushButton::clicked, this, &MessageBrowser::writeTextFile);
    connect(window.clearNewButton(), &QPushButton::clicked, this, &MessageBrowser::clearNewList);

    connect(m_model, &MessageGridModel::workingChanged, this, &MessageBrowser::showWorking);
    connect(m_model, &MessageGridModel::viewFailed, this,
            [this](const QString &why) { Dialogs::critical(&m_window, why); });

    window.showRecordCount = [this] { showRecordCount(); };
    // After each log and live pass: read the current view again, keeping
    // whatever the other grids do.
    window.refreshViews = [this, previous = window.refreshViews] {
        reload();
        if (previous)
            previous();
        showRecordCount();
    };

    try {
        m_model->setView(MessageView::all());
    } catch (const StoreError &e) {
        Dialogs::critical(&window, e.message());
    }
    m_sort->reset(MessageView::Time);
    sizeColumns();
}

void MessageBrowser::sizeColumns()
{
    QTableView *grid = m_window.messageGrid();
    QHeaderView *header = grid->horizontalHeader();
    const QFontMetrics metrics(grid->font());
    // A long file path takes no more than a short word's width; a caption
    // may be cut to a few letters. Their tips show them whole.
    const int widest = metrics.horizontalAdvance(QStringLiteral("WWWWWWWWWWWW"));
    const int narrowest = metrics.horizontalAdvance(QStringLiteral("WWW"));
    // The time whole, whether or not rows were read yet, with room for the
    // sort indicator.
    const int time = metrics.horizontalAdvance(QStringLiteral("00/00/0000 00:00:00")) +
                     grid->style()->pixelMetric(QStyle::PM_HeaderMarkSize) + 16;

    const QScopedValueRollback sizing(m_sizingColumns, true);
    m_columnsSizedByUser = false;
    std::array<int, MessageView::ColumnCount> wanted{}, least{};
    int wantedSum = 0, leastSum = 0;
    for (int column = 0; column < MessageView::ColumnCount; ++column) {
        if (column == MessageView::Text)
            continue;
        const int contents = static_cast<QAbstractItemView *>(grid)->sizeHintForColumn(column);
        wanted[column] = qMin(qMax(header->sectionSizeHint(column), contents), widest);
        least[column] = qMin(wanted[column], qMax(qMin(contents, widest / 2), narrowest));
        if (column == MessageView::Time)
            wanted[column] = least[column] = qMax(wanted[column], time);
        wantedSum += wanted[column];
        leastSum += least[column];
    }
    // The message text keeps a third of the grid: on a small screen the
    // other columns give up their captions' width first.
    const int room = grid->viewport()->width() - textShare(grid->viewport()->width());
    const int cut = qBound(0, wantedSum - room, wantedSum - leastSum);
    for (int column = 0; column < MessageView::ColumnCount; ++column) {
        if (column == MessageView::Text)
            continue;
        const int give = wanted[column] - least[column];
        header->resizeSection(
            column,
            wanted[column] - (wantedSum == leastSum ? 0 : give * cut / (wantedSum - leastSum)));
    }
    // The message text takes whatever width the other columns leave.
    header->setSectionResizeMode(MessageView::Text, QHeaderView::Stretch);
}

bool MessageBrowser::follows() const
{
    const MessageView &v = view();
    return m_window.isLinked() && v.filter() == MessageView::Filter::All &&
           v.sortColumn() == MessageView::Time && !v.descending();
}

void MessageBrowser::showFirstRow()
{
    QTableView *grid = m_window.messageGrid();
    grid->scrollToTop();
    grid->horizontalScrollBar()->setValue(0);
}

MessageBrowser::~MessageBrowser() = default;

bool MessageBrowser::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_window.searchBox() && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
        clearSearch();
        return true;
    }
    if (watched == m_window.messageGrid()->viewport() && event->type() == QEvent::Resize) {
        // Widths the user chose stay until the text would be squeezed.
        const int width = static_cast<QResizeEvent *>(event)->size().width();
        if (!m_columnsSizedByUser || m_window.messageGrid()->horizontalHeader()->sectionSize(
                                         MessageView::Text) < textShare(width))
            QTimer::singleShot(0, this, &MessageBrowser::sizeColumns);
        return false;
    }
    if (watched != m_window.messageGrid() || event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    const auto *key = static_cast<QKeyEvent *>(event);
    if (key->key() != Qt::Key_End || !(key->modifiers() & Qt::ControlModifier))
        return false;
    // Ctrl+End reaches the newest row even when a reload has left no row
    // current (the grid itself would go to the first).
    QTableView *grid = m_window.messageGrid();
    const int last = m_model->rowCount() - 1;
    if (last >= 0)
        grid->setCurrentIndex(m_model->index(last, qMax(0, grid->currentIndex().column())));
    grid->scrollToBottom();
    m_following = true;
    return true;
}

const MessageView &MessageBrowser::view() const
{
    return m_model->view();
}

void MessageBrowser::setView(const MessageView &view, std::function<void()> applied)
{
    WaitCursor wait;
    try {
        m_model->setView(view, std::move(applied));
    } catch (const StoreError &e) {
        Dialogs::critical(&m_window, e.message());
    }
}

void MessageBrowser::showNewView()
{
    showFirstRow();
    m_window.setPanelText(4, countText(m_model->recordCount()));
    // The detail panel shows the grid's current message, or none: never one
    // the new view left out.
    if (onCurrentMessageChanged)
        onCurrentMessageChanged(currentMessage());
}

void MessageBrowser::showWorking(bool working)
{
    static const QString kWorking = QStringLiteral("Reading the messages...");
    if (working) {
        m_panelBeforeWork = m_window.panelText(1);
        m_window.setPanelText(1, kWorking);
        // The window answers meanwhile: the arrow with the hourglass.
        m_window.messageGrid()->viewport()->setCursor(Qt::BusyCursor);
        return;
    }
    if (m_window.panelText(1) == kWorking)
        m_window.setPanelText(1, m_panelBeforeWork);
    m_window.messageGrid()->viewport()->unsetCursor();
}

void MessageBrowser::reload()
{
    // A user who has scrolled up from the end stops following; Ctrl+End or
    // the scroll bar back at the end follows again.
    const QScrollBar *bar = m_window.messageGrid()->verticalScrollBar();
    m_following = follows() && bar->value() >= bar->maximum();
    const bool follow = m_following;
    setView(m_model->requestedView(), [this, follow] {
        if (follow && m_following)
            m_window.messageGrid()->scrollToBottom();
    });
}

void MessageBrowser::fillFilterValues(bool flights)
{
    WaitCursor wait;
    QStringList values;
    try {
        FilterChoices choices(m_store);
        values = flights ? choices.flights() : choices.registrations();
    } catch (const StoreError &e) {
        Dialogs::critical(&m_window, e.message());
    }
    QComboBox *box = m_window.filterValue();
    const QSignalBlocker blocker(box);
    box->clear();
    box->addItems(values);
    box->setEditText(QString());
}

void MessageBrowser::chooseFilterType(int type)
{
    QComboBox *box = m_window.filterValue();
    box->setEditText(QString());
    // The date range is changed through the picker only; a typed value
    // would not reach the view.
    box->setEnabled(type == FlightNumber || type == Registration);

    switch (type) {
    case FlightNumber:
    case Registration:
        fillFilterValues(type == FlightNumber);
        // Until a value is picked the grid shows what the empty box says:
        // every message, not the rows of the filter before.
        if (m_model->requestedView().filter() != MessageView::Filter::All)
            setView(searched(MessageView::all()), [this] { showNewView(); });
        break;
    case AllRecords: {
        const QSignalBlocker blocker(box);
        box->clear();
        box->setEditText(QString());
        setView(searched(MessageView::all()), [this] { showNewView(); });
        break;
    }
    case ByDate: {
        PickDateDialog picker(&m_window);
        // It opens at the range last picked; before that, at today.
        if (m_dateFrom >= PickDateDialog::earliest())
            picker.setDates(m_dateFrom, m_dateTo);
        if (beforeDialog)
            beforeDialog(picker);
        if (Dialogs::exec(picker) == QDialog::Accepted) {
            m_dateFrom = picker.from();
            m_dateTo = picker.to();
        }
        setView(searched(MessageView::byDate(m_dateFrom, m_dateTo)), [this] { showNewView(); });
        // The box says which days are shown.
        const QSignalBlocker blocker(box);
        box->clear();
        box->setEditText(dateRangeText(m_dateFrom, m_dateTo));
        break;
    }
    default:
        return;
    }
    m_sort->reset(MessageView::Time);
    m_window.setPanelText(4, countText(m_model->recordCount()));
}

QString MessageBrowser::dateRangeText(const QDate &from, const QDate &to)
{
    const QString format = QStringLiteral("dd/MM/yyyy");
    return from.toString(format) + QStringLiteral(" - ") + to.toString(format);
}

void MessageBrowser::pickFilterValue(const QString &value)
{
    switch (m_window.filterType()->currentIndex()) {
    case FlightNumber:
        setView(searched(MessageView::byFlight(value)), [this] { showNewView(); });
        break;
    case Registration:
        setView(searched(MessageView::byRegistration(value)), [this] { showNewView(); });
        break;
    default:
        setView(searched(MessageView::all()), [this] { showNewView(); });
        break;
    }
    m_sort->reset(MessageView::Time);
}

void MessageBrowser::sortByColumn(int column)
{
    // A second click on the same column sorts it the other way. The hits of
    // a search are sorted as they are; otherwise a sort shows every message.
    const bool descending = m_sort->click(column);
    setView(m_search.isEmpty() ? MessageView::sortedBy(column, descending)
                               : m_model->requestedView().withOrder(column, descending),
            [this] { showNewView(); });
}

void MessageBrowser::search(const QString &text)
{
    m_search = text;
    setView(m_model->requestedView().withSearch(text), [this] { showNewView(); });
    m_sort->reset(text.isEmpty() ? MessageView::Time : -1);
}

void MessageBrowser::clearSearch()
{
    m_window.searchBox()->clear();
    if (!m_search.isEmpty())
        search(QString());
}

bool MessageBrowser::rightButton(const QPoint &globalPos)
{
    if (!m_window.messageGrid()->currentIndex().isValid()) {
        Dialogs::information(&m_window, QStringLiteral("Please select a record"));
        return false;
    }
    m_contextMenu->popup(globalPos);
    return true;
}

void MessageBrowser::showRecordCount()
{
    const int tab = m_window.tabs()->currentIndex();
    QString text;
    try {
        switch (tab) {
        case MainWindow::TabAllRecords:
            text = countText(m_model->recordCount());
            break;
        case MainWindow::TabPairs:
            text = countText(StoreFigures(m_store).heardPairs());
            break;
        case MainWindow::TabAircraft:
            text = countText(StoreFigures(m_store).heardAircraft());
            break;
        default:
            break;
        }
    } catch (const StoreError &e) {
        Dialogs::critical(&m_window, e.message());
    }
    m_window.setPanelText(4, text);
    m_window.ddeServerBox()->setVisible(tab == MainWindow::TabAllRecords);
}

void MessageBrowser::tabChanged(int)
{
    if (refreshStatistics)
        refreshStatistics();
    showRecordCount();
}

void MessageBrowser::writeTextFile()
{
    QString path = Dialogs::saveFile(&m_window, QStringLiteral("Create text file"), QString(),
                                     QStringLiteral("Text files (*.txt);;All files (*)"));
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".txt");

    QProgressDialog progress(QStringLiteral("Writing the text file..."), QStringLiteral("&Cancel"),
                             0, 100, &m_window);
    progress.setObjectName(QStringLiteral("dlgTextFileProgress"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    progress.setAutoReset(false);
    QElapsedTimer clock;
    clock.start();

    MessageTextFile writer(m_store);
    const auto result = writer.write(view(), path, [&](qint64 row, qint64 count) {
        if (row > 1 && row < count && clock.elapsed() < 100)
            return true;
        clock.restart();
        m_window.setPanelText(
            1, QStringLiteral("Printing record %1 of %2 to text file...").arg(row).arg(count));
        progress.setValue(count > 0 ? int(row * 100 / count) : 100);
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        return !progress.wasCanceled();
    });
    progress.close();

    switch (result) {
    case MessageTextFile::Result::Cancelled:
        m_window.setPanelText(1, QStringLiteral("Text file cancelled."));
        return;
    case MessageTextFile::Result::Failed:
        m_window.setPanelText(1, QString());
        Dialogs::critical(&m_window, QStringLiteral("The text file could not be written: ") +
                                         writer.errorText());
        return;
    case MessageTextFile::Result::Written:
        break;
    }
    m_window.setPanelText(1, textFileWrittenText(writer.rowsWritten(), path));
    if (Dialogs::question(&m_window, QStringLiteral("View Text file?")))
        Dialogs::openDocumentOrSay(&m_window, path);
}

QString MessageBrowser::textFileWrittenText(qint64 messages, const QString &path)
{
    return QStringLiteral("Text file of %1 %2 written to %3.")
        .arg(QLocale().toString(messages),
             messages == 1 ? QStringLiteral("message") : QStringLiteral("messages"), path);
}

void MessageBrowser::clearNewList()
{
    m_window.newList()->clear();
    m_window.newFrame()->setTitle(QStringLiteral("New"));
    m_window.dblNewCount = 0;
}

} // namespace corvane
