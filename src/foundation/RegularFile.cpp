#include "RegularFile.h"

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace RegularFile {

namespace {

Status Fail(Status status, const QString& text, QString* reason) {
    if (reason)
        *reason = text;
    return status;
}

QString SystemCause(int error) {
    switch (error) {
    case EACCES:
    case EPERM:
        return QStringLiteral("没有读取权限");
    case EISDIR:
        return QStringLiteral("这是一个文件夹");
    case EIO:
        return QStringLiteral("读取时发生输入输出错误");
    case ENAMETOOLONG:
        return QStringLiteral("路径太长");
    case ELOOP:
        return QStringLiteral("链接层次太多");
    default:
        return QString::fromLocal8Bit(std::strerror(error));
    }
}

} // namespace

Status Read(const QString& path, qint64 limit, QByteArray* bytes, QString* reason) {
    bytes->clear();
    const QByteArray name = QFile::encodeName(path);
    // Opened without waiting: a named pipe without a writer would otherwise block here.
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        const int error = errno;
        struct stat link {};
        if (error == ENOENT && ::lstat(name.constData(), &link) == 0)
            return Fail(Status::Failed, QStringLiteral("链接指向的文件不存在"), reason);
        if (error == ENOENT || error == ENOTDIR)
            return Fail(Status::Missing, QStringLiteral("文件不存在"), reason);
        return Fail(Status::Failed, SystemCause(error), reason);
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        const int error = errno;
        ::close(fd);
        return Fail(Status::Failed, SystemCause(error), reason);
    }
    if (!S_ISREG(info.st_mode)) {
        ::close(fd);
        return Fail(Status::NotRegular,
                    S_ISDIR(info.st_mode) ? QStringLiteral("这是一个文件夹，不是文件")
                                          : QStringLiteral("这不是普通文件（可能是管道或设备）"),
                    reason);
    }
    if (info.st_size > limit) {
        ::close(fd);
        return Fail(Status::TooLarge, QStringLiteral("文件太大（超过 %1 字节）").arg(limit), reason);
    }
    // The file may grow while it is read: one byte past the limit tells.
    QByteArray data;
    data.resize(static_cast<qsizetype>(info.st_size) + 1);
    qsizetype filled = 0;
    while (true) {
        if (filled == data.size()) {
            if (filled > limit)
                break;
            data.resize(std::min<qsizetype>(data.size() * 2, limit + 1));
        }
        const ssize_t got = ::read(fd, data.data() + filled, static_cast<size_t>(data.size() - filled));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            const int error = errno;
            ::close(fd);
            return Fail(Status::Failed, SystemCause(error), reason);
        }
        if (got == 0)
            break;
        filled += got;
    }
    ::close(fd);
    if (filled > limit)
        return Fail(Status::TooLarge, QStringLiteral("文件太大（超过 %1 字节）").arg(limit), reason);
    data.truncate(filled);
    *bytes = std::move(data);
    return Status::Read;
}

} // namespace RegularFile
