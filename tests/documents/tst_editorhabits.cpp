#include "customers/CustomerForm2.h"
#include "documents/BuySellForm.h"
#include "documents/EditorScripts.h"
#include "finance/AccountForm2.h"
#include "finance/GetPayForm.h"
#include "foundation/ShareDM.h"
#include "mainwindow/MainForm.h"

#include <QApplication>
#include <QComboBox>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <algorithm>

// How the editors treat the user: closing after a change asks "是否保存修改？" (保存 stores as the
// editor's own save does, 不保存 closes as before, 取消 keeps the editor open; nothing changed,
// nothing asked); a deletion question names the record; the focus starts on the first field to
// fill and Tab follows the fields as they are shown.
class TestEditorHabits : public QObject {
    Q_OBJECT
private slots:
    void closing_data();
    void closing();
    void saveThatIsRefusedKeepsTheEditorOpen();
    void newDocumentStoredEarlyIsUndoneOnDiscard();
    void realQuestionBox();
    void deletionNamesTheRecord_data();
    void deletionNamesTheRecord();
    void deletionQuestionInTheEditors();
    void firstFocus_data();
    void firstFocus();
    void tabOrder_data();
    void tabOrder();
};

namespace {

enum class Way { Escape, CancelButton, CloseBox };

struct Fixture {
    int customer = 0, account = 0, bill = 0, voucher = 0;
};

Fixture Prepare(TestProgram& program) {
    Fixture f;
    const QDate today = FormMain->WorkingDate();
    f.customer = AddCustomer(program, QStringLiteral("华东贸易"));
    f.account = AddAccount(program, QStringLiteral("现金"), 100);
    f.bill = AddBill(program, QStringLiteral("销售开单"), QStringLiteral("华东贸易"), 200,
                     QStringLiteral("甲"), today);
    f.voucher =
        AddVoucher(program, f.account, 0, QStringLiteral("华东贸易"), 50, QStringLiteral("甲"), today);
    return f;
}

void Close(QDialog* dialog, Way way) {
    switch (way) {
    case Way::Escape:
        QTest::keyClick(dialog, Qt::Key_Escape);
        break;
    case Way::CancelButton: {
        auto* cancel = dialog->findChild<QPushButton*>(QStringLiteral("BitBtn2"));
        if (!cancel)
            cancel = dialog->findChild<QPushButton*>(QStringLiteral("Button2"));
        QVERIFY(cancel);
        cancel->click();
        break;
    }
    case Way::CloseBox:
        dialog->close();
        break;
    }
}

// What the test changes in each editor, and where that value is stored.
struct EditorCase {
    std::function<void(QDialog*)> Prepare; // before the change (unlocking)
    std::function<void(QDialog*)> Change;
    QString StoredSql;
    QString Before, After;
};

EditorCase CaseFor(const QString& editor, const Fixture& f) {
    if (editor == QLatin1String("document"))
        return {[](QDialog* d) { static_cast<TFormBuySell*>(d)->SpeedButton4->click(); },
                [](QDialog* d) { static_cast<TFormBuySell*>(d)->Edit3->setText(QStringLiteral("改过")); },
                QStringLiteral("Select BillRemark From Bill Where BillIndex = %1").arg(f.bill), "r", "改过"};
    if (editor == QLatin1String("locked document"))
        return {[](QDialog*) {},
                [](QDialog* d) { static_cast<TFormBuySell*>(d)->Edit3->setText(QStringLiteral("改过")); },
                QStringLiteral("Select BillRemark From Bill Where BillIndex = %1").arg(f.bill), "r", "r"};
    if (editor == QLatin1String("voucher"))
        return {[](QDialog*) {},
                [](QDialog* d) { static_cast<TFormGetPay*>(d)->Edit2->setText(QStringLiteral("75")); },
                QStringLiteral("Select MoneyIn From MoneyTable Where MoneyIndex = %1").arg(f.voucher), "50",
                "75"};
    if (editor == QLatin1String("customer"))
        return {
            [](QDialog*) {},
            [](QDialog* d) {
                static_cast<TFormCustomer2*>(d)->CustomerRemark->setText(QStringLiteral("老客户"));
            },
            QStringLiteral("Select CustomerRemark From Customer Where CustomerIndex = %1").arg(f.customer),
            "", "老客户"};
    if (editor == QLatin1String("new customer"))
        return {[](QDialog*) {},
                [](QDialog* d) {
                    static_cast<TFormCustomer2*>(d)->CustomerName->setText(QStringLiteral("新客户"));
                },
                QStringLiteral("Select Count(*) From Customer Where CustomerName = '新客户'"), "0", "1"};
    // account: a new one, stored by the page that opened the editor
    return {[](QDialog*) {},
            [](QDialog* d) {
                static_cast<TFormAccount2*>(d)->Edit1->setText(QStringLiteral("备用金"));
                static_cast<TFormAccount2*>(d)->Edit2->setText(QStringLiteral("30"));
            },
            QStringLiteral("Select Count(*) From Account Where AccountName = '备用金'"), "0", "1"};
}

void Open(TestProgram& program, const QString& editor, const Fixture& f,
          std::function<void(QDialog*)> inside) {
    program.Prompts().QueueModal(std::move(inside));
    if (editor.endsWith(QLatin1String("document"))) {
        FormBuySell->OpenMode = QStringLiteral("修改");
        FormBuySell->OpenKind = QStringLiteral("销售开单");
        FormBuySell->OpenBillIndex = f.bill;
        FormBuySell->CustomerFixed = false;
        Prompts::Get().ShowModal(FormBuySell);
    } else if (editor == QLatin1String("voucher")) {
        FormGetPay->OpenMode = QStringLiteral("修改");
        FormGetPay->OpenKind = QStringLiteral("财务收入单");
        FormGetPay->OpenMoneyIndex = f.voucher;
        FormGetPay->CustomerFixed = false;
        Prompts::Get().ShowModal(FormGetPay);
    } else if (editor == QLatin1String("customer")) {
        FormCustomer2->EditExisting = true;
        FormCustomer2->EditCustomerIndex = f.customer;
        Prompts::Get().ShowModal(FormCustomer2);
    } else if (editor == QLatin1String("new customer")) {
        FormMain->NewCustomer();
    } else {
        FormMain->NewAccount();
    }
}

} // namespace

void TestEditorHabits::closing_data() {
    QTest::addColumn<QString>("editor");
    QTest::addColumn<int>("way");
    QTest::addColumn<bool>("change");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<bool>("stayedOpen");
    QTest::addColumn<bool>("stored");
    const int esc = int(Way::Escape), button = int(Way::CancelButton), box = int(Way::CloseBox);
    const int save = int(SaveAnswer::Save), discard = int(SaveAnswer::Discard),
              cancel = int(SaveAnswer::Cancel);
    for (const QString editor : {"document", "voucher", "customer", "account"}) {
        const QByteArray e = editor.toUtf8();
        for (const auto& [way, name] : {std::pair{esc, "Esc"}, {button, "取消"}, {box, "close box"}}) {
            const QByteArray w = e + ", " + name;
            QTest::newRow(w + ", unchanged") << editor << way << false << cancel << false << false << false;
            QTest::newRow(w + ", 保存") << editor << way << true << save << true << false << true;
            QTest::newRow(w + ", 不保存") << editor << way << true << discard << true << false << false;
            QTest::newRow(w + ", 取消") << editor << way << true << cancel << true << true << false;
        }
    }
    // A new customer: the same question before anything was stored.
    for (const auto& [answer, name] : {std::pair{save, "保存"}, {discard, "不保存"}, {cancel, "取消"}}) {
        QTest::newRow(QByteArray("new customer, Esc, ") + name)
            << "new customer" << esc << true << answer << true << (answer == cancel) << (answer == save);
    }
    QTest::newRow("new customer, Esc, unchanged")
        << "new customer" << esc << false << cancel << false << false << false;
    // Locked until the edit password is given: nothing can be stored, nothing is asked.
    QTest::newRow("locked document, Esc")
        << "locked document" << esc << true << cancel << false << false << false;
}

void TestEditorHabits::closing() {
    QFETCH(QString, editor);
    QFETCH(int, way);
    QFETCH(bool, change);
    QFETCH(int, answer);
    QFETCH(bool, asked);
    QFETCH(bool, stayedOpen);
    QFETCH(bool, stored);
    TestProgram program;
    CurrentUser = QStringLiteral("甲");
    const Fixture f = Prepare(program);
    const EditorCase c = CaseFor(editor, f);
    QCOMPARE(program.Scalar(c.StoredSql), c.Before);
    bool open = false;
    int questions = -1;
    Open(program, editor, f, [&](QDialog* dialog) {
        c.Prepare(dialog);
        if (change)
            c.Change(dialog);
        program.Prompts().QueueSaveAnswer(SaveAnswer(answer));
        Close(dialog, Way(way));
        questions = program.Prompts().SaveQuestions();
        open = dialog->isVisible();
        if (open) // 取消 kept it open: close it again without saving
            program.Prompts().QueueSaveAnswer(SaveAnswer::Discard);
    });
    QCOMPARE(questions, asked ? 1 : 0);
    for (const ScriptedPrompts::Message& m : program.Prompts().Messages) {
        if (m.Kind == QLatin1String("savechanges"))
            QCOMPARE(m.Text, QStringLiteral("是否保存修改？"));
    }
    QCOMPARE(open, stayedOpen);
    QCOMPARE(program.Scalar(c.StoredSql), stored ? c.After : c.Before);
}

void TestEditorHabits::saveThatIsRefusedKeepsTheEditorOpen() {
    TestProgram program;
    const Fixture f = Prepare(program);
    bool open = false;
    Open(program, QStringLiteral("voucher"), f, [&](QDialog* dialog) {
        static_cast<TFormGetPay*>(dialog)->Edit2->setText(QStringLiteral("abc"));
        program.Prompts().QueueSaveAnswer(SaveAnswer::Save);
        Close(dialog, Way::Escape);
        open = dialog->isVisible();
    });
    QVERIFY(open);
    QCOMPARE(program.Prompts().SaveQuestions(), 2); // once refused, once more when the script closed it
    QCOMPARE(
        program.Scalar(QStringLiteral("Select MoneyIn From MoneyTable Where MoneyIndex = %1").arg(f.voucher)),
        QStringLiteral("50"));
}

void TestEditorHabits::newDocumentStoredEarlyIsUndoneOnDiscard() {
    TestProgram program;
    CurrentUser = QStringLiteral("甲");
    const Fixture f = Prepare(program);
    const QString bills = program.Scalar(QStringLiteral("Select Count(*) From Bill"));
    int questions = -1;
    program.Prompts().QueueModal(On<TFormBuySell>([&](TFormBuySell* form) {
        form->ComboBox5->setEditText(QStringLiteral("华东贸易"));
        form->Edit2->setText(QStringLiteral("300"));
        // a voucher booked against it stores the document early
        program.Prompts().QueueModal(On<TFormGetPay>([&](TFormGetPay* voucher) {
            voucher->Edit2->setText(QStringLiteral("300"));
            voucher->BitBtn1->click();
        }));
        form->Button1->click();
        QVERIFY(form->OpenBillIndex > 1);
        program.Prompts().QueueSaveAnswer(SaveAnswer::Discard);
        form->BitBtn2->click();
        questions = program.Prompts().SaveQuestions();
    }));
    FormBuySell->OpenMode = QStringLiteral("新增");
    FormBuySell->OpenKind = QStringLiteral("销售开单");
    FormBuySell->OpenBillIndex = 1;
    FormBuySell->OpenCustomerIndex = 0;
    FormBuySell->CustomerFixed = false;
    Prompts::Get().ShowModal(FormBuySell);
    QCOMPARE(questions, 1);
    QCOMPARE(program.Scalar(QStringLiteral("Select Count(*) From Bill")), bills);
    QCOMPARE(program.Scalar(
                 QStringLiteral("Select Count(*) From MoneyTable Where MoneyIndex > %1").arg(f.voucher)),
             QStringLiteral("0"));
}

void TestEditorHabits::realQuestionBox() {
    // The box the user sees: its three buttons, 保存 the default, Esc as 取消.
    std::unique_ptr<Prompts> scripted = Prompts::Install(std::make_unique<QtPrompts>());
    QStringList buttons;
    QString title, text;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        title = box->windowTitle();
        text = box->text();
        for (QAbstractButton* button : box->buttons())
            buttons << button->text();
        buttons.sort();
        if (box->defaultButton())
            buttons.prepend(QStringLiteral("default ") + box->defaultButton()->text());
        SaveScreenshot(box, QStringLiteral("save-changes-question.png"));
        QTest::keyClick(box, Qt::Key_Escape);
    });
    const SaveAnswer answer =
        Prompts::Get().AskToSave(QStringLiteral("是否保存修改？"), QStringLiteral("保存修改"));
    Prompts::Install(std::move(scripted));
    QCOMPARE(answer, SaveAnswer::Cancel);
    QCOMPARE(title, QStringLiteral("保存修改"));
    QCOMPARE(text, QStringLiteral("是否保存修改？"));
    QStringList expected{QStringLiteral("不保存(&N)"), QStringLiteral("保存(&S)"), QStringLiteral("取消")};
    expected.sort();
    expected.prepend(QStringLiteral("default 保存(&S)"));
    QCOMPARE(buttons, expected);
}

void TestEditorHabits::deletionNamesTheRecord_data() {
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<double>("sum");
    QTest::addColumn<QString>("question");
    QTest::newRow("sale") << "Bill"
                          << "销售开单" << 200.0 << "确实要删除销售单 XS000007（华东贸易，200.00 元）吗？";
    QTest::newRow("purchase") << "Bill"
                              << "采购开单" << -40.5 << "确实要删除采购单 XS000007（华东贸易，40.50 元）吗？";
    QTest::newRow("receipt") << "MoneyTable"
                             << "" << 50.0 << "确实要删除收入单 SK000009（华东贸易，50.00 元）吗？";
    QTest::newRow("payment") << "MoneyTable"
                             << "" << -10.0 << "确实要删除支出单 SK000009（华东贸易，10.00 元）吗？";
    QTest::newRow("customer") << "Customer"
                              << "" << 0.0 << "确实要删除客户 华东贸易 吗？";
    QTest::newRow("account") << "Account"
                             << "" << 0.0 << "确实要删除帐户 现金 吗？";
}

void TestEditorHabits::deletionNamesTheRecord() {
    QFETCH(QString, table);
    QFETCH(QString, kind);
    QFETCH(double, sum);
    QFETCH(QString, question);
    TestProgram program;
    const Fixture f = Prepare(program);
    const QDate today = FormMain->WorkingDate();
    qint64 key = 0;
    if (table == QLatin1String("Bill"))
        key = AddBill(program, kind, QStringLiteral("华东贸易"), sum, QStringLiteral("甲"), today);
    else if (table == QLatin1String("MoneyTable"))
        key = AddVoucher(program, f.account, 0, QStringLiteral("华东贸易"), sum, QStringLiteral("甲"), today);
    else
        key = table == QLatin1String("Customer") ? f.customer : f.account;
    const RowImage row = TakeRowImage(ShareDataModule->ADOConnection1, table, key);
    QCOMPARE(DeletionQuestion(row), question);
    // A row gone meanwhile has nothing to name.
    QCOMPARE(DeletionQuestion(RowImage{table, key, {}, {}}), QStringLiteral("确实要删除该记录吗？"));
}

void TestEditorHabits::deletionQuestionInTheEditors() {
    TestProgram program;
    const Fixture f = Prepare(program);
    Open(program, QStringLiteral("document"), f, [&](QDialog* dialog) {
        auto* form = static_cast<TFormBuySell*>(dialog);
        form->SpeedButton4->click();
        program.Prompts().QueueAnswer(false);
        form->BitBtn3->click();
    });
    QCOMPARE(program.Prompts().LastText(),
             QStringLiteral("确实要删除销售单 XS000007（华东贸易，200.00 元）吗？"));
    QCOMPARE(program.Prompts().Messages.back().Title, QStringLiteral("删除警告"));
    Open(program, QStringLiteral("customer"), f, [&](QDialog* dialog) {
        program.Prompts().QueueAnswer(false);
        static_cast<TFormCustomer2*>(dialog)->BitBtn3->click();
    });
    QCOMPARE(program.Prompts().LastText(), QStringLiteral("确实要删除客户 华东贸易 吗？"));
    QCOMPARE(program.Scalar(QStringLiteral("Select Count(*) From Bill Where BillIndex = %1").arg(f.bill)),
             QStringLiteral("1"));
}

void TestEditorHabits::firstFocus_data() {
    QTest::addColumn<bool>("customerFixed");
    QTest::addColumn<QString>("focus");
    QTest::newRow("customer to choose") << false << "ComboBox5";
    QTest::newRow("customer fixed") << true << "Edit2";
}

void TestEditorHabits::firstFocus() {
    QFETCH(bool, customerFixed);
    QFETCH(QString, focus);
    TestProgram program;
    const Fixture f = Prepare(program);
    for (const QString mode : {"新增", "修改"}) {
        QString focused;
        program.Prompts().QueueModal(On<TFormBuySell>([&](TFormBuySell* form) { focused = FocusOf(form); }));
        FormBuySell->OpenMode = mode;
        FormBuySell->OpenKind = QStringLiteral("销售开单");
        FormBuySell->OpenBillIndex = mode == QStringLiteral("新增") ? 1 : f.bill;
        FormBuySell->OpenCustomerIndex = f.customer;
        FormBuySell->CustomerFixed = customerFixed;
        Prompts::Get().ShowModal(FormBuySell);
        QCOMPARE(focused, focus);
    }
}

void TestEditorHabits::tabOrder_data() {
    QTest::addColumn<QString>("editor");
    QTest::addColumn<QStringList>("order");
    QTest::newRow("document") << "document"
                              << QStringList{"DateTimePicker1", "Edit1",     "ComboBox5", "Edit2",
                                             "ComboBox2",       "ComboBox3", "Edit3"};
    QTest::newRow("voucher") << "voucher"
                             << QStringList{"Edit4",     "ComboBox1", "DateTimePicker1", "ComboBox5", "Edit2",
                                            "ComboBox2", "ComboBox3", "ComboBox4",       "Edit3"};
    QTest::newRow("customer") << "customer"
                              << QStringList{"CustomerName",  "CustomerOwe",     "CustomerPhone",
                                             "CustomerFax",   "CustomerContact", "CustomerHandPhone",
                                             "CustomerEMail", "CustomerWebsite", "CustomerAddress",
                                             "CustomerRemark"};
    QTest::newRow("account") << "account" << QStringList{"Edit1", "Edit2"};
}

void TestEditorHabits::tabOrder() {
    QFETCH(QString, editor);
    QFETCH(QStringList, order);
    TestProgram program;
    const Fixture f = Prepare(program);
    QStringList visited, back;
    Open(program, editor, f, [&](QDialog* dialog) {
        dialog->activateWindow();
        QWidget* first = dialog->findChild<QWidget*>(order.first());
        first->setFocus(Qt::TabFocusReason);
        visited << FocusOf(dialog);
        for (int i = 1; i < order.size(); ++i) {
            QTest::keyClick(dialog->focusWidget(), Qt::Key_Tab);
            visited << FocusOf(dialog);
        }
        // Back again with Shift+Tab, the date edit included as one stop.
        back << FocusOf(dialog);
        for (int i = 1; i < order.size(); ++i) {
            QTest::keyClick(dialog->focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
            back << FocusOf(dialog);
        }
    });
    QCOMPARE(visited, order);
    std::reverse(order.begin(), order.end());
    QCOMPARE(back, order);
}

QTEST_MAIN(TestEditorHabits)
#include "tst_editorhabits.moc"
