#include "EditorScripts.h"
#include "documents/BuySellForm.h"
#include "documents/DocumentRules.h"
#include "finance/GetPayForm.h"
#include "finance/VoucherRules.h"
#include "mainwindow/MainForm.h"
#include "reports/BillReportForm.h"
#include "reports/MoneyReportForm.h"

#include <QComboBox>
#include <QTest>
#include <QToolButton>

// Pick-list values in the editors and criteria windows: every list in the order the values were
// added, and a stored value that its list no longer offers shown and kept on saving.
class TestPickValues : public QObject {
    Q_OBJECT
private slots:
    void listsInTheOrderAdded();
    void documentKeepsStoredValues_data();
    void documentKeepsStoredValues();
    void voucherKeepsStoredValues_data();
    void voucherKeepsStoredValues();
};

namespace {
QStringList Items(const QComboBox* box) {
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items << box->itemText(i);
    return items;
}

// The values of a list as the settings page shows them: in the order added.
QStringList Added(TestProgram& program, int type) {
    return program
        .Joined(QStringLiteral(
                    "Select ParameterValue From Parameter Where ParameterType = %1 Order By ParameterIndex")
                    .arg(type),
                QStringLiteral("|"))
        .split(QLatin1Char('|'));
}
} // namespace

void TestPickValues::listsInTheOrderAdded() {
    TestProgram program;
    // Added last, but first by text.
    program.Exec(
        QStringLiteral("Insert Into Parameter (ParameterType, ParameterValue) Values (1, 'Aardvark'), "
                       "(2, 'Aardvark'), (3, 'Aardvark'), (4, 'Aardvark')"));
    AddAccount(program, QStringLiteral("现金"));
    QStringList document[2], voucher[3], billCriteria[2], moneyCriteria[3];
    program.Prompts().QueueModal(On<TFormBuySell>([&](TFormBuySell* form) {
        document[0] = Items(form->ComboBox2);
        document[1] = Items(form->ComboBox3);
    }));
    FormBuySell->OpenMode = NewMode;
    FormBuySell->OpenKind = SaleKind;
    FormBuySell->OpenBillIndex = 1;
    FormBuySell->OpenCustomerIndex = 0;
    FormBuySell->CustomerFixed = false;
    Prompts::Get().ShowModal(FormBuySell);
    program.Prompts().QueueModal(On<TFormGetPay>([&](TFormGetPay* form) {
        voucher[0] = Items(form->ComboBox2);
        voucher[1] = Items(form->ComboBox3);
        voucher[2] = Items(form->ComboBox4);
    }));
    FormGetPay->OpenMode = NewMode;
    FormGetPay->OpenKind = ReceiptKind;
    Prompts::Get().ShowModal(FormGetPay);
    program.Prompts().QueueModal(On<TFormBillReport>([&](TFormBillReport* form) {
        billCriteria[0] = Items(form->ComboBox2);
        billCriteria[1] = Items(form->ComboBox3);
    }));
    Prompts::Get().ShowModal(FormBillReport);
    program.Prompts().QueueModal(On<TFormMoneyReport>([&](TFormMoneyReport* form) {
        moneyCriteria[0] = Items(form->ComboBox2);
        moneyCriteria[1] = Items(form->ComboBox3);
        moneyCriteria[2] = Items(form->ComboBox4);
    }));
    Prompts::Get().ShowModal(FormMoneyReport);
    QCOMPARE(program.Prompts().PendingScripts(), 0);

    const QStringList all = {QStringLiteral("所有")};
    QCOMPARE(document[0], Added(program, 1));
    QCOMPARE(document[0].first(), QStringLiteral("商品销售")); // a new sale starts with a sale
    QCOMPARE(document[1], Added(program, 4));
    QCOMPARE(voucher[0], Added(program, 1));
    QCOMPARE(voucher[1], Added(program, 2));
    QCOMPARE(voucher[2], Added(program, 3));
    QCOMPARE(billCriteria[0], all + Added(program, 1));
    QCOMPARE(billCriteria[1], all + Added(program, 4));
    QCOMPARE(moneyCriteria[0], all + Added(program, 1));
    QCOMPARE(moneyCriteria[1], all + Added(program, 2));
    QCOMPARE(moneyCriteria[2], all + Added(program, 3));
}

void TestPickValues::documentKeepsStoredValues_data() {
    QTest::addColumn<QString>("column");
    QTest::addColumn<QString>("box");
    QTest::newRow("业务种类 renamed") << "BillReason"
                                      << "ComboBox2";
    QTest::newRow("业务进度 deleted") << "BillState"
                                      << "ComboBox3";
}

void TestPickValues::documentKeepsStoredValues() {
    QFETCH(QString, column);
    QFETCH(QString, box);
    TestProgram program;
    AddCustomer(program, QStringLiteral("老王"));
    const int bill = AddBill(program, QStringLiteral("销售开单"), QStringLiteral("老王"), 200, QString(),
                             FormMain->WorkingDate());
    program.Exec(QStringLiteral("Update Bill Set %1 = '旧的值' Where BillIndex = %2").arg(column).arg(bill));
    const QStringList before =
        RowOf(QStringLiteral("Select BillReason, BillState From Bill Where BillIndex = %1").arg(bill));
    QString shown;
    program.Prompts().QueueModal(On<TFormBuySell>([&](TFormBuySell* form) {
        shown = form->findChild<QComboBox*>(box)->currentText();
        form->SpeedButton4->click(); // no edit password: unlocked at once
        form->Edit2->setText(QStringLiteral("250"));
        form->BitBtn1->click();
    }));
    QVERIFY(FormMain->OpenBillEditor(bill));
    QCOMPARE(shown, QStringLiteral("旧的值"));
    QCOMPARE(program.Scalar(QStringLiteral("Select BillSum From Bill Where BillIndex = %1").arg(bill)),
             QStringLiteral("250"));
    QCOMPARE(RowOf(QStringLiteral("Select BillReason, BillState From Bill Where BillIndex = %1").arg(bill)),
             before);

    // The user may still pick another entry, and that is stored.
    program.Prompts().QueueModal(On<TFormBuySell>([&](TFormBuySell* form) {
        form->SpeedButton4->click();
        form->findChild<QComboBox*>(box)->setCurrentIndex(0);
        form->BitBtn1->click();
    }));
    QVERIFY(FormMain->OpenBillEditor(bill));
    QCOMPARE(program.Scalar(QStringLiteral("Select %1 From Bill Where BillIndex = %2").arg(column).arg(bill)),
             column == QLatin1String("BillReason") ? Added(program, 1).first() : Added(program, 4).first());
}

void TestPickValues::voucherKeepsStoredValues_data() {
    QTest::addColumn<QString>("change"); // makes the stored value one the list does not offer
    QTest::addColumn<QString>("box");
    QTest::newRow("account of another salesman")
        << "Update Account Set AccountMan = '李四' Where AccountName = '银行'"
        << "ComboBox1";
    QTest::newRow("业务种类 renamed") << "Update Parameter Set ParameterValue = '商品销售2' Where "
                                         "ParameterValue = '商品销售'"
                                      << "ComboBox2";
    QTest::newRow("款项类别 deleted") << "Delete From Parameter Where ParameterValue = '货款'"
                                      << "ComboBox3";
    QTest::newRow("款项凭证 deleted")
        << "Delete From Parameter Where ParameterType = 3 And ParameterValue = '现金'"
        << "ComboBox4";
}

void TestPickValues::voucherKeepsStoredValues() {
    QFETCH(QString, change);
    QFETCH(QString, box);
    TestProgram program;
    CurrentUser = QStringLiteral("张三");
    AccountFilter = QStringLiteral(" And (AccountMan = '财务主管' Or AccountMan = '张三')");
    program.Exec(QStringLiteral("Insert Into Account (AccountName, AccountBase, AccountMan) Values "
                                "('现金', 0, '张三'), ('银行', 0, '张三')"));
    const int bank = LastKey(program, QStringLiteral("Account")).toInt();
    const int voucher = AddVoucher(program, bank, 0, QStringLiteral("老王"), 30, QStringLiteral("张三"),
                                   FormMain->WorkingDate());
    const QString columns = QStringLiteral(
        "Select MoneyAccount, MoneyReason, MoneyType, MoneyToken From MoneyTable Where MoneyIndex = %1");
    const QStringList before = RowOf(columns.arg(voucher));
    program.Exec(change);
    QString shown;
    QString stored = RowOf(QStringLiteral("Select AccountName, MoneyReason, MoneyType, MoneyToken From "
                                          "MoneyTable Inner Join Account On MoneyAccount = AccountIndex "
                                          "Where MoneyIndex = %1")
                               .arg(voucher))
                         .at(box.right(1).toInt() - 1);
    program.Prompts().QueueModal(On<TFormGetPay>([&](TFormGetPay* form) {
        shown = form->findChild<QComboBox*>(box)->currentText();
        form->Edit2->setText(QStringLiteral("45"));
        form->BitBtn1->click();
    }));
    QVERIFY(FormMain->OpenMoneyEditor(voucher));
    QCOMPARE(shown, stored);
    QCOMPARE(program.Prompts().LastText(), QStringLiteral("记录修改成功"));
    QCOMPARE(
        program.Scalar(QStringLiteral("Select MoneySum From MoneyTable Where MoneyIndex = %1").arg(voucher)),
        QStringLiteral("45"));
    QCOMPARE(RowOf(columns.arg(voucher)), before);
}

QTEST_MAIN(TestPickValues)
#include "tst_pickvalues.moc"
