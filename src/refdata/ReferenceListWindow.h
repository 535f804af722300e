#pragma once

#include <QDialog>
#include <QStringList>
#include <functional>
#include <memory>

class QMenu;
class QPoint;
class QPushButton;
class QTableWidget;

namespace corvane
{

class Store;

// The list window shared by the aircraft and carrier editors: the whole
// table in a grid, "Add" for a new row, a double-click to edit one, the
// right button for a menu with "Delete" (no question asked), "OK" to close.
// The add and edit windows store their row themselves; the list is read
// again after each, so it stays in the table's order.
class ReferenceListWindow : public QDialog
{
    Q_OBJECT
public:
    struct Names {
        QString window, caption, grid, menu, menuCaption, deleteItem;
        QStringList columns;
    };

    // Runs on every modal window just before it is shown (tests drive the
    // window's controls from here).
    std::function<void(QDialog &)> beforeDialog;

    QTableWidget *grid() const { return m_grid; }
    QMenu *contextMenu() const { return m_menu; }
    QPushButton *addButton() const { return m_add; }
    QPushButton *okButton() const { return m_ok; }

    // Reads the table again into the grid.
    void reload();
    void add();
    // Opens the edit window on the current row; nothing without one.
    void editCurrent();
    // The menu at the position, or a reminder to select a row first; true
    // when the menu was shown.
    bool rightButton(const QPoint &globalPos);
    void deleteCurrent();
    // The row id of the grid's current row; 0 without one.
    qint64 currentId() const;

signals:
    // A row was added, changed or deleted.
    void changed();

protected:
    ReferenceListWindow(Store &store, const Names &names, QWidget *parent);

    // Fills the grid (setRow for each row).
    virtual void fillGrid() = 0;
    virtual std::unique_ptr<QDialog> addDialog() = 0;
    virtual std::unique_ptr<QDialog> editDialog(qint64 id) = 0;
    // Throws StoreError.
    virtual void remove(qint64 id) = 0;
    // The row as a message names it: aircraft "G-ABCD".
    virtual QString describe(qint64 id) const = 0;

    void setRow(int row, qint64 id, const QStringList &texts);
    Store &store() { return m_store; }

private:
    void runModal(QDialog &dialog);

    Store &m_store;
    QTableWidget *m_grid = nullptr;
    QMenu *m_menu = nullptr;
    QPushButton *m_add = nullptr;
    QPushButton *m_ok = nullptr;
};

} // namespace corvane
