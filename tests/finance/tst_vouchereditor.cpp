#include "documents/EditorScripts.h"
#include "finance/BillForm2.h"
#include "finance/GetPayForm.h"
#include "finance/VoucherRules.h"
#include "foundation/ShareDM.h"
#include "mainwindow/MainForm.h"
#include "support/Books.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QTest>

// The voucher editor: its save checks, the signs it stores, the serial counters, and an existing
// voucher changed and deleted behind the edit password.
class TestVoucherEditor : public QObject {
    Q_OBJECT
private slots:
    void saveChecks_data();
    void saveChecks();
    void checkOrderWithoutWindow();
    void newVoucherSigns_data();
    void newVoucherSigns();
    void voucherEditedRefusedAndDeleted();
    void voucherWithoutItsAccountCannotBeOpened();
    void newVoucherHasNothingToDelete();
    void changedByAnotherWorkstation_data();
    void changedByAnotherWorkstation();
};

namespace {

QString CardText(const QString& name) {
    auto* label = FormMain->findChild<QLabel*>(name);
    return label ? label->text() : QStringLiteral("<no %1>").arg(name);
}

ScriptedPrompts::ModalScript Choose(bool receipt) {
    return On<TFormBill2>(
        [receipt](TFormBill2* chooser) { (receipt ? chooser->GetButton : chooser->PayButton)->click(); });
}

} // namespace

void TestVoucherEditor::saveChecks_data() {
    QTest::addColumn<QString>("beforeShowing"); // SQL run before the editor opens
    QTest::addColumn<QString>("whileOpen");     // SQL run after it opened
    QTest::addColumn<QString>("amount");
    QTest::addColumn<QString>("customer");
    QTest::addColumn<QString>("serial");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("focus");
    const QString bad = QStringLiteral("金额格式有误，请重新输入");
    const QString tooLong = QStringLiteral("金额内容可能有误，请重新输入");
    const QString none;
    QTest::newRow("no account") << "Delete From Account Where AccountIndex > 1" << none << "1"
                                << "甲"
                                << ""
                                << "请选择一个帐户"
                                << "ComboBox1";
    QTest::newRow("no kind") << "Delete From Parameter Where ParameterType = 1" << none << "1"
                             << "甲"
                             << ""
                             << "请选择帐款项目"
                             << "ComboBox2";
    QTest::newRow("empty amount") << none << none << ""
                                  << "甲"
                                  << "" << bad << "Edit2";
    QTest::newRow("-5") << none << none << "-5"
                        << "甲"
                        << "" << bad << "Edit2";
    QTest::newRow("1,000") << none << none << "1,000"
                           << "甲"
                           << "" << bad << "Edit2";
    QTest::newRow("1.2.3") << none << none << "1.2.3"
                           << "甲"
                           << "" << bad << "Edit2";
    QTest::newRow("point alone") << none << none << "."
                                 << "甲"
                                 << "" << bad << "Edit2";
    QTest::newRow("too long for a number") << none << none << QString(400, QLatin1Char('9')) << "甲"
                                           << "" << bad << "Edit2";
    QTest::newRow("12.34567") << none << none << "12.34567"
                              << "甲"
                              << "" << tooLong << "Edit2";
    QTest::newRow("no type") << "Delete From Parameter Where ParameterType = 2" << none << "1"
                             << "甲"
                             << ""
                             << "请选择帐款类别"
                             << "ComboBox3";
    QTest::newRow("no token") << "Delete From Parameter Where ParameterType = 3" << none << "1"
                              << "甲"
                              << ""
                              << "请选择帐款凭证"
                              << "ComboBox4";
    QTest::newRow("account gone") << none << "Delete From Account Where AccountIndex > 1"
                                  << "1"
                                  << "甲"
                                  << ""
                                  << "找不到所需要的帐户"
                                  << "ComboBox1";
    QTest::newRow("account lookup fails") << none << "Drop Table Account"
                                          << "1"
                                          << "甲"
                                          << ""
                                          << "数据库打开失败"
                                          << "Edit2";
    QTest::newRow("no customer") << none << none << "1"
                                 << ""
                                 << ""
                                 << "请选择客户名称"
                                 << "ComboBox5";
    QTest::newRow("customer who is none") << none << none << "1"
                                          << "丙"
                                          << ""
                                          << "请选择客户名称"
                                          << "ComboBox5";
    QTest::newRow("customer deleted while open") << none << "Delete From Customer Where CustomerName = '甲'"
                                                 << "1"
                                                 << "甲"
                                                 << ""
                                                 << "请选择客户名称"
                                                 << "ComboBox5";
    QTest::newRow("serial 12A") << none << none << "1"
                                << "甲"
                                << "12A"
                                << "单据编号格式有误，字母不能在数字后面"
                                << "Edit4";
    QTest::newRow("12.3456 accepted") << none << none << "12.3456"
                                      << "甲'乙"
                                      << "SK7"
                                      << "记录新增成功"
                                      << "";
    QTest::newRow("empty serial accepted") << none << none << "7"
                                           << "甲"
                                           << ""
                                           << "记录新增成功"
                                           << "";
}

void TestVoucherEditor::saveChecks() {
    QFETCH(QString, beforeShowing);
    QFETCH(QString, whileOpen);
    QFETCH(QString, amount);
    QFETCH(QString, customer);
    QFETCH(QString, serial);
    QFETCH(QString, message);
    QFETCH(QString, focus);
    TestProgram program;
    CurrentUser = QStringLiteral("张三");
    AddAccount(program, QStringLiteral("现金"));
    AddCustomer(program, QStringLiteral("甲"));
    AddCustomer(program, QStringLiteral("甲'乙"));
    if (!beforeShowing.isEmpty())
        program.Exec(beforeShowing);
    QString focused;
    program.Prompts().QueueModal(Choose(true));
    program.Prompts().QueueModal(On<TFormGetPay>([&](TFormGetPay* form) {
        if (!whileOpen.isEmpty())
            program.Exec(whileOpen);
        form->Edit2->setText(amount);
        form->ComboBox5->setEditText(customer);
        form->Edit4->setText(serial);
        form->BitBtn1->click();
        focused = form->isVisible() ? FocusOf(form) : QString();
    }));
    const bool stored = FormMain->NewMoney();
    QCOMPARE(program.Prompts().Texts(), QStringList{message});
    QCOMPARE(focused, focus);
    QCOMPARE(stored, focus.isEmpty());
    QCOMPARE(program.Scalar(QStringLiteral("Select Count(*) From MoneyTable Where MoneyIndex > 1")),
             QString::number(stored ? 1 : 0));
    if (stored)
        QCOMPARE(RowOf(QStringLiteral(
                     "Select MoneySum, MoneyUser, MoneySerial From MoneyTable Where MoneyIndex > 1")),
                 QStringList({amount, customer, serial}));
}

void TestVoucherEditor::checkOrderWithoutWindow() {
    // Several faults at once: the first in the fixed order is reported, and the account is looked up
    // only once the list checks passed.
    int lookups = 0;
    auto lookup = [&](const QString&) {
        ++lookups;
        return qint64(0);
    };
    VoucherInput input{QString(), QString(), QStringLiteral("x"),  QString(),
                       QString(), QString(), QStringLiteral("1A"), true};
    QCOMPARE(CheckVoucher(input, lookup, nullptr).Message, QStringLiteral("请选择一个帐户"));
    input.Account = QStringLiteral("现金");
    QCOMPARE(CheckVoucher(input, lookup, nullptr).Message, QStringLiteral("请选择帐款项目"));
    input.Reason = QStringLiteral("货款");
    QCOMPARE(CheckVoucher(input, lookup, nullptr).Message, QStringLiteral("金额格式有误，请重新输入"));
    input.Amount = QStringLiteral("1");
    QCOMPARE(CheckVoucher(input, lookup, nullptr).Message, QStringLiteral("请选择帐款类别"));
    input.Type = input.Token = QStringLiteral("x");
    QCOMPARE(lookups, 0);
    QCOMPARE(CheckVoucher(input, lookup, nullptr).Message, QStringLiteral("找不到所需要的帐户"));
    QCOMPARE(lookups, 1);
    qint64 account = 0;
    const FieldCheck check = CheckVoucher(
        input, [](const QString&) { return qint64(9); }, &account);
    QCOMPARE(check.Message, QStringLiteral("请选择客户名称"));
    QCOMPARE(account, qint64(9));
    input.CustomerEnabled = false; // a fixed customer box cannot take the focus
    QCOMPARE(CheckVoucher(
                 input, [](const QString&) { return qint64(9); }, nullptr)
                 .Focus,
             QString());
}

void TestVoucherEditor::newVoucherSigns_data() {
    QTest::addColumn<bool>("receipt");
    QTest::addColumn<QStringList>("stored"); // MoneyIn, MoneyOut, MoneySum, MoneyBill
    QTest::addColumn<QString>("serial");
    QTest::addColumn<int>("settingRow");
    QTest::addColumn<QString>("picture");
    QTest::newRow("receipt") << true << QStringList{"50", "0", "50", "0"} << "SK100001" << 3 << "NewGet.bmp";
    QTest::newRow("payment") << false << QStringList{"0", "50", "-50", "0"} << "FK100001" << 4
                             << "NewPay.bmp";
}

void TestVoucherEditor::newVoucherSigns() {
    QFETCH(bool, receipt);
    QFETCH(QStringList, stored);
    QFETCH(QString, serial);
    QFETCH(int, settingRow);
    QFETCH(QString, picture);
    TestProgram program;
    CurrentUser = QStringLiteral("张三");
    AddAccount(program, QStringLiteral("现金"), 100);
    AddCustomer(program, QStringLiteral("老王"));
    QString proposed, man, date;
    bool pictureShown = false, deleteHidden = false;
    program.Prompts().QueueModal(Choose(receipt));
    program.Prompts().QueueModal(On<TFormGetPay>([&](TFormGetPay* form) {
        proposed = form->Edit4->text();
        man = form->Edit5->text();
        date = form->DateTimePicker1->date().toString(Qt::ISODate);
        deleteHidden = form->BitBtn3->isHidden() && form->PrintButton->isHidden();
        const QImage expected(ProgramFolder + QStringLiteral("Res/") + picture);
        pictureShown = !expected.isNull() &&
                       form->Image1->pixmap().toImage() == expected.convertToFormat(QImage::Format_RGB32);
        form->ComboBox5->setEditText(QStringLiteral("老王"));
        form->Edit2->setText(QStringLiteral("50"));
        form->BitBtn1->click();
    }));
    QVERIFY(FormMain->NewMoney());
    QCOMPARE(proposed, serial);
    QCOMPARE(man, QStringLiteral("张三"));
    QCOMPARE(date, FormMain->WorkingDate().toString(Qt::ISODate));
    QVERIFY(deleteHidden);
    QVERIFY(pictureShown);
    QCOMPARE(RowOf(QStringLiteral(
                 "Select MoneyIn, MoneyOut, MoneySum, MoneyBill From MoneyTable Where MoneyIndex > 1")),
             stored);
    QCOMPARE(program.Scalar(
                 QStringLiteral("Select SettingValue From Setting Where SettingIndex = %1").arg(settingRow)),
             serial);
    // The chooser refreshed the cards.
    QCOMPARE(CardText(QStringLiteral("MoneyMoney1")), QStringLiteral("50 元"));
    QCOMPARE(CardText(QStringLiteral("AccountMoney1")),
             receipt ? QStringLiteral("150 元") : QStringLiteral("50 元"));
}

void TestVoucherEditor::voucherEditedRefusedAndDeleted() {
    TestProgram program;
    CurrentUser = QStringLiteral("张三");
    SetEditPassword(program, QStringLiteral("pw"));
    const int cash = AddAccount(program, QStringLiteral("现金"));
    AddAccount(program, QStringLiteral("银行"));
    const QDate today = FormMain->WorkingDate();
    const int bill =
        AddBill(program, QStringLiteral("采购开单"), QStringLiteral("供应商"), -100, QString(), today);
    const int voucher =
        AddVoucher(program, cash, bill, QStringLiteral("供应商"), -30, QStringLiteral("李四"), today);
    FormMain->RefreshAll();

    QString amountShown, accountShown, manShown, kind;
    bool deleteShown = false, openAfterRefusal = false;
    QString afterRefusal;
    program.Prompts().QueueModal(On<TFormGetPay>([&](TFormGetPay* form) {
        kind = form->OpenKind;
        amountShown = form->Edit2->text();
        accountShown = form->ComboBox1->currentText();
        manShown = form->Edit5->text();
        deleteShown = !form->BitBtn3->isHidden() && !form->PrintButton->isHidden();
        form->Edit2->setText(QStringLiteral("45"));
        form->ComboBox1->setCurrentText(QStringLiteral("银行"));
        form->BitBtn1->click(); // wrong password: nothing stored, the editor stays open
        openAfterRefusal = form->isVisible();
        afterRefusal = program.Scalar(
            QStringLiteral("Select MoneySum From MoneyTable Where MoneyIndex = %1").arg(voucher));
        form->BitBtn1->click();
    }));
    program.Prompts().QueueModal(AnswerPassword(QStringLiteral("nope")));
    program.Prompts().QueueModal(AnswerPassword(QStringLiteral("pw")));
    QVERIFY(FormMain->OpenMoneyEditor(voucher));
    QCOMPARE(kind, QStringLiteral("财务支出单"));
    QCOMPARE(amountShown, QStringLiteral("30"));
    QCOMPARE(accountShown, QStringLiteral("现金"));
    QCOMPARE(manShown, QStringLiteral("李四"));
    QVERIFY(deleteShown);
    QVERIFY(openAfterRefusal);
    QCOMPARE(afterRefusal, QStringLiteral("-30"));
    QCOMPARE(program.Prompts().Texts(),
             QStringList({QStringLiteral("密码错误，请重新操作"), QStringLiteral("记录修改成功")}));
    // Still a payment, now 45 from the bank; document, record date and author unchanged.
    QCOMPARE(
        RowOf(QStringLiteral("Select MoneyIn, MoneyOut, MoneySum, MoneyAccount, MoneyBill, MoneyRecordTime, "
                             "MoneyMan From MoneyTable Where MoneyIndex = %1")
                  .arg(voucher)),
        QStringList({QStringLiteral("0"), QStringLiteral("45"), QStringLiteral("-45"),
                     QString::number(cash + 1), QString::number(bill), QStringLiteral("2001-02-03"),
                     QStringLiteral("李四")}));
    QCOMPARE(CardText(QStringLiteral("MoneyMoney1")), QStringLiteral("45 元"));
    // The counters are left alone by a change.
    QCOMPARE(program.Scalar(QStringLiteral("Select SettingValue From Setting Where SettingIndex = 4")),
             QStringLiteral("FK100000"));

    // Deleting: wrong password, then the right one with No, then Yes.
    program.Prompts().Clear();
    auto pressDelete = On<TFormGetPay>([](TFormGetPay* form) { form->BitBtn3->click(); });
    program.Prompts().QueueModal(pressDelete);
    program.Prompts().QueueModal(AnswerPassword(QStringLiteral("nope")));
    QVERIFY(!FormMain->OpenMoneyEditor(voucher));
    program.Prompts().QueueModal(pressDelete);
    program.Prompts().QueueModal(AnswerPassword(QStringLiteral("pw")));
    program.Prompts().QueueAnswer(false);
    QVERIFY(!FormMain->OpenMoneyEditor(voucher));
    QCOMPARE(
        program.Scalar(QStringLiteral("Select Count(*) From MoneyTable Where MoneyIndex = %1").arg(voucher)),
        QStringLiteral("1"));
    program.Prompts().QueueModal(pressDelete);
    program.Prompts().QueueModal(AnswerPassword(QStringLiteral("pw")));
    program.Prompts().QueueAnswer(true);
    QVERIFY(FormMain->OpenMoneyEditor(voucher));
    QCOMPARE(
        program.Scalar(QStringLiteral("Select Count(*) From MoneyTable Where MoneyIndex = %1").arg(voucher)),
        QStringLiteral("0"));
    QCOMPARE(program.Prompts().Texts(),
             QStringList({QStringLiteral("密码错误，请重新操作"),
                          QStringLiteral("确实要删除支出单 SK000009（供应商，45.00 元）吗？"),
                          QStringLiteral("确实要删除支出单 SK000009（供应商，45.00 元）吗？")}));
    QCOMPARE(program.Prompts().PendingScripts(), 0);
    // Gone: the card opens nothing.
    QVERIFY(!FormMain->OpenMoneyEditor(voucher));
    QCOMPARE(program.Prompts().LastText(), QStringLiteral("找不到要修改的记录"));
}

void TestVoucherEditor::voucherWithoutItsAccountCannotBeOpened() {
    TestProgram program;
    const int voucher =
        AddVoucher(program, 99, 0, QStringLiteral("甲"), 10, QString(), FormMain->WorkingDate());
    program.Prompts().QueueModal(On<TFormGetPay>([](TFormGetPay*) {}));
    QVERIFY(!FormMain->OpenMoneyEditor(voucher));
    QCOMPARE(program.Prompts().Texts(), QStringList{QStringLiteral("找不到要修改的记录")});
}

void TestVoucherEditor::newVoucherHasNothingToDelete() {
    TestProgram program;
    CurrentUser = QStringLiteral("张三");
    const int cash = AddAccount(program, QStringLiteral("现金"));
    const int voucher =
        AddVoucher(program, cash, 0, QStringLiteral("甲"), 10, QString(), FormMain->WorkingDate());
    // An existing voucher was shown last, so OpenMoneyIndex still names it.
    program.Prompts().QueueModal(On<TFormGetPay>([](TFormGetPay*) {}));
    QVERIFY(!FormMain->OpenMoneyEditor(voucher));
    QCOMPARE(FormGetPay->OpenMoneyIndex, qint64(voucher));
    // A new voucher's delete handler (its button is hidden) must not reach that voucher.
    bool deleteHidden = false;
    program.Prompts().QueueModal(Choose(true));
    program.Prompts().QueueModal(On<TFormGetPay>([&](TFormGetPay* form) {
        deleteHidden = form->BitBtn3->isHidden();
        form->BitBtn3Click();
    }));
    program.Prompts().QueueAnswer(true);
    QVERIFY(!FormMain->NewMoney());
    QVERIFY(deleteHidden);
    QVERIFY(program.Prompts().Texts().isEmpty());
    QCOMPARE(
        program.Scalar(QStringLiteral("Select Count(*) From MoneyTable Where MoneyIndex = %1").arg(voucher)),
        QStringLiteral("1"));
}

void TestVoucherEditor::changedByAnotherWorkstation_data() {
    QTest::addColumn<QString>("otherDoes"); // a statement another workstation runs (%1: the voucher)
    QTest::addColumn<bool>("remove");
    const char* others[][2] = {
        {"change", "Update MoneyTable Set MoneyRemark = '别处' Where MoneyIndex = %1"},
        {"letter case", "Update MoneyTable Set MoneyUser = 'ABC' Where MoneyIndex = %1"},
        {"deletion", "Delete From MoneyTable Where MoneyIndex = %1"},
    };
    for (const auto& other : others) {
        QTest::addRow("save over a %s", other[0]) << QString::fromUtf8(other[1]) << false;
        QTest::addRow("delete over a %s", other[0]) << QString::fromUtf8(other[1]) << true;
    }
}

// Another workstation changes the voucher the editor shows: 保存 and 删除 are refused with the
// message, the editor stays open, and only the other's change is stored.
void TestVoucherEditor::changedByAnotherWorkstation() {
    QFETCH(QString, otherDoes);
    QFETCH(bool, remove);
    TestProgram program;
    CurrentUser = QStringLiteral("张三");
    const int cash = AddAccount(program, QStringLiteral("现金"));
    AddCustomer(program, QStringLiteral("abc"));
    const int voucher = AddVoucher(program, cash, 0, QStringLiteral("abc"), 30, QStringLiteral("李四"),
                                   FormMain->WorkingDate());
    DbConnection other;
    QVERIFY(program.OpenOtherWorkstation(other));
    QStringList before;
    bool open = false;
    program.Prompts().QueueModal(On<TFormGetPay>([&](TFormGetPay* form) {
        Query(&other).ExecSql(otherDoes.arg(voucher));
        before = AllRows(other);
        form->Edit2->setText(QStringLiteral("45"));
        (remove ? form->BitBtn3 : form->BitBtn1)->click(); // no edit password is set
        open = form->isVisible();
    }));
    program.Prompts().QueueAnswer(true);
    QVERIFY(!FormMain->OpenMoneyEditor(voucher));
    QVERIFY(open);
    QCOMPARE(program.Prompts().Texts(), QStringList{QStringLiteral("该记录已被其他用户修改，请刷新后重试")});
    QCOMPARE(AllRows(other), before);
}

QTEST_MAIN(TestVoucherEditor)
#include "tst_vouchereditor.moc"
