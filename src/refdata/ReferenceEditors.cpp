#include "ReferenceEditors.h"

#include "AircraftEditor.h"
#include "CarrierEditor.h"
#include "RouteEditor.h"
#include "app/MainWindow.h"

#include <QAction>

namespace corvane
{

ReferenceEditors::ReferenceEditors(MainWindow &window) : m_window(window)
{
    const auto enable = [this](const char *name, auto open) {
        QAction *item = m_window.menuItem(QString::fromLatin1(name));
        item->setEnabled(true);
        connect(item, &QAction::triggered, this, open);
    };
    enable("mnuDatabaseEditAircraft", [this] { showAircraft(); });
    enable("mnuDatabaseEditCarriers", [this] { showCarriers(); });
    enable("mnuDatabaseEditRoutes", [this] { showRoutes(); });
}

ReferenceEditors::~ReferenceEditors()
{
    delete m_aircraft;
    delete m_carriers;
    delete m_routes;
}

template <class Editor> Editor *ReferenceEditors::show(QPointer<Editor> &editor)
{
    if (!editor) {
        editor = new Editor(m_window.store(), &m_window);
        connect(editor, &Editor::changed, &m_window, &MainWindow::referenceDataChanged);
    } else {
        // Bulk loads may have changed the table since it was last shown.
        editor->reload();
    }
    editor->show();
    editor->raise();
    editor->activateWindow();
    return editor;
}

AircraftEditor *ReferenceEditors::showAircraft()
{
    return show(m_aircraft);
}

CarrierEditor *ReferenceEditors::showCarriers()
{
    return show(m_carriers);
}

RouteEditor *ReferenceEditors::showRoutes()
{
    return show(m_routes);
}

} // namespace corvane
