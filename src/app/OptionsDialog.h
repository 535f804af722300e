#pragma once

#include <QDialog>
#include <QHash>
#include <functional>
#include <span>

class QCheckBox;
class QLineEdit;
class QRadioButton;
class QTabWidget;

namespace corvane
{

class MainWindow;
class Settings;

// frmOptions: the log format, the live link type and the five switches.
// Opening it reads the settings; OK writes the new values through them, so
// that they reach the store and take effect at once.
class OptionsDialog : public QDialog
{
    Q_OBJECT
public:
    explicit OptionsDialog(Settings &settings, QWidget *parent = nullptr);

    // Form_Load: the controls from the settings.
    void load();
    // cmdOK_Click's work: the settings from the controls.
    void save();

    // Shows the dialog modally and saves on OK. The callback, when given,
    // runs on the dialog just before it is shown.
    static bool showModal(QWidget *parent, Settings &settings,
                          const std::function<void(OptionsDialog &)> &before = {});

    // Enables mnuFileOptions and opens the dialog from the window's hook.
    static void attach(MainWindow &window);

    QTabWidget *tabs() const { return m_tabs; }
    QCheckBox *check(const QString &name) const;
    QRadioButton *option(const QString &name) const;

private:
    // Where the chosen feed type is received, or which feeds the group
    // records; edits are kept per type until OK.
    void addFeedFields(QWidget *page);
    void showFeedFields();
    // The trip log's file and the e-mail report's recipient.
    QWidget *reportsPage();

    template <typename Entry> void select(std::span<const Entry> entries, const QString &value);
    template <typename Entry> const Entry *selected(std::span<const Entry> entries) const;

    Settings &m_settings;
    QTabWidget *m_tabs = nullptr;
    QLineEdit *m_feedListen = nullptr;
    QLineEdit *m_feedsEnabled = nullptr;
    QLineEdit *m_tripLogPath = nullptr;
    QLineEdit *m_mailRecipient = nullptr;
    QHash<QString, QString> m_listenEdits; // by feed type
    QString m_shownFeed;                   // whose value m_feedListen shows
};

} // namespace corvane
