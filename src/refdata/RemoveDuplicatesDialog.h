#pragma once

#include "store/StoreCleanup.h"

#include <QDialog>
#include <optional>

class QLabel;
class QPushButton;
class QStatusBar;

namespace corvane
{

class BulkUpdateController;

// frmRemoveDuplicates: says what the removal keeps; "Remove Duplicates"
// counts the messages it would delete, asks with that number (No being the
// default), runs it on Yes, says how many went and closes. The window cannot
// be closed while a count or the removal runs.
class RemoveDuplicatesDialog : public QDialog
{
    Q_OBJECT
public:
    RemoveDuplicatesDialog(BulkUpdateController &controller, QWidget *parent = nullptr);

    void setStatus(const QString &text);
    // From the count and the removal jobs, before they end.
    void setCount(const StoreCleanup::Duplicates &count) { m_count = count; }
    void setResult(const StoreCleanup::Duplicates &result) { m_result = result; }
    bool removedAny() const { return m_result && m_result->removed > 0; }
    bool isRemoving() const { return m_phase == Phase::Removing; }

    QPushButton *removeButton() const { return m_remove; }
    QPushButton *cancelButton() const { return m_cancel; }
    QString statusText() const;

    static QString infoText();
    static QString keepText();
    static QString questionText(const StoreCleanup::Duplicates &count);
    static QString noneText();
    static QString resultText(const StoreCleanup::Duplicates &result);

public slots:
    void reject() override;

private:
    enum class Phase { Idle, Counting, Removing };

    void remove();
    void jobEnded();
    void countEnded();
    void removalEnded();
    void setPhase(Phase phase);

    BulkUpdateController &m_controller;
    QStatusBar *m_status = nullptr;
    QPushButton *m_remove = nullptr;
    QPushButton *m_cancel = nullptr;
    Phase m_phase = Phase::Idle;
    std::optional<StoreCleanup::Duplicates> m_count;
    std::optional<StoreCleanup::Duplicates> m_result;
};

} // namespace corvane
