#include "AutoBackup.h"

#include "Backup.h"
#include "Connection.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QUuid>
#include <algorithm>

namespace AutoBackup {

namespace {

const QString Prefix = QStringLiteral("Kestrel-自动备份-");
const QString Suffix = QStringLiteral(".mdb");
const QString TimeFormat = QStringLiteral("yyyy-MM-dd-HHmmss");

// The newest time of each of the most recent count periods (period: a key of a time).
template <typename Key>
void KeepNewestOfPeriods(const std::vector<QDateTime>& newestFirst, int count, Key key,
                         QSet<QDateTime>* keep) {
    QSet<qint64> periods;
    for (const QDateTime& t : newestFirst) {
        const qint64 period = key(t);
        if (periods.contains(period))
            continue;
        if (periods.size() == count)
            break;
        periods.insert(period);
        keep->insert(t);
    }
}

// A session lock on the server held while one workstation writes its automatic backup; always held
// on a file (where the folder's lock file does the same).
class ServerLock {
public:
    explicit ServerLock(DbConnection& connection)
        : connection(connection) {
        if (connection.CurrentEngine() != Engine::PostgreSql)
            return;
        QSqlQuery q(connection.Database());
        held = q.exec(QStringLiteral("SELECT pg_try_advisory_lock(%1)").arg(LockKey)) && q.next() &&
               q.value(0).toBool();
        taken = held;
    }
    ~ServerLock() {
        if (!taken)
            return;
        QSqlQuery q(connection.Database());
        q.exec(QStringLiteral("SELECT pg_advisory_unlock(%1)").arg(LockKey));
    }
    ServerLock(const ServerLock&) = delete;
    ServerLock& operator=(const ServerLock&) = delete;
    bool Held() const { return held; }

private:
    static constexpr qint64 LockKey = ServerLockKey;
    DbConnection& connection;
    bool held = true;
    bool taken = false;
};

} // namespace

QString FileName(const QDateTime& when) {
    return Prefix + when.toString(TimeFormat) + Suffix;
}

QDateTime TimeOf(const QString& fileName) {
    if (!fileName.startsWith(Prefix) || !fileName.endsWith(Suffix, Qt::CaseInsensitive))
        return QDateTime();
    return QDateTime::fromString(fileName.mid(Prefix.size(), fileName.size() - Prefix.size() - Suffix.size()),
                                 TimeFormat);
}

QString DefaultFolder(const QString& booksFile) {
    return QFileInfo(booksFile).absolutePath() + QStringLiteral("/备份/");
}

std::vector<QDateTime> ToRemove(std::vector<QDateTime> times) {
    std::sort(times.begin(), times.end(), std::greater<>());
    QSet<QDateTime> keep;
    KeepNewestOfPeriods(
        times, 7, [](const QDateTime& t) { return t.date().toJulianDay(); }, &keep);
    KeepNewestOfPeriods(
        times, 4,
        [](const QDateTime& t) {
            int year = 0;
            const int week = t.date().weekNumber(&year);
            return qint64(year) * 100 + week;
        },
        &keep);
    KeepNewestOfPeriods(
        times, 12, [](const QDateTime& t) { return qint64(t.date().year()) * 100 + t.date().month(); },
        &keep);
    std::vector<QDateTime> remove;
    for (const QDateTime& t : times) {
        if (!keep.contains(t))
            remove.push_back(t);
    }
    return remove;
}

bool DueToday(const std::vector<QDateTime>& times, const QDateTime& now) {
    return std::none_of(times.begin(), times.end(),
                        [&now](const QDateTime& t) { return t.date() == now.date(); });
}

void ReadFigures(Copy* copy) {
    const QString name =
        QStringLiteral("kestrel-autobackup-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(copy->Path);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (db.open()) {
            QSqlQuery q(db);
            if (q.exec(
                    QStringLiteral("SELECT COUNT(*), MAX(BillCreateTime) FROM Bill WHERE BillIndex > 1")) &&
                q.next()) {
                copy->Documents = q.value(0).toLongLong();
                copy->LastDocument = q.value(1).toString().left(10);
            }
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

std::vector<Copy> List(const QString& folder) {
    std::vector<Copy> copies;
    const QFileInfoList files =
        QDir(folder).entryInfoList({Prefix + QStringLiteral("*") + Suffix}, QDir::Files);
    for (const QFileInfo& file : files) {
        Copy copy;
        copy.Path = file.absoluteFilePath();
        copy.Time = TimeOf(file.fileName());
        copy.Size = file.size();
        if (copy.Time.isValid())
            copies.push_back(copy);
    }
    std::sort(copies.begin(), copies.end(), [](const Copy& a, const Copy& b) { return a.Time > b.Time; });
    return copies;
}

Outcome Run(DbConnection& connection, const QString& folder, const QDateTime& now,
            const QStringList& booksFiles) {
    Outcome outcome;
    if (!QDir().mkpath(folder)) {
        outcome.Error = QStringLiteral("无法建立备份文件夹：") + QDir::toNativeSeparators(folder);
        return outcome;
    }
    // One workstation at a time writes into the folder; one that finds it taken leaves it.
    QLockFile lock(QDir(folder).filePath(QStringLiteral(".Kestrel-自动备份.lock")));
    lock.setStaleLockTime(10 * 60 * 1000);
    if (!lock.tryLock(0)) {
        outcome.Skipped = true;
        return outcome;
    }
    // On a server, every workstation closing at this moment shares the books but perhaps not the
    // folder: the server's lock lets one of them write and the others leave it.
    ServerLock serverLock(connection);
    if (!serverLock.Held()) {
        outcome.Skipped = true;
        return outcome;
    }
    std::vector<QDateTime> times;
    for (const Copy& copy : List(folder))
        times.push_back(copy.Time);
    // Another workstation closing a moment ago wrote the books as they are now.
    if (!times.empty() && times.front().secsTo(now) < 60 && times.front() <= now) {
        outcome.Skipped = true;
        return outcome;
    }
    outcome.Path = QDir(folder).filePath(FileName(now));
    const BackupOutcome written = BackupDatabase(connection, outcome.Path, booksFiles);
    if (!written.Ok) {
        outcome.Error = BackupFailureText(written);
        return outcome;
    }
    outcome.Written = true;
    times.push_back(now);
    for (const QDateTime& old : ToRemove(times))
        QFile::remove(QDir(folder).filePath(FileName(old)));
    return outcome;
}

} // namespace AutoBackup
