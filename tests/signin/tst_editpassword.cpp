#include "customers/CustomerForm.h"
#include "documents/BuySellForm.h"
#include "documents/EditorScripts.h"
#include "finance/AccountForm.h"
#include "finance/GetPayForm.h"
#include "mainwindow/MainForm.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

// Every action guarded by the edit password asks for it, and an empty edit password asks nothing.
class TestEditPassword : public QObject {
    Q_OBJECT
private slots:
    void guardedActions_data();
    void guardedActions();
};

namespace {

enum Guarded { DocumentEdit, VoucherStore, VoucherDelete, AccountChange, AccountDelete, CustomerChange };

// The records of the guarded windows, and the guarded step of each.
struct Fixture {
    int customer = 0, account = 0, bill = 0, voucher = 0;

    explicit Fixture(TestProgram& program) {
        const QDate today = FormMain->WorkingDate();
        customer = AddCustomer(program, QStringLiteral("老王"));
        account = AddAccount(program, QStringLiteral("现金"));
        bill = AddBill(program, QStringLiteral("销售开单"), QStringLiteral("老王"), 100, QString(), today);
        voucher = AddVoucher(program, account, 0, QStringLiteral("老王"), 20, QString(), today);
    }

    // Opens the window of the action and presses the guarded button; the password prompt, when
    // it shows, is answered by `password`. True when the action went on past the password.
    bool Run(TestProgram& program, int action, const ScriptedPrompts::ModalScript& password) {
        ScriptedPrompts& prompts = program.Prompts();
        auto queue = [&](ScriptedPrompts::ModalScript window) {
            prompts.QueueModal(std::move(window));
            if (password)
                prompts.QueueModal(password);
        };
        bool wentOn = false;
        switch (action) {
        case DocumentEdit:
            queue(On<TFormBuySell>([&](TFormBuySell* form) {
                form->SpeedButton4->click();
                wentOn = !form->BitBtn1->isHidden();
            }));
            FormMain->OpenBillEditor(bill);
            break;
        case VoucherStore:
            queue(On<TFormGetPay>([](TFormGetPay* form) { form->BitBtn1->click(); }));
            wentOn = FormMain->OpenMoneyEditor(voucher);
            break;
        case VoucherDelete:
            prompts.QueueAnswer(true);
            queue(On<TFormGetPay>([](TFormGetPay* form) { form->BitBtn3->click(); }));
            wentOn = FormMain->OpenMoneyEditor(voucher);
            break;
        case AccountChange:
            // Allowed, it shows the account editor, left unscripted here.
            queue(On<TFormAccount>([](TFormAccount* form) { form->ActionEdit->trigger(); }));
            FormMain->OpenAccountWindow(account);
            wentOn = prompts.UnexpectedModals == 1;
            break;
        case AccountDelete:
            prompts.QueueAnswer(true);
            queue(On<TFormAccount>([](TFormAccount* form) { form->ActionDelete->trigger(); }));
            wentOn = FormMain->OpenAccountWindow(account);
            break;
        case CustomerChange:
            // Allowed, it shows the customer editor, left unscripted here.
            queue(On<TFormCustomer>([](TFormCustomer* card) { card->ActionEdit->trigger(); }));
            FormMain->OpenCustomerCard(customer);
            wentOn = prompts.UnexpectedModals == 1;
            break;
        }
        return wentOn;
    }
};

bool PromptShown(TestProgram& program) {
    for (const ScriptedPrompts::Message& m : program.Prompts().Messages) {
        if (m.Kind == QLatin1String("modal") && m.Text == QLatin1String("FormAsk"))
            return true;
    }
    return false;
}

} // namespace

void TestEditPassword::guardedActions_data() {
    QTest::addColumn<int>("action");
    QTest::addColumn<QString>("password");
    const struct {
        int action;
        const char* name;
    } actions[] = {
        {DocumentEdit, "document edit"},   {VoucherStore, "voucher store"},
        {VoucherDelete, "voucher delete"}, {AccountChange, "account change"},
        {AccountDelete, "account delete"}, {CustomerChange, "customer card 资料修改"},
    };
    for (const auto& a : actions) {
        QTest::addRow("%s, password set", a.name) << a.action << QStringLiteral("pw");
        QTest::addRow("%s, no password", a.name) << a.action << QString();
    }
}

void TestEditPassword::guardedActions() {
    QFETCH(int, action);
    QFETCH(QString, password);
    TestProgram program;
    CurrentUser = QStringLiteral("总经理");
    SetEditPassword(program, password);
    Fixture fixture(program);

    if (password.isEmpty()) {
        // Nothing is asked; the action goes on.
        QVERIFY(fixture.Run(program, action, {}));
        QVERIFY(!PromptShown(program));
        return;
    }

    // Cancelled: the prompt showed as the guard asks it, and nothing happened.
    QString title, prompt;
    const bool wentOn = fixture.Run(program, action, On<TFormAsk>([&](TFormAsk* ask) {
                                        title = ask->windowTitle();
                                        prompt = ask->Label1->text();
                                        ask->BitBtn2->click();
                                    }));
    QVERIFY(!wentOn);
    QCOMPARE(title, QStringLiteral("修改密码"));
    QCOMPARE(prompt, QStringLiteral("请输入资料修改密码"));
    QCOMPARE(program.Prompts().PendingScripts(), 0);
    QCOMPARE(program.Prompts().UnexpectedModals, 0);
    QVERIFY(program.Prompts().Texts().isEmpty());

    // The right password lets it go on.
    program.Prompts().Clear();
    QVERIFY(fixture.Run(program, action, AnswerPassword(QStringLiteral("pw"))));
    QVERIFY(PromptShown(program));
}

QTEST_MAIN(TestEditPassword)
#include "tst_editpassword.moc"
