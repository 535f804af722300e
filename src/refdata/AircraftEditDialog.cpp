#include "AircraftEditDialog.h"

#include "app/Dialogs.h"
#include "store/StoreError.h"

#include <QCheckBox>
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

AircraftEditDialog::AircraftEditDialog(Store &store, Mode mode, const AircraftRow &row,
                                       QWidget *parent)
    : QDialog(parent), m_store(store), m_mode(mode), m_id(row.id), m_stored(row.registration)
{
    const bool add = mode == Mode::Add;
    setObjectName(add ? QStringLiteral("frmAddAircraft") : QStringLiteral("frmEditAircraft"));
    setWindowTitle(add ? QStringLiteral("ACARS Corvane - Add Aircraft")
                       : QStringLiteral("ACARS Corvane - Edit Aircraft"));
    auto *layout = new QVBoxLayout(this);
    auto *form = new QFormLayout;
    m_reg = field(form, "txtREGISTRATI", "Registration:", row.registration);
    m_carrier = field(form, "txtCARRIER", "Carrier:", row.carrier);
    m_type = field(form, "txtTYPE", "Type:", row.type);
    m_serial = field(form, "txtCN", "Serial:", row.serial);
    m_heard = new QCheckBox; // its row says what it is
    m_heard->setObjectName(add ? QStringLiteral("chkHeard") : QStringLiteral("Check1"));
    m_heard->setChecked(row.heard);
    form->addRow(QStringLiteral("Heard?:"), m_heard);
    layout->addLayout(form);

    auto *buttons = new QDialogButtonBox(this);
    m_ok = buttons->addButton(QStringLiteral("&OK"), QDialogButtonBox::AcceptRole);
    m_ok->setObjectName(add ? QStringLiteral("cmdOK") : QStringLiteral("cdmOK"));
    m_cancel = buttons->addButton(QStringLiteral("&Cancel"), QDialogButtonBox::RejectRole);
    m_cancel->setObjectName(add ? QStringLiteral("cmdCancel") : QStringLiteral("cdmCancel"));
    layout->addWidget(buttons);
    connect(m_ok, &QPushButton::clicked, this, &AircraftEditDialog::ok);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
}

AircraftRow AircraftEditDialog::row() const
{
    return {m_id,           m_reg->text(),    m_carrier->text(),
            m_type->text(), m_serial->text(), m_heard->isChecked()};
}

void AircraftEditDialog::ok()
{
    const QString reg = m_reg->text();
    if (reg.trimmed().isEmpty()) {
        // The add window's box has no icon; the edit window's is critical.
        if (m_mode == Mode::Add)
            Dialogs::information(this, blankText());
        else
            Dialogs::critical(this, blankText());
        m_reg->setFocus();
        return;
    }
    try {
        AircraftTable table(m_store);
        // A row kept as it was is no new duplicate, whatever the table held.
        const bool newKey = m_mode == Mode::Add || reg != m_stored;
        if (newKey && table.registrationTaken(reg, m_id)) {
            Dialogs::critical(this, takenText(reg));
            m_reg->setFocus();
            return;
        }
        if (m_mode == Mode::Add)
            m_id = table.add(row());
        else
            table.update(row());
    } catch (const StoreError &e) {
        Dialogs::critical(
            this,
            QStringLiteral("Cannot store aircraft \"%1\": %2").arg(m_reg->text(), e.message()));
        return;
    }
    accept();
}

} // namespace corvane
