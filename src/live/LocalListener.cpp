#include "LocalListener.h"

#include <QFile>
#include <QLocalSocket>
#include <QSocketNotifier>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace corvane
{

namespace
{
void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

QString errnoText(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

// Failures of accept() that pass: the system or this process is short of
// something a later accept will find again.
bool isTemporary(int code)
{
    return code == EMFILE || code == ENFILE || code == ENOBUFS || code == ENOMEM;
}

// The client gave up between poll and accept, or a signal came: try again now.
bool isRetryNow(int code)
{
    return code == EINTR || code == ECONNABORTED || code == EPROTO;
}
} // namespace

LocalListener::LocalListener(QObject *parent) : QObject(parent)
{
    m_retry.setSingleShot(true);
    connect(&m_retry, &QTimer::timeout, this, [this] {
        if (m_notifier)
            m_notifier->setEnabled(true);
        acceptAll();
    });
}

LocalListener::~LocalListener()
{
    close();
}

bool LocalListener::listen(const QString &path, QString *error)
{
    close();
    const QByteArray name = QFile::encodeName(path);
    // Bound in a private folder beside the final name and moved into place
    // with no access for others, so nobody else can link even for a moment.
    QByteArray folder = name + ".XXXXXX";
    if (!::mkdtemp(folder.data())) {
        setError(error, errnoText(errno));
        return false;
    }
    const QByteArray bindName = folder + "/s";
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (size_t(bindName.size()) >= sizeof address.sun_path) {
        ::rmdir(folder.constData());
        setError(error, QStringLiteral("the socket path %1 is too long").arg(path));
        return false;
    }
    std::memcpy(address.sun_path, bindName.constData(), size_t(bindName.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    int code = fd < 0 ? errno : 0;
    if (fd >= 0 && (::bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0 ||
                    ::chmod(bindName.constData(), 0600) != 0 || ::listen(fd, SOMAXCONN) != 0 ||
                    ::rename(bindName.constData(), name.constData()) != 0))
        code = errno;
    ::unlink(bindName.constData());
    ::rmdir(folder.constData());
    if (code != 0) {
        if (fd >= 0)
            ::close(fd);
        setError(error, errnoText(code));
        return false;
    }
    struct stat st;
    if (::lstat(name.constData(), &st) == 0) {
        m_device = st.st_dev;
        m_inode = st.st_ino;
    }
    m_fd = fd;
    m_path = path;
    m_backoffMs = kFirstBackoffMs;
    m_notifier = new QSocketNotifier(qintptr(fd), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] { acceptAll(); });
    // Switched on here as backOff() switches it off, while descriptors are
    // plentiful: the sanitizers check a call's object type once, and need a
    // descriptor to do it.
    m_notifier->setEnabled(true);
    return true;
}

void LocalListener::close()
{
    m_retry.stop();
    delete m_notifier;
    m_notifier = nullptr;
    if (m_fd < 0)
        return;
    ::close(m_fd);
    m_fd = -1;
    // A server started after us may have taken the name; its file stays.
    const QByteArray name = QFile::encodeName(m_path);
    struct stat st;
    if (::lstat(name.constData(), &st) == 0 && st.st_dev == m_device && st.st_ino == m_inode)
        ::unlink(name.constData());
    m_path.clear();
}

void LocalListener::acceptAll()
{
    while (m_fd >= 0) {
        const int client = ::accept4(m_fd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (client >= 0) {
            m_backoffMs = kFirstBackoffMs;
            auto *socket = new QLocalSocket;
            if (!socket->setSocketDescriptor(qintptr(client))) {
                ::close(client);
                delete socket;
                continue;
            }
            emit newConnection(socket);
            continue;
        }
        const int code = errno;
        if (code == EAGAIN || code == EWOULDBLOCK)
            return;
        if (isRetryNow(code))
            continue;
        if (isTemporary(code)) {
            backOff();
            return;
        }
        const QString why =
            QStringLiteral("cannot accept links on %1: %2").arg(m_path, errnoText(code));
        close();
        emit failed(why);
        return;
    }
}

void LocalListener::backOff()
{
    // The pending connection stays readable: without a pause the notifier
    // would fire again at once and spin.
    if (m_notifier)
        m_notifier->setEnabled(false);
    m_retry.start(m_backoffMs);
    m_backoffMs = std::min(m_backoffMs * 2, kLongestBackoffMs);
}

} // namespace corvane
