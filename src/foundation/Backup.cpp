#include "Backup.h"

#include "BookCopy.h"
#include "Connection.h"
#include "FileStamp.h"
#include "FileTargets.h"
#include "JetSql.h"
#include "KestrelError.h"
#include "Leftovers.h"
#include "PublicFunction.h"
#include "Schema.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QTemporaryDir>
#include <QUuid>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sqlite3.h>
#include <system_error>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

fs::path PathOf(const QString& file) {
    return fs::path(file.toStdString());
}

void RemoveQuietly(const QString& file) {
    std::error_code ignored;
    fs::remove(PathOf(file), ignored);
    for (const QString& suffix : FileTargets::CompanionSuffixes())
        fs::remove(PathOf(file + suffix), ignored);
}

BackupOutcome Failure(int number, const QString& text) {
    BackupOutcome outcome;
    outcome.Ok = false;
    outcome.ErrorNumber = static_cast<quint32>(number);
    outcome.ErrorText = text;
    return outcome;
}

BackupOutcome Failure(const std::error_code& error) {
    return Failure(error.value(), FileTargets::SystemCause(error.value()));
}

// The system's error number behind a failed engine call on db. A full disk is the engine's own
// code; otherwise the number the engine noted, which is only trusted for a failure of the file.
int SystemNumber(sqlite3* db, int code) {
    switch (code & 0xff) {
    case SQLITE_FULL:
        return ENOSPC;
    case SQLITE_IOERR:
    case SQLITE_CANTOPEN:
    case SQLITE_READONLY:
    case SQLITE_PERM:
        return db != nullptr ? sqlite3_system_errno(db) : 0;
    default:
        return 0;
    }
}

// The failure of an engine call on db: the system's error number and its cause in words when a
// file could not be read or written, otherwise the engine's own code and text.
BackupOutcome EngineFailure(sqlite3* db, int code) {
    const int system = SystemNumber(db, code);
    if (system != 0)
        return Failure(system, FileTargets::SystemCause(system));
    return Failure(code, db != nullptr ? QString::fromUtf8(sqlite3_errmsg(db))
                                       : QString::fromUtf8(sqlite3_errstr(code)));
}

// Opens a new database file at path, which must not exist yet. The file is made here rather than
// by the engine, so that a folder that cannot be written to gives the system's own cause.
BackupOutcome OpenNewFile(const QString& path, sqlite3** db) {
    const int made =
        ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (made < 0) {
        const int number = errno;
        return Failure(number, FileTargets::SystemCause(number));
    }
    ::close(made);
    const int code = sqlite3_open_v2(path.toUtf8().constData(), db, SQLITE_OPEN_READWRITE, nullptr);
    if (code == SQLITE_OK)
        return BackupOutcome();
    BackupOutcome failure = EngineFailure(*db, code);
    sqlite3_close(*db);
    *db = nullptr;
    return failure;
}

// The journal mode of an open database, set to the program's (a rollback journal deleted after
// each change); false when the engine keeps another one.
bool UseProgramJournalMode(sqlite3* db) {
    QByteArray mode;
    const int code = sqlite3_exec(
        db, "PRAGMA journal_mode = DELETE",
        [](void* out, int columns, char** values, char**) {
            if (columns > 0 && values[0] != nullptr)
                *static_cast<QByteArray*>(out) = QByteArray(values[0]).toLower();
            return 0;
        },
        &mode, nullptr);
    return code == SQLITE_OK && mode == "delete";
}

// Copies the main database of source into a new file at path with the engine's online backup.
BackupOutcome CopyWithEngine(sqlite3* source, const QString& path) {
    sqlite3* target = nullptr;
    if (BackupOutcome failure = OpenNewFile(path, &target); !failure.Ok)
        return failure;
    int code = SQLITE_OK;
    sqlite3_backup* backup = sqlite3_backup_init(target, "main", source, "main");
    if (backup == nullptr) {
        BackupOutcome failure = EngineFailure(target, sqlite3_errcode(target));
        sqlite3_close(target);
        return failure;
    }
    // Another program holding the file for writing makes the engine wait; give it a few seconds.
    for (int attempt = 0; attempt < 50; ++attempt) {
        code = sqlite3_backup_step(backup, -1);
        if (code != SQLITE_BUSY && code != SQLITE_LOCKED)
            break;
        sqlite3_sleep(100);
    }
    sqlite3_backup_finish(backup);
    BackupOutcome outcome;
    if (code != SQLITE_DONE)
        outcome = EngineFailure(target, code);
    // A source in write-ahead-log mode passes its mode on in the copied header.
    else if (!UseProgramJournalMode(target))
        outcome = EngineFailure(target, sqlite3_errcode(target) != SQLITE_OK ? sqlite3_errcode(target)
                                                                             : SQLITE_ERROR);
    if (sqlite3_close(target) != SQLITE_OK && outcome.Ok)
        outcome = EngineFailure(nullptr, SQLITE_IOERR);
    return outcome;
}

// Runs work on a database file opened on a connection of its own; its answer, or whenUnopened.
template <typename Work> QString OnFile(const QString& path, const QString& whenUnopened, Work work) {
    const QString name = QStringLiteral("kestrel-backup-") + QUuid::createUuid().toString(QUuid::Id128);
    QString answer;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        answer = db.open() ? work(db) : whenUnopened;
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return answer;
}

// Opens a copy of a chosen file on a connection of its own and runs the start-up checks on it.
// Returns the problem for the user, or "" when the file can be used.
QString CheckChosenFile(const QString& path) {
    return OnFile(path, QStringLiteral("无法打开所选文件"),
                  [](QSqlDatabase db) { return Schema::CheckDatabase(db, Schema::PageCheck::EveryPage); });
}

BackupOutcome Refusal(const QString& problem) {
    BackupOutcome refused = Failure(0, problem);
    refused.Refused = true;
    return refused;
}

// A private folder in the temporary folder for the work of a restore, noted until it is removed.
struct WorkFolder {
    QTemporaryDir dir{QDir::tempPath() + QStringLiteral("/kestrel-restore-XXXXXX")};
    Leftovers::Unfinished noted{dir.path()};
};

// Copies the chosen file, as the engine reads it, into the new file part: a private copy of it
// together with its rollback journal or write-ahead log is opened by the engine, which rolls back
// a change that was being written when the file was copied, or applies the commits still in the
// log; then the online backup writes part. The chosen file and the files beside it are only read.
BackupOutcome CopyAsTheEngineReadsIt(const QString& source, const QString& part) {
    const WorkFolder work;
    if (!work.dir.isValid())
        return Failure(EIO, work.dir.errorString());
    const QString copy = work.dir.filePath(QStringLiteral("chosen.mdb"));
    for (const QString& suffix : {QString(), QStringLiteral("-journal"), QStringLiteral("-wal")}) {
        if (!suffix.isEmpty() && !QFileInfo(source + suffix).isFile())
            continue;
        std::error_code error;
        fs::copy_file(PathOf(source + suffix), PathOf(copy + suffix), error);
        if (error)
            return Failure(error);
    }
    const QString unreadable =
        QStringLiteral("“%1”不是本软件的数据库文件，或者文件已损坏。").arg(QDir::toNativeSeparators(source));
    sqlite3* db = nullptr;
    int code = sqlite3_open_v2(copy.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    // Reading the schema is what rolls back or applies the journal or log.
    if (code == SQLITE_OK)
        code = sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
    if (code != SQLITE_OK) {
        sqlite3_close(db);
        return Refusal(unreadable);
    }
    BackupOutcome outcome = CopyWithEngine(db, part);
    sqlite3_close(db);
    return outcome;
}

// Copies the chosen file to part as the engine reads it and checks the copy: what is checked is
// what is used, and the chosen file itself is never written to. On any failure part is gone again.
BackupOutcome CheckedCopy(const QString& source, const QString& part) {
    if (BackupOutcome copied = CopyAsTheEngineReadsIt(source, part); !copied.Ok) {
        RemoveQuietly(part);
        return copied;
    }
    QString problem = CheckChosenFile(part);
    if (problem.isEmpty())
        return BackupOutcome();
    RemoveQuietly(part);
    // The checks name the file they opened and give start-up's advice: keep the first paragraph,
    // naming the chosen file.
    return Refusal(
        problem.section(QStringLiteral("\n\n"), 0, 0).replace(part, QDir::toNativeSeparators(source)));
}

// A failure of the copy of the books between the server and a file, which has no system number:
// the engine's code for a failed statement, with the copy's own text.
BackupOutcome CopyFailure(const QString& problem) {
    return Failure(SQLITE_ERROR, problem);
}

// A new database file of this program at path (which must not exist yet), holding the server's
// books, copied in one picture of them and compared table by table.
BackupOutcome CopyServerBooksTo(DbConnection& server, const QString& path) {
    sqlite3* created = nullptr;
    if (BackupOutcome failure = OpenNewFile(path, &created); !failure.Ok)
        return failure;
    sqlite3_close(created);
    QString problem = OnFile(path, QStringLiteral("无法打开新建的数据库文件"), Schema::CreateSchema);
    if (!problem.isEmpty())
        return CopyFailure(problem);
    DbConnection file;
    file.ConnectionString = BuildConnectionString(path, QString());
    if (!file.Open())
        return CopyFailure(file.LastError());
    std::vector<BookCopy::TableFigures> figures;
    problem = BookCopy::Copy(server, file, &figures);
    file.Close();
    // Not the program's own database: no record of how it was left.
    FileStamp::Forget(path);
    return problem.isEmpty() ? BackupOutcome() : CopyFailure(problem);
}

// A backup is written by write to a new file beside target and moved over target only when
// complete, so that no half-written file ever carries the chosen name.
template <typename Write> BackupOutcome WrittenInPlace(const QString& target, Write write) {
    const QString part = FileTargets::PartBeside(target, QStringLiteral("backup"));
    const Leftovers::Unfinished noted(part);
    BackupOutcome outcome = write(part);
    if (outcome.Ok) {
        std::error_code error;
        fs::rename(PathOf(part), PathOf(target), error);
        if (error)
            outcome = Failure(error);
    }
    if (!outcome.Ok)
        RemoveQuietly(part);
    return outcome;
}

BackupOutcome BackupServerBooks(DbConnection& server, const QString& target) {
    return WrittenInPlace(target, [&](const QString& part) { return CopyServerBooksTo(server, part); });
}

// The server's books are replaced by a checked copy of source in one transaction. They are first
// kept in keptFolder as a backup, as a restore of the file keeps the replaced file.
BackupOutcome RestoreServerBooks(DbConnection& server, const QString& source, const QString& keptFolder,
                                 const QDateTime& when) {
    const WorkFolder work;
    if (!work.dir.isValid())
        return Failure(EIO, work.dir.errorString());
    const QString part = work.dir.filePath(QStringLiteral("Kestrel.mdb"));
    BackupOutcome outcome = CheckedCopy(source, part);
    if (!outcome.Ok)
        return outcome;
    // Every page of the copy was just checked; opening it need not check them again.
    FileStamp::Remember(part);
    DbConnection books;
    books.ConnectionString = BuildConnectionString(part, QString());
    if (!books.Open())
        return CopyFailure(books.LastError());
    const QString kept = KeptCopyName(QDir(keptFolder).filePath(QStringLiteral("Kestrel.mdb")), when);
    outcome = BackupServerBooks(server, kept);
    if (!outcome.Ok)
        return outcome;
    std::vector<BookCopy::TableFigures> figures;
    const QString problem = BookCopy::Replace(books, server, &figures);
    if (!problem.isEmpty()) {
        RemoveQuietly(kept);
        return CopyFailure(problem);
    }
    server.Close();
    outcome.KeptCopy = kept;
    return outcome;
}

} // namespace

QString BackupFileProposal(const QDate& today) {
    QString date = StoredDateText(today);
    for (const QChar c : {QLatin1Char('/'), QLatin1Char('\\'), QLatin1Char(':'), QLatin1Char('.')})
        date.replace(c, QLatin1Char('-'));
    return QStringLiteral("岚峰商业软件") + date + QStringLiteral(".mdb");
}

BackupOutcome BackupDatabase(DbConnection& connection, const QString& target, const QStringList& booksFiles) {
    const QString database = connection.CurrentEngine() == Engine::PostgreSql
                                 ? QString()
                                 : DataSourceOf(connection.ConnectionString);
    if (const QString refusal = FileTargets::RefusalOf(target, QStringList{database} + booksFiles);
        !refusal.isEmpty())
        return Failure(EINVAL, refusal);
    if (connection.CurrentEngine() == Engine::PostgreSql)
        return BackupServerBooks(connection, target);
    sqlite3* source = nullptr;
    try {
        source = connection.Handle();
    } catch (const KestrelError& error) {
        return Failure(SQLITE_MISUSE, error.Message());
    }
    return WrittenInPlace(target, [&](const QString& part) { return CopyWithEngine(source, part); });
}

QString KeptCopyName(const QString& databasePath, const QDateTime& when) {
    const QFileInfo info(databasePath);
    return info.absolutePath() + QLatin1Char('/') + info.completeBaseName() + QStringLiteral("-恢复前-") +
           when.toString(QStringLiteral("yyyy-MM-dd-HHmmss")) + QLatin1Char('.') + info.suffix();
}

BackupOutcome RestoreDatabase(DbConnection& connection, const QString& source, const QString& keptFolder,
                              const QDateTime& when) {
    if (connection.CurrentEngine() == Engine::PostgreSql)
        return RestoreServerBooks(connection, source, keptFolder, when);
    const QString database = QFileInfo(DataSourceOf(connection.ConnectionString)).absoluteFilePath();
    const QString part = FileTargets::PartBeside(database, QStringLiteral("restore"));
    const Leftovers::Unfinished noted(part);
    if (BackupOutcome checked = CheckedCopy(source, part); !checked.Ok)
        return checked;

    connection.Close();
    BackupOutcome outcome;
    const QString kept = KeptCopyName(database, when);
    // The current file stays where it is until the rename replaces it; the kept copy is a second
    // name for it (or a copy where the file system has no second names).
    std::error_code error;
    fs::create_hard_link(PathOf(database), PathOf(kept), error);
    if (error) {
        error.clear();
        fs::copy_file(PathOf(database), PathOf(kept), error);
    }
    if (!error) {
        fs::rename(PathOf(part), PathOf(database), error);
        if (error)
            RemoveQuietly(kept);
    }
    if (error) {
        outcome = Failure(error);
        RemoveQuietly(part);
        if (!connection.Open())
            outcome.ErrorText += QStringLiteral("\n") + connection.LastError();
        return outcome;
    }
    outcome.KeptCopy = kept;
    return outcome;
}

QString BackupFailureText(const BackupOutcome& outcome) {
    QString text = QStringLiteral("数据库备份失败，失败号为：") + QString::number(outcome.ErrorNumber);
    if (!outcome.ErrorText.isEmpty())
        text += QStringLiteral("\n\n") + outcome.ErrorText;
    return text;
}

QString RestoreFailureText(const BackupOutcome& outcome) {
    if (outcome.Refused)
        return QStringLiteral("所选文件不能用来恢复数据库，当前数据库没有改动。\n\n") + outcome.ErrorText;
    QString text = QStringLiteral("数据库恢复失败，失败号为：") + QString::number(outcome.ErrorNumber);
    if (!outcome.ErrorText.isEmpty())
        text += QStringLiteral("\n\n") + outcome.ErrorText;
    return text + QStringLiteral("\n\n当前数据库没有改动。");
}
