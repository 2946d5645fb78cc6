#include "FileStamp.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace FileStamp {

namespace {
constexpr int HeaderBytes = 100;
}

QString RecordPath(const QString& databasePath) {
    return databasePath + QStringLiteral("-checked");
}

QByteArray Of(const QString& databasePath) {
    QFile file(databasePath);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    const QByteArray header = file.read(HeaderBytes);
    if (header.size() != HeaderBytes)
        return QByteArray();
    const QFileInfo info(file);
    return QByteArray::number(info.size()) + ' ' +
           QByteArray::number(info.lastModified().toMSecsSinceEpoch()) + ' ' + header.toHex() + '\n';
}

bool IsAsLeft(const QString& databasePath) {
    QFile record(RecordPath(databasePath));
    if (!record.open(QIODevice::ReadOnly))
        return false;
    const QByteArray stamp = Of(databasePath);
    return !stamp.isEmpty() && record.readAll() == stamp;
}

void Remember(const QString& databasePath) {
    const QByteArray stamp = Of(databasePath);
    if (stamp.isEmpty())
        return;
    QSaveFile record(RecordPath(databasePath));
    if (record.open(QIODevice::WriteOnly) && record.write(stamp) == stamp.size())
        record.commit();
}

void Forget(const QString& databasePath) {
    QFile::remove(RecordPath(databasePath));
}

} // namespace FileStamp
