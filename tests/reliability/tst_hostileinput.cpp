#include "StoreConsistency.h"
#include "formats/LiveFlags.h"
#include "formats/LivePassFrame.h"
#include "formats/LiveTypes.h"
#include "formats/LogFormats.h"
#include "formats/LogImporter.h"
#include "formats/NewPairsList.h"
#include "store/MessageRecorder.h"
#include "store/Store.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QtTest>

using namespace corvane;

// Garbage, truncated and oversized text through every log reader and every
// live reader: each ends cleanly with a summary, and the store stays sound.
class HostileInputTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void everyLogReader_data();
    void everyLogReader();
    void everyLiveReader_data();
    void everyLiveReader();

private:
    void addFileRows();

    std::unique_ptr<test::TestEnvironment> m_env;
    QString m_longLine;
};

void HostileInputTest::initTestCase()
{
    m_env = std::make_unique<test::TestEnvironment>();
    // Too big to keep in the repository: 10 MB without a line break.
    QByteArray line(10 << 20, 'A');
    for (qsizetype i = 0; i < line.size(); i += 4096)
        line.replace(i, 12, "ACARS mode: ");
    m_longLine = m_env->writeFile("long-line.log", line);
}

void HostileInputTest::addFileRows()
{
    QTest::addColumn<QString>("path");
    const QDir hostile(test::TestEnvironment::fixture("hostile"));
    for (const QString &name : hostile.entryList(QDir::Files, QDir::Name))
        QTest::newRow(qPrintable(name)) << hostile.filePath(name);
    QTest::newRow("long-line.log") << m_longLine;
}

void HostileInputTest::everyLogReader_data()
{
    addFileRows();
}

void HostileInputTest::everyLogReader()
{
    QFETCH(QString, path);
    const QString folder = m_env->newDataDir();
    Store store;
    store.open(folder);
    MessageRecorder recorder(store);
    qint64 stored = 0;
    for (const LogFormat &format : LogFormats::all()) {
        LogImporter importer(store, recorder);
        const auto results = importer.importFiles(format, {path}, nullptr);
        QCOMPARE(results.size(), size_t(1));
        const ImportResult &r = results.front();
        // Read to the end, or refused for its first line; never a store failure.
        QVERIFY2(!r.storeFailed, qPrintable(format.name() + ": " + r.error));
        QVERIFY2(r.read || !r.error.isEmpty(), qPrintable(format.name()));
        QVERIFY(r.stored >= 0 && r.skipped >= 0 && r.rejected >= 0);
        stored += r.stored;
    }
    // Records among the noise, and records in other code pages, still count.
    const QString name = QFileInfo(path).fileName();
    if (name.startsWith("windows-1252") || name.startsWith("utf8") || name.startsWith("nul"))
        QVERIFY(stored > 0);
    store.close();
    QCOMPARE(test::StoreConsistency::problems(folder), QString());
}

void HostileInputTest::everyLiveReader_data()
{
    addFileRows();
}

void HostileInputTest::everyLiveReader()
{
    QFETCH(QString, path);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    // A live value is one message's text, not a whole log: the first MB will do.
    const QString value = QString::fromLatin1(file.read(1 << 20));
    const QString folder = m_env->newDataDir();
    Store store;
    store.open(folder);
    MessageRecorder recorder(store);
    NewPairsList pairs;
    for (const LiveType &type : LiveTypes::all()) {
        if (!type.makeReader)
            continue;
        LiveFlags flags;
        flags.restart = false;
        LivePassFrame frame(store, recorder);
        const LivePassResult r = frame.run(type, value, flags, &pairs, nullptr);
        QVERIFY2(!r.storeFailed, qPrintable(type.name() + ": " + r.error));
    }
    store.close();
    QCOMPARE(test::StoreConsistency::problems(folder), QString());
}

QTEST_GUILESS_MAIN(HostileInputTest)
#include "tst_hostileinput.moc"
