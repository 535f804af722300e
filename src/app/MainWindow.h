#pragma once

#include "settings/Settings.h"

#include <QDateTime>
#include <QMainWindow>
#include <functional>
#include <memory>

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QSplitter;
class QTabWidget;
class QTableView;
class QTimer;

namespace corvane
{

class Store;

// The main window "ACARS": menus, the five tabs, the buttons below them, the
// status bar and the title clock. The window builds its controls when it is
// created; startUp() then runs the start-up sequence, and the caller shows
// it. The browsing grids and the live link fill in the placeholders and the
// hooks below.
class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    enum Tab { TabAllRecords, TabPairs, TabAircraft, TabStatistics, TabExplorer };

    explicit MainWindow(Store &store, QWidget *parent = nullptr);
    ~MainWindow() override;

    // Shows the loading window, restores the window position, puts the
    // first tab in its normal layout, shows the record count, selects the
    // filter "All records", reads the settings anew and starts the title
    // clock.
    void startUp();

    Store &store() { return m_store; }
    // The window's settings, which the Options dialog changes and the parts
    // built on the window follow.
    Settings &settings() { return m_settings; }
    const Settings &settings() const { return m_settings; }

    // Hooks for the parts built on this window. Each starts as a no-op;
    // an empty function is ignored.
    std::function<void()> onImportRequested;      // cmdImportLog, mnuLogImport
    std::function<void()> onLiveClicked;          // cmdLive
    std::function<void()> onOptionsRequested;     // mnuFileOptions
    std::function<void(int)> onFilterTypeChanged; // cboFilterType, by index
    std::function<void()> refreshViews;           // rebind the three grids
    std::function<void()> showRecordCount;        // record count into panel 4

    // Main window state shared with the live link.
    bool blnDDEServer = false; // mirrors chkDDEServer
    double dblNewCount = 0;    // pairs first heard since the link started
    // Registration of the row last selected or double-clicked in a browsing grid.
    QString strSelectedReg;

    // Title bar.
    static QString titleText(const QDateTime &now, bool linked, const QString &ddeType);
    void updateTitle();
    // The type the running link was started with, which the title names
    // whatever the settings say now; empty when no link runs.
    void setLinkedType(const QString &ddeType);
    bool isLinked() const; // cmdLive's caption reads "Stop Link"

    // Status bar panels, numbered 1 to 4.
    void setPanelText(int panel, const QString &text);
    QString panelText(int panel) const;
    QLabel *statusPanel(int panel) const;

    // Window position: the saved left and top when they put the window on a
    // screen, otherwise the centre of the primary screen.
    void restorePosition(const Settings &settings);
    void centreOnScreen();
    // Moves, and if need be shrinks, the window so that all of it is on a screen.
    void fitOnScreen();
    QSize decoration() const;

    // First-tab layouts: normal, and live with the "New" list beside the
    // detail frame.
    void showNormalLayout();
    void showLiveLayout();

    // Menus and menu items by object name ("mnuDatabase", "mnuLogImport").
    QMenu *menu(const QString &name) const;
    QAction *menuItem(const QString &name) const;

    QTabWidget *tabs() const { return m_tabs; }
    QWidget *tabPage(Tab tab) const;
    QTableView *messageGrid() const { return m_messageGrid; }
    // Between the message grid and the frames below it.
    QSplitter *messageSplitter() const { return m_messageSplitter; }
    QTableView *pairGrid() const { return m_pairGrid; }
    QTableView *aircraftGrid() const { return m_aircraftGrid; }
    QGroupBox *detailFrame() const { return m_detailFrame; }
    QWidget *detailLabels() const { return m_detailLabels; }
    QPlainTextEdit *messageText() const { return m_messageText; }
    QGroupBox *filterFrame() const { return m_filterFrame; }
    QComboBox *filterType() const { return m_filterType; }
    QComboBox *filterValue() const { return m_filterValue; }
    QLineEdit *searchBox() const { return m_searchBox; }
    QPushButton *textFileButton() const { return m_textFile; }
    QGroupBox *newFrame() const { return m_newFrame; }
    QPlainTextEdit *newList() const { return m_newList; }
    QPushButton *clearNewButton() const { return m_clearNew; }
    QPushButton *importButton() const { return m_import; }
    QPushButton *liveButton() const { return m_live; }
    QPushButton *exitButton() const { return m_exit; }
    QCheckBox *ddeServerBox() const { return m_ddeServer; }
    QCheckBox *telnetBox() const { return m_telnet; }
    QPlainTextEdit *liveDataSink() const { return m_liveData; }
    QLineEdit *liveDataItem() const { return m_liveDataItem; }
    QTimer *titleTimer() const { return m_titleTimer; }

signals:
    // Aircraft, carriers or routes changed (an editor, a bulk load, the heard
    // flags): whatever shows them looks them up again.
    void referenceDataChanged();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void buildMenus();
    void buildTabs();
    QWidget *buildFirstTab();
    QWidget *buildFilterFrame();
    QWidget *buildDetailFrame();
    QWidget *buildNewFrame();
    QWidget *buildButtonRow();
    void buildStatusBar();
    void setTabOrderOfControls();
    void fillFilterTypes();
    void showStartWindow();
    void hideStartWindow();
    void exitSavingPosition();
    void showHelp();
    void showAbout();

    Store &m_store;
    Settings m_settings;
    std::unique_ptr<QWidget> m_startWindow;

    QTabWidget *m_tabs = nullptr;
    QSplitter *m_messageSplitter = nullptr;
    QTableView *m_messageGrid = nullptr;
    QTableView *m_pairGrid = nullptr;
    QTableView *m_aircraftGrid = nullptr;
    QGroupBox *m_detailFrame = nullptr;
    QWidget *m_detailLabels = nullptr;
    QPlainTextEdit *m_messageText = nullptr;
    QGroupBox *m_filterFrame = nullptr;
    QComboBox *m_filterType = nullptr;
    QComboBox *m_filterValue = nullptr;
    QLineEdit *m_searchBox = nullptr;
    QPushButton *m_textFile = nullptr;
    QGroupBox *m_newFrame = nullptr;
    QPlainTextEdit *m_newList = nullptr;
    QPushButton *m_clearNew = nullptr;
    QPushButton *m_import = nullptr;
    QPushButton *m_live = nullptr;
    QPushButton *m_exit = nullptr;
    QCheckBox *m_ddeServer = nullptr;
    QCheckBox *m_telnet = nullptr;
    QPlainTextEdit *m_liveData = nullptr;
    QLineEdit *m_liveDataItem = nullptr;
    QLabel *m_panels[4] = {};
    QTimer *m_titleTimer = nullptr;
    QString m_linkedType;
    bool m_shownOnce = false;
};

} // namespace corvane
