#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace corvane
{

// The bytes on a link; docs/link-protocol.md describes them for the authors
// of decoders and other peers.
//
//   client:  "LINK " application "|" topic "!" item "\n"
//   server:  "OK\n" and then one frame per value, or "ERR " reason "\n"
//   frame:   the value's length in bytes as decimal digits, "\n", the bytes
//
// Names and values are Windows-1252 text.
namespace LinkProtocol
{

constexpr qsizetype kMaxRequestLine = 1024;
constexpr qsizetype kMaxLengthDigits = 10;
// Larger values are refused; no decoder block comes near this.
constexpr qsizetype kMaxValue = 64 * 1024 * 1024;

struct Request {
    QString application;
    QString topic;
    QString item;
};

QByteArray request(const QString &application, const QString &topic, const QString &item);
// Reads one request line (without its "\n"; a "\r" before it is allowed).
std::optional<Request> parseRequest(const QByteArray &line);

QByteArray accepted();
QByteArray refused(const QString &reason);
QByteArray frame(const QString &value);

// Cuts the frames out of the bytes as they arrive.
class FrameReader
{
public:
    enum class Result { Value, NeedMore, Malformed };

    void append(const QByteArray &bytes);
    // Takes the next whole value when one has arrived.
    Result next(QString *value);
    bool isEmpty() const { return m_offset >= m_buffer.size(); }

private:
    QByteArray m_buffer;
    qsizetype m_offset = 0;
};

} // namespace LinkProtocol

} // namespace corvane
