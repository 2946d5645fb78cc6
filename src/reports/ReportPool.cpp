#include "ReportPool.h"

#include "foundation/Connection.h"
#include "foundation/KestrelError.h"
#include "foundation/Query.h"
#include "foundation/RowLock.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace {

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

    Prepare(query, QStringLiteral("Update PrintReport Set ReportEnable = 0 Where ReportEnable <> 0"));
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

    Prepare(query,
            QStringLiteral("Update PrintReport Set ReportEnable = 1, ReportGrid1 = ?, ReportGrid2 = ?, "
                           "ReportGrid3 = ?, ReportGrid4 = ?, ReportGrid5 = ?, ReportGrid6 = ?, "
                           "ReportGrid7 = ?, ReportGrid8 = ?, ReportGrid9 = ? Where ReportIndex = ?"));
    for (size_t i = 0; i < lines.size(); ++i) {
        for (int cell = 0; cell < 9; ++cell) {
            // An empty cell is stored as empty text, not as null.
            const QString& text = lines[i][cell];
            query.bindValue(cell, text.isNull() ? QStringLiteral("") : text);
        }
        query.bindValue(9, keys[i]);
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
