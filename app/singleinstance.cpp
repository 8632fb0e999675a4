#include "singleinstance.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QByteArray kActivate = "activate\n";
const QByteArray kDone = "done\n";

QString userFolder()
{
    // The user's runtime folder, which only the user can enter; without one
    // the user's cache folder in the home folder.
    QString folder;
    if (qEnvironmentVariableIsSet("XDG_RUNTIME_DIR"))
        folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty()) {
        folder = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
        if (!QFileInfo::exists(folder))
            QDir().mkdir(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    return folder;
}

} // namespace

SingleInstance::SingleInstance(const QString& programName) : m_name(programName) {}

SingleInstance::~SingleInstance()
{
    m_server.reset();
    if (m_fd >= 0) {
        // Removed while still held, so no later start finds it locked.
        ::unlink(QFile::encodeName(lockPath(m_name)).constData());
        ::close(m_fd);
    }
}

bool SingleInstance::acquire()
{
    if (m_fd >= 0)
        return true;
    const QByteArray path = QFile::encodeName(lockPath(m_name));
    for (int attempt = 0; attempt < 10; ++attempt) {
        const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd < 0)
            return true; // a lock that cannot be made at all keeps no one out
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            ::close(fd);
            return false;
        }
        // The copy that held it may have removed the file between our
        // opening and locking it: then the lock is on a file no one else sees.
        struct stat held {};
        struct stat named {};
        if (::fstat(fd, &held) == 0 && ::stat(path.constData(), &named) == 0 && held.st_ino == named.st_ino
            && held.st_dev == named.st_dev) {
            const QByteArray pid = QByteArray::number(qint64(::getpid())) + '\n';
            if (::ftruncate(fd, 0) == 0 && ::write(fd, pid.constData(), size_t(pid.size())) < 0) {
                // the number is only for people looking; the lock holds without it
            }
            m_fd = fd;
            return true;
        }
        ::close(fd);
    }
    return true;
}

void SingleInstance::listen(std::function<void()> onActivate)
{
    if (m_fd < 0)
        return;
    const QString path = socketPath(m_name);
    QLocalServer::removeServer(path); // one left by a copy that ended abruptly
    m_server = std::make_unique<QLocalServer>();
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(path)) {
        m_server.reset();
        return;
    }
    QObject::connect(m_server.get(), &QLocalServer::newConnection, m_server.get(),
                     [server = m_server.get(), onActivate] {
                         while (QLocalSocket* socket = server->nextPendingConnection()) {
                             QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
                             QObject::connect(socket, &QLocalSocket::readyRead, socket, [socket, onActivate] {
                                 if (!socket->canReadLine())
                                     return;
                                 if (socket->readLine() == kActivate && onActivate)
                                     onActivate();
                                 socket->write(kDone);
                                 socket->flush();
                                 socket->disconnectFromServer();
                             });
                         }
                     });
}

bool SingleInstance::activateRunning(int timeoutMs) const
{
    QLocalSocket socket;
    socket.connectToServer(socketPath(m_name));
    if (!socket.waitForConnected(timeoutMs))
        return false;
    socket.write(kActivate);
    if (!socket.waitForBytesWritten(timeoutMs))
        return false;
    while (!socket.canReadLine()) {
        if (!socket.waitForReadyRead(timeoutMs))
            return false;
    }
    return socket.readLine() == kDone;
}

QString SingleInstance::lockPath(const QString& programName)
{
    return QDir(userFolder()).filePath(programName + QStringLiteral(".lock"));
}

QString SingleInstance::socketPath(const QString& programName)
{
    return QDir(userFolder()).filePath(programName + QStringLiteral(".socket"));
}
