// An empty card page says what to do first, from what the books of the signed-in role lack.
#include "customers/CustomerForm3.h"
#include "documents/EditorScripts.h"
#include "foundation/ShareDM.h"
#include "kit/Workspace.h"
#include "mainwindow/CardPage.h"
#include "mainwindow/EmptyPages.h"
#include "mainwindow/MainForm.h"
#include "support/TestSupport.h"

#include <QLabel>
#include <QTabWidget>
#include <QTest>

using EmptyPages::Kind;

class TestEmptyPages : public QObject {
    Q_OBJECT
private slots:
    void advice_data();
    void advice();
    void pagesFollowTheBooks_data();
    void pagesFollowTheBooks();
    void customerSearchFindingNothing();
    void salesmanCountsOnlyHisOwnCustomers();
    void hintFollowsTheWindowSize_data();
    void hintFollowsTheWindowSize();
};

Q_DECLARE_METATYPE(EmptyPages::Kind)

namespace {

const QString NoCustomers = QStringLiteral("还没有客户：请先在 客户管理 中新增客户");
const QString NoAccounts = QStringLiteral("还没有帐户：请先在 帐户管理 中新增帐户");
const QString FirstCustomer = QStringLiteral("还没有客户：请点击下方的 新增客户 建立第一个客户");
const QString FirstAccount = QStringLiteral("还没有帐户：请点击下方的 新增帐户 建立现金或银行帐户");
const QString NoBillsInPeriod =
    QStringLiteral("这段时间没有业务单据：请点击下方的 新增业务单据 开单，或在左侧改变当前日期");
const QString NoVouchersInPeriod =
    QStringLiteral("这段时间没有财务单据：请点击下方的 新增财务单据 记一笔收支，或在左侧改变当前日期");
const QString NothingFound = QStringLiteral("没有符合搜索条件的客户：请换一个条件再搜索");

QLabel* Hint(const QString& prefix) {
    return FormMain->findChild<QLabel*>(prefix + QStringLiteral("EmptyHint"));
}

// The hint as the user sees it on the page: "" when hidden.
QString ShownHint(const QString& prefix) {
    QLabel* hint = Hint(prefix);
    return hint != nullptr && !hint->isHidden() ? hint->text() : QString();
}

} // namespace

void TestEmptyPages::advice_data() {
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<bool>("searching");
    QTest::addColumn<bool>("customers");
    QTest::addColumn<bool>("accounts");
    QTest::addColumn<QString>("text");
    QTest::newRow("customers, none") << Kind::Customers << false << false << false << FirstCustomer;
    QTest::newRow("customers, search found none") << Kind::Customers << true << true << true << NothingFound;
    QTest::newRow("documents before any customer") << Kind::Bills << false << false << true << NoCustomers;
    QTest::newRow("documents, none in the period")
        << Kind::Bills << false << true << false << NoBillsInPeriod;
    QTest::newRow("accounts, none") << Kind::Accounts << false << true << false << FirstAccount;
    // A voucher is booked on an account for a customer: the account comes first.
    QTest::newRow("vouchers before anything") << Kind::Vouchers << false << false << false << NoAccounts;
    QTest::newRow("vouchers before any account") << Kind::Vouchers << false << true << false << NoAccounts;
    QTest::newRow("vouchers before any customer") << Kind::Vouchers << false << false << true << NoCustomers;
    QTest::newRow("vouchers, none in the period")
        << Kind::Vouchers << false << true << true << NoVouchersInPeriod;
}

void TestEmptyPages::advice() {
    QFETCH(Kind, kind);
    QFETCH(bool, searching);
    QFETCH(bool, customers);
    QFETCH(bool, accounts);
    QFETCH(QString, text);
    EmptyPages::Situation situation;
    situation.Searching = searching;
    situation.HasCustomers = customers;
    situation.HasAccounts = accounts;
    QCOMPARE(EmptyPages::Text(kind, situation), text);
}

void TestEmptyPages::pagesFollowTheBooks_data() {
    QTest::addColumn<bool>("account");
    QTest::addColumn<bool>("customer");
    QTest::addColumn<bool>("documents");
    QTest::addColumn<QStringList>("hints"); // customers, documents, accounts, vouchers
    QTest::newRow("shipped books") << false << false << false
                                   << QStringList{FirstCustomer, NoCustomers, FirstAccount, NoAccounts};
    QTest::newRow("an account") << true << false << false
                                << QStringList{FirstCustomer, NoCustomers, QString(), NoCustomers};
    QTest::newRow("a customer") << false << true << false
                                << QStringList{QString(), NoBillsInPeriod, FirstAccount, NoAccounts};
    QTest::newRow("both") << true << true << false
                          << QStringList{QString(), NoBillsInPeriod, QString(), NoVouchersInPeriod};
    QTest::newRow("a sale received") << true << true << true
                                     << QStringList{QString(), QString(), QString(), QString()};
}

void TestEmptyPages::pagesFollowTheBooks() {
    QFETCH(bool, account);
    QFETCH(bool, customer);
    QFETCH(bool, documents);
    QFETCH(QStringList, hints);
    TestProgram program;
    CurrentRole = QStringLiteral("总经理");
    CurrentUser = QStringLiteral("总经理");
    const QDate today(2024, 5, 20);
    FormMain->SetWorkingDate(today);
    int accountKey = 0;
    if (account)
        accountKey = AddAccount(program, QStringLiteral("现金"), 100);
    if (customer)
        AddCustomer(program, QStringLiteral("华东贸易"));
    if (documents) {
        const int bill = AddBill(program, QStringLiteral("销售开单"), QStringLiteral("华东贸易"), 200,
                                 QStringLiteral("总经理"), today);
        AddVoucher(program, accountKey, bill, QStringLiteral("华东贸易"), 50, QStringLiteral("总经理"),
                   today);
    }
    FormMain->RefreshAll();
    const QStringList shown{ShownHint(QStringLiteral("Customer")), ShownHint(QStringLiteral("Bill")),
                            ShownHint(QStringLiteral("Account")), ShownHint(QStringLiteral("Money"))};
    QCOMPARE(shown, hints);
    // The hint stands with the empty-page picture, inside the sheet, above the page buttons.
    for (const QString& prefix : {QStringLiteral("Customer"), QStringLiteral("Bill"),
                                  QStringLiteral("Account"), QStringLiteral("Money")}) {
        QLabel* hint = Hint(prefix);
        QVERIFY(hint);
        FormMain->PageControl1->setCurrentWidget(hint->parentWidget());
        FormMain->grab(); // lays the window out as shown
        auto* picture = FormMain->findChild<QLabel*>(prefix + QStringLiteral("EmptyPage"));
        QCOMPARE(hint->isHidden(), picture->isHidden());
        const auto place = [](const QRect& r) {
            return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
        };
        QVERIFY2(hint->parentWidget()->rect().contains(hint->geometry()),
                 qPrintable(place(hint->geometry()) + QStringLiteral(" in ") +
                            place(hint->parentWidget()->rect())));
        QVERIFY(hint->geometry().bottom() < picture->geometry().top());
    }
    QVERIFY(program.Prompts().Messages.empty());
    // Later records take the hint away at the next refresh.
    if (!customer) {
        AddCustomer(program, QStringLiteral("新客户"));
        FormMain->ShowCustomerCards();
        QCOMPARE(ShownHint(QStringLiteral("Customer")), QString());
    }
}

void TestEmptyPages::customerSearchFindingNothing() {
    TestProgram program;
    CurrentRole = QStringLiteral("总经理");
    AddCustomer(program, QStringLiteral("华东贸易"));
    SearchClause = QStringLiteral(" And (InStr(CustomerName,'没有这个名字'))");
    FormMain->ShowCustomerCards();
    QCOMPARE(ShownHint(QStringLiteral("Customer")), NothingFound);
    SearchClause.clear();
    FormMain->ShowCustomerCards();
    QCOMPARE(ShownHint(QStringLiteral("Customer")), QString());
}

void TestEmptyPages::salesmanCountsOnlyHisOwnCustomers() {
    // Another salesman's customers and accounts are none of his: the advice is his own.
    TestProgram program;
    AddCustomer(program, QStringLiteral("李四的客户"), QStringLiteral("李四"));
    program.Exec(QStringLiteral(
        "Insert Into Account (AccountName, AccountBase, AccountMan) Values ('李四的帐户', 0, '李四')"));
    CurrentRole = QStringLiteral("业务员");
    CurrentUser = QStringLiteral("张三");
    CustomerFilter = QStringLiteral(" And (CustomerMan = '张三')");
    AccountFilter = QStringLiteral(" And (AccountMan = '财务主管' Or AccountMan = '张三')");
    BillFilter = QStringLiteral(" And (BillMan = '张三')");
    MoneyFilter = QStringLiteral(" And (MoneyMan = '张三')");
    FormMain->RefreshAll();
    QCOMPARE(ShownHint(QStringLiteral("Bill")), NoCustomers);
    QCOMPARE(ShownHint(QStringLiteral("Money")), NoAccounts);
    // An account of 财务主管 is his to use.
    program.Exec(QStringLiteral(
        "Insert Into Account (AccountName, AccountBase, AccountMan) Values ('公司现金', 0, '财务主管')"));
    AddCustomer(program, QStringLiteral("张三的客户"), QStringLiteral("张三"));
    FormMain->RefreshAll();
    QCOMPARE(ShownHint(QStringLiteral("Bill")), NoBillsInPeriod);
    QCOMPARE(ShownHint(QStringLiteral("Money")), NoVouchersInPeriod);
}

void TestEmptyPages::hintFollowsTheWindowSize_data() {
    QTest::addColumn<QSize>("size");
    QTest::newRow("smallest") << QSize(884, 571);
    QTest::newRow("1366 x 768") << QSize(1366, 730);
    QTest::newRow("1920 x 1080") << QSize(1920, 1050);
}

void TestEmptyPages::hintFollowsTheWindowSize() {
    QFETCH(QSize, size);
    TestProgram program;
    CurrentRole = QStringLiteral("总经理");
    FormMain->resize(size);
    FormMain->ShowPage(Workspace::PageCustomers);
    FormMain->RefreshAll();
    FormMain->grab(); // lays the window out at its size
    QLabel* hint = Hint(QStringLiteral("Customer"));
    auto* picture = FormMain->findChild<QLabel*>(QStringLiteral("CustomerEmptyPage"));
    QCOMPARE(hint->text(), FirstCustomer);
    QVERIFY(!hint->isHidden());
    QVERIFY(hint->parentWidget()->rect().contains(hint->geometry()));
    QVERIFY(hint->geometry().bottom() < picture->geometry().top());
    // Centred over the picture, and wide enough for the whole line.
    QVERIFY(qAbs(hint->geometry().center().x() - picture->geometry().center().x()) <= 2);
    QVERIFY(hint->fontMetrics().horizontalAdvance(hint->text()) <= hint->width());
    SaveScreenshot(FormMain, QStringLiteral("empty-%1x%2.png").arg(size.width()).arg(size.height()));
}

QTEST_MAIN(TestEmptyPages)
#include "tst_emptypages.moc"
