#pragma once

#include "store/RouteTable.h"

#include <QDialog>
#include <vector>

class QLineEdit;
class QPushButton;
class QTableWidget;

namespace corvane
{

class Store;

// frmRoutes: the route table, and a flight and route edited in two boxes on
// the window. Choosing a row copies it into the boxes; Add stores the boxes
// as a new row, Update writes them into the chosen row, Delete removes the
// chosen row once the user agrees, Clear empties them. A blank flight, or one
// another row already holds, is refused.
class RouteEditor : public QDialog
{
    Q_OBJECT
public:
    explicit RouteEditor(Store &store, QWidget *parent = nullptr);

    QTableWidget *grid() const { return m_grid; }
    QLineEdit *flight() const { return m_flight; }
    QLineEdit *route() const { return m_route; }
    QPushButton *button(const QString &name) const;

    void reload();
    void add();
    // Without a chosen row, asks for one and writes nothing.
    void update();
    // Without a chosen row, asks for one and deletes nothing.
    void remove();
    void clear();

    static QString blankText() { return QStringLiteral("Flight cannot be blank"); }
    static QString takenText(const QString &flight)
    {
        return QStringLiteral("Flight \"%1\" already has a route in the list").arg(flight);
    }

signals:
    void changed();

private:
    void rowChanged();
    qint64 currentId() const;
    bool store(const RouteRow &row, bool isNew);
    // The refusal of a row the table would not want, or empty.
    QString refusal(RouteTable &table, const RouteRow &row, bool isNew) const;

    Store &m_store;
    std::vector<RouteRow> m_rows;
    QTableWidget *m_grid = nullptr;
    QLineEdit *m_flight = nullptr;
    QLineEdit *m_route = nullptr;
};

} // namespace corvane
