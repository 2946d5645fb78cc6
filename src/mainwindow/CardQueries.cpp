#include "CardQueries.h"

#include "foundation/JetSql.h"
#include "foundation/PublicFunction.h"
#include "foundation/Schema.h"

#include <QRegularExpression>
#include <algorithm>
#include <cmath>

// SearchClause is defined by the customer search window (customers/CustomerForm3.cpp).

namespace Cards {

namespace {

QString DateText(const QDate& date) {
    return SqlDate(date);
}

} // namespace

int PageCount(int records, int pageSize) {
    if (records <= 0 || pageSize <= 0)
        return 1;
    return records / pageSize + (records % pageSize != 0 ? 1 : 0);
}

QString PageStatusText(int records, int page, int pageSize) {
    return QStringLiteral("共 %1 记录，第 %2/%3 页")
        .arg(records)
        .arg(page + 1)
        .arg(PageCount(records, pageSize));
}

CardGrid GridFor(const QSize& sheet) {
    CardGrid grid;
    grid.RightShift = std::max(0, sheet.width() - SmallestSheetWidth);
    grid.ButtonTop = SmallestButtonTop + std::max(0, sheet.height() - SmallestSheetHeight);
    const int right = SmallestRightColumn + grid.RightShift;
    grid.CardsWidth = right - 8;
    // A card is 209 x 79 in a pitch of 216 x 86; the last column keeps 8 pixels to the right
    // column, the last row 5 pixels to the buttons.
    grid.Columns = std::max(3, (right - 8 - 8 + 7) / ColumnPitch);
    grid.Rows = std::max(5, (grid.ButtonTop - 5 - 8 + 7) / RowPitch);
    return grid;
}

int RebasedPage(int page, int oldSize, int newSize) {
    if (page <= 0 || oldSize <= 0 || newSize <= 0)
        return page < 0 ? 0 : page;
    return static_cast<int>(static_cast<qint64>(page) * oldSize / newSize);
}

QString IconFile(double amount, const IconScale& scale) {
    // Icon and colour go by the amount as the card shows it, so that a total whose sales and
    // purchases cancel up to a binary residue (0.1 + 0.2 - 0.3) is a blue zero.
    amount = RoundAmount(amount);
    if (amount == 0)
        return QStringLiteral("Res/Money0.ico");
    const double size = std::fabs(amount);
    const char* plus = size <= scale.first ? "+" : size <= scale.second ? "++" : "+++";
    return QStringLiteral("Res/") + QLatin1String(scale.colourWord) + QLatin1String(plus) +
           QStringLiteral(".ico");
}

QColor ValueColour(double amount) {
    return RoundAmount(amount) >= 0 ? QColor(0, 0, 255) : QColor(255, 0, 0);
}

QString AmountText(double value) {
    return RoundAmountText(value) + QStringLiteral(" 元");
}

QString CardName(const QString& name) {
    return GbkLeft(name, 18);
}

QString MoneyKindText(const QString& type, const QString& token) {
    return type + QChar(0x2016) + token;
}

QString BillTypeText(const QString& kind) {
    QString text = kind;
    return text.remove(QStringLiteral("开"));
}

QString MoneyTypeText(double sum) {
    return sum >= 0 ? QStringLiteral("收入单") : QStringLiteral("支出单");
}

QString CustomerTypeText(const QString& contact) {
    return contact.left(3);
}

QDate MonthFirst(const QDate& date) {
    return QDate(date.year(), date.month(), 1);
}

QDate MonthLast(const QDate& date) {
    return MonthFirst(date).addMonths(1).addDays(-1);
}

bool SearchNeedsBill(const QString& searchClause) {
    // Quoted texts are the user's search words; only column names outside them count.
    static const QRegularExpression quoted(QStringLiteral("'(?:[^']|'')*'"));
    static const QRegularExpression billColumn(QStringLiteral("\\bBill[A-Za-z]*\\b"),
                                               QRegularExpression::CaseInsensitiveOption);
    QString outside = searchClause;
    outside.replace(quoted, QStringLiteral("''"));
    return outside.contains(billColumn);
}

QString CustomerListBody(const QString& customerFilter, const QString& searchClause) {
    QString body = QStringLiteral("From Customer Where (CustomerIndex > 1)") + customerFilter;
    if (!SearchNeedsBill(searchClause))
        return body + searchClause;
    // The same customers as joining every document and keeping the distinct customers, with
    // one indexed look-up per customer instead of a pass over all documents.
    return body +
           QStringLiteral(" And Exists (Select 1 From Bill Where (Bill.BillUser = Customer.CustomerName)") +
           searchClause + QStringLiteral(")");
}

QString BillListBody(const QString& dateClause, const QString& billFilter) {
    return QStringLiteral(
               "From Bill Where (BillIndex > 1) And (BillKind = '销售开单' Or BillKind = '采购开单')") +
           dateClause + billFilter;
}

QString MoneyListBody(const QString& dateClause, const QString& moneyFilter) {
    return QStringLiteral("From MoneyTable Where (MoneyIndex > 1)") + dateClause + moneyFilter;
}

QString AccountListBody(const QString& accountFilter) {
    return QStringLiteral("From Account Where (AccountIndex > 1)") + accountFilter;
}

QString CountSql(const QString& listBody) {
    return QStringLiteral("Select Count(*) As RecordTotal ") + listBody;
}

QString KeyedOrder(const QString& keyColumn, const QString& orderClause) {
    const QRegularExpression namesKey(QStringLiteral("\\b%1\\b").arg(keyColumn),
                                      QRegularExpression::CaseInsensitiveOption);
    if (orderClause.trimmed().isEmpty())
        return QStringLiteral(" Order By ") + keyColumn;
    if (orderClause.contains(namesKey))
        return orderClause;
    // In the direction of the last field, so that an index on the sort field still serves.
    return orderClause + QStringLiteral(",") + keyColumn +
           (orderClause.trimmed().endsWith(QStringLiteral(" Desc"), Qt::CaseInsensitive)
                ? QStringLiteral(" Desc")
                : QString());
}

QString PageSql(const QString& table, const QString& listBody, const QString& orderClause, int page,
                int pageSize) {
    const QString keyColumn = Schema::KeyColumn(table);
    const QString order = KeyedOrder(keyColumn, orderClause);
    return QStringLiteral("Select * From %1 Where %2 In (Select %2 ").arg(table, keyColumn) + listBody +
           order + QStringLiteral(" Limit %1 Offset %2)").arg(pageSize).arg(PageOffset(page, pageSize)) +
           order;
}

QString CustomerGoodsSql(const QString& name, const QDate& workingDate) {
    return QStringLiteral(
               "Select Sum(BillSum) As TotalMoney From Bill Where (BillKind = '销售开单' Or BillKind = "
               "'采购开单') And (BillUser = ") +
           SqlText(name) + QStringLiteral(") And (BillCreateTime <= ") + DateText(workingDate) +
           QStringLiteral(")");
}

QString CustomerMoneySql(const QString& name, const QDate& workingDate) {
    return QStringLiteral("Select Sum(MoneySum) As TotalMoney From MoneyTable Where (MoneyUser = ") +
           SqlText(name) + QStringLiteral(") And (MoneyCreateTime <= ") + DateText(workingDate) +
           QStringLiteral(")");
}

QString BillPaySql(qint64 billIndex) {
    return QStringLiteral("Select ROUND(SUM(MoneySum),2) As BillPay From MoneyTable Where MoneyBill = ") +
           SqlNumber(billIndex);
}

QString AccountMonthSql(qint64 accountIndex, const QDate& workingDate) {
    return QStringLiteral(
               "Select ROUND(Sum(MoneySum),2) As TotalMoney From MoneyTable Where (MoneyAccount = ") +
           SqlNumber(accountIndex) + QStringLiteral(") And (MoneyCreateTime Between ") +
           DateText(MonthFirst(workingDate)) + QStringLiteral(" And ") + DateText(MonthLast(workingDate)) +
           QStringLiteral(")");
}

QString AccountListSql(const QString& accountFilter, const QDate& workingDate) {
    return QStringLiteral(
               "Select Account.*, (Select ROUND(Sum(MoneySum),2) From MoneyTable Where (MoneyAccount = "
               "Account.AccountIndex) And (MoneyCreateTime <= ") +
           DateText(workingDate) + QStringLiteral(")) As TotalMoney ") + AccountListBody(accountFilter) +
           QStringLiteral(" Order By AccountIndex");
}

QString AccountSumText(double total) {
    return QStringLiteral("合计：") + RoundAmountText(total) + QStringLiteral(" 元");
}

} // namespace Cards
