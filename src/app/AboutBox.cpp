#include "AboutBox.h"

#include "Dialogs.h"
#include "HelpPage.h"
#include "Version.h"

#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace corvane
{

AboutBox::AboutBox(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmSplash"));
    setWindowTitle(QStringLiteral("ACARS Corvane"));
    setModal(true);

    auto *title = new QLabel(QStringLiteral("ACARS Corvane"), this);
    title->setObjectName(QStringLiteral("lblTitle"));
    QFont big = title->font();
    big.setPointSizeF(big.pointSizeF() * 1.8);
    big.setBold(true);
    title->setFont(big);
    title->setAlignment(Qt::AlignCenter);

    m_version = new QLabel(QStringLiteral("Version ") + versionText(), this);
    m_version->setObjectName(QStringLiteral("lblVersion"));
    m_version->setAlignment(Qt::AlignCenter);

    auto *about = new QLabel(QStringLiteral("Collects, stores and browses ACARS, VDL2 and HFDL "
                                            "messages decoded by your decoder program."),
                             this);
    about->setObjectName(QStringLiteral("lblDescription"));
    about->setWordWrap(true);
    about->setAlignment(Qt::AlignCenter);

    m_link = new QLabel(this);
    m_link->setObjectName(QStringLiteral("lblWeb"));
    m_link->setAlignment(Qt::AlignCenter);
    m_link->setTextFormat(Qt::RichText);
    m_link->setText(QStringLiteral("<a href=\"%1\">ACARS Corvane help and home page</a>")
                        .arg(webAddress().toString().toHtmlEscaped()));
    m_link->setOpenExternalLinks(false);
    m_link->setVisible(!webAddress().isEmpty());
    connect(m_link, &QLabel::linkActivated, this,
            [this](const QString &link) { Dialogs::openUrlOrSay(this, QUrl(link)); });

    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setObjectName(QStringLiteral("cmdOK"));
    m_ok->setDefault(true);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addStretch();

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(title);
    layout->addWidget(m_version);
    layout->addWidget(about);
    layout->addWidget(m_link);
    layout->addLayout(buttons);
}

QUrl AboutBox::webAddress()
{
    const QString page = HelpPage::path();
    return page.isEmpty() ? QUrl() : QUrl::fromLocalFile(page);
}

void AboutBox::showModal(QWidget *parent)
{
    AboutBox box(parent);
    Dialogs::exec(box);
}

} // namespace corvane
