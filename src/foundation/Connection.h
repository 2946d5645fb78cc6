#pragma once

#include <QSqlDatabase>
#include <QString>

struct sqlite3;

// The one connection to the database file. Its connection string keeps the form the program has
// always used; the Data Source names the SQLite file, the database password has no counterpart.
class DbConnection {
public:
    DbConnection();
    ~DbConnection();
    DbConnection(const DbConnection&) = delete;
    DbConnection& operator=(const DbConnection&) = delete;

    QString ConnectionString;

    // Opens the file named by ConnectionString. It must exist and be a database of this program;
    // otherwise nothing is changed in it, the connection stays closed and LastError tells why.
    bool Open();
    void Close();
    bool Connected() const;
    QString LastError() const { return lastError; }
    QSqlDatabase Database() const;
    // The engine's own handle of the open connection; raises KestrelError when it is closed.
    sqlite3* Handle() const;
    QString Name() const { return name; }

private:
    QString name;
    QString lastError;
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
    QSqlDatabase db;
    bool open = false;
};
