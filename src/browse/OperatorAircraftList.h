#pragma once

#include <QObject>

class QComboBox;
class QTableView;

namespace corvane
{

class MainWindow;
class Store;
class TableGridModel;

// The aircraft-by-operator list of the "Statistics" tab: a type of list
// (only "Carrier"), the operator to list ("Biz Jets/Misc" first, then the
// airlines by IATA code) and the grid of that operator's aircraft.
class OperatorAircraftList : public QObject
{
    Q_OBJECT
public:
    OperatorAircraftList(MainWindow &window, Store &store);

    QComboBox *typeBox() const { return m_type; }
    QComboBox *criteriaBox() const { return m_criteria; }
    QTableView *grid() const { return m_grid; }
    TableGridModel *model() const { return m_model; }

    // cboType_Click: the operators to choose from, listed afresh.
    void chooseType(const QString &type);
    // cboCriteria_Click: the chosen operator's aircraft.
    void chooseCriteria(const QString &choice);

private:
    void build();

    MainWindow &m_window;
    Store &m_store;
    QComboBox *m_type = nullptr;
    QComboBox *m_criteria = nullptr;
    QTableView *m_grid = nullptr;
    TableGridModel *m_model = nullptr;
};

} // namespace corvane
