#pragma once

#include <QObject>
#include <functional>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace corvane
{

class MainWindow;
class Store;
class TrafficCharts;

// The figures and charts of the "Statistics" tab, and the frame of aircraft
// not in the database. The figures are counted on demand, each time the tab
// is shown and after each log, live pass and deletion, never at start-up.
class StatisticsTab : public QObject
{
    Q_OBJECT
public:
    StatisticsTab(MainWindow &window, Store &store);

    // Messages in the message grid's current view ("Total Records").
    std::function<qint64()> viewRecordCount;

    // Fills the figures and charts while the tab is shown; the import button
    // is held disabled there and given back on any other tab.
    void refreshStatistics();
    void clearUnmatched();

    QLabel *figure(const char *name) const;
    QPlainTextEdit *unmatched() const { return m_unmatched; }
    TrafficCharts *charts() const { return m_charts; }

private:
    void build();
    QWidget *buildFigures(QWidget *page);
    QWidget *buildUnmatched(QWidget *page);
    void fill();
    // The heard registrations the aircraft table does not know, in the
    // order first heard; past kUnmatchedShown only counted.
    void fillUnmatched();
    void holdImportButton(bool onTab);

    static constexpr int kUnmatchedShown = 5000;

    MainWindow &m_window;
    Store &m_store;
    QWidget *m_figures = nullptr;
    QPlainTextEdit *m_unmatched = nullptr;
    QPushButton *m_clearUnmatched = nullptr;
    TrafficCharts *m_charts = nullptr;
    bool m_holdsImport = false;
};

} // namespace corvane
