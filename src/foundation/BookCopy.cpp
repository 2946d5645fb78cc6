#include "BookCopy.h"

#include "Connection.h"
#include "KestrelError.h"
#include "Query.h"
#include "Schema.h"

#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>
#include <cmath>

namespace BookCopy {

namespace {

// The business tables whose rows beyond the reserved one make a database "not empty".
const char* const recordTables[] = {"Customer", "Bill", "MoneyTable", "Account"};

// Rows written by one statement: a statement per row would cost a round trip to a server for
// every row. Well below either engine's limit of bound values per statement.
constexpr int BatchRows = 200;

QString InsertSql(const QString& table, const QStringList& names, int rows) {
    const QString row = QLatin1Char('(') +
                        QStringList(names.size(), QStringLiteral("?")).join(QStringLiteral(", ")) +
                        QLatin1Char(')');
    return QStringLiteral("INSERT INTO %1 (%2) VALUES ").arg(table, names.join(QStringLiteral(", "))) +
           QStringList(rows, row).join(QStringLiteral(", "));
}

QString CopyTable(DbConnection& from, QSqlDatabase target, const QString& table) {
    const QString key = Schema::KeyColumn(table);
    Query rows(&from);
    rows.Open(QStringLiteral("Select * From %1 Order By %2").arg(table, key));
    const QStringList names = rows.FieldNames();
    QSqlQuery clear(target);
    // The history's rows are never deleted one by one (on a server its triggers refuse it); a
    // copy replaces the whole table.
    const bool history = table == QLatin1String("History") && target.driverName() != QLatin1String("QSQLITE");
    if (!clear.exec(QString::fromLatin1(history ? "TRUNCATE %1" : "DELETE FROM %1").arg(table)))
        return clear.lastError().text();
    const int count = rows.RecordCount();
    int next = 0;
    return WriteRows(target, table, names, [&](QVariantList* row) {
        if (next >= count)
            return false;
        row->clear();
        for (int c = 0; c < names.size(); ++c)
            row->append(rows.ValueAt(next, c));
        ++next;
        return true;
    });
}

} // namespace

QString WriteRows(QSqlDatabase target, const QString& table, const QStringList& names,
                  const std::function<bool(QVariantList*)>& next) {
    QSqlQuery write(target);
    int prepared = 0; // the rows of the prepared statement
    std::vector<QVariantList> batch;
    batch.reserve(BatchRows);
    QVariantList row;
    bool more = true;
    while (more) {
        batch.clear();
        while (static_cast<int>(batch.size()) < BatchRows && (more = next(&row))) {
            if (row.size() != names.size())
                return table + QStringLiteral(": 一行的值的个数与字段数不符");
            batch.push_back(row);
        }
        if (batch.empty())
            break;
        const int rows = static_cast<int>(batch.size());
        if (rows != prepared) {
            if (!write.prepare(InsertSql(table, names, rows)))
                return table + QStringLiteral(": ") + write.lastError().text();
            prepared = rows;
        }
        int value = 0;
        for (const QVariantList& values : batch) {
            for (const QVariant& v : values)
                write.bindValue(value++, v);
        }
        if (!write.exec())
            return table + QStringLiteral(": ") + write.lastError().text();
    }
    return QString();
}

std::vector<TableFigures> Figures(DbConnection& connection) {
    std::vector<TableFigures> figures;
    for (const QString& table : Schema::TableNames()) {
        TableFigures f;
        f.Table = table;
        f.AmountColumns = Schema::AmountColumns(table);
        QString sql = QStringLiteral("Select Count(*)");
        for (const QString& column : f.AmountColumns)
            sql += QStringLiteral(", Sum(%1)").arg(column);
        Query q(&connection);
        q.Open(sql + QStringLiteral(" From ") + table);
        f.Rows = q.Fields(0).AsInteger();
        for (int i = 0; i < f.AmountColumns.size(); ++i)
            f.Sums.push_back(q.Fields(i + 1).AsFloat());
        figures.push_back(f);
    }
    return figures;
}

QStringList Differences(const std::vector<TableFigures>& from, const std::vector<TableFigures>& to) {
    QStringList differences;
    for (size_t t = 0; t < from.size() && t < to.size(); ++t) {
        const TableFigures& a = from[t];
        const TableFigures& b = to[t];
        if (a.Rows != b.Rows)
            differences << QStringLiteral("%1：%2 行，复制后 %3 行").arg(a.Table).arg(a.Rows).arg(b.Rows);
        for (size_t i = 0; i < a.Sums.size() && i < b.Sums.size(); ++i) {
            // Sums of the same doubles in another order may differ in the last digits.
            if (std::abs(a.Sums[i] - b.Sums[i]) > 1e-6 * std::max(1.0, std::abs(a.Sums[i])))
                differences << QStringLiteral("%1.%2：合计 %3，复制后 %4")
                                   .arg(a.Table, a.AmountColumns[static_cast<int>(i)])
                                   .arg(a.Sums[i], 0, 'f', 4)
                                   .arg(b.Sums[i], 0, 'f', 4);
        }
    }
    if (from.size() != to.size())
        differences << QStringLiteral("数据表的数目不同");
    return differences;
}

namespace {

// The source is read in one transaction, so that its figures and its rows are one picture even
// while other workstations store records on a server.
void ReadAsOnePicture(DbConnection& from) {
    if (from.CurrentEngine() != Engine::PostgreSql)
        return; // a read transaction on the file already keeps writers out until it ends
    QSqlQuery query(from.Database());
    if (!query.exec(QStringLiteral("SET TRANSACTION ISOLATION LEVEL REPEATABLE READ, READ ONLY")))
        throw KestrelError(query.lastError().text());
}

// No other workstation reads or writes the target's tables until the copy is committed or undone.
void TakeEveryTable(DbConnection& to) {
    if (to.CurrentEngine() != Engine::PostgreSql)
        return; // the first write of the transaction takes the whole file
    QSqlQuery query(to.Database());
    if (!query.exec(QStringLiteral("LOCK TABLE %1 IN ACCESS EXCLUSIVE MODE")
                        .arg(Schema::TableNames().join(QStringLiteral(", ")))))
        throw KestrelError(query.lastError().text());
}

// Every table of from written over the one of to in one transaction on to, then the figures of
// both compared before it is committed: the target gets the whole copy or keeps what it held.
QString CopyOver(DbConnection& from, DbConnection& to, std::vector<TableFigures>* copied) {
    const QString unchanged = QStringLiteral("复制失败，目标数据库没有改动：");
    try {
        Transaction picture(from);
        ReadAsOnePicture(from);
        const std::vector<TableFigures> source = Figures(from);
        Transaction tx(to);
        TakeEveryTable(to);
        for (const QString& table : Schema::TableNames()) {
            const QString error = CopyTable(from, to.Database(), table);
            if (!error.isEmpty())
                return unchanged + error;
        }
        const QString error = Schema::AdvanceKeys(to.Database());
        if (!error.isEmpty())
            return unchanged + error;
        *copied = Figures(to);
        const QStringList differences = Differences(source, *copied);
        if (!differences.isEmpty())
            return QStringLiteral("复制后的数据与原数据不符，目标数据库没有改动：\n") +
                   differences.join(QLatin1Char('\n'));
        tx.Commit();
    } catch (const KestrelError& error) {
        return unchanged + error.Message();
    }
    return QString();
}

} // namespace

QString Copy(DbConnection& from, DbConnection& to, std::vector<TableFigures>* copied) {
    try {
        for (const char* table : recordTables) {
            Query q(&to);
            q.Open(QStringLiteral("Select Count(*) From %1 Where %2 > 1")
                       .arg(QLatin1String(table), Schema::KeyColumn(QLatin1String(table))));
            if (q.Fields(0).AsInteger() > 0)
                return QStringLiteral("目标数据库中已有业务记录（%1），没有复制任何数据。")
                    .arg(QLatin1String(table));
        }
    } catch (const KestrelError& error) {
        return QStringLiteral("复制失败：") + error.Message();
    }
    return CopyOver(from, to, copied);
}

QString Replace(DbConnection& from, DbConnection& to, std::vector<TableFigures>* copied) {
    return CopyOver(from, to, copied);
}

QStringList Describe(const std::vector<TableFigures>& figures) {
    QStringList lines;
    for (const TableFigures& f : figures) {
        QString line = QStringLiteral("%1：%2 行").arg(f.Table).arg(f.Rows);
        for (size_t i = 0; i < f.Sums.size(); ++i)
            line += QStringLiteral("，%1 合计 %2")
                        .arg(f.AmountColumns[static_cast<int>(i)])
                        .arg(f.Sums[i], 0, 'f', 2);
        lines << line;
    }
    return lines;
}

} // namespace BookCopy
