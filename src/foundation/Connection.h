#pragma once

#include "Engine.h"

#include <QHash>
#include <QSqlDatabase>
#include <QString>
#include <functional>
#include <memory>

class QSqlQuery;
struct sqlite3;
struct pg_conn;

// The one connection to the database file. Its connection string keeps the form the program has
// always used; the Data Source names the SQLite file, the database password has no counterpart.
class DbConnection {
public:
    DbConnection();
    ~DbConnection();
    DbConnection(const DbConnection&) = delete;
    DbConnection& operator=(const DbConnection&) = delete;

    QString ConnectionString;
    // A libpq connection string (host, port, database name, user; the password comes from libpq's
    // password file or PGPASSWORD). When set, Open connects to that PostgreSQL server instead of
    // the file of ConnectionString.
    QString Server;

    // Opens the file named by ConnectionString. It must exist and be a database of this program;
    // otherwise nothing is changed in it, the connection stays closed and LastError tells why.
    // Every page is checked unless the file is as this program left it at its last clean close
    // (FileStamp); an older schema version is upgraded.
    bool Open();
    // Closes the connection; after a session that met no damaged page, remembers the file as left.
    void Close();
    // Called with the engine's result code when a statement fails: a damaged file is then checked
    // in full at the next opening.
    void NoteFailure(int engineCode);
    bool Connected() const;
    QString LastError() const { return lastError; }
    QSqlDatabase Database() const;
    Engine CurrentEngine() const { return engine; }
    // A statement of the program (Jet dialect) in the dialect of the engine.
    QString EngineSql(const QString& jetSql) const;
    // The engine's own handle of the open connection; raises KestrelError when it is closed or
    // is not of that engine.
    sqlite3* Handle() const;
    pg_conn* ServerHandle() const;
    QString Name() const { return name; }
    // Called now and then while the server runs a query of this connection (StatementHeartbeat);
    // empty when nobody waits for it.
    std::function<void()> ServerBeat;

    // The change history's marks of the transaction under way: the action its history rows
    // belong to (one per transaction), and the history row an undo is reversing (0: none).
    qint64 HistoryAction = 0;
    qint64 HistoryUndoes = 0;
    // A statement prepared once on this opening and kept for the next calls with the same text
    // (written many times, as the history's insert); bind every value by position before exec.
    // Kept statements are dropped when the connection closes.
    QSqlQuery& KeptStatement(const QString& engineSql);

private:
    bool OpenServer();
    // The Qt connection of this object with the given driver, made anew when the driver differs.
    QSqlDatabase Prepared(const QString& driver);

    Engine engine = Engine::SQLite;
    QString name;
    QString lastError;
    QString openPath; // the file of the open connection
    bool damageSeen = false;
    QHash<QString, std::shared_ptr<QSqlQuery>> keptStatements;
};

// A transaction on a connection: commit explicitly; leaving the scope otherwise rolls it back.
class Transaction {
public:
    explicit Transaction(DbConnection& connection);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void Commit();

private:
    DbConnection* connection;
    QSqlDatabase db;
    bool open = false;
};
