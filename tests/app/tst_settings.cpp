#include "settings/Settings.h"
#include "support/TestEnvironment.h"

#include <QSignalSpy>
#include <QtTest>

using namespace corvane;

class SettingsTest : public QObject
{
    Q_OBJECT
private slots:
    void init() { m_env.resetSettings(); }

    void emptyStoreGivesTheDefaults()
    {
        const Settings s;
        QCOMPARE(s.ddeType(), QStringLiteral("ANAD"));
        QCOMPARE(s.decoder(), QStringLiteral("SkySpy"));
        QCOMPARE(s.newPopup(), 1);
        QCOMPARE(s.uplinkMessages(), 1);
        QCOMPARE(s.doEvents(), false);
        QCOMPARE(s.showNew(), false);
        QCOMPARE(s.toolTips(), 0);
        QCOMPARE(s.left(), std::optional<int>(0));
        QCOMPARE(s.top(), std::optional<int>(0));
    }

    void booleanKeys_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("expected");
        // The Options dialog writes "1"/"0"; the defaults are the words.
        QTest::newRow("word True") << "True" << true;
        QTest::newRow("word False") << "False" << false;
        QTest::newRow("one") << "1" << true;
        QTest::newRow("zero") << "0" << false;
        QTest::newRow("minus one") << "-1" << true;
        QTest::newRow("other number") << "7" << true;
        QTest::newRow("garbage keeps default") << "maybe" << false;
        QTest::newRow("empty keeps default") << "" << false;
    }
    void booleanKeys()
    {
        QFETCH(QString, stored);
        QFETCH(bool, expected);
        Settings s;
        s.setText(Settings::Key::DoEvents, stored);
        s.setText(Settings::Key::ShowNew, stored);
        s.sync();
        const Settings fresh;
        QCOMPARE(fresh.doEvents(), expected);
        QCOMPARE(fresh.showNew(), expected);
    }

    void sixteenBitKeys_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("expected"); // default of "UplinkMessages" is 1
        QTest::newRow("zero") << "0" << 0;
        QTest::newRow("largest") << "32767" << 32767;
        QTest::newRow("smallest") << "-32768" << -32768;
        QTest::newRow("one too large") << "32768" << 1;
        QTest::newRow("one too small") << "-32769" << 1;
        QTest::newRow("not a whole number") << "1.5" << 1;
        QTest::newRow("garbage") << "yes" << 1;
        QTest::newRow("blanks around") << " 3 " << 3;
    }
    void sixteenBitKeys()
    {
        QFETCH(QString, stored);
        QFETCH(int, expected);
        Settings s;
        s.setText(Settings::Key::UplinkMessages, stored);
        s.sync();
        QCOMPARE(Settings().uplinkMessages(), expected);
    }

    void positionOutOfRangeIsEmpty()
    {
        Settings s;
        s.setPosition(-120, 32767);
        QCOMPARE(Settings().left(), std::optional<int>(-120));
        QCOMPARE(Settings().top(), std::optional<int>(32767));
        // A minimised window's position does not fit in 16 bits.
        s.setText(Settings::Key::Left, QStringLiteral("-32000000"));
        s.setText(Settings::Key::Top, QStringLiteral("x"));
        s.sync();
        QCOMPARE(Settings().left(), std::nullopt);
        QCOMPARE(Settings().top(), std::nullopt);
    }

    void everySettingIsWrittenAndReadBack()
    {
        using K = Settings::Key;
        Settings s;
        s.setDdeType(QStringLiteral("SkySpy"));
        s.setDecoder(QStringLiteral("ACARSD"));
        s.setSwitch(K::NewPopup, 0);
        s.setSwitch(K::UplinkMessages, 0);
        s.setSwitch(K::DoEvents, 1);
        s.setSwitch(K::ShowNew, 1);
        s.setSwitch(K::ToolTips, 1);
        s.sync();
        // Switches are stored "1" and "0", under the keys of group "Startup".
        QCOMPARE(s.store().value("Startup/DoEvents").toString(), QStringLiteral("1"));
        QCOMPARE(s.store().value("Startup/UplinkMessages").toString(), QStringLiteral("0"));

        const Settings fresh;
        QCOMPARE(fresh.ddeType(), QStringLiteral("SkySpy"));
        QCOMPARE(fresh.decoder(), QStringLiteral("ACARSD"));
        QCOMPARE(fresh.newPopup(), 0);
        QCOMPARE(fresh.uplinkMessages(), 0);
        QVERIFY(fresh.doEvents());
        QVERIFY(fresh.showNew());
        QCOMPARE(fresh.toolTips(), 1);
    }

    // A reader holds what it read until it reads again; a write through it
    // tells the change, a write of the same value does not.
    void valuesAreReadAtLoadAndChangesAreTold()
    {
        using K = Settings::Key;
        Settings window;
        QSignalSpy changed(&window, &Settings::changed);
        Settings other;
        other.setDdeType(QStringLiteral("ACARSD"));
        other.sync();
        QCOMPARE(window.ddeType(), QStringLiteral("ANAD"));
        window.load();
        QCOMPARE(window.ddeType(), QStringLiteral("ACARSD"));
        QCOMPARE(changed.size(), 0);

        window.setSwitch(K::NewPopup, 1); // the default already
        QCOMPARE(changed.size(), 0);
        window.setSwitch(K::ShowNew, 1);
        window.setText(K::UplinkMessages, QStringLiteral("garbage")); // reads as the default 1
        QCOMPARE(changed.size(), 1);
        QCOMPARE(changed.first().first().value<K>(), K::ShowNew);
        window.setDdeType(QStringLiteral("ARD2"));
        QCOMPARE(changed.size(), 2);
        QCOMPARE(changed.last().first().value<K>(), K::DdeType);
    }

    void linkAddressesAreKeyedByLiveType()
    {
        Settings s;
        QVERIFY(s.linkAddress(QStringLiteral("SkySpy")).isEmpty());
        s.setLinkAddress(QStringLiteral("SkySpy"), QStringLiteral("radio:7000"));
        s.sync();
        QCOMPARE(s.store().value("Links/SkySpy").toString(), QStringLiteral("radio:7000"));
        QCOMPARE(Settings().linkAddress(QStringLiteral("SkySpy")), QStringLiteral("radio:7000"));
        QVERIFY(Settings().linkAddress(QStringLiteral("ANAD")).isEmpty());
    }

private:
    test::TestEnvironment m_env;
};

QTEST_GUILESS_MAIN(SettingsTest)
#include "tst_settings.moc"
