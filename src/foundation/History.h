#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <functional>
#include <vector>

class DbConnection;

// The change history: every store, change and deletion of a record writes a row into table
// History in the same transaction (who, where, when, what, and the whole row before and after).
// The program only ever adds rows to it.
namespace History {

inline const QString Table = QStringLiteral("History");

enum class Kind { Added, Changed, Deleted, Renamed };

// 新增, 修改, 删除, 改名.
QString KindText(Kind kind);
// The kind of a text of KindText; false when it is none.
bool KindOf(const QString& text, Kind* kind);

// Whether history rows are written at all: always, but a benchmark measures a store without them.
void SetWriting(bool on);

// Whether changes of a table are kept in the history (the records a user edits; not the serial
// counters or the print settings).
bool Kept(const QString& table);

// The column whose change makes a change a rename (CustomerName, AccountName, PowerName,
// ParameterValue); "" for other tables.
QString NameColumn(const QString& table);

// The signed-in user written into history rows, asked at every write.
void SetUserSource(std::function<QString()> source);
QString CurrentUserName();

// A row as text the program reads back: a JSON object of column -> value ("" for no row).
QString RowText(const QVariantMap& row);
QVariantMap ReadRowText(const QString& text);

// The password column of a staff slot is never written as it is: an image shows only whether a
// password is set, and the after-image whether it was changed.
inline const QString PasswordSet = QStringLiteral("******");
inline const QString PasswordChanged = QStringLiteral("******（已修改）");
void MaskPasswords(const QString& table, QVariantMap* before, QVariantMap* after);

// Whether the connection is inside a transaction (the engine's own word).
bool InTransaction(DbConnection& connection);

// Writes one history row in the caller's transaction (which must be open): the time, the
// signed-in user, this computer's name, the table, key and kind, and the whole row before and after
// (empty maps for none). Passwords are masked.
void Write(DbConnection& connection, const QString& table, qint64 key, Kind kind, QVariantMap before,
           QVariantMap after);

// A change of column from one value to another carried into every row of table that holds it (a
// rename or a salesman's hand-over), each row's history written as kind. Returns the rows changed.
int MoveRows(DbConnection& connection, const QString& table, const QString& column, const QVariant& from,
             const QVariant& to, Kind kind);
// Deletes the rows of table matching where (a Jet condition built with the quoting helpers),
// writing each row's history first. Returns the rows deleted.
int DeleteRows(DbConnection& connection, const QString& table, const QString& where);

// One row of the history as read back.
struct Entry {
    qint64 Index = 0;
    QString Time; // yyyy-MM-dd HH:mm:ss
    QString User;
    QString Host;
    QString Table;
    qint64 Key = 0;
    QString Kind;
    QVariantMap Before;
    QVariantMap After;
    qint64 Action = 0;
    qint64 Undoes = 0;
};

// What the history window asks for. Empty fields do not filter.
struct Filter {
    QDate From;
    QDate To;
    QString User;
    QString Table;
    QString Kind;
    QString Text;   // found in the values before or after (letter case ignored)
    qint64 Key = 0; // with Table: one record's history
};

// The statement (Jet dialect) of the history rows, newest first, with an index below before (0:
// from the newest); the caller limits it to a page. It walks the table's key backwards, so the
// newest page of a million rows is read at once. extraColumns: more columns read before the
// entry's own (a window's computed texts).
QString PageSql(const Filter& filter, qint64 before, const QString& extraColumns = QString());
std::vector<Entry> ReadPage(DbConnection& connection, const Filter& filter, qint64 before, int rows);
// One history row; Index 0 when there is none.
Entry ReadEntry(DbConnection& connection, qint64 index);

// The columns of a table in their declared order, then any other column the images hold.
QStringList ColumnsInOrder(const QString& table, const QVariantMap& before, const QVariantMap& after);
// The columns whose values differ between before and after.
QStringList ChangedColumns(const QVariantMap& before, const QVariantMap& after);

} // namespace History
