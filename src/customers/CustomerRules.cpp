#include "CustomerRules.h"

#include "foundation/Connection.h"
#include "foundation/JetSql.h"
#include "foundation/PublicFunction.h"
#include "foundation/Query.h"

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

bool UpdateCustomer(DbConnection& connection, qint64 index, const QString& oldName,
                    const CustomerFields& fields) {
    Transaction tx(connection);
    Query query(&connection);
    query.Open(CustomerByIndexSql(index));
    if (query.RecordCount() == 0)
        return false;
    if (fields.Name != oldName) {
        query.ExecSql(QStringLiteral("Update Bill Set BillUser = ") + SqlText(fields.Name) +
                      QStringLiteral(" Where BillUser = ") + SqlText(oldName));
        query.ExecSql(QStringLiteral("Update MoneyTable Set MoneyUser = ") + SqlText(fields.Name) +
                      QStringLiteral(" Where MoneyUser = ") + SqlText(oldName));
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
