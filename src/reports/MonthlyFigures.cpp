#include "MonthlyFigures.h"

#include "foundation/Connection.h"
#include "foundation/JetSql.h"
#include "foundation/PublicFunction.h"
#include "foundation/Query.h"
#include "mainwindow/CardQueries.h"
#include "reports/ReportQueries.h"

#include <QHash>
#include <QSqlQuery>
#include <QVariant>
#include <cmath>
#include <utility>
#include <vector>

namespace Monthly {

namespace {

double NumberAt(const Query& query, int row, int column) {
    return query.ValueAt(row, column).toDouble(); // a sum over no rows (null) counts as 0
}

int Column(const Query& query, const QString& name) {
    const int column = query.FieldIndex(name);
    Q_ASSERT(column >= 0);
    return column;
}

// The rows of a grouped pass by the key its first column names.
template <class Key, class Row, class ReadKey, class ReadRow>
QHash<Key, Row> ReadPass(DbConnection& connection, const QString& sql, ReadKey readKey, ReadRow readRow) {
    Query pass(&connection);
    pass.Open(sql);
    QHash<Key, Row> rows;
    rows.reserve(pass.RecordCount());
    for (int row = 0; row < pass.RecordCount(); ++row)
        rows.insert(readKey(pass, row), readRow(pass, row));
    return rows;
}

// Settings of the connection while the passes run, each set back after (the engine's value taken
// first). SQLite sorts the rows of a pass grouped in memory in runs as large as the connection's
// page cache; the program's cache, sized for browsing, makes each run outgrow the processor's caches
// and the pass about half as slow again, so the passes run with SQLite's default cache. A server
// would compile each pass and start parallel workers for it: for passes of well under a second
// both cost more than they save (twice the CPU time on a busy machine), so neither is done.
class PassSettings {
public:
    explicit PassSettings(DbConnection& connection)
        : db(connection.Database()) {
        if (connection.CurrentEngine() == Engine::SQLite)
            Set(QStringLiteral("cache_size"), QStringLiteral("-2000"));
        else {
            Set(QStringLiteral("jit"), QStringLiteral("off"));
            Set(QStringLiteral("max_parallel_workers_per_gather"), QStringLiteral("0"));
        }
    }
    ~PassSettings() {
        for (auto it = kept.rbegin(); it != kept.rend(); ++it)
            Apply(it->first, it->second);
    }
    PassSettings(const PassSettings&) = delete;
    PassSettings& operator=(const PassSettings&) = delete;

private:
    bool IsSqlite() const { return EngineOf(db) == Engine::SQLite; }

    // A setting that cannot be read or set is left as it is: it changes only the speed.
    void Set(const QString& name, const QString& value) {
        QSqlQuery query(db);
        const QString read =
            IsSqlite() ? QStringLiteral("PRAGMA %1").arg(name) : QStringLiteral("SHOW %1").arg(name);
        if (!query.exec(read) || !query.next())
            return;
        const QString current = query.value(0).toString();
        if (current == value || !Apply(name, value))
            return;
        kept.emplace_back(name, current);
    }
    bool Apply(const QString& name, const QString& value) {
        // Names are this class's own; values this class's own or the engine's own answers.
        const QString sql = IsSqlite()
                                ? QStringLiteral("PRAGMA %1 = %2").arg(name, SqlNumber(value.toLongLong()))
                                : QStringLiteral("SET %1 = %2").arg(name, SqlText(value));
        return QSqlQuery(db).exec(sql);
    }

    QSqlDatabase db;
    std::vector<std::pair<QString, QString>> kept;
};

// Both bounds of the working month, as the SQL literals the passes compare with.
struct MonthBounds {
    QString First;
    QString Last;
    explicit MonthBounds(const QDate& workingDate)
        : First(SqlDate(MonthFirstDay(workingDate)))
        , Last(SqlDate(MonthLastDay(workingDate))) {}
};

using Amounts = std::array<double, 5>;

ReportLine Line(const QString& caption, const Amounts& amounts) {
    ReportLine line;
    line[0] = caption;
    for (size_t i = 0; i < amounts.size(); ++i)
        line[i + 1] = RoundAmountText(amounts[i]);
    return line;
}

// One line per entry, then the total line: every column summed.
template <class Figures, class AmountsOf>
std::vector<ReportLine> LinesWithTotal(const std::vector<Figures>& figures, AmountsOf amountsOf) {
    std::vector<ReportLine> lines;
    lines.reserve(figures.size() + 1);
    Amounts total{};
    for (const Figures& f : figures) {
        const Amounts amounts = amountsOf(f);
        lines.push_back(Line(f.Name, amounts));
        for (size_t i = 0; i < total.size(); ++i)
            total[i] += amounts[i];
    }
    lines.push_back(Line(TotalCaption, total));
    return lines;
}

} // namespace

QString NameKey(const QString& name) {
    QString key = name;
    for (QChar& c : key) {
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            c = QChar(c.unicode() + ('a' - 'A'));
    }
    return key;
}

QString MonthTitle(const QDate& workingDate) {
    return QStringLiteral("%1年%2月份").arg(workingDate.year()).arg(workingDate.month());
}

// ---- Customers

QString CustomerListSql(const QString& customerFilter, const QString& searchClause,
                        const QString& orderClause) {
    return QStringLiteral("Select * ") + Cards::CustomerListBody(customerFilter, searchClause) +
           Cards::KeyedOrder(QStringLiteral("CustomerIndex"), orderClause);
}

std::vector<Customer> ReadCustomers(Query& list) {
    const int index = Column(list, QStringLiteral("CustomerIndex"));
    const int name = Column(list, QStringLiteral("CustomerName"));
    const int owe = Column(list, QStringLiteral("CustomerOwe"));
    std::vector<Customer> customers;
    customers.reserve(list.RecordCount());
    for (int row = 0; row < list.RecordCount(); ++row)
        customers.push_back({list.ValueAt(row, index).toLongLong(), list.ValueAt(row, name).toString(),
                             NumberAt(list, row, owe)});
    return customers;
}

// The passes group by "+Name": the name keeps its collation (letter case ignored) but the engine
// reads the table in storage order and groups in memory, which is several times faster than
// visiting every row through the name index.
QString CustomerBillPassSql(const QDate& workingDate) {
    const MonthBounds month(workingDate);
    return QStringLiteral(
               "Select BillUser, Sum(IIF(BillCreateTime < %1, BillSum, 0)) As BeforeMonth, "
               "Sum(IIF(BillCreateTime >= %1 And BillKind = '采购开单', BillSum, 0)) As Purchases, "
               "Sum(IIF(BillCreateTime >= %1 And BillKind = '销售开单', BillSum, 0)) As Sales "
               "From Bill Where (BillIndex > 1) And (BillKind = '销售开单' Or BillKind = '采购开单') "
               "And (BillCreateTime <= %2) Group By +BillUser")
        .arg(month.First, month.Last);
}

QString CustomerMoneyPassSql(const QDate& workingDate) {
    const MonthBounds month(workingDate);
    return QStringLiteral(
               "Select MoneyUser, Sum(IIF(MoneyCreateTime < %1, MoneySum, 0)) As BeforeMonth, "
               "Sum(IIF(MoneyCreateTime >= %1, MoneySum, 0)) As InMonth "
               "From MoneyTable Where (MoneyIndex > 1) And (MoneyCreateTime <= %2) Group By +MoneyUser")
        .arg(month.First, month.Last);
}

std::vector<CustomerMonth> CustomerMonthFigures(DbConnection& connection,
                                                const std::vector<Customer>& customers,
                                                const QDate& workingDate) {
    struct BillSums {
        double Before = 0, Purchases = 0, Sales = 0;
    };
    struct MoneySums {
        double Before = 0, InMonth = 0;
    };
    const auto nameOf = [](const Query& pass, int row) { return NameKey(pass.ValueAt(row, 0).toString()); };
    const PassSettings settings(connection);
    const QHash<QString, BillSums> bills = ReadPass<QString, BillSums>(
        connection, CustomerBillPassSql(workingDate), nameOf, [](const Query& pass, int row) {
            return BillSums{NumberAt(pass, row, 1), NumberAt(pass, row, 2), NumberAt(pass, row, 3)};
        });
    const QHash<QString, MoneySums> money = ReadPass<QString, MoneySums>(
        connection, CustomerMoneyPassSql(workingDate), nameOf, [](const Query& pass, int row) {
            return MoneySums{NumberAt(pass, row, 1), NumberAt(pass, row, 2)};
        });

    std::vector<CustomerMonth> figures;
    figures.reserve(customers.size());
    for (const Customer& customer : customers) {
        const QString key = NameKey(customer.Name);
        const BillSums b = bills.value(key);
        const MoneySums m = money.value(key);
        CustomerMonth line;
        line.Name = customer.Name;
        line.Purchases = std::fabs(b.Purchases);
        line.Sales = b.Sales;
        line.Money = m.InMonth;
        line.Opening = customer.Owe + b.Before - m.Before;
        line.Closing = line.Sales + line.Opening - line.Money - line.Purchases;
        figures.push_back(line);
    }
    return figures;
}

std::vector<ReportLine> CustomerReportLines(const std::vector<CustomerMonth>& figures) {
    return LinesWithTotal(figures, [](const CustomerMonth& f) {
        return Amounts{f.Purchases, f.Sales, f.Money, f.Opening, f.Closing};
    });
}

// ---- Accounts

QString AccountListSql(const QString& accountFilter) {
    return QStringLiteral("Select * ") + Cards::AccountListBody(accountFilter) +
           QStringLiteral(" Order By AccountIndex");
}

std::vector<Account> ReadAccounts(Query& list) {
    const int index = Column(list, QStringLiteral("AccountIndex"));
    const int name = Column(list, QStringLiteral("AccountName"));
    const int base = Column(list, QStringLiteral("AccountBase"));
    std::vector<Account> accounts;
    accounts.reserve(list.RecordCount());
    for (int row = 0; row < list.RecordCount(); ++row)
        accounts.push_back({list.ValueAt(row, index).toLongLong(), list.ValueAt(row, name).toString(),
                            NumberAt(list, row, base)});
    return accounts;
}

QString AccountMoneyPassSql(const QDate& workingDate) {
    const MonthBounds month(workingDate);
    return QStringLiteral("Select MoneyAccount, Sum(IIF(MoneyCreateTime < %1, MoneySum, 0)) As BeforeMonth, "
                          "Sum(IIF(MoneyCreateTime >= %1 And MoneySum > 0, MoneySum, 0)) As Income, "
                          "Sum(IIF(MoneyCreateTime >= %1 And MoneySum < 0, MoneySum, 0)) As Expense "
                          "From MoneyTable Where (MoneyIndex > 1) And (MoneyCreateTime <= %2) "
                          "Group By MoneyAccount")
        .arg(month.First, month.Last);
}

std::vector<AccountMonth> AccountMonthFigures(DbConnection& connection, const std::vector<Account>& accounts,
                                              const QDate& workingDate) {
    struct MoneySums {
        double Before = 0, Income = 0, Expense = 0;
    };
    const PassSettings settings(connection);
    const QHash<qint64, MoneySums> money = ReadPass<qint64, MoneySums>(
        connection, AccountMoneyPassSql(workingDate),
        [](const Query& pass, int row) { return pass.ValueAt(row, 0).toLongLong(); },
        [](const Query& pass, int row) {
            return MoneySums{NumberAt(pass, row, 1), NumberAt(pass, row, 2), NumberAt(pass, row, 3)};
        });

    std::vector<AccountMonth> figures;
    figures.reserve(accounts.size());
    for (const Account& account : accounts) {
        const MoneySums m = money.value(account.Index);
        AccountMonth line;
        line.Name = account.Name;
        line.Opening = account.Base + m.Before;
        line.Income = m.Income;
        line.Expense = std::fabs(m.Expense);
        line.Change = line.Income - line.Expense;
        line.Closing = line.Opening + line.Change;
        figures.push_back(line);
    }
    return figures;
}

std::vector<ReportLine> AccountReportLines(const std::vector<AccountMonth>& figures) {
    return LinesWithTotal(figures, [](const AccountMonth& f) {
        return Amounts{f.Opening, f.Income, f.Expense, f.Change, f.Closing};
    });
}

} // namespace Monthly
