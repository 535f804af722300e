#pragma once

#include "store/CarrierTable.h"

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace corvane
{

class Store;

// frmAddCarrier and frmEditCarrier: the three fields of one carrier. OK
// stores the row and closes; Cancel closes and leaves the table as it was.
// A blank carrier name is refused, and so are an ICAO code another row
// already holds and a row the store does not take; the window then stays
// open.
class CarrierEditDialog : public QDialog
{
    Q_OBJECT
public:
    enum class Mode { Add, Edit };

    CarrierEditDialog(Store &store, Mode mode, const CarrierRow &row, QWidget *parent = nullptr);

    QLineEdit *carrier() const { return m_carrier; }
    QLineEdit *icao() const { return m_icao; }
    QLineEdit *iata() const { return m_iata; }
    QPushButton *okButton() const { return m_ok; }
    QPushButton *cancelButton() const { return m_cancel; }

    // The edit window's text ends with a full stop, the add window's not.
    static QString blankText(Mode mode);
    static QString takenText(const QString &icao)
    {
        return QStringLiteral("ICAO code \"%1\" is already in the carrier list").arg(icao);
    }

private:
    void ok();

    Store &m_store;
    Mode m_mode;
    qint64 m_id;
    QString m_stored; // the ICAO code the row had when the window opened
    QLineEdit *m_carrier = nullptr;
    QLineEdit *m_icao = nullptr;
    QLineEdit *m_iata = nullptr;
    QPushButton *m_ok = nullptr;
    QPushButton *m_cancel = nullptr;
};

} // namespace corvane
