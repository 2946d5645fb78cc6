#include "Books.h"

#include "foundation/Connection.h"
#include "foundation/JetSql.h"
#include "foundation/PublicFunction.h"
#include "foundation/Query.h"
#include "foundation/Schema.h"

#include <QDate>
#include <QFile>

bool OpenBooksFile(DbConnection& connection, const QString& path) {
    if (!QFile::exists(path) && !Schema::CreateDatabase(path).isEmpty())
        return false;
    connection.ConnectionString = BuildConnectionString(path, QString());
    return connection.Open();
}

QStringList AllRows(DbConnection& connection) {
    QStringList rows;
    for (const QString& table : Schema::TableNames()) {
        Query q(&connection);
        q.Open(QStringLiteral("Select * From %1 Order By %2").arg(table, Schema::KeyColumn(table)));
        for (q.First(); !q.Eof(); q.Next()) {
            QString row = table;
            for (int i = 0; i < q.FieldCount(); ++i)
                row += QLatin1Char('|') +
                       (q.Fields(i).IsNull() ? QStringLiteral("null") : q.Fields(i).AsString());
            rows << row;
        }
    }
    return rows;
}

void EnterBooks(DbConnection& connection) {
    Query q(&connection);
    for (int i = 0; i < 30; ++i) {
        q.ExecSql(QStringLiteral(
                      "Insert Into Customer (CustomerName, CustomerOwe, CustomerMan) Values (%1, %2, '张三')")
                      .arg(SqlText(QStringLiteral("客户'%1\\").arg(i)), SqlNumber(i * 10.5)));
        q.ExecSql(QStringLiteral(
                      "Insert Into Bill (BillKind, BillSerial, BillCreateTime, BillUser, BillSum) Values "
                      "('销售开单', %1, %2, %3, %4)")
                      .arg(SqlText(QStringLiteral("XS%1").arg(100 + i)), SqlDate(QDate(2024, 3, 30 - i / 2)),
                           SqlText(QStringLiteral("客户'%1\\").arg(i)), SqlNumber(0.1 * i)));
    }
    q.ExecSql(QStringLiteral(
        "Insert Into Account (AccountName, AccountBase, AccountMan) Values ('现金', 1000.5, '财务主管')"));
    q.ExecSql(QStringLiteral(
        "Insert Into MoneyTable (MoneyAccount, MoneyBill, MoneyCreateTime, MoneyUser, MoneyIn, "
        "MoneyOut, MoneySum) Values (2, 3, #2024-03-01 09:15:00#, '客户''1\\', 0, 33.3, -33.3)"));
    q.ExecSql(QStringLiteral("Delete From Customer Where CustomerIndex In (5, 6, 7)"));
    q.ExecSql(QStringLiteral("Delete From Bill Where BillIndex = 31"));
    q.ExecSql(
        QStringLiteral("Insert Into PrintReport (ReportEnable, ReportGrid1) Values (1, '一'), (0, null)"));
    q.ExecSql(QStringLiteral("Update Setting Set SettingValue = 'XS129' Where SettingIndex = 1"));
}
