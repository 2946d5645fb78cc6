#include "reports/ReportQueries.h"

#include <QTest>

// The query texts the criteria windows build: one clause per criterion, in fixed order.
class TestReportQueries : public QObject {
    Q_OBJECT
private slots:
    void billClauses_data();
    void billClauses();
    void billClauseOrderWithEveryCriterion();
    void moneyClauses_data();
    void moneyClauses();
    void moneyClauseOrderWithEveryCriterion();
    void monthQueriesCoverTheWorkingMonth_data();
    void monthQueriesCoverTheWorkingMonth();
    void runTextsAddRoleAndOrder();
    void amountBoxes_data();
    void amountBoxes();
    void accountStatements_data();
    void accountStatements();
};

namespace {

const QString BillGet = QStringLiteral(
    "(Select IIF(Round(Sum(MoneySum),2) Is Null,0,Round(Sum(MoneySum),2)) From MoneyTable Where "
    "MoneyTable.MoneyBill = Bill.BillIndex)");
const QString BillBase =
    "Select BillIndex,BillCreateTime,BillSerial,BillKind,BillUser,BillSum," + BillGet +
    " As BillGet,BillSum-" + BillGet +
    " As BillOwe,BillMan,BillReason,BillState,BillRemark From Bill Where (BillIndex > 1)";
const QString MoneyBase = QStringLiteral(
    "Select MoneyIndex,MoneyCreateTime,MoneySerial,AccountName,MoneyUser,MoneyIn,MoneyOut,MoneySum,"
    "MoneyMan,MoneyReason,MoneyType,MoneyToken,MoneyRemark From Account,MoneyTable Where "
    "(AccountIndex = MoneyAccount)");

} // namespace

void TestReportQueries::billClauses_data() {
    QTest::addColumn<QString>("criterion");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("clauses");
    QTest::newRow("nothing chosen") << ""
                                    << ""
                                    << "";
    QTest::newRow("kind sale") << "kind"
                               << "销售开单"
                               << " And (BillKind = '销售开单')";
    QTest::newRow("kind 所有") << "kind"
                               << "所有"
                               << "";
    QTest::newRow("reason") << "reason"
                            << "商品销售"
                            << " And (BillReason = '商品销售')";
    QTest::newRow("reason 所有") << "reason"
                                 << "所有"
                                 << "";
    QTest::newRow("state") << "state"
                           << "已发货"
                           << " And (BillState = '已发货')";
    QTest::newRow("customer part") << "customer"
                                   << "东方"
                                   << " And (InStr(BillUser,'东方'))";
    QTest::newRow("customer 所有") << "customer"
                                   << "所有"
                                   << "";
    QTest::newRow("customer with quote") << "customer"
                                         << "O'Neil"
                                         << " And (InStr(BillUser,'O''Neil'))";
    QTest::newRow("remark") << "remark"
                            << "加急"
                            << " And (InStr(BillRemark,'加急'))";
    QTest::newRow("remark with quote") << "remark"
                                       << "it's"
                                       << " And (InStr(BillRemark,'it''s'))";
    QTest::newRow("serial") << "serial"
                            << "XS10"
                            << " And (InStr(BillSerial,'XS10'))";
    QTest::newRow("salesman") << "man"
                              << "张三"
                              << " And (InStr(BillMan,'张三'))";
    QTest::newRow("dates") << "dates"
                           << "2024-02-01..2024-02-29"
                           << " And (BillCreateTime Between #2024-02-01# And #2024-02-29#)";
    QTest::newRow("sale from") << "sale"
                               << "100.."
                               << " And (BillSum >= 100) And (BillKind = '销售开单')";
    QTest::newRow("sale to") << "sale"
                             << "..500"
                             << " And (BillSum <= 500) And (BillKind = '销售开单')";
    QTest::newRow("sale range") << "sale"
                                << "100..500.5"
                                << " And (BillSum >= 100) And (BillSum <= 500.5) And (BillKind = '销售开单')";
    QTest::newRow("purchase range becomes negative")
        << "purchase"
        << "100..500"
        << " And (BillSum <= -100) And (BillSum >= -500) And (BillKind = '采购开单')";
    QTest::newRow("purchase from only") << "purchase"
                                        << "100.."
                                        << " And (BillSum <= -100) And (BillKind = '采购开单')";
    QTest::newRow("range unchecked adds nothing") << "unchecked"
                                                  << "100..500"
                                                  << " And (BillKind = '销售开单')";
}

void TestReportQueries::billClauses() {
    QFETCH(QString, criterion);
    QFETCH(QString, value);
    QFETCH(QString, clauses);
    BillCriteria c;
    const QStringList range = value.split(QStringLiteral(".."));
    if (criterion == "kind")
        c.Kind = value;
    else if (criterion == "reason")
        c.Reason = value;
    else if (criterion == "state")
        c.State = value;
    else if (criterion == "customer")
        c.Customer = value;
    else if (criterion == "remark")
        c.Remark = value;
    else if (criterion == "serial")
        c.Serial = value;
    else if (criterion == "man")
        c.Man = value;
    else if (criterion == "dates") {
        c.DateRange = true;
        c.From = QDate::fromString(range[0], Qt::ISODate);
        c.To = QDate::fromString(range[1], Qt::ISODate);
    } else if (criterion == "sale" || criterion == "purchase" || criterion == "unchecked") {
        c.AmountRange = criterion != "unchecked";
        c.Kind = criterion == "purchase" ? QStringLiteral("采购开单") : QStringLiteral("销售开单");
        c.AmountFrom = range[0];
        c.AmountTo = range[1];
    }
    QCOMPARE(BillQueryText(c, QString()), BillBase + clauses);
}

void TestReportQueries::billClauseOrderWithEveryCriterion() {
    BillCriteria c;
    c.Kind = QStringLiteral("采购开单");
    c.DateRange = true;
    c.From = QDate(2024, 1, 1);
    c.To = QDate(2024, 1, 31);
    c.AmountRange = true;
    c.AmountFrom = QStringLiteral("100");
    c.AmountTo = QStringLiteral("500");
    c.Reason = QStringLiteral("商品采购");
    c.State = QStringLiteral("已完成");
    c.Customer = QStringLiteral("华");
    c.Remark = QStringLiteral("急");
    c.Serial = QStringLiteral("CG");
    c.Man = QStringLiteral("李四");
    const QString filter = QStringLiteral(" And (BillMan = '李四')");
    QCOMPARE(BillQueryText(c, filter),
             BillBase + filter +
                 " And (BillCreateTime Between #2024-01-01# And #2024-01-31#)"
                 " And (BillSum <= -100) And (BillSum >= -500)"
                 " And (BillReason = '商品采购') And (BillState = '已完成') And (BillKind = '采购开单')"
                 " And (InStr(BillUser,'华')) And (InStr(BillRemark,'急')) And (InStr(BillSerial,'CG'))"
                 " And (InStr(BillMan,'李四'))");
}

void TestReportQueries::moneyClauses_data() {
    QTest::addColumn<QString>("criterion");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("clauses");
    QTest::newRow("nothing chosen") << ""
                                    << ""
                                    << "";
    QTest::newRow("receipts are 0 or more") << "kind"
                                            << "财务收入单"
                                            << " And (MoneySum >= 0)";
    QTest::newRow("payments are below 0") << "kind"
                                          << "财务支出单"
                                          << " And (MoneySum < 0)";
    QTest::newRow("kind 所有") << "kind"
                               << "所有"
                               << "";
    QTest::newRow("account") << "account"
                             << "现金"
                             << " And (AccountName = '现金')";
    QTest::newRow("account 所有") << "account"
                                  << "所有"
                                  << "";
    QTest::newRow("reason") << "reason"
                            << "货款"
                            << " And (MoneyReason = '货款')";
    QTest::newRow("type") << "type"
                          << "预收款"
                          << " And (MoneyType = '预收款')";
    QTest::newRow("token") << "token"
                           << "发票"
                           << " And (MoneyToken = '发票')";
    QTest::newRow("customer part") << "customer"
                                   << "东方"
                                   << " And (InStr(MoneyUser,'东方'))";
    QTest::newRow("remark with quote") << "remark"
                                       << "'"
                                       << " And (InStr(MoneyRemark,''''))";
    QTest::newRow("serial") << "serial"
                            << "SK"
                            << " And (InStr(MoneySerial,'SK'))";
    QTest::newRow("salesman") << "man"
                              << "王五"
                              << " And (InStr(MoneyMan,'王五'))";
    QTest::newRow("dates") << "dates"
                           << "2024-03-01..2024-03-31"
                           << " And (MoneyCreateTime Between #2024-03-01# And #2024-03-31#)";
    QTest::newRow("receipt range") << "receipt"
                                   << "100..500"
                                   << " And (MoneySum >= 100) And (MoneySum <= 500) And (MoneySum >= 0)";
    QTest::newRow("payment range becomes negative")
        << "payment"
        << "100..500"
        << " And (MoneySum <= -100) And (MoneySum >= -500) And (MoneySum < 0)";
    QTest::newRow("payment to only") << "payment"
                                     << "..500"
                                     << " And (MoneySum >= -500) And (MoneySum < 0)";
}

void TestReportQueries::moneyClauses() {
    QFETCH(QString, criterion);
    QFETCH(QString, value);
    QFETCH(QString, clauses);
    MoneyCriteria c;
    const QStringList range = value.split(QStringLiteral(".."));
    if (criterion == "kind")
        c.Kind = value;
    else if (criterion == "account")
        c.Account = value;
    else if (criterion == "reason")
        c.Reason = value;
    else if (criterion == "type")
        c.Type = value;
    else if (criterion == "token")
        c.Token = value;
    else if (criterion == "customer")
        c.Customer = value;
    else if (criterion == "remark")
        c.Remark = value;
    else if (criterion == "serial")
        c.Serial = value;
    else if (criterion == "man")
        c.Man = value;
    else if (criterion == "dates") {
        c.DateRange = true;
        c.From = QDate::fromString(range[0], Qt::ISODate);
        c.To = QDate::fromString(range[1], Qt::ISODate);
    } else if (criterion == "receipt" || criterion == "payment") {
        c.AmountRange = true;
        c.Kind = criterion == "payment" ? QStringLiteral("财务支出单") : QStringLiteral("财务收入单");
        c.AmountFrom = range[0];
        c.AmountTo = range[1];
    }
    QCOMPARE(MoneyQueryText(c, QString()), MoneyBase + clauses);
}

void TestReportQueries::moneyClauseOrderWithEveryCriterion() {
    MoneyCriteria c;
    c.Kind = QStringLiteral("财务支出单");
    c.DateRange = true;
    c.From = QDate(2024, 1, 1);
    c.To = QDate(2024, 1, 31);
    c.AmountRange = true;
    c.AmountFrom = QStringLiteral("100");
    c.AmountTo = QStringLiteral("500");
    c.Account = QStringLiteral("现金");
    c.Reason = QStringLiteral("商品采购");
    c.Type = QStringLiteral("货款");
    c.Token = QStringLiteral("收据");
    c.Customer = QStringLiteral("华");
    c.Remark = QStringLiteral("急");
    c.Serial = QStringLiteral("FK");
    c.Man = QStringLiteral("王五");
    const QString filter = QStringLiteral(" And (MoneyMan = '王五')");
    QCOMPARE(MoneyQueryText(c, filter),
             MoneyBase + filter +
                 " And (MoneyCreateTime Between #2024-01-01# And #2024-01-31#)"
                 " And (MoneySum <= -100) And (MoneySum >= -500)"
                 " And (AccountName = '现金') And (MoneyReason = '商品采购') And (MoneyType = '货款')"
                 " And (MoneyToken = '收据') And (MoneySum < 0)"
                 " And (InStr(MoneyUser,'华')) And (InStr(MoneyRemark,'急')) And (InStr(MoneySerial,'FK'))"
                 " And (InStr(MoneyMan,'王五'))");
}

void TestReportQueries::monthQueriesCoverTheWorkingMonth_data() {
    QTest::addColumn<QDate>("working");
    QTest::addColumn<QString>("range");
    QTest::newRow("31 January") << QDate(2024, 1, 31) << "#2024-01-01# And #2024-01-31#";
    QTest::newRow("15 February, leap year") << QDate(2024, 2, 15) << "#2024-02-01# And #2024-02-29#";
    QTest::newRow("1 February, common year") << QDate(2023, 2, 1) << "#2023-02-01# And #2023-02-28#";
    QTest::newRow("December") << QDate(2023, 12, 31) << "#2023-12-01# And #2023-12-31#";
}

void TestReportQueries::monthQueriesCoverTheWorkingMonth() {
    QFETCH(QDate, working);
    QFETCH(QString, range);
    // The quick queries take no criteria at all, and the document one has no (BillIndex > 1).
    const QString bill = BillMonthQueryText(working);
    QCOMPARE(bill, BillBase.left(BillBase.indexOf(QStringLiteral("(BillIndex > 1)"))) +
                       "(BillCreateTime Between " + range + ")");
    QCOMPARE(MoneyMonthQueryText(working), MoneyBase + " And (MoneyCreateTime Between " + range + ")");
}

void TestReportQueries::runTextsAddRoleAndOrder() {
    const QString filter = QStringLiteral(" And (BillMan = '张三')");
    QCOMPARE(BillReportRunText(QStringLiteral("B"), filter, 0),
             "B" + filter + " Order By BillCreateTime,BillIndex");
    QCOMPARE(BillReportRunText(QStringLiteral("B"), QString(), 1),
             QStringLiteral("B Order By BillUser,BillCreateTime,BillIndex"));
    QCOMPARE(BillReportRunText(QStringLiteral("B"), QString(), 2),
             QStringLiteral("B Order By BillSum Desc,BillCreateTime,BillIndex"));
    const QString money = QStringLiteral(" And (MoneyMan = '张三')");
    QCOMPARE(MoneyReportRunText(QStringLiteral("M"), money, 0),
             "M" + money + " Order By MoneyCreateTime,MoneyIndex");
    QCOMPARE(MoneyReportRunText(QStringLiteral("M"), QString(), 1),
             QStringLiteral("M Order By AccountName,MoneyCreateTime,MoneyIndex"));
    QCOMPARE(MoneyReportRunText(QStringLiteral("M"), QString(), 2),
             QStringLiteral("M Order By MoneySum Desc,MoneyCreateTime,MoneyIndex"));
}

void TestReportQueries::amountBoxes_data() {
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<int>("refused");
    QTest::newRow("both empty") << ""
                                << "" << 0;
    QTest::newRow("whole numbers") << "100"
                                   << "500" << 0;
    QTest::newRow("decimals") << "0.5"
                              << "12.25" << 0;
    QTest::newRow("point at the end") << "5."
                                      << "" << 0;
    QTest::newRow("two points in from") << "1.2.3"
                                        << "500" << 1;
    QTest::newRow("two points in to") << "100"
                                      << "1.2.3" << 2;
    QTest::newRow("a lone point") << "."
                                  << "" << 1;
    QTest::newRow("a minus sign") << "-5"
                                  << "" << 1;
    QTest::newRow("letters in to") << ""
                                   << "12a" << 2;
    QTest::newRow("too long for a number") << QString(400, QLatin1Char('9')) << "" << 1;
    QTest::newRow("from is checked first") << "x"
                                           << "y" << 1;
}

void TestReportQueries::amountBoxes() {
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(int, refused);
    QCOMPARE(RefusedAmountBox(from, to), refused);
}

void TestReportQueries::accountStatements_data() {
    QTest::addColumn<int>("period");
    QTest::addColumn<QDate>("working");
    QTest::addColumn<QString>("tail");
    QTest::newRow("month, 31 January") << int(StatementPeriod::Month) << QDate(2024, 1, 31)
                                       << ") And (MoneyCreateTime Between #2024-01-01# And #2024-01-31#)";
    QTest::newRow("month, leap February") << int(StatementPeriod::Month) << QDate(2024, 2, 15)
                                          << ") And (MoneyCreateTime Between #2024-02-01# And #2024-02-29#)";
    QTest::newRow("year") << int(StatementPeriod::Year) << QDate(2024, 2, 15)
                          << ") And (MoneyCreateTime Between #2024-01-01# And #2024-12-31#)";
    QTest::newRow("all") << int(StatementPeriod::All) << QDate(2024, 2, 15) << ")";
}

void TestReportQueries::accountStatements() {
    QFETCH(int, period);
    QFETCH(QDate, working);
    QFETCH(QString, tail);
    QCOMPARE(AccountStatementText(7, StatementPeriod(period), working),
             QStringLiteral(
                 "Select MoneyIndex,MoneySerial,MoneyCreateTime,AccountName,MoneyUser,MoneyIn,MoneyOut,"
                 "MoneySum,MoneyMan,MoneyReason,MoneyType,MoneyToken,MoneyRemark From Account,MoneyTable "
                 "Where (AccountIndex = MoneyAccount) And (MoneyAccount = 7") +
                 tail);
}

QTEST_MAIN(TestReportQueries)
#include "tst_reportqueries.moc"
