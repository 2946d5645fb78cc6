#include "ReportFixture.h"
#include "customers/CustomerForm3.h"
#include "documents/BillForm.h"
#include "documents/BuySellForm.h"
#include "documents/EditorScripts.h"
#include "finance/BillForm2.h"
#include "finance/GetPayForm.h"
#include "mainwindow/CardPage.h"
#include "mainwindow/MainForm.h"
#include "reports/BillReportForm.h"
#include "reports/MoneyReportForm.h"

#include <QAction>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

// Enter in a search window runs its main action with the criteria typed; a quick query runs only
// when its button is chosen. Enter in a chooser opens the highlighted choice.
class TestEnterKey : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void billCriteria_data();
    void billCriteria();
    void moneyCriteria_data();
    void moneyCriteria();
    void quickQueryOnlyWhenChosen();
    void customerSearch();
    void choosers_data();
    void choosers();

private:
    std::unique_ptr<TestProgram> program;
};

namespace {

// Presses Enter in the field of window named field (after typing text into it when given).
void EnterIn(QWidget* window, const QString& field, const QString& text) {
    QWidget* widget = window->findChild<QWidget*>(field);
    QVERIFY2(widget, qPrintable(field));
    if (auto* edit = qobject_cast<QLineEdit*>(widget); edit && !text.isNull())
        edit->setText(text);
    if (auto* box = qobject_cast<QComboBox*>(widget); box && !text.isNull())
        box->setEditText(text);
    widget->setFocus();
    QWidget* target = window->focusWidget() ? window->focusWidget() : widget;
    QTest::keyClick(target, Qt::Key_Return);
}

// Opens a criteria window through its action and presses Enter in one of its fields; true when the
// window closed with that key.
bool EnterInCriteria(TestProgram& program, QAction* action, const QString& field, const QString& text) {
    bool closed = false;
    program.Prompts().QueueModal([&](QDialog* dialog) {
        EnterIn(dialog, field, text);
        closed = !dialog->isVisible();
    });
    action->trigger();
    return closed;
}

} // namespace

void TestEnterKey::init() {
    program = std::make_unique<TestProgram>();
    FillSmallBook(*program);
    FormMain->SetWorkingDate(QDate(2024, 2, 15));
}

void TestEnterKey::cleanup() {
    program.reset();
}

void TestEnterKey::billCriteria_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<int>>("keys");
    QTest::newRow("serial") << "Edit5"
                            << "XS100001" << QList<int>({2});
    QTest::newRow("customer box") << "ComboBox6"
                                  << "O'Neil 公司" << QList<int>({3});
    QTest::newRow("remark") << "Edit3"
                            << "加急" << QList<int>({2});
    QTest::newRow("date edit, no criteria") << "DateTimePicker1" << QString() << QList<int>({4, 2, 3, 5});
}

void TestEnterKey::billCriteria() {
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(QList<int>, keys);
    QVERIFY(EnterInCriteria(*program, FormMain->ActionBillReport, field, text));
    QCOMPARE(Keys(FormMain->BReportADOQuery, "BillIndex"), keys);
}

void TestEnterKey::moneyCriteria_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<int>>("keys");
    QTest::newRow("serial") << "Edit5"
                            << "SK100002" << QList<int>({3});
    QTest::newRow("remark") << "Edit3"
                            << "it's paid" << QList<int>({3});
}

void TestEnterKey::moneyCriteria() {
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(QList<int>, keys);
    QVERIFY(EnterInCriteria(*program, FormMain->ActionMoneyReport, field, text));
    QCOMPARE(Keys(FormMain->MReportADOQuery, "MoneyIndex"), keys);
}

void TestEnterKey::quickQueryOnlyWhenChosen() {
    // The quick query button is no default button: it runs when clicked, not on Enter elsewhere.
    program->Prompts().QueueModal(On<TFormBillReport>([](TFormBillReport* form) {
        QVERIFY(!form->Button1->autoDefault() && !form->Button1->isDefault());
        form->Button1->click();
    }));
    FormMain->ActionBillReport->trigger();
    QCOMPARE(Keys(FormMain->BReportADOQuery, "BillIndex"), QList<int>({2, 3, 5}));
    program->Prompts().QueueModal(On<TFormMoneyReport>([](TFormMoneyReport* form) {
        QVERIFY(!form->Button1->autoDefault() && !form->Button1->isDefault());
        form->Button1->click();
    }));
    FormMain->ActionMoneyReport->trigger();
    QVERIFY(FormMain->MReportADOQuery.Active());
}

void TestEnterKey::customerSearch() {
    bool closed = false;
    program->Prompts().QueueModal(On<TFormCustomer3>([&](TFormCustomer3* form) {
        EnterIn(form, QStringLiteral("Edit1"), QStringLiteral("O'Neil"));
        closed = !form->isVisible();
    }));
    FormMain->CustomerSearch();
    QVERIFY(closed);
    QStringList names;
    for (int slot = 1; slot <= 15; ++slot) {
        auto* panel = FormMain->findChild<CardPanel*>(QStringLiteral("CustomerPanel%1").arg(slot));
        if (panel && !panel->isHidden())
            names << FormMain->findChild<QLabel*>(QStringLiteral("CustomerName%1").arg(slot))->text();
    }
    QCOMPARE(names, QStringList{QStringLiteral("O'Neil 公司")});
}

void TestEnterKey::choosers_data() {
    QTest::addColumn<QString>("chooser");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("kind");
    QTest::newRow("销售开单") << "bill"
                              << "ActionSell"
                              << "销售开单";
    QTest::newRow("采购开单") << "bill"
                              << "ActionBuy"
                              << "采购开单";
    QTest::newRow("财务收入") << "money"
                              << "ActionGet"
                              << "财务收入单";
    QTest::newRow("财务支出") << "money"
                              << "ActionPay"
                              << "财务支出单";
}

void TestEnterKey::choosers() {
    QFETCH(QString, chooser);
    QFETCH(QString, button);
    QFETCH(QString, kind);
    QString opened;
    program->Prompts().QueueModal([&](QDialog* dialog) {
        auto* choice = dialog->findChild<QPushButton*>(button);
        QVERIFY2(choice, qPrintable(button));
        choice->setFocus();
        QTest::keyClick(choice, Qt::Key_Return);
    });
    program->Prompts().QueueModal([&](QDialog* editor) {
        if (auto* document = qobject_cast<TFormBuySell*>(editor))
            opened = document->OpenKind;
        else if (auto* voucher = qobject_cast<TFormGetPay*>(editor))
            opened = voucher->OpenKind;
    });
    Prompts::Get().ShowModal(chooser == QLatin1String("bill") ? static_cast<QDialog*>(FormBill)
                                                              : static_cast<QDialog*>(FormBill2));
    QCOMPARE(opened, kind);
}

QTEST_MAIN(TestEnterKey)
#include "tst_enterkey.moc"
