#pragma once

#include <QDate>
#include <QString>
#include <array>
#include <vector>

class DbConnection;
class Query;

// The figures of the customer and account monthly reports, computed for the whole list at once:
// one grouped pass over the documents and one over the vouchers, merged with the list in memory.

namespace Monthly {

// ---- Customers

// A counterpart of the customer list, in list order.
struct Customer {
    qint64 Index = 0;
    QString Name;
    double Owe = 0; // CustomerOwe
};

// One customer's month. Purchases is positive; Money is receipts minus payments.
struct CustomerMonth {
    QString Name;
    double Purchases = 0;
    double Sales = 0;
    double Money = 0;
    double Opening = 0;
    double Closing = 0;
};

// The customer list of page 0: role clause, search clause and the page's order, ties by key.
QString CustomerListSql(const QString& customerFilter, const QString& searchClause,
                        const QString& orderClause);
// The counterparts of an open customer list, in its order.
std::vector<Customer> ReadCustomers(Query& list);
// Documents grouped by counterpart: before the month (sales and purchases), purchases and sales
// in the month.
QString CustomerBillPassSql(const QDate& workingDate);
// Vouchers grouped by counterpart: before the month and in the month.
QString CustomerMoneyPassSql(const QDate& workingDate);
// The figures of every customer, in list order. Raises KestrelError when a pass fails.
std::vector<CustomerMonth> CustomerMonthFigures(DbConnection& connection,
                                                const std::vector<Customer>& customers,
                                                const QDate& workingDate);

// ---- Accounts

struct Account {
    qint64 Index = 0;
    QString Name;
    double Base = 0; // AccountBase
};

struct AccountMonth {
    QString Name;
    double Opening = 0;
    double Income = 0;
    double Expense = 0; // positive
    double Change = 0;
    double Closing = 0;
};

// The accounts the role may see, in key order.
QString AccountListSql(const QString& accountFilter);
std::vector<Account> ReadAccounts(Query& list);
// Vouchers grouped by account: before the month, income and expense in the month.
QString AccountMoneyPassSql(const QDate& workingDate);
std::vector<AccountMonth> AccountMonthFigures(DbConnection& connection, const std::vector<Account>& accounts,
                                              const QDate& workingDate);

// ---- Report lines

// ReportGrid1 to ReportGrid9 of one PrintReport row.
using ReportLine = std::array<QString, 9>;

inline const QString TotalCaption = QStringLiteral("总合计");
inline const QString CustomerSubtitle = QStringLiteral("各客户应收款");

// The customer lines in list order, then the total line.
std::vector<ReportLine> CustomerReportLines(const std::vector<CustomerMonth>& figures);
std::vector<ReportLine> AccountReportLines(const std::vector<AccountMonth>& figures);

// "2008年3月份": the month of the working date, without leading zeros.
QString MonthTitle(const QDate& workingDate);

// Counterpart names match as the database compares texts: letters A-Z without regard to case.
QString NameKey(const QString& name);

} // namespace Monthly
