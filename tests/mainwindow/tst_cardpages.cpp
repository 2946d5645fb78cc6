#include "customers/CustomerForm3.h"
#include "documents/BuySellForm.h"
#include "finance/GetPayForm.h"
#include "foundation/JetSql.h"
#include "foundation/PublicFunction.h"
#include "foundation/ShareDM.h"
#include "mainwindow/CardPage.h"
#include "mainwindow/CardQueries.h"
#include "mainwindow/MainForm.h"
#include "mainwindow/RoleViews.h"
#include "support/TestSupport.h"

#include <QComboBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTest>
#include <algorithm>

// The four card pages against small databases: paging, every figure of a card, icons, colours,
// the role filters and the customer search, highlighting and the page buttons.

namespace {

const QDate Today(2024, 5, 15);
const QColor Blue(0, 0, 255);
const QColor Red(255, 0, 0);

// A program with the working date set and the boxes at record-number order, ascending, whole month.
struct CardFixture {
    TestProgram program;
    CardFixture() {
        SearchClause.clear();
        FormMain->SetWorkingDate(Today);
        FormMain->ComboBox6->setCurrentIndex(0);
        FormMain->ComboBox7->setCurrentIndex(0);
        for (QComboBox* range : {FormMain->ComboBox3, FormMain->ComboBox4})
            range->setCurrentIndex(1);
        for (QComboBox* box :
             {FormMain->ComboBox8, FormMain->ComboBox10, FormMain->ComboBox11, FormMain->ComboBox12})
            box->setCurrentIndex(0);
    }
    ~CardFixture() { SearchClause.clear(); }

    int Customer(const QString& name, double owe = 0, const QString& contact = QString(),
                 const QString& man = QString()) {
        program.Exec(
            QStringLiteral("Insert Into Customer (CustomerName, CustomerOwe, CustomerContact, CustomerMan) "
                           "Values (%1, %2, %3, %4)")
                .arg(SqlText(name), SqlNumber(owe), SqlText(contact), SqlText(man)));
        return LastKey(QStringLiteral("Customer"));
    }
    // A sale for a positive amount, a purchase (stored negative) for a negative one.
    int Bill(const QString& user, double sum, const QDate& date = Today, const QString& man = QString()) {
        const QString kind = sum >= 0 ? QStringLiteral("销售开单") : QStringLiteral("采购开单");
        program.Exec(
            QStringLiteral("Insert Into Bill (BillKind, BillSerial, BillCreateTime, BillUser, BillSum, "
                           "BillMan) Values (%1, 'XS100001', %2, %3, %4, %5)")
                .arg(SqlText(kind), SqlText(StoredDateText(date)), SqlText(user), SqlNumber(sum),
                     SqlText(man)));
        return LastKey(QStringLiteral("Bill"));
    }
    int Money(const QString& user, double sum, const QDate& date = Today, int account = 0, int bill = 0,
              const QString& man = QString(), const QString& type = QStringLiteral("货款"),
              const QString& token = QStringLiteral("收据")) {
        program.Exec(
            QStringLiteral("Insert Into MoneyTable (MoneyAccount, MoneyBill, MoneySerial, MoneyCreateTime, "
                           "MoneyUser, MoneyType, MoneyToken, MoneyMan, MoneyIn, MoneyOut, MoneySum) "
                           "Values (%1, %2, 'SR100001', %3, %4, %5, %6, %7, %8, %9, %10)")
                .arg(account)
                .arg(bill)
                .arg(SqlText(StoredDateText(date)), SqlText(user), SqlText(type), SqlText(token),
                     SqlText(man), SqlNumber(sum >= 0 ? sum : 0.0), SqlNumber(sum >= 0 ? 0.0 : -sum),
                     SqlNumber(sum)));
        return LastKey(QStringLiteral("MoneyTable"));
    }
    int Account(const QString& name, double base, const QString& man = QStringLiteral("财务主管")) {
        program.Exec(
            QStringLiteral("Insert Into Account (AccountName, AccountBase, AccountMan) Values (%1, %2, %3)")
                .arg(SqlText(name), SqlNumber(base), SqlText(man)));
        return LastKey(QStringLiteral("Account"));
    }
    int LastKey(const QString& table) {
        return program.Scalar(QStringLiteral("Select Max(%1) From %2").arg(Schema(table), table)).toInt();
    }
    static QString Schema(const QString& table) {
        return table == QLatin1String("MoneyTable") ? QStringLiteral("MoneyIndex")
                                                    : table + QStringLiteral("Index");
    }
};

QLabel* Label(const QString& name) {
    QLabel* label = FormMain->findChild<QLabel*>(name);
    if (!label)
        qFatal("no label %s", qPrintable(name));
    return label;
}

QString Text(const QString& name) {
    return Label(name)->text();
}

QColor Colour(const QString& name) {
    return Label(name)->palette().color(QPalette::WindowText);
}

QString Icon(const QString& name) {
    return Label(name)->property("IconFile").toString();
}

CardPanel* Panel(const QString& name) {
    CardPanel* panel = FormMain->findChild<CardPanel*>(name);
    if (!panel)
        qFatal("no panel %s", qPrintable(name));
    return panel;
}

QPushButton* Button(const QString& name) {
    return FormMain->findChild<QPushButton*>(name);
}

// Tags of the visible cards of a page, in slot order.
QList<int> ShownTags(const QString& prefix) {
    QList<int> tags;
    for (int i = 1; i <= 15; ++i) {
        CardPanel* panel = Panel(prefix + QStringLiteral("Panel") + QString::number(i));
        if (!panel->isHidden())
            tags << panel->Tag;
    }
    return tags;
}

QList<int> Keys(const QString& sql) {
    QSqlQuery query(ShareDataModule->ADOConnection1.Database());
    if (!query.exec(ShareDataModule->ADOConnection1.EngineSql(sql)))
        qFatal("query failed: %s", qPrintable(sql));
    QList<int> keys;
    while (query.next())
        keys << query.value(0).toInt();
    return keys;
}

void Show(const QString& prefix) {
    if (prefix == QLatin1String("Customer"))
        FormMain->ShowCustomerCards();
    else if (prefix == QLatin1String("Bill"))
        FormMain->ShowBillCards();
    else if (prefix == QLatin1String("Money"))
        FormMain->ShowMoneyCards();
    else
        FormMain->ShowAccountCards();
}

int& PageNumber(const QString& prefix) {
    if (prefix == QLatin1String("Customer"))
        return FormMain->CustomerPage;
    if (prefix == QLatin1String("Bill"))
        return FormMain->BillPage;
    if (prefix == QLatin1String("Money"))
        return FormMain->MoneyPage;
    return FormMain->AccountPage;
}

void MoveMouseOver(QWidget* widget) {
    QMouseEvent move(QEvent::MouseMove, QPointF(2, 2), widget->mapToGlobal(QPointF(2, 2)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
}

QColor PanelColour(const QString& name) {
    return Panel(name)->palette().color(QPalette::Window);
}

} // namespace

class TestCardPages : public QObject {
    Q_OBJECT
private slots:
    void pureFigures();
    void paging_data();
    void paging();
    void pageButtonsMoveThePage();
    void gridFitsTheSheet_data();
    void gridFitsTheSheet();
    void cardsFollowTheWindowSize();
    void equalSortValuesArePagedOnce();
    void customerCard_data();
    void customerCard();
    void billCard_data();
    void billCard();
    void moneyCard_data();
    void moneyCard();
    void accountCard();
    void accountTotalCoversEveryPage();
    void namesWithQuotesAndLongNames();
    void salesmanSeesHisOwnRecords();
    void customerSearchMatchesTheJoinedList_data();
    void customerSearchMatchesTheJoinedList();
    void customerSearchIsShownAndEnded();
    void failingListKeepsCardsAndDisablesButtons();
    void accountFailuresNameTheirQuery_data();
    void accountFailuresNameTheirQuery();
    void highlightFollowsTheMouse();
    void clickOnAnyControlOfACardReportsItsSlot();
    void clickedCardsOpenTheirRecords();
};

void TestCardPages::pureFigures() {
    QCOMPARE(Cards::PageStatusText(37, 1), QStringLiteral("共 37 记录，第 2/3 页"));
    QCOMPARE(Cards::PageStatusText(0, 0), QStringLiteral("共 0 记录，第 1/1 页"));
    QCOMPARE(Cards::PageStatusText(30, 1), QStringLiteral("共 30 记录，第 2/2 页"));
    QCOMPARE(Cards::IconFile(3000, Cards::BillScale), QStringLiteral("Res/Purple+.ico"));
    QCOMPARE(Cards::IconFile(-3000.01, Cards::MoneyScale), QStringLiteral("Res/Green++.ico"));
    QCOMPARE(Cards::IconFile(10000.01, Cards::BillScale), QStringLiteral("Res/Purple+++.ico"));
    QCOMPARE(Cards::IconFile(100000, Cards::AccountScale), QStringLiteral("Res/Yellow++.ico"));
    QCOMPARE(Cards::IconFile(-0.0, Cards::AccountScale), QStringLiteral("Res/Money0.ico"));
    QCOMPARE(Cards::AmountText(1250.5), QStringLiteral("1250.5 元"));
    QCOMPARE(Cards::MonthLast(QDate(2024, 2, 10)), QDate(2024, 2, 29));
    // Only column names outside quoted texts ask for documents.
    QVERIFY(Cards::SearchNeedsBill(
        QStringLiteral(" And (BillCreateTime Between #2024-05-01# And #2024-05-31#)")));
    QVERIFY(!Cards::SearchNeedsBill(QStringLiteral(" And (InStr(CustomerName,'BillCreateTime'))")));
    QVERIFY(!Cards::SearchNeedsBill(QStringLiteral(" And (InStr(CustomerRemark,'it''s Bill'))")));
}

void TestCardPages::paging_data() {
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<int>("records");
    QTest::addColumn<int>("page");
    QTest::addColumn<int>("shown");
    QTest::addColumn<QString>("status");
    QTest::addColumn<bool>("prior");
    QTest::addColumn<bool>("next");
    QTest::addColumn<bool>("empty");

    QTest::newRow("no customer") << "Customer" << 0 << 0 << 0 << "共 0 记录，第 1/1 页" << false << false
                                 << true;
    QTest::newRow("15 customers") << "Customer" << 15 << 0 << 15 << "共 15 记录，第 1/1 页" << false << false
                                  << false;
    QTest::newRow("16 customers, page 1")
        << "Customer" << 16 << 0 << 15 << "共 16 记录，第 1/2 页" << false << true << false;
    QTest::newRow("16 customers, page 2")
        << "Customer" << 16 << 1 << 1 << "共 16 记录，第 2/2 页" << true << false << false;
    QTest::newRow("page left beyond the end")
        << "Customer" << 20 << 3 << 0 << "共 20 记录，第 4/2 页" << true << false << false;
    QTest::newRow("page beyond the end, no record")
        << "Customer" << 0 << 2 << 0 << "共 0 记录，第 3/1 页" << false << false << true;
    QTest::newRow("no document") << "Bill" << 0 << 0 << 0 << "共 0 记录，第 1/1 页" << false << false << true;
    QTest::newRow("16 documents, page 2")
        << "Bill" << 16 << 1 << 1 << "共 16 记录，第 2/2 页" << true << false << false;
    QTest::newRow("15 vouchers") << "Money" << 15 << 0 << 15 << "共 15 记录，第 1/1 页" << false << false
                                 << false;
    QTest::newRow("16 vouchers, page 2")
        << "Money" << 16 << 1 << 1 << "共 16 记录，第 2/2 页" << true << false << false;
    QTest::newRow("no account") << "Account" << 0 << 0 << 0 << "合计：0 元" << false << false << true;
    QTest::newRow("16 accounts, page 1")
        << "Account" << 16 << 0 << 15 << "合计：1600 元" << false << true << false;
    QTest::newRow("16 accounts, page 2")
        << "Account" << 16 << 1 << 1 << "合计：1600 元" << true << false << false;
}

void TestCardPages::paging() {
    QFETCH(QString, prefix);
    QFETCH(int, records);
    QFETCH(int, page);
    QFETCH(int, shown);
    QFETCH(QString, status);
    QFETCH(bool, prior);
    QFETCH(bool, next);
    QFETCH(bool, empty);
    CardFixture cards;
    QList<int> keys;
    for (int i = 0; i < records; ++i) {
        const QString name = QStringLiteral("客户%1").arg(i);
        if (prefix == QLatin1String("Customer"))
            keys << cards.Customer(name);
        else if (prefix == QLatin1String("Bill"))
            keys << cards.Bill(name, 100);
        else if (prefix == QLatin1String("Money"))
            keys << cards.Money(name, 100);
        else
            keys << cards.Account(name, 100);
    }
    // Records outside the list never count: the reserved rows, and documents of another month.
    if (prefix == QLatin1String("Bill"))
        cards.Bill(QStringLiteral("上月客户"), 100, Today.addMonths(-1));
    if (prefix == QLatin1String("Money"))
        cards.Money(QStringLiteral("上月客户"), 100, Today.addMonths(-1));
    PageNumber(prefix) = page;
    Show(prefix);

    QCOMPARE(ShownTags(prefix), keys.mid(page * 15, shown));
    QCOMPARE(Text(prefix + QStringLiteral("Sum")), status);
    const QString newName =
        prefix == QLatin1String("Money") ? QStringLiteral("NewMoney") : QStringLiteral("New") + prefix;
    QVERIFY(Button(newName));
    QCOMPARE(Button(prefix + QStringLiteral("Prior"))->isEnabled(), prior);
    QCOMPARE(Button(prefix + QStringLiteral("Next"))->isEnabled(), next);
    QCOMPARE(!Label(prefix + QStringLiteral("EmptyPage"))->isHidden(), empty);
    QCOMPARE(PageNumber(prefix), page); // a refresh never moves the page
    QVERIFY(cards.program.Prompts().Messages.empty());
}

void TestCardPages::pageButtonsMoveThePage() {
    CardFixture cards;
    for (int i = 0; i < 16; ++i)
        cards.Customer(QStringLiteral("客户%1").arg(i));
    FormMain->ShowCustomerCards();
    Button(QStringLiteral("CustomerNext"))->click();
    QCOMPARE(FormMain->CustomerPage, 1);
    QCOMPARE(ShownTags(QStringLiteral("Customer")), QList<int>{17});
    QVERIFY(!Button(QStringLiteral("CustomerNext"))->isEnabled());
    Button(QStringLiteral("CustomerPrior"))->click();
    QCOMPARE(FormMain->CustomerPage, 0);
    QCOMPARE(ShownTags(QStringLiteral("Customer")).size(), 15);
    QCOMPARE(Text(QStringLiteral("CustomerSum")), QStringLiteral("共 16 记录，第 1/2 页"));
    QCOMPARE(Button(QStringLiteral("NewCustomer"))->text(), QStringLiteral("新增客户"));
    QCOMPARE(Button(QStringLiteral("NewBill"))->text(), QStringLiteral("新增业务单据"));
    QCOMPARE(Button(QStringLiteral("NewMoney"))->text(), QStringLiteral("新增财务单据"));
    QCOMPARE(Button(QStringLiteral("NewAccount"))->text(), QStringLiteral("新增帐户"));
    QCOMPARE(Button(QStringLiteral("CustomerPrior"))->geometry(), QRect(168, 444, 121, 33));
    QCOMPARE(Panel(QStringLiteral("CustomerPanel14"))->geometry(), QRect(224, 352, 209, 79));
    QCOMPARE(Label(QStringLiteral("CustomerImage14"))->geometry(), QRect(8, 8, 41, 41));
}

void TestCardPages::gridFitsTheSheet_data() {
    QTest::addColumn<QSize>("sheet");
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("rows");
    QTest::newRow("smallest window") << QSize(765, 510) << 3 << 5;
    QTest::newRow("smaller than that") << QSize(300, 200) << 3 << 5;
    QTest::newRow("one pixel short of a fourth column") << QSize(765 + 200, 510) << 3 << 5;
    QTest::newRow("room for a fourth column") << QSize(765 + 201, 510) << 4 << 5;
    QTest::newRow("room for a sixth row") << QSize(765, 510 + 86) << 3 << 6;
    QTest::newRow("1366 x 768") << QSize(1247, 700) << 5 << 7;
    QTest::newRow("1920 x 1080") << QSize(1801, 982) << 7 << 10;
}

void TestCardPages::gridFitsTheSheet() {
    QFETCH(QSize, sheet);
    QFETCH(int, columns);
    QFETCH(int, rows);
    const Cards::CardGrid grid = Cards::GridFor(sheet);
    QCOMPARE(grid.Columns, columns);
    QCOMPARE(grid.Rows, rows);
    // The last card keeps clear of the right column and of the buttons under the cards.
    QVERIFY(8 + (grid.Columns - 1) * Cards::ColumnPitch + 209 <=
            Cards::SmallestRightColumn + grid.RightShift - 8);
    QVERIFY(8 + (grid.Rows - 1) * Cards::RowPitch + 79 <= grid.ButtonTop - 5);
    QVERIFY(grid.ButtonTop + 33 <= std::max(sheet.height(), 510));
}

void TestCardPages::cardsFollowTheWindowSize() {
    CardFixture cards;
    for (int i = 0; i < 100; ++i)
        cards.Customer(QStringLiteral("客户%1").arg(i, 3, 10, QLatin1Char('0')));
    CardPage* page = FormMain->CustomerCards;
    const auto shown = [page] {
        QList<int> tags;
        for (const CardSlot& slot : page->Slots)
            if (!slot.Panel->isHidden())
                tags << slot.Panel->Tag;
        return tags;
    };
    FormMain->show();
    QTRY_COMPARE(FormMain->centralWidget()->size(), QSize(884, 538));
    QTRY_COMPARE(page->PageSize(), 15);
    FormMain->ShowCustomerCards();
    QCOMPARE(Text(QStringLiteral("CustomerSum")), QStringLiteral("共 100 记录，第 1/7 页"));
    QCOMPARE(shown().size(), 15);
    QCOMPARE(Button(QStringLiteral("CustomerPrior"))->geometry(), QRect(168, 444, 121, 33));
    SaveScreenshot(FormMain, QStringLiteral("main-884x538.png"));

    // Page 4 at the smallest size shows records 46..60; a larger window keeps record 46 in view.
    Button(QStringLiteral("CustomerNext"))->click();
    Button(QStringLiteral("CustomerNext"))->click();
    Button(QStringLiteral("CustomerNext"))->click();
    const int first = shown().first();
    FormMain->resize(1920, 1050);
    QTRY_VERIFY(page->PageSize() >= 30); // at least twice the cards of the smallest window
    const int big = page->PageSize();
    QCOMPARE(FormMain->CustomerPage, 45 / big);
    QTRY_COMPARE(Text(QStringLiteral("CustomerSum")), Cards::PageStatusText(100, 45 / big, big));
    QCOMPARE(shown().size(), std::min(big, 100 - (45 / big) * big));
    QVERIFY(shown().contains(first));
    QCOMPARE(Button(QStringLiteral("CustomerNext"))->isEnabled(), (45 / big + 1) * big < 100);
    // Every shown card lies on the sheet, above the buttons and left of the right column.
    const QRect rightColumn = FormMain->findChild<QWidget*>(QStringLiteral("CustomerSearch"))->geometry();
    for (const CardSlot& slot : page->Slots) {
        if (slot.Panel->isHidden())
            continue;
        QVERIFY(page->Sheet->rect().contains(slot.Panel->geometry()));
        QVERIFY(slot.Panel->geometry().bottom() < page->PriorButton->y());
        QVERIFY(slot.Panel->geometry().right() < rightColumn.left());
    }
    QVERIFY(page->Sheet->rect().contains(page->NextButton->geometry()));
    QVERIFY(page->Sheet->rect().contains(rightColumn));
    SaveScreenshot(FormMain, QStringLiteral("main-1920x1050.png"));

    // (The offscreen window system ignores a visible window made smaller.)
    FormMain->hide();
    FormMain->resize(1366, 730);
    const int bigFirst = shown().first(); // the first card of the large page stays in view
    FormMain->show();
    QTRY_VERIFY(page->PageSize() > 15 && page->PageSize() < big);
    const int mid = page->PageSize();
    QCOMPARE(FormMain->CustomerPage, (45 / big) * big / mid);
    QTRY_VERIFY(shown().contains(bigFirst));
    QTRY_COMPARE(Text(QStringLiteral("CustomerSum")),
                 Cards::PageStatusText(100, FormMain->CustomerPage, mid));
    QCOMPARE(Button(QStringLiteral("CustomerNext"))->isEnabled(), (FormMain->CustomerPage + 1) * mid < 100);
    SaveScreenshot(FormMain, QStringLiteral("main-1366x730.png"));
    const int midFirst = shown().first();

    // Back at the smallest size: fifteen cards again, the page still holding that record.
    FormMain->hide();
    FormMain->resize(884, 538);
    FormMain->show();
    QTRY_COMPARE(page->PageSize(), 15);
    QTRY_VERIFY(shown().contains(midFirst));
    QTRY_COMPARE(shown().size(), 15);
    QTRY_COMPARE(Text(QStringLiteral("CustomerSum")), Cards::PageStatusText(100, FormMain->CustomerPage, 15));
    QCOMPARE(Button(QStringLiteral("CustomerPrior"))->geometry(), QRect(168, 444, 121, 33));
    FormMain->hide();
}

void TestCardPages::equalSortValuesArePagedOnce() {
    CardFixture cards;
    QList<int> keys;
    for (int i = 0; i < 20; ++i)
        keys << cards.Bill(QStringLiteral("同一客户"), 100 + i);
    FormMain->ComboBox8->setCurrentIndex(2);  // 按客户名: every document has the same customer and date
    FormMain->ComboBox10->setCurrentIndex(1); // 按降序排
    FormMain->ShowBillCards();
    QList<int> listed = ShownTags(QStringLiteral("Bill"));
    Button(QStringLiteral("BillNext"))->click();
    listed += ShownTags(QStringLiteral("Bill"));
    std::sort(listed.begin(), listed.end());
    QCOMPARE(listed, keys);
}

void TestCardPages::customerCard_data() {
    QTest::addColumn<double>("owe");
    QTest::addColumn<QList<double>>("bills");
    QTest::addColumn<QList<double>>("money");
    QTest::addColumn<QString>("goodsText");
    QTest::addColumn<QString>("oweText");
    QTest::addColumn<QString>("icon");
    QTest::addColumn<QColor>("colour");

    QTest::newRow("no documents, opening 500") << 500.0 << QList<double>{} << QList<double>{} << "0 元"
                                               << "500 元"
                                               << "Res/Money0.ico" << Blue;
    QTest::newRow("exactly 30000") << 0.0 << QList<double>{30000} << QList<double>{10000} << "30000 元"
                                   << "20000 元"
                                   << "Res/Blue+.ico" << Blue;
    QTest::newRow("30000.01") << 0.0 << QList<double>{30000.01} << QList<double>{} << "30000.01 元"
                              << "30000.01 元"
                              << "Res/Blue++.ico" << Blue;
    QTest::newRow("exactly 100000") << 0.0 << QList<double>{60000, 40000} << QList<double>{} << "100000 元"
                                    << "100000 元"
                                    << "Res/Blue++.ico" << Blue;
    QTest::newRow("sales minus purchases")
        << 100.0 << QList<double>{5000, -2000} << QList<double>{1000} << "3000 元"
        << "2100 元"
        << "Res/Blue+.ico" << Blue;
    QTest::newRow("supplier, negative total")
        << 0.0 << QList<double>{-150000} << QList<double>{-100000} << "-150000 元"
        << "-50000 元"
        << "Res/Blue+++.ico" << Red;
    // Sums of binary fractions leave a residue of about 1e-17 where the total is 0.
    QTest::newRow("purchases cancelled by a sale")
        << 0.0 << QList<double>{-0.1, -0.2, 0.3} << QList<double>{} << "0 元"
        << "0 元"
        << "Res/Money0.ico" << Blue;
    QTest::newRow("sales cancelled by a purchase")
        << 0.0 << QList<double>{0.1, 0.2, -0.3} << QList<double>{} << "0 元"
        << "0 元"
        << "Res/Money0.ico" << Blue;
}

void TestCardPages::customerCard() {
    QFETCH(double, owe);
    QFETCH(QList<double>, bills);
    QFETCH(QList<double>, money);
    QFETCH(QString, goodsText);
    QFETCH(QString, oweText);
    QFETCH(QString, icon);
    QFETCH(QColor, colour);
    CardFixture cards;
    const QString name = QStringLiteral("东方贸易");
    const int key = cards.Customer(name, owe, QStringLiteral("王经理助理"));
    for (double sum : bills)
        cards.Bill(name, sum, Today.addDays(-40));
    for (double sum : money)
        cards.Money(name, sum, Today);
    // After the working date, or another customer's: never counted.
    cards.Bill(name, 99999, Today.addDays(1));
    cards.Money(name, 88888, Today.addDays(1));
    cards.Customer(QStringLiteral("东方贸易二"));
    cards.Bill(QStringLiteral("东方贸易二"), 777);
    FormMain->ShowCustomerCards();

    QCOMPARE(Panel(QStringLiteral("CustomerPanel1"))->Tag, key);
    QCOMPARE(Text(QStringLiteral("CustomerName1")), name);
    QCOMPARE(Text(QStringLiteral("CustomerMoney1")), goodsText);
    QCOMPARE(Text(QStringLiteral("CustomerOwe1")), oweText);
    QCOMPARE(Text(QStringLiteral("CustomerType1")), QStringLiteral("王经理"));
    QCOMPARE(Icon(QStringLiteral("CustomerImage1")), icon);
    QVERIFY(!Label(QStringLiteral("CustomerImage1"))->pixmap().isNull());
    for (const char* value : {"CustomerName1", "CustomerMoney1", "CustomerOwe1", "CustomerType1"})
        QCOMPARE(Colour(QLatin1String(value)), colour);
    for (int line = 1; line <= 3; ++line)
        QCOMPARE(Colour(QStringLiteral("CustomerCaption1_%1").arg(line)), QColor(Qt::black));
    QCOMPARE(Text(QStringLiteral("CustomerCaption1_2")), QStringLiteral("货款："));
    QVERIFY(cards.program.Prompts().Messages.empty());
}

void TestCardPages::billCard_data() {
    QTest::addColumn<double>("sum");
    QTest::addColumn<QList<double>>("payments");
    QTest::addColumn<QString>("moneyText");
    QTest::addColumn<QString>("typeText");
    QTest::addColumn<QString>("payText");
    QTest::addColumn<QString>("icon");
    QTest::addColumn<QColor>("colour");

    QTest::newRow("purchase of 2500") << -2500.0 << QList<double>{-1000, -500.5} << "2500 元"
                                      << "采购单"
                                      << "1500.5 元"
                                      << "Res/Purple+.ico" << Red;
    QTest::newRow("sale of 3000.01, nothing received") << 3000.01 << QList<double>{} << "3000.01 元"
                                                       << "销售单"
                                                       << "0 元"
                                                       << "Res/Purple++.ico" << Blue;
    QTest::newRow("sale of 0") << 0.0 << QList<double>{} << "0 元"
                               << "销售单"
                               << "0 元"
                               << "Res/Money0.ico" << Blue;
    QTest::newRow("sale above 10000, paid in full") << 10000.5 << QList<double>{6000, 4000.5} << "10000.5 元"
                                                    << "销售单"
                                                    << "10000.5 元"
                                                    << "Res/Purple+++.ico" << Blue;
}

void TestCardPages::billCard() {
    QFETCH(double, sum);
    QFETCH(QList<double>, payments);
    QFETCH(QString, moneyText);
    QFETCH(QString, typeText);
    QFETCH(QString, payText);
    QFETCH(QString, icon);
    QFETCH(QColor, colour);
    CardFixture cards;
    const int key = cards.Bill(QStringLiteral("东方贸易"), sum);
    for (double paid : payments)
        cards.Money(QStringLiteral("东方贸易"), paid, Today.addDays(5), 0, key);
    cards.Money(QStringLiteral("东方贸易"), 50, Today, 0, 0); // booked against no document
    FormMain->ShowBillCards();

    QCOMPARE(ShownTags(QStringLiteral("Bill")), QList<int>{key});
    QCOMPARE(Text(QStringLiteral("BillName1")), QStringLiteral("东方贸易"));
    QCOMPARE(Text(QStringLiteral("BillMoney1")), moneyText);
    QCOMPARE(Text(QStringLiteral("BillType1")), typeText);
    QCOMPARE(Text(QStringLiteral("BillPay1")), payText);
    QCOMPARE(Icon(QStringLiteral("BillImage1")), icon);
    for (const char* value : {"BillName1", "BillMoney1", "BillPay1", "BillType1"})
        QCOMPARE(Colour(QLatin1String(value)), colour);
    QCOMPARE(Text(QStringLiteral("BillCaption1_3")), QStringLiteral("已收："));
}

void TestCardPages::moneyCard_data() {
    QTest::addColumn<double>("sum");
    QTest::addColumn<QString>("moneyText");
    QTest::addColumn<QString>("typeText");
    QTest::addColumn<QString>("icon");
    QTest::addColumn<QColor>("colour");

    QTest::newRow("receipt of 3000") << 3000.0 << "3000 元"
                                     << "收入单"
                                     << "Res/Green+.ico" << Blue;
    QTest::newRow("payment of 12000.5") << -12000.5 << "12000.5 元"
                                        << "支出单"
                                        << "Res/Green+++.ico" << Red;
    QTest::newRow("receipt of 0") << 0.0 << "0 元"
                                  << "收入单"
                                  << "Res/Money0.ico" << Blue;
}

void TestCardPages::moneyCard() {
    QFETCH(double, sum);
    QFETCH(QString, moneyText);
    QFETCH(QString, typeText);
    QFETCH(QString, icon);
    QFETCH(QColor, colour);
    CardFixture cards;
    const int key = cards.Money(QStringLiteral("东方贸易"), sum, Today, 0, 0, QString(),
                                QStringLiteral("现金"), QStringLiteral("收据"));
    FormMain->ShowMoneyCards();

    QCOMPARE(ShownTags(QStringLiteral("Money")), QList<int>{key});
    QCOMPARE(Text(QStringLiteral("MoneyName1")), QStringLiteral("东方贸易"));
    QCOMPARE(Text(QStringLiteral("MoneyKind1")), QStringLiteral("现金‖收据"));
    QCOMPARE(Text(QStringLiteral("MoneyMoney1")), moneyText);
    QCOMPARE(Text(QStringLiteral("MoneyType1")), typeText);
    QCOMPARE(Icon(QStringLiteral("MoneyImage1")), icon);
    for (const char* value : {"MoneyName1", "MoneyKind1", "MoneyMoney1", "MoneyType1"})
        QCOMPARE(Colour(QLatin1String(value)), colour);
}

void TestCardPages::accountCard() {
    CardFixture cards;
    const int bank = cards.Account(QStringLiteral("工商银行基本户"), 1000);
    cards.Money(QStringLiteral("甲"), 500, Today, bank);
    cards.Money(QStringLiteral("甲"), 200, Today.addDays(3), bank);     // this month, after the date
    cards.Money(QStringLiteral("甲"), -300, Today.addMonths(-1), bank); // earlier month
    cards.Money(QStringLiteral("甲"), 50, Today.addMonths(1), bank);    // later month
    const int loan = cards.Account(QStringLiteral("借款"), -40000);
    cards.Money(QStringLiteral("乙"), 0.004, Today, loan);
    FormMain->ShowAccountCards();

    QCOMPARE(ShownTags(QStringLiteral("Account")), (QList<int>{bank, loan}));
    QCOMPARE(Text(QStringLiteral("AccountName1")), QStringLiteral("工商银行基本户"));
    QCOMPARE(Text(QStringLiteral("AccountMoney1")), QStringLiteral("1200 元"));
    QCOMPARE(Text(QStringLiteral("AccountMonth1")), QStringLiteral("700 元"));
    QCOMPARE(Icon(QStringLiteral("AccountImage1")), QStringLiteral("Res/Yellow+.ico"));
    QCOMPARE(Colour(QStringLiteral("AccountMoney1")), Blue);
    // Sums are rounded to cents per account.
    QCOMPARE(Text(QStringLiteral("AccountMoney2")), QStringLiteral("-40000 元"));
    QCOMPARE(Text(QStringLiteral("AccountMonth2")), QStringLiteral("0 元"));
    QCOMPARE(Icon(QStringLiteral("AccountImage2")), QStringLiteral("Res/Yellow++.ico"));
    for (const char* value : {"AccountName2", "AccountMoney2", "AccountMonth2"})
        QCOMPARE(Colour(QLatin1String(value)), Red);
    QCOMPARE(Colour(QStringLiteral("AccountCaption2_1")), QColor(Qt::black));
    QCOMPARE(Text(QStringLiteral("AccountSum")), QStringLiteral("合计：-38800 元"));
    QVERIFY(!FormMain->findChild<QLabel*>(QStringLiteral("AccountType1")));
}

void TestCardPages::accountTotalCoversEveryPage() {
    CardFixture cards;
    double total = 0;
    for (int i = 1; i <= 17; ++i) {
        const int key = cards.Account(QStringLiteral("帐户%1").arg(i), i * 10.25);
        cards.Money(QStringLiteral("甲"), i, Today.addDays(-i), key);
        cards.Money(QStringLiteral("甲"), 1000, Today.addDays(1), key); // after the date
        total += i * 10.25 + i;
    }
    FormMain->ShowAccountCards();
    const QString expected = QStringLiteral("合计：") + RoundAmountText(total) + QStringLiteral(" 元");
    QCOMPARE(expected, QStringLiteral("合计：1721.25 元"));
    QCOMPARE(Text(QStringLiteral("AccountSum")), expected);
    Button(QStringLiteral("AccountNext"))->click();
    QCOMPARE(ShownTags(QStringLiteral("Account")).size(), 2);
    QCOMPARE(Text(QStringLiteral("AccountSum")), expected);
}

void TestCardPages::namesWithQuotesAndLongNames() {
    CardFixture cards;
    const QString quoted = QStringLiteral("O'Brien 贸易");
    const int quotedKey = cards.Customer(quoted);
    cards.Customer(QStringLiteral("O''Brien 贸易"));
    cards.Bill(quoted, 1200);
    cards.Money(quoted, 200);
    cards.Bill(QStringLiteral("O''Brien 贸易"), 5);
    const QString longName = QStringLiteral("岚峰商业管理软件测试客户"); // 24 GBK bytes
    const QString oddName =
        QStringLiteral("A岚峰商业管理软件测试"); // 19 bytes: the 9th character would be split
    cards.Customer(longName);
    cards.Customer(oddName);
    cards.Bill(longName, 1);
    cards.Money(oddName, 1);
    cards.Account(longName + longName, 0);
    FormMain->RefreshAll();

    QCOMPARE(Panel(QStringLiteral("CustomerPanel1"))->Tag, quotedKey);
    QCOMPARE(Text(QStringLiteral("CustomerName1")), quoted);
    QCOMPARE(Text(QStringLiteral("CustomerMoney1")), QStringLiteral("1200 元"));
    QCOMPARE(Text(QStringLiteral("CustomerOwe1")), QStringLiteral("1000 元"));
    QCOMPARE(Text(QStringLiteral("CustomerMoney2")), QStringLiteral("5 元"));
    QCOMPARE(Text(QStringLiteral("CustomerName3")), QStringLiteral("岚峰商业管理软件测"));
    QCOMPARE(Text(QStringLiteral("CustomerName4")), QStringLiteral("A岚峰商业管理软件"));
    QCOMPARE(Text(QStringLiteral("BillName1")), quoted);
    QCOMPARE(Text(QStringLiteral("BillName3")), QStringLiteral("岚峰商业管理软件测"));
    QCOMPARE(Text(QStringLiteral("MoneyName2")), QStringLiteral("A岚峰商业管理软件"));
    QCOMPARE(Text(QStringLiteral("AccountName1")), longName + longName); // account names are shown whole
    QVERIFY(cards.program.Prompts().Messages.empty());
}

void TestCardPages::salesmanSeesHisOwnRecords() {
    CardFixture cards;
    const QString me = QStringLiteral("张'三");
    const QString other = QStringLiteral("李四");
    const int myCustomer = cards.Customer(QStringLiteral("我的客户"), 0, QString(), me);
    cards.Customer(QStringLiteral("别人的客户"), 0, QString(), other);
    const int myBill = cards.Bill(QStringLiteral("我的客户"), 100, Today, me);
    cards.Bill(QStringLiteral("别人的客户"), 100, Today, other);
    const int myMoney = cards.Money(QStringLiteral("我的客户"), 100, Today, 0, 0, me);
    cards.Money(QStringLiteral("别人的客户"), 100, Today, 0, 0, other);
    const int shared = cards.Account(QStringLiteral("公共帐户"), 100, QStringLiteral("财务主管"));
    cards.Account(QStringLiteral("总监帐户"), 1000, QStringLiteral("财务总监"));
    const int mine = cards.Account(QStringLiteral("我的帐户"), 10, me);
    cards.Account(QStringLiteral("别人的帐户"), 1, other);

    const RoleFilters filters = SalesmanFilters(me);
    CurrentRole = QStringLiteral("业务员");
    CurrentUser = me;
    CustomerFilter = filters.Customer;
    BillFilter = filters.Bill;
    MoneyFilter = filters.Money;
    AccountFilter = filters.Account;
    FormMain->RefreshAll();

    QCOMPARE(ShownTags(QStringLiteral("Customer")), QList<int>{myCustomer});
    QCOMPARE(ShownTags(QStringLiteral("Bill")), QList<int>{myBill});
    QCOMPARE(ShownTags(QStringLiteral("Money")), QList<int>{myMoney});
    QCOMPARE(ShownTags(QStringLiteral("Account")), (QList<int>{shared, mine}));
    QCOMPARE(Text(QStringLiteral("CustomerSum")), QStringLiteral("共 1 记录，第 1/1 页"));
    QCOMPARE(Text(QStringLiteral("AccountSum")), QStringLiteral("合计：110 元"));
    QVERIFY(cards.program.Prompts().Messages.empty());

    // A manager sees everything again.
    CustomerFilter.clear();
    BillFilter.clear();
    MoneyFilter.clear();
    AccountFilter.clear();
    FormMain->RefreshAll();
    QCOMPARE(ShownTags(QStringLiteral("Account")).size(), 4);
    QCOMPARE(Text(QStringLiteral("AccountSum")), QStringLiteral("合计：1111 元"));
}

void TestCardPages::customerSearchMatchesTheJoinedList_data() {
    QTest::addColumn<QString>("search");
    QTest::newRow("no search") << QString();
    QTest::newRow("name part") << QStringLiteral(" And (InStr(CustomerName,'张'))");
    QTest::newRow("the word Bill inside a search text")
        << QStringLiteral(" And (InStr(CustomerName,'Bill'))");
    QTest::newRow("business in May") << QStringLiteral(
        " And (BillCreateTime Between #2024-05-01# And #2024-05-31#)");
    QTest::newRow("name and period") << QStringLiteral(
        " And (InStr(CustomerName,'张')) And (BillCreateTime Between #2024-05-01# And #2024-05-31#)");
    QTest::newRow("period ending before it starts")
        << QStringLiteral(" And (BillCreateTime Between #2024-05-31# And #2024-05-01#)");
}

void TestCardPages::customerSearchMatchesTheJoinedList() {
    QFETCH(QString, search);
    CardFixture cards;
    cards.Customer(QStringLiteral("张三贸易"));
    cards.Customer(QStringLiteral("Billy 张"));
    cards.Customer(QStringLiteral("李四"));
    cards.Customer(QStringLiteral("张家没有单据"));
    cards.Customer(QStringLiteral("王五"));
    cards.Bill(QStringLiteral("张三贸易"), 10, QDate(2024, 5, 2));
    cards.Bill(QStringLiteral("张三贸易"), 10, QDate(2024, 5, 3));
    cards.Bill(QStringLiteral("张三贸易"), -10, QDate(2024, 5, 20));
    cards.Bill(QStringLiteral("Billy 张"), 10, QDate(2024, 4, 30));
    cards.Bill(QStringLiteral("李四"), 10, QDate(2024, 5, 31));
    cards.Bill(QStringLiteral("王五"), 10, QDate(2024, 6, 1));
    SearchClause = search;
    FormMain->ShowCustomerCards();
    const QList<int> joined = Keys(
        QStringLiteral("Select Distinct Customer.* From (Customer Left Join Bill on Customer.CustomerName = "
                       "Bill.BillUser) Where (CustomerIndex > 1)") +
        search + QStringLiteral(" Order By CustomerIndex Asc"));
    QCOMPARE(ShownTags(QStringLiteral("Customer")), joined);
    QCOMPARE(Text(QStringLiteral("CustomerSum")), Cards::PageStatusText(joined.size(), 0));
    QVERIFY(cards.program.Prompts().Messages.empty());
}

void TestCardPages::customerSearchIsShownAndEnded() {
    CardFixture cards;
    for (const QString& name : {QStringLiteral("张三贸易"), QStringLiteral("李四"), QStringLiteral("张家")})
        cards.Customer(name);
    FormMain->ShowCustomerCards();
    auto* note = FormMain->CustomerSearchNote;
    QVERIFY(note->isHidden() && FormMain->CustomerShowAll->isHidden());
    SearchClause = QStringLiteral(" And (InStr(CustomerName,'张') > 0)");
    FormMain->ShowCustomerCards();
    QVERIFY(!note->isHidden() && !FormMain->CustomerShowAll->isHidden());
    QCOMPARE(note->text(), QStringLiteral("已按条件搜索：2 位客户"));
    QCOMPARE(ShownTags(QStringLiteral("Customer")).size(), 2);
    FormMain->show();
    FormMain->PageControl1->setCurrentWidget(FormMain->TabSheet8);
    SaveScreenshot(FormMain, QStringLiteral("customer-search.png"));
    FormMain->CustomerShowAll->click();
    QVERIFY(SearchClause.isEmpty());
    QCOMPARE(ShownTags(QStringLiteral("Customer")).size(), 3);
    QVERIFY(note->isHidden() && FormMain->CustomerShowAll->isHidden());
    QVERIFY(cards.program.Prompts().Messages.empty());
}

void TestCardPages::failingListKeepsCardsAndDisablesButtons() {
    CardFixture cards;
    for (int i = 0; i < 16; ++i)
        cards.Customer(QStringLiteral("客户%1").arg(i));
    FormMain->ShowCustomerCards();
    QVERIFY(Button(QStringLiteral("CustomerNext"))->isEnabled());
    SearchClause = QStringLiteral(" And (NoSuchColumn = 1)");
    FormMain->ShowCustomerCards();
    QCOMPARE(cards.program.Prompts().Texts(), QStringList{QStringLiteral("刷新客户时出错")});
    QCOMPARE(ShownTags(QStringLiteral("Customer")).size(), 15);
    QCOMPARE(Text(QStringLiteral("CustomerSum")), QStringLiteral("共 16 记录，第 1/2 页"));
    QVERIFY(!Button(QStringLiteral("CustomerNext"))->isEnabled());
    QVERIFY(!Button(QStringLiteral("CustomerPrior"))->isEnabled());
}

void TestCardPages::accountFailuresNameTheirQuery_data() {
    QTest::addColumn<QString>("damage");
    QTest::addColumn<QString>("message");
    QTest::newRow("balances cannot be summed") << "Drop Table MoneyTable"
                                               << "统计帐户金额时出错";
    QTest::newRow("accounts cannot be listed") << "Drop Table Account"
                                               << "刷新帐户时出错";
}

void TestCardPages::accountFailuresNameTheirQuery() {
    QFETCH(QString, damage);
    QFETCH(QString, message);
    CardFixture cards;
    cards.program.Exec(damage);
    FormMain->ShowAccountCards();
    QCOMPARE(cards.program.Prompts().Texts(), QStringList{message});
}

void TestCardPages::highlightFollowsTheMouse() {
    CardFixture cards;
    for (int i = 0; i < 3; ++i)
        cards.Bill(QStringLiteral("客户"), 100);
    FormMain->ShowBillCards();
    const QColor start = PanelColour(QStringLiteral("BillPanel1"));
    QVERIFY(start != CardPage::HotColour() && start != CardPage::CoolColour());

    MoveMouseOver(Label(QStringLiteral("BillMoney2")));
    QCOMPARE(PanelColour(QStringLiteral("BillPanel2")), CardPage::HotColour());
    for (int i : {1, 3, 4, 15})
        QCOMPARE(PanelColour(QStringLiteral("BillPanel%1").arg(i)), CardPage::CoolColour());
    MoveMouseOver(Label(QStringLiteral("BillImage3")));
    QCOMPARE(PanelColour(QStringLiteral("BillPanel3")), CardPage::HotColour());
    QCOMPARE(PanelColour(QStringLiteral("BillPanel2")), CardPage::CoolColour());
    // Other pages are left alone.
    QCOMPARE(PanelColour(QStringLiteral("CustomerPanel1")), start);

    MoveMouseOver(FormMain->TabSheet1);
    for (int i = 1; i <= 15; ++i)
        QCOMPARE(PanelColour(QStringLiteral("BillPanel%1").arg(i)), CardPage::CoolColour());
}

void TestCardPages::clickOnAnyControlOfACardReportsItsSlot() {
    CardFixture cards;
    for (int i = 0; i < 4; ++i)
        cards.Customer(QStringLiteral("客户%1").arg(i));
    FormMain->ShowCustomerCards();
    QSignalSpy clicked(FormMain->CustomerCards, &CardPage::CardClicked);
    QTest::mouseClick(Label(QStringLiteral("CustomerOwe3")), Qt::LeftButton);
    QTest::mouseClick(Panel(QStringLiteral("CustomerPanel4")), Qt::LeftButton);
    QTest::mouseClick(Label(QStringLiteral("CustomerCaption1_1")), Qt::LeftButton);
    QCOMPARE(clicked.size(), 3);
    QCOMPARE(clicked[0][0].toInt(), 3);
    QCOMPARE(clicked[1][0].toInt(), 4);
    QCOMPARE(clicked[2][0].toInt(), 1);
}

void TestCardPages::clickedCardsOpenTheirRecords() {
    CardFixture cards;
    cards.Bill(QStringLiteral("甲"), 100);
    const int bill = cards.Bill(QStringLiteral("乙"), -200);
    cards.Money(QStringLiteral("甲"), 50);
    const int voucher = cards.Money(QStringLiteral("乙"), -60);
    FormMain->RefreshAll();
    qint64 openedBill = 0;
    qint64 openedVoucher = 0;
    cards.program.Prompts().QueueModal([&](QDialog*) { openedBill = FormBuySell->OpenBillIndex; });
    cards.program.Prompts().QueueModal([&](QDialog*) { openedVoucher = FormGetPay->OpenMoneyIndex; });
    QTest::mouseClick(Label(QStringLiteral("BillType2")), Qt::LeftButton);
    QTest::mouseClick(Label(QStringLiteral("MoneyImage2")), Qt::LeftButton);
    QCOMPARE(openedBill, qint64(bill));
    QCOMPARE(openedVoucher, qint64(voucher));
}

QTEST_MAIN(TestCardPages)
#include "tst_cardpages.moc"
