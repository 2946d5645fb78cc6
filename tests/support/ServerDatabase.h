#pragma once

#include <QString>

// A fresh, empty database on the test server named by the environment variable KESTREL_PG_TEST
// (a libpq connection string to a server where the tests may create databases; scripts/test.sh
// starts one). Dropped again when the object goes.
class ServerDatabase {
public:
    // options: further clauses of CREATE DATABASE (e.g. "LC_CTYPE 'C' LC_COLLATE 'C'"); the
    // encoding is UTF8 unless they name one.
    explicit ServerDatabase(const QString& options = QString());
    ~ServerDatabase();
    ServerDatabase(const ServerDatabase&) = delete;
    ServerDatabase& operator=(const ServerDatabase&) = delete;

    // The server's connection string, or "" when no test server is given.
    static QString TestServer();
    // Why no database could be made ("" when one was).
    QString Problem() const { return problem; }
    bool Available() const { return problem.isEmpty(); }
    QString Name() const { return name; }
    // The connection string of the fresh database.
    QString ConnectionString() const;

    // Runs one statement on the server's own database; "" or the error.
    static QString Administer(const QString& sql);

private:
    QString name;
    QString problem;
};

// Skips the running test, with the reason, when no server database is available.
#define REQUIRE_SERVER(database)                                                                             \
    do {                                                                                                     \
        if (!(database).Available())                                                                         \
            QSKIP(qPrintable((database).Problem()));                                                         \
    } while (false)
