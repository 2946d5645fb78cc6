#include "ReportQueries.h"

#include "foundation/JetSql.h"
#include "foundation/PublicFunction.h"

namespace {

const QString SaleKind = QStringLiteral("销售开单");
const QString PurchaseKind = QStringLiteral("采购开单");
const QString ReceiptKind = QStringLiteral("财务收入单");
const QString PaymentKind = QStringLiteral("财务支出单");

// The received part of a document: its vouchers' total rounded to 2 decimals, 0 without vouchers.
// Totalled per document from the index on (MoneyBill, MoneySum), so that a query of a few
// documents reads only their vouchers and one of all documents needs no grouping or join.
const QString BillGetExpression =
    QStringLiteral("(Select IIF(Round(Sum(MoneySum),2) Is Null,0,Round(Sum(MoneySum),2)) From MoneyTable "
                   "Where MoneyTable.MoneyBill = Bill.BillIndex)");

QString Amount(const QString& typed) {
    return SqlNumber(TextToAmount(typed));
}

QString DateBetween(const QString& field, const QDate& from, const QDate& to) {
    return QStringLiteral(" And (") + field + QStringLiteral(" Between ") + SqlDate(from) +
           QStringLiteral(" And ") + SqlDate(to) + QStringLiteral(")");
}

QString Equals(const QString& field, const QString& value) {
    return QStringLiteral(" And (") + field + QStringLiteral(" = ") + SqlText(value) + QStringLiteral(")");
}

QString Contains(const QString& field, const QString& part) {
    return QStringLiteral(" And (InStr(") + field + QStringLiteral(",") + SqlText(part) +
           QStringLiteral("))");
}

// The amount range: a purchase or payment range typed in positive numbers becomes negative bounds.
QString AmountClauses(const QString& field, const QString& kind, const QString& negativeKind,
                      const QString& positiveKind, const QString& from, const QString& to) {
    QString text;
    if (!from.isEmpty()) {
        if (kind == negativeKind)
            text += QStringLiteral(" And (") + field + QStringLiteral(" <= -") + Amount(from) +
                    QStringLiteral(")");
        else if (kind == positiveKind)
            text += QStringLiteral(" And (") + field + QStringLiteral(" >= ") + Amount(from) +
                    QStringLiteral(")");
    }
    if (!to.isEmpty()) {
        if (kind == negativeKind)
            text +=
                QStringLiteral(" And (") + field + QStringLiteral(" >= -") + Amount(to) + QStringLiteral(")");
        else
            text +=
                QStringLiteral(" And (") + field + QStringLiteral(" <= ") + Amount(to) + QStringLiteral(")");
    }
    return text;
}

} // namespace

QDate MonthFirstDay(const QDate& date) {
    return QDate(date.year(), date.month(), 1);
}

QDate MonthLastDay(const QDate& date) {
    return MonthFirstDay(date).addMonths(1).addDays(-1);
}

bool IsRangeAmountText(const QString& text) {
    return IsAmountText(text, 1000);
}

int RefusedAmountBox(const QString& from, const QString& to) {
    if (!from.isEmpty() && !IsRangeAmountText(from))
        return 1;
    if (!to.isEmpty() && !IsRangeAmountText(to))
        return 2;
    return 0;
}

// ---- Documents

QString BillReportSelect() {
    return QStringLiteral("Select BillIndex,BillCreateTime,BillSerial,BillKind,BillUser,BillSum,") +
           BillGetExpression + QStringLiteral(" As BillGet,BillSum-") + BillGetExpression +
           QStringLiteral(" As BillOwe,BillMan,BillReason,BillState,BillRemark From Bill Where ");
}

QString BillQueryText(const BillCriteria& c, const QString& billFilter) {
    QString sql = BillReportSelect() + QStringLiteral("(BillIndex > 1)") + billFilter;
    if (c.DateRange)
        sql += DateBetween(QStringLiteral("BillCreateTime"), c.From, c.To);
    if (c.AmountRange)
        sql += AmountClauses(QStringLiteral("BillSum"), c.Kind, PurchaseKind, SaleKind, c.AmountFrom,
                             c.AmountTo);
    if (c.Reason != AllEntry)
        sql += Equals(QStringLiteral("BillReason"), c.Reason);
    if (c.State != AllEntry)
        sql += Equals(QStringLiteral("BillState"), c.State);
    if (c.Kind != AllEntry)
        sql += Equals(QStringLiteral("BillKind"), c.Kind);
    if (c.Customer != AllEntry)
        sql += Contains(QStringLiteral("BillUser"), c.Customer);
    if (!c.Remark.isEmpty())
        sql += Contains(QStringLiteral("BillRemark"), c.Remark);
    if (!c.Serial.isEmpty())
        sql += Contains(QStringLiteral("BillSerial"), c.Serial);
    if (!c.Man.isEmpty())
        sql += Contains(QStringLiteral("BillMan"), c.Man);
    return sql;
}

QString BillMonthQueryText(const QDate& workingDate) {
    return BillReportSelect() + DateBetween(QStringLiteral("BillCreateTime"), MonthFirstDay(workingDate),
                                            MonthLastDay(workingDate))
                                    .mid(5); // without the leading " And "
}

QString BillOrderByText(int sortItem) {
    switch (sortItem) {
    case 1:
        return QStringLiteral(" Order By BillUser,BillCreateTime,BillIndex");
    case 2:
        return QStringLiteral(" Order By BillSum Desc,BillCreateTime,BillIndex");
    default:
        return QStringLiteral(" Order By BillCreateTime,BillIndex");
    }
}

QString BillReportRunText(const QString& base, const QString& billFilter, int sortItem) {
    return base + billFilter + BillOrderByText(sortItem);
}

// ---- Vouchers

QString MoneyReportSelect() {
    return QStringLiteral(
        "Select MoneyIndex,MoneyCreateTime,MoneySerial,AccountName,MoneyUser,MoneyIn,MoneyOut,"
        "MoneySum,MoneyMan,MoneyReason,MoneyType,MoneyToken,MoneyRemark From Account,MoneyTable "
        "Where (AccountIndex = MoneyAccount)");
}

QString MoneyQueryText(const MoneyCriteria& c, const QString& moneyFilter) {
    QString sql = MoneyReportSelect() + moneyFilter;
    if (c.DateRange)
        sql += DateBetween(QStringLiteral("MoneyCreateTime"), c.From, c.To);
    if (c.AmountRange)
        sql += AmountClauses(QStringLiteral("MoneySum"), c.Kind, PaymentKind, ReceiptKind, c.AmountFrom,
                             c.AmountTo);
    if (c.Account != AllEntry)
        sql += Equals(QStringLiteral("AccountName"), c.Account);
    if (c.Reason != AllEntry)
        sql += Equals(QStringLiteral("MoneyReason"), c.Reason);
    if (c.Type != AllEntry)
        sql += Equals(QStringLiteral("MoneyType"), c.Type);
    if (c.Token != AllEntry)
        sql += Equals(QStringLiteral("MoneyToken"), c.Token);
    // The kind of a voucher is its sign; a voucher of 0 is a receipt.
    if (c.Kind == ReceiptKind)
        sql += QStringLiteral(" And (MoneySum >= 0)");
    else if (c.Kind == PaymentKind)
        sql += QStringLiteral(" And (MoneySum < 0)");
    if (c.Customer != AllEntry)
        sql += Contains(QStringLiteral("MoneyUser"), c.Customer);
    if (!c.Remark.isEmpty())
        sql += Contains(QStringLiteral("MoneyRemark"), c.Remark);
    if (!c.Serial.isEmpty())
        sql += Contains(QStringLiteral("MoneySerial"), c.Serial);
    if (!c.Man.isEmpty())
        sql += Contains(QStringLiteral("MoneyMan"), c.Man);
    return sql;
}

QString MoneyMonthQueryText(const QDate& workingDate) {
    return MoneyReportSelect() + DateBetween(QStringLiteral("MoneyCreateTime"), MonthFirstDay(workingDate),
                                             MonthLastDay(workingDate));
}

QString MoneyOrderByText(int sortItem) {
    switch (sortItem) {
    case 1:
        return QStringLiteral(" Order By AccountName,MoneyCreateTime,MoneyIndex");
    case 2:
        return QStringLiteral(" Order By MoneySum Desc,MoneyCreateTime,MoneyIndex");
    default:
        return QStringLiteral(" Order By MoneyCreateTime,MoneyIndex");
    }
}

QString MoneyReportRunText(const QString& base, const QString& moneyFilter, int sortItem) {
    return base + moneyFilter + MoneyOrderByText(sortItem);
}

// ---- Account statements

QString AccountStatementText(qint64 accountIndex, StatementPeriod period, const QDate& workingDate) {
    QString sql =
        QStringLiteral("Select MoneyIndex,MoneySerial,MoneyCreateTime,AccountName,MoneyUser,MoneyIn,"
                       "MoneyOut,MoneySum,MoneyMan,MoneyReason,MoneyType,MoneyToken,MoneyRemark From "
                       "Account,MoneyTable Where (AccountIndex = MoneyAccount) And (MoneyAccount = ") +
        SqlNumber(accountIndex);
    switch (period) {
    case StatementPeriod::Month:
        sql += QStringLiteral(") And (MoneyCreateTime Between ") + SqlDate(MonthFirstDay(workingDate)) +
               QStringLiteral(" And ") + SqlDate(MonthLastDay(workingDate)) + QStringLiteral(")");
        break;
    case StatementPeriod::Year:
        sql += QStringLiteral(") And (MoneyCreateTime Between ") + SqlDate(QDate(workingDate.year(), 1, 1)) +
               QStringLiteral(" And ") + SqlDate(QDate(workingDate.year(), 12, 31)) + QStringLiteral(")");
        break;
    case StatementPeriod::All:
        sql += QStringLiteral(")");
        break;
    }
    return sql;
}

QString AccountBalanceSql(qint64 accountIndex, const QDate& upTo) {
    return QStringLiteral(
               "Select ROUND(Sum(MoneySum),2) As TotalMoney From MoneyTable Where (MoneyAccount = ") +
           SqlNumber(accountIndex) + QStringLiteral(") And (MoneyCreateTime <= ") + SqlDate(upTo) +
           QStringLiteral(")");
}
