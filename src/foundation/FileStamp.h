#pragma once

#include <QByteArray>
#include <QString>

// What the program remembers of its database file when it closes it cleanly: the file's size,
// modification time and SQLite header (whose change counter moves with every stored change). It is
// kept beside the file, under the file's name + "-checked". A file found at the next opening just as
// it was left has had every page checked before and been changed since only by the program itself.
namespace FileStamp {

QString RecordPath(const QString& databasePath);
// The stamp of the file as it is now; empty when it cannot be read.
QByteArray Of(const QString& databasePath);
// True when a record exists and the file is still as it was when the record was written.
bool IsAsLeft(const QString& databasePath);
// Writes the record for the file as it is now (nothing when the folder cannot be written to).
void Remember(const QString& databasePath);
void Forget(const QString& databasePath);

} // namespace FileStamp
