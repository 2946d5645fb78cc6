#include "SignInScripts.h"
#include "foundation/IniFile.h"
#include "foundation/ShareDM.h"
#include "mainwindow/MainForm.h"
#include "mainwindow/PreferenceRules.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QTest>

// The sort and date-range boxes of the card pages: their query text, defaults, storage and refresh.
class TestViewPreferences : public QObject {
    Q_OBJECT
private slots:
    void clauses_data();
    void clauses();
    void freshInstallationDefaults();
    void userChangeIsWrittenAtOnce_data();
    void userChangeIsWrittenAtOnce();
    void changeRefreshesItsPage();
    void sharedByUsers();
    void badStoredValueShowsFirstItem_data();
    void badStoredValueShowsFirstItem();

private:
    static QComboBox* Box(const char* name) {
        return FormMain->findChild<QComboBox*>(QString::fromLatin1(name));
    }
    static QString Stored(const QString& key) {
        return ReadIniString(QStringLiteral("Kestrel"), key, QStringLiteral("missing"), IniFileName);
    }
    // Picks the next item as a user would, with the keyboard.
    static void PickNext(QComboBox* box) { QTest::keyClick(box, Qt::Key_Down); }
};

void TestViewPreferences::clauses_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("clause");
    const QDate d(2024, 2, 10);
    QTest::newRow("customer by number desc") << "customer"
                                             << "按编号排"
                                             << "按降序排" << d << " Order By CustomerIndex Desc";
    QTest::newRow("customer by name asc") << "customer"
                                          << "按名称排"
                                          << "按升序排" << d << " Order By CustomerName Asc";
    QTest::newRow("customer, no field") << "customer"
                                        << ""
                                        << "按升序排" << d << "";
    QTest::newRow("bill day") << "billdate"
                              << "当天单据"
                              << "" << d << " And (BillCreateTime = #2024-02-10#)";
    QTest::newRow("bill month, leap February")
        << "billdate"
        << "当月单据"
        << "" << d << " And (BillCreateTime Between #2024-02-01# And #2024-02-29#)";
    QTest::newRow("money month, December")
        << "moneydate"
        << "当月单据"
        << "" << QDate(2023, 12, 31) << " And (MoneyCreateTime Between #2023-12-01# And #2023-12-31#)";
    QTest::newRow("bill by record") << "billorder"
                                    << "按记录号"
                                    << "按降序排" << d << " Order By BillIndex Desc";
    QTest::newRow("bill by serial") << "billorder"
                                    << "按单据号"
                                    << "按升序排" << d << " Order By BillSerial Asc";
    // The direction word applies to the last ordering field only.
    QTest::newRow("bill by customer") << "billorder"
                                      << "按客户名"
                                      << "按降序排" << d << " Order By BillUser,BillCreateTime Desc";
    QTest::newRow("money by customer") << "moneyorder"
                                       << "按客户名"
                                       << "按降序排" << d << " Order By MoneyUser,MoneyCreateTime Desc";
    QTest::newRow("money by time") << "moneyorder"
                                   << "按日期时间"
                                   << "按升序排" << d << " Order By MoneyCreateTime,MoneyIndex Asc";
    QTest::newRow("money, no field") << "moneyorder"
                                     << ""
                                     << "按降序排" << d << "";
}

void TestViewPreferences::clauses() {
    QFETCH(QString, kind);
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(QDate, date);
    QFETCH(QString, clause);
    QString actual;
    if (kind == QLatin1String("customer"))
        actual = CustomerOrderText(first, second);
    else if (kind == QLatin1String("billdate"))
        actual = CardDateClause(QStringLiteral("Bill"), first, date);
    else if (kind == QLatin1String("moneydate"))
        actual = CardDateClause(QStringLiteral("Money"), first, date);
    else if (kind == QLatin1String("billorder"))
        actual = CardOrderClause(QStringLiteral("Bill"), first, second);
    else
        actual = CardOrderClause(QStringLiteral("Money"), first, second);
    QCOMPARE(actual, clause);
}

void TestViewPreferences::freshInstallationDefaults() {
    TestProgram program;
    // Before the first sign-in every box shows its first item.
    for (const PreferenceBox& box : PreferenceBoxes())
        QCOMPARE(Box(box.Name)->currentIndex(), 0);
    FormMain->SetWorkingDate(QDate(2024, 5, 6));
    QueueRoleSignIn(program, QStringLiteral("总经理"), QString());
    QVERIFY(FormMain->SignInAndSetUp());
    const QList<int> expected = {0, 1, 0, 0, 1, 0, 0, 1};
    for (int i = 0; i < PreferenceBoxes().size(); ++i)
        QCOMPARE(Box(PreferenceBoxes()[i].Name)->currentIndex(), expected[i]);
    QCOMPARE(FormMain->CustomerOrderClause(), QStringLiteral(" Order By CustomerIndex Desc"));
    QCOMPARE(FormMain->BillDateClause(), QStringLiteral(" And (BillCreateTime = #2024-05-06#)"));
    QCOMPARE(FormMain->BillOrderClause(), QStringLiteral(" Order By BillIndex Desc"));
    QCOMPARE(FormMain->MoneyDateClause(), QStringLiteral(" And (MoneyCreateTime = #2024-05-06#)"));
    QCOMPARE(FormMain->MoneyOrderClause(), QStringLiteral(" Order By MoneyIndex Desc"));
    // Reading writes nothing.
    QVERIFY(!program.IniWritten());
    QVERIFY(program.Prompts().Texts().isEmpty());
}

void TestViewPreferences::userChangeIsWrittenAtOnce_data() {
    QTest::addColumn<int>("box");
    for (int i = 0; i < PreferenceBoxes().size(); ++i)
        QTest::newRow(PreferenceBoxes()[i].Name) << i;
}

void TestViewPreferences::userChangeIsWrittenAtOnce() {
    QFETCH(int, box);
    TestProgram program;
    const PreferenceBox& preference = PreferenceBoxes()[box];
    QComboBox* combo = Box(preference.Name);
    QCOMPARE(combo->parentWidget(), FormMain->PageControl1->widget(preference.Page));
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    QCOMPARE(items, preference.Items);
    // Setting a box from the program is no user change.
    combo->setCurrentIndex(1);
    QVERIFY(!program.IniWritten());
    combo->setCurrentIndex(0);
    PickNext(combo);
    QCOMPARE(combo->currentIndex(), 1);
    QCOMPARE(Stored(preference.IniKey), QStringLiteral("1"));
    // Only this key is written.
    for (const PreferenceBox& other : PreferenceBoxes()) {
        if (other.IniKey != preference.IniKey)
            QCOMPARE(Stored(other.IniKey), QStringLiteral("missing"));
    }
    QVERIFY(program.Prompts().Texts().isEmpty());
}

void TestViewPreferences::changeRefreshesItsPage() {
    TestProgram program;
    const QDate day(2024, 5, 6);
    FormMain->SetWorkingDate(day);
    program.Exec(QStringLiteral(
        "Insert Into Bill (BillKind, BillSerial, BillUser, BillSum, BillMan, BillCreateTime) Values "
        "('销售开单', 'XS1', '甲', 10, '总经理', #2024-05-06#), ('销售开单', 'XS2', '甲', 20, '总经理', "
        "#2024-05-20#), "
        "('销售开单', 'XS3', '甲', 30, '总经理', #2024-06-01#)"));
    program.Exec(
        QStringLiteral("Insert Into MoneyTable (MoneyAccount, MoneyBill, MoneySerial, MoneyUser, MoneyIn, "
                       "MoneyOut, MoneySum, MoneyMan, MoneyCreateTime) Values "
                       "(0, 0, 'SK1', '甲', 5, 0, 5, '总经理', #2024-05-07#)"));
    QueueRoleSignIn(program, QStringLiteral("总经理"), QString());
    QVERIFY(FormMain->SignInAndSetUp());
    auto* billStatus = FormMain->findChild<QLabel*>(QStringLiteral("BillSum"));
    auto* moneyStatus = FormMain->findChild<QLabel*>(QStringLiteral("MoneySum"));
    QVERIFY(billStatus && moneyStatus);
    QVERIFY(billStatus->text().startsWith(QStringLiteral("共 1 记录")));
    QVERIFY(moneyStatus->text().startsWith(QStringLiteral("共 0 记录")));
    PickNext(FormMain->ComboBox3); // 当月单据
    QVERIFY(billStatus->text().startsWith(QStringLiteral("共 2 记录")));
    PickNext(FormMain->ComboBox4);
    QVERIFY(moneyStatus->text().startsWith(QStringLiteral("共 1 记录")));
    // Another day of the same month lists the same documents.
    FormMain->SetWorkingDate(QDate(2024, 5, 31));
    FormMain->RefreshAll();
    QVERIFY(billStatus->text().startsWith(QStringLiteral("共 2 记录")));
    QVERIFY(program.Prompts().Texts().isEmpty());
}

void TestViewPreferences::sharedByUsers() {
    TestProgram program;
    SetSlot(program, 1, QStringLiteral("张三"), QString(), QStringLiteral("业务管理；财务管理；"));
    QueueSalesmanSignIn(program, 1, QString());
    QVERIFY(FormMain->SignInAndSetUp());
    PickNext(FormMain->ComboBox11); // 按单据号
    PickNext(FormMain->ComboBox11); // 按客户名
    FormMain->ComboBox12->setCurrentIndex(1);
    QTest::keyClick(FormMain->ComboBox12, Qt::Key_Up); // 按升序排
    // Somebody else signs in: the boxes come back from the file, as the last user left them.
    FormMain->ComboBox11->setCurrentIndex(0);
    FormMain->ComboBox12->setCurrentIndex(1);
    QueueRoleSignIn(program, QStringLiteral("财务主管"), QString());
    QVERIFY(FormMain->SignInAndSetUp());
    QCOMPARE(FormMain->ComboBox11->currentText(), QStringLiteral("按客户名"));
    QCOMPARE(FormMain->ComboBox12->currentText(), QStringLiteral("按升序排"));
    QCOMPARE(FormMain->MoneyOrderClause(), QStringLiteral(" Order By MoneyUser,MoneyCreateTime Asc"));
    QVERIFY(program.Prompts().Texts().isEmpty());
}

void TestViewPreferences::badStoredValueShowsFirstItem_data() {
    QTest::addColumn<QString>("stored");
    QTest::newRow("not a number") << QStringLiteral("abc");
    QTest::newRow("empty") << QString();
    QTest::newRow("minus one") << QStringLiteral("-1");
    QTest::newRow("one past the end") << QStringLiteral("2");
    QTest::newRow("far beyond") << QStringLiteral("99999999999");
    QTest::newRow("decimal") << QStringLiteral("1.0");
}

void TestViewPreferences::badStoredValueShowsFirstItem() {
    QFETCH(QString, stored);
    TestProgram program;
    // The sort field of the customer page is damaged; its direction and a later key are fine.
    QVERIFY(WriteIniString(QStringLiteral("Kestrel"), QStringLiteral("客户排序方式"), stored, IniFileName));
    QVERIFY(WriteIniString(QStringLiteral("Kestrel"), QStringLiteral("客户排序方向"), QStringLiteral("0"),
                           IniFileName));
    QVERIFY(WriteIniString(QStringLiteral("Kestrel"), QStringLiteral("财务单据排序方向"), QStringLiteral("0"),
                           IniFileName));
    program.Exec(QStringLiteral("Insert Into Customer (CustomerName, CustomerOwe, CustomerMan) Values "
                                "('甲', 0, '总经理'), ('乙', 0, '总经理')"));
    QueueRoleSignIn(program, QStringLiteral("总经理"), QString());
    QVERIFY(FormMain->SignInAndSetUp());
    QCOMPARE(FormMain->ComboBox6->currentIndex(), 0);
    QCOMPARE(FormMain->ComboBox7->currentIndex(), 0);
    QCOMPARE(FormMain->ComboBox12->currentIndex(), 0); // keys after the damaged one are still read
    QCOMPARE(FormMain->CustomerOrderClause(), QStringLiteral(" Order By CustomerIndex Asc"));
    // The rest of the set-up ran: the cards are shown and the Login button names the user.
    QVERIFY(program.Prompts().Texts().isEmpty());
    auto* status = FormMain->findChild<QLabel*>(QStringLiteral("CustomerSum"));
    QVERIFY(status && status->text().startsWith(QStringLiteral("共 2 记录")));
    QCOMPARE(FormMain->Login->text(), QStringLiteral("总经理"));
    // The stored text stays until the user picks an item.
    QCOMPARE(Stored(QStringLiteral("客户排序方式")), stored.trimmed());
}

QTEST_MAIN(TestViewPreferences)
#include "tst_viewpreferences.moc"
