#pragma once

#include "BookCopy.h"
#include "JetBooks.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <vector>

class DbConnection;

// Books kept in the Jet format are converted once into books of this program: every table of the
// schema found by name in the Jet file, its columns by name, the values converted to the types of
// the schema, the keys kept. The Jet file itself is only read.
namespace JetConvert {

// What a column of the schema holds.
enum class Target { Integer, Real, Text, Date, YesNo };
Target TargetOf(const QString& table, const QString& column);

// How one table of the schema is filled from the Jet file.
struct TablePlan {
    QString Table;         // as the schema names it
    QString Source;        // as the Jet file names it
    QStringList Columns;   // the schema's columns that are written, in the schema's spelling
    QVector<int> SourceAt; // for each of Columns: its column in the Jet table, or -1 for a key the
                           // Jet books never had (numbered 1, 2, ... in the order read)
    QVector<Jet::ColumnType> SourceTypes;
};

struct Plan {
    std::vector<TablePlan> Tables;
    QStringList Missing; // tables ("Bill") and columns ("Bill.BillSum") of the schema not found
    QStringList Unfit; // columns whose Jet type cannot hold the schema's values ("Bill.BillSum（OLE 对象）")
    QStringList Unknown; // tables and columns of the Jet file the program does not know: left out
};

// Matches the tables and columns of a Jet file with the schema; names compare without regard to
// letter case, as the Jet engine compares them.
Plan MakePlan(const Jet::Books& books);

// Why the Jet file cannot be converted (missing or unfit tables and columns, named), or "".
QString RefusalOf(const Plan& plan);
// The tables and columns left out, for the message shown before the conversion; "" when none.
QString LeftOutNote(const Plan& plan);

// A Jet value converted for a column of the schema: a DateTime to the program's date text (with the
// time of day when it has one), yes/no to 1 or 0, Currency and numbers to double, text as it is.
// NULL stays NULL. False and *problem when the value does not fit (a text in a number column).
bool ConvertValue(const QVariant& value, Jet::ColumnType from, Target to, QVariant* out, QString* problem);

// Called now and then with the rows written so far and the rows in all; false cancels.
using Progress = std::function<bool(qint64 done, qint64 total)>;

struct Outcome {
    bool Ok = false;
    bool Cancelled = false;
    QString Problem;                             // for the user, when not Ok
    std::vector<BookCopy::TableFigures> Figures; // of the new books, when Ok
};

// Writes the rows of the Jet books over every table of the open books to (a new file or an empty
// server database), in one transaction, and compares each table's row count and amount sums with
// the Jet file's before it is committed. Any problem, difference or cancel leaves to as it was.
Outcome Convert(Jet::Books& books, const Plan& plan, DbConnection& to, const Progress& progress = Progress());

// Converts the Jet file at jetPath into a new database file of this program at target (which must
// not exist yet): written beside it under a hidden name and given the name only when complete and
// checked, so that a conversion stopped at any point leaves no half-made books.
Outcome ConvertToFile(const QString& jetPath, const QString& target, const Progress& progress = Progress());
Outcome ConvertToFile(Jet::Books& books, const QString& target, const Progress& progress = Progress());

// Where a converted Jet file is kept beside the new books: "Kestrel-旧格式-2026-12-11-083000.mdb".
QString KeptJetName(const QString& databasePath, const QDateTime& when);

// Converts the Kestrel.mdb at databasePath, a Jet file, in place: the new books take its name in one
// rename, and the Jet file, untouched, keeps the name keptName. Until that rename the Jet file stays
// Kestrel.mdb; afterwards both exist.
Outcome ConvertInPlace(const QString& databasePath, const QString& keptName,
                       const Progress& progress = Progress());
// The same with the Jet books already open (databasePath is then only renamed, never read).
Outcome ConvertInPlace(Jet::Books& books, const QString& databasePath, const QString& keptName,
                       const Progress& progress = Progress());

// The comparison for the user: "客户 1,234 条，……，单据 45,678 条，金额合计 ……".
QString Summary(const std::vector<BookCopy::TableFigures>& figures);

// The question asked before a conversion.
QString ConversionQuestion(const QString& jetPath, const QString& keptAs, const QString& leftOut);

} // namespace JetConvert
