#include "app/Dialogs.h"
#include "app/MainWindow.h"
#include "app/OptionsDialog.h"
#include "settings/Settings.h"
#include "store/Store.h"
#include "support/TestEnvironment.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QtTest>

using namespace corvane;

// The Options dialog: what it shows, what OK stores and applies, and what
// Cancel leaves alone.
class TestOptions : public QObject
{
    Q_OBJECT

    test::TestEnvironment env;

    static QVariant stored(const char *key)
    {
        Settings settings;
        return settings.store().value(QStringLiteral("Startup/") + QLatin1String(key));
    }

private slots:
    void init()
    {
        env.resetSettings();
        Dialogs::setUnattended(true);
        Dialogs::reset();
    }

    void freshInstallShowsTheDefaults()
    {
        Settings settings;
        OptionsDialog dialog(settings);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("ACARS Corvane Options"));
        QVERIFY(dialog.check("chkUplinks")->isChecked());
        QVERIFY(!dialog.check("chkDoEvents")->isChecked());
        QVERIFY(!dialog.check("chkShowNew")->isChecked());
        QVERIFY(dialog.check("chkNewPopup")->isChecked());
        QVERIFY(dialog.option("optSkySpy")->isChecked());
        QVERIFY(dialog.option("optDDEANAD")->isChecked());
        QVERIFY(dialog.findChild<QWidget *>("fraWeb"));
    }

    // The option buttons of both frames, in the order the dialog shows them.
    void optionsInTheirOrder()
    {
        Settings settings;
        OptionsDialog dialog(settings);
        const auto buttons = [&dialog](const char *frame) {
            QStringList names;
            for (QRadioButton *o :
                 dialog.findChild<QWidget *>(frame)->findChildren<QRadioButton *>())
                names << o->objectName() + u'=' + o->text();
            return names;
        };
        QCOMPARE(buttons("fraFrame"),
                 (QStringList{
                     "optAirNav=AirNav", "optSkySpy=SkySpy", "optAirMaster32000=Air Master 3/2000",
                     "optZcars=ZCARS", "optBrellwick=Brellwick (Airmaster mode)", "optARD=ARD2",
                     "optSSHF=SkySweeper HF", "optSSVHF=SkySweeper VHF", "optACARSD=ACARSD",
                     "optAcarsdec=acarsdec", "optVdlm2dec=vdlm2dec", "optDumpvdl2=dumpvdl2",
                     "optDumphfdl=dumphfdl"}));
        QCOMPARE(buttons("fraDDE"),
                 (QStringList{"optDDEANAD=AirNav", "optDDESkySpy=SkySpy",
                              "optDDEAirmaster=Airmaster", "optDDEZcars=ZCARS", "optDDEHFDL=HFDL",
                              "optARDDDE=ARD2", "optPosFix=PosFix", "optDDESSHF=SkySweeper HF",
                              "optDDESSVHF=SkySweeper VHF", "optDDEACARSD=ACARSD",
                              "optFeedAcarsdec=acarsdec", "optFeedVdlm2dec=vdlm2dec",
                              "optFeedDumpvdl2=dumpvdl2", "optFeedDumphfdl=dumphfdl",
                              "optFeeds=Feeds"}));
    }

    // The address field follows the chosen feed type; edits are kept per
    // type and only what was changed is written.
    void feedFieldsFollowTheChosenType()
    {
        env.resetSettings();
        Settings settings;
        OptionsDialog dialog(settings);
        auto *listen = dialog.findChild<QLineEdit *>("txtFeedListen");
        auto *enabled = dialog.findChild<QLineEdit *>("txtFeedsEnabled");
        dialog.option("optFeedDumpvdl2")->setChecked(true);
        QVERIFY(listen->isEnabled() && !enabled->isEnabled());
        QCOMPARE(listen->text(), QStringLiteral("udp:127.0.0.1:5555"));
        listen->clear();
        QTest::keyClicks(listen, "tcp:router.local:5555");
        dialog.option("optFeedAcarsdec")->setChecked(true);
        QCOMPARE(listen->text(), QStringLiteral("udp:127.0.0.1:5550"));
        dialog.option("optFeedDumpvdl2")->setChecked(true);
        QCOMPARE(listen->text(), QStringLiteral("tcp:router.local:5555"));
        dialog.option("optFeeds")->setChecked(true);
        QVERIFY(!listen->isEnabled() && enabled->isEnabled());
        QCOMPARE(enabled->text(), QStringLiteral("acarsdec,dumpvdl2,dumphfdl"));
        enabled->setText(QStringLiteral("acarsdec, dumphfdl"));
        dialog.save();

        const Settings saved;
        QCOMPARE(saved.ddeType(), QStringLiteral("Feeds"));
        QCOMPARE(saved.feedListen("dumpvdl2"), QStringLiteral("tcp:router.local:5555"));
        QCOMPARE(saved.feedListen("acarsdec"), QString());
        QCOMPARE(saved.enabledFeeds(), (QStringList{"acarsdec", "dumphfdl"}));
    }

    void okFromTheMenuWritesEverySwitch()
    {
        Store store;
        store.open(env.newDataDir());
        MainWindow window(store);
        OptionsDialog::attach(window);
        QAction *item = window.menuItem("mnuFileOptions");
        QVERIFY(item->isEnabled());
        Dialogs::queueAnswer(Dialogs::Answer::Ok);
        item->trigger();
        QCOMPARE(Dialogs::shownWindows(), QStringList{"frmOptions"});
        QCOMPARE(stored("UplinkMessages").toString(), QStringLiteral("1"));
        QCOMPARE(stored("DoEvents").toString(), QStringLiteral("0"));
        QCOMPARE(stored("ShowNew").toString(), QStringLiteral("0"));
        QCOMPARE(stored("NewPopup").toString(), QStringLiteral("1"));
        QCOMPARE(stored("ToolTips").toString(), QStringLiteral("0"));
        QCOMPARE(stored("Decoder").toString(), QStringLiteral("SkySpy"));
        QCOMPARE(stored("DDEType").toString(), QStringLiteral("ANAD"));
        // Read back as before.
        QVERIFY(!Settings().doEvents());
        QVERIFY(!Settings().showNew());
    }

    void okAppliesTheChangesAtOnce()
    {
        Settings settings;
        QList<Settings::Key> changed;
        connect(&settings, &Settings::changed, this,
                [&changed](Settings::Key key) { changed << key; });
        Dialogs::queueAnswer(Dialogs::Answer::Ok);
        QVERIFY(OptionsDialog::showModal(nullptr, settings, [](OptionsDialog &d) {
            d.check("chkUplinks")->setChecked(false);
            d.check("chkDoEvents")->setChecked(true);
            d.check("chkToolTips")->setChecked(true);
            d.option("optARD")->setChecked(true);
            d.option("optPosFix")->setChecked(true);
        }));
        QCOMPARE(settings.uplinkMessages(), 0);
        QVERIFY(settings.doEvents());
        QCOMPARE(settings.toolTips(), 1);
        QCOMPARE(settings.decoder(), QStringLiteral("ARD2"));
        QCOMPARE(settings.ddeType(), QStringLiteral("POSFIX"));
        // Each value that changed is told once; the unchanged ones are not.
        using K = Settings::Key;
        QCOMPARE(changed,
                 (QList<K>{K::UplinkMessages, K::DoEvents, K::ToolTips, K::Decoder, K::DdeType}));
        QCOMPARE(stored("Decoder").toString(), QStringLiteral("ARD2"));
        QCOMPARE(stored("DDEType").toString(), QStringLiteral("POSFIX"));
        QCOMPARE(stored("ToolTips").toString(), QStringLiteral("1"));

        // Tool tips open as saved, and OK keeps them on.
        OptionsDialog again(settings);
        QVERIFY(again.check("chkToolTips")->isChecked());
        QVERIFY(again.option("optARD")->isChecked());
        again.save();
        QCOMPARE(stored("ToolTips").toString(), QStringLiteral("1"));
        QCOMPARE(settings.toolTips(), 1);
    }

    void cancelChangesNothing()
    {
        Settings settings;
        settings.setDecoder(QStringLiteral("Unknown"));
        settings.sync();
        QVERIFY(!OptionsDialog::showModal(nullptr, settings, [](OptionsDialog &d) {
            // No option matches an unknown value.
            for (QRadioButton *o : d.findChildren<QRadioButton *>())
                if (o->objectName().startsWith("opt") && !o->objectName().contains("DDE") &&
                    o->objectName() != "optPosFix")
                    QVERIFY(!o->isChecked());
            d.check("chkUplinks")->setChecked(false);
            d.option("optSSHF")->setChecked(true);
        }));
        QCOMPARE(settings.uplinkMessages(), 1);
        QCOMPARE(settings.decoder(), QStringLiteral("Unknown"));
        QVERIFY(!stored("UplinkMessages").isValid());
        QCOMPARE(stored("Decoder").toString(), QStringLiteral("Unknown"));
    }
};

QTEST_MAIN(TestOptions)
#include "tst_options.moc"
