// Writes a large database for the benchmarks: many customers, documents and vouchers spread over
// three years up to a fixed last day, owned by sixteen salesmen. Deterministic: the same arguments
// give the same file.
//
// Records are written as a shop enters them: day by day, but about one in five documents and
// vouchers is dated back by up to a year, so the order of the rows in the file differs from their
// date order. With --date-order every record is dated on the day it is entered.
#include "foundation/Schema.h"

#include <QCoreApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTextStream>
#include <QVariant>
#include <random>
#include <vector>

namespace {

struct Sizes {
    int customers = 10000;
    int bills = 200000;
    int vouchers = 300000;
    int accounts = 24;
    bool dateOrder = false;
};

// The last day with data; the benchmark works on this month.
const QDate LastDay(2024, 6, 30);
const int Days = 3 * 365;

QString SalesmanName(int i) {
    return QStringLiteral("业务员%1").arg(i + 1, 2, 10, QLatin1Char('0'));
}

bool Run(QSqlQuery& query, const char* what) {
    if (query.exec())
        return true;
    QTextStream(stderr) << "kestrel_makebenchdb: " << what << ": " << query.lastError().text() << "\n";
    return false;
}

QString DayText(int day) {
    return LastDay.addDays(day - Days + 1).toString(QStringLiteral("yyyy-MM-dd"));
}

bool Fill(QSqlDatabase db, const Sizes& sizes) {
    std::mt19937 random(20240630);
    auto below = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    auto amount = [&](int cents) { return below(cents) / 100.0 + 1; };
    // The date a record entered on a day carries: one in five is dated back by up to a year.
    auto dated = [&](int entered) {
        if (sizes.dateOrder || below(5) != 0)
            return entered;
        return std::max(0, entered - 1 - below(365));
    };

    // The salesmen take the sixteen face slots.
    QSqlQuery power(db);
    power.prepare(QStringLiteral(
        "Update Power Set PowerName = ?, PowerRange = '业务管理财务管理' Where PowerIndex = ?"));
    for (int i = 0; i < 16; ++i) {
        power.addBindValue(SalesmanName(i));
        power.addBindValue(i + 1);
        if (!Run(power, "Power"))
            return false;
    }

    // Customers; about one in ten belongs to a manager rather than a salesman.
    std::vector<QString> names;
    std::vector<QString> owners;
    QSqlQuery customer(db);
    customer.prepare(
        QStringLiteral("Insert Into Customer (CustomerName, CustomerOwe, CustomerPhone, CustomerContact, "
                       "CustomerAddress, CustomerMan) Values (?, ?, ?, ?, ?, ?)"));
    for (int i = 0; i < sizes.customers; ++i) {
        const QString name = QStringLiteral("客户%1商贸有限公司").arg(i + 1, 5, 10, QLatin1Char('0'));
        const QString man = below(10) == 0 ? QStringLiteral("总经理") : SalesmanName(below(16));
        names.push_back(name);
        owners.push_back(man);
        customer.addBindValue(name);
        customer.addBindValue(below(4) == 0 ? amount(2000000) : 0.0);
        customer.addBindValue(QStringLiteral("0571-%1").arg(80000000 + i));
        customer.addBindValue(QStringLiteral("联系人%1").arg(i % 97));
        customer.addBindValue(QStringLiteral("杭州市%1号").arg(i));
        customer.addBindValue(man);
        if (!Run(customer, "Customer"))
            return false;
    }

    QSqlQuery account(db);
    account.prepare(
        QStringLiteral("Insert Into Account (AccountName, AccountBase, AccountMan) Values (?, ?, ?)"));
    for (int i = 0; i < sizes.accounts; ++i) {
        account.addBindValue(i == 0 ? QStringLiteral("现金") : QStringLiteral("银行帐户%1").arg(i));
        account.addBindValue(amount(10000000));
        account.addBindValue(i % 3 == 0 ? SalesmanName(i % 16) : QStringLiteral("财务主管"));
        if (!Run(account, "Account"))
            return false;
    }

    // Documents in the order they are entered, four in five of them sales.
    struct BillRow {
        int customer;
        int day;     // entered
        int created; // the document's date
        double sum;
    };
    std::vector<BillRow> bills;
    bills.reserve(sizes.bills);
    for (int i = 0; i < sizes.bills; ++i) {
        const int customer = below(sizes.customers);
        const int day = static_cast<int>(static_cast<qint64>(i) * Days / sizes.bills);
        const double sum = below(5) == 0 ? -amount(5000000) : amount(5000000);
        bills.push_back({customer, day, dated(day), sum});
    }
    QSqlQuery bill(db);
    bill.prepare(
        QStringLiteral("Insert Into Bill (BillKind, BillSerial, BillCreateTime, BillRecordTime, BillUser, "
                       "BillSum, BillReason, BillState, BillMan) Values (?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    for (int i = 0; i < sizes.bills; ++i) {
        const BillRow& row = bills[i];
        const bool sale = row.sum >= 0;
        bill.addBindValue(sale ? QStringLiteral("销售开单") : QStringLiteral("采购开单"));
        bill.addBindValue(
            QStringLiteral("%1%2").arg(sale ? QStringLiteral("XS") : QStringLiteral("CG")).arg(100001 + i));
        bill.addBindValue(DayText(row.created));
        bill.addBindValue(DayText(row.day));
        bill.addBindValue(names[row.customer]);
        bill.addBindValue(row.sum);
        bill.addBindValue(sale ? QStringLiteral("商品销售") : QStringLiteral("商品采购"));
        bill.addBindValue(QStringLiteral("已发货"));
        bill.addBindValue(owners[row.customer]);
        if (!Run(bill, "Bill"))
            return false;
    }

    // Vouchers: two in three settle part of a document (entered a few days after it), the rest
    // stand alone; written in the order they are entered.
    struct MoneyRow {
        int customer;
        int day;  // entered
        int bill; // index into bills, -1 for none
        double sum;
        int created = 0; // the voucher's date
    };
    std::vector<MoneyRow> vouchers;
    vouchers.reserve(sizes.vouchers);
    for (int i = 0; i < sizes.vouchers; ++i) {
        if (below(3) != 0) {
            const int b = below(sizes.bills);
            const double part = bills[b].sum * (below(100) + 1) / 100.0;
            vouchers.push_back({bills[b].customer, std::min(Days - 1, bills[b].day + below(20)), b, part});
        } else {
            vouchers.push_back(
                {below(sizes.customers), below(Days), -1, below(2) ? amount(300000) : -amount(300000)});
        }
    }
    std::stable_sort(vouchers.begin(), vouchers.end(),
                     [](const MoneyRow& a, const MoneyRow& b) { return a.day < b.day; });
    for (MoneyRow& row : vouchers)
        row.created = dated(row.day);
    QSqlQuery money(db);
    money.prepare(
        QStringLiteral("Insert Into MoneyTable (MoneyAccount, MoneyBill, MoneySerial, MoneyCreateTime, "
                       "MoneyRecordTime, MoneyUser, MoneyReason, MoneyType, MoneyToken, MoneyMan, MoneyIn, "
                       "MoneyOut, MoneySum) Values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    for (int i = 0; i < sizes.vouchers; ++i) {
        const MoneyRow& row = vouchers[i];
        const bool receipt = row.sum >= 0;
        money.addBindValue(2 + below(sizes.accounts));
        money.addBindValue(row.bill >= 0 ? row.bill + 2 : 0); // document keys start after the reserved row
        money.addBindValue(QStringLiteral("%1%2")
                               .arg(receipt ? QStringLiteral("SK") : QStringLiteral("FK"))
                               .arg(100001 + i));
        money.addBindValue(DayText(row.created));
        money.addBindValue(DayText(row.day));
        money.addBindValue(names[row.customer]);
        money.addBindValue(receipt ? QStringLiteral("商品销售") : QStringLiteral("商品采购"));
        money.addBindValue(QStringLiteral("货款"));
        money.addBindValue(below(2) ? QStringLiteral("收据") : QStringLiteral("发票"));
        money.addBindValue(owners[row.customer]);
        money.addBindValue(receipt ? row.sum : 0.0);
        money.addBindValue(receipt ? 0.0 : -row.sum);
        money.addBindValue(row.sum);
        if (!Run(money, "MoneyTable"))
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments();
    Sizes sizes;
    sizes.dateOrder = args.removeAll(QStringLiteral("--date-order")) > 0;
    if (args.size() != 2 && args.size() != 5 && args.size() != 6) {
        QTextStream(stderr) << "usage: kestrel_makebenchdb [--date-order] PATH-OF-NEW-Kestrel.mdb "
                               "[CUSTOMERS DOCUMENTS VOUCHERS [ACCOUNTS]]\n";
        return 2;
    }
    if (args.size() >= 5) {
        sizes.customers = args[2].toInt();
        sizes.bills = args[3].toInt();
        sizes.vouchers = args[4].toInt();
        if (args.size() == 6)
            sizes.accounts = args[5].toInt();
        if (sizes.customers < 1 || sizes.bills < 1 || sizes.vouchers < 0 || sizes.accounts < 1) {
            QTextStream(stderr) << "kestrel_makebenchdb: the counts must be positive numbers\n";
            return 2;
        }
    }
    QElapsedTimer timer;
    timer.start();
    const QString error = Schema::CreateDatabase(args[1]);
    if (!error.isEmpty()) {
        QTextStream(stderr) << "kestrel_makebenchdb: " << error << "\n";
        return 1;
    }
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("bench"));
        db.setDatabaseName(args[1]);
        if (db.open() && db.transaction()) {
            ok = Fill(db, sizes);
            ok = ok ? db.commit() : (db.rollback(), false);
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("bench"));
    if (!ok) {
        QTextStream(stderr) << "kestrel_makebenchdb: the data could not be written\n";
        return 1;
    }
    QTextStream(stdout) << "wrote " << args[1] << ": " << sizes.customers << " customers, " << sizes.bills
                        << " documents, " << sizes.vouchers << " vouchers, " << sizes.accounts
                        << " accounts, " << (sizes.dateOrder ? "in date order" : "one in five back-dated")
                        << ", in " << timer.elapsed() << " ms\n";
    return 0;
}
