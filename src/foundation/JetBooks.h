#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <functional>
#include <memory>

// Books kept by the Jet engine (an Access .mdb file), read table by table. The file is only read;
// nothing else of the program sees how.
namespace Jet {

// The column types of a Jet table.
enum class ColumnType {
    Boolean,     // yes/no: bool, never NULL
    Byte,        // qint64
    Integer,     // qint64
    LongInteger, // qint64 (also the auto-number keys)
    Currency,    // double, the exact amount to four decimals
    Single,      // double
    Double,      // double
    DateTime,    // QDateTime (no time zone), see DateTimeOfDays
    Text,        // QString
    Memo,        // QString
    Numeric,     // double
    Binary,      // QByteArray
    Unsupported  // OLE objects, replication ids and the like: read as NULL
};

// The name of a type as the user knows it from Access ("货币", "日期/时间", ...).
QString TypeName(ColumnType type);

struct Column {
    QString Name;
    ColumnType Type = ColumnType::Text;
};

// The rows of one table, one after another.
class Rows {
public:
    virtual ~Rows() = default;
    // The next row, a value for each column in the order of Columns (an invalid QVariant for NULL);
    // false at the end or on a failure (then Error is set).
    virtual bool Next(QVariantList* row) = 0;
    virtual QString Error() const { return QString(); }
};

// An open set of books of the Jet engine, or anything that looks like one to the program.
class Books {
public:
    virtual ~Books() = default;
    // The user tables, in the file's order (system tables, queries and links are left out).
    virtual QStringList TableNames() const = 0;
    virtual QVector<Column> Columns(const QString& table) const = 0;
    // The number of rows the file records for a table (for progress only).
    virtual qint64 RowCount(const QString& table) const = 0;
    virtual std::unique_ptr<Rows> ReadRows(const QString& table) = 0;
};

// The Jet version of a file from its header: 3 (Jet 3, code-page text), 4 (Jet 4, Unicode text),
// 5 and above for the later Access formats; 0 when the file is not a Jet database at all.
int VersionOf(const QString& path);

// Whether the file is a database of the Jet engine (by its header bytes).
inline bool IsJetFile(const QString& path) {
    return VersionOf(path) > 0;
}

// Opens a Jet file for reading. The database password is not needed (the engine's books keep it
// only as a check of their own). nullptr and *error (for the user) when the file cannot be read:
// not a Jet file, encrypted, damaged.
std::unique_ptr<Books> Open(const QString& path, QString* error);

// Tests only: gives the books for a path in place of the file's (an empty function restores the
// file reader). Jet files cannot be written here, so books in the shape of this program's are
// held in memory and stand behind a real Jet file.
using Opener = std::function<std::unique_ptr<Books>(const QString& path, QString* error)>;
void SetOpenerForTests(Opener opener);

// A value of a DateTime column: days since 1899-12-30, the time of day as the fraction (for days
// before that date the fraction still counts forward from midnight), to the nearest second.
QDateTime DateTimeOfDays(double days);

} // namespace Jet
