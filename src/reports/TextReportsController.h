#pragma once

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

    void prepareTripLog();
    void prepareUnmatchedReport();
    void emailReport();

private:
    // Shows the text in panel 1 and lets the window repaint, at most every
    // tenth of a second and always for the last row.
    void showProgress(const QString &text, qint64 row, qint64 count);

    MainWindow &m_window;
    qint64 m_lastProgress = 0;
};

} // namespace corvane
