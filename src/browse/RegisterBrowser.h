#pragma once

#include <QObject>
#include <functional>

class QDialog;
class QMenu;
class QPoint;
class QTableView;

namespace corvane
{

class HeaderSort;
class MainWindow;
class MessageDeletion;
class RecorderThread;
class Store;
class TableGridModel;

// The "Aircraft/Flight No" and "Aircraft" tabs: the heard-pair and
// heard-aircraft grids with their header sorts, context menus and detail
// windows; deleting the current message or pair (as jobs of the recorder
// thread); and the aircraft-photo search of all three grids.
class RegisterBrowser : public QObject
{
    Q_OBJECT
public:
    RegisterBrowser(MainWindow &window, Store &store, RecorderThread &recorder);
    ~RegisterBrowser() override;

    TableGridModel *pairModel() const { return m_pairs; }
    TableGridModel *aircraftModel() const { return m_aircraft; }
    QMenu *pairMenu() const { return m_pairMenu; }
    QMenu *aircraftMenu() const { return m_aircraftMenu; }

    // Runs on every modal window just before it is shown.
    std::function<void(QDialog &)> beforeDialog;

    void sortPairs(int column);
    void sortAircraft(int column);
    // A grid's right button: its menu, or a reminder to select a row first.
    bool rightButton(QTableView *grid, QMenu *menu, const QPoint &globalPos);
    // The two registers in their own order again, then every grid read anew.
    void refreshViews();

    void deleteCurrentMessage();
    void deleteCurrentPair();
    void openPairDetail(int row);
    void openAircraftDetail(int row);
    void showPhoto(const QString &registration);

signals:
    // A deletion's job has ended and the grids show its result.
    void deletionFinished();

private:
    static void showFirstRow(QTableView *grid);
    void setUpPairGrid();
    void setUpAircraftGrid();
    void setUpMessageMenu();
    void reloadRegisters();
    void submitDeletion(std::function<bool(MessageDeletion &)> work);
    void deletionEnded(bool deleted, const QString &error);
    QString currentMessageRegistration() const;

    MainWindow &m_window;
    Store &m_store;
    RecorderThread &m_recorder;
    HeaderSort *m_pairSort = nullptr;
    HeaderSort *m_aircraftSort = nullptr;
    TableGridModel *m_pairs = nullptr;
    TableGridModel *m_aircraft = nullptr;
    QMenu *m_pairMenu = nullptr;
    QMenu *m_aircraftMenu = nullptr;
    int m_pendingDeletions = 0;
    bool m_ownOrderNext = false; // the next reload drops the sorts
};

} // namespace corvane
