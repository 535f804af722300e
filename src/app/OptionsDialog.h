#pragma once

#include <QDialog>
#include <functional>

class QCheckBox;
class QRadioButton;
class QTabWidget;

namespace corvane
{

class MainWindow;

// frmOptions: the log format, the live link type and the five switches.
// Opening it reads the process-wide settings variables; OK writes the new
// values to the settings store and to those variables at once.
class OptionsDialog : public QDialog
{
    Q_OBJECT
public:
    explicit OptionsDialog(QWidget *parent = nullptr);

    // Form_Load: the controls from the process-wide variables.
    void load();
    // cmdOK_Click's work: the settings store and the variables from the
    // controls.
    void save();

    // Shows the dialog modally and saves on OK. The callback, when given,
    // runs on the dialog just before it is shown.
    static bool showModal(QWidget *parent, const std::function<void(OptionsDialog &)> &before = {});

    // Enables mnuFileOptions and opens the dialog from the window's hook.
    static void attach(MainWindow &window);

    QTabWidget *tabs() const { return m_tabs; }
    QCheckBox *check(const QString &name) const;
    QRadioButton *option(const QString &name) const;

private:
    QTabWidget *m_tabs = nullptr;
};

} // namespace corvane
