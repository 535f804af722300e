#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class QStatusBar;

namespace corvane
{

class BulkUpdateController;

// frmRemoveDuplicates: explains the removal, runs it on "Remove Duplicates"
// and closes when it has ended. The window cannot be closed while it runs.
class RemoveDuplicatesDialog : public QDialog
{
    Q_OBJECT
public:
    RemoveDuplicatesDialog(BulkUpdateController &controller, QWidget *parent = nullptr);

    void setStatus(const QString &text);
    void setResult(qint64 removed, qint64 left);
    bool removedAny() const { return m_removed > 0; }
    bool isRemoving() const { return m_removing; }

    QPushButton *removeButton() const { return m_remove; }
    QPushButton *cancelButton() const { return m_cancel; }
    QString statusText() const;

    static QString infoText();
    static QString warningText();

public slots:
    void reject() override;

private:
    void remove();
    void removalEnded();

    BulkUpdateController &m_controller;
    QStatusBar *m_status = nullptr;
    QPushButton *m_remove = nullptr;
    QPushButton *m_cancel = nullptr;
    bool m_removing = false;
    qint64 m_removed = 0;
};

} // namespace corvane
