#include "OptionsDialog.h"

#include "Dialogs.h"
#include "MainWindow.h"
#include "formats/LiveTypes.h"
#include "formats/LogFormats.h"
#include "settings/Settings.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace corvane
{

namespace
{

// One option button per log format or live type, in table order.
template <typename Entry>
QWidget *optionFrame(QWidget *parent, const char *frameName, const char *caption,
                     std::span<const Entry> entries)
{
    auto *page = new QWidget(parent);
    auto *frame = new QGroupBox(QString::fromLatin1(caption), page);
    frame->setObjectName(QString::fromLatin1(frameName));
    auto *layout = new QVBoxLayout(frame);
    for (const Entry &entry : entries) {
        auto *option = new QRadioButton(QString::fromLatin1(entry.optionCaption), frame);
        option->setObjectName(QString::fromLatin1(entry.optionName));
        layout->addWidget(option);
    }
    (new QVBoxLayout(page))->addWidget(frame);
    return page;
}

} // namespace

OptionsDialog::OptionsDialog(Settings &settings, QWidget *parent)
    : QDialog(parent), m_settings(settings)
{
    setObjectName(QStringLiteral("frmOptions"));
    setWindowTitle(QStringLiteral("ACARS Corvane Options"));

    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("sstOptions"));

    auto *general = new QWidget(m_tabs);
    auto *generalLayout = new QVBoxLayout(general);
    const std::pair<const char *, const char *> checks[] = {
        {"chkUplinks", "Record Uplink messages"},
        {"chkDoEvents", "Poll other events (This will re-draw the screen when task switching "
                        "between other applications, but will slow down the Import process)"},
        {"chkShowNew", "Show New Aircraft after Import"},
        {"chkNewPopup", "Show \"New Aircraft\" window when starting DDE Link"},
        {"chkToolTips", "Show Tool Tips"},
    };
    for (const auto &[name, caption] : checks) {
        auto *box = new QCheckBox(QString::fromLatin1(caption), general);
        box->setObjectName(QString::fromLatin1(name));
        generalLayout->addWidget(box);
    }
    // Shown as it always was; nothing reads it.
    auto *web = new QGroupBox(QStringLiteral("Web Text File"), general);
    web->setObjectName(QStringLiteral("fraWeb"));
    auto *webLayout = new QVBoxLayout(web);
    auto *chkWeb = new QCheckBox(QStringLiteral("Prepare \"Web\" text file with DDE?"), web);
    chkWeb->setObjectName(QStringLiteral("chkWeb"));
    auto *defineWeb = new QPushButton(QStringLiteral("Define Web file header"), web);
    defineWeb->setObjectName(QStringLiteral("cmdDefineWeb"));
    webLayout->addWidget(chkWeb);
    webLayout->addWidget(defineWeb);
    generalLayout->addWidget(web);
    generalLayout->addStretch();
    m_tabs->addTab(general, QStringLiteral("General"));

    m_tabs->addTab(optionFrame(m_tabs, "fraFrame", "Log Type", LogFormats::all()),
                   QStringLiteral("Log Type"));
    QWidget *livePage = optionFrame(m_tabs, "fraDDE", "DDE Type", LiveTypes::all());
    addFeedFields(livePage);
    m_tabs->addTab(livePage, QStringLiteral("DDE Type"));
    m_tabs->addTab(reportsPage(), QStringLiteral("Reports"));

    auto *ok = new QPushButton(QStringLiteral("&OK"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cancel->setObjectName(QStringLiteral("cmdCancel"));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);

    load();
}

QCheckBox *OptionsDialog::check(const QString &name) const
{
    return findChild<QCheckBox *>(name);
}

QRadioButton *OptionsDialog::option(const QString &name) const
{
    return findChild<QRadioButton *>(name);
}

template <typename Entry>
void OptionsDialog::select(std::span<const Entry> entries, const QString &value)
{
    for (const Entry &entry : entries) {
        QRadioButton *o = option(QString::fromLatin1(entry.optionName));
        o->setAutoExclusive(false);
        o->setChecked(false);
        o->setAutoExclusive(true);
    }
    for (const Entry &entry : entries) {
        if (value == entry.name()) {
            option(QString::fromLatin1(entry.optionName))->setChecked(true);
            return;
        }
    }
}

template <typename Entry> const Entry *OptionsDialog::selected(std::span<const Entry> entries) const
{
    for (const Entry &entry : entries)
        if (option(QString::fromLatin1(entry.optionName))->isChecked())
            return &entry;
    return nullptr;
}

void OptionsDialog::load()
{
    // Uplinks are recorded only for the value 1, so only 1 shows ticked.
    check(QStringLiteral("chkUplinks"))->setChecked(m_settings.uplinkMessages() == 1);
    check(QStringLiteral("chkDoEvents"))->setChecked(m_settings.doEvents());
    check(QStringLiteral("chkShowNew"))->setChecked(m_settings.showNew());
    check(QStringLiteral("chkNewPopup"))->setChecked(m_settings.newPopup() == 1);
    check(QStringLiteral("chkToolTips"))->setChecked(m_settings.toolTips() == 1);

    select(LogFormats::all(), m_settings.decoder());
    select(LiveTypes::all(), m_settings.ddeType());
    m_listenEdits.clear();
    for (const QString &feed : LiveTypes::feedNames()) {
        const QString value = m_settings.feedListen(feed);
        m_listenEdits.insert(feed, value.isEmpty()
                                       ? QString::fromLatin1(LiveTypes::find(feed)->defaultListen)
                                       : value);
    }
    m_feedsEnabled->setText(m_settings.enabledFeeds().join(u','));
    m_tripLogPath->setText(m_settings.tripLogPath());
    m_mailRecipient->setText(m_settings.mailRecipient());
    m_shownFeed.clear();
    showFeedFields();
}

void OptionsDialog::addFeedFields(QWidget *page)
{
    auto *form = new QFormLayout;
    m_feedListen = new QLineEdit(page);
    m_feedListen->setObjectName(QStringLiteral("txtFeedListen"));
    m_feedListen->setToolTip(
        QStringLiteral("udp:[ADDRESS:]PORT, tcp-listen:[ADDRESS:]PORT or tcp:HOST:PORT"));
    m_feedsEnabled = new QLineEdit(page);
    m_feedsEnabled->setObjectName(QStringLiteral("txtFeedsEnabled"));
    m_feedsEnabled->setToolTip(QStringLiteral("The feeds that \"Feeds\" records, such as "
                                              "acarsdec,dumpvdl2,dumphfdl"));
    form->addRow(QStringLiteral("Receive feed on"), m_feedListen);
    form->addRow(QStringLiteral("Feeds recorded together"), m_feedsEnabled);
    static_cast<QVBoxLayout *>(page->layout())->addLayout(form);
    connect(m_feedListen, &QLineEdit::textEdited, this, [this](const QString &text) {
        if (!m_shownFeed.isEmpty())
            m_listenEdits.insert(m_shownFeed, text);
    });
    for (const LiveType &type : LiveTypes::all())
        connect(option(QString::fromLatin1(type.optionName)), &QRadioButton::toggled, this,
                &OptionsDialog::showFeedFields);
}

QWidget *OptionsDialog::reportsPage()
{
    auto *page = new QWidget(m_tabs);
    auto *form = new QFormLayout(page);
    m_tripLogPath = new QLineEdit(page);
    m_tripLogPath->setObjectName(QStringLiteral("txtTripLogPath"));
    m_tripLogPath->setToolTip(QStringLiteral("Empty: TripLog.txt in your home folder"));
    auto *browse = new QPushButton(QStringLiteral("&Browse..."), page);
    browse->setObjectName(QStringLiteral("cmdTripLogBrowse"));
    connect(browse, &QPushButton::clicked, this, [this] {
        const QString path =
            Dialogs::saveFile(this, QStringLiteral("Trip log file"), m_tripLogPath->text(),
                              QStringLiteral("Text files (*.txt);;All files (*)"));
        if (!path.isEmpty())
            m_tripLogPath->setText(path);
    });
    auto *tripRow = new QHBoxLayout;
    tripRow->addWidget(m_tripLogPath, 1);
    tripRow->addWidget(browse);
    form->addRow(QStringLiteral("Trip log file"), tripRow);
    m_mailRecipient = new QLineEdit(page);
    m_mailRecipient->setObjectName(QStringLiteral("txtMailRecipient"));
    m_mailRecipient->setPlaceholderText(QStringLiteral("(the mail program asks)"));
    form->addRow(QStringLiteral("Send the e-mail report to"), m_mailRecipient);
    return page;
}

void OptionsDialog::showFeedFields()
{
    const LiveType *type = selected(LiveTypes::all());
    const bool single = type && type->isFeed() && !type->isFeedGroup();
    m_shownFeed = single ? type->name() : QString();
    m_feedListen->setText(m_listenEdits.value(m_shownFeed));
    m_feedListen->setEnabled(single);
    m_feedsEnabled->setEnabled(type && type->isFeedGroup());
}

void OptionsDialog::save()
{
    using Key = Settings::Key;
    const auto value = [this](const char *name) {
        return check(QString::fromLatin1(name))->isChecked() ? 1 : 0;
    };
    m_settings.setSwitch(Key::UplinkMessages, value("chkUplinks"));
    m_settings.setSwitch(Key::DoEvents, value("chkDoEvents"));
    m_settings.setSwitch(Key::ShowNew, value("chkShowNew"));
    m_settings.setSwitch(Key::NewPopup, value("chkNewPopup"));
    m_settings.setSwitch(Key::ToolTips, value("chkToolTips"));
    // The options of a frame exclude each other: at most one is chosen.
    if (const LogFormat *format = selected(LogFormats::all()))
        m_settings.setDecoder(format->name());
    if (const LiveType *type = selected(LiveTypes::all()))
        m_settings.setDdeType(type->name());
    for (const QString &feed : LiveTypes::feedNames()) {
        const QString value = m_listenEdits.value(feed).trimmed();
        if (value != m_settings.feedListen(feed) &&
            !(m_settings.feedListen(feed).isEmpty() &&
              value == QLatin1String(LiveTypes::find(feed)->defaultListen)))
            m_settings.setFeedListen(feed, value);
    }
    QStringList enabled;
    for (const QString &feed : m_feedsEnabled->text().split(u',', Qt::SkipEmptyParts))
        if (!feed.trimmed().isEmpty())
            enabled << feed.trimmed();
    if (enabled != m_settings.enabledFeeds())
        m_settings.setEnabledFeeds(enabled);
    // The default path stays unwritten, so it follows the home folder.
    const QString tripLog = m_tripLogPath->text().trimmed();
    if (tripLog != m_settings.tripLogPath())
        m_settings.setText(Key::TripLogPath, tripLog);
    m_settings.setText(Key::MailRecipient, m_mailRecipient->text().trimmed());
    m_settings.sync();
}

bool OptionsDialog::showModal(QWidget *parent, Settings &settings,
                              const std::function<void(OptionsDialog &)> &before)
{
    OptionsDialog dialog(settings, parent);
    if (before)
        before(dialog);
    if (Dialogs::exec(dialog) != QDialog::Accepted)
        return false;
    dialog.save();
    return true;
}

void OptionsDialog::attach(MainWindow &window)
{
    window.menuItem(QStringLiteral("mnuFileOptions"))->setEnabled(true);
    window.onOptionsRequested = [&window] { showModal(&window, window.settings()); };
}

} // namespace corvane
