#pragma once

#include <QObject>
#include <QPointer>

namespace corvane
{

class AircraftEditor;
class CarrierEditor;
class MainWindow;
class RouteEditor;

// Opens the three reference editors from the Database menu, each once and
// modeless, and passes their changes on as the window's
// referenceDataChanged().
class ReferenceEditors : public QObject
{
    Q_OBJECT
public:
    explicit ReferenceEditors(MainWindow &window);
    ~ReferenceEditors() override;

    AircraftEditor *showAircraft();
    CarrierEditor *showCarriers();
    RouteEditor *showRoutes();

private:
    template <class Editor> Editor *show(QPointer<Editor> &editor);

    MainWindow &m_window;
    QPointer<AircraftEditor> m_aircraft;
    QPointer<CarrierEditor> m_carriers;
    QPointer<RouteEditor> m_routes;
};

} // namespace corvane
