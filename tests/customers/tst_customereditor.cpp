#include "customers/CustomerForm2.h"
#include "documents/EditorScripts.h"
#include "foundation/ShareDM.h"
#include "mainwindow/MainForm.h"
#include "support/Books.h"

#include <QLabel>
#include <QTest>

// The customer editor: adding, changing with the rename carried into documents and vouchers,
// deleting.
class TestCustomerEditor : public QObject {
    Q_OBJECT
private slots:
    void newCustomer();
    void newCustomerRefused_data();
    void newCustomerRefused();
    void openingBalance_data();
    void openingBalance();
    void renameCarriesDocumentsAndVouchers();
    void renameThatOnlyChangesLetterCaseIsRefused();
    void unchangedNameSkipsTheCascade();
    void renameThatFailsHalfwayChangesNothing();
    void deleteKeepsTheDocuments();
    void vanishedCustomer();
    void changedByAnotherWorkstation_data();
    void changedByAnotherWorkstation();
    void failingNameCheckStopsTheSave_data();
    void failingNameCheckStopsTheSave();
};

namespace {

// Opens the editor on a stored customer, runs `inside`, returns whether it closed with OK.
bool EditCustomer(int index, std::function<void(TFormCustomer2*)> inside) {
    FormCustomer2->EditExisting = true;
    FormCustomer2->EditCustomerIndex = index;
    auto* prompts = static_cast<ScriptedPrompts*>(&Prompts::Get());
    prompts->QueueModal(On<TFormCustomer2>(std::move(inside)));
    return Prompts::Get().ShowModal(FormCustomer2) == QDialog::Accepted;
}

void AddNamedDocuments(TestProgram& program, const QString& name, int account) {
    const QDate today = FormMain->WorkingDate();
    const int bill = AddBill(program, QStringLiteral("销售开单"), name, 100, QStringLiteral("甲"), today);
    AddBill(program, QStringLiteral("采购开单"), name, -40, QStringLiteral("乙"), today);
    AddVoucher(program, account, bill, name, 60, QStringLiteral("甲"), today);
    AddVoucher(program, account, 0, name, -10, QStringLiteral("乙"), today);
}

int Count(TestProgram& program, const QString& sql) {
    return program.Scalar(sql).toInt();
}

} // namespace

void TestCustomerEditor::newCustomer() {
    TestProgram program;
    CurrentUser = QStringLiteral("张三");
    bool deleteEnabled = true;
    QString focused;
    program.Prompts().QueueModal(On<TFormCustomer2>([&](TFormCustomer2* form) {
        deleteEnabled = form->BitBtn3->isEnabled();
        focused = FocusOf(form);
        form->CustomerName->setText(QStringLiteral("O'Brien 贸易"));
        form->CustomerOwe->setText(QStringLiteral("-20.5"));
        form->CustomerPhone->setText(QStringLiteral("0571-1"));
        form->CustomerFax->setText(QStringLiteral("0571-2"));
        form->CustomerContact->setText(QStringLiteral("王'五"));
        form->CustomerHandPhone->setText(QStringLiteral("139"));
        form->CustomerEMail->setText(QStringLiteral("a@b.c"));
        form->CustomerWebsite->setText(QStringLiteral("b.c"));
        form->CustomerAddress->setText(QStringLiteral("杭州"));
        form->CustomerRemark->setText(QStringLiteral("备注"));
        form->BitBtn1->click();
    }));
    QVERIFY(FormMain->NewCustomer());
    QVERIFY(!deleteEnabled); // nothing of its own to delete while adding
    QCOMPARE(focused, QStringLiteral("CustomerName"));
    QCOMPARE(program.Prompts().Texts(), QStringList{QStringLiteral("客户　O'Brien 贸易　新增成功")});
    QCOMPARE(
        RowOf(QStringLiteral("Select CustomerName, CustomerOwe, CustomerPhone, CustomerFax, CustomerContact, "
                             "CustomerHandPhone, CustomerEMail, CustomerWebsite, CustomerAddress, "
                             "CustomerRemark, CustomerMan From Customer Where CustomerIndex > 1")),
        QStringList({QStringLiteral("O'Brien 贸易"), QStringLiteral("-20.5"), QStringLiteral("0571-1"),
                     QStringLiteral("0571-2"), QStringLiteral("王'五"), QStringLiteral("139"),
                     QStringLiteral("a@b.c"), QStringLiteral("b.c"), QStringLiteral("杭州"),
                     QStringLiteral("备注"), QStringLiteral("张三")}));
    // The main window refreshed its cards.
    QCOMPARE(FormMain->findChild<QLabel*>(QStringLiteral("CustomerName1"))->text(),
             QStringLiteral("O'Brien 贸易"));
    QCOMPARE(FormMain->findChild<QLabel*>(QStringLiteral("CustomerOwe1"))->text(),
             QStringLiteral("-20.5 元"));
}

void TestCustomerEditor::newCustomerRefused_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("owe");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("focus");
    QTest::newRow("empty name") << ""
                                << "1"
                                << "客户名不得为空"
                                << "CustomerName";
    QTest::newRow("name taken") << "O'Brien"
                                << ""
                                << "该客户名已经存在，请重新操作"
                                << "CustomerName";
    QTest::newRow("name taken, other case") << "o'brien"
                                            << ""
                                            << "该客户名已经存在，请重新操作"
                                            << "CustomerName";
    QTest::newRow("balance abc") << "新客户"
                                 << "abc"
                                 << "金额格式有误，请重新输入"
                                 << "CustomerOwe";
    QTest::newRow("balance 1.2.3") << "新客户"
                                   << "1.2.3"
                                   << "金额格式有误，请重新输入"
                                   << "CustomerOwe";
    QTest::newRow("balance -") << "新客户"
                               << "-"
                               << "金额格式有误，请重新输入"
                               << "CustomerOwe";
    QTest::newRow("balance 1,000") << "新客户"
                                   << "1,000"
                                   << "金额格式有误，请重新输入"
                                   << "CustomerOwe";
    QTest::newRow("balance too long for a number")
        << "新客户" << QString(400, QLatin1Char('9')) << "金额格式有误，请重新输入"
        << "CustomerOwe";
}

void TestCustomerEditor::newCustomerRefused() {
    QFETCH(QString, name);
    QFETCH(QString, owe);
    QFETCH(QString, message);
    QFETCH(QString, focus);
    TestProgram program;
    CurrentUser = QStringLiteral("张三");
    AddCustomer(program, QStringLiteral("O'Brien"));
    QString focused;
    bool open = false;
    program.Prompts().QueueModal(On<TFormCustomer2>([&](TFormCustomer2* form) {
        form->CustomerName->setText(name);
        form->CustomerOwe->setText(owe);
        form->BitBtn1->click();
        open = form->isVisible();
        focused = FocusOf(form);
    }));
    QVERIFY(!FormMain->NewCustomer());
    QVERIFY(open);
    QCOMPARE(program.Prompts().Texts(), QStringList{message});
    QCOMPARE(focused, focus);
    QCOMPARE(program.Scalar(QStringLiteral("Select Count(*) From Customer")), QStringLiteral("2"));
}

void TestCustomerEditor::openingBalance_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("shownAgain");
    QTest::newRow("empty") << ""
                           << "0"
                           << "0";
    QTest::newRow("negative") << "-5"
                              << "-5"
                              << "-5";
    QTest::newRow("decimal") << "1234.5678"
                             << "1234.5678"
                             << "1234.5678";
    QTest::newRow("leading point") << ".5"
                                   << "0.5"
                                   << "0.5";
}

void TestCustomerEditor::openingBalance() {
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    QFETCH(QString, shownAgain);
    TestProgram program;
    CurrentUser = QStringLiteral("张三");
    program.Prompts().QueueModal(On<TFormCustomer2>([&](TFormCustomer2* form) {
        form->CustomerName->setText(QStringLiteral("客户"));
        form->CustomerOwe->setText(typed);
        form->BitBtn1->click();
    }));
    QVERIFY(FormMain->NewCustomer());
    QCOMPARE(program.Scalar(QStringLiteral("Select CustomerOwe From Customer Where CustomerIndex > 1")),
             stored);
    QString shown;
    QVERIFY(!EditCustomer(LastKey(program, QStringLiteral("Customer")).toInt(),
                          [&](TFormCustomer2* form) { shown = form->CustomerOwe->text(); }));
    QCOMPARE(shown, shownAgain);
}

void TestCustomerEditor::renameCarriesDocumentsAndVouchers() {
    TestProgram program;
    CurrentUser = QStringLiteral("张三");
    const int account = AddAccount(program, QStringLiteral("现金"));
    const int abc = AddCustomer(program, QStringLiteral("abc"), QStringLiteral("李四"));
    AddCustomer(program, QStringLiteral("abcd"));
    AddNamedDocuments(program, QStringLiteral("abc"), account);
    AddNamedDocuments(program, QStringLiteral("abcd"), account);

    QString nameShown;
    QVERIFY(EditCustomer(abc, [&](TFormCustomer2* form) {
        nameShown = form->CustomerName->text();
        form->CustomerName->setText(QStringLiteral("abc'新"));
        form->CustomerPhone->setText(QStringLiteral("12345"));
        form->BitBtn1->click();
    }));
    QCOMPARE(nameShown, QStringLiteral("abc"));
    QCOMPARE(program.Prompts().Texts(), QStringList{QStringLiteral("客户资料修改成功")});
    QCOMPARE(RowOf(QStringLiteral("Select CustomerName, CustomerPhone, CustomerMan From Customer Where "
                                  "CustomerIndex = %1")
                       .arg(abc)),
             QStringList({QStringLiteral("abc'新"), QStringLiteral("12345"), QStringLiteral("李四")}));
    // Every document and voucher of the old name, whoever entered it, and nothing else.
    QCOMPARE(Count(program, QStringLiteral("Select Count(*) From Bill Where BillUser = 'abc''新'")), 2);
    QCOMPARE(Count(program, QStringLiteral("Select Count(*) From MoneyTable Where MoneyUser = 'abc''新'")),
             2);
    QCOMPARE(Count(program, QStringLiteral("Select Count(*) From Bill Where BillUser = 'abc'")), 0);
    QCOMPARE(Count(program, QStringLiteral("Select Count(*) From MoneyTable Where MoneyUser = 'abc'")), 0);
    QCOMPARE(Count(program, QStringLiteral("Select Count(*) From Bill Where BillUser = 'abcd'")), 2);
    QCOMPARE(Count(program, QStringLiteral("Select Count(*) From MoneyTable Where MoneyUser = 'abcd'")), 2);
}

void TestCustomerEditor::renameThatOnlyChangesLetterCaseIsRefused() {
    TestProgram program;
    CurrentUser = QStringLiteral("张三");
    const int account = AddAccount(program, QStringLiteral("现金"));
    const int abc = AddCustomer(program, QStringLiteral("abc"));
    AddNamedDocuments(program, QStringLiteral("abc"), account);
    QString focused;
    QVERIFY(!EditCustomer(abc, [&](TFormCustomer2* form) {
        form->CustomerName->setText(QStringLiteral("ABC"));
        form->BitBtn1->click();
        focused = FocusOf(form);
    }));
    QCOMPARE(program.Prompts().Texts(), QStringList{QStringLiteral("该客户名已经存在，请重新操作")});
    QCOMPARE(focused, QStringLiteral("CustomerName"));
    QCOMPARE(
        program.Scalar(QStringLiteral("Select CustomerName From Customer Where CustomerIndex = %1").arg(abc)),
        QStringLiteral("abc"));
    // Compared here with letter case: the database compares names without it.
    QVERIFY(!program.Joined(QStringLiteral("Select BillUser From Bill"))
                 .split(QLatin1Char(','))
                 .contains(QStringLiteral("ABC")));
}

void TestCustomerEditor::unchangedNameSkipsTheCascade() {
    TestProgram program;
    CurrentUser = QStringLiteral("张三");
    const int account = AddAccount(program, QStringLiteral("现金"));
    const int abc = AddCustomer(program, QStringLiteral("abc"));
    AddNamedDocuments(program, QStringLiteral("abc"), account);
    // Any write to documents or vouchers would fail now.
    program.RefuseWrites(QStringLiteral("Bill"), QStringLiteral("Update"), QStringLiteral("no bill writes"));
    program.RefuseWrites(QStringLiteral("MoneyTable"), QStringLiteral("Update"),
                         QStringLiteral("no money writes"));
    QVERIFY(EditCustomer(abc, [&](TFormCustomer2* form) {
        form->CustomerOwe->setText(QStringLiteral("-7"));
        form->BitBtn1->click();
    }));
    QCOMPARE(program.Prompts().Texts(), QStringList{QStringLiteral("客户资料修改成功")});
    QCOMPARE(
        program.Scalar(QStringLiteral("Select CustomerOwe From Customer Where CustomerIndex = %1").arg(abc)),
        QStringLiteral("-7"));
}

void TestCustomerEditor::renameThatFailsHalfwayChangesNothing() {
    TestProgram program;
    CurrentUser = QStringLiteral("张三");
    const int account = AddAccount(program, QStringLiteral("现金"));
    const int abc = AddCustomer(program, QStringLiteral("abc"));
    AddNamedDocuments(program, QStringLiteral("abc"), account);
    // The documents are renamed first; the vouchers then fail.
    program.RefuseWrites(QStringLiteral("MoneyTable"), QStringLiteral("Update"),
                         QStringLiteral("vouchers locked"));
    bool open = false;
    QVERIFY(!EditCustomer(abc, [&](TFormCustomer2* form) {
        form->CustomerName->setText(QStringLiteral("新名"));
        form->BitBtn1->click();
        open = form->isVisible();
    }));
    QVERIFY(open);
    QCOMPARE(program.Prompts().Texts().size(), 1);
    // The change is still unsaved: closing the editor afterwards asks about it.
    QCOMPARE(program.Prompts().Messages.back().Kind, QStringLiteral("savechanges"));
    const ScriptedPrompts::Message& error = program.Prompts().Messages.end()[-2];
    QCOMPARE(error.Kind, QStringLiteral("error"));
    QVERIFY(error.Text.contains(QStringLiteral("vouchers locked")));
    QCOMPARE(
        program.Scalar(QStringLiteral("Select CustomerName From Customer Where CustomerIndex = %1").arg(abc)),
        QStringLiteral("abc"));
    QCOMPARE(Count(program, QStringLiteral("Select Count(*) From Bill Where BillUser = 'abc'")), 2);
    QCOMPARE(Count(program, QStringLiteral("Select Count(*) From Bill Where BillUser = '新名'")), 0);
    QCOMPARE(Count(program, QStringLiteral("Select Count(*) From MoneyTable Where MoneyUser = 'abc'")), 2);
}

void TestCustomerEditor::deleteKeepsTheDocuments() {
    TestProgram program;
    CurrentUser = QStringLiteral("张三");
    const int account = AddAccount(program, QStringLiteral("现金"));
    const int abc = AddCustomer(program, QStringLiteral("abc"));
    AddNamedDocuments(program, QStringLiteral("abc"), account);
    program.Prompts().QueueAnswer(false);
    QVERIFY(!EditCustomer(abc, [](TFormCustomer2* form) { form->BitBtn3->click(); }));
    QCOMPARE(
        Count(program, QStringLiteral("Select Count(*) From Customer Where CustomerIndex = %1").arg(abc)), 1);
    program.Prompts().QueueAnswer(true);
    QVERIFY(EditCustomer(abc, [](TFormCustomer2* form) { form->BitBtn3->click(); }));
    QCOMPARE(program.Prompts().Messages.back().Title, QStringLiteral("删除警告"));
    QCOMPARE(program.Prompts().Messages.back().Text, QStringLiteral("确实要删除客户 abc 吗？"));
    QCOMPARE(
        Count(program, QStringLiteral("Select Count(*) From Customer Where CustomerIndex = %1").arg(abc)), 0);
    QCOMPARE(Count(program, QStringLiteral("Select Count(*) From Bill Where BillUser = 'abc'")), 2);
    QCOMPARE(Count(program, QStringLiteral("Select Count(*) From MoneyTable Where MoneyUser = 'abc'")), 2);
}

void TestCustomerEditor::vanishedCustomer() {
    TestProgram program;
    CurrentUser = QStringLiteral("张三");
    const int abc = AddCustomer(program, QStringLiteral("abc"));
    // Gone before the editor opens: it says so and closes.
    QVERIFY(!EditCustomer(abc + 1, [](TFormCustomer2*) {}));
    QCOMPARE(program.Prompts().Texts(), QStringList{QStringLiteral("找不到要修改的记录")});
    // Deleted by another workstation while it is open: saving and deleting are refused and store
    // nothing.
    program.Prompts().Clear();
    QVERIFY(!EditCustomer(abc, [&](TFormCustomer2* form) {
        program.Exec(QStringLiteral("Delete From Customer Where CustomerIndex = %1").arg(abc));
        form->CustomerName->setText(QStringLiteral("xyz"));
        form->BitBtn1->click();
        form->BitBtn3->click();
    }));
    QCOMPARE(program.Prompts().Texts(),
             QStringList({QStringLiteral("该记录已被其他用户修改，请刷新后重试"),
                          QStringLiteral("该记录已被其他用户修改，请刷新后重试")}));
    QCOMPARE(Count(program, QStringLiteral("Select Count(*) From Customer")), 1);
}

void TestCustomerEditor::changedByAnotherWorkstation_data() {
    QTest::addColumn<QString>("otherDoes"); // what another workstation stores after the editor loaded
    QTest::addColumn<QString>("thisDoes");  // save, rename (with its cascade) or delete
    const char* others[][2] = {{"change", "Update Customer Set CustomerPhone = '111'"},
                               {"letter case", "Update Customer Set CustomerName = 'ABC'"},
                               {"deletion", "Delete From Customer"}};
    for (const auto& other : others) {
        for (const char* action : {"save", "rename", "delete"})
            QTest::addRow("%s over a %s", action, other[0])
                << QString::fromUtf8(other[1]) << QString::fromLatin1(action);
    }
}

// Another workstation changes the customer the editor shows: 确定 and 删除 are refused with the
// message, the editor stays open, and the other's change is all that is stored.
void TestCustomerEditor::changedByAnotherWorkstation() {
    QFETCH(QString, otherDoes);
    QFETCH(QString, thisDoes);
    TestProgram program;
    CurrentUser = QStringLiteral("张三");
    const int account = AddAccount(program, QStringLiteral("现金"));
    const int abc = AddCustomer(program, QStringLiteral("abc"));
    AddNamedDocuments(program, QStringLiteral("abc"), account);
    DbConnection other;
    QVERIFY(program.OpenOtherWorkstation(other));
    QStringList before;
    bool open = false;
    const bool accepted = EditCustomer(abc, [&](TFormCustomer2* form) {
        Query(&other).ExecSql(otherDoes + QStringLiteral(" Where CustomerIndex = %1").arg(abc));
        before = AllRows(other);
        form->CustomerPhone->setText(QStringLiteral("222"));
        if (thisDoes == QLatin1String("rename"))
            form->CustomerName->setText(QStringLiteral("新名"));
        (thisDoes == QLatin1String("delete") ? form->BitBtn3 : form->BitBtn1)->click();
        open = form->isVisible();
    });
    QVERIFY(!accepted);
    QVERIFY(open);
    QCOMPARE(program.Prompts().Texts(), QStringList{QStringLiteral("该记录已被其他用户修改，请刷新后重试")});
    QCOMPARE(AllRows(other), before);
}

void TestCustomerEditor::failingNameCheckStopsTheSave_data() {
    QTest::addColumn<bool>("rename");
    QTest::newRow("new customer") << false;
    QTest::newRow("rename") << true;
}

void TestCustomerEditor::failingNameCheckStopsTheSave() {
    QFETCH(bool, rename);
    TestProgram program;
    CurrentUser = QStringLiteral("张三");
    const int abc = AddCustomer(program, QStringLiteral("abc"));
    AddCustomer(program, QStringLiteral("Boom"));
    // The name check reads every customer's name, and reading the name of Boom fails; abc itself is
    // still read by its key.
    program.Exec(QStringLiteral("Alter Table Customer Rename To CustomerRows"));
    // A value that fails only when that row is read: the server folds constants ahead of time.
    const QString failing =
        program.OnServer()
            ? QStringLiteral("CAST(CAST(CustomerName AS integer) AS text) COLLATE kestrel_nocase")
            : QStringLiteral("json('x')");
    program.Exec(
        QStringLiteral(
            "Create View Customer As Select CustomerIndex, Case When CustomerName = 'Boom' Then %1 Else "
            "CustomerName End As CustomerName, CustomerOwe, CustomerPhone, CustomerFax, CustomerContact, "
            "CustomerHandPhone, CustomerEMail, CustomerWebsite, CustomerAddress, CustomerRemark, "
            "CustomerMan From CustomerRows")
            .arg(failing));
    bool stayedOpen = false;
    auto typeNewName = [&](TFormCustomer2* form) {
        form->CustomerName->setText(QStringLiteral("新名"));
        form->BitBtn1->click();
        stayedOpen = form->isVisible();
    };
    if (rename) {
        QVERIFY(!EditCustomer(abc, typeNewName));
    } else {
        FormCustomer2->EditExisting = false;
        program.Prompts().QueueModal(On<TFormCustomer2>(typeNewName));
        QVERIFY(Prompts::Get().ShowModal(FormCustomer2) != QDialog::Accepted);
    }
    QVERIFY(stayedOpen);
    QCOMPARE(program.Prompts().Texts(), QStringList{QStringLiteral("无法打开数据库")});
    QCOMPARE(Count(program, QStringLiteral("Select Count(*) From CustomerRows Where CustomerName = '新名'")),
             0);
}

QTEST_MAIN(TestCustomerEditor)
#include "tst_customereditor.moc"
