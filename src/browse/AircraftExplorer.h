#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <memory>

class QLineEdit;
class QTableView;

namespace corvane
{

class AircraftLookup;
class MainWindow;
class Store;
class TableGridModel;

// The "Aircraft Explorer" tab: every aircraft by registration, a jump to the
// first registration that starts with what the user types, and the frame
// with the current aircraft's registration and operator.
class AircraftExplorer : public QObject
{
    Q_OBJECT
public:
    AircraftExplorer(MainWindow &window, Store &store);
    ~AircraftExplorer() override;

    QTableView *grid() const { return m_grid; }
    TableGridModel *model() const { return m_model; }
    QLineEdit *registrationBox() const { return m_reg; }
    QLineEdit *carrierBox() const { return m_carrier; }

    // Reads the aircraft table again.
    void reload();
    // Makes the first row whose registration starts with the text current;
    // returns it, or -1 (and nothing moves) when there is none.
    int jumpTo(const QString &prefix);
    void showExplorerDetail(int row);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void build();

    MainWindow &m_window;
    Store &m_store;
    std::unique_ptr<AircraftLookup> m_lookup;
    TableGridModel *m_model = nullptr;
    QTableView *m_grid = nullptr;
    QLineEdit *m_reg = nullptr;
    QLineEdit *m_carrier = nullptr;
    QString m_typed;
    QElapsedTimer m_sinceKey;
};

} // namespace corvane
