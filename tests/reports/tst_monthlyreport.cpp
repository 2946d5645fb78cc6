#include "MonthlyReference.h"
#include "ReportFixture.h"
#include "customers/CustomerForm3.h"
#include "foundation/JetSql.h"
#include "foundation/ShareDM.h"
#include "foundation/StatementHeartbeat.h"
#include "kit/report/PageRenderer.h"
#include "kit/report/ReportPreview.h"
#include "mainwindow/MainForm.h"
#include "reports/MonthlyFigures.h"
#include "reports/ProgressForm.h"
#include "reports/ReportPool.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QTest>
#include <random>

// The customer and account monthly reports: their figures, the PrintReport pool and PrintList
// titles they leave for the template, the progress window, and the grouped computation against
// the per-customer queries it replaces.

namespace {

const QDate Month(2024, 6, 15); // working date: June 2024

using Lines = QList<QStringList>;

// The enabled PrintReport rows in key order: ReportGrid1 to ReportGrid9.
Lines EnabledLines() {
    Query q(&ShareDataModule->ADOConnection1);
    q.Open(EnabledReportLinesSql);
    Lines lines;
    for (q.First(); !q.Eof(); q.Next()) {
        QStringList line;
        for (int i = 1; i <= 9; ++i)
            line << q.FieldByName(QStringLiteral("ReportGrid%1").arg(i)).AsString();
        lines << line;
    }
    return lines;
}

// The first six cells of each line.
Lines Figures(const Lines& lines) {
    Lines figures;
    for (const QStringList& line : lines)
        figures << line.mid(0, 6);
    return figures;
}

Lines ToLines(const std::vector<Monthly::ReportLine>& lines) {
    Lines result;
    for (const Monthly::ReportLine& line : lines)
        result << QStringList(line.begin(), line.end());
    return result;
}

} // namespace

class TestMonthlyReport : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void customerLine_data();
    void customerLine();
    void customersInPageOrderWithTotal();
    void accountLine_data();
    void accountLine();
    void twoAccountsAndTheTotalLine();
    void salesmansAccountList();
    void secondRunWithFewerCustomersEnablesOnlyItsLines();
    void everyCustomerOfALargeListIsPrinted();
    void poolHoldsExactlyTheLines_data();
    void poolHoldsExactlyTheLines();
    void connectionKeepsItsSettingsAfterTheReports();
    void monthTitle_data();
    void monthTitle();
    void titlesWritten();
    void missingPrintListRowIsNotCreated();
    void noCustomerOrAccount();
    void failingListEndsTheRun();
    void failureWhileWritingKeepsThePreviousReport();
    void progressWindowMovesAndCloses();
    void progressWindowIsCentredOnItsOwner();
    void stoppedReportPrintsNothing_data();
    void stoppedReportPrintsNothing();
    void heartbeatBeatsDuringALongStatement();
    void groupedFiguresEqualThePerCustomerQueries_data();
    void groupedFiguresEqualThePerCustomerQueries();
    void previewShowsTheLinesAndTitles_data();
    void previewShowsTheLinesAndTitles();
    void missingTemplateIsReportedAndNothingShown();

private:
    std::unique_ptr<TestProgram> program;
    void Customer(const QString& name, double owe, const QString& man = QStringLiteral("张三"));
    // A sale for a positive amount, a purchase (stored negative) for a negative one.
    void Bill(const QString& user, double sum, const QDate& date);
    void Voucher(const QString& user, double sum, const QDate& date, int account = 2);
    void AccountRow(int index, const QString& name, double base,
                    const QString& man = QStringLiteral("财务主管"));
    // Run a report with its preview answered: the preview's template file and the texts of its
    // pages are kept in shownTemplate and shownPages (empty when no preview was shown).
    Lines RunCustomerReport();
    Lines RunAccountReport();
    void QueuePreview();
    QString shownTemplate;
    std::vector<QStringList> shownPages;
};

void TestMonthlyReport::init() {
    program = std::make_unique<TestProgram>();
    SearchClause.clear();
    FormMain->SetWorkingDate(Month);
    FormMain->ComboBox6->setCurrentIndex(0); // 按编号排
    FormMain->ComboBox7->setCurrentIndex(0); // 按升序排
}

void TestMonthlyReport::cleanup() {
    SearchClause.clear();
    program.reset();
}

void TestMonthlyReport::Customer(const QString& name, double owe, const QString& man) {
    program->Exec(
        QStringLiteral("Insert Into Customer (CustomerName, CustomerOwe, CustomerMan) Values (%1, %2, %3)")
            .arg(SqlText(name), SqlNumber(owe), SqlText(man)));
}

void TestMonthlyReport::Bill(const QString& user, double sum, const QDate& date) {
    program->Exec(
        QStringLiteral("Insert Into Bill (BillKind, BillSerial, BillCreateTime, BillUser, BillSum, BillMan) "
                       "Values (%1, 'XS100001', %2, %3, %4, '张三')")
            .arg(SqlText(sum >= 0 ? QStringLiteral("销售开单") : QStringLiteral("采购开单")),
                 SqlText(StoredDateText(date)), SqlText(user), SqlNumber(sum)));
}

void TestMonthlyReport::Voucher(const QString& user, double sum, const QDate& date, int account) {
    program->Exec(
        QStringLiteral("Insert Into MoneyTable (MoneyAccount, MoneyBill, MoneySerial, MoneyCreateTime, "
                       "MoneyUser, MoneyMan, MoneyIn, MoneyOut, MoneySum) Values (%1, 0, 'SK100001', %2, "
                       "%3, '张三', %4, %5, %6)")
            .arg(SqlNumber(account), SqlText(StoredDateText(date)), SqlText(user),
                 SqlNumber(sum > 0 ? sum : 0.0), SqlNumber(sum < 0 ? -sum : 0.0), SqlNumber(sum)));
}

void TestMonthlyReport::AccountRow(int index, const QString& name, double base, const QString& man) {
    program->Exec(
        QStringLiteral("Insert Into Account (AccountIndex, AccountName, AccountBase, AccountMan) Values "
                       "(%1, %2, %3, %4)")
            .arg(SqlNumber(index), SqlText(name), SqlNumber(base), SqlText(man)));
}

void TestMonthlyReport::QueuePreview() {
    shownTemplate.clear();
    shownPages.clear();
    program->Prompts().QueueModal([this](QDialog* dialog) {
        auto* preview = qobject_cast<ReportPreview*>(dialog);
        QVERIFY(preview);
        preview->resize(1100, 820);
        SaveScreenshot(preview, QStringLiteral("%1_%2.png")
                                    .arg(QString::fromLatin1(QTest::currentTestFunction()),
                                         QString::fromUtf8(QTest::currentDataTag())));
        const PreparedReport& report = *preview->Prepared();
        shownTemplate = report.Template().FileName;
        CheckCatalogue(report);
        for (int page = 0; page < report.PageCount(); ++page) {
            QStringList texts;
            for (const auto& text : PageRenderer::Texts(report, page))
                texts << text.Text;
            shownPages.push_back(texts);
        }
    });
}

Lines TestMonthlyReport::RunCustomerReport() {
    QueuePreview();
    FormMain->ActionCustomerReport->trigger();
    return EnabledLines();
}

Lines TestMonthlyReport::RunAccountReport() {
    QueuePreview();
    FormMain->ActionAccountReport->trigger();
    return EnabledLines();
}

void TestMonthlyReport::customerLine_data() {
    QTest::addColumn<QStringList>("setUp"); // statements run through the fixture's helpers
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("owes 50, sale 200 on the 3rd, receipt 120 on the 10th")
        << QStringList{"owe 甲 50", "bill 甲 200 2024-06-03", "money 甲 120 2024-06-10"}
        << QStringList{"甲", "0", "200", "120", "50", "130"};
    QTest::newRow("supplier: purchase 300 before the month, payment 100 in it")
        << QStringList{"owe 乙 0", "bill 乙 -300 2024-05-20", "money 乙 -100 2024-06-12"}
        << QStringList{"乙", "0", "0", "-100", "-300", "-200"};
    QTest::newRow("no document and no voucher")
        << QStringList{"owe 丙 70"} << QStringList{"丙", "0", "0", "0", "70", "70"};
    QTest::newRow("quote in the name, sale and purchase in the month")
        << QStringList{"owe O'Neil 0", "bill O'Neil 10.5 2024-06-30", "bill O'Neil -4 2024-06-01"}
        << QStringList{"O'Neil", "4", "10.5", "0", "0", "6.5"};
    QTest::newRow("the month's edges: the day before counts as opening, the day after not at all")
        << QStringList{"owe 丁 0", "bill 丁 5 2024-05-31", "bill 丁 7 2024-07-01", "money 丁 2 2024-05-31",
                       "money 丁 9 2024-07-01"}
        << QStringList{"丁", "0", "0", "0", "3", "3"};
    QTest::newRow("names compare without letter case, as the database does")
        << QStringList{"owe Acme 1", "bill ACME 20 2024-06-05", "money acme 8 2024-04-01"}
        << QStringList{"Acme", "0", "20", "0", "-7", "13"};
}

void TestMonthlyReport::customerLine() {
    QFETCH(QStringList, setUp);
    QFETCH(QStringList, expected);
    for (const QString& step : setUp) {
        const QStringList part = step.split(QLatin1Char(' '));
        if (part[0] == QLatin1String("owe"))
            Customer(part[1], part[2].toDouble());
        else if (part[0] == QLatin1String("bill"))
            Bill(part[1], part[2].toDouble(), QDate::fromString(part[3], Qt::ISODate));
        else
            Voucher(part[1], part[2].toDouble(), QDate::fromString(part[3], Qt::ISODate));
    }
    const Lines lines = RunCustomerReport();
    QVERIFY(program->Prompts().Texts().isEmpty());
    QStringList total = expected;
    total[0] = Monthly::TotalCaption;
    QCOMPARE(Figures(lines), (Lines{expected, total}));
    // The three spare cells are empty texts, not nulls.
    QCOMPARE(lines[0].mid(6), (QStringList{"", "", ""}));
    QCOMPARE(
        program->Scalar("Select Count(*) From PrintReport Where ReportGrid7 Is Null And ReportEnable = True"),
        QStringLiteral("0"));
}

void TestMonthlyReport::customersInPageOrderWithTotal() {
    Customer("乙方", 10);
    Customer("甲方", 20, QStringLiteral("李四"));
    Customer("丙方", 30);
    Bill("甲方", 100, QDate(2024, 6, 2));
    // Sorted by name, descending, as page 0 shows them.
    FormMain->ComboBox6->setCurrentIndex(1);
    FormMain->ComboBox7->setCurrentIndex(1);
    Query names(&ShareDataModule->ADOConnection1);
    names.Open("Select CustomerName From Customer Where CustomerIndex > 1 Order By CustomerName Desc");
    QStringList expected;
    for (names.First(); !names.Eof(); names.Next())
        expected << names.FieldByName("CustomerName").AsString();
    expected << Monthly::TotalCaption;
    const Lines lines = RunCustomerReport();
    QStringList got;
    for (const QStringList& line : lines)
        got << line[0];
    QCOMPARE(got, expected);
    QCOMPARE(lines.last().mid(1, 5), (QStringList{"0", "100", "0", "60", "160"}));
}

void TestMonthlyReport::accountLine_data() {
    QTest::addColumn<double>("earlierReceipt"); // dated before the month; 0 for none
    QTest::addColumn<bool>("vouchersInMonth");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("base 1000, receipt 120 and payment 100 in the month")
        << 0.0 << true << QStringList{"现金", "1000", "120", "100", "20", "1020"};
    QTest::newRow("and a receipt of 50 before the month")
        << 50.0 << true << QStringList{"现金", "1050", "120", "100", "20", "1070"};
    QTest::newRow("no voucher at all") << 0.0 << false << QStringList{"现金", "1000", "0", "0", "0", "1000"};
}

void TestMonthlyReport::accountLine() {
    QFETCH(double, earlierReceipt);
    QFETCH(bool, vouchersInMonth);
    QFETCH(QStringList, expected);
    AccountRow(2, "现金", 1000);
    if (earlierReceipt != 0)
        Voucher("甲", earlierReceipt, QDate(2024, 5, 31));
    if (vouchersInMonth) {
        Voucher("甲", 120, QDate(2024, 6, 1));
        Voucher("乙", -100, QDate(2024, 6, 30));
    }
    Voucher("乙", -999, QDate(2024, 7, 1)); // after the month: not counted
    QStringList total = expected;
    total[0] = Monthly::TotalCaption;
    QCOMPARE(Figures(RunAccountReport()), (Lines{expected, total}));
    QVERIFY(program->Prompts().Texts().isEmpty());
}

void TestMonthlyReport::twoAccountsAndTheTotalLine() {
    AccountRow(2, "现金", 1000);
    AccountRow(3, "银行", 200.5);
    Voucher("甲", 120, QDate(2024, 6, 3), 2);
    Voucher("甲", -100, QDate(2024, 6, 4), 2);
    Voucher("乙", -30.25, QDate(2024, 6, 5), 3);
    Voucher("乙", 40, QDate(2024, 5, 5), 3);
    QCOMPARE(Figures(RunAccountReport()),
             (Lines{{"现金", "1000", "120", "100", "20", "1020"},
                    {"银行", "240.5", "0", "30.25", "-30.25", "210.25"},
                    {"总合计", "1240.5", "120", "130.25", "-10.25", "1230.25"}}));
}

void TestMonthlyReport::salesmansAccountList() {
    AccountRow(2, "现金", 1, QStringLiteral("财务主管"));
    AccountRow(3, "张三的卡", 2, QStringLiteral("张三"));
    AccountRow(4, "李四的卡", 4, QStringLiteral("李四"));
    // Vouchers of others count too: a line covers all of its account's vouchers.
    Voucher("甲", 8, QDate(2024, 6, 1), 2);
    SignInAsSalesman(QStringLiteral("张三"));
    QCOMPARE(Figures(RunAccountReport()), (Lines{{"现金", "1", "8", "0", "8", "9"},
                                                 {"张三的卡", "2", "0", "0", "0", "2"},
                                                 {"总合计", "3", "8", "0", "8", "11"}}));
}

void TestMonthlyReport::secondRunWithFewerCustomersEnablesOnlyItsLines() {
    for (const char* name : {"甲", "乙", "丙", "丁"})
        Customer(QString::fromUtf8(name), 1, QStringLiteral("李四"));
    Customer("戊", 5, QStringLiteral("张三"));
    QCOMPARE(RunCustomerReport().size(), 6);
    SignInAsSalesman(QStringLiteral("张三"));
    QCOMPARE(Figures(RunCustomerReport()),
             (Lines{{"戊", "0", "0", "0", "5", "5"}, {"总合计", "0", "0", "0", "5", "5"}}));
    // The lines are the pool's first rows; the rest of the pool stays, disabled.
    QCOMPARE(
        program->Joined("Select ReportIndex From PrintReport Where ReportEnable = True Order By ReportIndex"),
        QStringLiteral("1,2"));
    QCOMPARE(program->Scalar("Select Count(*) From PrintReport"), QStringLiteral("7"));
}

void TestMonthlyReport::everyCustomerOfALargeListIsPrinted() {
    {
        Transaction tx(ShareDataModule->ADOConnection1);
        QSqlQuery insert(ShareDataModule->ADOConnection1.Database());
        insert.prepare("Insert Into Customer (CustomerName, CustomerOwe, CustomerMan) Values (?, 1, '张三')");
        for (int i = 1; i <= 1100; ++i) {
            insert.addBindValue(QStringLiteral("客户%1").arg(i, 4, 10, QLatin1Char('0')));
            QVERIFY(insert.exec());
        }
        tx.Commit();
    }
    const Lines lines = RunCustomerReport();
    QCOMPARE(lines.size(), 1101);
    QCOMPARE(lines[0][0], QStringLiteral("客户0001"));
    QCOMPARE(lines[1099][0], QStringLiteral("客户1100"));
    QCOMPARE(lines[1100].mid(0, 6), (QStringList{"总合计", "0", "0", "0", "1100", "1100"}));
    // The preview prints every line, in order, and the total line last.
    const QRegularExpression name(QStringLiteral("^客户\\d{4}$"));
    QStringList printedNames;
    for (const QStringList& page : shownPages)
        for (const QString& text : page)
            if (name.match(text).hasMatch() || text == Monthly::TotalCaption)
                printedNames << text;
    QCOMPARE(printedNames.size(), 1101);
    for (int i = 0; i < 1101; ++i)
        QCOMPARE(printedNames[i], lines[i][0]);
    QVERIFY(shownPages.size() > 1);
}

// The pool is written many lines per statement: whatever the counts, before and now, the enabled
// rows are the lines in order, cell for cell (an empty cell as empty text), and nothing else.
void TestMonthlyReport::poolHoldsExactlyTheLines_data() {
    QTest::addColumn<int>("before"); // lines of the previous report (0: none)
    QTest::addColumn<int>("lines");
    QTest::newRow("one line on a fresh pool") << 0 << 1;
    QTest::newRow("one short of a statement") << 0 << 199;
    QTest::newRow("a statement exactly") << 0 << 200;
    QTest::newRow("one over a statement") << 0 << 201;
    QTest::newRow("two statements and one over") << 0 << 401;
    QTest::newRow("fewer than before") << 450 << 201;
    QTest::newRow("one after many") << 450 << 1;
    QTest::newRow("more than before") << 199 << 400;
}

void TestMonthlyReport::poolHoldsExactlyTheLines() {
    QFETCH(int, before);
    QFETCH(int, lines);
    DbConnection& connection = ShareDataModule->ADOConnection1;
    const auto make = [](int count, const QString& tag) {
        std::vector<Monthly::ReportLine> made(static_cast<size_t>(count));
        for (int row = 0; row < count; ++row)
            for (int cell = 0; cell < 9; ++cell)
                made[static_cast<size_t>(row)][static_cast<size_t>(cell)] =
                    cell == 6 ? QString() : QStringLiteral("%1'%2-%3").arg(tag).arg(row).arg(cell);
        return made;
    };
    Query shown(&connection);
    if (before > 0)
        FillReportPool(connection, make(before, QStringLiteral("旧")), QStringLiteral("2024年5月份"),
                       QString(), shown);
    const std::vector<Monthly::ReportLine> now = make(lines, QStringLiteral("新"));
    const std::map<QString, QString> titles =
        FillReportPool(connection, now, QStringLiteral("2024年6月份"), QString(), shown);
    QCOMPARE(titles.at(MonthTitleVariable), QStringLiteral("2024年6月份"));
    QCOMPARE(shown.RecordCount(), lines);
    QCOMPARE(EnabledLines(), ToLines(now));
    QCOMPARE(program->Scalar("Select Count(*) From PrintReport Where ReportEnable = True And "
                             "(ReportGrid7 Is Null Or ReportGrid7 <> '')"),
             QStringLiteral("0"));
    // The lines are the pool's first rows; the pool keeps one spare row and whatever it had.
    QCOMPARE(program->Scalar("Select Max(ReportIndex) From PrintReport Where ReportEnable = True"),
             QString::number(lines));
    QCOMPARE(program->Scalar("Select Count(*) From PrintReport"),
             QString::number(std::max(before, lines) + 1));
}

// The reports' passes run with settings of their own (SQLite's default page cache; on a server
// neither compiled nor parallel); the connection's own are set back after them, so the lists and
// grids that follow keep theirs.
void TestMonthlyReport::connectionKeepsItsSettingsAfterTheReports() {
    DbConnection& connection = ShareDataModule->ADOConnection1;
    const bool file = connection.CurrentEngine() == Engine::SQLite;
    const QStringList reads = file ? QStringList{QStringLiteral("PRAGMA cache_size")}
                                   : QStringList{QStringLiteral("SHOW jit"),
                                                 QStringLiteral("SHOW max_parallel_workers_per_gather")};
    if (!file) {
        // Settings other than the passes' own, so that a value left behind shows.
        QSqlQuery(connection.Database()).exec(QStringLiteral("SET jit = on"));
        QSqlQuery(connection.Database()).exec(QStringLiteral("SET max_parallel_workers_per_gather = 3"));
    }
    const auto settings = [&] {
        QStringList values;
        for (const QString& read : reads) {
            QSqlQuery query(connection.Database());
            values << (query.exec(read) && query.next() ? query.value(0).toString() : QStringLiteral("?"));
        }
        return values;
    };
    const QStringList own = settings();
    const QStringList expected =
        file ? QStringList{QStringLiteral("-16384")} : QStringList{QStringLiteral("on"), QStringLiteral("3")};
    QCOMPARE(own, expected);
    Customer(QStringLiteral("甲"), 1);
    Voucher(QStringLiteral("甲"), 5, Month);
    QCOMPARE(Figures(RunCustomerReport()).size(), 2);
    QCOMPARE(settings(), own);
    QCOMPARE(Figures(RunAccountReport()).size(), 2);
    QCOMPARE(settings(), own);
}

void TestMonthlyReport::monthTitle_data() {
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("title");
    QTest::newRow("March 2008") << QDate(2008, 3, 31) << QStringLiteral("2008年3月份");
    QTest::newRow("December") << QDate(2024, 12, 1) << QStringLiteral("2024年12月份");
    QTest::newRow("January") << QDate(2009, 1, 15) << QStringLiteral("2009年1月份");
}

void TestMonthlyReport::monthTitle() {
    QFETCH(QDate, date);
    QFETCH(QString, title);
    QCOMPARE(Monthly::MonthTitle(date), title);
}

void TestMonthlyReport::titlesWritten() {
    Customer("甲", 1);
    AccountRow(2, "现金", 1);
    program->Exec("Update PrintList Set ListValue = '上次的标题' Where ListIndex = 2");
    FormMain->SetWorkingDate(QDate(2008, 3, 10));
    RunAccountReport();
    QCOMPARE(program->Scalar("Select ListValue From PrintList Where ListIndex = 1"),
             QStringLiteral("2008年3月份"));
    // The account report leaves the second title as the customer report last wrote it.
    QCOMPARE(program->Scalar("Select ListValue From PrintList Where ListIndex = 2"),
             QStringLiteral("上次的标题"));
    RunCustomerReport();
    QCOMPARE(program->Scalar("Select ListValue From PrintList Where ListIndex = 2"),
             QStringLiteral("各客户应收款"));
}

void TestMonthlyReport::missingPrintListRowIsNotCreated() {
    Customer("甲", 1);
    program->Exec("Delete From PrintList Where ListIndex = 1");
    QCOMPARE(RunCustomerReport().size(), 2);
    QVERIFY(program->Prompts().Texts().isEmpty());
    QCOMPARE(program->Scalar("Select Count(*) From PrintList Where ListIndex = 1"), QStringLiteral("0"));
    // Printed all the same, the month title empty.
    QVERIFY(!shownPages.empty());
    QVERIFY(shownPages[0].contains(QStringLiteral("月份：")));
    QCOMPARE(program->Scalar("Select ListValue From PrintList Where ListIndex = 2"),
             QStringLiteral("各客户应收款"));
}

void TestMonthlyReport::noCustomerOrAccount() {
    RunCustomerReport();
    QCOMPARE(program->Prompts().Texts(), QStringList{"无客户记录可以统计"});
    program->Prompts().Clear();
    RunAccountReport();
    QVERIFY(program->Prompts().Messages.empty());
    QVERIFY(!FormProgress->isVisible());
    QCOMPARE(program->Scalar("Select Count(*) From PrintReport"), QStringLiteral("0"));
}

void TestMonthlyReport::failingListEndsTheRun() {
    Customer("甲", 1);
    const Lines before = RunCustomerReport();
    bool visibleAtMessage = true;
    program->Prompts().Clear();
    SearchClause = QStringLiteral(" And (NoSuchColumn = 1)");
    FormMain->ActionCustomerReport->trigger();
    visibleAtMessage = FormProgress->isVisible();
    QCOMPARE(program->Prompts().Texts(), QStringList{"刷新客户时出错"});
    QVERIFY(!visibleAtMessage);
    QCOMPARE(EnabledLines(), before);
}

void TestMonthlyReport::failureWhileWritingKeepsThePreviousReport() {
    Customer("甲", 1);
    Bill("甲", 5, QDate(2024, 6, 1));
    const Lines before = RunCustomerReport();
    // The titles cannot be written: the new lines, written before them, must not stay either.
    program->Exec("Drop Table PrintList");
    Customer("乙", 2);
    FormMain->SetWorkingDate(QDate(2024, 7, 1));
    FormMain->ActionCustomerReport->trigger();
    QCOMPARE(program->Prompts().Texts(), QStringList{"数据库打开失败"});
    QVERIFY(!FormProgress->isVisible());
    QCOMPARE(EnabledLines(), before);
    QCOMPARE(program->Scalar("Select Count(*) From PrintReport"), QStringLiteral("3"));
}

void TestMonthlyReport::progressWindowMovesAndCloses() {
    Customer("甲", 1);
    QList<int> values;
    bool visibleThroughout = true;
    bool modal = false;
    connect(FormProgress->ProgressBar1, &QProgressBar::valueChanged, this, [&](int value) {
        values << value;
        if (value == 50)
            SaveScreenshot(FormProgress, QStringLiteral("progress.png"));
        visibleThroughout = visibleThroughout && FormProgress->isVisible();
        modal = modal || FormProgress->isModal() || QApplication::activeModalWidget() != nullptr;
    });
    RunCustomerReport();
    QVERIFY(!values.isEmpty());
    QCOMPARE(values.first(), 25);
    QCOMPARE(values.last(), 100);
    QVERIFY(values.contains(50));
    QVERIFY(std::is_sorted(values.begin(), values.end()));
    QVERIFY(visibleThroughout);
    QVERIFY(!modal);
    QVERIFY(!FormProgress->isVisible());
}

void TestMonthlyReport::progressWindowIsCentredOnItsOwner() {
    QWidget owner;
    owner.setGeometry(100, 120, 800, 600);
    owner.show();
    QVERIFY(QTest::qWaitForWindowExposed(&owner));
    FormProgress->ShowOver(&owner);
    const QPoint centre = FormProgress->geometry().center();
    const QPoint ownerCentre = owner.mapToGlobal(owner.rect().center());
    QVERIFY2((centre - ownerCentre).manhattanLength() <= 2, qPrintable(QStringLiteral("%1,%2 vs %3,%4")
                                                                           .arg(centre.x())
                                                                           .arg(centre.y())
                                                                           .arg(ownerCentre.x())
                                                                           .arg(ownerCentre.y())));
    QVERIFY(FormProgress->isVisible());
    // Creeping moves the bar but never reaches the ceiling.
    FormProgress->SetPosition(50);
    for (int i = 0; i < 100; ++i)
        FormProgress->Creep(60);
    QCOMPARE(FormProgress->ProgressBar1->value(), 59);
    FormProgress->hide();
}

void TestMonthlyReport::heartbeatBeatsDuringALongStatement() {
    DbConnection& connection = ShareDataModule->ADOConnection1;
    // Read as the report's grouped pass reads its rows.
    auto total = [&] {
        Query pass(&connection);
        pass.Open("With Recursive n(x) As (Select 1 Union All Select x + 1 From n Where x < 400000) "
                  "Select Sum(x) From n");
        return pass.Fields(0).AsString();
    };
    int beats = 0;
    {
        StatementHeartbeat heartbeat(
            connection, [&] { ++beats; }, 1);
        QCOMPARE(total(), QStringLiteral("80000200000"));
    }
    QVERIFY2(beats >= 2, qPrintable(QString::number(beats)));
    const int after = beats;
    total();
    QCOMPARE(beats, after);
}

void TestMonthlyReport::groupedFiguresEqualThePerCustomerQueries_data() {
    QTest::addColumn<QDate>("workingDate");
    QTest::newRow("a month in the middle") << QDate(2024, 3, 15);
    QTest::newRow("the first month with data") << QDate(2024, 1, 1);
    QTest::newRow("a month after all data") << QDate(2025, 2, 28);
}

void TestMonthlyReport::groupedFiguresEqualThePerCustomerQueries() {
    QFETCH(QDate, workingDate);
    // A book as a shop enters it: a few hundred counterparts, mostly in date order with
    // back-dated entries, some names with quotes or in other letter case on the documents.
    std::mt19937 random(12);
    auto below = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    QStringList names;
    {
        Transaction tx(ShareDataModule->ADOConnection1);
        QSqlDatabase db = ShareDataModule->ADOConnection1.Database();
        QSqlQuery customer(db), bill(db), money(db), account(db);
        customer.prepare(
            "Insert Into Customer (CustomerName, CustomerOwe, CustomerMan) Values (?, ?, '张三')");
        for (int i = 0; i < 300; ++i) {
            names << (i % 37 == 0 ? QStringLiteral("Shop'%1").arg(i) : QStringLiteral("Firm %1 号").arg(i));
            customer.addBindValue(names.last());
            customer.addBindValue(below(3) == 0 ? below(100000) / 100.0 : 0.0);
            QVERIFY(customer.exec());
        }
        account.prepare(
            "Insert Into Account (AccountName, AccountBase, AccountMan) Values (?, ?, '财务主管')");
        for (int i = 0; i < 6; ++i) {
            account.addBindValue(QStringLiteral("帐户%1").arg(i));
            account.addBindValue(below(1000000) / 100.0);
            QVERIFY(account.exec());
        }
        bill.prepare(
            "Insert Into Bill (BillKind, BillSerial, BillCreateTime, BillUser, BillSum, BillMan) Values "
            "(?, 'XS1', ?, ?, ?, '张三')");
        money.prepare(
            "Insert Into MoneyTable (MoneyAccount, MoneyBill, MoneySerial, MoneyCreateTime, MoneyUser, "
            "MoneyMan, MoneyIn, MoneyOut, MoneySum) Values (?, 0, 'SK1', ?, ?, '张三', ?, ?, ?)");
        const QDate start(2023, 10, 1);
        for (int i = 0; i < 6000; ++i) {
            // Mostly in date order; one entry in eight back-dated by up to two months.
            int day = i * 240 / 6000 - (below(8) == 0 ? below(60) : 0);
            const QString date = StoredDateText(start.addDays(std::max(0, day)));
            QString user = names[below(names.size())];
            if (below(10) == 0)
                user = user.toUpper();
            const double amount = (below(500000) + 1) / 100.0;
            if (i % 5 < 2) {
                const bool sale = below(4) != 0;
                bill.addBindValue(sale ? QStringLiteral("销售开单") : QStringLiteral("采购开单"));
                bill.addBindValue(date);
                bill.addBindValue(user);
                bill.addBindValue(sale ? amount : -amount);
                QVERIFY(bill.exec());
            } else {
                const bool receipt = below(3) != 0;
                money.addBindValue(2 + below(6));
                money.addBindValue(date);
                money.addBindValue(user);
                money.addBindValue(receipt ? amount : 0.0);
                money.addBindValue(receipt ? 0.0 : amount);
                money.addBindValue(receipt ? amount : -amount);
                QVERIFY(money.exec());
            }
        }
        tx.Commit();
    }
    DbConnection& connection = ShareDataModule->ADOConnection1;
    Query list(&connection);
    list.Open(Monthly::CustomerListSql(QString(), QString(), QStringLiteral(" Order By CustomerName")));
    const std::vector<Monthly::Customer> customers = Monthly::ReadCustomers(list);
    QCOMPARE(customers.size(), size_t(300));
    const auto grouped = Monthly::CustomerMonthFigures(connection, customers, workingDate);
    const auto reference = MonthlyReference::CustomerFigures(connection, customers, workingDate);
    QCOMPARE(ToLines(Monthly::CustomerReportLines(grouped)),
             ToLines(Monthly::CustomerReportLines(reference)));
    int withFigures = 0;
    for (size_t i = 0; i < grouped.size(); ++i) {
        QVERIFY(std::abs(grouped[i].Closing - reference[i].Closing) < 1e-6);
        withFigures += grouped[i].Sales != 0 || grouped[i].Money != 0 || grouped[i].Opening != 0;
    }
    QVERIFY(withFigures > 100); // the book really reaches the month or its opening balances

    list.Open(Monthly::AccountListSql(QString()));
    const std::vector<Monthly::Account> accounts = Monthly::ReadAccounts(list);
    QCOMPARE(
        ToLines(Monthly::AccountReportLines(Monthly::AccountMonthFigures(connection, accounts, workingDate))),
        ToLines(Monthly::AccountReportLines(
            MonthlyReference::AccountFigures(connection, accounts, workingDate))));
}

void TestMonthlyReport::previewShowsTheLinesAndTitles_data() {
    QTest::addColumn<bool>("customers");
    QTest::addColumn<QString>("templateFile");
    QTest::addColumn<QStringList>("heading"); // title texts, then the column titles
    QTest::addColumn<QStringList>("line");
    QTest::addColumn<QStringList>("total");
    QTest::newRow("customers") << true << QStringLiteral("Frf/CustomerMonth.frf")
                               << QStringList{"各客户应收款月报表", "月份：2024年6月份", "客户名称",
                                              "本月采购",           "本月销售",          "本月收付款",
                                              "月初应收",           "月末应收"}
                               << QStringList{"甲", "0", "200", "120", "50", "130"}
                               << QStringList{"总合计", "4", "200", "116", "50", "130"};
    QTest::newRow("accounts") << false << QStringLiteral("Frf/MoneyMonth.frf")
                              << QStringList{"帐户收支月报表", "月份：2024年6月份", "帐户名称", "月初余额",
                                             "本月收入",       "本月支出",          "本月净额", "月末余额"}
                              << QStringList{"现金", "1000", "120", "4", "116", "1116"}
                              << QStringList{"总合计", "1000.5", "120", "4", "116", "1116.5"};
}

void TestMonthlyReport::previewShowsTheLinesAndTitles() {
    QFETCH(bool, customers);
    QFETCH(QString, templateFile);
    QFETCH(QStringList, heading);
    QFETCH(QStringList, line);
    QFETCH(QStringList, total);
    Customer("甲", 50);
    Customer("乙", 0);
    AccountRow(2, "现金", 1000);
    AccountRow(3, "银行", 0.5);
    Bill("甲", 200, QDate(2024, 6, 3));
    Voucher("甲", 120, QDate(2024, 6, 10));
    Bill("乙", -4, QDate(2024, 6, 11));
    Voucher("乙", -4, QDate(2024, 6, 12));
    const Lines lines = customers ? RunCustomerReport() : RunAccountReport();
    QVERIFY(program->Prompts().Texts().isEmpty());
    QCOMPARE(program->Prompts().UnexpectedModals, 0);
    QVERIFY(shownTemplate.endsWith(templateFile));
    QCOMPARE(shownPages.size(), size_t(1));
    const QStringList& page = shownPages[0];
    for (const QString& text : heading)
        QVERIFY2(page.contains(text), qPrintable(text));
    // Every pool line is printed once, its cells side by side in column order.
    for (const QStringList& expected : {line, total}) {
        const qsizetype at = page.indexOf(expected[0]);
        QVERIFY2(at >= 0, qPrintable(expected[0]));
        QCOMPARE(page.mid(at, 6), expected);
    }
    QCOMPARE(page.count(Monthly::TotalCaption), 1);
    QCOMPARE(Figures(lines).last(), total);
}

void TestMonthlyReport::missingTemplateIsReportedAndNothingShown() {
    Customer("甲", 1);
    AccountRow(2, "现金", 1);
    QVERIFY(QFile::remove(program->Folder() + QStringLiteral("Frf/MoneyMonth.frf")));
    const Lines lines = RunAccountReport();
    QCOMPARE(lines.size(), 2);
    QCOMPARE(program->Prompts().Texts().size(), 1);
    QVERIFY2(program->Prompts().Texts()[0].contains(QStringLiteral("MoneyMonth.frf")),
             qPrintable(program->Prompts().Texts()[0]));
    QVERIFY(shownPages.empty());
    QVERIFY(!FormProgress->isVisible());
}

void TestMonthlyReport::stoppedReportPrintsNothing_data() {
    QTest::addColumn<bool>("customers");
    QTest::newRow("customer report") << true;
    QTest::newRow("account report") << false;
}

void TestMonthlyReport::stoppedReportPrintsNothing() {
    QFETCH(bool, customers);
    Customer("甲", 1);
    Customer("乙", 2);
    program->Exec("Insert Into Account (AccountName, AccountBase, AccountMan) Values ('现金', 5, '张三')");
    // A finished report first: its lines are what the pool holds.
    const Lines before = customers ? RunCustomerReport() : RunAccountReport();
    QVERIFY(!before.empty());
    program->Prompts().Clear();
    // 取消 while the figures are computed: nothing printed, nothing said, the pool as it was.
    const auto stop = connect(FormProgress->ProgressBar1, &QProgressBar::valueChanged, this, [](int value) {
        if (value == 50)
            FormProgress->CancelButton->click();
    });
    shownTemplate.clear();
    program->Prompts().QueueModal([this](QDialog*) { shownTemplate = QStringLiteral("shown"); });
    (customers ? FormMain->ActionCustomerReport : FormMain->ActionAccountReport)->trigger();
    disconnect(stop);
    QVERIFY(shownTemplate.isEmpty());
    QCOMPARE(program->Prompts().Texts(), QStringList());
    QVERIFY(!FormProgress->isVisible());
    QCOMPARE(EnabledLines(), before);
    program->Prompts().Clear();
    // The next run is not stopped.
    const Lines again = customers ? RunCustomerReport() : RunAccountReport();
    QCOMPARE(again, before);
}

QTEST_MAIN(TestMonthlyReport)
#include "tst_monthlyreport.moc"
