#include "customers/CustomerNames.h"
#include "documents/BuySellForm.h"
#include "documents/EditorScripts.h"
#include "finance/GetPayForm.h"
#include "finance/VoucherRules.h"
#include "foundation/ShareDM.h"
#include "kit/CompletingBox.h"
#include "mainwindow/MainForm.h"
#include "reports/BillReportForm.h"
#include "reports/MoneyReportForm.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QCompleter>
#include <QDir>
#include <QPainter>
#include <QTest>
#include <QToolButton>

// The customer boxes: a typed customer name is never replaced by a longer one that begins with it,
// a proposal counts only when the user takes it, and the editors store exactly the customer the
// box names, or nothing. Typed through the real boxes on both engines.
class TestCustomerNames : public QObject {
    Q_OBJECT
private slots:
    void namedCustomer_data();
    void namedCustomer();
    void documentEditor_data();
    void documentEditor();
    void voucherEditor_data();
    void voucherEditor();
    void documentCriteria_data();
    void documentCriteria();
    void voucherCriteria_data();
    void voucherCriteria();
    void onlyTheRolesCustomers_data();
    void onlyTheRolesCustomers();
    void editedRecord_data();
    void editedRecord();
    void proposalsLeaveTheTypedName();
    void enterTakesNoTextIntoTheList();
    void fixedCustomer_data();
    void fixedCustomer();
    void earlyStoredDocumentNeedsACustomer();
    void designerBoxesKeepTypedText();
};

namespace {

const QString Refused = QStringLiteral("请选择客户名称");

// How the user finishes the typing: "" leaves the text as typed; "Enter" and "Tab" take the
// proposal reached by `downs` presses of the down arrow in the proposal list; "click" clicks the
// proposal at row downs - 1.
struct Typing {
    QString Text;
    int Downs = 0;
    QString Accept;
};

// Key presses for each character of text (QTest::keyClicks takes Latin-1 only).
void TypeText(QWidget* widget, const QString& text) {
    for (const QChar c : text) {
        if (c.unicode() < 0x80)
            QTest::keyClick(widget, c.toLatin1());
        else
            QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

// Types into the box as a user does and reports whether proposals were shown.
bool TypeInto(QComboBox* box, const Typing& typing) {
    // The box takes its proposals only while it has the focus in the active window.
    box->window()->activateWindow();
    if (!QTest::qWaitForWindowActive(box->window()))
        qWarning("the window did not become active");
    box->setFocus();
    box->lineEdit()->selectAll();
    TypeText(box->lineEdit(), typing.Text);
    QAbstractItemView* popup = box->completer()->popup(); // none while completing inline
    const bool proposed = popup && popup->isVisible();
    if (!proposed) {
        // nothing to take
    } else if (typing.Accept == QLatin1String("click")) {
        const QModelIndex row = popup->model()->index(typing.Downs - 1, 0);
        QTest::mouseClick(popup->viewport(), Qt::LeftButton, {}, popup->visualRect(row).center());
    } else if (!typing.Accept.isEmpty()) {
        for (int i = 0; i < typing.Downs; ++i)
            QTest::keyClick(popup, Qt::Key_Down);
        QTest::keyClick(popup, typing.Accept == QLatin1String("Tab") ? Qt::Key_Tab : Qt::Key_Return);
    }
    return proposed;
}

// With KESTREL_SCREENSHOTS set, a picture of the window with the box's proposal list over it.
void SaveWithProposals(QWidget* window, QComboBox* box, const QString& name) {
    const QString folder = qEnvironmentVariable("KESTREL_SCREENSHOTS");
    if (folder.isEmpty())
        return;
    QDir().mkpath(folder);
    QPixmap shot = window->grab();
    QAbstractItemView* popup = box->completer()->popup();
    if (popup->isVisible()) {
        QPainter painter(&shot);
        painter.drawPixmap(window->mapFromGlobal(popup->mapToGlobal(QPoint(0, 0))), popup->grab());
    }
    shot.save(folder + QLatin1Char('/') + name);
}

void AddCustomers(TestProgram& program, const QStringList& names) {
    for (const QString& name : names)
        AddCustomer(program, name, QStringLiteral("张三"));
}

// The rows every customer box is tried with. box: what the box holds when the user is done;
// stored: the customer an editor stores ("" = refused with the box's message).
void AddTypingRows() {
    QTest::addColumn<QStringList>("customers"); // in the order they were entered
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("downs");
    QTest::addColumn<QString>("accept");
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("stored");
    const QString shorter = QStringLiteral("abc 贸易"), longer = QStringLiteral("abc 贸易二");
    const QStringList longerFirst{longer, shorter};
    QTest::newRow("whole name, the longer entered before")
        << longerFirst << shorter << 0 << "" << shorter << shorter;
    QTest::newRow("whole name, the longer entered after")
        << QStringList{shorter, longer} << shorter << 0 << "" << shorter << shorter;
    QTest::newRow("whole name in other letter case")
        << QStringList{QStringLiteral("ABC 贸易二"), QStringLiteral("ABC 贸易")} << shorter << 0 << ""
        << shorter << QStringLiteral("ABC 贸易");
    QTest::newRow("first proposal taken with Enter")
        << longerFirst << QStringLiteral("abc") << 1 << "Enter" << longer << longer;
    QTest::newRow("second proposal taken with Enter")
        << longerFirst << QStringLiteral("abc") << 2 << "Enter" << shorter << shorter;
    QTest::newRow("proposal taken with Tab")
        << longerFirst << QStringLiteral("abc") << 1 << "Tab" << longer << longer;
    QTest::newRow("proposal taken with a click")
        << longerFirst << QStringLiteral("abc") << 2 << "click" << shorter << shorter;
    QTest::newRow("proposal of other letter case taken")
        << QStringList{QStringLiteral("ABC 贸易")} << QStringLiteral("abc") << 1 << "Enter"
        << QStringLiteral("ABC 贸易") << QStringLiteral("ABC 贸易");
    QTest::newRow("begins a name but is none") << QStringList{longer} << shorter << 0 << "" << shorter << "";
    QTest::newRow("matches nobody") << longerFirst << QStringLiteral("xyz") << 0 << ""
                                    << "xyz"
                                    << "";
    QTest::newRow("longer than every name") << QStringList{shorter} << longer << 0 << "" << longer << "";
}

Typing FetchTyping() {
    QFETCH(QString, typed);
    QFETCH(int, downs);
    QFETCH(QString, accept);
    return {typed, downs, accept};
}

void ShowNewDocument(bool fixed = false, qint64 customer = 0) {
    FormBuySell->OpenMode = NewMode;
    FormBuySell->OpenKind = SaleKind;
    FormBuySell->OpenBillIndex = 1;
    FormBuySell->OpenCustomerIndex = customer;
    FormBuySell->CustomerFixed = fixed;
    Prompts::Get().ShowModal(FormBuySell);
}

void ShowNewVoucher() {
    FormGetPay->OpenMode = NewMode;
    FormGetPay->OpenKind = ReceiptKind;
    FormGetPay->OpenBillIndex = 0;
    FormGetPay->OpenCustomerIndex = 0;
    FormGetPay->CustomerFixed = false;
    FormGetPay->PresetCustomerName.clear();
    FormGetPay->PresetReason.clear();
    FormGetPay->PresetAmount.clear();
    FormGetPay->PresetRemark.clear();
    Prompts::Get().ShowModal(FormGetPay);
}

// What a save through an editor left: its messages, where the focus went, the list's size.
struct Outcome {
    QString Box;   // when the typing was done
    QString Shown; // after saving
    bool Proposed = false;
    QString Focus;
    int Items = -1;
};

template <class Form> ScriptedPrompts::ModalScript TypeAndSave(const Typing& typing, Outcome* outcome) {
    return On<Form>([typing, outcome](Form* form) {
        form->Edit2->setText(QStringLiteral("50"));
        outcome->Proposed = TypeInto(form->ComboBox5, typing);
        outcome->Box = form->ComboBox5->currentText();
        QTest::mouseClick(form->BitBtn1, Qt::LeftButton);
        outcome->Shown = form->ComboBox5->currentText();
        outcome->Focus = form->isVisible() ? FocusOf(form) : QString();
        outcome->Items = form->ComboBox5->count();
    });
}

} // namespace

void TestCustomerNames::namedCustomer_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("kept"); // the name an edited record was loaded with
    QTest::addColumn<QString>("stored");
    const QString mine = QStringLiteral(" And (CustomerMan = '张三')");
    QTest::newRow("whole name") << "abc 贸易"
                                << ""
                                << ""
                                << "abc 贸易";
    QTest::newRow("other letter case gives the stored spelling") << "ABC 贸易"
                                                                 << ""
                                                                 << ""
                                                                 << "abc 贸易";
    QTest::newRow("part of a name") << "abc"
                                    << ""
                                    << ""
                                    << "";
    QTest::newRow("a space more") << "abc 贸易 "
                                  << ""
                                  << ""
                                  << "";
    QTest::newRow("empty") << ""
                           << ""
                           << ""
                           << "";
    QTest::newRow("the reserved row") << "ReservedCustomer"
                                      << ""
                                      << ""
                                      << "";
    QTest::newRow("quote in the name") << "王'氏"
                                       << ""
                                       << ""
                                       << "王'氏";
    QTest::newRow("customer of another salesman") << "李四商行" << mine << ""
                                                  << "";
    QTest::newRow("own customer under the role") << "abc 贸易二" << mine << ""
                                                 << "abc 贸易二";
    QTest::newRow("vanished customer kept unchanged") << "旧客户"
                                                      << ""
                                                      << "旧客户"
                                                      << "旧客户";
    QTest::newRow("vanished customer in other case is none") << "old co"
                                                             << ""
                                                             << "Old Co"
                                                             << "";
    QTest::newRow("kept name of another salesman's customer") << "李四商行" << mine << "李四商行"
                                                              << "李四商行";
    QTest::newRow("existing customer wins over the kept name") << "ABC 贸易"
                                                               << ""
                                                               << "ABC 贸易"
                                                               << "abc 贸易";
}

void TestCustomerNames::namedCustomer() {
    QFETCH(QString, typed);
    QFETCH(QString, filter);
    QFETCH(QString, kept);
    QFETCH(QString, stored);
    TestProgram program;
    program.Exec(
        QStringLiteral("Update Customer Set CustomerName = 'ReservedCustomer' Where CustomerIndex = 1"));
    AddCustomers(program,
                 {QStringLiteral("abc 贸易二"), QStringLiteral("abc 贸易"), QStringLiteral("王'氏")});
    AddCustomer(program, QStringLiteral("李四商行"), QStringLiteral("李四"));
    QCOMPARE(CustomerToStore(ShareDataModule->ADOConnection1, typed, filter, kept), stored);
}

void TestCustomerNames::documentEditor_data() {
    AddTypingRows();
}

void TestCustomerNames::documentEditor() {
    QFETCH(QStringList, customers);
    QFETCH(QString, box);
    QFETCH(QString, stored);
    const Typing typing = FetchTyping();
    TestProgram program;
    CurrentUser = QStringLiteral("张三");
    AddCustomers(program, customers);
    Outcome outcome;
    program.Prompts().QueueModal(TypeAndSave<TFormBuySell>(typing, &outcome));
    ShowNewDocument();
    QCOMPARE(outcome.Box, box);
    QCOMPARE(outcome.Shown, stored.isEmpty() ? box : stored);
    bool begins = false;
    for (const QString& name : customers)
        begins = begins || name.startsWith(typing.Text, Qt::CaseInsensitive);
    QCOMPARE(outcome.Proposed, begins);
    QCOMPARE(outcome.Items, customers.size());
    if (stored.isEmpty()) {
        QCOMPARE(program.Prompts().Texts(), QStringList{Refused});
        QCOMPARE(outcome.Focus, QStringLiteral("ComboBox5"));
        QCOMPARE(program.Scalar(QStringLiteral("Select Count(*) From Bill Where BillIndex > 1")),
                 QStringLiteral("0"));
    } else {
        QCOMPARE(program.Prompts().Texts(), QStringList{QStringLiteral("单据新增成功")});
        QCOMPARE(program.Joined(QStringLiteral("Select BillUser From Bill Where BillIndex > 1")), stored);
    }
}

void TestCustomerNames::voucherEditor_data() {
    AddTypingRows();
}

void TestCustomerNames::voucherEditor() {
    QFETCH(QStringList, customers);
    QFETCH(QString, box);
    QFETCH(QString, stored);
    TestProgram program;
    CurrentUser = QStringLiteral("张三");
    AddAccount(program, QStringLiteral("现金"));
    AddCustomers(program, customers);
    Outcome outcome;
    program.Prompts().QueueModal(TypeAndSave<TFormGetPay>(FetchTyping(), &outcome));
    ShowNewVoucher();
    QCOMPARE(outcome.Box, box);
    QCOMPARE(outcome.Shown, stored.isEmpty() ? box : stored);
    QCOMPARE(outcome.Items, customers.size());
    if (stored.isEmpty()) {
        QCOMPARE(program.Prompts().Texts(), QStringList{Refused});
        QCOMPARE(outcome.Focus, QStringLiteral("ComboBox5"));
        QCOMPARE(program.Scalar(QStringLiteral("Select Count(*) From MoneyTable Where MoneyIndex > 1")),
                 QStringLiteral("0"));
    } else {
        QCOMPARE(program.Prompts().Texts(), QStringList{QStringLiteral("记录新增成功")});
        QCOMPARE(program.Joined(QStringLiteral("Select MoneyUser From MoneyTable Where MoneyIndex > 1")),
                 stored);
    }
}

namespace {

// The criteria rows: the box's text is searched for as it stands, "所有" taken from the list adds
// no clause.
void AddCriteriaRows() {
    AddTypingRows();
    QTest::newRow("所有 taken from the proposals")
        << QStringList{QStringLiteral("abc 贸易")} << QStringLiteral("所") << 1 << "Enter"
        << QStringLiteral("所有") << "";
}

// The names whose records a search for part finds (InStr: contained, without regard to case).
QStringList Containing(const QStringList& names, const QString& part) {
    QStringList found;
    for (const QString& name : names) {
        if (part == QStringLiteral("所有") || name.contains(part, Qt::CaseInsensitive))
            found << name;
    }
    found.sort();
    return found;
}

// Whether sql searches field for part as the criteria window's last clause, or has no clause on
// field at all when part is "所有".
bool SearchesFor(const QString& sql, const QString& field, const QString& part) {
    if (part == QStringLiteral("所有"))
        return !sql.contains(QStringLiteral("InStr(%1").arg(field));
    return sql.endsWith(QStringLiteral(" And (InStr(%1,'%2'))").arg(field, part));
}

} // namespace

void TestCustomerNames::documentCriteria_data() {
    AddCriteriaRows();
}

void TestCustomerNames::documentCriteria() {
    QFETCH(QStringList, customers);
    QFETCH(QString, box);
    const Typing typing = FetchTyping();
    TestProgram program;
    CurrentUser = QStringLiteral("张三");
    for (const QString& name : customers) {
        AddCustomer(program, name, CurrentUser);
        AddBill(program, SaleKind, name, 10, CurrentUser, FormMain->WorkingDate());
    }
    QString used;
    program.Prompts().QueueModal(On<TFormBillReport>([&](TFormBillReport* form) {
        TypeInto(form->ComboBox6, typing);
        used = form->ComboBox6->currentText();
        QTest::mouseClick(form->SpeedButton1, Qt::LeftButton);
    }));
    FormMain->ActionBillReport->trigger();
    QCOMPARE(used, box);
    QVERIFY2(SearchesFor(FormMain->BillReportSql, QStringLiteral("BillUser"), box),
             qPrintable(FormMain->BillReportSql));
    QStringList found;
    for (FormMain->BReportADOQuery.First(); !FormMain->BReportADOQuery.Eof();
         FormMain->BReportADOQuery.Next())
        found << FormMain->BReportADOQuery.FieldByName(QStringLiteral("BillUser")).AsString();
    found.sort();
    QCOMPARE(found, Containing(customers, box));
    QCOMPARE(program.Prompts().Texts(), QStringList());
}

void TestCustomerNames::voucherCriteria_data() {
    AddCriteriaRows();
}

void TestCustomerNames::voucherCriteria() {
    QFETCH(QStringList, customers);
    QFETCH(QString, box);
    const Typing typing = FetchTyping();
    TestProgram program;
    CurrentUser = QStringLiteral("张三");
    const int account = AddAccount(program, QStringLiteral("现金"));
    for (const QString& name : customers) {
        AddCustomer(program, name, CurrentUser);
        AddVoucher(program, account, 0, name, 10, CurrentUser, FormMain->WorkingDate());
    }
    QString used;
    program.Prompts().QueueModal(On<TFormMoneyReport>([&](TFormMoneyReport* form) {
        TypeInto(form->ComboBox6, typing);
        used = form->ComboBox6->currentText();
        QTest::mouseClick(form->BitBtn1, Qt::LeftButton);
    }));
    FormMain->ActionMoneyReport->trigger();
    QCOMPARE(used, box);
    QVERIFY2(SearchesFor(FormMain->MoneyReportSql, QStringLiteral("MoneyUser"), box),
             qPrintable(FormMain->MoneyReportSql));
    QStringList found;
    for (FormMain->MReportADOQuery.First(); !FormMain->MReportADOQuery.Eof();
         FormMain->MReportADOQuery.Next())
        found << FormMain->MReportADOQuery.FieldByName(QStringLiteral("MoneyUser")).AsString();
    found.sort();
    QCOMPARE(found, Containing(customers, box));
    QCOMPARE(program.Prompts().Texts(), QStringList());
}

void TestCustomerNames::onlyTheRolesCustomers_data() {
    QTest::addColumn<bool>("voucher");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored");
    for (const bool voucher : {false, true}) {
        const char* editor = voucher ? "voucher: " : "document: ";
        QTest::newRow(QByteArray(editor).append("own customer").constData())
            << voucher << QStringLiteral("张三商行") << QStringLiteral("张三商行");
        QTest::newRow(QByteArray(editor).append("another salesman's customer").constData())
            << voucher << QStringLiteral("李四商行") << QString();
        QTest::newRow(QByteArray(editor).append("own customer beginning another's").constData())
            << voucher << QStringLiteral("李四商") << QStringLiteral("李四商");
    }
}

void TestCustomerNames::onlyTheRolesCustomers() {
    QFETCH(bool, voucher);
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    TestProgram program;
    CurrentRole = QStringLiteral("业务员");
    CurrentUser = QStringLiteral("张三");
    CustomerFilter = QStringLiteral(" And (CustomerMan = '张三')");
    AddAccount(program, QStringLiteral("现金"));
    AddCustomer(program, QStringLiteral("李四商行"), QStringLiteral("李四"));
    AddCustomer(program, QStringLiteral("李四商"), QStringLiteral("张三"));
    AddCustomer(program, QStringLiteral("张三商行"), QStringLiteral("张三"));
    Outcome outcome;
    const Typing typing{typed, 0, QString()};
    if (voucher) {
        program.Prompts().QueueModal(TypeAndSave<TFormGetPay>(typing, &outcome));
        ShowNewVoucher();
    } else {
        program.Prompts().QueueModal(TypeAndSave<TFormBuySell>(typing, &outcome));
        ShowNewDocument();
    }
    // The list offers the role's customers only.
    QCOMPARE(outcome.Items, 2);
    const QString table = voucher ? QStringLiteral("MoneyTable") : QStringLiteral("Bill");
    const QString user = voucher ? QStringLiteral("MoneyUser") : QStringLiteral("BillUser");
    const QString key = voucher ? QStringLiteral("MoneyIndex") : QStringLiteral("BillIndex");
    QCOMPARE(program.Joined(QStringLiteral("Select %1 From %2 Where %3 > 1").arg(user, table, key)), stored);
    if (stored.isEmpty())
        QCOMPARE(program.Prompts().Texts(), QStringList{Refused});
}

void TestCustomerNames::editedRecord_data() {
    QTest::addColumn<bool>("voucher");
    QTest::addColumn<QString>("loaded"); // the customer name the record holds
    QTest::addColumn<bool>("vanished");  // its customer was deleted
    QTest::addColumn<QString>("typed");  // "" leaves the box as shown
    QTest::addColumn<QString>("stored"); // "" = refused, the record keeps what it held
    for (const bool voucher : {false, true}) {
        const QByteArray editor = voucher ? "voucher: " : "document: ";
        QTest::newRow(editor + "vanished customer left unchanged")
            << voucher << QStringLiteral("Old Co") << true << QString() << QStringLiteral("Old Co");
        QTest::newRow(editor + "vanished customer typed in other case")
            << voucher << QStringLiteral("Old Co") << true << QStringLiteral("old co") << QString();
        QTest::newRow(editor + "vanished customer changed to nobody")
            << voucher << QStringLiteral("Old Co") << true << QStringLiteral("Old Co Ltd") << QString();
        QTest::newRow(editor + "changed to a whole name that begins another")
            << voucher << QStringLiteral("abc 贸易二") << false << QStringLiteral("abc 贸易")
            << QStringLiteral("abc 贸易");
        QTest::newRow(editor + "existing customer left unchanged")
            << voucher << QStringLiteral("abc 贸易") << false << QString() << QStringLiteral("abc 贸易");
    }
}

void TestCustomerNames::editedRecord() {
    QFETCH(bool, voucher);
    QFETCH(QString, loaded);
    QFETCH(bool, vanished);
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    TestProgram program;
    CurrentUser = QStringLiteral("张三");
    SetEditPassword(program, QStringLiteral("pw"));
    const int account = AddAccount(program, QStringLiteral("现金"));
    AddCustomers(program,
                 {QStringLiteral("abc 贸易二"), QStringLiteral("abc 贸易"), QStringLiteral("Old Co")});
    if (vanished)
        program.Exec(QStringLiteral("Delete From Customer Where CustomerName = ") + SqlText(loaded));
    const QDate date = FormMain->WorkingDate();
    const QString held = voucher ? QStringLiteral("Select MoneyUser From MoneyTable Where MoneyIndex > 1")
                                 : QStringLiteral("Select BillUser From Bill Where BillIndex > 1");
    const QString success = QStringLiteral("记录修改成功");
    if (voucher) {
        FormGetPay->OpenMode = EditMode;
        FormGetPay->OpenKind = ReceiptKind;
        FormGetPay->OpenMoneyIndex = AddVoucher(program, account, 0, loaded, 10, CurrentUser, date);
        FormGetPay->CustomerFixed = false;
        program.Prompts().QueueModal(On<TFormGetPay>([&](TFormGetPay* form) {
            if (!typed.isEmpty())
                TypeInto(form->ComboBox5, {typed, 0, QString()});
            QTest::mouseClick(form->BitBtn1, Qt::LeftButton);
        }));
        if (!stored.isEmpty())
            program.Prompts().QueueModal(AnswerPassword(QStringLiteral("pw")));
        Prompts::Get().ShowModal(FormGetPay);
    } else {
        FormBuySell->OpenMode = EditMode;
        FormBuySell->OpenKind = SaleKind;
        FormBuySell->OpenBillIndex = AddBill(program, SaleKind, loaded, 10, CurrentUser, date);
        FormBuySell->DataChanged = false;
        FormBuySell->CustomerFixed = false;
        program.Prompts().QueueModal(On<TFormBuySell>([&](TFormBuySell* form) {
            form->SpeedButton4->click(); // unlock
            if (!typed.isEmpty())
                TypeInto(form->ComboBox5, {typed, 0, QString()});
            QTest::mouseClick(form->BitBtn1, Qt::LeftButton);
        }));
        program.Prompts().QueueModal(AnswerPassword(QStringLiteral("pw")));
        Prompts::Get().ShowModal(FormBuySell);
    }
    QCOMPARE(program.Prompts().PendingScripts(), 0);
    QCOMPARE(program.Prompts().Texts(), QStringList{stored.isEmpty() ? Refused : success});
    QCOMPARE(program.Joined(held), stored.isEmpty() ? loaded : stored);
}

void TestCustomerNames::proposalsLeaveTheTypedName() {
    // The list under the box proposes every name that begins with the typing, in the list's order,
    // with none taken; moving onto one shows it in the box.
    TestProgram program;
    CurrentUser = QStringLiteral("张三");
    AddCustomers(program, {QStringLiteral("abc 贸易二"), QStringLiteral("abc 贸易"), QStringLiteral("xyz")});
    QStringList proposals;
    QString typed, highlighted;
    program.Prompts().QueueModal(On<TFormBuySell>([&](TFormBuySell* form) {
        QVERIFY(TypeInto(form->ComboBox5, {QStringLiteral("ABC"), 0, QString()}));
        QAbstractItemView* popup = form->ComboBox5->completer()->popup();
        for (int row = 0; row < popup->model()->rowCount(); ++row)
            proposals << popup->model()->index(row, 0).data().toString();
        TypeText(form->ComboBox5->lineEdit(), QStringLiteral(" 贸易"));
        typed = form->ComboBox5->currentText();
        QTest::keyClick(popup, Qt::Key_Down);
        QTest::keyClick(popup, Qt::Key_Down);
        highlighted = form->ComboBox5->currentText();
        SaveWithProposals(form, form->ComboBox5, QStringLiteral("document-editor-proposals.png"));
        QTest::keyClick(popup, Qt::Key_Escape);
    }));
    ShowNewDocument();
    QCOMPARE(proposals, QStringList({QStringLiteral("abc 贸易二"), QStringLiteral("abc 贸易")}));
    QCOMPARE(typed, QStringLiteral("ABC 贸易"));
    QCOMPARE(highlighted, QStringLiteral("abc 贸易"));
}

void TestCustomerNames::enterTakesNoTextIntoTheList() {
    TestProgram program;
    CurrentUser = QStringLiteral("张三");
    AddCustomers(program, {QStringLiteral("abc 贸易二")});
    int items = -1;
    QString box;
    program.Prompts().QueueModal(On<TFormBuySell>([&](TFormBuySell* form) {
        form->Edit2->setText(QStringLiteral("50"));
        TypeInto(form->ComboBox5, {QStringLiteral("abc 贸易"), 0, QString()});
        // Enter on the proposals closes them and keeps the text; Enter in the box then saves.
        QVERIFY(form->ComboBox5->completer()->popup());
        QTest::keyClick(form->ComboBox5->completer()->popup(), Qt::Key_Return);
        QVERIFY(!form->ComboBox5->completer()->popup()->isVisible());
        QTest::keyClick(form->ComboBox5->lineEdit(), Qt::Key_Return);
        items = form->ComboBox5->count();
        box = form->ComboBox5->currentText();
    }));
    ShowNewDocument();
    QCOMPARE(program.Prompts().Texts(), QStringList{Refused});
    QCOMPARE(items, 1);
    QCOMPARE(box, QStringLiteral("abc 贸易"));
    QCOMPARE(program.Scalar(QStringLiteral("Select Count(*) From Bill Where BillIndex > 1")),
             QStringLiteral("0"));
}

void TestCustomerNames::fixedCustomer_data() {
    QTest::addColumn<bool>("voucher");
    QTest::addColumn<bool>("gone"); // the fixed customer was deleted before the editor opened
    for (const bool voucher : {false, true}) {
        const QByteArray editor = voucher ? "voucher: " : "document: ";
        QTest::newRow(editor + "fixed customer") << voucher << false;
        QTest::newRow(editor + "fixed customer gone") << voucher << true;
    }
}

void TestCustomerNames::fixedCustomer() {
    // Opened for one customer (from the customer's card), the locked box shows that customer or,
    // once it is gone, nothing: never the first customer of the list.
    QFETCH(bool, voucher);
    QFETCH(bool, gone);
    TestProgram program;
    CurrentUser = QStringLiteral("张三");
    AddAccount(program, QStringLiteral("现金"));
    AddCustomers(program, {QStringLiteral("甲商行")});
    const int fixed = AddCustomer(program, QStringLiteral("乙商行"), CurrentUser);
    if (gone)
        program.Exec(QStringLiteral("Delete From Customer Where CustomerIndex = %1").arg(fixed));
    QString shown;
    bool enabled = true;
    auto save = [&](QComboBox* box, QLineEdit* amount, QPushButton* button) {
        shown = box->currentText();
        enabled = box->isEnabled();
        amount->setText(QStringLiteral("50"));
        button->click();
    };
    if (voucher) {
        program.Prompts().QueueModal(
            On<TFormGetPay>([&](TFormGetPay* form) { save(form->ComboBox5, form->Edit2, form->BitBtn1); }));
        FormGetPay->OpenMode = NewMode;
        FormGetPay->OpenKind = ReceiptKind;
        FormGetPay->OpenBillIndex = 0;
        FormGetPay->OpenCustomerIndex = fixed;
        FormGetPay->CustomerFixed = true;
        FormGetPay->PresetCustomerName = QStringLiteral("甲商行");
        Prompts::Get().ShowModal(FormGetPay);
    } else {
        program.Prompts().QueueModal(
            On<TFormBuySell>([&](TFormBuySell* form) { save(form->ComboBox5, form->Edit2, form->BitBtn1); }));
        ShowNewDocument(true, fixed);
    }
    QVERIFY(!enabled);
    QCOMPARE(shown, gone ? QString() : QStringLiteral("乙商行"));
    const QString stored = voucher ? QStringLiteral("记录新增成功") : QStringLiteral("单据新增成功");
    if (gone) {
        // The editor says its customer is gone and closes; a save pressed meanwhile stores nothing.
        QCOMPARE(program.Prompts().Texts().value(0), QStringLiteral("该客户记录已被删除"));
        QVERIFY(!program.Prompts().Texts().contains(stored));
    } else {
        QCOMPARE(program.Prompts().Texts(), QStringList{stored});
    }
    QCOMPARE(program.Joined(voucher ? QStringLiteral("Select MoneyUser From MoneyTable Where MoneyIndex > 1")
                                    : QStringLiteral("Select BillUser From Bill Where BillIndex > 1")),
             gone ? QString() : QStringLiteral("乙商行"));
}

void TestCustomerNames::earlyStoredDocumentNeedsACustomer() {
    // Adding the first voucher stores the document; a text in the customer box must name a customer
    // then too, and the voucher editor is handed its stored spelling.
    TestProgram program;
    CurrentUser = QStringLiteral("张三");
    AddAccount(program, QStringLiteral("现金"));
    AddCustomers(program, {QStringLiteral("abc 贸易二"), QStringLiteral("ABC 贸易")});
    QString handed;
    qint64 refusedIndex = 0;
    program.Prompts().QueueModal(On<TFormBuySell>([&](TFormBuySell* form) {
        TypeInto(form->ComboBox5, {QStringLiteral("abc 贸"), 0, QString()});
        form->Button1->click();
        refusedIndex = form->OpenBillIndex;
        TypeInto(form->ComboBox5, {QStringLiteral("abc 贸易"), 0, QString()});
        form->Button1->click();
    }));
    program.Prompts().QueueModal(On<TFormGetPay>([&](TFormGetPay* form) {
        handed = form->ComboBox5->currentText();
        form->BitBtn2->click();
    }));
    ShowNewDocument();
    QCOMPARE(refusedIndex, qint64(1));
    QCOMPARE(program.Prompts().Texts(), QStringList{Refused});
    QCOMPARE(handed, QStringLiteral("ABC 贸易"));
    // The editor was left with Cancel: the early document is undone again.
    QCOMPARE(program.Scalar(QStringLiteral("Select Count(*) From Bill Where BillIndex > 1")),
             QStringLiteral("0"));
}

void TestCustomerNames::designerBoxesKeepTypedText() {
    // The same set-up for a box whose items are exact texts: letter case counts, a typed text
    // that begins a longer item stays as typed.
    QComboBox box;
    box.addItems({QStringLiteral("date:yyyy-MM-dd"), QStringLiteral("date:yyyy")});
    SetUpCompletingBox(&box, Qt::CaseSensitive);
    box.show();
    TypeInto(&box, {QStringLiteral("date:yyyy"), 0, QString()});
    QCOMPARE(box.currentText(), QStringLiteral("date:yyyy"));
    TypeInto(&box, {QStringLiteral("date:YYYY"), 0, QString()});
    QVERIFY(!box.completer()->popup()->isVisible());
    QCOMPARE(box.currentText(), QStringLiteral("date:YYYY"));
    TypeInto(&box, {QStringLiteral("date"), 1, QStringLiteral("Enter")});
    QCOMPARE(box.currentText(), QStringLiteral("date:yyyy-MM-dd"));
    QCOMPARE(box.count(), 2);
}

QTEST_MAIN(TestCustomerNames)
#include "tst_customernames.moc"
