#include "foundation/Query.h"
#include "foundation/ShareDM.h"
#include "reports/AnalysisCharts.h"
#include "reports/ReportQueries.h"
#include "support/TestSupport.h"

#include <QTest>

// The computation of the analysis charts and figures, on documents stored in a fresh database and
// read back through the analysis query, without drawing anything.
class TestAnalysisCharts : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void periodLabels_data();
    void periodLabels();
    void measures_data();
    void measures();
    void defaultBarIsTheNetOfTheWorkingMonth();
    void onlyTheTwentyLargestAreDrawn();
    void fortyDaysWithThirtyDocuments();
    void startAfterEndGivesOneEmptyPeriod();
    void monthAndYearPeriods();
    void documentsWithoutSalesmanBelongToNoGroup();
    void customersCountForTheSalesmanOfTheirFirstDocument();
    void emptyResult();
    void missingColumnsGiveEmptyCharts();
    void moreThan65535RecordsAllCount();
    void figures();

private:
    std::unique_ptr<TestProgram> program;
    Query query;
    // Stores documents (kind, date, customer, amount, salesman, reason) and runs the analysis query.
    struct Doc {
        QString Kind;
        QString Date;
        QString User;
        double Sum;
        QString Man;
        QString Reason = QStringLiteral("商品销售");
    };
    void Store(const QList<Doc>& docs);
    void RunAnalysis();
};

void TestAnalysisCharts::init() {
    program = std::make_unique<TestProgram>();
    query.SetConnection(&ShareDataModule->ADOConnection1);
}

void TestAnalysisCharts::cleanup() {
    query.Close();
    program.reset();
}

void TestAnalysisCharts::Store(const QList<Doc>& docs) {
    int serial = 1;
    for (const Doc& d : docs) {
        program->Exec(
            QStringLiteral("Insert Into Bill (BillKind, BillSerial, BillCreateTime, BillUser, BillSum, "
                           "BillMan, BillReason, BillState) Values ('%1', 'D%2', '%3', '%4', %5, "
                           "'%6', '%7', '已完成')")
                .arg(d.Kind)
                .arg(serial++)
                .arg(d.Date, d.User)
                .arg(d.Sum)
                .arg(d.Man, d.Reason));
    }
}

void TestAnalysisCharts::RunAnalysis() {
    const QString base = BillReportSelect() + QStringLiteral("(BillIndex > 1)");
    QVERIFY(OpenSql(query, AnalysisQueryText(base, QString()), QStringLiteral("数据库打开失败")));
}

using Points = std::vector<ChartPoint>;

void TestAnalysisCharts::periodLabels_data() {
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("period");
    QTest::addColumn<QString>("label");
    QTest::newRow("day") << QDate(2008, 3, 5) << DayPeriod << "2008-03-05";
    QTest::newRow("month without leading zero") << QDate(2008, 3, 5) << MonthPeriod << "2008-3";
    QTest::newRow("month of two digits") << QDate(2008, 12, 31) << MonthPeriod << "2008-12";
    QTest::newRow("year") << QDate(2008, 3, 5) << YearPeriod << "2008";
}

void TestAnalysisCharts::periodLabels() {
    QFETCH(QDate, date);
    QFETCH(QString, period);
    QFETCH(QString, label);
    QCOMPARE(PeriodLabel(date, period), label);
}

void TestAnalysisCharts::measures_data() {
    QTest::addColumn<QString>("item");
    QTest::addColumn<qint64>("sales"); // the group of 张三
    QTest::newRow("应收款 halves to even") << "应收款" << qint64(2 + 4 + 100);
    QTest::newRow("实收款") << "实收款" << qint64(2 + 0 + 0);
    QTest::newRow("未收款") << "未收款" << qint64(0 + 4 + 100);
    QTest::newRow("订单数目") << "订单数目" << qint64(3);
    QTest::newRow("客户数目") << "客户数目" << qint64(2);
}

void TestAnalysisCharts::measures() {
    QFETCH(QString, item);
    QFETCH(qint64, sales);
    // 2.5 rounds to 2 and 3.5 to 4 (halves to even); the first document is paid in full.
    Store({{"销售开单", "2024-02-01", "甲", 2.5, "张三"},
           {"销售开单", "2024-02-02", "甲", 3.5, "张三"},
           {"销售开单", "2024-02-03", "乙", 100, "张三"}});
    program->Exec(
        "Insert Into MoneyTable (MoneyAccount, MoneyBill, MoneySerial, MoneyCreateTime, MoneyUser, "
        "MoneyMan, MoneyIn, MoneyOut, MoneySum) Select 0, BillIndex, 'SK1', '2024-02-01', '甲', '张三', "
        "2.5, 0, 2.5 From Bill Where BillSerial = 'D1'");
    RunAnalysis();
    QCOMPARE(MeasureName(item) == item, item == "客户数目" || item == "订单数目");
    const Points points =
        ChartPoints(query, MeasureName(item), QStringLiteral("BillMan"), QDate(), QDate(), true);
    QCOMPARE(points, (Points{{"张三", sales}}));
}

void TestAnalysisCharts::defaultBarIsTheNetOfTheWorkingMonth() {
    Store({{"销售开单", "2024-02-03", "甲", 1000.5, "张三"},          // 1000
           {"采购开单", "2024-02-10 14:30:00", "乙", -300.5, "李四"}, // -300
           {"销售开单", "2024-02-29", "甲", 11.5, "张三"},            // 12
           {"销售开单", "2024-01-31", "甲", 5000, "张三"},
           {"销售开单", "2024-03-01", "甲", 7000, "张三"}});
    RunAnalysis();
    const Points points = ChartPoints(query, MeasureName(QStringLiteral("应收款")), MonthPeriod,
                                      QDate(2024, 2, 1), QDate(2024, 2, 29), false);
    QCOMPARE(points, (Points{{"2024-2", 1000 - 300 + 12}}));
}

void TestAnalysisCharts::onlyTheTwentyLargestAreDrawn() {
    // 25 salesmen; 员工07 and 员工08 have the same value, so they keep their record order.
    QList<Doc> docs;
    for (int i = 1; i <= 25; ++i) {
        const int value = i == 8 ? 700 : i * 100;
        docs << Doc{"销售开单", "2024-02-01", QStringLiteral("客户%1").arg(i, 2, 10, QLatin1Char('0')),
                    double(value), QStringLiteral("员工%1").arg(i, 2, 10, QLatin1Char('0'))};
    }
    Store(docs);
    RunAnalysis();
    const Points points =
        ChartPoints(query, QStringLiteral("BillSum"), QStringLiteral("BillMan"), {}, {}, true);
    QCOMPARE(points.size(), size_t(20));
    QCOMPARE(points.front(), (ChartPoint{"员工25", 2500}));
    for (size_t i = 1; i < points.size(); ++i)
        QVERIFY(points[i - 1].Value >= points[i].Value);
    QCOMPARE(points[17], (ChartPoint{"员工07", 700}));
    QCOMPARE(points[18], (ChartPoint{"员工08", 700}));
    QCOMPARE(points[19], (ChartPoint{"员工06", 600}));
    // Unsorted (the period chart's way), the record order stays.
    const Points unsorted =
        ChartPoints(query, QStringLiteral("BillSum"), QStringLiteral("BillMan"), {}, {}, false);
    QCOMPARE(unsorted.front().Label, QStringLiteral("员工01"));
}

void TestAnalysisCharts::fortyDaysWithThirtyDocuments() {
    // One document on each of the first 10 days and 20 on days 32..40 of a 40-day range.
    const QDate from(2024, 3, 1);
    QList<Doc> docs;
    for (int day = 0; day < 10; ++day)
        docs << Doc{"销售开单", from.addDays(day).toString(Qt::ISODate), "甲", double(day + 1), "张三"};
    for (int i = 0; i < 20; ++i)
        docs << Doc{"销售开单", from.addDays(31 + i % 9).toString(Qt::ISODate), "乙", 1000, "张三"};
    Store(docs);
    RunAnalysis();
    const QDate to = from.addDays(39);
    // 30 records: 31 slots, so the first 31 days are labelled and the later days add nothing.
    const Points all = ChartSlots(query, QStringLiteral("BillSum"), DayPeriod, from, to, false);
    QCOMPARE(all.size(), size_t(31));
    QCOMPARE(all.back().Label, QStringLiteral("2024-03-31"));
    qint64 total = 0;
    for (const ChartPoint& p : all)
        total += p.Value;
    QCOMPARE(total, qint64(55));
    // The first 20 days are drawn, days without documents as 0.
    const Points points = ChartPoints(query, QStringLiteral("BillSum"), DayPeriod, from, to, false);
    QCOMPARE(points.size(), size_t(20));
    for (int day = 0; day < 20; ++day)
        QCOMPARE(points[size_t(day)],
                 (ChartPoint{from.addDays(day).toString(Qt::ISODate), day < 10 ? day + 1 : 0}));
}

void TestAnalysisCharts::startAfterEndGivesOneEmptyPeriod() {
    Store({{"销售开单", "2024-02-10", "甲", 100, "张三"}});
    RunAnalysis();
    for (const QString& period : PeriodItems) {
        const Points points = ChartPoints(query, QStringLiteral("BillSum"), period, QDate(2024, 2, 20),
                                          QDate(2024, 2, 1), false);
        QCOMPARE(points, (Points{{PeriodLabel(QDate(2024, 2, 20), period), 0}}));
    }
}

void TestAnalysisCharts::monthAndYearPeriods() {
    Store({{"销售开单", "2023-12-31", "甲", 10, "张三"},
           {"销售开单", "2024-01-15", "甲", 20, "张三"},
           {"采购开单", "2024-03-31 23:59:59", "乙", -5, "张三"},
           {"销售开单", "2024-04-01", "甲", 40, "张三"}});
    RunAnalysis();
    QCOMPARE(ChartPoints(query, QStringLiteral("BillSum"), MonthPeriod, QDate(2023, 12, 1),
                         QDate(2024, 3, 31), false),
             (Points{{"2023-12", 10}, {"2024-1", 20}, {"2024-2", 0}, {"2024-3", -5}}));
    QCOMPARE(ChartPoints(query, QStringLiteral("订单数目"), YearPeriod, QDate(2023, 1, 1),
                         QDate(2024, 12, 31), false),
             (Points{{"2023", 1}, {"2024", 3}}));
}

void TestAnalysisCharts::documentsWithoutSalesmanBelongToNoGroup() {
    // The record order is by customer: 甲's document without salesman comes first, then 李四's.
    Store({{"销售开单", "2024-02-01", "甲", 500, ""},
           {"销售开单", "2024-02-02", "甲", 30, "李四"},
           {"销售开单", "2024-02-03", "乙", 70, ""},
           {"销售开单", "2024-02-04", "丙", 10, "张三"}});
    RunAnalysis();
    QCOMPARE(ChartPoints(query, QStringLiteral("BillSum"), QStringLiteral("BillMan"), {}, {}, true),
             (Points{{"李四", 30}, {"张三", 10}}));
}

void TestAnalysisCharts::customersCountForTheSalesmanOfTheirFirstDocument() {
    // 甲's earliest document is 张三's; 李四 sold to 甲 later and to 乙 first.
    Store({{"销售开单", "2024-02-05", "甲", 1, "李四"},
           {"销售开单", "2024-02-01", "甲", 1, "张三"},
           {"销售开单", "2024-02-02", "乙", 1, "李四"},
           {"销售开单", "2024-02-03", "乙", 1, "张三"},
           {"销售开单", "2024-02-04", "丙", 1, "张三"}});
    RunAnalysis();
    QCOMPARE(ChartPoints(query, QStringLiteral("客户数目"), QStringLiteral("BillMan"), {}, {}, true),
             (Points{{"张三", 2}, {"李四", 1}}));
}

void TestAnalysisCharts::emptyResult() {
    RunAnalysis();
    QCOMPARE(query.RecordCount(), 0);
    QVERIFY(ChartPoints(query, QStringLiteral("BillSum"), QStringLiteral("BillMan"), {}, {}, true).empty());
    // Periods: at least 20 records' worth of slots, so up to 20 periods of 0 are drawn.
    const Points days = ChartPoints(query, QStringLiteral("BillSum"), DayPeriod, QDate(2024, 2, 1),
                                    QDate(2024, 2, 29), false);
    QCOMPARE(days.size(), size_t(20));
    for (const ChartPoint& p : days)
        QCOMPARE(p.Value, qint64(0));
    QCOMPARE(
        ChartSlots(query, QStringLiteral("BillSum"), DayPeriod, QDate(2024, 2, 1), QDate(2024, 2, 29), false)
            .size(),
        size_t(21));
    // The figures of an empty result are all zero.
    QCOMPARE(FigureTexts(SumFigures(query)), QStringList(9, QStringLiteral("0")));
}

void TestAnalysisCharts::missingColumnsGiveEmptyCharts() {
    Store({{"销售开单", "2024-02-01", "甲", 10, "张三"}});
    QVERIFY(OpenSql(query, "Select BillIndex, BillSum, BillMan From Bill Where BillIndex > 1", "x"));
    QVERIFY(
        ChartPoints(query, QStringLiteral("BillSum"), QStringLiteral("BillReason"), {}, {}, true).empty());
    QVERIFY(ChartPoints(query, QStringLiteral("BillSum"), MonthPeriod, QDate(2024, 2, 1), QDate(2024, 2, 29),
                        false)
                .empty());
    // Without the customer column the customer count is 0.
    QCOMPARE(ChartPoints(query, QStringLiteral("客户数目"), QStringLiteral("BillMan"), {}, {}, true),
             (Points{{"张三", 0}}));
}

void TestAnalysisCharts::moreThan65535RecordsAllCount() {
    // 70,000 documents of three salesmen, one customer each in turn.
    program->Exec("With Recursive n(i) As (Select 0 Union All Select i + 1 From n Where i < 69999) "
                  "Insert Into Bill (BillKind, BillSerial, BillCreateTime, BillUser, BillSum, BillMan) "
                  "Select '销售开单', 'D' || i, '2024-02-' || Case When i % 28 < 9 Then '0' Else '' End || "
                  "(1 + i % 28), "
                  "'客户' || (i % 100), "
                  "1 + i % 3, '员工' || (i % 3) From n");
    RunAnalysis();
    QCOMPARE(query.RecordCount(), 70000);
    // 员工k owns the documents i with i % 3 = k, each of amount 1 + k.
    QCOMPARE(ChartPoints(query, QStringLiteral("订单数目"), QStringLiteral("BillMan"), {}, {}, false),
             (Points{{"员工0", 23334}, {"员工1", 23333}, {"员工2", 23333}}));
    QCOMPARE(ChartPoints(query, QStringLiteral("BillSum"), QStringLiteral("BillMan"), {}, {}, true),
             (Points{{"员工2", 3 * 23333}, {"员工1", 2 * 23333}, {"员工0", 23334}}));
    QCOMPARE(ChartPoints(query, QStringLiteral("BillSum"), MonthPeriod, QDate(2024, 2, 1), QDate(2024, 2, 29),
                         false),
             (Points{{"2024-2", 23334 + 2 * 23333 + 3 * 23333}}));
    // 100 customers in all.
    qint64 customers = 0;
    for (const ChartPoint& p :
         ChartPoints(query, QStringLiteral("客户数目"), QStringLiteral("BillMan"), {}, {}, true))
        customers += p.Value;
    QCOMPARE(customers, qint64(100));
}

void TestAnalysisCharts::figures() {
    Store({{"销售开单", "2024-02-01", "甲", 1000, "张三"},
           {"销售开单", "2024-02-02", "甲", 250.5, "张三"},
           {"采购开单", "2024-02-03", "乙", -300, "李四"}});
    program->Exec(
        "Insert Into MoneyTable (MoneyAccount, MoneyBill, MoneySerial, MoneyCreateTime, MoneyUser, "
        "MoneyMan, MoneyIn, MoneyOut, MoneySum) Select 0, BillIndex, 'M' || BillIndex, BillCreateTime, "
        "BillUser, BillMan, 0, 0, Case When BillSum > 0 Then 400 Else -100 End From Bill "
        "Where BillSerial In ('D1', 'D3')");
    RunAnalysis();
    // Sales: 1250.5 owed, 400 in, 850.5 open; purchases: 300 owed, 100 paid, 200 open.
    QCOMPARE(FigureTexts(SumFigures(query)), (QStringList{"1250.5", "400", "850.5", "300", "100", "200",
                                                          "100",    // 400 - 300
                                                          "950.5",  // 1250.5 - 300
                                                          "300"})); // 400 - 100
}

QTEST_MAIN(TestAnalysisCharts)
#include "tst_analysischarts.moc"
