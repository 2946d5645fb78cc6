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
    // The engine's own handle of the open connection; raises KestrelError when it is closed.
    sqlite3* Handle() const;
    QString Name() const { return name; }

private:
    QString name;
    QString lastError;
    QString openPath; // the file of the open connection
    bool damageSeen = false;
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
