#include "OptionsDialog.h"

#include "AppState.h"
#include "Dialogs.h"
#include "MainWindow.h"
#include "Settings.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace corvane
{

namespace
{

struct Choice {
    const char *name;
    const char *caption;
    const char *value;
};

// In the order the dialog tests them when it opens.
const Choice kLogTypes[] = {
    {"optAirNav", "AirNav", "AirNav"},
    {"optSkySpy", "SkySpy", "SkySpy"},
    {"optAirMaster32000", "Air Master 3/2000", "AirMaster32000"},
    {"optZcars", "ZCARS", "ZCARS"},
    {"optBrellwick", "Brellwick (Airmaster mode)", "Brellwick"},
    {"optARD", "ARD2", "ARD2"},
    {"optSSHF", "SkySweeper HF", "SSHF"},
    {"optSSVHF", "SkySweeper VHF", "SSVHF"},
    {"optACARSD", "ACARSD", "ACARSD"},
};

const Choice kDdeTypes[] = {
    {"optDDEANAD", "AirNav", "ANAD"},
    {"optDDESkySpy", "SkySpy", "SkySpy"},
    {"optDDEAirmaster", "Airmaster", "Airmaster"},
    {"optDDEZcars", "ZCARS", "ZCARS"},
    {"optDDEHFDL", "HFDL", "HFDL"},
    {"optARDDDE", "ARD2", "ARD2"},
    {"optPosFix", "PosFix", "POSFIX"},
    {"optDDESSHF", "SkySweeper HF", "SSHF"},
    {"optDDESSVHF", "SkySweeper VHF", "SSVHF"},
    {"optDDEACARSD", "ACARSD", "ACARSD"},
};

QWidget *optionFrame(QWidget *parent, const char *frameName, const char *caption,
                     const Choice *choices, size_t count)
{
    auto *page = new QWidget(parent);
    auto *frame = new QGroupBox(QString::fromLatin1(caption), page);
    frame->setObjectName(QString::fromLatin1(frameName));
    auto *layout = new QVBoxLayout(frame);
    for (size_t i = 0; i < count; ++i) {
        auto *option = new QRadioButton(QString::fromLatin1(choices[i].caption), frame);
        option->setObjectName(QString::fromLatin1(choices[i].name));
        layout->addWidget(option);
    }
    (new QVBoxLayout(page))->addWidget(frame);
    return page;
}

} // namespace

OptionsDialog::OptionsDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmOptions"));
    setWindowTitle(QStringLiteral("ACARS  Corvane Options"));

    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("sstOptions"));

    auto *general = new QWidget(m_tabs);
    auto *generalLayout = new QVBoxLayout(general);
    const std::pair<const char *, const char *> checks[] = {
        {"chkUplinks", "Record Uplink messages"},
        {"chkDoEvents", "Poll other events (This will re-draw the screen when task switching "
                        "between other applictions, but will slow down the Import process)"},
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

    m_tabs->addTab(optionFrame(m_tabs, "fraFrame", "Log Type", kLogTypes, std::size(kLogTypes)),
                   QStringLiteral("Log Type"));
    m_tabs->addTab(optionFrame(m_tabs, "fraDDE", "DDE Type", kDdeTypes, std::size(kDdeTypes)),
                   QStringLiteral("DDE Type"));

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

void OptionsDialog::load()
{
    const AppState &state = AppState::instance();
    // Uplinks are recorded only for the value 1, so only 1 shows ticked.
    check(QStringLiteral("chkUplinks"))->setChecked(state.uplinkMessages == 1);
    check(QStringLiteral("chkDoEvents"))->setChecked(state.doEvents);
    check(QStringLiteral("chkShowNew"))->setChecked(state.showNew);
    check(QStringLiteral("chkNewPopup"))->setChecked(state.newPopup == 1);
    // Always opens unticked, whatever was saved.
    check(QStringLiteral("chkToolTips"))->setChecked(false);

    const auto select = [this](const Choice *choices, size_t count, const QString &value) {
        for (size_t i = 0; i < count; ++i) {
            QRadioButton *o = option(QString::fromLatin1(choices[i].name));
            o->setAutoExclusive(false);
            o->setChecked(false);
            o->setAutoExclusive(true);
        }
        for (size_t i = 0; i < count; ++i) {
            if (value == QLatin1String(choices[i].value)) {
                option(QString::fromLatin1(choices[i].name))->setChecked(true);
                return;
            }
        }
    };
    select(kLogTypes, std::size(kLogTypes), state.decoder);
    select(kDdeTypes, std::size(kDdeTypes), state.ddeType);
}

void OptionsDialog::save()
{
    const auto value = [this](const char *name) {
        return check(QString::fromLatin1(name))->isChecked() ? 1 : 0;
    };
    Settings settings;
    settings.setSwitch("UplinkMessages", value("chkUplinks"));
    settings.setSwitch("DoEvents", value("chkDoEvents"));
    settings.setSwitch("ShowNew", value("chkShowNew"));
    settings.setSwitch("NewPopup", value("chkNewPopup"));
    settings.setSwitch("ToolTips", value("chkToolTips"));

    AppState &state = AppState::instance();
    state.uplinkMessages = value("chkUplinks");
    state.doEvents = value("chkDoEvents") == 1;
    state.showNew = value("chkShowNew") == 1;
    state.newPopup = value("chkNewPopup");
    state.toolTips = value("chkToolTips");

    for (const Choice &c : kLogTypes) {
        if (option(QString::fromLatin1(c.name))->isChecked()) {
            state.decoder = QString::fromLatin1(c.value);
            settings.setText("Decoder", state.decoder);
        }
    }
    static const char *const kDdeOrder[] = {
        "optDDESkySpy", "optDDEANAD", "optDDEAirmaster", "optDDEZcars", "optDDEHFDL",
        "optARDDDE",    "optPosFix",  "optDDESSHF",      "optDDESSVHF", "optDDEACARSD"};
    for (const char *name : kDdeOrder) {
        if (!option(QString::fromLatin1(name))->isChecked())
            continue;
        for (const Choice &c : kDdeTypes) {
            if (qstrcmp(c.name, name) == 0) {
                state.ddeType = QString::fromLatin1(c.value);
                settings.setText("DDEType", state.ddeType);
            }
        }
    }
    settings.sync();
}

bool OptionsDialog::showModal(QWidget *parent, const std::function<void(OptionsDialog &)> &before)
{
    OptionsDialog dialog(parent);
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
    window.onOptionsRequested = [&window] { showModal(&window); };
}

} // namespace corvane
