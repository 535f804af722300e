#pragma once

#include "ReferenceListWindow.h"
#include "store/AircraftTable.h"

#include <vector>

namespace corvane
{

// frmAircraft: the aircraft table in registration order, with its add and
// edit windows.
class AircraftEditor : public ReferenceListWindow
{
    Q_OBJECT
public:
    explicit AircraftEditor(Store &store, QWidget *parent = nullptr);

protected:
    void fillGrid() override;
    std::unique_ptr<QDialog> addDialog() override;
    std::unique_ptr<QDialog> editDialog(qint64 id) override;
    void remove(qint64 id) override;
    QString describe(qint64 id) const override;

private:
    const AircraftRow *find(qint64 id) const;

    std::vector<AircraftRow> m_rows;
};

} // namespace corvane
