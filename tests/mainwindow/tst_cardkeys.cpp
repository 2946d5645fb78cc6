#include "customers/CustomerForm.h"
#include "documents/BuySellForm.h"
#include "foundation/JetSql.h"
#include "mainwindow/CardKeys.h"
#include "mainwindow/CardPage.h"
#include "mainwindow/MainForm.h"
#include "mainwindow/SignInScripts.h"
#include "support/TestSupport.h"

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

// The cards without a mouse: Tab reaches them, the arrow keys move between them with a visible
// focus, Enter opens a card as a click does, PageUp / PageDown turn the page; a screen reader
// reads each card with its figures.
class TestCardKeys : public QObject {
    Q_OBJECT
private slots:
    void movedSlot_data();
    void movedSlot();
    void customerCardsByKeyboard();
    void documentCardOpensWithEnter();
    void tabLeavesTheCardsInOneStep();
    void focusShowsAtEveryWindowSize_data();
    void focusShowsAtEveryWindowSize();
};

using Cards::CardMove;
Q_DECLARE_METATYPE(Cards::CardMove)

namespace {

CardPanel* Panel(const QString& prefix, int slot) {
    return FormMain->findChild<CardPanel*>(prefix + QStringLiteral("Panel%1").arg(slot));
}

// The slot of the card that has the keyboard focus, 0 when none has it.
int FocusedSlot(const QString& prefix) {
    for (int slot = 1; slot <= 200; ++slot)
        if (CardPanel* panel = Panel(prefix, slot); panel && panel->hasFocus())
            return slot;
    return 0;
}

void AddCustomers(TestProgram& program, int count) {
    for (int i = 1; i <= count; ++i)
        program.Exec(QStringLiteral("Insert Into Customer (CustomerName, CustomerOwe) Values (%1, 0)")
                         .arg(SqlText(QStringLiteral("客户%1").arg(i, 2, 10, QLatin1Char('0')))));
}

// The main window shown (signed in as 总经理) and active on a page, at its smallest size (three
// cards a row); the working date set after the sign-in when one is given.
void ShowPage(TestProgram& program, Workspace::Page page, const QDate& date = QDate()) {
    QueueRoleSignIn(program, QStringLiteral("总经理"), QString());
    FormMain->show();
    QTRY_COMPARE_WITH_TIMEOUT(program.Prompts().PendingScripts(), 0, 2000);
    QCOMPARE(program.Prompts().UnexpectedModals, 0);
    if (date.isValid())
        FormMain->SetWorkingDate(date);
    FormMain->ComboBox6->setCurrentIndex(0); // by record number
    FormMain->ComboBox7->setCurrentIndex(0); // ascending
    FormMain->RefreshAll();
    FormMain->show();
    FormMain->ShowPage(page);
    // The sign-in's password window may still hold the activation the window system gave it.
    if (QWidget* active = QApplication::activeWindow(); active != nullptr && active != FormMain)
        active->hide();
    FormMain->activateWindow();
    QApplication::setActiveWindow(FormMain);
    QTRY_VERIFY(FormMain->isActiveWindow());
}

// Presses Tab from the page's tab strip until a card of the page has the focus (at most 40 times).
int TabIntoCards(const QString& prefix) {
    FormMain->PageControl1->tabBar()->setFocus();
    for (int i = 0; i < 40 && FocusedSlot(prefix) == 0; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    return FocusedSlot(prefix);
}

void Press(int key) {
    QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(key));
}

} // namespace

void TestCardKeys::movedSlot_data() {
    QTest::addColumn<int>("from");
    QTest::addColumn<CardMove>("move");
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("shown");
    QTest::addColumn<int>("expected");
    QTest::newRow("right along a row") << 1 << CardMove::Right << 3 << 15 << 2;
    QTest::newRow("right wraps to the next row") << 3 << CardMove::Right << 3 << 15 << 4;
    QTest::newRow("right stops at the last card") << 15 << CardMove::Right << 3 << 15 << 15;
    QTest::newRow("left stops at the first card") << 1 << CardMove::Left << 3 << 15 << 1;
    QTest::newRow("left wraps to the row above") << 4 << CardMove::Left << 3 << 15 << 3;
    QTest::newRow("down keeps the column") << 2 << CardMove::Down << 3 << 15 << 5;
    QTest::newRow("down at the bottom stays") << 14 << CardMove::Down << 3 << 15 << 14;
    QTest::newRow("down into a short last row") << 3 << CardMove::Down << 3 << 4 << 4;
    QTest::newRow("down from the short last row stays") << 4 << CardMove::Down << 3 << 4 << 4;
    QTest::newRow("up keeps the column") << 8 << CardMove::Up << 3 << 15 << 5;
    QTest::newRow("up at the top stays") << 2 << CardMove::Up << 3 << 15 << 2;
    QTest::newRow("wide window") << 6 << CardMove::Down << 8 << 40 << 14;
    QTest::newRow("last") << 2 << CardMove::Last << 3 << 11 << 11;
    QTest::newRow("first") << 9 << CardMove::First << 3 << 11 << 1;
    QTest::newRow("a slot past the cards comes back") << 12 << CardMove::Left << 3 << 5 << 4;
    QTest::newRow("no card") << 1 << CardMove::Right << 3 << 0 << 0;
}

void TestCardKeys::movedSlot() {
    QFETCH(int, from);
    QFETCH(CardMove, move);
    QFETCH(int, columns);
    QFETCH(int, shown);
    QFETCH(int, expected);
    QCOMPARE(Cards::MovedSlot(from, move, columns, shown), expected);
}

void TestCardKeys::customerCardsByKeyboard() {
    TestProgram program;
    AddCustomers(program, 20);
    ShowPage(program, Workspace::PageCustomers);
    const CardPage& page = *FormMain->CustomerCards;
    QCOMPARE(page.Columns(), 3);
    const QString prefix = QStringLiteral("Customer");

    // Tab reaches the first card; it is highlighted and framed.
    QCOMPARE(TabIntoCards(prefix), 1);
    QCOMPARE(Panel(prefix, 1)->palette().color(QPalette::Window), CardPage::HotColour());
    QCOMPARE(Panel(prefix, 2)->palette().color(QPalette::Window), CardPage::CoolColour());
    SaveScreenshot(FormMain, QStringLiteral("cards-keyboard-focus.png"));

    // A screen reader reads the card with its captions and figures.
    QAccessibleInterface* card = QAccessible::queryAccessibleInterface(Panel(prefix, 1));
    QVERIFY(card);
    QVERIFY2(card->text(QAccessible::Name).contains(QStringLiteral("名称：客户01")),
             qPrintable(card->text(QAccessible::Name)));
    QVERIFY(card->text(QAccessible::Name).contains(QStringLiteral("欠款：0 元")));

    // Arrows move the focus and the highlight with it.
    Press(Qt::Key_Right);
    QCOMPARE(FocusedSlot(prefix), 2);
    QCOMPARE(Panel(prefix, 2)->palette().color(QPalette::Window), CardPage::HotColour());
    QCOMPARE(Panel(prefix, 1)->palette().color(QPalette::Window), CardPage::CoolColour());
    Press(Qt::Key_Down);
    QCOMPARE(FocusedSlot(prefix), 5);
    Press(Qt::Key_End);
    QCOMPARE(FocusedSlot(prefix), 15);
    Press(Qt::Key_Up);
    QCOMPARE(FocusedSlot(prefix), 12);

    // Enter opens the card under the focus, as a click does.
    int opened = 0;
    program.Prompts().QueueModal([&](QDialog* dialog) {
        QVERIFY(qobject_cast<TFormCustomer*>(dialog));
        opened = FormCustomer->CardCustomerIndex;
        dialog->reject();
    });
    Press(Qt::Key_Return);
    QCOMPARE(program.Prompts().UnexpectedModals, 0);
    QCOMPARE(opened, Panel(prefix, 12)->Tag);
    QVERIFY(opened > 1);

    // PageDown turns to the next page with the focus on its first card; PageUp back.
    Panel(prefix, 12)->setFocus();
    Press(Qt::Key_PageDown);
    QCOMPARE(FormMain->CustomerPage, 1);
    QCOMPARE(page.ShownCount(), 5);
    QCOMPARE(FocusedSlot(prefix), 1);
    QCOMPARE(FormMain->findChild<QLabel*>(QStringLiteral("CustomerName1"))->text(), QStringLiteral("客户16"));
    Press(Qt::Key_PageDown); // no page after the last: nothing moves
    QCOMPARE(FormMain->CustomerPage, 1);
    Press(Qt::Key_End);
    QCOMPARE(FocusedSlot(prefix), 5);
    Press(Qt::Key_PageUp);
    QCOMPARE(FormMain->CustomerPage, 0);
    QCOMPARE(FocusedSlot(prefix), 1);
    QCOMPARE(program.Prompts().Texts(), QStringList());
}

void TestCardKeys::documentCardOpensWithEnter() {
    TestProgram program;
    for (int i = 1; i <= 3; ++i)
        program.Exec(
            QStringLiteral("Insert Into Bill (BillKind, BillSerial, BillCreateTime, BillUser, BillSum) "
                           "Values ('销售开单', 'XS10000%1', '2024-05-0%1', '甲', %2)")
                .arg(i)
                .arg(i * 100));
    ShowPage(program, Workspace::PageBills, QDate(2024, 5, 15));
    FormMain->ComboBox3->setCurrentIndex(1); // the whole month
    FormMain->ShowBillCards();
    QCOMPARE(FormMain->BillCards->ShownCount(), 3);
    QCOMPARE(TabIntoCards(QStringLiteral("Bill")), 1);
    Press(Qt::Key_Right);
    Press(Qt::Key_Right);
    qint64 opened = 0;
    program.Prompts().QueueModal([&](QDialog* dialog) {
        opened = FormBuySell->OpenBillIndex;
        dialog->reject();
    });
    Press(Qt::Key_Enter);
    QCOMPARE(opened, qint64(Panel(QStringLiteral("Bill"), 3)->Tag));
}

void TestCardKeys::tabLeavesTheCardsInOneStep() {
    TestProgram program;
    AddCustomers(program, 9);
    ShowPage(program, Workspace::PageCustomers);
    const QString prefix = QStringLiteral("Customer");
    QCOMPARE(TabIntoCards(prefix), 1);
    Press(Qt::Key_Down);
    QCOMPARE(FocusedSlot(prefix), 4);
    // The cards are one stop: Tab goes on past them, Shift+Tab comes back to the card last used.
    Press(Qt::Key_Tab);
    QCOMPARE(FocusedSlot(prefix), 0);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(FocusedSlot(prefix), 4);
    // A refresh with fewer cards keeps the stop on a card that is still shown.
    program.Exec(QStringLiteral("Delete From Customer Where CustomerIndex > 1 And CustomerName > '客户02'"));
    FormMain->ShowCustomerCards();
    QCOMPARE(FormMain->CustomerCards->ShownCount(), 2);
    QCOMPARE(FormMain->CustomerCards->FocusSlot(), 2);
    QCOMPARE(TabIntoCards(prefix), 2);
}

void TestCardKeys::focusShowsAtEveryWindowSize_data() {
    QTest::addColumn<QSize>("size");
    QTest::newRow("1366x768") << QSize(1366, 728);
    QTest::newRow("1920x1080") << QSize(1920, 1040);
}

void TestCardKeys::focusShowsAtEveryWindowSize() {
    QFETCH(QSize, size);
    TestProgram program;
    AddCustomers(program, 80);
    ShowPage(program, Workspace::PageCustomers);
    FormMain->resize(size);
    QTest::qWait(50);
    const QString prefix = QStringLiteral("Customer");
    CardPage& page = *FormMain->CustomerCards;
    QVERIFY(page.PageSize() >= 15);
    QCOMPARE(page.ShownCount(), page.PageSize());
    QCOMPARE(TabIntoCards(prefix), 1);
    // Down to the last row and along it: the arrows follow the wider grid.
    for (int i = 1; i < page.Rows(); ++i)
        Press(Qt::Key_Down);
    QCOMPARE(FocusedSlot(prefix), 1 + (page.Rows() - 1) * page.Columns());
    Press(Qt::Key_Right);
    const int slot = FocusedSlot(prefix);
    QCOMPARE(slot, 2 + (page.Rows() - 1) * page.Columns());
    CardPanel* panel = Panel(prefix, slot);
    QVERIFY(panel->isVisible());
    QVERIFY(FormMain->rect().contains(QRect(panel->mapTo(FormMain, QPoint(0, 0)), panel->size())));
    QCOMPARE(panel->palette().color(QPalette::Window), CardPage::HotColour());
    SaveScreenshot(FormMain, QStringLiteral("cards-focus-%1x%2.png").arg(size.width()).arg(size.height()));
}

QTEST_MAIN(TestCardKeys)
#include "tst_cardkeys.moc"
