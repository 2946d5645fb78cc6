#pragma once

#include <QSqlDatabase>

// The two database engines: the SQLite file beside the program (the default, for one computer)
// and a PostgreSQL server shared by several workstations.
enum class Engine { SQLite, PostgreSql };

inline Engine EngineOf(const QSqlDatabase& db) {
    return db.driverName() == QLatin1String("QPSQL") ? Engine::PostgreSql : Engine::SQLite;
}
