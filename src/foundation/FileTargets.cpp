#include "FileTargets.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUuid>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace FileTargets {

namespace {

namespace fs = std::filesystem;

fs::path PathOf(const QString& file) {
    return fs::path(QFile::encodeName(QDir::cleanPath(QFileInfo(file).absoluteFilePath())).toStdString());
}

// The path with every symbolic link on the way followed, also a link whose target does not
// exist yet (a write through it would make that file).
fs::path Resolved(fs::path path) {
    std::error_code error;
    for (int hops = 0; hops < 40; ++hops) {
        path = fs::weakly_canonical(path, error);
        if (error || !fs::is_symlink(fs::symlink_status(path, error)))
            break;
        const fs::path target = fs::read_symlink(path, error);
        if (error)
            break;
        path = target.is_absolute() ? target : path.parent_path() / target;
    }
    return path;
}

bool SameFile(const fs::path& a, const fs::path& b) {
    if (Resolved(a) == Resolved(b))
        return true;
    std::error_code error;
    return fs::equivalent(a, b, error) && !error;
}

} // namespace

QStringList CompanionSuffixes() {
    return {QStringLiteral("-journal"), QStringLiteral("-wal"), QStringLiteral("-shm"),
            QStringLiteral("-checked")};
}

bool IsDatabaseOrCompanion(const QString& path, const QString& databaseFile) {
    if (path.isEmpty() || databaseFile.isEmpty())
        return false;
    const fs::path candidate = PathOf(path);
    for (const QString& suffix : QStringList{QString()} + CompanionSuffixes()) {
        if (SameFile(candidate, PathOf(databaseFile + suffix)))
            return true;
    }
    return false;
}

QString RefusalOf(const QString& path, const QStringList& databaseFiles) {
    for (const QString& database : databaseFiles) {
        if (IsDatabaseOrCompanion(path, database))
            return QStringLiteral("不能写到“%1”：它是正在使用的帐套数据库文件（或数据库软件在它旁边保存的"
                                  "文件），写到这里会损坏帐套。请另选文件名。")
                .arg(QDir::toNativeSeparators(path));
    }
    return QString();
}

QString PartBeside(const QString& path, const QString& purpose) {
    const QFileInfo info(path);
    return info.absolutePath() + QStringLiteral("/.") + info.fileName() + QLatin1Char('.') + purpose +
           QLatin1Char('-') + QUuid::createUuid().toString(QUuid::Id128) + QStringLiteral(".part");
}

bool IsPartName(const QString& fileName) {
    static const QRegularExpression pattern(QStringLiteral("^\\..+\\.[a-z]+-[0-9a-f]{32}\\.part$"));
    return pattern.match(fileName).hasMatch();
}

QString MoveIntoPlace(const QString& part, const QString& path) {
    std::error_code error;
    fs::rename(PathOf(part), PathOf(path), error);
    return error ? SystemCause(error.value()) : QString();
}

QString SystemCause(int errorNumber) {
    QString words;
    switch (errorNumber) {
    case EACCES:
    case EPERM:
        words = QStringLiteral("没有权限：这个文件夹或文件不允许本软件读写");
        break;
    case ENOSPC:
        words = QStringLiteral("磁盘空间已满");
        break;
    case EDQUOT:
        words = QStringLiteral("超出了磁盘配额");
        break;
    case EROFS:
        words = QStringLiteral("磁盘或文件夹是只读的");
        break;
    case ENOENT:
        words = QStringLiteral("文件夹或文件不存在");
        break;
    case ENOTDIR:
        words = QStringLiteral("路径中有一段不是文件夹");
        break;
    case EISDIR:
        words = QStringLiteral("所选的是一个文件夹，不是文件");
        break;
    case EEXIST:
        words = QStringLiteral("文件已经存在");
        break;
    case ENAMETOOLONG:
        words = QStringLiteral("文件名或路径太长");
        break;
    case EIO:
        words = QStringLiteral("读写磁盘时出错");
        break;
    case EBUSY:
    case ETXTBSY:
        words = QStringLiteral("文件正被其他程序使用");
        break;
    case EXDEV:
        words = QStringLiteral("不能在不同的磁盘之间移动文件");
        break;
    case EFBIG:
        words = QStringLiteral("文件太大");
        break;
    case EMFILE:
    case ENFILE:
        words = QStringLiteral("打开的文件太多");
        break;
    case EINVAL:
        words = QStringLiteral("文件名不能使用");
        break;
    default:
        words = QStringLiteral("系统错误：") + QString::fromLocal8Bit(std::strerror(errorNumber));
        break;
    }
    return words + QStringLiteral("（系统错误 %1）").arg(errorNumber);
}

} // namespace FileTargets
