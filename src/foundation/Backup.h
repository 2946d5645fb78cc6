#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>

class DbConnection;

// Backup and restore of the books. From the database file the copy is made by the engine itself
// from the open connection, so it is consistent whatever the program is doing; from a server the
// books are copied, keys included, into a new database file of this program in one picture of them
// and compared table by table. A file is never half written under the user's name, and a restore
// checks the chosen file before anything is replaced.

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

// Copies the books open on connection (a file or a server) into target, a database file,
// replacing an existing file. The copy is written to a new file beside target and moved over it
// only when it is complete (from a server: when its row counts and amount sums equal the server's).
// A target that is the books' file (the connection's, or one of booksFiles) or a file the engine
// or the program keeps beside it is refused, also when reached through a link.
BackupOutcome BackupDatabase(DbConnection& connection, const QString& target,
                             const QStringList& booksFiles = QStringList());

// Where the database is kept when a restore replaces it: beside it, named by the time of the
// restore ("Kestrel-恢复前-2026-12-10-143000.mdb").
QString KeptCopyName(const QString& databasePath, const QDateTime& when);

// Puts source in place of the books open on connection. The source must open as a database of
// this program with the start-up checks (an older version is upgraded, in a copy); otherwise the
// outcome is Refused and nothing changes.
// The database file: the connection is closed, the current file is kept as KeptCopyName(...)
// beside it, and the checked copy of source takes its place in one rename. On success the
// connection stays closed (the program ends); on any failure the current database stays in place
// and the connection is open again.
// A server: its books are first backed up into keptFolder as KeptCopyName(...) of a Kestrel.mdb
// there, then replaced by the rows of the checked copy in one transaction that also compares the
// row counts and amount sums; on any failure the server's books stay as they were (and the
// connection open), on success the connection is closed.
BackupOutcome RestoreDatabase(DbConnection& connection, const QString& source, const QString& keptFolder,
                              const QDateTime& when = QDateTime::currentDateTime());

// The texts shown for a failed backup or restore: the fixed words, the number, the system's text.
QString BackupFailureText(const BackupOutcome& outcome);
QString RestoreFailureText(const BackupOutcome& outcome);
