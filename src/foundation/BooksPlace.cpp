#include "BooksPlace.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <unistd.h>

QString BooksFolder;

namespace BooksPlace {

namespace {

// folder as an absolute path with the separator at the end; "" stays "".
QString WithSeparator(const QString& folder) {
    if (folder.isEmpty())
        return QString();
    QString path = QDir(folder).absolutePath();
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return path;
}

// Copies source to target through a hidden file beside target, so that a copy cut short never
// stands as the books, and a copy another instance made meanwhile is kept.
QString CopyInPlace(const QString& source, const QString& target) {
    const QFileInfo info(target);
    QTemporaryFile part(info.absolutePath() + QStringLiteral("/.") + info.fileName() +
                        QStringLiteral(".XXXXXX"));
    QFile from(source);
    if (!part.open() || !from.open(QIODevice::ReadOnly))
        return QStringLiteral("无法把“%1”复制到“%2”：%3")
            .arg(QDir::toNativeSeparators(source), QDir::toNativeSeparators(target),
                 part.isOpen() ? from.errorString() : part.errorString());
    while (!from.atEnd()) {
        const QByteArray block = from.read(1 << 20);
        if (block.isEmpty() && from.error() != QFile::NoError)
            break;
        if (part.write(block) != block.size())
            return QStringLiteral("无法写入“%1”：%2")
                .arg(QDir::toNativeSeparators(target), part.errorString());
    }
    if (from.error() != QFile::NoError)
        return QStringLiteral("无法读取“%1”：%2").arg(QDir::toNativeSeparators(source), from.errorString());
    // On the disk before it takes the books' name: a power cut leaves no empty books behind.
    if (!part.flush() || ::fsync(part.handle()) != 0)
        return QStringLiteral("无法写入“%1”：%2").arg(QDir::toNativeSeparators(target), part.errorString());
    // The user's own books: nobody else reads them (the temporary file is made so already).
    part.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    // rename() refuses an existing target: books another instance placed first are kept.
    if (part.rename(target)) {
        part.setAutoRemove(false);
        return QString();
    }
    if (QFileInfo::exists(target))
        return QString();
    return QStringLiteral("无法创建“%1”：%2").arg(QDir::toNativeSeparators(target), part.errorString());
}

} // namespace

QString PackagedMark() {
    return QStringLiteral("Kestrel.packaged");
}

bool MayWriteIn(const QString& folder) {
    const QDir dir(folder);
    if (folder.isEmpty() || !dir.exists() || QFileInfo::exists(dir.filePath(PackagedMark())))
        return false;
    // Asks the file system rather than the permission bits: a read-only mount or an access list
    // says no where the bits say yes.
    QTemporaryFile probe(dir.filePath(QStringLiteral(".kestrel-probe-XXXXXX")));
    return probe.open();
}

QString FolderFor(const QString& programFolder, bool programFolderWritable, const QString& userDataFolder) {
    return WithSeparator(programFolderWritable ? programFolder : userDataFolder);
}

QString UserDataFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

QStringList StartingFiles() {
    return {QStringLiteral("Kestrel.mdb"), QStringLiteral("Kestrel.ini")};
}

QString Prepare(const QString& programFolder, const QString& booksFolder) {
    if (booksFolder.isEmpty())
        return QStringLiteral("找不到可以保存帐套的文件夹（用户数据文件夹未知）。");
    if (!QDir().mkpath(booksFolder))
        return QStringLiteral("无法创建帐套文件夹“%1”。").arg(QDir::toNativeSeparators(booksFolder));
    const QString from = WithSeparator(programFolder);
    const QString to = WithSeparator(booksFolder);
    if (from == to)
        return QString();
    for (const QString& name : StartingFiles()) {
        const QFileInfo target(to + name);
        // A link that points nowhere is a file the user placed there too.
        if (target.exists() || target.isSymLink() || !QFileInfo(from + name).isFile())
            continue;
        if (const QString problem = CopyInPlace(from + name, to + name); !problem.isEmpty())
            return problem;
    }
    return QString();
}

QString TemplateFile(const QString& programFolder, const QString& booksFolder, const QString& relative) {
    const QString own = WithSeparator(booksFolder) + relative;
    if (!booksFolder.isEmpty() && QFileInfo(own).isFile())
        return own;
    return WithSeparator(programFolder) + relative;
}

QString TemplateSavePath(const QString& programFolder, const QString& booksFolder, const QString& path) {
    const QString from = WithSeparator(programFolder);
    const QString to = WithSeparator(booksFolder);
    if (path.isEmpty() || to.isEmpty() || from == to)
        return path;
    const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    if (!absolute.startsWith(from))
        return path;
    return to + absolute.mid(from.size());
}

} // namespace BooksPlace
