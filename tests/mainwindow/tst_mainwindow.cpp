#include "SignInScripts.h"
#include "foundation/IniFile.h"
#include "foundation/ShareDM.h"
#include "kit/DataGrid.h"
#include "mainwindow/MainForm.h"
#include "mainwindow/RoleViews.h"
#include "mainwindow/WindowPlace.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTest>

// The main window's frame and its set-up for each role after a sign-in.
class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void frameAndActions();
    void managerRoles_data();
    void managerRoles();
    void administrator();
    void salesmanRights_data();
    void salesmanRights();
    void salesmanWithQuoteSeesOnlyHisRows();
    void cancelledSignInChangesNothing();
    void firstShowWithCancelledSignInClosesWindow();
    void noPageUntilARoleSignsIn_data();
    void noPageUntilARoleSignsIn();
    void noPageBehindTheStartUpError();
    void leftBarToggles();
    void windowGrowsButNotBelowItsSmallestSize();
    void placeOnScreens_data();
    void placeOnScreens();
    void placeIsStoredAndRestored();
    void columnWidthsAreStoredAndRestored();
    void dayButtonsMoveWorkingDate();

private:
    static QList<bool> VisibleTabs() {
        QList<bool> tabs;
        for (int page = TFormMain::PageCustomers; page <= TFormMain::PageMaintenance; ++page)
            tabs << FormMain->PageReachable(TFormMain::Page(page));
        return tabs;
    }
};

void TestMainWindow::frameAndActions() {
    TestProgram program;
    QCOMPARE(FormMain->windowTitle(), QStringLiteral("岚峰商业管理软件"));
    QCOMPARE(FormMain->centralWidget()->size(), QSize(884, 538));
    // It opens at its smallest size; the user may make it larger.
    QCOMPARE(FormMain->minimumSize(), QSize(884, 538));
    QVERIFY(FormMain->maximumSize().width() > 884 && FormMain->maximumSize().height() > 538);
    QCOMPARE(FormMain->Panel1->width(), 97);
    QCOMPARE(FormMain->Panel2->width(), 16);
    QCOMPARE(FormMain->Login->size(), QSize(73, 73));
    QCOMPARE(FormMain->Login->text(), QStringLiteral("软件导航"));
    QCOMPARE(FormMain->Label2->text(), QStringLiteral("当前日期"));
    QCOMPARE(FormMain->ActionButtonSave2->size(), QSize(73, 73));
    QCOMPARE(FormMain->Image7->toolTip(), QStringLiteral("LeftBar"));
    const QStringList pages = {QStringLiteral("客户管理"), QStringLiteral("业务单据"),
                               QStringLiteral("业务报表"), QStringLiteral("帐户管理"),
                               QStringLiteral("财务单据"), QStringLiteral("财务报表"),
                               QStringLiteral("软件设置"), QStringLiteral("数据维护")};
    QCOMPARE(FormMain->PageControl1->count(), 8);
    for (int i = 0; i < 8; ++i)
        QCOMPARE(FormMain->PageControl1->tabText(i), pages[i]);
    const QList<QPair<QAction*, QString>> actions = {
        {FormMain->ActionLogin, QStringLiteral("软件导航")},
        {FormMain->ActionCustomerSearch, QStringLiteral("客户搜索")},
        {FormMain->ActionCustomerReport, QStringLiteral("客户报表")},
        {FormMain->ActionBillReport, QStringLiteral("查找单据")},
        {FormMain->ActionPrintBillReport, QStringLiteral("打印列表")},
        {FormMain->ActionAnalysis, QStringLiteral("经营报表")},
        {FormMain->ActionBExecel, QStringLiteral("导出Excel")},
        {FormMain->ActionAccountReport, QStringLiteral("帐户报表")},
        {FormMain->ActionMoneyReport, QStringLiteral("查找单据")},
        {FormMain->ActionPrintMoneyReport, QStringLiteral("打印列表")},
        {FormMain->ActionMExcel, QStringLiteral("导出Excel")},
        {FormMain->ActionSave, QStringLiteral("备份数据")},
        {FormMain->ActionLoad, QStringLiteral("恢复数据")},
        {FormMain->ActionDesign, QStringLiteral("单据设计")},
    };
    for (const auto& [action, caption] : actions)
        QCOMPARE(action->text(), caption);
    QCOMPARE(FormMain->GroupBox1->title(), QStringLiteral("帐套数据操作"));
    QCOMPARE(FormMain->SpeedButtonSave->defaultAction(), FormMain->ActionSave);
    QCOMPARE(FormMain->SpeedButtonLoad->defaultAction(), FormMain->ActionLoad);
    QCOMPARE(FormMain->ActionButtonSave2->defaultAction(), FormMain->ActionSave);
    // The right column of the card pages lies inside the sheets.
    FormMain->show();
    const QRect sheet = FormMain->PageControl1->currentWidget()->rect();
    for (QWidget* box :
         {static_cast<QWidget*>(FormMain->ComboBox7), static_cast<QWidget*>(FormMain->ComboBox12)})
        QVERIFY(sheet.contains(box->geometry()));
    FormMain->hide();
}

void TestMainWindow::managerRoles_data() {
    QTest::addColumn<QString>("role");
    QTest::addColumn<QString>("glyph");
    QTest::newRow("财务主管") << QStringLiteral("财务主管") << QStringLiteral("Res/YellowFish.bmp");
    QTest::newRow("财务总监") << QStringLiteral("财务总监") << QStringLiteral("Res/OrangeFish.bmp");
    QTest::newRow("总经理") << QStringLiteral("总经理") << QStringLiteral("Res/GreenFish.bmp");
}

void TestMainWindow::managerRoles() {
    QFETCH(QString, role);
    QFETCH(QString, glyph);
    TestProgram program;
    // Left over from a salesman signed in before: a manager sees everything again.
    CustomerFilter = QStringLiteral(" And (CustomerMan = 'x')");
    AccountFilter = BillFilter = MoneyFilter = CustomerFilter;
    FormMain->CustomerPage = 2;
    QueueRoleSignIn(program, role, QString());
    QVERIFY(FormMain->SignInAndSetUp());
    QCOMPARE(VisibleTabs(), QList<bool>({true, true, true, true, true, true, false, false}));
    QCOMPARE(FormMain->CurrentPage(), 0);
    QVERIFY(CustomerFilter.isEmpty() && AccountFilter.isEmpty() && BillFilter.isEmpty() &&
            MoneyFilter.isEmpty());
    QCOMPARE(FormMain->Login->text(), role);
    QCOMPARE(FormMain->LoginGlyph, glyph);
    QVERIFY(!FormMain->Login->icon().isNull());
    QCOMPARE(FormMain->CustomerPage, 2); // page numbers survive a sign-in
    QCOMPARE(CurrentUser, role);
    QVERIFY(program.Prompts().Texts().isEmpty());
}

void TestMainWindow::administrator() {
    TestProgram program;
    program.Exec(QStringLiteral("Update Power Set PowerKey = 'boss' Where PowerName = '管理员'"));
    program.Exec(QStringLiteral("Update Power Set PowerKey = 'edit' Where PowerName = '修改'"));
    WriteIniString(QStringLiteral("Kestrel"), QStringLiteral("客户排序方式"), QStringLiteral("1"),
                   IniFileName);
    // A salesman's filters stay set under the administrator.
    CustomerFilter = QStringLiteral(" And (CustomerMan = '张三')");
    QueueRoleSignIn(program, QStringLiteral("管理员"), QStringLiteral("boss"));
    QVERIFY(FormMain->SignInAndSetUp());
    QCOMPARE(VisibleTabs(), QList<bool>({false, false, false, false, false, false, true, true}));
    QCOMPARE(FormMain->CurrentPage(), 6);
    QCOMPARE(CustomerFilter, QStringLiteral(" And (CustomerMan = '张三')"));
    QCOMPARE(FormMain->Login->text(), QStringLiteral("管理员"));
    QCOMPARE(FormMain->LoginGlyph, QStringLiteral("Res/BlueFish.bmp"));
    // The settings page is loaded; the view preferences are not read.
    QCOMPARE(FormMain->ListBox1->count(), 4);
    QCOMPARE(FormMain->ListBox4->count(), 4);
    QCOMPARE(FormMain->ComboBox1->currentText(), QStringLiteral("管理员"));
    QCOMPARE(FormMain->Edit1->text(), QStringLiteral("boss"));
    QCOMPARE(FormMain->Edit2->text(), QStringLiteral("edit"));
    QCOMPARE(FormMain->ComboBox6->currentIndex(), 0);
    QVERIFY(program.Prompts().Texts().isEmpty());
}

void TestMainWindow::salesmanRights_data() {
    QTest::addColumn<QString>("rights");
    QTest::addColumn<QList<bool>>("tabs");
    QTest::addColumn<int>("page");    // the page the role view names
    QTest::addColumn<int>("current"); // the page shown: none when the role may see no page
    const QList<bool> none = {false, false, false, false, false, false, false, false};
    const QList<bool> business = {true, true, true, false, false, false, false, false};
    const QList<bool> finance = {false, false, false, true, true, true, false, false};
    const QList<bool> both = {true, true, true, true, true, true, false, false};
    QTest::newRow("no rights") << QString() << none << 3 << -1;
    QTest::newRow("业务管理 only") << QStringLiteral("业务管理；") << business << 0 << 0;
    QTest::newRow("财务管理 only") << QStringLiteral("财务管理；") << finance << 3 << 3;
    QTest::newRow("both") << QStringLiteral("业务管理；财务管理；") << both << 0 << 0;
    QTest::newRow("token inside other text") << QStringLiteral("xx业务管理yy财务管理") << both << 0 << 0;
    QTest::newRow("partial token") << QStringLiteral("业务；财务") << none << 3 << -1;
}

void TestMainWindow::salesmanRights() {
    QFETCH(QString, rights);
    QFETCH(QList<bool>, tabs);
    QFETCH(int, page);
    QFETCH(int, current);
    TestProgram program;
    SetSlot(program, 4, QStringLiteral("张三"), QStringLiteral("pw"), rights, QStringLiteral("Faces/12.bmp"));
    QueueSalesmanSignIn(program, 4, QStringLiteral("pw"));
    QVERIFY(FormMain->SignInAndSetUp());
    QCOMPARE(VisibleTabs(), tabs);
    // Without 业务管理 the window opens on 帐户管理; without 财务管理 too, no page shows at all.
    QCOMPARE(RoleViewFor(CurrentRole, CurrentUser, CurrentRights).ActivePage, page);
    QCOMPARE(FormMain->CurrentPage(), current);
    QCOMPARE(CustomerFilter, QStringLiteral(" And (CustomerMan = '张三')"));
    QCOMPARE(AccountFilter, QStringLiteral(" And (AccountMan = '财务主管' Or AccountMan = '张三')"));
    QCOMPARE(BillFilter, QStringLiteral(" And (BillMan = '张三')"));
    QCOMPARE(MoneyFilter, QStringLiteral(" And (MoneyMan = '张三')"));
    QCOMPARE(FormMain->Login->text(), QStringLiteral("张三"));
    QCOMPARE(FormMain->LoginGlyph, QStringLiteral("Faces/12.bmp"));
    QVERIFY(program.Prompts().Texts().isEmpty());
}

void TestMainWindow::salesmanWithQuoteSeesOnlyHisRows() {
    TestProgram program;
    const QString name = QStringLiteral("O'Brien");
    SetSlot(program, 1, name, QString(), QStringLiteral("业务管理；财务管理；"));
    SetSlot(program, 2, QStringLiteral("O"), QString(), QString());
    program.Exec(QStringLiteral("Insert Into Customer (CustomerName, CustomerOwe, CustomerMan) Values "
                                "('甲', 0, 'O''Brien'), ('乙', 0, 'O'), ('丙', 0, '总经理')"));
    program.Exec(
        QStringLiteral("Insert Into Account (AccountName, AccountBase, AccountMan) Values "
                       "('现金', 0, '财务主管'), ('他的', 0, 'O''Brien'), ('别人的', 0, '财务总监')"));
    QueueSalesmanSignIn(program, 1, QString());
    QVERIFY(FormMain->SignInAndSetUp());
    QVERIFY(program.Prompts().Texts().isEmpty());
    QCOMPARE(FormMain->Login->text(), name);
    QCOMPARE(program.Joined(QStringLiteral("Select CustomerName From Customer Where (CustomerIndex > 1)") +
                            CustomerFilter),
             QStringLiteral("甲"));
    QCOMPARE(program.Joined(QStringLiteral("Select AccountName From Account Where (AccountIndex > 1)") +
                            AccountFilter + QStringLiteral(" Order By AccountIndex")),
             QStringLiteral("现金,他的"));
    QCOMPARE(program.Scalar(QStringLiteral("Select Count(*) From Bill Where (BillIndex > 1)") + BillFilter),
             QStringLiteral("0"));
    QCOMPARE(program.Scalar(QStringLiteral("Select Count(*) From MoneyTable Where (MoneyIndex > 1)") +
                            MoneyFilter),
             QStringLiteral("0"));
}

void TestMainWindow::cancelledSignInChangesNothing() {
    TestProgram program;
    QueueRoleSignIn(program, QStringLiteral("总经理"), QString());
    QVERIFY(FormMain->SignInAndSetUp());
    program.Prompts().QueueModal(OnLogin([](TFormLogin* login) { login->ImageUp4Click(); }));
    FormMain->ActionLogin->trigger();
    QCOMPARE(program.Prompts().PendingScripts(), 0);
    QCOMPARE(CurrentRole, QStringLiteral("总经理"));
    QCOMPARE(FormMain->Login->text(), QStringLiteral("总经理"));
    QCOMPARE(VisibleTabs(), QList<bool>({true, true, true, true, true, true, false, false}));
    // The Login button runs the sign-in too; a second user replaces the first.
    QueueRoleSignIn(program, QStringLiteral("财务主管"), QString());
    QTest::mouseClick(FormMain->Login, Qt::LeftButton);
    QCOMPARE(FormMain->Login->text(), QStringLiteral("财务主管"));
    QCOMPARE(CurrentUser, QStringLiteral("财务主管"));
}

void TestMainWindow::firstShowWithCancelledSignInClosesWindow() {
    TestProgram program;
    program.Prompts().QueueModal(OnLogin([](TFormLogin* login) {
        QTest::mouseClick(login->ImageTitle, Qt::LeftButton);
        QTest::mouseClick(login->ImageUp4, Qt::LeftButton);
    }));
    FormMain->SetWorkingDate(QDate(2001, 1, 1));
    FormMain->show();
    QTRY_COMPARE(program.Prompts().PendingScripts(), 0);
    QTRY_VERIFY(!FormMain->isVisible());
    QCOMPARE(FormMain->WorkingDate(), QDate::currentDate());
    QVERIFY(CurrentRole.isEmpty());
}

void TestMainWindow::noPageUntilARoleSignsIn_data() {
    QTest::addColumn<QString>("role"); // empty: the sign-in is cancelled
    QTest::addColumn<QList<bool>>("tabs");
    QTest::newRow("cancelled") << QString() << QList<bool>(8, false);
    QTest::newRow("管理员") << QStringLiteral("管理员")
                            << QList<bool>({false, false, false, false, false, false, true, true});
    QTest::newRow("总经理") << QStringLiteral("总经理")
                            << QList<bool>({true, true, true, true, true, true, false, false});
}

void TestMainWindow::noPageUntilARoleSignsIn() {
    QFETCH(QString, role);
    QFETCH(QList<bool>, tabs);
    TestProgram program(true, true); // the main window as the program creates it
    QCOMPARE(FormMain->PageControl1->count(), 0);
    QCOMPARE(FormMain->CurrentPage(), -1);
    QVERIFY(!FormMain->ActionButtonSave2->isVisibleTo(FormMain));
    // Behind the sign-in window the main window shows no page either.
    int pagesBehindSignIn = -1;
    program.Prompts().QueueModal(OnLogin([&](TFormLogin* login) {
        pagesBehindSignIn = FormMain->PageControl1->count();
        SaveScreenshot(FormMain, QStringLiteral("main-window-before-sign-in.png"));
        if (role.isEmpty())
            login->ImageUp4Click();
        else
            for (QToolButton* button :
                 {login->SpeedButton1, login->SpeedButton2, login->SpeedButton3, login->SpeedButton4})
                if (button->defaultAction()->text() == role)
                    button->click();
    }));
    if (!role.isEmpty())
        program.Prompts().QueueModal(AnswerPrompt(QString()));
    FormMain->show();
    QTRY_COMPARE(program.Prompts().PendingScripts(), 0);
    QCOMPARE(pagesBehindSignIn, 0);
    QCOMPARE(VisibleTabs(), tabs);
    if (role.isEmpty())
        QTRY_VERIFY(!FormMain->isVisible());
    FormMain->hide();
}

void TestMainWindow::noPageBehindTheStartUpError() {
    TestProgram program(false, true); // no database file
    FormMain->show();
    QTRY_VERIFY(!program.Prompts().Messages.empty());
    QCOMPARE(program.Prompts().Messages.front().Kind, QStringLiteral("error"));
    QCOMPARE(FormMain->PageControl1->count(), 0);
    QTRY_VERIFY(!FormMain->isVisible());
    QCOMPARE(VisibleTabs(), QList<bool>(8, false));
}

void TestMainWindow::leftBarToggles() {
    TestProgram program;
    FormMain->show();
    QTest::mouseClick(FormMain->Image7, Qt::LeftButton);
    QCOMPARE(FormMain->Panel1->width(), 0);
    QCOMPARE(FormMain->Image7->toolTip(), QStringLiteral("RightBar"));
    const QImage right(program.Folder() + QStringLiteral("Res/RightBar.bmp"));
    QCOMPARE(FormMain->Image7->pixmap().toImage().convertToFormat(QImage::Format_RGB32),
             right.convertToFormat(QImage::Format_RGB32));
    QTest::mouseClick(FormMain->Image7, Qt::LeftButton);
    QCOMPARE(FormMain->Panel1->width(), 97);
    QCOMPARE(FormMain->Image7->toolTip(), QStringLiteral("LeftBar"));
    const QImage left(program.Folder() + QStringLiteral("Res/LeftBar.bmp"));
    QCOMPARE(FormMain->Image7->pixmap().toImage().convertToFormat(QImage::Format_RGB32),
             left.convertToFormat(QImage::Format_RGB32));
    FormMain->hide();
}

void TestMainWindow::windowGrowsButNotBelowItsSmallestSize() {
    TestProgram program;
    FormMain->show();
    QTRY_COMPARE(FormMain->centralWidget()->size(), QSize(884, 538));
    FormMain->resize(500, 300);
    QTRY_COMPARE(FormMain->size(), QSize(884, 538));
    FormMain->resize(1300, 800);
    QTRY_COMPARE(FormMain->centralWidget()->size(), QSize(1300, 800));
    // The left bar and the pages take the room: the backup button stays at the bar's foot.
    QTRY_COMPARE(FormMain->Panel1->height(), 800);
    QCOMPARE(FormMain->ActionButtonSave2->geometry().bottom(), 800 - 12 - 1);
    QCOMPARE(FormMain->PageControl1->width(), 1300 - 97 - 16);
    FormMain->showMaximized();
    QTRY_VERIFY(FormMain->windowState() & Qt::WindowMaximized);
    QTest::qWait(50);
    QVERIFY(FormMain->windowState() & Qt::WindowMaximized); // no longer put back
    FormMain->hide();
}

void TestMainWindow::placeOnScreens_data() {
    QTest::addColumn<QRect>("stored");
    QTest::addColumn<QList<QRect>>("screens");
    QTest::addColumn<QRect>("expected");
    const QRect screen(0, 0, 1920, 1040);
    const QRect second(1920, 0, 1366, 728);
    QTest::newRow("on the screen") << QRect(100, 50, 1000, 700) << QList<QRect>{screen}
                                   << QRect(100, 50, 1000, 700);
    QTest::newRow("on the second screen")
        << QRect(2000, 10, 900, 600) << QList<QRect>{screen, second} << QRect(2000, 10, 900, 600);
    QTest::newRow("second screen gone: centred")
        << QRect(2000, 10, 900, 600) << QList<QRect>{screen} << QRect(510, 220, 900, 600);
    QTest::newRow("title bar above the screen: centred")
        << QRect(100, -500, 900, 600) << QList<QRect>{screen} << QRect(510, 220, 900, 600);
    QTest::newRow("only a corner on the screen: centred")
        << QRect(1880, 100, 900, 600) << QList<QRect>{screen} << QRect(510, 220, 900, 600);
    QTest::newRow("smaller than the smallest size")
        << QRect(10, 10, 300, 200) << QList<QRect>{screen} << QRect(10, 10, 884, 538);
}

void TestMainWindow::placeOnScreens() {
    QFETCH(QRect, stored);
    QFETCH(QList<QRect>, screens);
    QFETCH(QRect, expected);
    QCOMPARE(PlaceOnScreens(stored, QSize(884, 538), screens), expected);
}

void TestMainWindow::placeIsStoredAndRestored() {
    TestProgram program;
    CurrentRole = QStringLiteral("总经理"); // a window nobody signed in to keeps no place
    const QString ini = program.Folder() + QStringLiteral("Kestrel.ini");
    WindowPlace place;
    QVERIFY(!ReadWindowPlace(ini, &place)); // nothing stored at the first start
    FormMain->show();
    QTRY_COMPARE(FormMain->centralWidget()->size(), QSize(884, 538));
    FormMain->setGeometry(40, 60, 1000, 700);
    QTRY_COMPARE(FormMain->geometry(), QRect(40, 60, 1000, 700));
    FormMain->close();
    QVERIFY(ReadWindowPlace(ini, &place));
    QCOMPARE(place.Normal, QRect(40, 60, 1000, 700));
    QVERIFY(!place.Maximized);
    QCOMPARE(ReadIniString(QStringLiteral("Kestrel"), QStringLiteral("MainWindowWidth"), QString(), ini),
             QStringLiteral("1000"));

    // Unchanged: the file is not written again.
    QFile file(ini);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();
    const QDateTime stamp = QFileInfo(ini).lastModified();
    QTest::qWait(20);
    QVERIFY(WriteWindowPlace(ini, place));
    QCOMPARE(QFileInfo(ini).lastModified(), stamp);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), before);
    file.close();

    // Restored at the next showing; maximised again when it was.
    FormMain->setGeometry(200, 200, 884, 538);
    FormMain->RestorePlace();
    QTRY_COMPARE(FormMain->geometry(), QRect(40, 60, 1000, 700));
    place.Maximized = true;
    QVERIFY(WriteWindowPlace(ini, place));
    FormMain->show();
    FormMain->RestorePlace();
    QTRY_VERIFY(FormMain->windowState() & Qt::WindowMaximized);
    FormMain->close();
    QVERIFY(ReadWindowPlace(ini, &place));
    QVERIFY(place.Maximized);

    // A place off every screen comes back centred, at its stored size.
    FormMain->setWindowState(Qt::WindowNoState);
    QVERIFY(WriteWindowPlace(ini, {QRect(60000, 60000, 900, 600), false}));
    FormMain->RestorePlace();
    const QRect screen = FormMain->screen()->availableGeometry();
    QTRY_COMPARE(FormMain->size(), QSize(900, 600));
    QVERIFY(qAbs(FormMain->geometry().center().x() - screen.center().x()) <= 1);
    QVERIFY(qAbs(FormMain->geometry().center().y() - screen.center().y()) <= 1);
    // A damaged value is no place.
    QVERIFY(WriteIniString(QStringLiteral("Kestrel"), QStringLiteral("MainWindowWidth"),
                           QStringLiteral("wide"), ini));
    QVERIFY(!ReadWindowPlace(ini, &place));
    FormMain->hide();
}

void TestMainWindow::columnWidthsAreStoredAndRestored() {
    TestProgram program;
    const QString ini = program.Folder() + QStringLiteral("Kestrel.ini");
    DataGrid* grid = FormMain->DBGridEh2;
    const int defaultWidth = grid->columnWidth(1);
    // The user drags a border of the title row: the widths are stored when he lets go.
    FormMain->show();
    FormMain->ShowPage(TFormMain::PageBillReport);
    grid->setColumnWidth(1, defaultWidth + 77);
    QTest::mouseRelease(grid->horizontalHeader()->viewport(), Qt::LeftButton);
    QTRY_VERIFY(!ReadColumnWidths(ini, QStringLiteral("BillGridWidths")).isEmpty());
    const QList<int> stored = ReadColumnWidths(ini, QStringLiteral("BillGridWidths"));
    QCOMPARE(stored.size(), grid->ColumnCount());
    QCOMPARE(stored[1], defaultWidth + 77);
    QVERIFY(ReadColumnWidths(ini, QStringLiteral("MoneyGridWidths")).isEmpty());
    // Restored on the next start (the window's grids read them when they are made).
    grid->setColumnWidth(1, defaultWidth);
    FormMain->RestoreGridWidths(grid);
    QCOMPARE(grid->columnWidth(1), defaultWidth + 77);
    // Widths for other columns, or damaged ones, are left alone.
    for (const QString& damaged :
         {QStringLiteral("80,90"), QStringLiteral("80,x,90"), QStringLiteral("-5")}) {
        QVERIFY(WriteIniString(QStringLiteral("Kestrel"), QStringLiteral("BillGridWidths"), damaged, ini));
        grid->setColumnWidth(1, defaultWidth);
        FormMain->RestoreGridWidths(grid);
        QCOMPARE(grid->columnWidth(1), defaultWidth);
    }
    FormMain->hide();
}

void TestMainWindow::dayButtonsMoveWorkingDate() {
    TestProgram program;
    FormMain->SetWorkingDate(QDate(2024, 3, 1));
    FormMain->BitBtn1->click();
    QCOMPARE(FormMain->WorkingDate(), QDate(2024, 2, 29));
    FormMain->BitBtn2->click();
    FormMain->BitBtn2->click();
    QCOMPARE(FormMain->WorkingDate(), QDate(2024, 3, 2));
    QVERIFY(program.Prompts().Texts().isEmpty());
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
