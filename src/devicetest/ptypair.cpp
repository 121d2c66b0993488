#include "devicetest/ptypair.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace {

QString SystemError(const char* what)
{
    return QStringLiteral("%1: %2").arg(QLatin1String(what), QString::fromLocal8Bit(std::strerror(errno)));
}

// No echo, no line editing, no CR/LF translation: bytes pass as they are.
bool MakeRaw(int fd)
{
    termios settings {};
    if (::tcgetattr(fd, &settings) != 0)
        return false;
    ::cfmakeraw(&settings);
    return ::tcsetattr(fd, TCSANOW, &settings) == 0;
}

} // namespace

PtyPair::~PtyPair()
{
    Close();
}

bool PtyPair::Open(QString* error)
{
    Close();
    m_Master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_Master < 0) {
        *error = SystemError("cannot open a pseudo-terminal");
        return false;
    }
    char name[128] = {};
    if (::grantpt(m_Master) != 0 || ::unlockpt(m_Master) != 0 || ::ptsname_r(m_Master, name, sizeof name) != 0) {
        *error = SystemError("cannot prepare the pseudo-terminal");
        Close();
        return false;
    }
    m_Slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    const int flags = m_Master >= 0 ? ::fcntl(m_Master, F_GETFL) : -1;
    if (m_Slave < 0 || !MakeRaw(m_Slave) || !MakeRaw(m_Master) || flags < 0 ||
        ::fcntl(m_Master, F_SETFL, flags | O_NONBLOCK) != 0) {
        *error = SystemError("cannot set up the pseudo-terminal");
        Close();
        return false;
    }
    m_Path = QString::fromLocal8Bit(name);
    return true;
}

void PtyPair::Close()
{
    if (m_Slave >= 0)
        ::close(m_Slave);
    if (m_Master >= 0)
        ::close(m_Master);
    m_Slave = -1;
    m_Master = -1;
    m_Path.clear();
}

QByteArray PtyPair::Read(int max)
{
    QByteArray bytes(max, Qt::Uninitialized);
    ssize_t got = -1;
    do {
        got = m_Master >= 0 ? ::read(m_Master, bytes.data(), size_t(max)) : -1;
    } while (got < 0 && errno == EINTR);
    bytes.resize(got > 0 ? qsizetype(got) : 0);
    return bytes;
}

bool PtyPair::Write(const QByteArray& bytes, QString* error)
{
    qsizetype done = 0;
    while (m_Master >= 0 && done < bytes.size()) {
        const ssize_t wrote = ::write(m_Master, bytes.constData() + done, size_t(bytes.size() - done));
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote <= 0) {
            *error = errno == EAGAIN ? QStringLiteral("the terminal's queue is full (the client does not read)")
                                     : SystemError("cannot write to the pseudo-terminal");
            return false;
        }
        done += wrote;
    }
    if (m_Master < 0)
        *error = QStringLiteral("the pseudo-terminal is closed");
    return m_Master >= 0;
}
