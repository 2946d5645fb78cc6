#include "ReportFixture.h"
#include "documents/BuySellForm.h"
#include "finance/GetPayForm.h"
#include "foundation/IniFile.h"
#include "foundation/PublicFunction.h"
#include "foundation/ShareDM.h"
#include "kit/DataGrid.h"
#include "kit/report/PageRenderer.h"
#include "kit/report/ReportOutput.h"
#include "kit/report/ReportPreview.h"
#include "mainwindow/MainForm.h"
#include "reports/Printing.h"
#include "reports/ReportQueries.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

// The print paths: the amount in capitals, the document and voucher prints with what they read and
// store, the two list prints in the stored direction, and the direction's setting.
class TestPrinting : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void capitals_data();
    void capitals();
    void saleWithItsVouchers();
    void purchasePrintsWithoutSign();
    void deletedDocumentIsNotPrinted();
    void noBigFontRowStoresNothing();
    void missingTemplateIsReported();
    void voucherPrint_data();
    void voucherPrint();
    void voucherAnswersOnlyMoneyCN();
    void voucherGoneOrUnreadableIsNotPrinted();
    void listTemplateFollowsThePrintType_data();
    void listTemplateFollowsThePrintType();
    void listWithoutResultDoesNothing();
    void longListRepeatsTitlesAndTotals_data();
    void longListRepeatsTitlesAndTotals();
    void printDirectionIsStored();

private:
    // Runs a print and returns the texts of every page of the preview it shows (empty when none;
    // the script then stays queued unused).
    std::vector<QStringList> Preview(const std::function<void()>& print);
    std::unique_ptr<TestProgram> program;
    QString shownTemplate;
};

namespace {

// With KESTREL_SHOTS set to a folder, every preview shown is saved there as a picture of the window
// and as a PDF of its pages, named after the test.
void SavePictures(ReportPreview* preview) {
    const QString folder = qEnvironmentVariable("KESTREL_SHOTS");
    if (folder.isEmpty())
        return;
    QString name = QString::fromLatin1(QTest::currentTestFunction());
    if (QTest::currentDataTag())
        name += QLatin1Char('_') +
                QString::fromUtf8(QTest::currentDataTag()).replace(QLatin1Char(' '), QLatin1Char('_'));
    preview->resize(1100, 820);
    QApplication::processEvents();
    preview->grab().save(QDir(folder).filePath(name + QStringLiteral(".png")));
    QString error;
    WriteReportPdf(*preview->Prepared(), QDir(folder).filePath(name + QStringLiteral(".pdf")), &error);
}

QString Capitals(const char* fen) {
    return AmountToCapitals(QString::fromLatin1(fen));
}

} // namespace

void TestPrinting::init() {
    program = std::make_unique<TestProgram>();
    FillSmallBook(*program);
    FormMain->SetWorkingDate(QDate(2024, 2, 15));
}

void TestPrinting::cleanup() {
    program.reset();
}

std::vector<QStringList> TestPrinting::Preview(const std::function<void()>& print) {
    std::vector<QStringList> pages;
    shownTemplate.clear();
    program->Prompts().QueueModal([&](QDialog* dialog) {
        auto* preview = qobject_cast<ReportPreview*>(dialog);
        QVERIFY(preview);
        const PreparedReport& report = *preview->Prepared();
        shownTemplate = report.Template().FileName;
        SavePictures(preview);
        CheckCatalogue(report);
        for (int page = 0; page < report.PageCount(); ++page) {
            QStringList texts;
            for (const auto& text : PageRenderer::Texts(report, page))
                texts << text.Text;
            pages.push_back(texts);
        }
    });
    print();
    return pages;
}

void TestPrinting::capitals_data() {
    QTest::addColumn<double>("amount");
    QTest::addColumn<QString>("expected");
    QTest::newRow("purchase -1234.5") << -1234.5 << Capitals("123450");
    QTest::newRow("whole 300") << 300.0 << Capitals("30000");
    QTest::newRow("one decimal 12.5") << 12.5 << Capitals("1250");
    QTest::newRow("half a yuan") << 0.5 << Capitals("050");
    QTest::newRow("zero") << 0.0 << Capitals("000");
    QTest::newRow("rounded to fen") << 12.3456 << Capitals("1235");
    QTest::newRow("0.29 is not 28 fen") << 0.29 << Capitals("029");
    // Large amounts keep every digit, written out in full.
    QTest::newRow("12,345,678.90") << 12345678.9
                                   << QStringLiteral(
                                          "壹仟　贰佰　叁拾　肆万　伍仟　陆佰　柒拾　捌元　玖角　零分　");
    QTest::newRow("purchase -999,999,999,999.99")
        << -999999999999.99
        << QStringLiteral(
               "玖仟　玖佰　玖拾　玖亿　玖仟　玖佰　玖拾　玖万　玖仟　玖佰　玖拾　玖元　玖角　玖分　");
}

void TestPrinting::capitals() {
    QFETCH(double, amount);
    QFETCH(QString, expected);
    QCOMPARE(CapitalsOfAmount(amount), expected);
}

void TestPrinting::saleWithItsVouchers() {
    // Sale 2: 1000, received 300 and 200.25.
    FormBuySell->OpenMode = QStringLiteral("修改");
    FormBuySell->OpenBillIndex = 2;
    FormBuySell->RefreshVoucherList();
    const auto pages = Preview([] { FormBuySell->ActionPrintExecute(); });
    QVERIFY2(program->Prompts().Texts().isEmpty(), qPrintable(program->Prompts().Texts().join('|')));
    QCOMPARE(pages.size(), size_t(1));
    QCOMPARE(shownTemplate, program->Folder() + QStringLiteral("Frf/Bill.frf"));
    const QString capitals = Capitals("100000");
    QCOMPARE(program->Scalar("Select BigFontValue From PrintBigFont"), capitals);
    const QStringList& texts = pages[0];
    for (const QString& expected :
         {QStringLiteral("销 售 单"), QStringLiteral("单据编号：XS100001"),
          QStringLiteral("开单日期：2024年2月3日"), QStringLiteral("东方商贸"), QStringLiteral("张三"),
          QStringLiteral("商品销售"), QStringLiteral("已发货"), QStringLiteral("加急"),
          QStringLiteral("¥1000"), QStringLiteral("已收金额"), QStringLiteral("¥500.25"),
          QStringLiteral("未收金额"), QStringLiteral("¥499.75"), capitals, QStringLiteral("SK100001"),
          QStringLiteral("SK100002"), QStringLiteral("200.25"), QStringLiteral("合计（共 2 笔）"),
          QStringLiteral("第 1 页 共 1 页")})
        QVERIFY2(texts.contains(expected),
                 qPrintable(expected + QStringLiteral(" not in ") + texts.join('|')));
    QVERIFY(!texts.contains(QStringLiteral("采 购 单")));
    QVERIFY(program->Prompts().Texts().isEmpty());
}

void TestPrinting::purchasePrintsWithoutSign() {
    // Purchase 3: -300, paid 100.
    FormBuySell->OpenMode = QStringLiteral("修改");
    FormBuySell->OpenBillIndex = 3;
    FormBuySell->RefreshVoucherList();
    const auto pages = Preview([] { FormBuySell->ActionPrintExecute(); });
    QCOMPARE(pages.size(), size_t(1));
    const QStringList& texts = pages[0];
    for (const QString& expected :
         {QStringLiteral("采 购 单"), QStringLiteral("¥300"), QStringLiteral("已付金额"),
          QStringLiteral("¥100"), QStringLiteral("未付金额"), QStringLiteral("¥200"), Capitals("30000"),
          QStringLiteral("FK100001")})
        QVERIFY2(texts.contains(expected),
                 qPrintable(expected + QStringLiteral(" not in ") + texts.join('|')));
    QCOMPARE(program->Scalar("Select BigFontValue From PrintBigFont"), Capitals("30000"));
}

void TestPrinting::deletedDocumentIsNotPrinted() {
    program->Exec("Update PrintBigFont Set BigFontValue = '旧'");
    FormBuySell->OpenMode = QStringLiteral("修改");
    FormBuySell->OpenBillIndex = 2;
    FormBuySell->RefreshVoucherList();
    program->Exec("Delete From Bill Where BillIndex = 2");
    const auto pages = Preview([] { FormBuySell->ActionPrintExecute(); });
    QVERIFY(pages.empty());
    QCOMPARE(program->Prompts().Texts(), QStringList{QStringLiteral("找不到要打印的单据")});
    QCOMPARE(program->Scalar("Select BigFontValue From PrintBigFont"), QStringLiteral("旧"));
}

void TestPrinting::noBigFontRowStoresNothing() {
    program->Exec("Delete From PrintBigFont");
    FormBuySell->OpenMode = QStringLiteral("修改");
    FormBuySell->OpenBillIndex = 4;
    FormBuySell->RefreshVoucherList();
    const auto pages = Preview([] { FormBuySell->ActionPrintExecute(); });
    QCOMPARE(pages.size(), size_t(1));
    QVERIFY(pages[0].contains(QStringLiteral("¥250")));
    QVERIFY(!pages[0].contains(QStringLiteral("合计（共 0 笔）")));
    QCOMPARE(program->Scalar("Select Count(*) From PrintBigFont"), QStringLiteral("0"));
}

void TestPrinting::missingTemplateIsReported() {
    const QString file = program->Folder() + QStringLiteral("Frf/Bill.frf");
    QVERIFY(QFile::remove(file));
    FormBuySell->OpenBillIndex = 2;
    const auto pages = Preview([] { FormBuySell->ActionPrintExecute(); });
    QVERIFY(pages.empty());
    QCOMPARE(program->Prompts().Messages.size(), size_t(1));
    QCOMPARE(program->Prompts().Messages[0].Kind, QStringLiteral("error"));
    QVERIFY2(program->Prompts().LastText().contains(file), qPrintable(program->Prompts().LastText()));
}

void TestPrinting::voucherPrint_data() {
    QTest::addColumn<int>("voucher");
    QTest::addColumn<QStringList>("expected");
    // The capitals stand last in each list.
    QTest::newRow("receipt") << 3
                             << QStringList{"收 款 凭 证",
                                            "凭证编号：SK100002",
                                            "日期：2024年2月5日",
                                            "东方商贸",
                                            "银行",
                                            "商品销售",
                                            "货款",
                                            "发票",
                                            "¥200.25",
                                            "it's paid",
                                            "业务员：张三",
                                            Capitals("20025")};
    QTest::newRow("payment") << 6 << QStringList{"付 款 凭 证", "凭证编号：FK100002", "O'Neil 公司",
                                                 "现金",        "日常费用",           "运杂费",
                                                 "¥450",        Capitals("45000")};
    QTest::newRow("zero counts as receipt") << 5 << QStringList{"收 款 凭 证", "¥0", Capitals("000")};
}

void TestPrinting::voucherPrint() {
    QFETCH(int, voucher);
    QFETCH(QStringList, expected);
    FormGetPay->OpenMoneyIndex = voucher;
    // An amount typed but not saved: the print shows what is stored, the capitals included.
    FormGetPay->Edit2->setText(QStringLiteral("99999"));
    const auto pages = Preview([] { FormGetPay->ActionPrintExecute(); });
    QCOMPARE(pages.size(), size_t(1));
    QCOMPARE(shownTemplate, program->Folder() + QStringLiteral("Frf/Money.frf"));
    for (const QString& text : expected)
        QVERIFY2(pages[0].contains(text), qPrintable(text + QStringLiteral(" not in ") + pages[0].join('|')));
    QCOMPARE(FormGetPay->MoneyCapitals, expected.last());
    QVERIFY(program->Prompts().Texts().isEmpty());
}

void TestPrinting::voucherAnswersOnlyMoneyCN() {
    FormGetPay->MoneyCapitals = QStringLiteral("壹元　零角　零分　");
    QCOMPARE(FormGetPay->frReport1GetValue(QStringLiteral("MoneyCN")), QVariant(FormGetPay->MoneyCapitals));
    for (const char* other : {"MoneyCn", "MoneySum", "MSum", "Page", ""})
        QVERIFY(!FormGetPay->frReport1GetValue(QString::fromLatin1(other)).isValid());

    // A template that names another variable gets nothing for it; MoneyCN is asked while preparing.
    FormGetPay->OpenMoneyIndex = 2;
    QFile file(program->Folder() + QStringLiteral("Frf/Money.frf"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("<Report><Page/><Band type=\"Summary\" height=\"10\">"
               "<Text>[MoneyCN]|[Company]|[frDBDataSet1.MoneySerial]</Text></Band></Report>");
    file.close();
    const auto pages = Preview([] { FormGetPay->ActionPrintExecute(); });
    QCOMPARE(pages.size(), size_t(1));
    QCOMPARE(pages[0], QStringList{Capitals("30000") + QStringLiteral("||SK100001")});
}

void TestPrinting::voucherGoneOrUnreadableIsNotPrinted() {
    // The shared query holds another voucher from before: it must not be printed instead.
    OpenSql(ShareDataModule->ADOQueryTemp, QStringLiteral("Select ABS(MoneySum) As MSum,* From MoneyTable"),
            QStringLiteral("x"));
    FormGetPay->OpenMoneyIndex = 3;
    program->Exec("Delete From MoneyTable Where MoneyIndex = 3");
    auto pages = Preview([] { FormGetPay->ActionPrintExecute(); });
    QVERIFY(pages.empty());
    QCOMPARE(program->Prompts().Texts(), QStringList{QStringLiteral("找不到要打印的单据")});

    program->Prompts().Clear();
    program->Exec("Alter Table MoneyTable Rename To MoneyGone");
    pages = Preview([] { FormGetPay->ActionPrintExecute(); });
    QVERIFY(pages.empty());
    QCOMPARE(program->Prompts().Texts(), QStringList{QStringLiteral("数据库打开失败")});
}

void TestPrinting::listTemplateFollowsThePrintType_data() {
    QTest::addColumn<QString>("stored"); // "-": no key in the file
    QTest::addColumn<bool>("portrait");
    QTest::newRow("missing") << "-" << true;
    QTest::newRow("纵向打印") << "纵向打印" << true;
    QTest::newRow("横向打印") << "横向打印" << false;
    QTest::newRow("misspelt") << "纵向打印机" << false;
    QTest::newRow("empty") << "" << false;
}

void TestPrinting::listTemplateFollowsThePrintType() {
    QFETCH(QString, stored);
    QFETCH(bool, portrait);
    if (stored != QLatin1String("-"))
        QVERIFY(WriteIniString(QStringLiteral("Kestrel"), QStringLiteral("PrintType"), stored, IniFileName));
    FormMain->FillBillReport(BillQueryText(BillCriteria(), QString()));
    auto pages = Preview([] { FormMain->ActionPrintBillReport->trigger(); });
    QCOMPARE(shownTemplate, program->Folder() + (portrait ? QStringLiteral("Frf/BillReport.frf")
                                                          : QStringLiteral("Frf/BillReport2.frf")));
    QCOMPARE(pages.size(), size_t(1));
    FormMain->FillMoneyReport(MoneyQueryText(MoneyCriteria(), QString()));
    pages = Preview([] { FormMain->ActionPrintMoneyReport->trigger(); });
    QCOMPARE(shownTemplate, program->Folder() + (portrait ? QStringLiteral("Frf/MoneyReport.frf")
                                                          : QStringLiteral("Frf/MoneyReport2.frf")));
    QCOMPARE(pages.size(), size_t(1));
    QVERIFY(program->Prompts().Texts().isEmpty());
}

void TestPrinting::listWithoutResultDoesNothing() {
    // Before a query 打印列表 shows no preview and says how to get a result.
    const QString queryFirst = QStringLiteral("还没有查询结果：请先点击 查找单据，再打印列表");
    QVERIFY(!FormMain->BReportADOQuery.Active());
    FormMain->ActionPrintBillReport->trigger();
    FormMain->ActionPrintMoneyReport->trigger();
    QCOMPARE(program->Prompts().Texts(), QStringList({queryFirst, queryFirst}));
    // A query the database refused leaves the result closed: no preview either.
    FormMain->FillBillReport(QStringLiteral("Select Nonsense From Nowhere"));
    program->Prompts().Clear();
    FormMain->ActionPrintBillReport->trigger();
    QCOMPARE(program->Prompts().Texts(), QStringList{queryFirst});
    QCOMPARE(program->Prompts().Messages.size(), size_t(1));
    QCOMPARE(program->Prompts().UnexpectedModals, 0);
}

void TestPrinting::longListRepeatsTitlesAndTotals_data() {
    QTest::addColumn<QString>("direction");
    QTest::addColumn<int>("documents");
    // Both fill three pages.
    QTest::newRow("portrait") << "纵向打印" << 116;
    QTest::newRow("landscape") << "横向打印" << 56;
}

void TestPrinting::longListRepeatsTitlesAndTotals() {
    QFETCH(QString, direction);
    QFETCH(int, documents);
    QVERIFY(WriteIniString(QStringLiteral("Kestrel"), QStringLiteral("PrintType"), direction, IniFileName));
    QString values;
    for (int i = 0; i < documents; ++i) {
        values += QStringLiteral(
                      "%1('销售开单', 'XS%2', '2024-02-%3', '客户%4', %5, '商品销售', '已完成', '', '张三')")
                      .arg(i ? QStringLiteral(", ") : QString())
                      .arg(200000 + i)
                      .arg(i % 28 + 1, 2, 10, QLatin1Char('0'))
                      .arg(i % 7)
                      .arg(i + 0.5);
    }
    program->Exec("Insert Into Bill (BillKind, BillSerial, BillCreateTime, BillUser, BillSum, BillReason, "
                  "BillState, BillRemark, BillMan) Values " +
                  values);
    FormMain->ComboBox2->setCurrentIndex(2); // by amount, descending
    FormMain->FillBillReport(BillQueryText(BillCriteria(), QString()));
    const Query& result = FormMain->BReportADOQuery;
    const auto pages = Preview([] { FormMain->ActionPrintBillReport->trigger(); });
    QCOMPARE(pages.size(), size_t(3));
    const QStringList titles{"创建时间", "单据编号", "单据类型", "客户名称", "单据金额", "已收金额",
                             "未收金额", "业务员",   "业务种类", "业务进度", "备注信息"};
    QStringList serials;
    for (size_t page = 0; page < pages.size(); ++page) {
        const QStringList& texts = pages[page];
        const qsizetype at = texts.indexOf(titles.first());
        QVERIFY(at >= 0);
        QCOMPARE(texts.mid(at, titles.size()), titles);
        QVERIFY(texts.contains(QStringLiteral("第 %1 页 共 3 页").arg(page + 1)));
        for (const QString& text : texts) {
            if (text.startsWith(QLatin1String("XS")) || text.startsWith(QLatin1String("CG")))
                serials << text;
        }
    }
    // Every row once, in the order of the grid.
    QStringList expected;
    for (int row = 0; row < result.RecordCount(); ++row)
        expected << result.ValueAt(row, result.FieldIndex(QStringLiteral("BillSerial"))).toString();
    QCOMPARE(serials, expected);
    QVERIFY(pages[0].contains(QStringLiteral("共 %1 条记录").arg(result.RecordCount())));
    // The total line under the amount columns matches the grid's footer (which shows the same
    // sums with two decimals).
    const QStringList& last = pages.back();
    const qsizetype total = last.indexOf(QStringLiteral("合计"));
    QVERIFY(total >= 0);
    for (int column = 4; column <= 6; ++column) {
        QCOMPARE(last.at(total + column - 3), RoundAmountText(FormMain->DBGridEh2->ShownSum(column)));
        QCOMPARE(AmountCellText(last.at(total + column - 3).toDouble(), false),
                 FormMain->DBGridEh2->FooterText(column));
    }
}

void TestPrinting::printDirectionIsStored() {
    // Only the administrator's settings page stores it.
    CurrentRole = QStringLiteral("总经理");
    FormMain->ComboBox5->setCurrentText(QStringLiteral("横向打印"));
    FormMain->Button15Click();
    QCOMPARE(ReadIniString(QStringLiteral("Kestrel"), QStringLiteral("PrintType"), QStringLiteral("none"),
                           IniFileName),
             QStringLiteral("none"));
    QVERIFY(program->Prompts().Messages.empty());
    CurrentRole = QStringLiteral("管理员");
    FormMain->ComboBox5->setCurrentIndex(0);
    QCOMPARE(FormMain->ComboBox5->currentText(), QStringLiteral("纵向打印"));
    FormMain->ComboBox5->setCurrentText(QStringLiteral("横向打印"));
    QTest::mouseClick(FormMain->Button15, Qt::LeftButton);
    QCOMPARE(ReadPrintType(IniFileName), QStringLiteral("横向打印"));
    QCOMPARE(program->Prompts().LastText(), QStringLiteral("打印方式设置为：横向打印"));
    FormMain->ComboBox5->setCurrentText(QStringLiteral("纵向打印"));
    FormMain->Button15Click();
    QCOMPARE(ReadPrintType(IniFileName), QStringLiteral("纵向打印"));
}

QTEST_MAIN(TestPrinting)
#include "tst_printing.moc"
