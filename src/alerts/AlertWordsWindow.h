#pragma once

#include <QDialog>
#include <QStringList>

class QPushButton;
class QTabWidget;

namespace corvane
{

class AlertWordList;

// frmAlerts: the watched words of alerts.txt and, on a second tab, the
// ignore words of alerts-ignore.txt. "OK" rewrites both files and closes;
// closing any other way discards the changes. Modeless.
class AlertWordsWindow : public QDialog
{
    Q_OBJECT
public:
    explicit AlertWordsWindow(const QString &folder, QWidget *parent = nullptr);

    // Shows the window; when it is not open, the lists are read from the
    // files first (Form_Load).
    void open() override;
    // cmdOK_Click.
    void ok();

    // True while the window is open with changes not written.
    bool hasUnsavedChanges() const { return isVisible() && m_edited; }
    QStringList words() const;
    QStringList ignoreWords() const;

    AlertWordList *wordList() const { return m_words; }
    AlertWordList *ignoreList() const { return m_ignore; }
    QTabWidget *tabs() const { return m_tabs; }
    QPushButton *okButton() const { return m_ok; }

signals:
    // The words matching should use may have changed: the lists were edited,
    // written or their changes discarded.
    void wordsChanged();

protected:
    void done(int result) override;

private:
    void load();

    QString m_folder;
    QTabWidget *m_tabs = nullptr;
    AlertWordList *m_words = nullptr;
    AlertWordList *m_ignore = nullptr;
    QPushButton *m_ok = nullptr;
    bool m_edited = false;
};

} // namespace corvane
