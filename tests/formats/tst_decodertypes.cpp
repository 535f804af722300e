#include "formats/LiveTypes.h"
#include "formats/LogFormats.h"
#include "formats/RecordReader.h"
#include "formats/SkySweeperReader.h"
#include "live/LiveSession.h"
#include "recording/RecorderThread.h"
#include "store/MessageRecorder.h"
#include "store/Store.h"
#include "support/TestEnvironment.h"

#include <QSet>
#include <QTimer>
#include <QtTest>

using namespace corvane;

// The two descriptor tables: every entry carries what its transport needs,
// so that a new entry cannot leave the live session or the Options dialog
// without a piece.
class DecoderTypesTest : public QObject
{
    Q_OBJECT

    test::TestEnvironment env;

private slots:
    void liveTypeIsComplete_data()
    {
        QTest::addColumn<QString>("ddeType");
        for (const LiveType &type : LiveTypes::all())
            QTest::newRow(type.ddeType) << type.name();
    }
    void liveTypeIsComplete()
    {
        QFETCH(QString, ddeType);
        const LiveType &type = *LiveTypes::find(ddeType);
        QVERIFY(type.optionName && type.optionCaption && type.startedText);
        RecorderThread recorder;
        QVERIFY(recorder.start(env.newDataDir()));
        const LiveSession session(recorder);
        switch (type.transport) {
        case LiveTransport::Link:
            QVERIFY(type.application && type.topic);
            QCOMPARE(LiveTypes::findLink(QString::fromLatin1(type.application),
                                         QString::fromLatin1(type.topic)),
                     &type);
            QVERIFY(!type.fileFilter && !type.pollTimer);
            break;
        case LiveTransport::LineFile:
        case LiveTransport::BlockFile: {
            QVERIFY(type.fileFilter && !type.application);
            QTimer *poll = session.timer(QString::fromLatin1(type.pollTimer));
            QVERIFY(poll);
            QCOMPARE(poll->interval(), type.transport == LiveTransport::LineFile
                                           ? LiveSession::kLineFileMs
                                           : LiveSession::kBlockFileMs);
            break;
        }
        case LiveTransport::Feed:
            QVERIFY(!type.application && !type.fileFilter && !type.pollTimer);
            break;
        case LiveTransport::None:
            QFAIL("a listed type has a transport");
        }
        if (type.isFeedGroup())
            QVERIFY(!type.makeReader);
        else if (type.transport == LiveTransport::BlockFile)
            QVERIFY(type.makeBlockReader && type.makeBlockReader());
        else if (!type.pass.recordsNothing)
            QVERIFY(type.makeReader && type.makeReader(env.dataDir()));
    }

    void namesAndButtonsAreUnique()
    {
        QSet<QString> names;
        QSet<QString> buttons;
        for (const LiveType &type : LiveTypes::all()) {
            names << type.name();
            buttons << QString::fromLatin1(type.optionName);
        }
        QCOMPARE(names.size(), int(LiveTypes::all().size()));
        for (const LogFormat &format : LogFormats::all()) {
            QVERIFY(format.makeReader(env.dataDir()));
            buttons << QString::fromLatin1(format.optionName);
        }
        QCOMPARE(buttons.size(), int(LiveTypes::all().size() + LogFormats::all().size()));
        const QStringList formats = LogFormats::names();
        QCOMPARE(QSet<QString>(formats.begin(), formats.end()).size(),
                 int(LogFormats::all().size()));
        // Lookups are exact: the setting's value as written.
        QVERIFY(!LogFormats::find(QStringLiteral("skyspy")));
        QVERIFY(!LiveTypes::find(QStringLiteral("anad")));
    }
};

QTEST_GUILESS_MAIN(DecoderTypesTest)
#include "tst_decodertypes.moc"
