#include "CarrierEditor.h"

#include "CarrierEditDialog.h"

#include <QTableWidget>

namespace corvane
{

CarrierEditor::CarrierEditor(Store &store, QWidget *parent)
    : ReferenceListWindow(store,
                          {QStringLiteral("frmCarriers"),
                           QStringLiteral("ACARS Corvane Carriers Database"),
                           QStringLiteral("tdblCarriers"),
                           QStringLiteral("mnuCarriers"),
                           QStringLiteral("Carriers"),
                           QStringLiteral("mnuCarriersDelete"),
                           {QStringLiteral("ID"), QStringLiteral("IATA"), QStringLiteral("ICAO"),
                            QStringLiteral("Carrier")}},
                          parent)
{
    grid()->setColumnHidden(0, true);
    reload();
}

void CarrierEditor::fillGrid()
{
    m_rows = CarrierTable(store()).all();
    grid()->setRowCount(int(m_rows.size()));
    for (int i = 0; i < int(m_rows.size()); ++i) {
        const CarrierRow &c = m_rows[size_t(i)];
        setRow(i, c.id, {QString::number(c.id), c.iata, c.icao, c.carrier});
    }
}

const CarrierRow *CarrierEditor::find(qint64 id) const
{
    for (const CarrierRow &row : m_rows)
        if (row.id == id)
            return &row;
    return nullptr;
}

std::unique_ptr<QDialog> CarrierEditor::addDialog()
{
    return std::make_unique<CarrierEditDialog>(store(), CarrierEditDialog::Mode::Add, CarrierRow(),
                                               this);
}

std::unique_ptr<QDialog> CarrierEditor::editDialog(qint64 id)
{
    CarrierRow row;
    row.id = id;
    if (const CarrierRow *found = find(id))
        row = *found;
    return std::make_unique<CarrierEditDialog>(store(), CarrierEditDialog::Mode::Edit, row, this);
}

void CarrierEditor::remove(qint64 id)
{
    CarrierTable(store()).remove(id);
}

QString CarrierEditor::describe(qint64 id) const
{
    const CarrierRow *row = find(id);
    return QStringLiteral("carrier \"%1\"").arg(row ? row->carrier : QString());
}

} // namespace corvane
