#pragma once

#include "ReferenceListWindow.h"
#include "store/CarrierTable.h"

#include <vector>

namespace corvane
{

// frmCarriers: the carrier table in IATA order (its ID column hidden), with
// its add and edit windows.
class CarrierEditor : public ReferenceListWindow
{
    Q_OBJECT
public:
    explicit CarrierEditor(Store &store, QWidget *parent = nullptr);

protected:
    void fillGrid() override;
    std::unique_ptr<QDialog> addDialog() override;
    std::unique_ptr<QDialog> editDialog(qint64 id) override;
    void remove(qint64 id) override;
    QString describe(qint64 id) const override;

private:
    const CarrierRow *find(qint64 id) const;

    std::vector<CarrierRow> m_rows;
};

} // namespace corvane
