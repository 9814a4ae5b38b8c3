// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/SingleInstance.h"

#include "platform/Logging.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

namespace platform {

namespace {
// A socket in the abstract namespace (no file to leave behind), named after the user
// and the folder.
sockaddr_un addressOf(const QString& stateDir, socklen_t* size)
{
    const QByteArray folder = QFileInfo(stateDir).canonicalFilePath().toUtf8();
    const QByteArray name =
        "artcal-" + QByteArray::number(::getuid()) + '-' +
        QCryptographicHash::hash(folder, QCryptographicHash::Sha256).toHex().left(32);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path + 1, name.constData(), size_t(name.size()));
    *size = socklen_t(offsetof(sockaddr_un, sun_path) + 1 + name.size());
    return address;
}
} // namespace

SingleInstance::SingleInstance(const QString& stateDir, QObject* parent)
    : QObject(parent), m_stateDir(stateDir),
      m_lock(QDir(stateDir).filePath(QLatin1String(lockName)))
{
    // A live widget's lock never ages; one of a process that is gone is taken over.
    m_lock.setStaleLockTime(0);
}

SingleInstance::~SingleInstance()
{
    if (m_listener >= 0)
        ::close(m_listener);
}

bool SingleInstance::acquire()
{
    if (m_lock.tryLock()) {
        listen();
        return true;
    }
    if (m_lock.error() != QLockFile::LockFailedError) {
        qCWarning(lcState).noquote()
            << "cannot make" << m_lock.fileName() << "; two widgets could run on this folder";
        return true;
    }
    socklen_t size = 0;
    const sockaddr_un address = addressOf(m_stateDir, &size);
    // The connection is the call: nothing is sent either way. A widget that has just
    // taken the lock listens a moment later (two starts of one double click).
    for (int attempt = 0; attempt < 20; ++attempt) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const bool called =
            fd >= 0 && ::connect(fd, reinterpret_cast<const sockaddr*>(&address), size) == 0;
        if (fd >= 0)
            ::close(fd);
        if (called)
            return false;
        ::usleep(100 * 1000);
    }
    qCWarning(lcState) << "the widget running on this folder does not answer";
    return false;
}

void SingleInstance::listen()
{
    socklen_t size = 0;
    const sockaddr_un address = addressOf(m_stateDir, &size);
    m_listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (m_listener < 0 ||
        ::bind(m_listener, reinterpret_cast<const sockaddr*>(&address), size) != 0 ||
        ::listen(m_listener, 4) != 0) {
        qCWarning(lcState) << "a later start cannot call this widget forward:"
                           << std::strerror(errno);
        return;
    }
    m_notifier = std::make_unique<QSocketNotifier>(m_listener, QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &SingleInstance::accept);
}

void SingleInstance::accept()
{
    // Any connection is a call, and nothing is read: a caller can ask nothing else.
    while (true) {
        const int fd = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            break;
        ::close(fd);
        qCInfo(lcState) << "another start on this folder: coming forward";
        emit comeForward();
    }
}

} // namespace platform
