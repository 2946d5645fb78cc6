#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

class ResultRows;
struct pg_conn;

// What the data layer does on a PostgreSQL server through libpq itself.
namespace PgBackend {

// A libpq connection string (key=value pairs or a postgresql:// address) in the key=value form
// the Qt driver passes on. An empty result and *problem set when libpq cannot read it.
// The session settings the program's statements rely on are added to the server options, so that
// they hold from the first statement whatever the server, database or login has as defaults (the
// Qt driver decides at connect how to write bound texts from standard_conforming_strings).
QString ConnectOptions(const QString& connectionString, QString* problem);

// Those settings as server options ("-c name=value ..."): texts between single quotes with
// backslashes as they stand, UTF-8 both ways, ISO dates, the tables where the program made them,
// and no compiling of statements to machine code.
QString SessionOptions();

// Runs a SELECT already in PostgreSQL's dialect and keeps its rows in rows: integers and yes/no
// values as integers, floating-point and numeric values as doubles, everything else as text.
// Returns the column names as jetSql spells them. Raises KestrelError when the statement fails.
// While the server works, beat (when set) is called about every 25 ms and whenever data arrives.
QStringList Load(pg_conn* connection, const QString& engineSql, const QString& jetSql, ResultRows& rows,
                 const std::function<void()>& beat = {});

// Several workstations share a server: a row is written or deleted only while it still holds
// what was read. The condition to add to "WHERE key = ?" (one "?" per column of columns, to be
// bound to the values read), for the columns of names that belong to table.
QString UnchangedCondition(const QString& table, const QStringList& names, std::vector<int>* columns);

// The message when the row was changed or deleted by another workstation since it was read.
QString StaleRecordMessage();

} // namespace PgBackend
