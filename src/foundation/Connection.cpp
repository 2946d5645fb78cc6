#include "Connection.h"

#include "FileStamp.h"
#include "JetSql.h"
#include "KestrelError.h"
#include "PgBackend.h"
#include "PgDialect.h"
#include "PublicFunction.h"
#include "Schema.h"

#include <QAtomicInt>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <sqlite3.h>

namespace {

QAtomicInt connectionCounter;

// Large results are read from the file through a memory map rather than copied page by page into
// the engine's cache; the cache keeps the pages being changed and the small tables.
const char* const connectionSettings[] = {
    "PRAGMA foreign_keys = OFF",
    "PRAGMA mmap_size = 1073741824",
    "PRAGMA cache_size = -16384",
};

// The session settings the program's statements rely on, whatever the server, the database or
// the login has as defaults: texts between single quotes with backslashes taken as they stand,
// UTF-8 both ways, ISO dates, and the tables found where the program made them. The connection
// already asks for them at its start (PgBackend::SessionOptions); set again here, a server or a
// connection pool that drops start-up options is still pinned, and one that refuses them is not
// used. And the server compiles no statement of this session to machine code: the program's
// statements run once each, and compiling a large one (every document with its received amounts)
// takes longer than running it.
const char* const serverSessionSettings[] = {
    "SET standard_conforming_strings = on",
    "SET client_encoding = 'UTF8'",
    "SET DateStyle = 'ISO, YMD'",
    "SET search_path = \"$user\", public",
    "SET jit = off",
};

} // namespace

DbConnection::DbConnection()
    : name(QStringLiteral("kestrel-%1").arg(connectionCounter.fetchAndAddRelaxed(1))) {}

DbConnection::~DbConnection() {
    Close();
    if (QSqlDatabase::contains(name))
        QSqlDatabase::removeDatabase(name);
}

QSqlDatabase DbConnection::Prepared(const QString& driver) {
    if (QSqlDatabase::contains(name)) {
        if (QSqlDatabase::database(name, false).driverName() == driver)
            return QSqlDatabase::database(name, false);
        QSqlDatabase::removeDatabase(name);
    }
    return QSqlDatabase::addDatabase(driver, name);
}

bool DbConnection::Open() {
    Close();
    lastError.clear();
    if (!Server.isEmpty())
        return OpenServer();
    engine = Engine::SQLite;
    const QString path = DataSourceOf(ConnectionString);
    if (path.isEmpty() || !QFileInfo(path).isFile()) {
        lastError = QStringLiteral("数据库文件“%1”不存在").arg(path);
        return false;
    }
    QSqlDatabase db = Prepared(QStringLiteral("QSQLITE"));
    db.setDatabaseName(path);
    // The record of the last clean close is used once: while the file is open it no longer holds.
    const bool asLeft = FileStamp::IsAsLeft(path);
    FileStamp::Forget(path);
    if (!db.open()) {
        lastError = db.lastError().text();
        return false;
    }
    auto* handle = *static_cast<sqlite3* const*>(db.driver()->handle().data());
    QString problem;
    if (!RegisterJetFunctions(handle))
        problem = QStringLiteral("无法注册数据库函数");
    else
        problem = Schema::CheckDatabase(db, asLeft ? Schema::PageCheck::AllButDocumentsAndVouchers
                                                   : Schema::PageCheck::EveryPage);
    if (!problem.isEmpty()) {
        lastError = problem;
        db.close();
        return false;
    }
    QSqlQuery settings(db);
    for (const char* sql : connectionSettings)
        settings.exec(QLatin1String(sql));
    openPath = path;
    damageSeen = false;
    return true;
}

bool DbConnection::OpenServer() {
    engine = Engine::PostgreSql;
    QString problem;
    const QString options = PgBackend::ConnectOptions(Server, &problem);
    if (options.isEmpty()) {
        lastError = QStringLiteral("数据库服务器的连接字符串有误：") + problem;
        return false;
    }
    QSqlDatabase db = Prepared(QStringLiteral("QPSQL"));
    db.setConnectOptions(options);
    if (!db.open()) {
        const QString reason = db.lastError().databaseText().trimmed();
        lastError =
            QStringLiteral("无法连接数据库服务器：") + (reason.isEmpty() ? db.lastError().text() : reason);
        return false;
    }
    QSqlQuery settings(db);
    // The Qt driver has decided at connect how to write bound texts: with the start-up options
    // dropped (a connection pool may) it would double every backslash.
    if (!settings.exec(QStringLiteral("SELECT current_setting('standard_conforming_strings')")) ||
        !settings.next() || settings.value(0).toString() != QLatin1String("on")) {
        lastError =
            QStringLiteral("数据库服务器没有接受本软件连接时的会话设置（standard_conforming_strings = "
                           "on）。请直接连接数据库服务器，或让连接池转发连接选项（options）。");
        settings.finish();
        db.close();
        return false;
    }
    settings.finish();
    for (const char* sql : serverSessionSettings) {
        if (!settings.exec(QLatin1String(sql))) {
            lastError = QStringLiteral("数据库服务器不接受本软件需要的会话设置“%1”：%2")
                            .arg(QLatin1String(sql), settings.lastError().databaseText().trimmed());
            db.close();
            return false;
        }
    }
    settings.finish();
    problem = Schema::CheckDatabase(db, Schema::PageCheck::EveryPage);
    if (!problem.isEmpty()) {
        lastError = problem;
        db.close();
        return false;
    }
    return true;
}

QString DbConnection::EngineSql(const QString& jetSql) const {
    return engine == Engine::PostgreSql ? ToPostgresSql(jetSql) : ToEngineSql(jetSql);
}

pg_conn* DbConnection::ServerHandle() const {
    const QSqlDatabase db = Database();
    if (engine != Engine::PostgreSql)
        throw KestrelError(QStringLiteral("数据库不在服务器上"));
    return *static_cast<pg_conn* const*>(db.driver()->handle().data());
}

void DbConnection::NoteFailure(int engineCode) {
    if (engine != Engine::SQLite)
        return; // a server looks after its own files
    switch (engineCode & 0xff) {
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
    case SQLITE_IOERR:
        damageSeen = true;
        break;
    default:
        break;
    }
}

sqlite3* DbConnection::Handle() const {
    const QSqlDatabase db = Database();
    if (engine != Engine::SQLite)
        throw KestrelError(QStringLiteral("此操作只适用于数据库文件，不适用于数据库服务器"));
    return *static_cast<sqlite3* const*>(db.driver()->handle().data());
}

void DbConnection::Close() {
    keptStatements.clear();
    if (QSqlDatabase::contains(name)) {
        QSqlDatabase db = QSqlDatabase::database(name, false);
        if (db.isOpen())
            db.close();
    }
    if (!openPath.isEmpty() && !damageSeen)
        FileStamp::Remember(openPath);
    openPath.clear();
}

QSqlQuery& DbConnection::KeptStatement(const QString& engineSql) {
    std::shared_ptr<QSqlQuery>& kept = keptStatements[engineSql];
    if (!kept) {
        kept = std::make_shared<QSqlQuery>(Database());
        if (!kept->prepare(engineSql)) {
            const QString error = kept->lastError().text();
            keptStatements.remove(engineSql);
            throw KestrelError(QStringLiteral("准备语句失败：") + error);
        }
    }
    return *kept;
}

bool DbConnection::Connected() const {
    return QSqlDatabase::contains(name) && QSqlDatabase::database(name, false).isOpen();
}

QSqlDatabase DbConnection::Database() const {
    if (!Connected())
        throw KestrelError(QStringLiteral("数据库连接未打开"));
    return QSqlDatabase::database(name, false);
}

Transaction::Transaction(DbConnection& connection)
    : connection(&connection)
    , db(connection.Database()) {
    open = db.transaction();
    if (!open)
        throw KestrelError(QStringLiteral("无法开始数据库事务：") + db.lastError().text());
    // The history rows written in this transaction are one action, undone together.
    connection.HistoryAction = static_cast<qint64>(QRandomGenerator::global()->generate64() >> 2) + 1;
    connection.HistoryUndoes = 0;
}

Transaction::~Transaction() {
    if (open)
        db.rollback();
    connection->HistoryAction = 0;
    connection->HistoryUndoes = 0;
}

void Transaction::Commit() {
    if (!open)
        return;
    if (!db.commit()) {
        const QString error = db.lastError().text();
        db.rollback();
        open = false;
        throw KestrelError(QStringLiteral("数据库事务提交失败：") + error);
    }
    open = false;
}
