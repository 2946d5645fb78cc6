#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <vector>

class DbConnection;

// The automatic backups: written when the program closes (and once a day while it runs) through
// the same online backup as 备份数据, into a backup folder, named by date and time, and thinned out
// to the last 7 daily, 4 weekly and 12 monthly copies.
namespace AutoBackup {

// "Kestrel-自动备份-2026-12-11-091500.mdb"
QString FileName(const QDateTime& when);
// The time in a name of FileName; invalid for any other name.
QDateTime TimeOf(const QString& fileName);

// The default folder: 备份/ beside the books' file (which follows the books where they live).
QString DefaultFolder(const QString& booksFile);

// Of the backups made at these times, those to remove: every one that is not the newest of one of
// the 7 most recent days, of the 4 most recent weeks or of the 12 most recent months that have a
// backup.
std::vector<QDateTime> ToRemove(std::vector<QDateTime> times);

// Whether a backup is due while the program runs: none yet today.
bool DueToday(const std::vector<QDateTime>& times, const QDateTime& now);

// The automatic backups in folder, newest first.
struct Copy {
    QString Path;
    QDateTime Time;
    qint64 Size = 0;
    qint64 Documents = -1; // -1 when the file cannot be read
    QString LastDocument;  // the date of the newest document, "" when none
};
std::vector<Copy> List(const QString& folder);
// The number of documents and the newest document's date in a backup file.
void ReadFigures(Copy* copy);

struct Outcome {
    bool Written = false;
    bool Skipped = false; // another workstation is writing one this moment
    QString Path;
    QString Error;
};
// The server's advisory lock held by the workstation writing an automatic backup (the schema
// upgrade uses another key).
constexpr qint64 ServerLockKey = 0x4b657374726c4142; // "KestrlAB"

// Writes a backup of the books open on connection into folder (made when missing) and thins out
// the older ones. Two workstations at once: the second finds the folder's lock (or, on a server,
// the server's lock) taken and writes none (the first one's backup stands for both).
Outcome Run(DbConnection& connection, const QString& folder, const QDateTime& now,
            const QStringList& booksFiles = QStringList());

} // namespace AutoBackup
