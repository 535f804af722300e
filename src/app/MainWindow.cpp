#include "MainWindow.h"

#include "AboutBox.h"
#include "HelpPage.h"
#include "Version.h"
#include "store/MessageTime.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
#include <utility>

namespace corvane
{

namespace
{

// Widths of the first tab's layouts: the detail frame, and the column of
// reference labels left of the message text.
constexpr int kNormalDetailWidth = 777;
constexpr int kNormalLabelsWidth = 390;
constexpr int kLiveDetailWidth = 673;
constexpr int kLiveLabelsWidth = 285;

const QString kStopLink = QStringLiteral("Stop Link");

template <typename Hook, typename... Args> void call(const Hook &hook, Args... args)
{
    if (hook)
        hook(args...);
}

QTableView *makeGrid(const QString &name, QWidget *parent)
{
    auto *grid = new QTableView(parent);
    grid->setObjectName(name);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setAlternatingRowColors(true);
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 6);
    // Tab leaves the grid for the next control; the arrow keys move in it.
    grid->setTabKeyNavigation(false);
    return grid;
}

// A window position is usable when a good part of the window's top edge,
// where the title bar is, lies on a screen.
bool titleBarOnScreen(const QRect &window)
{
    const QRect titleBar(window.topLeft(), QSize(window.width(), 30));
    const int needed = qMin(100, window.width());
    for (const QScreen *screen : QGuiApplication::screens()) {
        const QRect part = screen->availableGeometry().intersected(titleBar);
        if (part.width() >= needed && part.height() >= 10)
            return true;
    }
    return false;
}

} // namespace

MainWindow::MainWindow(Store &store, QWidget *parent) : QMainWindow(parent), m_store(store)
{
    setObjectName(QStringLiteral("ACARS"));
    onImportRequested = [] {};
    onLiveClicked = [] {};
    onOptionsRequested = [] {};
    onFilterTypeChanged = [](int) {};
    refreshViews = [] {};
    showRecordCount = [] {};

    buildMenus();
    buildTabs();
    buildStatusBar();
    setTabOrderOfControls();

    // Tool tips follow the setting "ToolTips"; the filter sees every widget
    // and acts only on this window's own.
    qApp->installEventFilter(this);

    m_titleTimer = new QTimer(this);
    m_titleTimer->setObjectName(QStringLiteral("tmrTimer"));
    m_titleTimer->setInterval(1000);
    connect(m_titleTimer, &QTimer::timeout, this, &MainWindow::updateTitle);

    // A comfortable size that still fits small screens. The controls are
    // polished first so that the window's minimum size is final before the
    // start-up places the window.
    ensurePolished();
    QSize size(1100, 760);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableGeometry().size() * 9 / 10);
    resize(size.expandedTo(minimumSizeHint()));
    updateTitle();
}

MainWindow::~MainWindow() = default;

void MainWindow::buildMenus()
{
    struct Item {
        const char *menu;
        const char *name;
        const char *caption;
    };
    static const Item kMenus[] = {
        {nullptr, "mnuFile", "&File"},
        {"mnuFile", "mnuFileOptions", "&Options..."},
        {"mnuFile", "mnuFileBackup", "&Backup..."},
        {"mnuFile", "mnuFileExportCsv", "Export &CSV..."},
        {"mnuFile", "mnuFileExit", "E&xit"},
        {nullptr, "mnuLog", "&Log"},
        {"mnuLog", "mnuLogImport", "&Import..."},
        {"mnuLog", "mnuLogAlerts", "Setup &Alerts..."},
        {"mnuLog", "mnuLogShowAlerts", "&Show Alerts..."},
        // The one item that cannot be undone comes last, apart, so that the
        // menu never opens on it.
        {nullptr, "mnuDatabase", "&Database"},
        {"mnuDatabase", "mnuDatabaseEditAircraft", "&Edit Aircraft Database..."},
        {"mnuDatabase", "mnuDatabaseImportAircraft", "&Update Aircraft Data from CSV file..."},
        {"mnuDatabase", "mnuDatabaseEditRoutes", "View/Edit &Routes..."},
        {"mnuDatabase", "mnuDatabaseBrellwickRoutes", "Update Routes from &Brellwick..."},
        {"mnuDatabase", "mnuDatabaseEditCarriers", "Edit &Carriers Database..."},
        {"mnuDatabase", "mnuDatabaseRemoveDuplicates", "Re&move duplicates"},
        {"mnuDatabase", nullptr, nullptr},
        {"mnuDatabase", "mnuDatabaseDeleteAllRecords", "&Delete all records from database..."},
        {nullptr, "mnuReports", "&Reports"},
        {"mnuReports", "mnuReportsAllLogRecords", "All lo&g records"},
        {"mnuReports", "mnuReportsAllByDate", "All - by Date"},
        {"mnuReports", "mnuReportsAllByFlight", "All - by Flight Number"},
        {"mnuReports", "mnuReportsAllByReg", "All - by Registration"},
        {"mnuReports", "mnuReportsByDateLessDetail", "By Date - Less Detail"},
        {"mnuReports", "mnuUniqiueAircraft", "&Unique Aircraft/Flight Number"},
        {"mnuReports", "mnuReportsUniqueAFByFlightNumber",
         "Unique Aircraft/Flight Number - by Flight Number"},
        {"mnuReports", "mnuReportsUniqueAFAircraftByRegistration",
         "Unique Aircraft/Flight Number - by Registration"},
        {"mnuReports", "mnuReportsUniqueAircraft", "Unique Aircraft - All"},
        {"mnuReports", "mnuReportsTrip", "Prepare Trip Log for Tallowmere 2002"},
        {"mnuReports", "mnuReportsUnmatched", "Prepare Unmatched Data Report"},
        {"mnuReports", "mnuReportsEmail", "email ACARS Log Report"},
        {nullptr, "mnuHelp", "&Help"},
        {"mnuHelp", "mnuHelpHelp", "Help"},
        {"mnuHelp", "mnuHelpAbout", "&About..."},
    };

    QMenu *current = nullptr;
    for (const Item &item : kMenus) {
        if (!item.name) {
            current->addSeparator();
            continue;
        }
        const QString name = QString::fromLatin1(item.name);
        const QString caption = QString::fromLatin1(item.caption);
        if (!item.menu) {
            current = menuBar()->addMenu(caption);
            current->setObjectName(name);
            current->menuAction()->setObjectName(name + QStringLiteral("Action"));
            continue;
        }
        QAction *action = current->addAction(caption);
        action->setObjectName(name);
        // Items whose windows are not part of the program yet stay disabled
        // until those windows enable them.
        action->setEnabled(false);
    }

    const auto enable = [this](const char *name, auto slot) {
        QAction *action = menuItem(QString::fromLatin1(name));
        action->setEnabled(true);
        connect(action, &QAction::triggered, this, slot);
    };
    enable("mnuFileExit", [this] { close(); });
    enable("mnuLogImport", [this] { call(onImportRequested); });
    enable("mnuHelpHelp", [this] { showHelp(); });
    enable("mnuHelpAbout", [this] { showAbout(); });
    connect(menuItem(QStringLiteral("mnuFileOptions")), &QAction::triggered, this,
            [this] { call(onOptionsRequested); });

    QAction *help = menuItem(QStringLiteral("mnuHelpHelp"));
    help->setShortcut(QKeySequence(Qt::Key_F1));
}

void MainWindow::buildTabs()
{
    auto *central = new QWidget(this);
    central->setObjectName(QStringLiteral("centralWidget"));
    auto *layout = new QVBoxLayout(central);

    m_tabs = new QTabWidget(central);
    m_tabs->setObjectName(QStringLiteral("tabMain"));
    m_tabs->addTab(buildFirstTab(), QStringLiteral("All Records"));

    auto *pairs = new QWidget(m_tabs);
    pairs->setObjectName(QStringLiteral("tabPairs"));
    m_pairGrid = makeGrid(QStringLiteral("tdblUnique"), pairs);
    (new QVBoxLayout(pairs))->addWidget(m_pairGrid);
    m_tabs->addTab(pairs, QStringLiteral("Aircraft/Flight No"));

    auto *aircraft = new QWidget(m_tabs);
    aircraft->setObjectName(QStringLiteral("tabAircraft"));
    m_aircraftGrid = makeGrid(QStringLiteral("tdblUniqueAircraft"), aircraft);
    (new QVBoxLayout(aircraft))->addWidget(m_aircraftGrid);
    m_tabs->addTab(aircraft, QStringLiteral("Aircraft"));

    auto *statistics = new QWidget(m_tabs);
    statistics->setObjectName(QStringLiteral("tabStatistics"));
    new QVBoxLayout(statistics);
    m_tabs->addTab(statistics, QStringLiteral("Statistics"));

    auto *explorer = new QWidget(m_tabs);
    explorer->setObjectName(QStringLiteral("tabAircraftExplorer"));
    new QVBoxLayout(explorer);
    m_tabs->addTab(explorer, QStringLiteral("Aircraft Explorer"));

    layout->addWidget(m_tabs, 1);
    layout->addWidget(buildButtonRow());
    setCentralWidget(central);
}

QWidget *MainWindow::buildFirstTab()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("tabAllRecords"));
    auto *layout = new QVBoxLayout(page);

    m_searchBox = new QLineEdit(page);
    m_searchBox->setObjectName(QStringLiteral("txtSearch"));
    m_searchBox->setPlaceholderText(QStringLiteral("Search the messages (Ctrl+F)"));
    m_searchBox->setToolTip(
        QStringLiteral("Type a piece of a message's text, registration, flight or label and press "
                       "Enter; Esc clears the search."));
    layout->addWidget(m_searchBox);
    auto *findShortcut = new QShortcut(QKeySequence::Find, this);
    connect(findShortcut, &QShortcut::activated, this, [this] {
        m_tabs->setCurrentIndex(TabAllRecords);
        m_searchBox->setFocus(Qt::ShortcutFocusReason);
        m_searchBox->selectAll();
    });

    // The grid takes what the lower frames leave; the user moves the
    // boundary, and the window remembers it.
    m_messageSplitter = new QSplitter(Qt::Vertical, page);
    m_messageSplitter->setObjectName(QStringLiteral("splMessages"));
    m_messageSplitter->setChildrenCollapsible(false);
    layout->addWidget(m_messageSplitter, 1);

    m_messageGrid = makeGrid(QStringLiteral("tdblMessage"), m_messageSplitter);
    m_messageGrid->setToolTip(
        QStringLiteral("Click on the column headings to sort the table by that column. Select and "
                       "right-click a record to delete it."));
    m_messageSplitter->addWidget(m_messageGrid);

    auto *lowerPart = new QWidget(m_messageSplitter);
    lowerPart->setObjectName(QStringLiteral("fraLower"));
    auto *lower = new QHBoxLayout(lowerPart);
    lower->setContentsMargins(0, 0, 0, 0);
    auto *left = new QVBoxLayout;
    left->addWidget(buildFilterFrame());
    m_textFile = new QPushButton(QStringLiteral("Create &text file"), lowerPart);
    m_textFile->setObjectName(QStringLiteral("cmdAllTxtFile"));
    m_textFile->setToolTip(
        QStringLiteral("Create a text file containing the current data in the table"));
    left->addWidget(m_textFile);
    left->addStretch();
    lower->addLayout(left);
    lower->addWidget(buildDetailFrame(), 1);
    lower->addWidget(buildNewFrame());
    m_messageSplitter->addWidget(lowerPart);
    m_messageSplitter->setStretchFactor(0, 1);
    m_messageSplitter->setStretchFactor(1, 0);
    connect(m_messageSplitter, &QSplitter::splitterMoved, this, [this] {
        m_settings.setLayoutState(QStringLiteral("MessageSplitter"),
                                  m_messageSplitter->saveState());
    });
    return page;
}

QWidget *MainWindow::buildFilterFrame()
{
    m_filterFrame = new QGroupBox(QStringLiteral("Filter"));
    m_filterFrame->setObjectName(QStringLiteral("fraFilter"));
    auto *grid = new QGridLayout(m_filterFrame);

    auto *typeLabel = new QLabel(QStringLiteral("Type"), m_filterFrame);
    typeLabel->setObjectName(QStringLiteral("lblFilterType"));
    m_filterType = new QComboBox(m_filterFrame);
    m_filterType->setObjectName(QStringLiteral("cboFilterType"));
    m_filterType->setToolTip(
        QStringLiteral("Select the type of Filter you would like to apply to the table"));
    typeLabel->setBuddy(m_filterType);

    auto *valueLabel = new QLabel(QStringLiteral("Filter"), m_filterFrame);
    valueLabel->setObjectName(QStringLiteral("lblFilter"));
    m_filterValue = new QComboBox(m_filterFrame);
    m_filterValue->setObjectName(QStringLiteral("tdbcFilter"));
    m_filterValue->setEditable(true);
    m_filterValue->setEnabled(false);
    m_filterValue->setMinimumContentsLength(12);
    valueLabel->setBuddy(m_filterValue);

    grid->addWidget(typeLabel, 0, 0);
    grid->addWidget(m_filterType, 0, 1);
    grid->addWidget(valueLabel, 1, 0);
    grid->addWidget(m_filterValue, 1, 1);
    return m_filterFrame;
}

QWidget *MainWindow::buildDetailFrame()
{
    m_detailFrame = new QGroupBox(QStringLiteral("Detail"));
    m_detailFrame->setObjectName(QStringLiteral("fraSelected"));
    auto *layout = new QHBoxLayout(m_detailFrame);

    // The reference lookups of the selected message go here.
    m_detailLabels = new QWidget(m_detailFrame);
    m_detailLabels->setObjectName(QStringLiteral("fraDetailLabels"));
    new QVBoxLayout(m_detailLabels);
    layout->addWidget(m_detailLabels);

    m_messageText = new QPlainTextEdit(m_detailFrame);
    m_messageText->setObjectName(QStringLiteral("txtMessage"));
    m_messageText->setReadOnly(true);
    // A caret shows where the focus is when Tab reaches the text.
    m_messageText->setTextInteractionFlags(Qt::TextSelectableByMouse |
                                           Qt::TextSelectableByKeyboard);
    layout->addWidget(m_messageText, 1);
    return m_detailFrame;
}

QWidget *MainWindow::buildNewFrame()
{
    m_newFrame = new QGroupBox(QStringLiteral("New"));
    m_newFrame->setObjectName(QStringLiteral("fraNew"));
    auto *layout = new QVBoxLayout(m_newFrame);
    m_newList = new QPlainTextEdit(m_newFrame);
    m_newList->setObjectName(QStringLiteral("txtNew"));
    m_newList->setReadOnly(true);
    m_newList->setMaximumWidth(160);
    layout->addWidget(m_newList, 1);
    m_clearNew = new QPushButton(QStringLiteral("Clear"), m_newFrame);
    m_clearNew->setObjectName(QStringLiteral("cmdClear"));
    layout->addWidget(m_clearNew);
    m_newFrame->hide();
    return m_newFrame;
}

QWidget *MainWindow::buildButtonRow()
{
    auto *row = new QWidget;
    row->setObjectName(QStringLiteral("fraButtons"));
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);

    m_import = new QPushButton(QStringLiteral("&Import Log"), row);
    m_import->setObjectName(QStringLiteral("cmdImportLog"));
    m_import->setToolTip(QStringLiteral("Import an ACARS Log File"));
    connect(m_import, &QPushButton::clicked, this, [this] { call(onImportRequested); });

    m_live = new QPushButton(QStringLiteral("Li&ve data"), row);
    m_live->setObjectName(QStringLiteral("cmdLive"));
    connect(m_live, &QPushButton::clicked, this, [this] { call(onLiveClicked); });

    m_ddeServer = new QCheckBox(QStringLiteral("DDE Server"), row);
    m_ddeServer->setObjectName(QStringLiteral("chkDDEServer"));
    connect(m_ddeServer, &QCheckBox::toggled, this, [this](bool on) { blnDDEServer = on; });

    m_telnet = new QCheckBox(QStringLiteral("Telnet Server"), row);
    m_telnet->setObjectName(QStringLiteral("chkTelnet"));

    // The live text lands here; the text published to other programs is the
    // item "LiveData".
    m_liveData = new QPlainTextEdit(row);
    m_liveData->setObjectName(QStringLiteral("txtLiveData"));
    m_liveData->hide();
    m_liveDataItem = new QLineEdit(QStringLiteral("DDEServer"), row);
    m_liveDataItem->setObjectName(QStringLiteral("LiveData"));
    m_liveDataItem->hide();

    m_exit = new QPushButton(QStringLiteral("E&xit"), row);
    m_exit->setObjectName(QStringLiteral("cmdExit"));
    connect(m_exit, &QPushButton::clicked, this, &MainWindow::exitSavingPosition);

    layout->addWidget(m_import);
    layout->addWidget(m_live);
    layout->addWidget(m_ddeServer);
    layout->addWidget(m_telnet);
    layout->addWidget(m_liveData);
    layout->addWidget(m_liveDataItem);
    layout->addStretch();
    layout->addWidget(m_exit);
    return row;
}

void MainWindow::setTabOrderOfControls()
{
    // Reading order: the tabs, the grid, the controls below it left to
    // right, then the button row.
    const QList<QWidget *> order = {m_tabs,     m_messageGrid, m_filterType, m_filterValue,
                                    m_textFile, m_messageText, m_clearNew,   m_import,
                                    m_live,     m_ddeServer,   m_telnet,     m_exit};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void MainWindow::buildStatusBar()
{
    QStatusBar *bar = statusBar();
    bar->setObjectName(QStringLiteral("stbStatus"));
    static const char *const kTips[4] = {
        "What the program is doing",
        "Messages received today / aircraft heard today",
        "Messages / aircraft received per hour",
        "Number of records displayed in current view",
    };
    for (int i = 0; i < 4; ++i) {
        auto *panel = new QLabel(bar);
        panel->setObjectName(QStringLiteral("stbPanel%1").arg(i + 1));
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        if (kTips[i])
            panel->setToolTip(QString::fromLatin1(kTips[i]));
        if (i > 0)
            panel->setMinimumWidth(120);
        bar->addWidget(panel, i == 0 ? 1 : 0);
        m_panels[i] = panel;
    }
}

void MainWindow::startUp()
{
    blnDDEServer = false;
    {
        const QSignalBlocker blocker(m_ddeServer);
        m_ddeServer->setChecked(false);
    }

    QCoreApplication::processEvents();
    showStartWindow();
    QCoreApplication::processEvents();

    // The live flags start reset with the live session; the databases were
    // opened beside the program by the launcher, and the help page is looked
    // up when it is asked for.

    restorePosition(m_settings);

    showNormalLayout();
    // The explorer tab stays usable: its grid is the one place that lists
    // every known aircraft.

    call(showRecordCount);

    fillFilterTypes();

    m_settings.load();
    m_messageSplitter->restoreState(m_settings.layoutState(QStringLiteral("MessageSplitter")));

    hideStartWindow();

    updateTitle();
    m_titleTimer->start();
}

void MainWindow::showStartWindow()
{
    m_startWindow = std::make_unique<QWidget>(nullptr, Qt::Window | Qt::WindowTitleHint);
    m_startWindow->setObjectName(QStringLiteral("frmStart"));
    m_startWindow->setWindowTitle(QStringLiteral("Corvane for Windows"));
    auto *label = new QLabel(QStringLiteral("Loading Corvane..."), m_startWindow.get());
    label->setObjectName(QStringLiteral("lblLoading"));
    label->setAlignment(Qt::AlignCenter);
    auto *layout = new QVBoxLayout(m_startWindow.get());
    layout->setContentsMargins(40, 30, 40, 30);
    layout->addWidget(label);
    m_startWindow->show();
}

void MainWindow::hideStartWindow()
{
    if (!m_startWindow)
        return;
    m_startWindow->hide();
    m_startWindow.release()->deleteLater();
}

void MainWindow::fillFilterTypes()
{
    {
        const QSignalBlocker blocker(m_filterType);
        m_filterType->clear();
        m_filterType->addItems({QStringLiteral("All records"), QStringLiteral("By Date"),
                                QStringLiteral("Flight Number"), QStringLiteral("Registration")});
        m_filterType->setCurrentIndex(0);
    }
    m_filterValue->setEnabled(false);
    // Choosing a type from now on reaches the hook; the first one is
    // selected here and handed over once.
    disconnect(m_filterType, nullptr, this, nullptr);
    connect(m_filterType, &QComboBox::currentIndexChanged, this,
            [this](int index) { call(onFilterTypeChanged, index); });
    call(onFilterTypeChanged, 0);
}

void MainWindow::restorePosition(const Settings &settings)
{
    const std::optional<int> left = settings.left();
    const std::optional<int> top = settings.top();
    // A left edge of 0 means "never saved": centre, whatever the top says.
    if (left && top && *left != 0 && titleBarOnScreen(QRect(QPoint(*left, *top), size()))) {
        move(*left, *top);
        fitOnScreen();
        return;
    }
    centreOnScreen();
}

void MainWindow::fitOnScreen()
{
    // A position saved on a larger screen can leave the bottom or the right
    // edge (Exit, the status bar, the close box) out of reach.
    const QScreen *screen = QGuiApplication::screenAt(geometry().topLeft());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const QSize room = area.size() - decoration();
    if (width() > room.width() || height() > room.height())
        resize(size().boundedTo(room).expandedTo(minimumSize()));
    const QSize frame = size() + decoration();
    const int left = qMax(area.left(), qMin(x(), area.right() + 1 - frame.width()));
    const int top = qMax(area.top(), qMin(y(), area.bottom() + 1 - frame.height()));
    if (QPoint(left, top) != pos())
        move(left, top);
}

QSize MainWindow::decoration() const
{
    // Until the window manager has framed the window (and where none does)
    // the frame is not known: a usual title bar and border are allowed for,
    // or the frame would push the status bar below the screen.
    const QSize known = frameGeometry().size() - size();
    return known.height() > 0 ? known : QSize(8, 40);
}

void MainWindow::centreOnScreen()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const QSize frame = size() + decoration();
    const int left = area.x() + qMax(0, (area.width() - frame.width()) / 2);
    const int top = area.y() + qMax(0, (area.height() - frame.height()) / 2);
    move(left, top);
}

void MainWindow::showNormalLayout()
{
    m_textFile->setEnabled(true);
    m_import->setEnabled(true);
    menu(QStringLiteral("mnuDatabase"))->setEnabled(true);
    m_newFrame->hide();
    m_detailFrame->setMaximumWidth(kNormalDetailWidth);
    m_detailLabels->setFixedWidth(kNormalLabelsWidth);
}

void MainWindow::showLiveLayout()
{
    m_textFile->setEnabled(false);
    m_import->setEnabled(false);
    menu(QStringLiteral("mnuDatabase"))->setEnabled(false);
    m_newFrame->show();
    m_detailFrame->setMaximumWidth(kLiveDetailWidth);
    m_detailLabels->setFixedWidth(kLiveLabelsWidth);
}

QString MainWindow::titleText(const QDateTime &now, bool linked, const QString &ddeType)
{
    const QDate date = now.date();
    const QTime time = now.time();
    QString title = QStringLiteral("ACARS Corvane ") + versionText() + QStringLiteral(" - ") +
                    QStringLiteral("%1 %2 %3 %4:%5")
                        .arg(date.day(), 2, 10, QLatin1Char('0'))
                        .arg(MessageTime::monthAbbreviation(date.month()))
                        .arg(date.year() % 100, 2, 10, QLatin1Char('0'))
                        .arg(time.hour(), 2, 10, QLatin1Char('0'))
                        .arg(time.minute(), 2, 10, QLatin1Char('0'));
    if (linked)
        title += QStringLiteral(" - Linked to ") + ddeType;
    return title;
}

void MainWindow::updateTitle()
{
    setWindowTitle(titleText(QDateTime::currentDateTime(), isLinked(),
                             m_linkedType.isEmpty() ? m_settings.ddeType() : m_linkedType));
}

void MainWindow::setLinkedType(const QString &ddeType)
{
    m_linkedType = ddeType;
    updateTitle();
}

bool MainWindow::isLinked() const
{
    QString caption = m_live->text();
    caption.remove(QLatin1Char('&'));
    return caption == kStopLink;
}

QLabel *MainWindow::statusPanel(int panel) const
{
    return panel >= 1 && panel <= 4 ? m_panels[panel - 1] : nullptr;
}

void MainWindow::setPanelText(int panel, const QString &text)
{
    if (QLabel *label = statusPanel(panel))
        label->setText(text);
}

QString MainWindow::panelText(int panel) const
{
    const QLabel *label = statusPanel(panel);
    return label ? label->text() : QString();
}

QMenu *MainWindow::menu(const QString &name) const
{
    return menuBar()->findChild<QMenu *>(name);
}

QAction *MainWindow::menuItem(const QString &name) const
{
    return menuBar()->findChild<QAction *>(name);
}

QWidget *MainWindow::tabPage(Tab tab) const
{
    return m_tabs->widget(int(tab));
}

void MainWindow::exitSavingPosition()
{
    m_settings.setPosition(pos().x(), pos().y());
    close();
}

void MainWindow::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    // The final size and frame are known once the window is on the screen;
    // they may reach past its edge where the start-up placed the window.
    if (!std::exchange(m_shownOnce, true))
        QTimer::singleShot(0, this, &MainWindow::fitOnScreen);
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ToolTip && m_settings.toolTips() != 1) {
        const auto *widget = qobject_cast<QWidget *>(watched);
        if (widget && widget->window() == this)
            return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::showHelp()
{
    HelpPage::open(this);
}

void MainWindow::showAbout()
{
    AboutBox::showModal(this);
}

} // namespace corvane
