#include "ReportFixture.h"
#include "documents/BuySellForm.h"
#include "finance/GetPayForm.h"
#include "foundation/IniFile.h"
#include "foundation/JetSql.h"
#include "foundation/ShareDM.h"
#include "kit/report/ReportPreview.h"
#include "mainwindow/MainForm.h"
#include "reports/ReportQueries.h"
#include "support/PaperCheck.h"

#include <QAction>
#include <QComboBox>
#include <QFileInfo>
#include <QTest>

// Every shipped template prints the largest amounts and long names whole: each character of
// each text, as written to PDF by the program's print path, lies inside its own cell.
class TestPaperFit : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void wholeOnPaper_data();
    void wholeOnPaper();

private:
    std::unique_ptr<TestProgram> program;
};

namespace {

const QString LongCustomer = QStringLiteral("北京岚峰商业贸易发展有限责任公司第一分公司");
const QString LongAccount = QStringLiteral("中国工商银行北京海淀支行基本户");
const QString LongRemark = QStringLiteral("客户要求分三批发货，首批月底前送达");

// Books with the largest amounts a document or voucher realistically carries, and list totals
// of ten times that, in February 2024.
void FillLargeBook(TestProgram& program) {
    program.Exec(QStringLiteral("Insert Into Account (AccountIndex, AccountName, AccountBase, AccountMan) "
                                "Values (2, %1, 999999999.99, '财务主管'), (3, '现金', -999999999.99, "
                                "'财务主管')")
                     .arg(SqlText(LongAccount)));
    program.Exec(QStringLiteral("Insert Into Customer (CustomerName, CustomerOwe, CustomerMan) Values "
                                "(%1, -999999999.99, '欧阳建国'), ('东方商贸', 999999999.99, '欧阳建国')")
                     .arg(SqlText(LongCustomer)));
    QStringList bills;
    for (int i = 0; i < 12; ++i) {
        const bool sale = i % 4 != 3;
        bills << QStringLiteral(
                     "(%1, %2, 'XS2024020%3', '2024-02-%4 10:2%5:00', %6, %7, '商品销售', '部分收款', "
                     "%8, '欧阳建国')")
                     .arg(i + 2)
                     .arg(SqlText(sale ? QStringLiteral("销售开单") : QStringLiteral("采购开单")))
                     .arg(100 + i)
                     .arg(i + 1, 2, 10, QLatin1Char('0'))
                     .arg(i % 10)
                     .arg(SqlText(i % 2 ? QStringLiteral("东方商贸") : LongCustomer))
                     .arg(sale ? QStringLiteral("999999999.99") : QStringLiteral("-999999999.99"))
                     .arg(SqlText(LongRemark));
    }
    program.Exec(
        QStringLiteral("Insert Into Bill (BillIndex, BillKind, BillSerial, BillCreateTime, BillUser, "
                       "BillSum, BillReason, BillState, BillRemark, BillMan) Values ") +
        bills.join(QStringLiteral(", ")));
    // Document 2 (a sale of 999,999,999.99 to the long name): two receipts and a refund; document 5
    // (a purchase): one payment. Three more vouchers without a document.
    QStringList vouchers;
    const struct {
        int Bill;
        int Account;
        double Sum;
    } money[] = {{2, 2, 999999999.99}, {2, 3, 888888888.88},  {2, 2, -999999999.99}, {5, 2, -999999999.99},
                 {0, 2, 999999999.99}, {0, 3, -999999999.99}, {0, 2, 999999999.99}};
    int index = 2;
    for (const auto& m : money) {
        vouchers << QStringLiteral("(%1, %2, %3, '%4K2024020%1', '2024-02-%5 16:45:00', %6, '商品销售', "
                                   "'货款', '增值税发票', %7, '欧阳建国', %8, %9, %10)")
                        .arg(index)
                        .arg(m.Account)
                        .arg(m.Bill)
                        .arg(m.Sum >= 0 ? QLatin1Char('S') : QLatin1Char('F'))
                        .arg(index + 1, 2, 10, QLatin1Char('0'))
                        .arg(SqlText(index % 2 ? QStringLiteral("东方商贸") : LongCustomer))
                        .arg(SqlText(LongRemark))
                        .arg(SqlNumber(m.Sum > 0 ? m.Sum : 0.0))
                        .arg(SqlNumber(m.Sum < 0 ? -m.Sum : 0.0))
                        .arg(SqlNumber(m.Sum));
        ++index;
    }
    program.Exec(
        QStringLiteral("Insert Into MoneyTable (MoneyIndex, MoneyAccount, MoneyBill, MoneySerial, "
                       "MoneyCreateTime, MoneyUser, MoneyReason, MoneyType, MoneyToken, MoneyRemark, "
                       "MoneyMan, MoneyIn, MoneyOut, MoneySum) Values ") +
        vouchers.join(QStringLiteral(", ")));
}

} // namespace

void TestPaperFit::init() {
    program = std::make_unique<TestProgram>();
    FillLargeBook(*program);
    FormMain->SetWorkingDate(QDate(2024, 2, 15));
}

void TestPaperFit::cleanup() {
    program.reset();
}

void TestPaperFit::wholeOnPaper_data() {
    QTest::addColumn<QString>("print");
    QTest::addColumn<QString>("templateFile");
    QTest::newRow("sale") << "bill 2"
                          << "Bill.frf";
    QTest::newRow("purchase") << "bill 5"
                              << "Bill.frf";
    QTest::newRow("receipt") << "voucher 2"
                             << "Money.frf";
    QTest::newRow("payment") << "voucher 4"
                             << "Money.frf";
    QTest::newRow("document list portrait") << "bills 纵向打印"
                                            << "BillReport.frf";
    QTest::newRow("document list landscape") << "bills 横向打印"
                                             << "BillReport2.frf";
    QTest::newRow("voucher list portrait") << "vouchers 纵向打印"
                                           << "MoneyReport.frf";
    QTest::newRow("voucher list landscape") << "vouchers 横向打印"
                                            << "MoneyReport2.frf";
    QTest::newRow("customer month") << "customers"
                                    << "CustomerMonth.frf";
    QTest::newRow("account month") << "accounts"
                                   << "MoneyMonth.frf";
}

void TestPaperFit::wholeOnPaper() {
    QFETCH(QString, print);
    QFETCH(QString, templateFile);
    const QStringList words = print.split(QLatin1Char(' '));
    const QString what = words.first();
    const QString argument = words.value(1);
    if (what == QLatin1String("bills") || what == QLatin1String("vouchers")) {
        QVERIFY(
            WriteIniString(QStringLiteral("Kestrel"), QStringLiteral("PrintType"), argument, IniFileName));
        FormMain->FillBillReport(BillQueryText(BillCriteria(), QString()));
        FormMain->FillMoneyReport(MoneyQueryText(MoneyCriteria(), QString()));
    }
    bool shown = false;
    program->Prompts().QueueModal([&](QDialog* dialog) {
        auto* preview = qobject_cast<ReportPreview*>(dialog);
        QVERIFY(preview);
        const PreparedReport& report = *preview->Prepared();
        QCOMPARE(QFileInfo(report.Template().FileName).fileName(), templateFile);
        shown = true;
        preview->resize(1100, 820);
        SaveScreenshot(preview,
                       QStringLiteral("paperfit_%1.png").arg(QString::fromUtf8(QTest::currentDataTag())));
        CheckWholeOnPaper(
            report,
            QStringLiteral("paperfit_") +
                QString::fromUtf8(QTest::currentDataTag()).replace(QLatin1Char(' '), QLatin1Char('_')));
    });
    if (what == QLatin1String("bill")) {
        FormBuySell->OpenMode = QStringLiteral("修改");
        FormBuySell->OpenBillIndex = argument.toInt();
        FormBuySell->RefreshVoucherList();
        FormBuySell->ActionPrintExecute();
    } else if (what == QLatin1String("voucher")) {
        FormGetPay->OpenMoneyIndex = argument.toInt();
        FormGetPay->ActionPrintExecute();
    } else if (what == QLatin1String("bills")) {
        FormMain->ActionPrintBillReport->trigger();
    } else if (what == QLatin1String("vouchers")) {
        FormMain->ActionPrintMoneyReport->trigger();
    } else if (what == QLatin1String("customers")) {
        FormMain->ActionCustomerReport->trigger();
    } else {
        FormMain->ActionAccountReport->trigger();
    }
    QVERIFY2(shown, qPrintable(program->Prompts().Texts().join(QLatin1Char('|'))));
    QVERIFY2(program->Prompts().Texts().isEmpty(),
             qPrintable(program->Prompts().Texts().join(QLatin1Char('|'))));
}

QTEST_MAIN(TestPaperFit)
#include "tst_paperfit.moc"
