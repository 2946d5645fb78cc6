#include "customers/CustomerForm3.h"
#include "customers/CustomerRules.h"
#include "documents/EditorScripts.h"
#include "mainwindow/CardPage.h"
#include "mainwindow/MainForm.h"

#include <QAccessible>
#include <QCheckBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>
#include <algorithm>

// The customer search: the condition it builds and what the customer page then lists.
class TestCustomerSearch : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { SearchClause.clear(); }
    void clause_data();
    void clause();
    void searchFromTheCustomerPage();
    void periodBoxWithoutAMouse_data();
    void periodBoxWithoutAMouse();
};

namespace {

// Names on the visible customer cards, sorted.
QStringList ListedCustomers() {
    QStringList names;
    for (int slot = 1; slot <= 15; ++slot) {
        auto* panel = FormMain->findChild<CardPanel*>(QStringLiteral("CustomerPanel%1").arg(slot));
        if (panel && !panel->isHidden())
            names << FormMain->findChild<QLabel*>(QStringLiteral("CustomerName%1").arg(slot))->text();
    }
    names.sort();
    return names;
}

} // namespace

void TestCustomerSearch::clause_data() {
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<bool>("period");
    QTest::addColumn<QString>("expected");
    const QStringList empty(9);
    QStringList name = empty;
    name[0] = QStringLiteral("张");
    QStringList quoted = empty;
    quoted[0] = QStringLiteral("O'Neil");
    quoted[7] = QStringLiteral("');Drop Table Customer;--");
    QStringList namePhone = name;
    namePhone[3] = QStringLiteral("0571");
    QStringList all;
    for (int i = 1; i <= 9; ++i)
        all << QString::number(i);
    QTest::newRow("nothing") << empty << false << QString();
    QTest::newRow("name") << name << false << " And (InStr(CustomerName,'张'))";
    QTest::newRow("quotes are data")
        << quoted << false
        << " And (InStr(CustomerName,'O''Neil')) And (InStr(CustomerAddress,''');Drop "
           "Table Customer;--'))";
    QTest::newRow("name and phone") << namePhone << false
                                    << " And (InStr(CustomerName,'张')) And (InStr(CustomerPhone,'0571'))";
    QTest::newRow("period only") << empty << true
                                 << " And (BillCreateTime Between #2024-02-01# And #2024-02-29#)";
    QTest::newRow("all, in order")
        << all << true
        << " And (InStr(CustomerName,'1')) And (InStr(CustomerContact,'2')) And "
           "(InStr(CustomerHandPhone,'3')) And "
           "(InStr(CustomerPhone,'4')) And (InStr(CustomerFax,'5')) And (InStr(CustomerEMail,'6')) And "
           "(InStr(CustomerWebsite,'7')) And (InStr(CustomerAddress,'8')) And (InStr(CustomerRemark,'9')) "
           "And "
           "(BillCreateTime Between #2024-02-01# And #2024-02-29#)";
}

void TestCustomerSearch::clause() {
    QFETCH(QStringList, texts);
    QFETCH(bool, period);
    QFETCH(QString, expected);
    QCOMPARE(BuildSearchClause(texts, period, QDate(2024, 2, 1), QDate(2024, 2, 29)), expected);
}

void TestCustomerSearch::searchFromTheCustomerPage() {
    TestProgram program;
    FormMain->SetWorkingDate(QDate(2024, 2, 10));
    AddCustomer(program, QStringLiteral("张三丰"));
    AddCustomer(program, QStringLiteral("老张'记"));
    AddCustomer(program, QStringLiteral("李四"));
    AddCustomer(program, QStringLiteral("王五"));
    // 李四 has two documents in February, 张三丰 one in March; the others none.
    AddBill(program, QStringLiteral("销售开单"), QStringLiteral("李四"), 10, QString(), QDate(2024, 2, 3));
    AddBill(program, QStringLiteral("采购开单"), QStringLiteral("李四"), -5, QString(), QDate(2024, 2, 29));
    AddBill(program, QStringLiteral("销售开单"), QStringLiteral("张三丰"), 10, QString(), QDate(2024, 3, 1));
    FormMain->RefreshAll();
    QCOMPARE(ListedCustomers().size(), 4);

    // First search: a part of the name.
    bool pickersDisabled = false;
    QString from, to;
    FormMain->CustomerPage = 2;
    program.Prompts().QueueModal(On<TFormCustomer3>([&](TFormCustomer3* form) {
        pickersDisabled = !form->CheckBox1->isChecked() && !form->DateTimePicker1->isEnabled() &&
                          !form->DateTimePicker2->isEnabled();
        from = form->DateTimePicker1->date().toString(Qt::ISODate);
        to = form->DateTimePicker2->date().toString(Qt::ISODate);
        form->Edit1->setText(QStringLiteral("张"));
        form->SpeedButton1->click();
    }));
    FormMain->CustomerSearch();
    QVERIFY(pickersDisabled);
    QCOMPARE(from, QStringLiteral("2024-02-01"));
    QCOMPARE(to, QStringLiteral("2024-02-29"));
    QCOMPARE(FormMain->CustomerPage, 0);
    QCOMPARE(ListedCustomers(), QStringList({QStringLiteral("张三丰"), QStringLiteral("老张'记")}));

    // The texts are kept; a quote is searched for as a character.
    QString kept;
    program.Prompts().QueueModal(On<TFormCustomer3>([&](TFormCustomer3* form) {
        kept = form->Edit1->text();
        form->Edit1->setText(QStringLiteral("'"));
        form->SpeedButton1->click();
    }));
    FormMain->CustomerSearch();
    QCOMPARE(kept, QStringLiteral("张"));
    QCOMPARE(ListedCustomers(), QStringList{QStringLiteral("老张'记")});

    // Customers with business in the working month, each listed once.
    program.Prompts().QueueModal(On<TFormCustomer3>([&](TFormCustomer3* form) {
        form->Edit1->clear();
        form->CheckBox1->click();
        pickersDisabled = !form->DateTimePicker1->isEnabled();
        form->SpeedButton1->click();
    }));
    FormMain->CustomerSearch();
    QVERIFY(!pickersDisabled);
    QCOMPARE(ListedCustomers(), QStringList{QStringLiteral("李四")});

    // A month later the period moves with the working date; the box stays checked.
    FormMain->SetWorkingDate(QDate(2024, 3, 15));
    bool stillChecked = false;
    program.Prompts().QueueModal(On<TFormCustomer3>([&](TFormCustomer3* form) {
        stillChecked = form->CheckBox1->isChecked() && form->DateTimePicker1->isEnabled();
        from = form->DateTimePicker1->date().toString(Qt::ISODate);
        to = form->DateTimePicker2->date().toString(Qt::ISODate);
        form->SpeedButton1->click();
    }));
    FormMain->CustomerSearch();
    QVERIFY(stillChecked);
    QCOMPARE(from, QStringLiteral("2024-03-01"));
    QCOMPARE(to, QStringLiteral("2024-03-31"));
    QCOMPARE(ListedCustomers(), QStringList{QStringLiteral("张三丰")});

    // Start after end: nobody.
    program.Prompts().QueueModal(On<TFormCustomer3>([&](TFormCustomer3* form) {
        form->DateTimePicker1->setDate(QDate(2024, 3, 31));
        form->DateTimePicker2->setDate(QDate(2024, 3, 1));
        form->SpeedButton1->click();
    }));
    FormMain->CustomerSearch();
    QVERIFY(ListedCustomers().isEmpty());

    // Cancelling keeps the search in force and does not move the page.
    const QString before = SearchClause;
    FormMain->CustomerPage = 1;
    program.Prompts().QueueModal(On<TFormCustomer3>([&](TFormCustomer3* form) {
        form->CheckBox1->click();
        form->Edit2->setText(QStringLiteral("x"));
        form->SpeedButton2->click();
    }));
    FormMain->CustomerSearch();
    QCOMPARE(SearchClause, before);
    QCOMPARE(FormMain->CustomerPage, 1);

    // Confirming with nothing asked ends the search.
    program.Prompts().QueueModal(On<TFormCustomer3>([&](TFormCustomer3* form) {
        form->Edit2->clear();
        if (form->CheckBox1->isChecked())
            form->CheckBox1->click();
        form->SpeedButton1->click();
    }));
    FormMain->CustomerSearch();
    QCOMPARE(SearchClause, QString());
    QCOMPARE(ListedCustomers().size(), 4);
    QVERIFY(!program.Prompts().Texts().contains(QStringLiteral("刷新客户时出错")));
}

void TestCustomerSearch::periodBoxWithoutAMouse_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("mouse click") << "mouse";
    QTest::newRow("Space key") << "space";
    QTest::newRow("toggle action") << QAccessibleActionInterface::toggleAction();
    QTest::newRow("press action") << QAccessibleActionInterface::pressAction();
}

void TestCustomerSearch::periodBoxWithoutAMouse() {
    QFETCH(QString, how);
    TestProgram program;
    FormMain->SetWorkingDate(QDate(2024, 2, 10));
    program.Prompts().QueueModal(On<TFormCustomer3>([&](TFormCustomer3* form) {
        QCheckBox* box = form->CheckBox1;
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form));
        QVERIFY(!box->isChecked());
        QVERIFY(!form->DateTimePicker1->isEnabled());
        // Each way of switching the box on, then off again, carries the dates with it.
        for (const bool on : {true, false}) {
            if (how == QLatin1String("mouse")) {
                QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2)); // on the box itself
            } else if (how == QLatin1String("space")) {
                box->setFocus();
                QTest::keyClick(box, Qt::Key_Space);
            } else {
                QAccessibleInterface* face = QAccessible::queryAccessibleInterface(box);
                QVERIFY(face && face->actionInterface());
                // A check box offers toggle; press works on it as on any button.
                QVERIFY(face->actionInterface()->actionNames().contains(
                    QAccessibleActionInterface::toggleAction()));
                face->actionInterface()->doAction(how);
                // A press is a click that lands a moment later.
                QTRY_COMPARE(box->isChecked(), on);
            }
            QCOMPARE(box->isChecked(), on);
            QCOMPARE(form->DateTimePicker1->isEnabled(), on);
            QCOMPARE(form->DateTimePicker2->isEnabled(), on);
        }
        form->CheckBox1->setChecked(true);
        form->SpeedButton1->click();
    }));
    FormMain->CustomerSearch();
    QCOMPARE(program.Prompts().UnexpectedModals, 0);
    QVERIFY(SearchClause.contains(QStringLiteral("Between #2024-02-01# And #2024-02-29#")));
}

QTEST_MAIN(TestCustomerSearch)
#include "tst_customersearch.moc"
