#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QString>

namespace corvane
{

// Decoder text as a stream of characters, read by counts, marker searches
// and lines. The text is Windows-1252, one byte per character, so counts are
// byte counts; fields are decoded when a reader hands them over.
//
// A file is read in large blocks into a buffer that is scanned in place, so
// memory stays bounded whatever the file's size. Lines that end in a bare
// line feed read as if they ended in carriage return and line feed.
//
// Every read returns false when the text runs out before it is satisfied;
// the characters that were there are consumed.
class DecoderStream
{
public:
    static constexpr qsizetype kBlockSize = 1 << 20;

    DecoderStream() = default;

    bool openFile(const QString &path, QString *error = nullptr);
    void openText(const QByteArray &text);
    void close();

    bool atEnd();
    // Reads exactly n characters.
    bool read(qsizetype n, QByteArray &out);
    bool skip(qsizetype n);
    // Moves to just after the next occurrence of the marker.
    bool findMarker(QByteArrayView marker);
    // Reads until what was read ends with the suffix; out holds what came
    // before the suffix.
    bool readUntil(QByteArrayView suffix, QByteArray &out);
    // Reads up to and including the character; out holds it too.
    bool readThrough(char c, QByteArray &out);
    // Reads one line without its line break; the last line may lack one.
    bool readLine(QByteArray &out);

    // Characters consumed so far (after line-end normalisation).
    qint64 position() const { return m_consumedBefore + m_pos; }
    // Size of the source in bytes, for progress.
    qint64 sourceSize() const { return m_sourceSize; }

private:
    bool ensure(qsizetype n);
    bool fill();
    void compact();
    qsizetype available() const { return m_buf.size() - m_pos; }
    void appendNormalised(const char *data, qsizetype size);

    QFile m_file;
    QByteArray m_buf;
    qsizetype m_pos = 0;
    qint64 m_consumedBefore = 0;
    qint64 m_sourceSize = 0;
    bool m_sourceDone = true;
    char m_lastByte = 0;
};

} // namespace corvane
