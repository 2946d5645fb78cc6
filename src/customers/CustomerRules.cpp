#include "CustomerRules.h"

#include "foundation/Connection.h"
#include "foundation/History.h"
#include "foundation/JetSql.h"
#include "foundation/PublicFunction.h"
#include "foundation/Query.h"
#include "foundation/RowImage.h"
#include "reports/ReportQueries.h"

#include <QFile>
#include <limits>

QString CustomerByIndexSql(qint64 index) {
    return QStringLiteral("Select * From Customer Where CustomerIndex = ") + SqlNumber(index);
}

QString CustomerByNameSql(const QString& name) {
    return QStringLiteral("Select * From Customer Where CustomerName = ") + SqlText(name);
}

bool IsCustomerBalanceText(const QString& text) {
    return text.isEmpty() || IsAmountText(text, std::numeric_limits<int>::max(), true);
}

double CustomerBalanceOf(const QString& text) {
    if (text.isEmpty())
        return 0;
    return text.toDouble();
}

namespace {

void WriteFields(Query& query, const CustomerFields& fields) {
    query.FieldByName(QStringLiteral("CustomerName")).SetAsString(fields.Name);
    query.FieldByName(QStringLiteral("CustomerOwe")).SetAsFloat(fields.Owe);
    query.FieldByName(QStringLiteral("CustomerPhone")).SetAsString(fields.Phone);
    query.FieldByName(QStringLiteral("CustomerFax")).SetAsString(fields.Fax);
    query.FieldByName(QStringLiteral("CustomerContact")).SetAsString(fields.Contact);
    query.FieldByName(QStringLiteral("CustomerHandPhone")).SetAsString(fields.HandPhone);
    query.FieldByName(QStringLiteral("CustomerEMail")).SetAsString(fields.EMail);
    query.FieldByName(QStringLiteral("CustomerWebsite")).SetAsString(fields.Website);
    query.FieldByName(QStringLiteral("CustomerAddress")).SetAsString(fields.Address);
    query.FieldByName(QStringLiteral("CustomerRemark")).SetAsString(fields.Remark);
}

} // namespace

qint64 InsertCustomer(DbConnection& connection, const CustomerFields& fields, const QString& man) {
    Query query(&connection);
    query.Open(CustomerByIndexSql(0));
    query.Insert();
    query.FieldByName(QStringLiteral("CustomerMan")).SetAsString(man);
    WriteFields(query, fields);
    query.Post();
    return query.FieldByName(QStringLiteral("CustomerIndex")).AsInteger();
}

bool UpdateCustomer(DbConnection& connection, const RowImage& loaded, const CustomerFields& fields) {
    if (!loaded.Exists())
        return false;
    const qint64 index = loaded.Key;
    const QString oldName = loaded.Value(QStringLiteral("CustomerName")).toString();
    Transaction tx(connection);
    RequireUnchanged(connection, loaded);
    Query query(&connection);
    query.Open(CustomerByIndexSql(index));
    if (query.RecordCount() == 0)
        return false;
    if (fields.Name != oldName) {
        History::MoveRows(connection, QStringLiteral("Bill"), QStringLiteral("BillUser"), oldName,
                          fields.Name, History::Kind::Renamed);
        History::MoveRows(connection, QStringLiteral("MoneyTable"), QStringLiteral("MoneyUser"), oldName,
                          fields.Name, History::Kind::Renamed);
        query.Open(CustomerByIndexSql(index));
    }
    query.Edit();
    WriteFields(query, fields);
    query.Post();
    tx.Commit();
    return true;
}

const QStringList& SearchColumns() {
    static const QStringList columns = {
        QStringLiteral("CustomerName"),      QStringLiteral("CustomerContact"),
        QStringLiteral("CustomerHandPhone"), QStringLiteral("CustomerPhone"),
        QStringLiteral("CustomerFax"),       QStringLiteral("CustomerEMail"),
        QStringLiteral("CustomerWebsite"),   QStringLiteral("CustomerAddress"),
        QStringLiteral("CustomerRemark"),
    };
    return columns;
}

QString BuildSearchClause(const QStringList& texts, bool withPeriod, const QDate& from, const QDate& to) {
    QString clause;
    const QStringList& columns = SearchColumns();
    for (int i = 0; i < columns.size() && i < texts.size(); ++i) {
        if (!texts[i].isEmpty())
            clause += QStringLiteral(" And (InStr(") + columns[i] + QLatin1Char(',') + SqlText(texts[i]) +
                      QStringLiteral("))");
    }
    if (withPeriod)
        clause += QStringLiteral(" And (BillCreateTime Between ") + SqlDate(from) + QStringLiteral(" And ") +
                  SqlDate(to) + QLatin1Char(')');
    return clause;
}

// ---- Customer card

QString CardSalesSql(const QString& name, const QDate& workingDate) {
    return QStringLiteral(
               "Select ROUND(Sum(BillSum),2) As TotalMoney From Bill Where (BillKind = '销售开单') "
               "And (BillUser = ") +
           SqlText(name) + QStringLiteral(") And (BillCreateTime <= ") + SqlDate(workingDate) +
           QLatin1Char(')');
}

QString CardPurchasesSql(const QString& name, const QDate& workingDate) {
    return QStringLiteral("Select ROUND(ABS(Sum(BillSum)),2) As TotalMoney From Bill Where (BillKind = "
                          "'采购开单') And (BillUser = ") +
           SqlText(name) + QStringLiteral(") And (BillCreateTime <= ") + SqlDate(workingDate) +
           QLatin1Char(')');
}

QString CardMoneySql(const QString& name, const QDate& workingDate) {
    return QStringLiteral("Select Sum(MoneySum) As TotalMoney From MoneyTable Where (MoneyUser = ") +
           SqlText(name) + QStringLiteral(") And (MoneyCreateTime <= ") + SqlDate(workingDate) +
           QLatin1Char(')');
}

double CardOwe(double firstOwe, double sales, double purchases, double money) {
    return RoundAmount(firstOwe) + RoundAmount(sales) - RoundAmount(purchases) - RoundAmount(money);
}

QString CardMonthBillsSql(const QString& name, const QString& kind, const QDate& workingDate) {
    return BillReportSelect() + QStringLiteral("(BillUser = ") + SqlText(name) +
           QStringLiteral(") And (BillKind = ") + SqlText(kind) +
           QStringLiteral(") And (BillCreateTime Between ") + SqlDate(MonthFirstDay(workingDate)) +
           QStringLiteral(" And ") + SqlDate(MonthLastDay(workingDate)) + QLatin1Char(')');
}

QString CardMonthVouchersSql(const QString& name, bool receipts, const QDate& workingDate) {
    return MoneyReportSelect() + QStringLiteral(" And (MoneyUser = ") + SqlText(name) +
           (receipts ? QStringLiteral(") And (MoneySum >= 0)") : QStringLiteral(") And (MoneySum < 0)")) +
           QStringLiteral(" And (MoneyCreateTime Between ") + SqlDate(MonthFirstDay(workingDate)) +
           QStringLiteral(" And ") + SqlDate(MonthLastDay(workingDate)) + QLatin1Char(')');
}

bool IsFolderName(const QString& name) {
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    for (const QChar c : name) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c.category() == QChar::Other_Control)
            return false;
    }
    return QFile::encodeName(name).size() <= 255;
}

QString CustomerFolderRoot(const QString& programFolder) {
    return programFolder + QStringLiteral("客户目录");
}

QString CustomerFolder(const QString& programFolder, const QString& name) {
    return CustomerFolderRoot(programFolder) + QLatin1Char('/') + name;
}
