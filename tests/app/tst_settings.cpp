#include "app/AppState.h"
#include "app/Settings.h"
#include "support/TestEnvironment.h"

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
        s.setText("DoEvents", stored);
        s.setText("ShowNew", stored);
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
        s.setText("UplinkMessages", stored);
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
        s.setText("left", QStringLiteral("-32000000"));
        s.setText("top", QStringLiteral("x"));
        s.sync();
        QCOMPARE(Settings().left(), std::nullopt);
        QCOMPARE(Settings().top(), std::nullopt);
    }

    void stateReadsEverySetting()
    {
        Settings s;
        s.setText("DDEType", QStringLiteral("SkySpy"));
        s.setText("Decoder", QStringLiteral("ACARSD"));
        s.setSwitch("NewPopup", 0);
        s.setSwitch("UplinkMessages", 0);
        s.setSwitch("DoEvents", 1);
        s.setSwitch("ShowNew", 1);
        s.setSwitch("ToolTips", 1);
        s.sync();

        AppState state;
        state.loadSettings(Settings());
        QCOMPARE(state.ddeType, QStringLiteral("SkySpy"));
        QCOMPARE(state.decoder, QStringLiteral("ACARSD"));
        QCOMPARE(state.newPopup, 0);
        QCOMPARE(state.uplinkMessages, 0);
        QVERIFY(state.doEvents);
        QVERIFY(state.showNew);
        QCOMPARE(state.toolTips, 1);
    }

private:
    test::TestEnvironment m_env;
};

QTEST_GUILESS_MAIN(SettingsTest)
#include "tst_settings.moc"
