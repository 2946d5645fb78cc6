#include "SignInScripts.h"
#include "foundation/ShareDM.h"
#include "mainwindow/MainForm.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QDir>
#include <QPushButton>
#include <QSet>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

// A page the signed-in role must not see cannot be reached by any means: it is not a tab, no key or
// click makes it current, and its controls do not act.
class TestPageSecurity : public QObject {
    Q_OBJECT
private slots:
    void onlyTheRolesPagesAreReachable_data();
    void onlyTheRolesPagesAreReachable();
    void nextRoleGetsItsOwnPages();
};

namespace {
const QStringList Captions = {QStringLiteral("客户管理"), QStringLiteral("业务单据"),
                              QStringLiteral("业务报表"), QStringLiteral("帐户管理"),
                              QStringLiteral("财务单据"), QStringLiteral("财务报表"),
                              QStringLiteral("软件设置"), QStringLiteral("数据维护")};
const QList<int> ManagerPages = {0, 1, 2, 3, 4, 5};

// Queues the sign-in of a manager role, or of the salesman of slot 1 with the given rights.
void QueueSignIn(TestProgram& program, const QString& role, const QString& rights) {
    if (role == QStringLiteral("业务员")) {
        SetSlot(program, 1, QStringLiteral("张三"), QStringLiteral("pw"), rights);
        QueueSalesmanSignIn(program, 1, QStringLiteral("pw"));
    } else {
        QueueRoleSignIn(program, role, QString());
    }
}

void SignIn(TestProgram& program, const QString& role, const QString& rights) {
    QueueSignIn(program, role, rights);
    QVERIFY2(FormMain->SignInAndSetUp(), qPrintable(program.Prompts().Texts().join(QLatin1Char('|'))));
}

QList<int> Reachable() {
    QList<int> pages;
    for (int page = TFormMain::PageCustomers; page <= TFormMain::PageMaintenance; ++page)
        if (FormMain->PageReachable(TFormMain::Page(page)))
            pages << page;
    return pages;
}

// Presses a button the way an assistive tool does.
void AccessiblePress(QWidget* button) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(button);
    QVERIFY(face != nullptr && face->actionInterface() != nullptr);
    face->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
}

// The button of a page that opens something when it acts.
QWidget* ActingButton(int page) {
    static const char* names[] = {"NewCustomer", "NewBill",           "ActionBillReport", "NewAccount",
                                  "NewMoney",    "ActionMoneyReport", "Button10",         "SpeedButtonSave"};
    QWidget* sheet = FormMain->Sheet(TFormMain::Page(page));
    for (QAbstractButton* button : sheet->findChildren<QAbstractButton*>()) {
        auto* tool = qobject_cast<QToolButton*>(button);
        if (button->objectName() == QLatin1String(names[page]) ||
            (tool != nullptr && tool->defaultAction() != nullptr &&
             tool->defaultAction()->objectName() == QLatin1String(names[page])))
            return button;
    }
    return nullptr;
}

void Save(const QString& name) {
    const QString folder = qEnvironmentVariable("KESTREL_SCREENSHOTS");
    if (folder.isEmpty())
        return;
    QDir().mkpath(folder);
    FormMain->grab().save(folder + QLatin1Char('/') + name);
}
} // namespace

void TestPageSecurity::onlyTheRolesPagesAreReachable_data() {
    QTest::addColumn<QString>("role");
    QTest::addColumn<QString>("rights");
    QTest::addColumn<QList<int>>("pages");
    QTest::newRow("管理员") << QStringLiteral("管理员") << QString() << QList<int>{6, 7};
    QTest::newRow("财务主管") << QStringLiteral("财务主管") << QString() << ManagerPages;
    QTest::newRow("财务总监") << QStringLiteral("财务总监") << QString() << ManagerPages;
    QTest::newRow("总经理") << QStringLiteral("总经理") << QString() << ManagerPages;
    QTest::newRow("业务员 without rights") << QStringLiteral("业务员") << QString() << QList<int>{};
    QTest::newRow("业务员 业务管理") << QStringLiteral("业务员") << QStringLiteral("业务管理；")
                                     << QList<int>{0, 1, 2};
    QTest::newRow("业务员 财务管理") << QStringLiteral("业务员") << QStringLiteral("财务管理；")
                                     << QList<int>{3, 4, 5};
    QTest::newRow("业务员 both") << QStringLiteral("业务员") << QStringLiteral("业务管理；财务管理；")
                                 << ManagerPages;
}

void TestPageSecurity::onlyTheRolesPagesAreReachable() {
    QFETCH(QString, role);
    QFETCH(QString, rights);
    QFETCH(QList<int>, pages);
    TestProgram program;
    // Started as the program starts: the first show signs in.
    QueueSignIn(program, role, rights);
    FormMain->show();
    QTRY_COMPARE_WITH_TIMEOUT(program.Prompts().PendingScripts(), 0, 2000);
    QVERIFY(FormMain->isVisible());
    FormMain->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(FormMain));
    QCOMPARE(program.Prompts().Texts(), QStringList());
    QCOMPARE(FormMain->CurrentPage(), pages.isEmpty() ? -1 : pages.first());

    // Every key that switches tabs, pressed again and again, on the tab strip and inside the page,
    // and a click on every place of the strip.
    QSet<int> seen{FormMain->CurrentPage()};
    QTabBar* bar = FormMain->PageControl1->tabBar();
    const struct {
        int key;
        Qt::KeyboardModifiers modifiers;
    } keys[] = {{Qt::Key_Tab, Qt::ControlModifier},
                {Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier},
                {Qt::Key_Tab, Qt::ControlModifier | Qt::ShiftModifier},
                {Qt::Key_PageDown, Qt::ControlModifier},
                {Qt::Key_PageUp, Qt::ControlModifier},
                {Qt::Key_Right, Qt::NoModifier},
                {Qt::Key_Left, Qt::NoModifier},
                {Qt::Key_Down, Qt::NoModifier},
                {Qt::Key_Up, Qt::NoModifier},
                {Qt::Key_Home, Qt::NoModifier},
                {Qt::Key_End, Qt::NoModifier}};
    for (const auto& k : keys) {
        for (int i = 0; i < 9; ++i) {
            QWidget* inside = FormMain->PageControl1->currentWidget();
            QTest::keyClick(bar, Qt::Key(k.key), k.modifiers);
            seen << FormMain->CurrentPage();
            QTest::keyClick(inside != nullptr ? inside : static_cast<QWidget*>(FormMain->PageControl1),
                            Qt::Key(k.key), k.modifiers);
            seen << FormMain->CurrentPage();
        }
    }
    for (int x = 2; x < bar->width() + 200; x += 20) {
        QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(x, bar->height() / 2));
        seen << FormMain->CurrentPage();
    }
    QSet<int> allowed(pages.begin(), pages.end());
    if (pages.isEmpty())
        allowed << -1;
    QCOMPARE(seen, allowed); // each allowed page reached, nothing else

    // The tab strip holds the role's pages, in page order, and nothing else.
    QCOMPARE(Reachable(), pages);
    QStringList tabs;
    for (int i = 0; i < FormMain->PageControl1->count(); ++i)
        tabs << FormMain->PageControl1->tabText(i);
    QStringList expectedTabs;
    for (int page : pages)
        expectedTabs << Captions[page];
    QCOMPARE(tabs, expectedTabs);

    // Code that names a hidden page by index changes nothing either.
    const int before = FormMain->CurrentPage();
    for (int page = TFormMain::PageCustomers; page <= TFormMain::PageMaintenance; ++page) {
        if (pages.contains(page))
            continue;
        FormMain->ShowPage(TFormMain::Page(page));
        QCOMPARE(FormMain->CurrentPage(), before);
        QWidget* sheet = FormMain->Sheet(TFormMain::Page(page));
        QVERIFY(!sheet->isVisible());
        QVERIFY(!sheet->isEnabled());
    }

    // An assistive tool's press on a hidden page's button does nothing; on a shown page it acts.
    for (int page = TFormMain::PageCustomers; page <= TFormMain::PageMaintenance; ++page) {
        if (pages.contains(page))
            continue;
        QWidget* button = ActingButton(page);
        QVERIFY2(button != nullptr, qPrintable(Captions[page]));
        AccessiblePress(button);
    }
    QTest::qWait(300);
    QCOMPARE(program.Prompts().UnexpectedModals, 0);
    QCOMPARE(program.Prompts().Texts(), QStringList());
    if (pages.contains(TFormMain::PageCustomers)) {
        FormMain->ShowPage(TFormMain::PageCustomers);
        AccessiblePress(ActingButton(TFormMain::PageCustomers));
        QTRY_COMPARE(program.Prompts().UnexpectedModals, 1); // the customer editor asked to open
    }
    if (role == QStringLiteral("业务员") && rights == QStringLiteral("业务管理；")) {
        FormMain->ShowPage(TFormMain::PageCustomers);
        for (int i = 0; i < 7; ++i)
            QTest::keyClick(bar, Qt::Key_Tab, Qt::ControlModifier);
        Save(QStringLiteral("salesman-after-ctrl-tab.png"));
    }
    FormMain->hide();
}

void TestPageSecurity::nextRoleGetsItsOwnPages() {
    TestProgram program;
    SignIn(program, QStringLiteral("业务员"), QString());
    QCOMPARE(Reachable(), QList<int>{});
    SignIn(program, QStringLiteral("管理员"), QString());
    QCOMPARE(Reachable(), (QList<int>{6, 7}));
    QCOMPARE(FormMain->CurrentPage(), 6);
    QVERIFY(FormMain->Sheet(TFormMain::PageSettings)->isEnabled());
    QVERIFY(FormMain->ActionButtonSave2->isVisibleTo(FormMain));
    SignIn(program, QStringLiteral("总经理"), QString());
    QCOMPARE(Reachable(), ManagerPages);
    QCOMPARE(FormMain->CurrentPage(), 0);
    QVERIFY(!FormMain->ActionButtonSave2->isVisibleTo(FormMain));
    // A sheet back in the strip works again: its new-record button opens the editor.
    FormMain->ShowPage(TFormMain::PageMoney);
    QCOMPARE(FormMain->PageControl1->currentWidget(), FormMain->TabSheet7);
    QVERIFY(FormMain->TabSheet7->isEnabled());
    program.Prompts().Clear();
    qobject_cast<QAbstractButton*>(ActingButton(TFormMain::PageMoney))->click();
    QCOMPARE(program.Prompts().UnexpectedModals, 1);
}

QTEST_MAIN(TestPageSecurity)
#include "tst_pagesecurity.moc"
