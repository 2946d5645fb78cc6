#include "finance/AccountForm.h"
#include "finance/AccountForm2.h"
#include "foundation/JetSql.h"
#include "foundation/PublicFunction.h"
#include "foundation/ShareDM.h"
#include "kit/DataGrid.h"
#include "kit/ErrorHandler.h"
#include "mainwindow/MainForm.h"
#include "reports/ReportFixture.h"
#include "signin/AskForm.h"
#include "support/Books.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

// Accounts: the editor, creating, the account window's statements, changing and deleting.
class TestAccounts : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void createAccount_data();
    void createAccount();
    void openingBalanceMustBeAnAmount_data();
    void openingBalanceMustBeAnAmount();
    void failingNameCheckStopsTheNewAccount();
    void accountWindowShowsNameAndBalance();
    void statements_data();
    void statements();
    void renameToOwnNameRewritesOnlyTheBalance();
    void renameToAnotherAccountsNameIsRefused();
    void renameKeepsTheVouchers();
    void changeOfAnAccountGoneMeanwhile();
    void changeNeedsTheEditPassword();
    void deleteTakesTheVouchersAndReopensDocuments();
    void deleteAnsweredNoChangesNothing();
    void failedDeleteKeepsAccountAndVouchers();
    void changedByAnotherWorkstation_data();
    void changedByAnotherWorkstation();

private:
    std::unique_ptr<TestProgram> program;
    // Types into the account editor and presses 确定; records the caption and the boxes as shown.
    ScriptedPrompts::ModalScript TypeIntoEditor(const QString& name, const QString& base);
    QString editorCaption, editorName, editorBase, editorFocus;
    bool editorStayedOpen = false;
};

void TestAccounts::init() {
    program = std::make_unique<TestProgram>();
    FillSmallBook(*program);
    FormMain->SetWorkingDate(QDate(2024, 2, 15));
    CurrentRole = QStringLiteral("财务主管");
    CurrentUser = QStringLiteral("财务主管");
}

void TestAccounts::cleanup() {
    program.reset();
}

ScriptedPrompts::ModalScript TestAccounts::TypeIntoEditor(const QString& name, const QString& base) {
    return [this, name, base](QDialog* dialog) {
        auto* editor = static_cast<TFormAccount2*>(dialog);
        editorCaption = editor->windowTitle();
        editorName = editor->Edit1->text();
        editorBase = editor->Edit2->text();
        editor->Edit1->setText(name);
        editor->Edit2->setText(base);
        editor->Button1->click();
        editorStayedOpen = editor->isVisible();
        editorFocus = editor->focusWidget() ? editor->focusWidget()->objectName() : QString();
    };
}

void TestAccounts::createAccount_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("base");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("added");
    QTest::newRow("new name") << "备用金"
                              << "1500.5"
                              << "帐户　备用金　新增成功" << true;
    QTest::newRow("balance left 0") << "零钱"
                                    << "0"
                                    << "帐户　零钱　新增成功" << true;
    QTest::newRow("name with a quote") << "Bob's"
                                       << "10"
                                       << "帐户　Bob's　新增成功" << true;
    QTest::newRow("existing name") << "现金"
                                   << "10"
                                   << "该帐户名已经存在，请重新操作" << false;
    QTest::newRow("empty name") << ""
                                << "10"
                                << "帐户名不得为空" << false;
}

void TestAccounts::createAccount() {
    QFETCH(QString, name);
    QFETCH(QString, base);
    QFETCH(QString, message);
    QFETCH(bool, added);
    const QString before = program->Scalar("Select Count(*) From Account");
    program->Prompts().QueueModal(TypeIntoEditor(name, base));
    QCOMPARE(FormMain->NewAccount(), added);
    QCOMPARE(editorCaption, QStringLiteral("新增帐户"));
    QCOMPARE(editorName, QString());
    QCOMPARE(editorBase, QStringLiteral("0"));
    QCOMPARE(program->Prompts().Texts(), QStringList({message}));
    QCOMPARE(program->Scalar("Select Count(*) From Account").toInt(), before.toInt() + (added ? 1 : 0));
    if (added) {
        const QString where = " Where AccountName = " + SqlText(name);
        QCOMPARE(program->Scalar("Select AccountBase From Account" + where).toDouble(), TextToAmount(base));
        QCOMPARE(program->Scalar("Select AccountMan From Account" + where), QStringLiteral("财务主管"));
    }
}

void TestAccounts::openingBalanceMustBeAnAmount_data() {
    QTest::addColumn<QString>("base");
    QTest::newRow("two points") << "1.2.3";
    QTest::newRow("negative") << "-5";
    QTest::newRow("empty") << "";
    QTest::newRow("letters") << "12元";
    QTest::newRow("too long for a number") << QString(400, QLatin1Char('9'));
}

void TestAccounts::openingBalanceMustBeAnAmount() {
    QFETCH(QString, base);
    const QString before = program->Scalar("Select Count(*) From Account");
    program->Prompts().QueueModal(TypeIntoEditor(QStringLiteral("备用金"), base));
    QVERIFY(!FormMain->NewAccount());
    QVERIFY(editorStayedOpen);
    QCOMPARE(editorFocus, QStringLiteral("Edit2"));
    QCOMPARE(program->Prompts().Texts(), QStringList({QStringLiteral("金额格式有误，请重新输入")}));
    QCOMPARE(program->Scalar("Select Count(*) From Account"), before);
}

void TestAccounts::failingNameCheckStopsTheNewAccount() {
    const QString before = program->Scalar("Select Count(*) From Account");
    program->Prompts().QueueModal([this](QDialog* dialog) {
        // The accounts become unreadable while the name is typed.
        program->Exec(QStringLiteral("Alter Table Account Rename To AccountRows"));
        TypeIntoEditor(QStringLiteral("备用金"), QStringLiteral("5"))(dialog);
    });
    QVERIFY(!FormMain->NewAccount());
    QCOMPARE(program->Prompts().Texts(), QStringList({QStringLiteral("无法打开数据库")}));
    program->Exec(QStringLiteral("Alter Table AccountRows Rename To Account"));
    QCOMPARE(program->Scalar("Select Count(*) From Account"), before);
}

void TestAccounts::accountWindowShowsNameAndBalance() {
    QString name, balance;
    program->Prompts().QueueModal([&](QDialog* dialog) {
        auto* form = static_cast<TFormAccount*>(dialog);
        name = form->Label3->text();
        balance = form->Label4->text();
        form->ActionCancel->trigger();
    });
    QVERIFY(!FormMain->OpenAccountWindow(2));
    QCOMPARE(name, QStringLiteral("现金"));
    // Opening balance 100, then 300 - 100 up to 15 February; the payment of the 28th comes later.
    QCOMPARE(balance, QStringLiteral("300 元"));
}

void TestAccounts::statements_data() {
    QTest::addColumn<QDate>("working");
    QTest::addColumn<QString>("action");
    QTest::addColumn<QList<int>>("keys");
    // Vouchers of 现金 (account 2) on 2024-01-31, 02-01, 02-29, 03-01 and 2023-12-31 are added.
    QTest::newRow("month of 15 February, leap year")
        << QDate(2024, 2, 15) << "ActionMonth" << QList<int>({11, 2, 4, 6, 12});
    QTest::newRow("month of 31 January") << QDate(2024, 1, 31) << "ActionMonth" << QList<int>({10});
    QTest::newRow("year") << QDate(2024, 2, 15) << "ActionYear" << QList<int>({10, 11, 2, 4, 6, 12, 13});
    QTest::newRow("all") << QDate(2024, 2, 15) << "ActionAll" << QList<int>({14, 10, 11, 2, 4, 6, 12, 13});
}

void TestAccounts::statements() {
    QFETCH(QDate, working);
    QFETCH(QString, action);
    QFETCH(QList<int>, keys);
    program->Exec(
        "Insert Into MoneyTable (MoneyIndex, MoneyAccount, MoneyBill, MoneySerial, MoneyCreateTime, "
        "MoneyUser, MoneyMan, MoneyIn, MoneyOut, MoneySum) Values "
        "(10, 2, 0, 'SK2', '2024-01-31', 'x', 'y', 1, 0, 1), (11, 2, 0, 'SK3', '2024-02-01', 'x', 'y', 1, 0, "
        "1), "
        "(12, 2, 0, 'SK4', '2024-02-29', 'x', 'y', 1, 0, 1), (13, 2, 0, 'SK5', '2024-03-01', 'x', 'y', 1, 0, "
        "1), "
        "(14, 2, 0, 'SK6', '2023-12-31', 'x', 'y', 1, 0, 1), (15, 3, 0, 'SK7', '2024-02-10', 'x', 'y', 1, 0, "
        "1)");
    FormMain->SetWorkingDate(working);
    int result = -1;
    program->Prompts().QueueModal([&](QDialog* dialog) {
        dialog->findChild<QAction*>(action)->trigger();
        result = dialog->isVisible() ? -1 : dialog->result();
    });
    FormMain->OpenAccountWindow(2);
    QCOMPARE(result, int(QDialog::Rejected));
    QCOMPARE(FormMain->CurrentPage(), int(TFormMain::PageMoneyReport));
    QCOMPARE(Keys(FormMain->MReportADOQuery, "MoneyIndex"), keys);
    QCOMPARE(FormMain->DBGridEh1->FooterText(0), QStringLiteral("共%1条").arg(keys.size()));
    // The grid binds by name although the statement orders its columns differently.
    QCOMPARE(FormMain->DBGridEh1->model()->index(0, 2).data().toString(), QStringLiteral("现金"));
}

void TestAccounts::renameToOwnNameRewritesOnlyTheBalance() {
    program->Prompts().QueueModal(
        [](QDialog* dialog) { static_cast<TFormAccount*>(dialog)->ActionEdit->trigger(); });
    program->Prompts().QueueModal(TypeIntoEditor(QStringLiteral("现金"), QStringLiteral("2500")));
    QVERIFY(FormMain->OpenAccountWindow(2));
    QCOMPARE(editorCaption, QStringLiteral("修改帐户"));
    QCOMPARE(editorName, QStringLiteral("现金"));
    QCOMPARE(editorBase, QStringLiteral("100"));
    QCOMPARE(program->Prompts().Texts(), QStringList({QStringLiteral("帐户　现金　修改成功")}));
    QCOMPARE(program->Scalar("Select AccountBase From Account Where AccountIndex = 2"),
             QStringLiteral("2500"));
    QCOMPARE(program->Scalar("Select AccountMan From Account Where AccountIndex = 2"),
             QStringLiteral("财务主管"));
    QVERIFY(!FormAccount->isVisible());
}

void TestAccounts::renameToAnotherAccountsNameIsRefused() {
    bool windowStayed = false;
    program->Prompts().QueueModal([&](QDialog* dialog) {
        static_cast<TFormAccount*>(dialog)->ActionEdit->trigger();
        windowStayed = dialog->isVisible();
    });
    program->Prompts().QueueModal(TypeIntoEditor(QStringLiteral("银行"), QStringLiteral("2500")));
    QVERIFY(!FormMain->OpenAccountWindow(2));
    QVERIFY(windowStayed);
    QCOMPARE(program->Prompts().Texts(), QStringList({QStringLiteral("该帐户名已经存在，请重新操作")}));
    QCOMPARE(program->Scalar("Select AccountName From Account Where AccountIndex = 2"),
             QStringLiteral("现金"));
    QCOMPARE(program->Scalar("Select AccountBase From Account Where AccountIndex = 2").toDouble(), 100.0);
}

void TestAccounts::renameKeepsTheVouchers() {
    FormMain->FillMoneyReport(MoneyQueryText(MoneyCriteria(), QString()));
    program->Prompts().QueueModal(
        [](QDialog* dialog) { static_cast<TFormAccount*>(dialog)->ActionEdit->trigger(); });
    program->Prompts().QueueModal(TypeIntoEditor(QStringLiteral("库存现金"), QStringLiteral("100")));
    QVERIFY(FormMain->OpenAccountWindow(2));
    // The refresh re-ran the voucher grid: the vouchers show the new name.
    QCOMPARE(ValueOf(FormMain->MReportADOQuery, "MoneyIndex", 4, "AccountName").toString(),
             QStringLiteral("库存现金"));
    QCOMPARE(program->Scalar("Select Count(*) From MoneyTable Where MoneyAccount = 2"), QStringLiteral("3"));
}

void TestAccounts::changeOfAnAccountGoneMeanwhile() {
    FormMain->FillMoneyReport(MoneyQueryText(MoneyCriteria(), QString()));
    bool windowStayed = true;
    program->Prompts().QueueModal([&](QDialog* dialog) {
        program->Exec("Delete From Account Where AccountIndex = 2");
        static_cast<TFormAccount*>(dialog)->ActionEdit->trigger();
        windowStayed = dialog->isVisible();
    });
    program->Prompts().QueueModal(TypeIntoEditor(QStringLiteral("备用金"), QStringLiteral("5")));
    QVERIFY(!FormMain->OpenAccountWindow(2));
    QVERIFY(!windowStayed);
    // The editor showed the name it was given and a balance of 0, nothing of an earlier showing.
    QCOMPARE(editorName, QStringLiteral("现金"));
    QCOMPARE(editorBase, QStringLiteral("0"));
    QCOMPARE(program->Prompts().Texts(), QStringList({QStringLiteral("找不到要修改的帐户")}));
    QCOMPARE(program->Scalar("Select Count(*) From Account Where AccountName = '备用金'"),
             QStringLiteral("0"));
    // The refresh still ran: the vouchers of the vanished account have left the voucher grid.
    QCOMPARE(Keys(FormMain->MReportADOQuery, "MoneyIndex"), QList<int>({5, 3}));
}

void TestAccounts::changeNeedsTheEditPassword() {
    program->Exec("Update Power Set PowerKey = 'secret' Where PowerName = '修改'");
    program->Prompts().QueueModal([](QDialog* dialog) {
        static_cast<TFormAccount*>(dialog)->ActionEdit->trigger();
        static_cast<TFormAccount*>(dialog)->ActionDelete->trigger();
    });
    for (int i = 0; i < 2; ++i) {
        program->Prompts().QueueModal([](QDialog* dialog) {
            auto* ask = static_cast<TFormAsk*>(dialog);
            ask->Edit1->setText("wrong");
            ask->BitBtn1->click();
        });
    }
    QVERIFY(!FormMain->OpenAccountWindow(2));
    QCOMPARE(program->Prompts().Texts(),
             QStringList({QStringLiteral("密码错误，请重新操作"), QStringLiteral("密码错误，请重新操作")}));
    QCOMPARE(program->Prompts().UnexpectedModals, 0);
    QCOMPARE(program->Scalar("Select Count(*) From Account Where AccountIndex = 2"), QStringLiteral("1"));
}

void TestAccounts::deleteTakesTheVouchersAndReopensDocuments() {
    FormMain->FillBillReport(BillQueryText(BillCriteria(), QString()));
    QCOMPARE(ValueOf(FormMain->BReportADOQuery, "BillIndex", 2, "BillOwe").toDouble(), 499.75);
    program->Prompts().QueueAnswer(true);
    program->Prompts().QueueModal(
        [](QDialog* dialog) { static_cast<TFormAccount*>(dialog)->ActionDelete->trigger(); });
    QVERIFY(FormMain->OpenAccountWindow(2));
    QCOMPARE(program->Prompts().Messages[1].Kind, QStringLiteral("question"));
    QCOMPARE(program->Prompts().Messages[1].Text,
             QStringLiteral("删除帐户 现金 将删除该帐户下所有记录，确实要删除吗？"));
    QCOMPARE(program->Prompts().Messages[1].Title, QStringLiteral("删除警告"));
    QCOMPARE(program->Scalar("Select Count(*) From Account Where AccountIndex = 2"), QStringLiteral("0"));
    QCOMPARE(program->Scalar("Select Count(*) From MoneyTable Where MoneyAccount = 2"), QStringLiteral("0"));
    // The other account's vouchers and the reserved row stay.
    QCOMPARE(program->Scalar("Select Count(*) From MoneyTable Where MoneyAccount = 3"), QStringLiteral("2"));
    QCOMPARE(program->Scalar("Select Count(*) From MoneyTable Where MoneyIndex = 1"), QStringLiteral("1"));
    // The refresh re-ran the document grid: the receipt of 300 no longer settles the sale, and the
    // purchase's payment is gone.
    QCOMPARE(ValueOf(FormMain->BReportADOQuery, "BillIndex", 2, "BillGet").toDouble(), 200.25);
    QCOMPARE(ValueOf(FormMain->BReportADOQuery, "BillIndex", 2, "BillOwe").toDouble(), 799.75);
    QCOMPARE(ValueOf(FormMain->BReportADOQuery, "BillIndex", 3, "BillOwe").toDouble(), -300.0);
}

void TestAccounts::deleteAnsweredNoChangesNothing() {
    bool windowStayed = false;
    program->Prompts().QueueAnswer(false);
    program->Prompts().QueueModal([&](QDialog* dialog) {
        static_cast<TFormAccount*>(dialog)->ActionDelete->trigger();
        windowStayed = dialog->isVisible();
    });
    QVERIFY(!FormMain->OpenAccountWindow(2));
    QVERIFY(windowStayed);
    QCOMPARE(program->Scalar("Select Count(*) From MoneyTable Where MoneyAccount = 2"), QStringLiteral("3"));
    QCOMPARE(program->Scalar("Select Count(*) From Account Where AccountIndex = 2"), QStringLiteral("1"));
}

void TestAccounts::failedDeleteKeepsAccountAndVouchers() {
    // The vouchers cannot be deleted: the account's deletion must not stay behind alone.
    program->RefuseWrites(QStringLiteral("MoneyTable"), QStringLiteral("Delete"), QStringLiteral("locked"));
    program->Prompts().QueueAnswer(true);
    program->Prompts().QueueModal([](QDialog* dialog) {
        RunGuarded([&] { static_cast<TFormAccount*>(dialog)->ActionDeleteExecute(); });
    });
    QVERIFY(!FormMain->OpenAccountWindow(2));
    QCOMPARE(program->Prompts().Messages.back().Kind, QStringLiteral("error"));
    QCOMPARE(program->Scalar("Select Count(*) From Account Where AccountIndex = 2"), QStringLiteral("1"));
    QCOMPARE(program->Scalar("Select Count(*) From MoneyTable Where MoneyAccount = 2"), QStringLiteral("3"));
}

void TestAccounts::changedByAnotherWorkstation_data() {
    QTest::addColumn<QString>("otherDoes"); // a statement another workstation runs on account 2
    QTest::addColumn<bool>("remove");
    const char* others[][2] = {{"change", "Update Account Set AccountBase = 99 Where AccountIndex = 2"},
                               {"deletion", "Delete From Account Where AccountIndex = 2"}};
    for (const auto& other : others) {
        QTest::addRow("save over a %s", other[0]) << QString::fromUtf8(other[1]) << false;
        QTest::addRow("delete over a %s", other[0]) << QString::fromUtf8(other[1]) << true;
    }
}

// Another workstation changes the account while its editor (or its window, for a deletion) shows
// it: 确定 and 删除 are refused with the message, the editor stays open, and only the other's
// change is stored.
void TestAccounts::changedByAnotherWorkstation() {
    QFETCH(QString, otherDoes);
    QFETCH(bool, remove);
    DbConnection other;
    QVERIFY(program->OpenOtherWorkstation(other));
    QStringList before;
    if (remove) {
        program->Prompts().QueueAnswer(true);
        program->Prompts().QueueModal([&](QDialog* dialog) {
            Query(&other).ExecSql(otherDoes);
            before = AllRows(other);
            static_cast<TFormAccount*>(dialog)->ActionDelete->trigger();
        });
    } else {
        program->Prompts().QueueModal(
            [](QDialog* dialog) { static_cast<TFormAccount*>(dialog)->ActionEdit->trigger(); });
        program->Prompts().QueueModal([&](QDialog* dialog) {
            Query(&other).ExecSql(otherDoes);
            before = AllRows(other);
            TypeIntoEditor(QStringLiteral("备用金"), QStringLiteral("5"))(dialog);
        });
    }
    QVERIFY(!FormMain->OpenAccountWindow(2));
    if (!remove)
        QVERIFY(editorStayedOpen);
    QCOMPARE(program->Prompts().Texts().last(), QStringLiteral("该记录已被其他用户修改，请刷新后重试"));
    QCOMPARE(program->Prompts().Texts().size(), remove ? 2 : 1);
    QCOMPARE(AllRows(other), before);
}

QTEST_MAIN(TestAccounts)
#include "tst_accounts.moc"
