#include "documents/BillForm.h"
#include "documents/BuySellForm.h"
#include "documents/EditorScripts.h"
#include "finance/GetPayForm.h"
#include "foundation/PublicFunction.h"
#include "foundation/ShareDM.h"
#include "mainwindow/MainForm.h"
#include "support/Books.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>

// The document editor driven as a user drives it: from the chooser or a card, with the vouchers
// of the document, checked against the stored rows and the refreshed cards.
class TestDocumentEditor : public QObject {
    Q_OBJECT
private slots:
    void newSalePaidInPart();
    void purchaseIsStoredNegativeAndShownWithoutSign();
    void abandonedNewDocumentTakesItsVouchersAlong_data();
    void abandonedNewDocumentTakesItsVouchersAlong();
    void abandonmentThatFailsKeepsEverything();
    void storedDocumentIsLockedUntilThePassword();
    void saveChecks_data();
    void saveChecks();
    void earlyStoreRefused_data();
    void earlyStoreRefused();
    void vouchersOfAStoredPurchase();
    void deletedDocumentLeavesItsVouchers();
    void newDocumentForAFixedCustomer();
    void changedByAnotherWorkstation_data();
    void changedByAnotherWorkstation();
    void earlyStoredDocumentChangedByAnotherWorkstation();
};

namespace {

QString CardText(const QString& name) {
    auto* label = FormMain->findChild<QLabel*>(name);
    return label ? label->text() : QStringLiteral("<no %1>").arg(name);
}

QString Footer(TFormBuySell* form, int column) {
    QTableWidgetItem* item = form->DBGridEh1Footer->item(0, column);
    return item ? item->text() : QString();
}

QString Cell(TFormBuySell* form, int row, int column) {
    QTableWidgetItem* item = form->DBGridEh1->item(row, column);
    return item ? item->text() : QString();
}

bool ShowsPicture(QLabel* label, const QString& file) {
    const QImage expected(ProgramFolder + QStringLiteral("Res/") + file);
    return !expected.isNull() && label->pixmap().toImage() == expected.convertToFormat(QImage::Format_RGB32);
}

// Saves the shown voucher editor with an amount, after recording how it was opened.
struct SeenVoucher {
    QString Kind, Serial, Customer, Reason, Remark, Man;
    qint64 Bill = -1;
};
ScriptedPrompts::ModalScript SaveVoucher(const QString& amount, SeenVoucher* seen = nullptr) {
    return On<TFormGetPay>([amount, seen](TFormGetPay* form) {
        if (seen)
            *seen = {form->OpenKind,
                     form->Edit4->text(),
                     form->ComboBox5->currentText(),
                     form->ComboBox2->currentText(),
                     form->Edit3->text(),
                     form->Edit5->text(),
                     form->OpenBillIndex};
        form->Edit2->setText(amount);
        form->BitBtn1->click();
    });
}

} // namespace

void TestDocumentEditor::newSalePaidInPart() {
    TestProgram program;
    CurrentUser = QStringLiteral("张三");
    AddCustomer(program, QStringLiteral("老王"), QStringLiteral("张三"));
    AddAccount(program, QStringLiteral("现金"), 1000);
    const QDate today = FormMain->WorkingDate();

    QString proposed, dateShown, man, reason, state;
    bool newSellPicture = false;
    qint64 earlyIndex = 0;
    QStringList earlyRow, gridRow, footer;
    SeenVoucher seen;
    program.Prompts().QueueModal(On<TFormBill>([](TFormBill* chooser) { chooser->SellButton->click(); }));
    program.Prompts().QueueModal(On<TFormBuySell>([&](TFormBuySell* form) {
        proposed = form->Edit1->text();
        dateShown = form->DateTimePicker1->date().toString(Qt::ISODate);
        man = form->Edit4->text();
        newSellPicture = ShowsPicture(form->Image1, QStringLiteral("NewSell.bmp"));
        reason = form->ComboBox2->currentText();
        state = form->ComboBox3->currentText();
        form->ComboBox5->setEditText(QStringLiteral("老王"));
        form->Edit2->setText(QStringLiteral("100"));
        form->Button1->click(); // stores the document first, then opens the voucher editor
        earlyIndex = form->OpenBillIndex;
        earlyRow =
            RowOf(QStringLiteral("Select BillUser, BillSum From Bill Where BillIndex = %1").arg(earlyIndex));
        for (int column = 0; column < 6; ++column) {
            gridRow << Cell(form, 0, column);
            footer << Footer(form, column);
        }
        form->Edit3->setText(QStringLiteral("首批货"));
        form->BitBtn1->click();
    }));
    program.Prompts().QueueModal(SaveVoucher(QStringLiteral("60"), &seen));
    QVERIFY(FormMain->NewBill());
    QCOMPARE(program.Prompts().PendingScripts(), 0);

    QCOMPARE(proposed, QStringLiteral("XS100001"));
    QCOMPARE(dateShown, today.toString(Qt::ISODate));
    QCOMPARE(man, QStringLiteral("张三"));
    QVERIFY(newSellPicture);
    QVERIFY(earlyIndex > 1);
    QCOMPARE(earlyRow, QStringList({QStringLiteral("老王"), QStringLiteral("100")}));
    // The voucher editor opened for a receipt of this document.
    QCOMPARE(seen.Kind, QStringLiteral("财务收入单"));
    QCOMPARE(seen.Bill, earlyIndex);
    QCOMPARE(seen.Serial, QStringLiteral("SK100001"));
    QCOMPARE(seen.Customer, QStringLiteral("老王"));
    QVERIFY(!reason.isEmpty() && !state.isEmpty());
    QCOMPARE(seen.Reason, reason);
    QCOMPARE(seen.Remark, QStringLiteral("销售开单：XS100001"));
    QCOMPARE(seen.Man, QStringLiteral("张三"));
    QCOMPARE(gridRow,
             QStringList({today.toString(Qt::ISODate), QStringLiteral("SK100001"), QStringLiteral("现金"),
                          QStringLiteral("60"), QStringLiteral("0"), QStringLiteral("60")}));
    QCOMPARE(footer, QStringList({QStringLiteral("1条"), QString(), QString(), QStringLiteral("60"),
                                  QStringLiteral("0"), QStringLiteral("60")}));
    QCOMPARE(program.Prompts().Texts(),
             QStringList({QStringLiteral("记录新增成功"), QStringLiteral("单据新增成功")}));

    // One document, saved over its early row, and one receipt booked against it.
    QCOMPARE(program.Scalar(QStringLiteral("Select Count(*) From Bill Where BillIndex > 1")),
             QStringLiteral("1"));
    QCOMPARE(RowOf(QStringLiteral(
                 "Select BillIndex, BillKind, BillSerial, BillUser, BillSum, BillReason, BillState, "
                 "BillRemark, BillMan, BillCreateTime From Bill Where BillIndex > 1")),
             QStringList({QString::number(earlyIndex), QStringLiteral("销售开单"), QStringLiteral("XS100001"),
                          QStringLiteral("老王"), QStringLiteral("100"), reason, state,
                          QStringLiteral("首批货"), QStringLiteral("张三"), today.toString(Qt::ISODate)}));
    QCOMPARE(RowOf(QStringLiteral(
                 "Select MoneyBill, MoneyUser, MoneyIn, MoneyOut, MoneySum, MoneySerial, MoneyMan "
                 "From MoneyTable Where MoneyIndex > 1")),
             QStringList({QString::number(earlyIndex), QStringLiteral("老王"), QStringLiteral("60"),
                          QStringLiteral("0"), QStringLiteral("60"), QStringLiteral("SK100001"),
                          QStringLiteral("张三")}));
    // Serials remembered.
    QCOMPARE(program.Scalar(QStringLiteral("Select SettingValue From Setting Where SettingIndex = 1")),
             QStringLiteral("XS100001"));
    QCOMPARE(program.Scalar(QStringLiteral("Select SettingValue From Setting Where SettingIndex = 3")),
             QStringLiteral("SK100001"));

    // The chooser refreshed the cards: 40 still to be received.
    QCOMPARE(CardText(QStringLiteral("BillName1")), QStringLiteral("老王"));
    QCOMPARE(CardText(QStringLiteral("BillMoney1")), QStringLiteral("100 元"));
    QCOMPARE(CardText(QStringLiteral("BillPay1")), QStringLiteral("60 元"));
    QCOMPARE(CardText(QStringLiteral("CustomerName1")), QStringLiteral("老王"));
    QCOMPARE(CardText(QStringLiteral("CustomerOwe1")), QStringLiteral("40 元"));
    QCOMPARE(CardText(QStringLiteral("MoneyMoney1")), QStringLiteral("60 元"));
    QCOMPARE(CardText(QStringLiteral("AccountMoney1")), QStringLiteral("1060 元"));

    // The next sale proposes the next serial; cancelling it stores nothing.
    program.Prompts().QueueModal(On<TFormBill>([](TFormBill* chooser) { chooser->SellButton->click(); }));
    program.Prompts().QueueModal(On<TFormBuySell>([&](TFormBuySell* form) {
        proposed = form->Edit1->text();
        form->BitBtn2->click();
    }));
    QVERIFY(!FormMain->NewBill());
    QCOMPARE(proposed, QStringLiteral("XS100002"));
    QCOMPARE(program.Scalar(QStringLiteral("Select Count(*) From Bill Where BillIndex > 1")),
             QStringLiteral("1"));
}

void TestDocumentEditor::purchaseIsStoredNegativeAndShownWithoutSign() {
    TestProgram program;
    CurrentUser = QStringLiteral("张三");
    bool newBuyPicture = false, editBuyPicture = false;
    AddCustomer(program, QStringLiteral("供应商'甲"));
    program.Prompts().QueueModal(On<TFormBill>([](TFormBill* chooser) { chooser->BuyButton->click(); }));
    program.Prompts().QueueModal(On<TFormBuySell>([&](TFormBuySell* form) {
        newBuyPicture = ShowsPicture(form->Image1, QStringLiteral("NewBuy.bmp"));
        form->ComboBox5->setEditText(QStringLiteral("供应商'甲"));
        form->Edit2->setText(QStringLiteral("100"));
        form->BitBtn1->click();
    }));
    QVERIFY(FormMain->NewBill());
    const int bill = LastKey(program, QStringLiteral("Bill")).toInt();
    QCOMPARE(
        RowOf(QStringLiteral("Select BillKind, BillUser, BillSum From Bill Where BillIndex = %1").arg(bill)),
        QStringList({QStringLiteral("采购开单"), QStringLiteral("供应商'甲"), QStringLiteral("-100")}));
    QCOMPARE(program.Scalar(QStringLiteral("Select SettingValue From Setting Where SettingIndex = 2")),
             QStringLiteral("CG100001"));
    QCOMPARE(CardText(QStringLiteral("BillMoney1")), QStringLiteral("100 元"));

    QString amountShown, customerShown;
    program.Prompts().QueueModal(On<TFormBuySell>([&](TFormBuySell* form) {
        editBuyPicture = ShowsPicture(form->Image1, QStringLiteral("EditBuy.bmp"));
        amountShown = form->Edit2->text();
        customerShown = form->ComboBox5->currentText();
    }));
    QVERIFY(!FormMain->OpenBillEditor(bill)); // looked at, not unlocked: no refresh
    QCOMPARE(amountShown, QStringLiteral("100"));
    QCOMPARE(customerShown, QStringLiteral("供应商'甲"));
    QVERIFY(newBuyPicture);
    QVERIFY(editBuyPicture);
}

void TestDocumentEditor::abandonedNewDocumentTakesItsVouchersAlong_data() {
    QTest::addColumn<bool>("pressCancel");
    QTest::newRow("取消 pressed") << true;
    QTest::newRow("window closed") << false;
}

void TestDocumentEditor::abandonedNewDocumentTakesItsVouchersAlong() {
    QFETCH(bool, pressCancel);
    TestProgram program;
    CurrentUser = QStringLiteral("张三");
    const int account = AddAccount(program, QStringLiteral("银行"));
    const QDate today = FormMain->WorkingDate();
    AddCustomer(program, QStringLiteral("老李"));
    const int otherBill =
        AddBill(program, QStringLiteral("销售开单"), QStringLiteral("老李"), 80, QString(), today);
    AddVoucher(program, account, otherBill, QStringLiteral("老李"), 30, QString(), today);
    AddVoucher(program, account, 0, QStringLiteral("老李"), 5, QString(), today);

    qint64 early = 0;
    QStringList footer;
    program.Prompts().QueueModal(On<TFormBill>([](TFormBill* chooser) { chooser->SellButton->click(); }));
    program.Prompts().QueueModal(On<TFormBuySell>([&](TFormBuySell* form) {
        form->ComboBox5->setEditText(QStringLiteral("老李"));
        form->Edit2->setText(QStringLiteral("300"));
        form->Button1->click();
        form->Button1->click();
        early = form->OpenBillIndex;
        footer = {Footer(form, 0), Footer(form, 3), Footer(form, 5)};
        if (pressCancel)
            form->BitBtn2->click();
    }));
    program.Prompts().QueueModal(SaveVoucher(QStringLiteral("100")));
    program.Prompts().QueueModal(SaveVoucher(QStringLiteral("50.5")));
    QVERIFY(!FormMain->NewBill());
    QCOMPARE(footer, QStringList({QStringLiteral("2条"), QStringLiteral("150.5"), QStringLiteral("150.5")}));
    QVERIFY(early > otherBill);
    QCOMPARE(program.Scalar(QStringLiteral("Select Count(*) From Bill Where BillIndex = %1").arg(early)),
             QStringLiteral("0"));
    QCOMPARE(
        program.Scalar(QStringLiteral("Select Count(*) From MoneyTable Where MoneyBill = %1").arg(early)),
        QStringLiteral("0"));
    // Everything else stays.
    QCOMPARE(program.Scalar(QStringLiteral("Select Count(*) From Bill")), QStringLiteral("2"));
    QCOMPARE(program.Scalar(QStringLiteral("Select Count(*) From MoneyTable")), QStringLiteral("3"));
    QCOMPARE(FormBuySell->OpenBillIndex, qint64(1));
}

void TestDocumentEditor::abandonmentThatFailsKeepsEverything() {
    TestProgram program;
    CurrentUser = QStringLiteral("张三");
    AddAccount(program, QStringLiteral("银行"));
    AddCustomer(program, QStringLiteral("老李"));
    program.RefuseWrites(QStringLiteral("Bill"), QStringLiteral("Delete"), QStringLiteral("bills are kept"));
    qint64 early = 0;
    program.Prompts().QueueModal(On<TFormBill>([](TFormBill* chooser) { chooser->SellButton->click(); }));
    program.Prompts().QueueModal(On<TFormBuySell>([&](TFormBuySell* form) {
        form->ComboBox5->setEditText(QStringLiteral("老李"));
        form->Button1->click();
        form->Button1->click();
        early = form->OpenBillIndex;
        form->BitBtn2->click();
    }));
    program.Prompts().QueueModal(SaveVoucher(QStringLiteral("1")));
    program.Prompts().QueueModal(SaveVoucher(QStringLiteral("2")));
    QVERIFY(!FormMain->NewBill());
    // The vouchers were deleted before the document failed: the whole undo was rolled back.
    QCOMPARE(program.Scalar(QStringLiteral("Select Count(*) From Bill Where BillIndex = %1").arg(early)),
             QStringLiteral("1"));
    QCOMPARE(
        program.Scalar(QStringLiteral("Select Count(*) From MoneyTable Where MoneyBill = %1").arg(early)),
        QStringLiteral("2"));
    QCOMPARE(program.Prompts().Messages.back().Kind, QStringLiteral("error"));
    QVERIFY(program.Prompts().Messages.back().Text.contains(QStringLiteral("bills are kept")));
}

void TestDocumentEditor::storedDocumentIsLockedUntilThePassword() {
    TestProgram program;
    CurrentUser = QStringLiteral("张三");
    SetEditPassword(program, QStringLiteral("pw"));
    const int account = AddAccount(program, QStringLiteral("现金"));
    const QDate today = FormMain->WorkingDate();
    // Its customer has been deleted meanwhile: the name is kept as it is.
    const int bill = AddBill(program, QStringLiteral("销售开单"), QStringLiteral("旧客户"), 200,
                             QStringLiteral("李四"), today);
    AddVoucher(program, account, bill, QStringLiteral("旧客户"), 50, QStringLiteral("李四"), today);
    AddVoucher(program, account, bill, QStringLiteral("旧客户"), -20, QStringLiteral("李四"), today);
    FormMain->RefreshAll();

    bool lockedAtFirst = false, lockedAfterWrongPassword = false, unlocked = false;
    QString amountShown, manShown, footerRows;
    int rowsAfterDelete = -1, vouchersWhileLocked = -1;
    bool editSellPicture = false;
    program.Prompts().QueueModal(On<TFormBuySell>([&](TFormBuySell* form) {
        auto locked = [form] {
            return form->Button1->isHidden() && form->Button2->isHidden() && form->Button3->isHidden() &&
                   form->BitBtn1->isHidden() && form->BitBtn3->isHidden() &&
                   !form->SpeedButton4->isHidden() && !form->SpeedButton1->isHidden();
        };
        editSellPicture = ShowsPicture(form->Image1, QStringLiteral("EditSell.bmp"));
        lockedAtFirst = locked();
        amountShown = form->Edit2->text();
        manShown = form->Edit4->text();
        footerRows = Footer(form, 0);
        form->Button1Click(); // the handlers do nothing while locked
        form->Button3Click();
        form->BitBtn1Click();
        vouchersWhileLocked =
            program.Scalar(QStringLiteral("Select Count(*) From MoneyTable Where MoneyBill = %1").arg(bill))
                .toInt();
        form->SpeedButton4->click(); // wrong password
        lockedAfterWrongPassword = locked() && !form->DataChanged;
        form->SpeedButton4->click();
        unlocked = !form->BitBtn1->isHidden() && !form->Button3->isHidden() && form->DataChanged;
        form->DBGridEh1->selectRow(0);
        form->Button3->click(); // delete the first voucher, confirmed
        rowsAfterDelete = form->DBGridEh1->rowCount();
        form->Edit2->setText(QStringLiteral("250"));
        form->BitBtn1->click();
    }));
    program.Prompts().QueueModal(AnswerPassword(QStringLiteral("wrong")));
    program.Prompts().QueueModal(AnswerPassword(QStringLiteral("pw")));
    program.Prompts().QueueAnswer(true);
    QVERIFY(FormMain->OpenBillEditor(bill));

    QVERIFY(editSellPicture);
    QVERIFY(lockedAtFirst);
    QCOMPARE(amountShown, QStringLiteral("200"));
    QCOMPARE(manShown, QStringLiteral("李四"));
    QCOMPARE(footerRows, QStringLiteral("2条"));
    QCOMPARE(vouchersWhileLocked, 2);
    QVERIFY(lockedAfterWrongPassword);
    QVERIFY(unlocked);
    QCOMPARE(rowsAfterDelete, 1);
    QCOMPARE(program.Prompts().Texts(),
             QStringList({QStringLiteral("密码错误，请重新操作"),
                          QStringLiteral("确实要删除支出单 SK000009（旧客户，20.00 元）吗？"),
                          QStringLiteral("记录修改成功")}));
    QCOMPARE(RowOf(QStringLiteral("Select BillKind, BillUser, BillSum, BillMan, BillRecordTime From Bill "
                                  "Where BillIndex = %1")
                       .arg(bill)),
             QStringList({QStringLiteral("销售开单"), QStringLiteral("旧客户"), QStringLiteral("250"),
                          QStringLiteral("张三"), QDate::currentDate().toString(Qt::ISODate)}));
    QCOMPARE(program.Scalar(QStringLiteral("Select Count(*) From MoneyTable Where MoneyBill = %1").arg(bill)),
             QStringLiteral("1"));
    // The editor reported the change and the cards follow it.
    QCOMPARE(CardText(QStringLiteral("BillMoney1")), QStringLiteral("250 元"));
}

void TestDocumentEditor::saveChecks_data() {
    QTest::addColumn<QString>("serial");
    QTest::addColumn<QString>("customer");
    QTest::addColumn<QString>("amount");
    QTest::addColumn<QString>("emptyList"); // a pick list left empty
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("focus");
    const QString badAmount = QStringLiteral("金额格式有误，请重新输入");
    QTest::newRow("serial 12A") << "12A"
                                << "甲"
                                << "1"
                                << ""
                                << "单据编号格式有误，字母不能在数字后面"
                                << "Edit1";
    QTest::newRow("no customer") << "XS1"
                                 << ""
                                 << "1"
                                 << ""
                                 << "请选择客户名称"
                                 << "ComboBox5";
    QTest::newRow("customer who is none") << "XS1"
                                          << "乙"
                                          << "1"
                                          << ""
                                          << "请选择客户名称"
                                          << "ComboBox5";
    QTest::newRow("no kinds") << "XS1"
                              << "甲"
                              << "1"
                              << "1"
                              << "请选择收支种类"
                              << "ComboBox2";
    QTest::newRow("no progress") << "XS1"
                                 << "甲"
                                 << "1"
                                 << "4"
                                 << "请选择业务进度"
                                 << "ComboBox3";
    QTest::newRow("amount abc") << "XS1"
                                << "甲"
                                << "abc"
                                << "" << badAmount << "Edit2";
    QTest::newRow("amount empty") << "XS1"
                                  << "甲"
                                  << ""
                                  << "" << badAmount << "Edit2";
    QTest::newRow("amount negative") << "XS1"
                                     << "甲"
                                     << "-5"
                                     << "" << badAmount << "Edit2";
    QTest::newRow("amount 1.2.3") << "XS1"
                                  << "甲"
                                  << "1.2.3"
                                  << "" << badAmount << "Edit2";
    QTest::newRow("amount too long for a number")
        << "XS1"
        << "甲" << QString(400, QLatin1Char('9')) << "" << badAmount << "Edit2";
    QTest::newRow("five decimals") << "XS1"
                                   << "甲"
                                   << "1.23456"
                                   << "" << badAmount << "Edit2";
    QTest::newRow("four decimals") << "XS0099"
                                   << "甲"
                                   << "1.2345"
                                   << ""
                                   << "单据新增成功"
                                   << "";
}

void TestDocumentEditor::saveChecks() {
    QFETCH(QString, serial);
    QFETCH(QString, customer);
    QFETCH(QString, amount);
    QFETCH(QString, emptyList);
    QFETCH(QString, message);
    QFETCH(QString, focus);
    TestProgram program;
    CurrentUser = QStringLiteral("张三");
    AddCustomer(program, QStringLiteral("甲"));
    if (!emptyList.isEmpty())
        program.Exec(QStringLiteral("Delete From Parameter Where ParameterType = ") + emptyList);
    QString focused;
    program.Prompts().QueueModal(On<TFormBill>([](TFormBill* chooser) { chooser->SellButton->click(); }));
    program.Prompts().QueueModal(On<TFormBuySell>([&](TFormBuySell* form) {
        form->Edit1->setText(serial);
        form->ComboBox5->setEditText(customer);
        form->Edit2->setText(amount);
        form->BitBtn1->click();
        focused = form->isVisible() ? FocusOf(form) : QString();
    }));
    const bool stored = FormMain->NewBill();
    QCOMPARE(program.Prompts().Texts(), QStringList{message});
    QCOMPARE(focused, focus);
    QCOMPARE(stored, focus.isEmpty());
    QCOMPARE(program.Scalar(QStringLiteral("Select Count(*) From Bill")),
             stored ? QStringLiteral("2") : QStringLiteral("1"));
    if (stored) {
        QCOMPARE(program.Scalar(QStringLiteral("Select BillSum From Bill Where BillIndex > 1")),
                 QStringLiteral("1.2345"));
        // A serial saved as a new sale makes the next one propose its successor.
        QString proposed;
        program.Prompts().QueueModal(On<TFormBill>([](TFormBill* chooser) { chooser->SellButton->click(); }));
        program.Prompts().QueueModal(
            On<TFormBuySell>([&](TFormBuySell* form) { proposed = form->Edit1->text(); }));
        FormMain->NewBill();
        QCOMPARE(proposed, NextSerial(serial));
    }
}

void TestDocumentEditor::earlyStoreRefused_data() {
    QTest::addColumn<QString>("serial");
    QTest::addColumn<QString>("amount");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("focus");
    const QString badAmount = QStringLiteral("金额格式有误，请重新输入");
    QTest::newRow("serial 12A") << "12A"
                                << "100"
                                << "单据编号格式有误，字母不能在数字后面"
                                << "Edit1";
    QTest::newRow("amount abc") << "XS1"
                                << "abc" << badAmount << "Edit2";
    QTest::newRow("amount negative") << "XS1"
                                     << "-5" << badAmount << "Edit2";
    QTest::newRow("five decimals") << "XS1"
                                   << "1.23456" << badAmount << "Edit2";
    QTest::newRow("too long for a number") << "XS1" << QString(400, QLatin1Char('9')) << badAmount << "Edit2";
}

void TestDocumentEditor::earlyStoreRefused() {
    QFETCH(QString, serial);
    QFETCH(QString, amount);
    QFETCH(QString, message);
    QFETCH(QString, focus);
    TestProgram program;
    CurrentUser = QStringLiteral("张三");
    AddAccount(program, QStringLiteral("现金"));
    QString focused;
    qint64 index = 0;
    program.Prompts().QueueModal(On<TFormBill>([](TFormBill* chooser) { chooser->SellButton->click(); }));
    program.Prompts().QueueModal(On<TFormBuySell>([&](TFormBuySell* form) {
        form->Edit1->setText(serial);
        form->ComboBox5->setEditText(QStringLiteral("甲"));
        form->Edit2->setText(amount);
        form->Button1->click(); // refused before anything is stored or the voucher editor opens
        focused = FocusOf(form);
        index = form->OpenBillIndex;
    }));
    QVERIFY(!FormMain->NewBill());
    QCOMPARE(program.Prompts().Texts(), QStringList{message});
    QCOMPARE(focused, focus);
    QCOMPARE(index, qint64(1));
    QCOMPARE(program.Prompts().UnexpectedModals, 0);
    QCOMPARE(program.Scalar(QStringLiteral("Select Count(*) From Bill")), QStringLiteral("1"));
    QCOMPARE(program.Scalar(QStringLiteral("Select SettingValue From Setting Where SettingIndex = 1")),
             QStringLiteral("XS100000"));
}

void TestDocumentEditor::vouchersOfAStoredPurchase() {
    TestProgram program;
    CurrentUser = QStringLiteral("张三");
    const int account = AddAccount(program, QStringLiteral("现金"));
    const QDate today = FormMain->WorkingDate();
    AddCustomer(program, QStringLiteral("供应商"));
    const int bill = AddBill(program, QStringLiteral("采购开单"), QStringLiteral("供应商"), -100,
                             QStringLiteral("李四"), today);
    const int first =
        AddVoucher(program, account, bill, QStringLiteral("供应商"), -30, QStringLiteral("李四"), today);
    FormMain->RefreshAll();

    SeenVoucher added;
    QString changedMode, changedKind, changedAmountShown;
    qint64 changedIndex = 0;
    QStringList footerAfterAdd, footerAfterChange;
    program.Prompts().QueueModal(On<TFormBuySell>([&](TFormBuySell* form) {
        form->SpeedButton4->click(); // no edit password set: unlocked at once
        form->Button1->click();      // a payment of this purchase; the document is stored already
        footerAfterAdd = {Footer(form, 0), Footer(form, 3), Footer(form, 4), Footer(form, 5)};
        for (int row = 0; row < form->DBGridEh1->rowCount(); ++row) {
            if (Cell(form, row, 5) == QLatin1String("-30"))
                form->DBGridEh1->selectRow(row);
        }
        form->DBGridEh1DblClick(); // acts as 修改
        footerAfterChange = {Footer(form, 0), Footer(form, 3), Footer(form, 4), Footer(form, 5)};
        form->BitBtn2->click(); // leaves the document itself as it was
    }));
    program.Prompts().QueueModal(SaveVoucher(QStringLiteral("40"), &added));
    program.Prompts().QueueModal(On<TFormGetPay>([&](TFormGetPay* form) {
        changedMode = form->OpenMode;
        changedKind = form->OpenKind;
        changedIndex = form->OpenMoneyIndex;
        changedAmountShown = form->Edit2->text();
        form->Edit2->setText(QStringLiteral("35"));
        form->BitBtn1->click();
    }));
    // Unlocked: the opener refreshes although the document was not saved.
    QVERIFY(FormMain->OpenBillEditor(bill));
    QCOMPARE(program.Prompts().PendingScripts(), 0);
    QCOMPARE(program.Prompts().Texts(),
             QStringList({QStringLiteral("记录新增成功"), QStringLiteral("记录修改成功")}));

    QCOMPARE(added.Kind, QStringLiteral("财务支出单"));
    QCOMPARE(added.Bill, qint64(bill));
    QCOMPARE(added.Customer, QStringLiteral("供应商"));
    QCOMPARE(added.Remark, QStringLiteral("采购开单：XS000007"));
    QCOMPARE(footerAfterAdd, QStringList({QStringLiteral("2条"), QStringLiteral("0"), QStringLiteral("70"),
                                          QStringLiteral("-70")}));
    QCOMPARE(changedMode, QStringLiteral("修改"));
    QCOMPARE(changedKind, QStringLiteral("财务支出单"));
    QCOMPARE(changedIndex, qint64(first));
    QCOMPARE(changedAmountShown, QStringLiteral("30"));
    QCOMPARE(footerAfterChange, QStringList({QStringLiteral("2条"), QStringLiteral("0"), QStringLiteral("75"),
                                             QStringLiteral("-75")}));

    // No second document; Cancel of a stored document keeps it and its vouchers.
    QCOMPARE(program.Scalar(QStringLiteral("Select Count(*) From Bill")), QStringLiteral("2"));
    QCOMPARE(RowOf(QStringLiteral("Select BillSum, BillMan From Bill Where BillIndex = %1").arg(bill)),
             QStringList({QStringLiteral("-100"), QStringLiteral("李四")}));
    QCOMPARE(
        program.Scalar(QStringLiteral("Select Sum(MoneySum) From MoneyTable Where MoneyBill = %1").arg(bill)),
        QStringLiteral("-75"));
    QCOMPARE(RowOf(QStringLiteral("Select MoneyIn, MoneyOut, MoneySum, MoneyBill From MoneyTable Where "
                                  "MoneyIndex = %1")
                       .arg(first)),
             QStringList(
                 {QStringLiteral("0"), QStringLiteral("35"), QStringLiteral("-35"), QString::number(bill)}));
    QCOMPARE(CardText(QStringLiteral("BillPay1")), QStringLiteral("75 元"));
}

void TestDocumentEditor::deletedDocumentLeavesItsVouchers() {
    TestProgram program;
    CurrentUser = QStringLiteral("张三");
    const int account = AddAccount(program, QStringLiteral("现金"));
    AddCustomer(program, QStringLiteral("老王"));
    const QDate today = FormMain->WorkingDate();
    const int bill =
        AddBill(program, QStringLiteral("销售开单"), QStringLiteral("老王"), 100, QString(), today);
    const int voucher = AddVoucher(program, account, bill, QStringLiteral("老王"), 60, QString(), today);
    auto unlockAndDelete = On<TFormBuySell>([](TFormBuySell* form) {
        form->SpeedButton4->click();
        form->BitBtn3->click();
    });
    // No: the document stays; the unlock alone makes the opener refresh.
    program.Prompts().QueueModal(unlockAndDelete);
    program.Prompts().QueueAnswer(false);
    QVERIFY(FormMain->OpenBillEditor(bill));
    QCOMPARE(program.Scalar(QStringLiteral("Select Count(*) From Bill Where BillIndex = %1").arg(bill)),
             QStringLiteral("1"));
    program.Prompts().QueueModal(unlockAndDelete);
    program.Prompts().QueueAnswer(true);
    QVERIFY(FormMain->OpenBillEditor(bill));
    QCOMPARE(program.Prompts().Messages.back().Title, QStringLiteral("删除警告"));
    QCOMPARE(program.Prompts().Texts(),
             QStringList({QStringLiteral("确实要删除销售单 XS000007（老王，100.00 元）吗？"),
                          QStringLiteral("确实要删除销售单 XS000007（老王，100.00 元）吗？")}));
    QCOMPARE(program.Scalar(QStringLiteral("Select Count(*) From Bill Where BillIndex = %1").arg(bill)),
             QStringLiteral("0"));
    QCOMPARE(
        program.Scalar(QStringLiteral("Select MoneyBill From MoneyTable Where MoneyIndex = %1").arg(voucher)),
        QString::number(bill));
    // The receipt still counts for the customer and the account.
    QCOMPARE(CardText(QStringLiteral("CustomerOwe1")), QStringLiteral("-60 元"));
    QCOMPARE(CardText(QStringLiteral("AccountMoney1")), QStringLiteral("60 元"));
}

void TestDocumentEditor::newDocumentForAFixedCustomer() {
    TestProgram program;
    CurrentUser = QStringLiteral("张三");
    AddAccount(program, QStringLiteral("现金"));
    AddCustomer(program, QStringLiteral("甲"));
    const int customer = AddCustomer(program, QStringLiteral("老王"));
    bool documentBoxEnabled = true, voucherBoxEnabled = true;
    QString documentCustomer, voucherCustomer;
    program.Prompts().QueueModal(On<TFormBuySell>([&](TFormBuySell* form) {
        documentBoxEnabled = form->ComboBox5->isEnabled();
        documentCustomer = form->ComboBox5->currentText();
        form->Edit2->setText(QStringLiteral("10"));
        form->Button1->click();
        form->BitBtn1->click();
    }));
    program.Prompts().QueueModal(On<TFormGetPay>([&](TFormGetPay* form) {
        voucherBoxEnabled = form->ComboBox5->isEnabled();
        voucherCustomer = form->ComboBox5->currentText();
        form->Edit2->setText(QStringLiteral("10"));
        form->BitBtn1->click();
    }));
    FormBuySell->OpenMode = QStringLiteral("新增");
    FormBuySell->OpenKind = QStringLiteral("销售开单");
    FormBuySell->OpenBillIndex = 1;
    FormBuySell->OpenCustomerIndex = customer;
    FormBuySell->CustomerFixed = true;
    QCOMPARE(Prompts::Get().ShowModal(FormBuySell), int(QDialog::Accepted));
    QVERIFY(!documentBoxEnabled);
    QVERIFY(!voucherBoxEnabled);
    QCOMPARE(documentCustomer, QStringLiteral("老王"));
    QCOMPARE(voucherCustomer, QStringLiteral("老王"));
    QCOMPARE(RowOf(QStringLiteral("Select BillUser, BillSum From Bill Where BillIndex > 1")),
             QStringList({QStringLiteral("老王"), QStringLiteral("10")}));
    QCOMPARE(RowOf(QStringLiteral("Select MoneyUser, MoneySum From MoneyTable Where MoneyIndex > 1")),
             QStringList({QStringLiteral("老王"), QStringLiteral("10")}));
}

void TestDocumentEditor::changedByAnotherWorkstation_data() {
    QTest::addColumn<QString>("otherDoes"); // a statement another workstation runs (%1: the document)
    QTest::addColumn<bool>("remove");       // whether this editor then deletes instead of saving
    const char* others[][2] = {
        {"document changed", "Update Bill Set BillSum = 300 Where BillIndex = %1"},
        {"customer's letter case", "Update Bill Set BillUser = 'ABC' Where BillIndex = %1"},
        {"document deleted", "Delete From Bill Where BillIndex = %1"},
        {"voucher changed", "Update MoneyTable Set MoneyIn = 70, MoneySum = 70 Where MoneyBill = %1"},
        {"voucher added", "Insert Into MoneyTable (MoneyAccount, MoneyBill, MoneySerial, MoneyUser, MoneyIn, "
                          "MoneyOut, MoneySum) Values (2, %1, 'SK000010', 'abc', 5, 0, 5)"},
        {"voucher deleted", "Delete From MoneyTable Where MoneyBill = %1"},
    };
    for (const auto& other : others) {
        QTest::addRow("save over %s", other[0]) << QString::fromUtf8(other[1]) << false;
        QTest::addRow("delete over %s", other[0]) << QString::fromUtf8(other[1]) << true;
    }
}

// Another workstation changes the document the editor shows, or a voucher of its grid: 保存 and
// 删除 are refused with the message, the editor stays open, and only the other's change is stored.
void TestDocumentEditor::changedByAnotherWorkstation() {
    QFETCH(QString, otherDoes);
    QFETCH(bool, remove);
    TestProgram program;
    CurrentUser = QStringLiteral("张三");
    const int account = AddAccount(program, QStringLiteral("现金"));
    AddCustomer(program, QStringLiteral("abc"));
    const QDate today = FormMain->WorkingDate();
    const int bill =
        AddBill(program, QStringLiteral("销售开单"), QStringLiteral("abc"), 100, QString(), today);
    AddVoucher(program, account, bill, QStringLiteral("abc"), 60, QString(), today);
    DbConnection other;
    QVERIFY(program.OpenOtherWorkstation(other));
    QStringList before;
    bool open = false;
    program.Prompts().QueueModal(On<TFormBuySell>([&](TFormBuySell* form) {
        form->SpeedButton4->click(); // unlocked: no edit password is set
        Query(&other).ExecSql(otherDoes.arg(bill));
        before = AllRows(other);
        form->Edit2->setText(QStringLiteral("250"));
        form->Edit3->setText(QStringLiteral("本机"));
        (remove ? form->BitBtn3 : form->BitBtn1)->click();
        open = form->isVisible();
    }));
    program.Prompts().QueueAnswer(true);
    FormMain->OpenBillEditor(bill);
    QVERIFY(open);
    QCOMPARE(program.Prompts().Texts(), QStringList{QStringLiteral("该记录已被其他用户修改，请刷新后重试")});
    QCOMPARE(AllRows(other), before);
}

// A new document stored early for its first voucher is what the editor loaded from then on: a
// change another workstation makes to it afterwards refuses the save.
void TestDocumentEditor::earlyStoredDocumentChangedByAnotherWorkstation() {
    TestProgram program;
    CurrentUser = QStringLiteral("张三");
    AddAccount(program, QStringLiteral("现金"));
    AddCustomer(program, QStringLiteral("abc"));
    DbConnection other;
    QVERIFY(program.OpenOtherWorkstation(other));
    QStringList before;
    bool open = false;
    qint64 stored = 0;
    program.Prompts().QueueModal(On<TFormBill>([](TFormBill* chooser) { chooser->SellButton->click(); }));
    program.Prompts().QueueModal(On<TFormBuySell>([&](TFormBuySell* form) {
        form->ComboBox5->setEditText(QStringLiteral("abc"));
        form->Edit2->setText(QStringLiteral("100"));
        form->Button1->click(); // stores the document, then the voucher editor is cancelled
        stored = form->OpenBillIndex;
        Query(&other).ExecSql(
            QStringLiteral("Update Bill Set BillRemark = '别处' Where BillIndex = %1").arg(stored));
        before = AllRows(other);
        form->BitBtn1->click();
        open = form->isVisible();
        form->OpenBillIndex = 1; // nothing of it is undone when the test closes the editor
    }));
    program.Prompts().QueueModal([](QDialog* voucherEditor) { voucherEditor->reject(); });
    FormMain->NewBill();
    QVERIFY(stored > 1);
    QVERIFY(open);
    QCOMPARE(program.Prompts().Texts(), QStringList{QStringLiteral("该记录已被其他用户修改，请刷新后重试")});
    QCOMPARE(AllRows(other), before);
}

QTEST_MAIN(TestDocumentEditor)
#include "tst_documenteditor.moc"
