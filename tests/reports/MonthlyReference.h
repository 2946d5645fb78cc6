#pragma once

// The monthly figures the way they were first computed: five aggregate queries per customer and
// three per account, one customer or account after the other. The test compares the grouped
// computation with it line by line, and the benchmark measures it.

#include "foundation/JetSql.h"
#include "foundation/Query.h"
#include "reports/MonthlyFigures.h"
#include "reports/ReportQueries.h"

#include <cmath>

namespace MonthlyReference {

inline double Total(Query& query, const QString& sql) {
    query.Open(sql);
    return query.RecordCount() == 0 ? 0 : query.FieldByName(QStringLiteral("TotalMoney")).AsFloat();
}

inline std::vector<Monthly::CustomerMonth> CustomerFigures(DbConnection& connection,
                                                           const std::vector<Monthly::Customer>& customers,
                                                           const QDate& workingDate) {
    const QString first = SqlDate(MonthFirstDay(workingDate));
    const QString month =
        QStringLiteral(" Between ") + first + QStringLiteral(" And ") + SqlDate(MonthLastDay(workingDate));
    Query query(&connection);
    std::vector<Monthly::CustomerMonth> figures;
    for (const Monthly::Customer& customer : customers) {
        const QString name = SqlText(customer.Name);
        Monthly::CustomerMonth f;
        f.Name = customer.Name;
        f.Purchases =
            (Total(query, QStringLiteral("Select ABS(SUM(BillSum)) As TotalMoney From Bill Where (BillKind = "
                                         "'采购开单') And (BillUser = ") +
                              name + QStringLiteral(") And (BillCreateTime") + month + QStringLiteral(")")));
        f.Sales =
            Total(query, QStringLiteral("Select SUM(BillSum) As TotalMoney From Bill Where (BillKind = "
                                        "'销售开单') And (BillUser = ") +
                             name + QStringLiteral(") And (BillCreateTime") + month + QStringLiteral(")"));
        f.Money =
            Total(query, QStringLiteral("Select SUM(MoneySum) As TotalMoney From MoneyTable Where "
                                        "(MoneyUser = ") +
                             name + QStringLiteral(") And (MoneyCreateTime") + month + QStringLiteral(")"));
        f.Opening =
            customer.Owe +
            Total(query, QStringLiteral("Select Sum(BillSum) As TotalMoney From Bill Where ((BillKind = "
                                        "'销售开单') Or (BillKind = '采购开单')) And (BillUser = ") +
                             name + QStringLiteral(") And (BillCreateTime < ") + first + QStringLiteral(")"));
        f.Opening -= Total(query, QStringLiteral("Select Sum(MoneySum) As TotalMoney From MoneyTable Where "
                                                 "(MoneyUser = ") +
                                      name + QStringLiteral(") And (MoneyCreateTime < ") + first +
                                      QStringLiteral(")"));
        f.Closing = f.Sales + f.Opening - f.Money - f.Purchases;
        figures.push_back(f);
    }
    return figures;
}

inline std::vector<Monthly::AccountMonth> AccountFigures(DbConnection& connection,
                                                         const std::vector<Monthly::Account>& accounts,
                                                         const QDate& workingDate) {
    const QString first = SqlDate(MonthFirstDay(workingDate));
    const QString month =
        QStringLiteral(" Between ") + first + QStringLiteral(" And ") + SqlDate(MonthLastDay(workingDate));
    Query query(&connection);
    std::vector<Monthly::AccountMonth> figures;
    for (const Monthly::Account& account : accounts) {
        const QString base =
            QStringLiteral("From Account,MoneyTable Where (AccountIndex > 1) And (AccountIndex "
                           "= MoneyAccount) And (AccountIndex = ") +
            SqlNumber(account.Index) + QStringLiteral(")");
        Monthly::AccountMonth f;
        f.Name = account.Name;
        f.Opening = account.Base + Total(query, QStringLiteral("Select Sum(MoneySum) As TotalMoney ") + base +
                                                    QStringLiteral(" And (MoneyCreateTime < ") + first +
                                                    QStringLiteral(")"));
        f.Income = Total(query, QStringLiteral("Select Sum(MoneySum) As TotalMoney ") + base +
                                    QStringLiteral(" And (MoneySum > 0) And (MoneyCreateTime") + month +
                                    QStringLiteral(")"));
        f.Expense = Total(query, QStringLiteral("Select ABS(Sum(MoneySum)) As TotalMoney ") + base +
                                     QStringLiteral(" And (MoneySum < 0) And (MoneyCreateTime") + month +
                                     QStringLiteral(")"));
        f.Change = f.Income - f.Expense;
        f.Closing = f.Opening + f.Change;
        figures.push_back(f);
    }
    return figures;
}

} // namespace MonthlyReference
