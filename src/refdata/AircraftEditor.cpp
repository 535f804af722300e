#include "AircraftEditor.h"

#include "AircraftEditDialog.h"

#include <QTableWidget>

namespace corvane
{

namespace
{
const int kHeardColumn = 4;
}

AircraftEditor::AircraftEditor(Store &store, QWidget *parent)
    : ReferenceListWindow(
          store,
          {QStringLiteral("frmAircraft"),
           QStringLiteral("ACARS Corvane - Aircraft Database"),
           QStringLiteral("tdblAircraft"),
           QStringLiteral("mnuAircraft"),
           QStringLiteral("Aircraft"),
           QStringLiteral("mnuAircraftDelete"),
           {QStringLiteral("Registration"), QStringLiteral("Carrier"), QStringLiteral("Type"),
            QStringLiteral("Serial"), QStringLiteral("Heard?")}},
          parent)
{
    reload();
}

void AircraftEditor::fillGrid()
{
    m_rows = AircraftTable(store()).all();
    grid()->setRowCount(int(m_rows.size()));
    for (int i = 0; i < int(m_rows.size()); ++i) {
        const AircraftRow &a = m_rows[size_t(i)];
        setRow(i, a.id, {a.registration, a.carrier, a.type, a.serial, QString()});
        // The flag is shown as a tick, not as a number.
        QTableWidgetItem *heard = grid()->item(i, kHeardColumn);
        heard->setCheckState(a.heard ? Qt::Checked : Qt::Unchecked);
        heard->setFlags(heard->flags() & ~Qt::ItemIsUserCheckable);
    }
}

const AircraftRow *AircraftEditor::find(qint64 id) const
{
    for (const AircraftRow &row : m_rows)
        if (row.id == id)
            return &row;
    return nullptr;
}

std::unique_ptr<QDialog> AircraftEditor::addDialog()
{
    return std::make_unique<AircraftEditDialog>(store(), AircraftEditDialog::Mode::Add,
                                                AircraftRow(), this);
}

std::unique_ptr<QDialog> AircraftEditor::editDialog(qint64 id)
{
    AircraftRow row;
    row.id = id;
    if (const AircraftRow *found = find(id))
        row = *found;
    return std::make_unique<AircraftEditDialog>(store(), AircraftEditDialog::Mode::Edit, row, this);
}

void AircraftEditor::remove(qint64 id)
{
    AircraftTable(store()).remove(id);
}

QString AircraftEditor::describe(qint64 id) const
{
    const AircraftRow *row = find(id);
    return QStringLiteral("aircraft \"%1\"").arg(row ? row->registration : QString());
}

} // namespace corvane
