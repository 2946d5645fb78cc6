#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>

class DbConnection;

// Backup and restore of the database file. The copy is made by the engine itself from the open
// connection, so it is consistent whatever the program is doing; a file is never half written
// under the user's name, and a restore checks the chosen file before anything is replaced.

// The outcome of a backup or restore: Ok, or the failure's number and the system's text for it.
struct BackupOutcome {
    bool Ok = true;
    quint32 ErrorNumber = 0;
    QString ErrorText;
    // Restore only: the chosen file is not a usable database of this program (nothing replaced).
    bool Refused = false;
    // Restore only: where the replaced database was kept.
    QString KeptCopy;
};

// The proposed backup name: "岚峰商业软件" + the date + ".mdb", with "-" where a short date
// would hold a character a file name cannot hold.
QString BackupFileProposal(const QDate& today);

// Copies the database open on connection into target, replacing an existing file. The copy is
// written to a new file beside target and moved over it only when it is complete.
BackupOutcome BackupDatabase(DbConnection& connection, const QString& target);

// Where the database is kept when a restore replaces it: beside it, named by the time of the
// restore ("Kestrel-恢复前-2026-12-10-143000.mdb").
QString KeptCopyName(const QString& databasePath, const QDateTime& when);

// Puts source in place of the database open on connection (whose file is the program's database).
// The source must open as a database of this program with the start-up checks; otherwise the
// outcome is Refused and nothing changes. Otherwise the connection is closed, the current file is
// kept as KeptCopyName(...) beside it, and the checked copy of source takes its place in one
// rename. On success the connection stays closed (the program ends); on any failure the current
// database stays in place and the connection is open again.
BackupOutcome RestoreDatabase(DbConnection& connection, const QString& source,
                              const QDateTime& when = QDateTime::currentDateTime());

// The texts shown for a failed backup or restore: the fixed words, the number, the system's text.
QString BackupFailureText(const BackupOutcome& outcome);
QString RestoreFailureText(const BackupOutcome& outcome);
