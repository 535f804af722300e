#include "CarrierEditDialog.h"

#include "app/Dialogs.h"
#include "store/StoreError.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace corvane
{

namespace
{
QLineEdit *field(QFormLayout *form, const char *name, const char *label, const QString &text)
{
    auto *edit = new QLineEdit(text);
    edit->setObjectName(QString::fromLatin1(name));
    form->addRow(QString::fromLatin1(label), edit);
    return edit;
}
} // namespace

CarrierEditDialog::CarrierEditDialog(Store &store, Mode mode, const CarrierRow &row,
                                     QWidget *parent)
    : QDialog(parent), m_store(store), m_mode(mode), m_id(row.id), m_stored(row.icao)
{
    const bool add = mode == Mode::Add;
    setObjectName(add ? QStringLiteral("frmAddCarrier") : QStringLiteral("frmEditCarrier"));
    setWindowTitle(add ? QStringLiteral("ACARS Corvane - Add Carrier")
                       : QStringLiteral("ACARS Corvane - Edit Carrier"));
    auto *layout = new QVBoxLayout(this);
    auto *form = new QFormLayout;
    m_carrier = field(form, "txtCarrier", "Carrier:", row.carrier);
    m_icao = field(form, "txtICAO", "ICAO:", row.icao);
    m_iata = field(form, "txtIATA", "IATA:", row.iata);
    layout->addLayout(form);

    auto *buttons = new QDialogButtonBox(this);
    m_ok = buttons->addButton(QStringLiteral("&OK"), QDialogButtonBox::AcceptRole);
    m_ok->setObjectName(QStringLiteral("cmdOK"));
    m_cancel = buttons->addButton(QStringLiteral("&Cancel"), QDialogButtonBox::RejectRole);
    m_cancel->setObjectName(QStringLiteral("cmdCancel"));
    layout->addWidget(buttons);
    connect(m_ok, &QPushButton::clicked, this, &CarrierEditDialog::ok);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
}

QString CarrierEditDialog::blankText(Mode mode)
{
    return mode == Mode::Add ? QStringLiteral("Carrier cannot be blank")
                             : QStringLiteral("Carrier cannot be blank.");
}

void CarrierEditDialog::ok()
{
    if (m_carrier->text().trimmed().isEmpty()) {
        Dialogs::critical(this, blankText(m_mode));
        m_carrier->setFocus();
        return;
    }
    const CarrierRow row{m_id, m_iata->text(), m_icao->text(), m_carrier->text()};
    try {
        CarrierTable table(m_store);
        // Carriers are found by their ICAO code: a second row would make the
        // operator shown a matter of chance. Carriers without one may be many.
        const bool newKey = m_mode == Mode::Add || row.icao != m_stored;
        if (newKey && !row.icao.trimmed().isEmpty() && table.icaoTaken(row.icao, m_id)) {
            Dialogs::critical(this, takenText(row.icao));
            m_icao->setFocus();
            return;
        }
        if (m_mode == Mode::Add)
            m_id = table.add(row);
        else
            table.update(row);
    } catch (const StoreError &e) {
        Dialogs::critical(
            this, QStringLiteral("Cannot store carrier \"%1\": %2").arg(row.carrier, e.message()));
        return;
    }
    accept();
}

} // namespace corvane
