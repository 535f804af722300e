#include "FuzzReading.h"

#include "formats/DecoderStream.h"
#include "formats/RecordReader.h"

#include <QDir>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

namespace corvane::fuzz
{

QByteArray bytes(const uint8_t *data, size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), qsizetype(size));
}

void readAll(RecordReader &reader, const QByteArray &text)
{
    DecoderStream stream;
    stream.openText(text);
    if (!reader.acceptsHeading(stream))
        return;
    MessageRecord record;
    qint64 before = stream.position();
    for (;;) {
        record.clear();
        const ReadOutcome outcome = reader.readRecord(stream, record);
        if (outcome == ReadOutcome::EndOfText)
            return;
        if (outcome == ReadOutcome::Record) {
            // What the recorder stores.
            (void)record.mTime.toStorageBytes();
            (void)record.mReg.toUtf8();
            (void)record.mText.toUtf8();
        }
        const qint64 after = stream.position();
        if (after <= before) {
            std::fprintf(stderr, "reader made no progress at %lld\n",
                         static_cast<long long>(after));
            std::abort();
        }
        before = after;
    }
}

QString workFolder()
{
    static QTemporaryDir dir;
    return dir.path();
}

} // namespace corvane::fuzz
