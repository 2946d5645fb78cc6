#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

// The tables of the database file, their indexes and initial rows, in one place.
namespace Schema {

// The schema version stored in the file (PRAGMA user_version). A later release raises it and
// adds an upgrade step from each older version.
constexpr int Version = 1;

QStringList TableNames();
// The integer key column of a table ("" for an unknown table); names match without regard to case.
QString KeyColumn(const QString& table);

// Writes a new database file with the tables, indexes and initial rows. Returns an error text, or
// "" on success. An existing file is not overwritten.
QString CreateDatabase(const QString& path);

// Creates the tables, indexes and initial rows on an open, empty database.
QString CreateSchema(QSqlDatabase db);

// Checks that an open database is one of this program's, upgrading an older version in place.
// Returns an error text for the user, or "" when the file can be used.
QString CheckDatabase(QSqlDatabase db);

} // namespace Schema
