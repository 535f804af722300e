#include "HeldMessagesFile.h"

#include "StoreError.h"

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace corvane
{

namespace
{

constexpr quint32 kMagic = 0x43564d48; // "CVMH"
constexpr quint32 kVersion = 1;

void writeRecord(QDataStream &out, const MessageRecord &r)
{
    const MessageTime &t = r.mTime;
    out << qint32(t.year) << qint32(t.month) << qint32(t.day) << qint32(t.hour) << qint32(t.minute)
        << qint32(t.second);
    out << r.mMode << r.mReg << r.mLabel << r.mBlk << r.mNo << r.mFlight << r.mText << r.mFileName
        << quint8(r.isUplink());
    out << r.mFeed.decoder << r.mFeed.station << bool(r.mFeed.frequencyMhz)
        << r.mFeed.frequencyMhz.value_or(0) << bool(r.mFeed.signalLevel)
        << r.mFeed.signalLevel.value_or(0);
}

MessageRecord readRecord(QDataStream &in)
{
    MessageRecord r;
    qint32 time[6] = {};
    for (qint32 &part : time)
        in >> part;
    r.mTime = {time[0], time[1], time[2], time[3], time[4], time[5]};
    quint8 uplink = 0;
    in >> r.mMode >> r.mReg >> r.mLabel >> r.mBlk >> r.mNo >> r.mFlight >> r.mText >> r.mFileName >>
        uplink;
    if (uplink)
        r.mDirection = Direction::Uplink;
    bool hasFrequency = false, hasLevel = false;
    double frequency = 0, level = 0;
    in >> r.mFeed.decoder >> r.mFeed.station >> hasFrequency >> frequency >> hasLevel >> level;
    // Only finite figures were ever written.
    if (hasFrequency && std::isfinite(frequency))
        r.mFeed.frequencyMhz = frequency;
    if (hasLevel && std::isfinite(level))
        r.mFeed.signalLevel = level;
    return r;
}

} // namespace

HeldMessagesFile::HeldMessagesFile(const QString &folder)
    : m_path(QDir(folder).filePath(fileName()))
{
}

bool HeldMessagesFile::exists() const
{
    return QFile::exists(m_path);
}

void HeldMessagesFile::write(const std::vector<MessageRecord> &records) const
{
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly))
        throw StoreError(QStringLiteral("Cannot write %1: %2").arg(m_path, file.errorString()));
    QDataStream out(&file);
    out.setVersion(QDataStream::Qt_6_0);
    out << kMagic << kVersion << quint64(records.size());
    for (const MessageRecord &r : records)
        writeRecord(out, r);
    if (out.status() != QDataStream::Ok || !file.commit())
        throw StoreError(QStringLiteral("Cannot write %1: %2").arg(m_path, file.errorString()));
}

std::vector<MessageRecord> HeldMessagesFile::read() const
{
    // Opened without waiting for a writer, and looked at before it is read.
    const int fd = ::open(QFile::encodeName(m_path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        throw StoreError(QStringLiteral("Cannot read %1: %2")
                             .arg(m_path, QString::fromLocal8Bit(strerror(errno))));
    struct stat info = {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        throw StoreError(QStringLiteral("%1 is not a regular file; it is not read").arg(m_path));
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        throw StoreError(QStringLiteral("Cannot read %1: %2").arg(m_path, file.errorString()));
    }
    QDataStream in(&file);
    in.setVersion(QDataStream::Qt_6_0);
    quint32 magic = 0, version = 0;
    quint64 count = 0;
    in >> magic >> version >> count;
    if (magic != kMagic || version != kVersion)
        throw StoreError(QStringLiteral("%1 is not a file of held messages").arg(m_path));
    std::vector<MessageRecord> records;
    // The count is not trusted for the allocation: each record takes bytes.
    while (records.size() < count && in.status() == QDataStream::Ok && !in.atEnd())
        records.push_back(readRecord(in));
    if (in.status() != QDataStream::Ok || records.size() != count || !in.atEnd())
        throw StoreError(QStringLiteral("%1 is cut short or damaged").arg(m_path));
    return records;
}

void HeldMessagesFile::remove() const
{
    QFile::remove(m_path);
}

QString HeldMessagesFile::describe(const MessageRecord &r, size_t index)
{
    const auto shown = [](const QString &text) {
        QString out;
        for (const QChar c : text) {
            const ushort u = c.unicode();
            if (u < 0x20 || (u >= 0x7f && u < 0xa0))
                out += QStringLiteral("\\x%1").arg(u, 2, 16, QLatin1Char('0'));
            else
                out += c;
        }
        return out;
    };
    const MessageTime &t = r.mTime;
    const QString time = QString::asprintf("%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day,
                                           t.hour, t.minute, t.second);
    // One arg() call: text from the air may hold "%1" itself.
    return QStringLiteral("#%1 (registration \"%2\", flight \"%3\", time %4)")
        .arg(QString::number(index + 1), shown(r.mReg), shown(r.mFlight), time);
}

} // namespace corvane
