#pragma once

#include <QStringList>
#include <QWidget>

class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;

namespace corvane
{

// One list of words as the alert set-up window edits it: the drop-down list,
// the "New" frame with its text box and "Add", and the two delete buttons.
class AlertWordList : public QWidget
{
    Q_OBJECT
public:
    struct Names {
        const char *list, *frame, *text, *add, *deleteCurrent, *deleteAll;
    };
    AlertWordList(const Names &names, QWidget *parent = nullptr);

    // Fills the list; the first entry is selected when there is one.
    void setWords(const QStringList &words);
    QStringList words() const;

    // cmdAdd_Click: the text box's text as the last entry; a blank text, one
    // listed already or one the file cannot keep is refused with a message.
    void add();
    // cmdDeleteCurrent_Click: nothing without a selected entry.
    void deleteCurrent();
    // cmdDeleteAll_Click.
    void deleteAll();

    QComboBox *list() const { return m_list; }
    QLineEdit *newText() const { return m_text; }

signals:
    // The user changed the list.
    void edited();

private:
    QComboBox *m_list = nullptr;
    QGroupBox *m_frame = nullptr;
    QLineEdit *m_text = nullptr;
};

} // namespace corvane
