#pragma once

#include "KestrelError.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <vector>

class DbConnection;
class Query;

// What an editor loaded of a stored row, so that a store or deletion made later can tell whether
// another workstation changed or deleted the row in between. Every column of the row is kept.
struct RowImage {
    QString Table;
    qint64 Key = 0;
    QStringList Names; // the table's columns; empty when no row had the key
    QVariantList Values;

    // Whether an image was taken at all: an editor of a new record has none and checks nothing.
    bool Taken() const { return !Table.isEmpty(); }
    // Whether the row existed when the image was taken.
    bool Exists() const { return !Names.isEmpty(); }
    // The value of a column (any case); an invalid QVariant when there is none.
    QVariant Value(const QString& column) const;
};

// The rows of a table that belong to one owner (the vouchers of a document), as loaded.
struct RowsImage {
    QString Table;
    QString OwnerColumn;
    qint64 Owner = 0;
    std::vector<RowImage> Rows; // in key order

    bool Taken() const { return !Table.isEmpty(); }
    // The loaded row with that key, nullptr when the set had none.
    const RowImage* Find(qint64 key) const;
};

// Raised when the stored row no longer holds what the editor loaded: nothing was written.
class StaleRecordError : public KestrelError {
public:
    StaleRecordError();
};

// The message of StaleRecordError: "该记录已被其他用户修改，请刷新后重试".
QString StaleRecordText();

// The image of the current row of an open query; columns of other tables of a join are left out.
RowImage ImageOfRow(Query& query, const QString& table);
// Reads the row of table with that key now (an image without columns when there is none).
RowImage TakeRowImage(DbConnection& connection, const QString& table, qint64 key);
// Reads the rows of table whose ownerColumn holds owner now.
RowsImage TakeRowsImage(DbConnection& connection, const QString& table, const QString& ownerColumn,
                        qint64 owner);

// Whether two values of a column are the same: null only equals null, texts are compared byte for
// byte (a change of letter case is a change), numbers by value.
bool SameValue(const QVariant& a, const QVariant& b);
// Whether the row as it is now still holds what was loaded: both exist with the same key and
// every loaded column has the same value, or neither exists.
bool SameRow(const RowImage& loaded, const RowImage& now);
// Whether the set as it is now holds the same rows (none added, none removed, none changed).
bool SameRows(const RowsImage& loaded, const RowsImage& now);

// Inside an open transaction (Transaction), before anything is written: takes the row's lock
// (LockRow; on a database file the file's write lock) and raises StaleRecordError when the stored
// row no longer holds what was loaded (changed, or deleted). An image not taken checks nothing.
void RequireUnchanged(DbConnection& connection, const RowImage& loaded);
// The same for a set of rows: each loaded row is locked, then the set is read again.
void RequireUnchanged(DbConnection& connection, const RowsImage& loaded);

// Deletes the loaded row in one transaction, refused (StaleRecordError) when it or the set that
// belongs to it changed since it was loaded. Throws KestrelError when the deletion fails.
void DeleteLoadedRow(DbConnection& connection, const RowImage& loaded, const RowsImage& belonging = {});
