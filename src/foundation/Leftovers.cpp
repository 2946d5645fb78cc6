#include "Leftovers.h"

#include "FileTargets.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace Leftovers {

namespace {

QString& NoteFolderSetting() {
    static QString folder;
    return folder;
}

// The lock this instance holds for its whole run (-1 until taken).
int instanceLock = -1;

QString NoteFor(const QString& path) {
    return NoteFolder() + QLatin1Char('/') +
           QString::fromLatin1(QCryptographicHash::hash(path.toUtf8(), QCryptographicHash::Sha1).toHex()) +
           QStringLiteral(".note");
}

// Only names the program itself gives its unfinished files are ever removed.
bool IsOwnName(const QString& path) {
    const QFileInfo info(path);
    if (FileTargets::IsPartName(info.fileName()))
        return !info.isDir();
    return info.fileName().startsWith(QLatin1String("kestrel-")) && info.isDir() && !info.isSymLink() &&
           QDir::cleanPath(info.absolutePath()) == QDir::cleanPath(QDir::tempPath());
}

} // namespace

QString NoteFolder() {
    if (NoteFolderSetting().isEmpty()) {
        QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
        if (base.isEmpty())
            base = QDir::tempPath();
        NoteFolderSetting() = base + QStringLiteral("/Kestrel/unfinished");
    }
    return NoteFolderSetting();
}

void SetNoteFolder(const QString& folder) {
    NoteFolderSetting() = folder;
}

QString InstanceLockPath() {
    return NoteFolder() + QStringLiteral("/instances.lock");
}

Unfinished::Unfinished(const QString& path) {
    if (path.isEmpty() || !QDir().mkpath(NoteFolder()))
        return;
    QSaveFile file(NoteFor(QFileInfo(path).absoluteFilePath()));
    const QByteArray text = QFileInfo(path).absoluteFilePath().toUtf8();
    if (file.open(QIODevice::WriteOnly) && file.write(text) == text.size() && file.commit())
        note = file.fileName();
}

Unfinished::~Unfinished() {
    if (!note.isEmpty())
        QFile::remove(note);
}

QStringList CleanUpAtStart() {
    QStringList removed;
    if (!QDir().mkpath(NoteFolder()))
        return removed;
    static QString lockedPath;
    if (instanceLock >= 0 && lockedPath != InstanceLockPath()) {
        ::close(instanceLock);
        instanceLock = -1;
    }
    if (instanceLock < 0) {
        lockedPath = InstanceLockPath();
        instanceLock = ::open(QFile::encodeName(lockedPath).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    }
    if (instanceLock < 0)
        return removed;
    // An exclusive lock is had only when no other instance holds its shared one; the lock goes
    // with the process, however it ends.
    if (::flock(instanceLock, LOCK_EX | LOCK_NB) == 0) {
        const QDir notes(NoteFolder());
        for (const QString& name : notes.entryList({QStringLiteral("*.note")}, QDir::Files | QDir::Hidden)) {
            QFile note(notes.filePath(name));
            if (!note.open(QIODevice::ReadOnly))
                continue;
            const QString path = QString::fromUtf8(note.readAll());
            note.close();
            const QFileInfo info(path);
            if (info.exists() || info.isSymLink()) {
                if (!IsOwnName(path))
                    continue; // not a name of ours: left alone, note and all
                const bool gone = info.isDir() ? QDir(path).removeRecursively() : QFile::remove(path);
                if (!gone)
                    continue;
                QFile::remove(path + QStringLiteral("-journal"));
                removed << path;
            }
            note.remove();
        }
    }
    ::flock(instanceLock, LOCK_SH);
    return removed;
}

} // namespace Leftovers
