#pragma once

#include "store/AircraftTable.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace corvane
{

class Store;

// frmAddAircraft and frmEditAircraft: the five fields of one aircraft. OK
// stores the row (a new one, or the one being edited) and closes; Cancel
// closes and leaves the table as it was. A blank registration is refused,
// and so is one another row already holds, and a row the store does not
// take, naming it and why; the window then stays open.
class AircraftEditDialog : public QDialog
{
    Q_OBJECT
public:
    enum class Mode { Add, Edit };

    AircraftEditDialog(Store &store, Mode mode, const AircraftRow &row, QWidget *parent = nullptr);

    QLineEdit *registration() const { return m_reg; }
    QLineEdit *carrier() const { return m_carrier; }
    QLineEdit *type() const { return m_type; }
    QLineEdit *serial() const { return m_serial; }
    QCheckBox *heard() const { return m_heard; }
    QPushButton *okButton() const { return m_ok; }
    QPushButton *cancelButton() const { return m_cancel; }

    static QString blankText() { return QStringLiteral("Registration cannot be blank"); }
    static QString takenText(const QString &registration)
    {
        return QStringLiteral("Registration \"%1\" is already in the aircraft list")
            .arg(registration);
    }

private:
    void ok();
    AircraftRow row() const;

    Store &m_store;
    Mode m_mode;
    qint64 m_id;
    QString m_stored; // the registration the row had when the window opened
    QLineEdit *m_reg = nullptr;
    QLineEdit *m_carrier = nullptr;
    QLineEdit *m_type = nullptr;
    QLineEdit *m_serial = nullptr;
    QCheckBox *m_heard = nullptr;
    QPushButton *m_ok = nullptr;
    QPushButton *m_cancel = nullptr;
};

} // namespace corvane
