#pragma once

#include <QString>

class DbConnection;

// Locks taken inside an open transaction (Transaction) and held until it ends, so that another
// workstation taking the same lock waits for this transaction. On a server they are the server's
// row and table locks. A database file has one writer at a time: there the lock is the file's
// write lock, taken before the transaction reads anything, so that two connections never both
// read and then wait for each other to write.

// The row of table with that key; a second LockRow of it waits (SELECT ... FOR UPDATE).
void LockRow(DbConnection& connection, const QString& table, qint64 key);

// The whole table against another LockTable and against changes; plain reads go on.
void LockTable(DbConnection& connection, const QString& table);
