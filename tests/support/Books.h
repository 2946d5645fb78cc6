#pragma once

#include <QString>
#include <QStringList>

class DbConnection;

// Books for tests that move them between databases.

// Opens the database file at path on connection, writing a new one first when there is none.
bool OpenBooksFile(DbConnection& connection, const QString& path);

// Every row of every table in key order, as text.
QStringList AllRows(DbConnection& connection);

// Books as a shop enters them: deleted records leave gaps in the keys, texts carry quotes and
// backslashes, a date carries a time of day, some fields are empty.
void EnterBooks(DbConnection& connection);
