#include "customers/CustomerForm.h"
#include "customers/CustomerForm2.h"
#include "customers/CustomerRules.h"
#include "documents/BuySellForm.h"
#include "documents/EditorScripts.h"
#include "finance/GetPayForm.h"
#include "foundation/ShareDM.h"
#include "kit/PictureFrame.h"
#include "mainwindow/MainForm.h"
#include "mainwindow/SignInScripts.h"

#include <QAccessible>
#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

// The customer card: its figures up to the working date, the month lists, the buttons by role,
// the change behind the edit password, new records for the customer and its folder.
class TestCustomerCard : public QObject {
    Q_OBJECT
private slots:
    void figures_data();
    void figures();
    void monthLists_data();
    void monthLists();
    void buttonsFollowTheSignedInRole();
    void customerDeletedBeforeShowing();
    void customerDeletedWhileShown_data();
    void customerDeletedWhileShown();
    void editorOfAGoneCustomerStoresNothing_data();
    void editorOfAGoneCustomerStoresNothing();
    void newSaleLeavesPageOneActive();
    void newPaymentLeavesPageFourActive();
    void changeBehindTheEditPassword();
    void folder_data();
    void folder();
    void folderWithoutFileManager();
    void folderPictureHighlight();
    void layoutWithFigures();
};

namespace {

const QDate Today(2024, 5, 15);

// What the card showed while it was open.
struct SeenCard {
    QStringList Contact;
    QStringList Figures; // 起初欠款, 销售总额, 采购总额, 已收总额, 客户欠款
    QStringList Spoken;  // what a screen reader reads for each figure: its name, value, description
};

ScriptedPrompts::ModalScript ReadCard(SeenCard* seen, std::function<void(TFormCustomer*)> then = {}) {
    return On<TFormCustomer>([seen, then](TFormCustomer* card) {
        seen->Contact = {card->Edit1->text(), card->Edit2->text(), card->Edit3->text(), card->Edit4->text()};
        seen->Figures = {card->LabelFirstOwe->text(), card->LabelSell->text(), card->LabelBuy->text(),
                         card->LabelGet->text(), card->LabelOwe->text()};
        seen->Spoken.clear();
        for (QLabel* figure :
             {card->LabelFirstOwe, card->LabelSell, card->LabelBuy, card->LabelGet, card->LabelOwe}) {
            QAccessibleInterface* face = QAccessible::queryAccessibleInterface(figure);
            seen->Spoken << (face ? face->text(QAccessible::Name) + QLatin1Char('|') +
                                        face->text(QAccessible::Value) + QLatin1Char('|') +
                                        face->text(QAccessible::Description)
                                  : QString());
        }
        if (then)
            then(card);
    });
}

int Customer(TestProgram& program, const QString& name, double owe) {
    program.Exec(
        QStringLiteral("Insert Into Customer (CustomerName, CustomerOwe, CustomerPhone, CustomerContact, "
                       "CustomerHandPhone, CustomerMan) Values (%1, %2, '0571-1', '王五', '139', '')")
            .arg(SqlText(name), SqlNumber(owe)));
    return LastKey(program, QStringLiteral("Customer")).toInt();
}

QList<int> Keys(Query& query, const char* field) {
    QList<int> keys;
    if (!query.Active())
        return keys;
    for (query.First(); !query.Eof(); query.Next())
        keys << static_cast<int>(query.FieldByName(QLatin1String(field)).AsInteger());
    std::sort(keys.begin(), keys.end());
    return keys;
}

// Whether a button of the card is shown (the card itself is shown only inside a script).
bool Shown(QWidget* w) {
    return !w->isHidden();
}

} // namespace

void TestCustomerCard::figures_data() {
    QTest::addColumn<double>("owe");
    QTest::addColumn<QList<double>>("bills");    // + sale, − purchase, all dated today
    QTest::addColumn<QList<double>>("vouchers"); // + receipt, − payment, all dated today
    QTest::addColumn<QStringList>("figures");
    QTest::newRow("no records") << 500.0 << QList<double>{} << QList<double>{}
                                << QStringList{"500", "0", "0", "0", "500"};
    QTest::newRow("supplier") << 0.0 << QList<double>{-1000} << QList<double>{-600}
                              << QStringList{"0", "0", "1000", "-600", "-400"};
    QTest::newRow("customer paying in part")
        << 50.0 << QList<double>{200, 0.125} << QList<double>{120}
        << QStringList{"50", "200.12", "0", "120", "130.12"}; // sums rounded to 2 decimals, halves to even
    QTest::newRow("both sides") << -20.5 << QList<double>{300, -100} << QList<double>{250, -40}
                                << QStringList{"-20.5", "300", "100", "210", "-30.5"};
}

void TestCustomerCard::figures() {
    QFETCH(double, owe);
    QFETCH(QList<double>, bills);
    QFETCH(QList<double>, vouchers);
    QFETCH(QStringList, figures);
    TestProgram program;
    FormMain->SetWorkingDate(Today);
    const int account = AddAccount(program, QStringLiteral("现金"));
    const QString name = QStringLiteral("O'Brien 贸易");
    const int customer = Customer(program, name, owe);
    for (double sum : bills) {
        const QString kind = sum >= 0 ? QStringLiteral("销售开单") : QStringLiteral("采购开单");
        AddBill(program, kind, name, sum, QString(), Today);
        // Records after the working date and another customer's never count.
        AddBill(program, kind, name, sum * 7, QString(), Today.addDays(1));
        AddBill(program, kind, QStringLiteral("别人"), sum * 3, QString(), Today);
    }
    for (double sum : vouchers) {
        AddVoucher(program, account, 0, name, sum, QString(), Today);
        AddVoucher(program, account, 0, name, sum * 7, QString(), Today.addDays(1));
    }
    SeenCard seen;
    program.Prompts().QueueModal(ReadCard(&seen));
    QVERIFY(!FormMain->OpenCustomerCard(customer)); // closed with Cancel: no change
    QCOMPARE(seen.Contact, QStringList({name, "0571-1", "王五", "139"}));
    QCOMPARE(seen.Figures, figures);
    // A screen reader reads each figure with its caption.
    const QStringList heads = {"起初欠款", "销售总额", "采购总额", "已收总额", "客户欠款"};
    QStringList spoken;
    for (int i = 0; i < 5; ++i)
        spoken << heads[i] + QStringLiteral("：") + figures[i] + QLatin1Char('|') + figures[i] +
                      QLatin1Char('|') + heads[i];
    QCOMPARE(seen.Spoken, spoken);
    QVERIFY(program.Prompts().Texts().isEmpty());
}

void TestCustomerCard::monthLists_data() {
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("page");
    QTest::addColumn<QList<int>>("records"); // the numbers of the records below that are listed
    // Records: 0 a sale on the 1st, 1 a sale on the 31st (after the working date), 2 a sale of
    // April, 3 a purchase today, 4 a receipt today, 5 a receipt of June, 6 a payment on the 20th,
    // 7 another customer's sale today.
    QTest::newRow("本月销售单") << 1 << int(TFormMain::PageBillReport) << QList<int>{0, 1};
    QTest::newRow("本月采购单") << 2 << int(TFormMain::PageBillReport) << QList<int>{3};
    QTest::newRow("本月收入单") << 3 << int(TFormMain::PageMoneyReport) << QList<int>{4};
    QTest::newRow("本月支出单") << 4 << int(TFormMain::PageMoneyReport) << QList<int>{6};
}

void TestCustomerCard::monthLists() {
    QFETCH(int, button);
    QFETCH(int, page);
    QFETCH(QList<int>, records);
    TestProgram program;
    FormMain->SetWorkingDate(Today);
    const int account = AddAccount(program, QStringLiteral("现金"));
    const QString name = QStringLiteral("O'Brien");
    const int customer = Customer(program, name, 0);
    const QList<int> keys = {
        AddBill(program, QStringLiteral("销售开单"), name, 10, QString(), QDate(2024, 5, 1)),
        AddBill(program, QStringLiteral("销售开单"), name, 20, QString(), QDate(2024, 5, 31)),
        AddBill(program, QStringLiteral("销售开单"), name, 30, QString(), QDate(2024, 4, 30)),
        AddBill(program, QStringLiteral("采购开单"), name, -40, QString(), Today),
        AddVoucher(program, account, 0, name, 50, QString(), Today),
        AddVoucher(program, account, 0, name, 60, QString(), QDate(2024, 6, 1)),
        AddVoucher(program, account, 0, name, -70, QString(), QDate(2024, 5, 20)),
        AddBill(program, QStringLiteral("销售开单"), QStringLiteral("别人"), 80, QString(), Today),
    };
    QList<int> expected;
    for (int r : records)
        expected << keys[r];
    std::sort(expected.begin(), expected.end());

    FormMain->ShowPage(TFormMain::PageCustomers);
    program.Prompts().QueueModal(On<TFormCustomer>([button](TFormCustomer* card) {
        QPushButton* buttons[] = {card->Button1, card->Button2, card->Button3, card->Button4};
        buttons[button - 1]->click();
    }));
    QVERIFY(!FormMain->OpenCustomerCard(customer)); // the card closes with Cancel
    QCOMPARE(FormMain->CurrentPage(), page);
    if (page == TFormMain::PageBillReport)
        QCOMPARE(Keys(FormMain->BReportADOQuery, "BillIndex"), expected);
    else
        QCOMPARE(Keys(FormMain->MReportADOQuery, "MoneyIndex"), expected);
    QVERIFY(program.Prompts().Texts().isEmpty());
}

void TestCustomerCard::buttonsFollowTheSignedInRole() {
    TestProgram program;
    SetSlot(program, 1, QStringLiteral("张三"), QStringLiteral("1"), QStringLiteral("业务管理；"));
    const int customer = AddCustomer(program, QStringLiteral("老王"), QStringLiteral("张三"));
    auto readButtons = [](QList<bool>* shown) {
        return On<TFormCustomer>([shown](TFormCustomer* card) {
            for (QWidget* w : std::initializer_list<QWidget*>{
                     card->SellButton, card->BuyButton, card->Button1, card->Button2, card->GetButton,
                     card->PayButton, card->Button3, card->Button4, card->CustomerEdit})
                *shown << Shown(w);
        });
    };
    QueueSalesmanSignIn(program, 1, QStringLiteral("1"));
    QVERIFY(FormMain->SignInAndSetUp());
    QList<bool> salesman;
    program.Prompts().QueueModal(readButtons(&salesman));
    FormMain->OpenCustomerCard(customer);
    QCOMPARE(salesman, QList<bool>({true, true, true, true, false, false, false, false, true}));
    // The hidden actions cannot be reached otherwise either.
    QVERIFY(!FormCustomer->ActionGet->isEnabled());
    QVERIFY(!FormCustomer->ActionPay->isEnabled());

    // A manager signing in later in the run sees all of them again.
    QueueRoleSignIn(program, QStringLiteral("总经理"), QString());
    QVERIFY(FormMain->SignInAndSetUp());
    QCOMPARE(CurrentRights, QStringLiteral("业务管理；"));
    QList<bool> manager;
    program.Prompts().QueueModal(readButtons(&manager));
    FormMain->OpenCustomerCard(customer);
    QCOMPARE(manager, QList<bool>(9, true));
    QVERIFY(FormCustomer->ActionGet->isEnabled());
    QCOMPARE(program.Prompts().UnexpectedModals, 0);
}

namespace {

// The windows shown modally, by object name, in order.
QStringList Modals(TestProgram& program) {
    QStringList modals;
    for (const auto& m : program.Prompts().Messages)
        if (m.Kind == QStringLiteral("modal"))
            modals << m.Text;
    return modals;
}

// Every record button of the card, and the controls that can still act on it.
QList<bool> EnabledButtons(TFormCustomer* card) {
    QList<bool> enabled;
    for (QWidget* w : std::initializer_list<QWidget*>{card->SellButton, card->BuyButton, card->GetButton,
                                                      card->PayButton, card->CustomerEdit, card->Button1,
                                                      card->Button2, card->Button3, card->Button4})
        enabled << w->isEnabled();
    return enabled;
}

// Presses every button of a card whose customer is gone; none may open a window.
void PressEverything(TFormCustomer* card) {
    for (QAbstractButton* b : std::initializer_list<QAbstractButton*>{
             card->SellButton, card->BuyButton, card->GetButton, card->PayButton, card->CustomerEdit,
             card->Button1, card->Button2, card->Button3, card->Button4})
        b->click();
    for (QAction* a : {card->ActionSell, card->ActionBuy, card->ActionGet, card->ActionPay, card->ActionEdit})
        a->trigger();
    QTest::mouseClick(card->Image1, Qt::LeftButton);
}

} // namespace

void TestCustomerCard::customerDeletedBeforeShowing() {
    TestProgram program;
    FormMain->SetWorkingDate(Today);
    AddAccount(program, QStringLiteral("现金"));
    // Another customer's card shown first: the card window is reused.
    const int other = Customer(program, QStringLiteral("别的客户"), 25);
    AddBill(program, QStringLiteral("销售开单"), QStringLiteral("别的客户"), 100, QString(), Today);
    const int customer = Customer(program, QStringLiteral("老王"), 0);
    SeenCard first;
    program.Prompts().QueueModal(ReadCard(&first));
    FormMain->OpenCustomerCard(other);
    QCOMPARE(first.Figures, QStringList({"25", "100", "0", "0", "125"}));
    FormMain->OpenCustomerCard(customer); // its card can be opened while it exists
    FormMain->RefreshAll();
    program.Prompts().Clear();
    auto onCards = [](const QString& name) {
        for (int slot = 1; slot <= 15; ++slot) {
            auto* label = FormMain->findChild<QLabel*>(QStringLiteral("CustomerName%1").arg(slot));
            if (label && !label->parentWidget()->isHidden() && label->text() == name)
                return true;
        }
        return false;
    };
    QVERIFY(onCards(QStringLiteral("老王")));

    // Another workstation deletes 老王, then this one clicks his card.
    program.Exec(QStringLiteral("Delete From Customer Where CustomerIndex = %1").arg(customer));
    SeenCard second;
    QList<bool> enabled;
    bool cancelEnabled = false;
    program.Prompts().QueueModal(ReadCard(&second, [&](TFormCustomer* card) {
        enabled = EnabledButtons(card);
        cancelEnabled = card->Cancel->isEnabled();
        SaveScreenshot(card, QStringLiteral("customer-card-deleted.png"));
        PressEverything(card);
    }));
    const QString bills = FormMain->BillReportSql;
    const QString vouchers = FormMain->MoneyReportSql;
    QVERIFY(!FormMain->OpenCustomerCard(customer));
    QCOMPARE(program.Prompts().Texts(), QStringList{QStringLiteral("该客户记录已被删除")});
    // Nothing of any customer stays on the card.
    QCOMPARE(second.Contact, QStringList({"", "", "", ""}));
    QCOMPARE(second.Figures, QStringList({"", "", "", "", ""}));
    QCOMPARE(enabled, QList<bool>(9, false));
    QVERIFY(cancelEnabled);
    // No editor, no month list, no folder, nothing stored.
    QCOMPARE(Modals(program), QStringList{QStringLiteral("FormCustomer")});
    QCOMPARE(program.Prompts().UnexpectedModals, 0);
    QVERIFY(program.Prompts().OpenedWithDesktop.isEmpty());
    QCOMPARE(FormMain->BillReportSql, bills);
    QCOMPARE(FormMain->MoneyReportSql, vouchers);
    QCOMPARE(program.Scalar(QStringLiteral("Select Count(*) From Bill Where BillIndex > 1")),
             QStringLiteral("1"));
    QCOMPARE(program.Scalar(QStringLiteral("Select Count(*) From MoneyTable Where MoneyIndex > 1")),
             QStringLiteral("0"));
    // Once closed, the customer cards no longer offer it.
    QVERIFY(!onCards(QStringLiteral("老王")));
    QVERIFY(onCards(QStringLiteral("别的客户")));

    // The next customer's card is whole again.
    SeenCard third;
    QList<bool> again;
    program.Prompts().QueueModal(
        ReadCard(&third, [&](TFormCustomer* card) { again = EnabledButtons(card); }));
    FormMain->OpenCustomerCard(other);
    QCOMPARE(third.Figures, first.Figures);
    QCOMPARE(third.Contact.first(), QStringLiteral("别的客户"));
    QCOMPARE(again, QList<bool>(9, true));
}

void TestCustomerCard::customerDeletedWhileShown_data() {
    QTest::addColumn<QString>("button");
    QTest::newRow("销售开单") << "SellButton";
    QTest::newRow("采购开单") << "BuyButton";
    QTest::newRow("财务收入") << "GetButton";
    QTest::newRow("财务支出") << "PayButton";
    QTest::newRow("资料修改") << "CustomerEdit";
    QTest::newRow("本月销售单") << "Button1";
    QTest::newRow("本月收入单") << "Button3";
    QTest::newRow("客户目录") << "Image1";
}

void TestCustomerCard::customerDeletedWhileShown() {
    QFETCH(QString, button);
    TestProgram program;
    FormMain->SetWorkingDate(Today);
    SetEditPassword(program, QString());
    AddAccount(program, QStringLiteral("现金"));
    // The first customer of every list, which a box falling back on its first entry would take.
    AddCustomer(program, QStringLiteral("第三方"));
    const int customer = Customer(program, QStringLiteral("老王"), 40);
    AddBill(program, QStringLiteral("销售开单"), QStringLiteral("老王"), 60, QString(), Today);
    SeenCard shown, after;
    QList<bool> enabled;
    program.Prompts().QueueModal(ReadCard(&shown, [&](TFormCustomer* card) {
        program.Exec(QStringLiteral("Delete From Customer Where CustomerIndex = %1").arg(customer));
        if (button == QStringLiteral("Image1"))
            QTest::mouseClick(card->Image1, Qt::LeftButton);
        else
            card->findChild<QAbstractButton*>(button)->click();
        ReadCard (&after)(card);
        enabled = EnabledButtons(card);
        PressEverything(card); // nothing more happens
    }));
    const QString bills = FormMain->BillReportSql;
    QVERIFY(!FormMain->OpenCustomerCard(customer));
    QCOMPARE(shown.Contact.first(), QStringLiteral("老王"));
    QCOMPARE(shown.Figures, QStringList({"40", "60", "0", "0", "100"}));
    QCOMPARE(program.Prompts().Texts(), QStringList{QStringLiteral("该客户记录已被删除")});
    QCOMPARE(after.Contact, QStringList({"", "", "", ""}));
    QCOMPARE(after.Figures, QStringList({"", "", "", "", ""}));
    QCOMPARE(enabled, QList<bool>(9, false));
    QCOMPARE(Modals(program), QStringList{QStringLiteral("FormCustomer")});
    QCOMPARE(program.Prompts().UnexpectedModals, 0);
    QVERIFY(program.Prompts().OpenedWithDesktop.isEmpty());
    QCOMPARE(FormMain->BillReportSql, bills);
    QCOMPARE(program.Scalar(QStringLiteral("Select Count(*) From Bill Where BillIndex > 1")),
             QStringLiteral("1"));
    QCOMPARE(program.Scalar(QStringLiteral("Select Count(*) From MoneyTable Where MoneyIndex > 1")),
             QStringLiteral("0"));
}

void TestCustomerCard::editorOfAGoneCustomerStoresNothing_data() {
    QTest::addColumn<bool>("voucher");
    QTest::newRow("document editor") << false;
    QTest::newRow("voucher editor") << true;
}

void TestCustomerCard::editorOfAGoneCustomerStoresNothing() {
    // The customer goes between the card's check and the editor's showing: the editor, locked on
    // the card's customer, never takes another one and closes without storing.
    QFETCH(bool, voucher);
    TestProgram program;
    CurrentUser = QStringLiteral("总经理");
    AddAccount(program, QStringLiteral("现金"));
    AddCustomer(program, QStringLiteral("第三方"));
    const int customer = AddCustomer(program, QStringLiteral("老王"));
    QString boxText = QStringLiteral("not shown");
    bool boxEnabled = true;
    auto press = [&](QWidget* form, QComboBox* box, QLineEdit* amount, QAbstractButton* save) {
        boxText = box->currentText();
        boxEnabled = box->isEnabled();
        amount->setText(QStringLiteral("70"));
        if (form->isVisible())
            save->click();
    };
    program.Prompts().QueueModal(On<TFormCustomer>([&](TFormCustomer* card) {
        program.Exec(QStringLiteral("Delete From Customer Where CustomerIndex = %1").arg(customer));
        // The card's own check is passed by: the editor is opened as the card opens it.
        if (voucher) {
            FormGetPay->OpenMode = QStringLiteral("新增");
            FormGetPay->OpenKind = QStringLiteral("财务收入单");
            FormGetPay->OpenBillIndex = 0;
            FormGetPay->OpenCustomerIndex = card->CardCustomerIndex;
            FormGetPay->CustomerFixed = true;
            Prompts::Get().ShowModal(FormGetPay);
        } else {
            FormBuySell->OpenMode = QStringLiteral("新增");
            FormBuySell->OpenKind = QStringLiteral("销售开单");
            FormBuySell->OpenBillIndex = 1;
            FormBuySell->OpenCustomerIndex = card->CardCustomerIndex;
            FormBuySell->CustomerFixed = true;
            Prompts::Get().ShowModal(FormBuySell);
        }
    }));
    if (voucher)
        program.Prompts().QueueModal(On<TFormGetPay>(
            [&](TFormGetPay* form) { press(form, form->ComboBox5, form->Edit2, form->BitBtn1); }));
    else
        program.Prompts().QueueModal(On<TFormBuySell>(
            [&](TFormBuySell* form) { press(form, form->ComboBox5, form->Edit2, form->BitBtn1); }));
    FormMain->OpenCustomerCard(customer);
    QCOMPARE(program.Prompts().PendingScripts(), 0);
    QVERIFY(!boxText.contains(QStringLiteral("第三方")));
    QVERIFY(!boxEnabled);
    QVERIFY(program.Prompts().Texts().contains(QStringLiteral("该客户记录已被删除")));
    QCOMPARE(program.Scalar(QStringLiteral("Select Count(*) From Bill Where BillIndex > 1")),
             QStringLiteral("0"));
    QCOMPARE(program.Scalar(QStringLiteral("Select Count(*) From MoneyTable Where MoneyIndex > 1")),
             QStringLiteral("0"));
}

void TestCustomerCard::newSaleLeavesPageOneActive() {
    TestProgram program;
    CurrentUser = QStringLiteral("总经理");
    const int customer = AddCustomer(program, QStringLiteral("O'Brien"));
    FormMain->ShowPage(TFormMain::PageCustomers);

    // Cancelling the editor keeps the card open.
    bool cardStayed = false;
    QString fixedCustomer;
    bool customerBoxEnabled = true;
    program.Prompts().QueueModal(On<TFormCustomer>([&](TFormCustomer* card) {
        card->SellButton->click();
        cardStayed = card->isVisible();
        card->SellButton->click();
    }));
    program.Prompts().QueueModal(On<TFormBuySell>([](TFormBuySell* form) { form->BitBtn2->click(); }));
    program.Prompts().QueueModal(On<TFormBuySell>([&](TFormBuySell* form) {
        fixedCustomer = form->ComboBox5->currentText();
        customerBoxEnabled = form->ComboBox5->isEnabled();
        form->Edit2->setText(QStringLiteral("88"));
        form->BitBtn1->click();
    }));
    QVERIFY(!FormMain->OpenCustomerCard(customer));
    QVERIFY(cardStayed);
    QCOMPARE(fixedCustomer, QStringLiteral("O'Brien"));
    QVERIFY(!customerBoxEnabled);
    QCOMPARE(RowOf(QStringLiteral("Select BillKind, BillUser, BillSum From Bill Where BillIndex > 1")),
             QStringList({QStringLiteral("销售开单"), QStringLiteral("O'Brien"), QStringLiteral("88")}));
    QCOMPARE(FormMain->CurrentPage(), int(TFormMain::PageBills));
    // The cards were refreshed: the new sale is on the document page and the customer's card.
    QCOMPARE(FormMain->findChild<QLabel*>(QStringLiteral("BillMoney1"))->text(), QStringLiteral("88 元"));
    QCOMPARE(FormMain->findChild<QLabel*>(QStringLiteral("CustomerMoney1"))->text(), QStringLiteral("88 元"));
    QCOMPARE(program.Prompts().PendingScripts(), 0);
}

void TestCustomerCard::newPaymentLeavesPageFourActive() {
    TestProgram program;
    CurrentUser = QStringLiteral("总经理");
    AddAccount(program, QStringLiteral("现金"));
    const int customer = AddCustomer(program, QStringLiteral("供应商"));
    QString kind, fixedCustomer;
    qint64 bill = -1;
    program.Prompts().QueueModal(On<TFormCustomer>([](TFormCustomer* card) { card->PayButton->click(); }));
    program.Prompts().QueueModal(On<TFormGetPay>([&](TFormGetPay* form) {
        kind = form->OpenKind;
        bill = form->OpenBillIndex;
        fixedCustomer = form->ComboBox5->currentText();
        form->Edit2->setText(QStringLiteral("30"));
        form->BitBtn1->click();
    }));
    QVERIFY(!FormMain->OpenCustomerCard(customer));
    QCOMPARE(kind, QStringLiteral("财务支出单"));
    QCOMPARE(bill, qint64(0));
    QCOMPARE(fixedCustomer, QStringLiteral("供应商"));
    QCOMPARE(RowOf(QStringLiteral("Select MoneyUser, MoneySum From MoneyTable Where MoneyIndex > 1")),
             QStringList({QStringLiteral("供应商"), QStringLiteral("-30")}));
    QCOMPARE(FormMain->CurrentPage(), int(TFormMain::PageMoney));
}

void TestCustomerCard::changeBehindTheEditPassword() {
    TestProgram program;
    SetEditPassword(program, QStringLiteral("pw"));
    const int customer = AddCustomer(program, QStringLiteral("老王"));
    AddBill(program, QStringLiteral("销售开单"), QStringLiteral("老王"), 10, QString(),
            FormMain->WorkingDate());
    FormMain->RefreshAll();

    // A wrong password: the card stays open and the editor does not show.
    bool stayed = false;
    program.Prompts().QueueModal(On<TFormCustomer>([&](TFormCustomer* card) {
        card->CustomerEdit->click();
        stayed = card->isVisible();
    }));
    program.Prompts().QueueModal(AnswerPassword(QStringLiteral("PW")));
    QVERIFY(!FormMain->OpenCustomerCard(customer));
    QVERIFY(stayed);
    QCOMPARE(program.Prompts().Texts(), QStringList{QStringLiteral("密码错误，请重新操作")});
    QCOMPARE(program.Prompts().PendingScripts(), 0);

    // The right password opens the editor on the card's customer; a rename closes the card with
    // OK and the customer cards show the new name.
    program.Prompts().Clear();
    qint64 editing = 0;
    program.Prompts().QueueModal(On<TFormCustomer>([](TFormCustomer* card) { card->ActionEdit->trigger(); }));
    program.Prompts().QueueModal(AnswerPassword(QStringLiteral("pw")));
    program.Prompts().QueueModal(On<TFormCustomer2>([&](TFormCustomer2* form) {
        editing = form->EditCustomerIndex;
        form->CustomerName->setText(QStringLiteral("老王二"));
        form->BitBtn1->click();
    }));
    QVERIFY(FormMain->OpenCustomerCard(customer));
    QCOMPARE(editing, qint64(customer));
    QCOMPARE(FormMain->findChild<QLabel*>(QStringLiteral("CustomerName1"))->text(), QStringLiteral("老王二"));
    QCOMPARE(program.Scalar(QStringLiteral("Select BillUser From Bill Where BillIndex > 1")),
             QStringLiteral("老王二"));

    // Cancelling the editor keeps the card open and its result Cancel.
    program.Prompts().Clear();
    program.Prompts().QueueModal(On<TFormCustomer>([](TFormCustomer* card) { card->ActionEdit->trigger(); }));
    program.Prompts().QueueModal(AnswerPassword(QStringLiteral("pw")));
    program.Prompts().QueueModal(On<TFormCustomer2>([](TFormCustomer2* form) { form->BitBtn2->click(); }));
    QVERIFY(!FormMain->OpenCustomerCard(customer));
}

void TestCustomerCard::folder_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("usable");
    QTest::newRow("Chinese name") << QStringLiteral("杭州 老王 (2)") << true;
    QTest::newRow("quote") << QStringLiteral("O'Brien") << true;
    QTest::newRow("slash") << QStringLiteral("A/B 公司") << false;
    QTest::newRow("backslash") << QStringLiteral("A\\B") << false;
    QTest::newRow("dot dot") << QStringLiteral("..") << false;
    QTest::newRow("too long") << QString(90, QChar(0x738b)) << false; // 270 bytes in UTF-8
}

void TestCustomerCard::folder() {
    QFETCH(QString, name);
    QFETCH(bool, usable);
    TestProgram program;
    const int customer = AddCustomer(program, name);
    program.Prompts().QueueModal(On<TFormCustomer>([](TFormCustomer* card) {
        QTest::mouseClick(card->Image1, Qt::LeftButton);
        QTest::mouseClick(card->Image1, Qt::LeftButton); // the second time the folder exists
    }));
    FormMain->OpenCustomerCard(customer);
    const QString root = program.Folder() + QStringLiteral("客户目录");
    if (usable) {
        const QString folder = root + QLatin1Char('/') + name;
        QVERIFY(QFileInfo(folder).isDir());
        QCOMPARE(program.Prompts().OpenedWithDesktop, QStringList({folder, folder}));
        QVERIFY(program.Prompts().Texts().isEmpty());
    } else {
        QVERIFY(program.Prompts().OpenedWithDesktop.isEmpty());
        QCOMPARE(program.Prompts().Texts().size(), 2);
        QVERIFY(program.Prompts().LastText().contains(name));
        QVERIFY(program.Prompts().LastText().contains(QStringLiteral("不能用作文件夹名称")));
        // Nothing created under the customer folders.
        QCOMPARE(QDir(root).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    }
    // The name itself stays as it was.
    QCOMPARE(program.Scalar(
                 QStringLiteral("Select CustomerName From Customer Where CustomerIndex = %1").arg(customer)),
             name);
}

void TestCustomerCard::folderWithoutFileManager() {
    // A desktop that opens no folder: the folder is made all the same and its path is shown.
    TestProgram program;
    const int customer = AddCustomer(program, QStringLiteral("杭州 老王"));
    program.Prompts().DesktopOpens = false;
    program.Prompts().QueueModal(
        On<TFormCustomer>([](TFormCustomer* card) { QTest::mouseClick(card->Image1, Qt::LeftButton); }));
    FormMain->OpenCustomerCard(customer);
    const QString folder = program.Folder() + QStringLiteral("客户目录/杭州 老王");
    QVERIFY(QFileInfo(folder).isDir());
    QCOMPARE(program.Prompts().OpenedWithDesktop, QStringList{folder});
    QCOMPARE(program.Prompts().Texts().size(), 1);
    QCOMPARE(program.Prompts().Messages.back().Kind, QStringLiteral("information"));
    QVERIFY2(program.Prompts().LastText().endsWith(QDir::toNativeSeparators(folder)),
             qPrintable(program.Prompts().LastText()));
    QVERIFY(program.Prompts().LastText().startsWith(QStringLiteral("本机没有可以打开文件夹的程序")));
}

void TestCustomerCard::folderPictureHighlight() {
    TestProgram program;
    FormCustomer->HighlightFolderPicture(false);
    auto fill = [] { return FormCustomer->Shape1->Fill(); };
    QCOMPARE(fill(), QColor(Qt::white));
    QMouseEvent over(QEvent::MouseMove, QPointF(5, 5), QPointF(5, 5), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(FormCustomer->Image1, &over);
    QCOMPARE(fill(), QColor(166, 202, 240));
    QMouseEvent away(QEvent::MouseMove, QPointF(300, 5), QPointF(300, 5), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(FormCustomer->GroupBox1, &away);
    QCOMPARE(fill(), QColor(Qt::white));
}

void TestCustomerCard::layoutWithFigures() {
    TestProgram program;
    FormMain->SetWorkingDate(Today);
    const int account = AddAccount(program, QStringLiteral("工商银行基本户"));
    const QString name = QStringLiteral("杭州西湖贸易有限公司");
    const int customer = Customer(program, name, 1250.5);
    AddBill(program, QStringLiteral("销售开单"), name, 12800, QString(), Today);
    AddBill(program, QStringLiteral("采购开单"), name, -3000, QString(), Today);
    AddVoucher(program, account, 0, name, 6500.25, QString(), Today);
    QStringList outside{QStringLiteral("not shown")};
    QSize size;
    program.Prompts().QueueModal(On<TFormCustomer>([&](TFormCustomer* card) {
        size = card->size();
        outside = ChildrenOutside(card);
        SaveScreenshot(card, QStringLiteral("customer-card.png"));
    }));
    FormMain->OpenCustomerCard(customer);
    QCOMPARE(size, QSize(721, 493));
    QCOMPARE(outside, QStringList());
    QCOMPARE(FormCustomer->LabelOwe->text(), QStringLiteral("4550.25"));
    // Each box is reachable by its caption.
    for (QLabel* label : FormCustomer->GroupBox1->findChildren<QLabel*>()) {
        if (label->text().endsWith(QStringLiteral("：")))
            QVERIFY2(label->buddy() != nullptr, qPrintable(label->text()));
    }
}

QTEST_MAIN(TestCustomerCard)
#include "tst_customercard.moc"
