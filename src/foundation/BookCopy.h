#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <functional>
#include <vector>

class DbConnection;

// Copies a whole set of books from one open database to another (the file to a server or back),
// keys included, and checks the copy.
namespace BookCopy {

// What one table holds: its rows and the sum of each amount column.
struct TableFigures {
    QString Table;
    qint64 Rows = 0;
    QStringList AmountColumns;
    std::vector<double> Sums;
};

// The figures of every table of an open database.
std::vector<TableFigures> Figures(DbConnection& connection);

// Whether the two sets of figures agree (sums to a millionth of their size); differences named.
QStringList Differences(const std::vector<TableFigures>& from, const std::vector<TableFigures>& to);

// The target must hold no business records yet (only the initial rows). Every row of every table
// is copied in one transaction on the target, the initial rows replaced, and the figures of both
// are compared before it is committed. Returns "" and the figures of the copy, or the problem (the
// target is then as it was).
QString Copy(DbConnection& from, DbConnection& to, std::vector<TableFigures>* copied);

// As Copy, but whatever the target holds is replaced (a restore of the books): all of it, or
// nothing when anything fails or the figures differ.
QString Replace(DbConnection& from, DbConnection& to, std::vector<TableFigures>* copied);

// Writes the rows that next gives (one value per name, false at the end) into table on target, in
// statements of many rows each. Returns "" or the engine's problem.
QString WriteRows(QSqlDatabase target, const QString& table, const QStringList& names,
                  const std::function<bool(QVariantList*)>& next);

// A line per table for the user: rows and sums.
QStringList Describe(const std::vector<TableFigures>& figures);

} // namespace BookCopy
