#include "ownfiles.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ownfiles {

namespace {

constexpr QFileDevice::Permissions kOwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

} // namespace

bool writeWhole(const QString& path, const QByteArray& bytes, Access access, QString* error)
{
    QSaveFile file(path);
    const bool written = file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)
                         && (access != Access::OwnerOnly || makeOwnerOnly(file))
                         && file.write(bytes) == bytes.size() && file.commit();
    if (!written && error)
        *error = file.errorString();
    return written;
}

bool makeOwnerOnly(QFileDevice& file)
{
    return file.setPermissions(kOwnerOnly);
}

bool createOwnerOnly(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

bool ensureOwnerOnlyFolder(const QString& path)
{
    return QDir().mkpath(path) && ::chmod(QFile::encodeName(path).constData(), 0700) == 0;
}

bool isFolderOfOthers(const QString& folder)
{
    struct stat st{};
    if (::stat(QFile::encodeName(folder).constData(), &st) != 0)
        return false;
    return st.st_uid != ::geteuid() || (st.st_mode & (S_IWGRP | S_IWOTH)) != 0;
}

} // namespace ownfiles
