#include "Backup.h"

#include "BookCopy.h"
#include "Connection.h"
#include "FileStamp.h"
#include "JetSql.h"
#include "KestrelError.h"
#include "PublicFunction.h"
#include "Schema.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QTemporaryDir>
#include <QUuid>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <sqlite3.h>
#include <system_error>

namespace {

namespace fs = std::filesystem;

fs::path PathOf(const QString& file) {
    return fs::path(file.toStdString());
}

// A new, unused name in the folder of file, for a copy that is moved into place when complete.
QString PartFileBeside(const QString& file, const QString& purpose) {
    const QFileInfo info(file);
    return info.absolutePath() + QStringLiteral("/.") + info.fileName() + QLatin1Char('.') + purpose +
           QLatin1Char('-') + QUuid::createUuid().toString(QUuid::Id128) + QStringLiteral(".part");
}

void RemoveQuietly(const QString& file) {
    std::error_code ignored;
    fs::remove(PathOf(file), ignored);
    fs::remove(PathOf(file + QStringLiteral("-journal")), ignored);
}

BackupOutcome Failure(int number, const QString& text) {
    BackupOutcome outcome;
    outcome.Ok = false;
    outcome.ErrorNumber = static_cast<quint32>(number);
    outcome.ErrorText = text;
    return outcome;
}

BackupOutcome Failure(const std::error_code& error) {
    return Failure(error.value(), QString::fromLocal8Bit(error.message().c_str()));
}

// The failure of an engine call on db: the system's error number when the engine has one (a file
// that could not be written), otherwise the engine's own code, with the engine's text.
BackupOutcome EngineFailure(sqlite3* db, int code) {
    const int system = db != nullptr ? sqlite3_system_errno(db) : 0;
    QString text =
        db != nullptr ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(code));
    if (system != 0)
        text += QStringLiteral("（") + QString::fromLocal8Bit(std::strerror(system)) + QStringLiteral("）");
    return Failure(system != 0 ? system : code, text);
}

// Opens a new database file at path, which must not exist yet; the system's error number when the
// file cannot be made there (a missing folder, no right to write).
BackupOutcome OpenNewFile(const QString& path, sqlite3** db) {
    const int code =
        sqlite3_open_v2(path.toUtf8().constData(), db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_EXCLUSIVE, nullptr);
    if (code == SQLITE_OK)
        return BackupOutcome();
    BackupOutcome failure = EngineFailure(*db, code);
    sqlite3_close(*db);
    *db = nullptr;
    return failure;
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
    if (sqlite3_close(target) != SQLITE_OK && outcome.Ok)
        outcome = EngineFailure(nullptr, SQLITE_IOERR);
    return outcome;
}

bool SameFile(const QString& a, const QString& b) {
    std::error_code error;
    return fs::equivalent(PathOf(a), PathOf(b), error) && !error;
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

// Copies the chosen file to part and checks the copy: what is checked is what is used, and the
// chosen file itself is never written to. On any failure part is gone again.
BackupOutcome CheckedCopy(const QString& source, const QString& part) {
    std::error_code error;
    fs::copy_file(PathOf(source), PathOf(part), error);
    if (error) {
        RemoveQuietly(part);
        return Failure(error);
    }
    QString problem = CheckChosenFile(part);
    if (problem.isEmpty())
        return BackupOutcome();
    RemoveQuietly(part);
    // The checks name the file they opened and give start-up's advice: keep the first paragraph,
    // naming the chosen file.
    problem = problem.section(QStringLiteral("\n\n"), 0, 0).replace(part, QDir::toNativeSeparators(source));
    BackupOutcome refused = Failure(0, problem);
    refused.Refused = true;
    return refused;
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
    const QString part = PartFileBeside(target, QStringLiteral("backup"));
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
    const QTemporaryDir work;
    if (!work.isValid())
        return Failure(EIO, work.errorString());
    const QString part = work.filePath(QStringLiteral("Kestrel.mdb"));
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

BackupOutcome BackupDatabase(DbConnection& connection, const QString& target) {
    if (connection.CurrentEngine() == Engine::PostgreSql)
        return BackupServerBooks(connection, target);
    const QString database = DataSourceOf(connection.ConnectionString);
    if (SameFile(database, target))
        return Failure(EINVAL, QStringLiteral("备份文件不能是正在使用的数据库文件本身，请另选文件名"));
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
    const QString part = PartFileBeside(database, QStringLiteral("restore"));
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
