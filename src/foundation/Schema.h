#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

// The tables of the database file, their indexes and initial rows, in one place.
namespace Schema {

// The schema version stored in the database (PRAGMA user_version of the file; the table
// SchemaVersion on a server). A later release raises it and adds an upgrade step from the version
// before.
constexpr int Version = 4;

QStringList TableNames();
// The integer key column of a table ("" for an unknown table); names match without regard to case.
QString KeyColumn(const QString& table);
// The columns of a table in their declared order (none for an unknown table); any case matches.
QStringList Columns(const QString& table);
// The spelling of a column of any table as declared ("" when no table has it); any case matches.
QString ColumnName(const QString& anyCase);

// The type a column is declared with ("INTEGER", "REAL", "TEXT", "BOOLEAN"; "" for an unknown
// column). Names match without regard to case.
QString DeclaredType(const QString& table, const QString& column);

// Whether a table has a column of that name (any case).
bool HasColumn(const QString& table, const QString& column);

// The amount (double) columns of a table, in their order.
QStringList AmountColumns(const QString& table);
// The text columns of a table (names, serials, dates, remarks), in their order.
QStringList TextColumns(const QString& table);

// After rows were written with their keys (a copy of the books): the server's key sequences are
// moved past the highest key of each table, so that new rows get new keys. Returns an error text
// or "". Nothing to do on SQLite, which keeps track itself. tables: only these (default: all).
QString AdvanceKeys(QSqlDatabase db, const QStringList& tables = QStringList());

// Writes a new database file with the tables, indexes and initial rows. Returns an error text, or
// "" on success. An existing file is not overwritten.
QString CreateDatabase(const QString& path);

// Creates the tables, indexes and initial rows on an open, empty database, for the engine of its
// driver (SQLite or PostgreSQL): the same tables, keys, indexes, rows and version on both.
QString CreateSchema(QSqlDatabase db);

// Brings an open database of an older version up to Version, in one transaction that keeps every
// row. Returns an error text (the file is then as it was), or "" when it is up to date.
QString UpgradeDatabase(QSqlDatabase db);

// The tables whose pages are checked at every opening: all but the documents and vouchers, which
// grow with the books.
QStringList TablesCheckedAtEveryOpening();

enum class PageCheck {
    EveryPage,                 // every page of the file
    AllButDocumentsAndVouchers // the pages of TablesCheckedAtEveryOpening and their indexes
};

// Checks that an open database is one of this program's and that the pages asked for read well,
// then upgrades an older version in place. Returns an error text for the user, or "" when the file
// can be used. A server database without any table is given the tables and initial rows first;
// the server checks its own pages.
QString CheckDatabase(QSqlDatabase db, PageCheck pages);

} // namespace Schema
