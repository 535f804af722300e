#pragma once

#include "store/AlertLog.h"

#include <QDialog>

class QPushButton;
class QTableWidget;

namespace corvane
{

class Store;

// frmShowAlert: the alert log in a list, with "Modify Alerts" (the set-up
// window), "Clear List" (empties the log at once, no question) and "Close".
// Closed any other way, a link that starts shows it again. Modeless.
class AlertLogWindow : public QDialog
{
    Q_OBJECT
public:
    AlertLogWindow(Store &store, QWidget *parent = nullptr);

    // Reads the whole log again into the list.
    void reload();
    // Rows just written by matching, added to the end of the list.
    void append(const QList<AlertRow> &rows);
    // cmdClear_Click.
    void clearLog();

    QTableWidget *list() const { return m_list; }

signals:
    void modifyRequested(); // cmdModify
    void closeRequested();  // cmdOK ("Close")

private:
    void addRow(const AlertRow &row);

    Store &m_store;
    QTableWidget *m_list = nullptr;
};

} // namespace corvane
