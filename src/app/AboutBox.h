#pragma once

#include <QDialog>
#include <QUrl>

class QLabel;
class QPushButton;

namespace corvane
{

// The About box "frmSplash": title, version, a link to the program's page.
class AboutBox : public QDialog
{
    Q_OBJECT
public:
    explicit AboutBox(QWidget *parent = nullptr);

    // The page behind the link: the help page we ship.
    static QUrl webAddress();

    QLabel *versionLabel() const { return m_version; }
    QLabel *linkLabel() const { return m_link; }
    QPushButton *okButton() const { return m_ok; }

    // Shows the box modally.
    static void showModal(QWidget *parent);

private:
    QLabel *m_version = nullptr;
    QLabel *m_link = nullptr;
    QPushButton *m_ok = nullptr;
};

} // namespace corvane
