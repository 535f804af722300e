#pragma once

#include "store/MessageView.h"

#include <QObject>
#include <QString>
#include <functional>

namespace corvane
{

class MainWindow;

// File > Export CSV...: the message grid's view, with its filter and sort as
// shown, written to a file the user names, with progress and cancel.
class CsvExportController : public QObject
{
    Q_OBJECT
public:
    explicit CsvExportController(MainWindow &window);

    // The grid's current view; all messages in time order when unset.
    std::function<MessageView()> currentView;

    void exportView();
    // The same without the save dialog.
    void exportTo(const QString &path);

private:
    MainWindow &m_window;
};

} // namespace corvane
