#include "ReportPool.h"

#include "foundation/Connection.h"
#include "foundation/KestrelError.h"
#include "foundation/Query.h"
#include "foundation/RowLock.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <algorithm>

namespace {

// Rows of the pool written by one statement (ten values each, well within either engine's limit).
constexpr size_t PoolRowsPerStatement = 200;

void Run(QSqlQuery& statement) {
    if (!statement.exec())
        throw KestrelError(QStringLiteral("报表数据写入失败：") + statement.lastError().text());
}

void Prepare(QSqlQuery& statement, const QString& sql) {
    if (!statement.prepare(sql))
        throw KestrelError(QStringLiteral("报表数据写入失败：") + statement.lastError().text());
}

void WriteTitle(QSqlDatabase db, int listIndex, const QString& value) {
    QSqlQuery title(db);
    Prepare(title, QStringLiteral("Update PrintList Set ListValue = ? Where ListIndex = ?"));
    title.addBindValue(value);
    title.addBindValue(listIndex);
    Run(title);
}

// The lines of `rows` PrintReport rows in one statement: each row's key and its nine cells as values
// joined to the table by key (both engines name a VALUES list's columns column1, column2, ...).
QString PoolLinesUpdateSql(size_t rows) {
    QString sql = QStringLiteral(
        "Update PrintReport Set ReportEnable = 1, ReportGrid1 = V.column2, ReportGrid2 = V.column3, "
        "ReportGrid3 = V.column4, ReportGrid4 = V.column5, ReportGrid5 = V.column6, ReportGrid6 = V.column7, "
        "ReportGrid7 = V.column8, ReportGrid8 = V.column9, ReportGrid9 = V.column10 From (Values ");
    for (size_t i = 0; i < rows; ++i) {
        if (i > 0)
            sql += QStringLiteral(", ");
        sql += QStringLiteral("(Cast(? As Integer), ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    }
    return sql + QStringLiteral(") As V Where ReportIndex = V.column1");
}

// The pool written inside the caller's transaction, which holds the pool's lock.
void WritePool(DbConnection& connection, const std::vector<Monthly::ReportLine>& lines,
               const QString& monthTitle, const QString& subtitle) {
    QSqlDatabase db = connection.Database();
    QSqlQuery query(db);

    // One spare row beyond the lines, as the pool has always been sized.
    const qint64 wanted = static_cast<qint64>(lines.size()) + 1;
    Prepare(query, QStringLiteral("Select Count(*) From PrintReport"));
    Run(query);
    qint64 rows = query.next() ? query.value(0).toLongLong() : 0;
    Prepare(query, QStringLiteral("Insert Into PrintReport (ReportEnable) Values (0)"));
    for (; rows < wanted; ++rows)
        Run(query);

    std::vector<qint64> keys;
    keys.reserve(lines.size());
    Prepare(query, QStringLiteral("Select ReportIndex From PrintReport Order By ReportIndex Limit ?"));
    query.addBindValue(static_cast<qint64>(lines.size()));
    Run(query);
    while (query.next())
        keys.push_back(query.value(0).toLongLong());
    if (keys.size() != lines.size())
        throw KestrelError(QStringLiteral("报表数据写入失败：报表行数不足"));

    // The lines take the first rows in key order; every later row is disabled.
    Prepare(query,
            QStringLiteral(
                "Update PrintReport Set ReportEnable = 0 Where ReportEnable <> 0 And ReportIndex > ?"));
    query.addBindValue(keys.empty() ? qint64(0) : keys.back());
    Run(query);

    // Many rows per statement: each statement costs a trip to the server and a pass through the
    // driver, its rows little.
    for (size_t first = 0; first < lines.size(); first += PoolRowsPerStatement) {
        const size_t count = std::min(PoolRowsPerStatement, lines.size() - first);
        if (first == 0 || count != PoolRowsPerStatement)
            Prepare(query, PoolLinesUpdateSql(count));
        int parameter = 0;
        for (size_t i = first; i < first + count; ++i) {
            query.bindValue(parameter++, keys[i]);
            for (int cell = 0; cell < 9; ++cell) {
                // An empty cell is stored as empty text, not as null.
                const QString& text = lines[i][cell];
                query.bindValue(parameter++, text.isNull() ? QStringLiteral("") : text);
            }
        }
        Run(query);
    }

    WriteTitle(db, 1, monthTitle);
    if (!subtitle.isEmpty())
        WriteTitle(db, 2, subtitle);
}

// Every workstation writes and reads the pool (PrintReport with the PrintList titles) only while it
// holds this lock, from writing its lines until they are read for printing.
void LockPool(DbConnection& connection) {
    LockTable(connection, QStringLiteral("PrintReport"));
}

} // namespace

std::map<QString, QString> FillReportPool(DbConnection& connection,
                                          const std::vector<Monthly::ReportLine>& lines,
                                          const QString& monthTitle, const QString& subtitle,
                                          Query& enabledLines) {
    Transaction tx(connection);
    LockPool(connection);
    WritePool(connection, lines, monthTitle, subtitle);
    enabledLines.SetConnection(&connection);
    enabledLines.Open(EnabledReportLinesSql);
    std::map<QString, QString> titles = ReadReportTitles(connection);
    tx.Commit();
    return titles;
}

std::map<QString, QString> ReadReportTitles(DbConnection& connection) {
    QSqlQuery query(connection.Database());
    Prepare(query, QStringLiteral("Select ListIndex, ListValue From PrintList Where ListIndex In (1, 2)"));
    Run(query);
    std::map<QString, QString> titles;
    while (query.next())
        titles[query.value(0).toInt() == 1 ? MonthTitleVariable : ReportTitleVariable] =
            query.value(1).toString();
    return titles;
}

void FillBigFont(DbConnection& connection, const QString& capitals, Query& bigFont) {
    Transaction tx(connection);
    LockTable(connection, QStringLiteral("PrintBigFont"));
    bigFont.SetConnection(&connection);
    bigFont.Open(QStringLiteral("Select * From PrintBigFont"));
    if (bigFont.RecordCount() > 0) {
        bigFont.First();
        bigFont.Edit();
        bigFont.FieldByName(QStringLiteral("BigFontValue")).SetAsString(capitals);
        bigFont.Post();
    }
    tx.Commit();
}
