#pragma once

#include <QString>
#include <QStringList>

// Files the program writes at a name the user chose: never the books, and never half written
// under that name.
namespace FileTargets {

// The files the engine and the program keep beside a database file: its rollback journal, its
// write-ahead log and shared-memory index, and the record of the last clean close.
QStringList CompanionSuffixes();

// Whether path names databaseFile or one of its companion files, also through symbolic links
// (of the file or of a folder on the way) and hard links.
bool IsDatabaseOrCompanion(const QString& path, const QString& databaseFile);

// The message that refuses path as the target of a write when it is one of databaseFiles or their
// companion files; "" when path may be written.
QString RefusalOf(const QString& path, const QStringList& databaseFiles);

// A new, unused, hidden name in the folder of path, for a file that is written there and moved
// over path when complete: "." + name + "." + purpose + "-" + 32 hex digits + ".part".
QString PartBeside(const QString& path, const QString& purpose);

// Whether a file name is one PartBeside gives.
bool IsPartName(const QString& fileName);

// Moves a complete part over path in one rename. Returns "" or the system's cause in words.
QString MoveIntoPlace(const QString& part, const QString& path);

// The system's cause of a failed file operation in words the user understands (Chinese), with
// the number: "没有写入的权限（系统错误 13）".
QString SystemCause(int errorNumber);

} // namespace FileTargets
