#pragma once

#include "store/MessageView.h"

#include <QObject>
#include <functional>

class QDialog;

namespace corvane
{

class MainWindow;

// The Reports menu's text outputs: the trip log, the unmatched data report
// and the e-mail report.
class TextReportsController : public QObject
{
    Q_OBJECT
public:
    explicit TextReportsController(MainWindow &window);

    // Runs on every modal window just before it is shown (tests drive the
    // window's controls from here).
    std::function<void(QDialog &)> beforeDialog;
    // The message grid's view and its row count, for the e-mail report.
    std::function<MessageView()> currentView;
    std::function<qint64()> viewRecordCount;

    void prepareTripLog();
    void prepareUnmatchedReport();
    void emailReport();

    // What the user is told once the trip log is written.
    static QString tripLogText(qint64 registrations, const QString &path);

private:
    // Shows the text in panel 1 and lets the window repaint, at most every
    // tenth of a second and always for the last row.
    void showProgress(const QString &text, qint64 row, qint64 count);

    MainWindow &m_window;
    qint64 m_lastProgress = 0;
};

} // namespace corvane
