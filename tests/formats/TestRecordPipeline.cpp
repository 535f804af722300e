#include "formats/BlockReader.h"
#include "formats/DecoderStream.h"
#include "formats/RecordPipeline.h"
#include "store/StoreError.h"

#include <QtTest>

using namespace corvane;

namespace
{

// SkySpy blocks; every seventh has an empty block id, which the reader
// rejects, and the text may end inside a record.
QByteArray skySpyText(int records, bool cutLast)
{
    QByteArray text;
    for (int i = 0; i < records; ++i) {
        const QByteArray n = QByteArray::number(i);
        text += "ACARS mode: 2  Aircraft reg: .N" + n.rightJustified(5, '0') +
                "\r\nMessage label: H1  Block id: " + (i % 7 == 6 ? " " : "2") +
                "  Msg. no: M01A\r\nFlight id: BA" + n.rightJustified(4, '0').right(4) +
                "\r\nMessage content:-\r\nBODY " + n + "\r\n" + QByteArray(59, '-') +
                "[01/02/2004 12:34]\r\n";
    }
    if (cutLast)
        text += "ACARS mode: 2  Aircraft reg: .N99";
    return text;
}

// What a reader hands over, one line per call, until the end of the text.
QStringList handedOver(RecordReader &reader, DecoderStream &stream)
{
    QStringList out;
    for (;;) {
        MessageRecord r;
        const ReadOutcome outcome = reader.readRecord(stream, r);
        out << QStringLiteral("%1 %2 %3 %4 %5")
                   .arg(int(outcome))
                   .arg(r.mReg, r.mFlight, r.mText)
                   .arg(reader.position(stream));
        if (outcome == ReadOutcome::EndOfText)
            return out;
    }
}

// Hands over numbered records and fails after a given number.
class FailingReader : public RecordReader
{
public:
    explicit FailingReader(int failAfter) : m_failAfter(failAfter) {}
    ReadOutcome readRecord(DecoderStream &, MessageRecord &record) override
    {
        if (m_read == m_failAfter)
            throw StoreError(QStringLiteral("cannot write the work file"));
        record.mReg = QString::number(m_read++);
        return ReadOutcome::Record;
    }

private:
    int m_failAfter;
    int m_read = 0;
};

} // namespace

class TestRecordPipeline : public QObject
{
    Q_OBJECT

private slots:
    void handsOverWhatTheReaderReads_data()
    {
        QTest::addColumn<int>("records");
        QTest::addColumn<bool>("cutLast");
        QTest::newRow("empty text") << 0 << false;
        QTest::newRow("one record") << 1 << false;
        QTest::newRow("one chunk less one") << RecordPipeline::kChunk - 1 << false;
        QTest::newRow("exactly one chunk") << RecordPipeline::kChunk << false;
        // More than the pipeline holds at once: reading must wait and go on.
        QTest::newRow("many chunks, last record cut")
            << RecordPipeline::kChunk * RecordPipeline::kChunksAhead * 3 + 5 << true;
    }
    void handsOverWhatTheReaderReads()
    {
        QFETCH(int, records);
        QFETCH(bool, cutLast);
        const QByteArray text = skySpyText(records, cutLast);

        DecoderStream direct;
        direct.openText(text);
        BlockReader directReader(BlockReader::skySpy());
        const QStringList expected = handedOver(directReader, direct);

        DecoderStream ahead;
        ahead.openText(text);
        BlockReader aheadReader(BlockReader::skySpy());
        RecordPipeline pipeline(ahead, aheadReader);
        QCOMPARE(pipeline.position(ahead), 0);
        const QStringList got = handedOver(pipeline, ahead);
        QCOMPARE(got.size(), expected.size());
        QCOMPARE(got, expected);
        // Once ended, it stays ended.
        MessageRecord r;
        QCOMPARE(pipeline.readRecord(ahead, r), ReadOutcome::EndOfText);
    }

    void readerFailureArrivesAfterTheRecordsBeforeIt_data()
    {
        QTest::addColumn<int>("failAfter");
        QTest::newRow("at once") << 0;
        QTest::newRow("at a chunk's start") << RecordPipeline::kChunk;
        QTest::newRow("inside a chunk") << RecordPipeline::kChunk + 3;
    }
    void readerFailureArrivesAfterTheRecordsBeforeIt()
    {
        QFETCH(int, failAfter);
        DecoderStream stream;
        stream.openText(QByteArray());
        FailingReader reader(failAfter);
        RecordPipeline pipeline(stream, reader);
        MessageRecord r;
        for (int i = 0; i < failAfter; ++i) {
            QCOMPARE(pipeline.readRecord(stream, r), ReadOutcome::Record);
            QCOMPARE(r.mReg, QString::number(i));
        }
        QVERIFY_THROWS_EXCEPTION(StoreError, pipeline.readRecord(stream, r));
        QCOMPARE(pipeline.readRecord(stream, r), ReadOutcome::EndOfText);
    }

    void stoppingEarlyEndsTheReading()
    {
        // The reader is blocked with the pipeline full; destroying the
        // pipeline must not wait for the rest of the text.
        const QByteArray text =
            skySpyText(RecordPipeline::kChunk * RecordPipeline::kChunksAhead * 4, false);
        DecoderStream stream;
        stream.openText(text);
        BlockReader reader(BlockReader::skySpy());
        QElapsedTimer t;
        t.start();
        {
            RecordPipeline pipeline(stream, reader);
            MessageRecord r;
            QCOMPARE(pipeline.readRecord(stream, r), ReadOutcome::Record);
        }
        QVERIFY(stream.position() < text.size());
        QVERIFY(t.elapsed() < 5000);
    }
};

QTEST_GUILESS_MAIN(TestRecordPipeline)
#include "TestRecordPipeline.moc"
