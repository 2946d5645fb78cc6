#pragma once

// The single statements that give the figures of the monthly reports, each engine's candidates for
// the bound the report is measured against: every listed customer (account) with its five figures,
// in list order.

#include "BenchSqlite.h"
#include "foundation/JetSql.h"
#include "foundation/PgDialect.h"
#include "foundation/PublicFunction.h"
#include "reports/ReportQueries.h"

#include <QDate>
#include <vector>

namespace BenchMonthly {

// The last month of the generator's data.
inline const QDate WorkingDate(2024, 6, 28);

// Grouped: both tables grouped once and joined to the list. `plus` is put before the grouping
// column: "" lets SQLite group along the name index, "+" makes it read the table in storage order
// and group in memory.
inline QString CustomerGrouped(const QDate& date, const QString& plus) {
    const QString f = SqlDate(MonthFirstDay(date));
    const QString l = SqlDate(MonthLastDay(date));
    return QStringLiteral(
               "Select CustomerName, Abs(Coalesce(B.Purchases, 0)) As P, Coalesce(B.Sales, 0) As S, "
               "Coalesce(M.InMonth, 0) As M, "
               "CustomerOwe + Coalesce(B.BeforeMonth, 0) - Coalesce(M.BeforeMonth, 0) As O, "
               "Coalesce(B.Sales, 0) + CustomerOwe + Coalesce(B.BeforeMonth, 0) - Coalesce(M.BeforeMonth, 0) "
               "- Coalesce(M.InMonth, 0) - Abs(Coalesce(B.Purchases, 0)) As C "
               "From Customer Left Join (Select BillUser, Sum(IIF(BillCreateTime < %1, BillSum, 0)) As "
               "BeforeMonth, Sum(IIF(BillCreateTime >= %1 And BillKind = '采购开单', BillSum, 0)) As "
               "Purchases, Sum(IIF(BillCreateTime >= %1 And BillKind = '销售开单', BillSum, 0)) As Sales "
               "From Bill Where (BillIndex > 1) And (BillKind = '销售开单' Or BillKind = '采购开单') And "
               "(BillCreateTime <= %2) Group By %3BillUser) B On B.BillUser = CustomerName "
               "Left Join (Select MoneyUser, Sum(IIF(MoneyCreateTime < %1, MoneySum, 0)) As BeforeMonth, "
               "Sum(IIF(MoneyCreateTime >= %1, MoneySum, 0)) As InMonth From MoneyTable Where "
               "(MoneyIndex > 1) And (MoneyCreateTime <= %2) Group By %3MoneyUser) M "
               "On M.MoneyUser = CustomerName Where (CustomerIndex > 1) Order By CustomerIndex")
        .arg(f, l, plus);
}

// Correlated: each customer's totals looked up through the indexes, in one statement.
inline QString CustomerCorrelated(const QDate& date) {
    const QString f = SqlDate(MonthFirstDay(date));
    const QString l = SqlDate(MonthLastDay(date));
    return QStringLiteral(
               "Select CustomerName, P, S, M, O, S + O - M - P As C From (Select CustomerName, "
               "CustomerIndex, "
               "Abs(Coalesce((Select Sum(BillSum) From Bill Where BillUser = CustomerName And "
               "BillKind = '采购开单' And BillCreateTime Between %1 And %2), 0)) As P, "
               "Coalesce((Select Sum(BillSum) From Bill Where BillUser = CustomerName And "
               "BillKind = '销售开单' And BillCreateTime Between %1 And %2), 0) As S, "
               "Coalesce((Select Sum(MoneySum) From MoneyTable Where MoneyUser = CustomerName And "
               "MoneyCreateTime Between %1 And %2), 0) As M, "
               "CustomerOwe + Coalesce((Select Sum(BillSum) From Bill Where BillUser = CustomerName "
               "And (BillKind = '销售开单' Or BillKind = '采购开单') And BillCreateTime < %1), 0) - "
               "Coalesce((Select Sum(MoneySum) From MoneyTable Where MoneyUser = CustomerName And "
               "MoneyCreateTime < %1), 0) As O "
               "From Customer Where CustomerIndex > 1) As X Order By CustomerIndex")
        .arg(f, l);
}

// The accounts: the vouchers grouped by account once, joined to the account list.
inline QString AccountGrouped(const QDate& date) {
    const QString f = SqlDate(MonthFirstDay(date));
    const QString l = SqlDate(MonthLastDay(date));
    return QStringLiteral(
               "Select AccountName, AccountBase + Coalesce(M.BeforeMonth, 0) As O, Coalesce(M.Income, 0) "
               "As I, Abs(Coalesce(M.Expense, 0)) As E, Coalesce(M.Income, 0) - Abs(Coalesce(M.Expense, 0)) "
               "As D, AccountBase + Coalesce(M.BeforeMonth, 0) + Coalesce(M.Income, 0) - "
               "Abs(Coalesce(M.Expense, 0)) As C From Account Left Join (Select MoneyAccount, "
               "Sum(IIF(MoneyCreateTime < %1, MoneySum, 0)) As BeforeMonth, "
               "Sum(IIF(MoneyCreateTime >= %1 And MoneySum > 0, MoneySum, 0)) As Income, "
               "Sum(IIF(MoneyCreateTime >= %1 And MoneySum < 0, MoneySum, 0)) As Expense "
               "From MoneyTable Where (MoneyIndex > 1) And (MoneyCreateTime <= %2) Group By MoneyAccount) M "
               "On M.MoneyAccount = AccountIndex Where (AccountIndex > 1) Order By AccountIndex")
        .arg(f, l);
}

inline std::vector<Candidate> SqliteCustomerCandidates() {
    return {
        {"customers: both tables grouped in memory, joined to the list",
         CustomerGrouped(WorkingDate, QStringLiteral("+"))},
        {"customers: both tables grouped along the name indexes", CustomerGrouped(WorkingDate, QString())},
        {"customers: index look-ups per customer in one statement", CustomerCorrelated(WorkingDate)}};
}

inline std::vector<Candidate> SqliteAccountCandidates() {
    return {{"accounts: vouchers grouped by account, joined to the list", AccountGrouped(WorkingDate)}};
}

// The same statements in the server's dialect (SQLite's "+" has no meaning there).
inline std::vector<Candidate> ServerCandidates(const std::vector<Candidate>& sqlite) {
    std::vector<Candidate> candidates;
    for (const Candidate& candidate : sqlite)
        if (!candidate.sql.contains(QLatin1String("Group By +")))
            candidates.push_back({candidate.what, ToPostgresSql(candidate.sql)});
    return candidates;
}

} // namespace BenchMonthly
