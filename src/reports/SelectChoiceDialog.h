#pragma once

#include <QDialog>
#include <QStringList>

class QComboBox;

namespace corvane
{

// frmSelectFlight and frmSelectRegistration: one flight number or
// registration picked from those stored. The window is kept between uses,
// so the next use shows the last choice; Cancel empties it.
class SelectChoiceDialog : public QDialog
{
    Q_OBJECT
public:
    enum class Kind { Flight, Registration };

    SelectChoiceDialog(Kind kind, QWidget *parent = nullptr);

    // The list offered, every value stored; the text shown stays.
    void setChoices(const QStringList &choices);
    QComboBox *list() const { return m_list; }
    // Empty after Cancel.
    QString choice() const;

    // cmdCancel, Escape or closing the window: empties the text first.
    void reject() override;

private:
    QComboBox *m_list = nullptr;
};

} // namespace corvane
