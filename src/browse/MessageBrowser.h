#pragma once

#include "store/MessageView.h"

#include <QDate>

#include <QObject>
#include <functional>

class QDialog;
class QMenu;
class QPoint;

namespace corvane
{

class MainWindow;
class HeaderSort;
class MessageGridModel;
class Store;

// The "All Records" tab: the message grid and its current view, the filter
// frame, header-click sorting, the grid's context menu, the text file, the
// "New" list's Clear button, and the record count in status bar panel 4.
class MessageBrowser : public QObject
{
    Q_OBJECT
public:
    enum FilterType { AllRecords, ByDate, FlightNumber, Registration };

    MessageBrowser(MainWindow &window, Store &store);
    ~MessageBrowser() override;

    MessageGridModel *model() const { return m_model; }
    const MessageView &view() const;
    QMenu *contextMenu() const { return m_contextMenu; }
    // The stored row id of the grid's current message; 0 when none is current.
    qint64 currentMessage() const;

    // Hooks for the detail panel and the aircraft detail window, with the
    // stored row id of the message (0 when no row is current).
    std::function<void(qint64)> onCurrentMessageChanged;
    std::function<void(qint64)> onMessageDoubleClicked;
    // The statistics tab's refresh, run when the tab changes.
    std::function<void()> refreshStatistics;
    // Runs on every modal window just before it is shown (tests drive the
    // window's controls from here).
    std::function<void(QDialog &)> beforeDialog;

    void chooseFilterType(int type);
    void pickFilterValue(const QString &value);
    void sortByColumn(int column);
    // Narrows what is shown to the messages holding the text, newest first;
    // an empty text shows the filter's messages again. The search stays
    // through later filters and sorts until cleared.
    void search(const QString &text);
    void clearSearch();
    const QString &searchText() const { return m_search; }
    // applied runs once the view is shown; a slow view is worked out while
    // the window goes on, the old rows staying until it is ready.
    void setView(const MessageView &view, std::function<void()> applied = {});
    void reload();
    // The grid's right button: the "From All" menu, or a reminder to select
    // a row first. Returns true when the menu was shown.
    bool rightButton(const QPoint &globalPos);
    void showRecordCount();
    void tabChanged(int tab);
    void writeTextFile();
    // The By Date filter's range as its value box shows it.
    static QString dateRangeText(const QDate &from, const QDate &to);
    // What panel 1 says once the text file is written.
    static QString textFileWrittenText(qint64 messages, const QString &path);
    void clearNewList();

    // The days of the "By Date" filter, as last picked; they start at the
    // zero date, 30 December 1899, and are not saved.
    QDate dateFrom() const { return m_dateFrom; }
    QDate dateTo() const { return m_dateTo; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void fillFilterValues(bool flights);
    // Fits the columns to the grid's width, the text's share kept.
    void sizeColumns();
    static int textShare(int gridWidth) { return gridWidth / 3; }
    void showFirstRow();
    // The view is shown: its count into panel 4 and the grid at its top.
    void showNewView();
    void showWorking(bool working);
    // While a link runs and the grid shows every message in time order,
    // a reload keeps the newest row in view for a user at the end.
    bool follows() const;
    MessageView searched(const MessageView &view) const { return view.withSearch(m_search); }

    MainWindow &m_window;
    Store &m_store;
    MessageGridModel *m_model = nullptr;
    QMenu *m_contextMenu = nullptr;
    HeaderSort *m_sort = nullptr;
    bool m_following = false;
    bool m_sizingColumns = false;
    bool m_columnsSizedByUser = false;
    QString m_search;
    bool m_typeJustChanged = false;
    bool m_valueJustPicked = false;
    QString m_panelBeforeWork;
    QDate m_dateFrom = QDate(1899, 12, 30);
    QDate m_dateTo = QDate(1899, 12, 30);
};

} // namespace corvane
