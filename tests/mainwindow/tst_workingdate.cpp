#include "SignInScripts.h"
#include "documents/EditorScripts.h"
#include "foundation/ShareDM.h"
#include "mainwindow/MainForm.h"

#include <QDateEdit>
#include <QLabel>
#include <QPushButton>
#include <QTest>

// The working date: each way of changing it refreshes the window exactly once, and the cards then
// follow the new date.
class TestWorkingDate : public QObject {
    Q_OBJECT
private slots:
    void eachChangeRefreshesOnce_data();
    void eachChangeRefreshesOnce();
    void cardsFollowTheNewDate();
    void firstShowRefreshesOnlyAfterSignIn();
};

namespace {
const QString CustomerListFailed = QStringLiteral("刷新客户时出错");

// The text of a card label as its page shows it ("" while its card is hidden).
QString CardText(const QString& name, TFormMain::Page page) {
    auto* label = FormMain->findChild<QLabel*>(name);
    return label != nullptr && label->isVisibleTo(FormMain->Sheet(page)) ? label->text() : QString();
}
} // namespace

void TestWorkingDate::eachChangeRefreshesOnce_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<QDate>("date");
    QTest::addColumn<int>("refreshes");
    QTest::newRow("previous day") << "BitBtn1" << QDate(2024, 2, 29) << 1;
    QTest::newRow("next day") << "BitBtn2" << QDate(2024, 3, 2) << 1;
    QTest::newRow("picked in the box") << "picker" << QDate(2024, 3, 2) << 1;
    QTest::newRow("set by the program") << "program" << QDate(2024, 3, 5) << 0;
}

void TestWorkingDate::eachChangeRefreshesOnce() {
    QFETCH(QString, how);
    QFETCH(QDate, date);
    QFETCH(int, refreshes);
    TestProgram program;
    FormMain->SetWorkingDate(QDate(2024, 3, 1));
    // Every refresh of the customer cards reports the missing table once: one message per refresh.
    program.Exec(QStringLiteral("Drop Table Customer"));
    if (how == QLatin1String("program")) {
        FormMain->SetWorkingDate(date);
    } else if (how == QLatin1String("picker")) {
        FormMain->DateTimePicker1->setFocus();
        FormMain->DateTimePicker1->setCurrentSection(QDateTimeEdit::DaySection);
        QTest::keyClick(FormMain->DateTimePicker1, Qt::Key_Up);
    } else {
        FormMain->findChild<QPushButton*>(how)->click();
    }
    QCOMPARE(FormMain->WorkingDate(), date);
    QCOMPARE(program.Prompts().Texts().count(CustomerListFailed), refreshes);
}

void TestWorkingDate::cardsFollowTheNewDate() {
    TestProgram program;
    AddCustomer(program, QStringLiteral("老王"));
    AddBill(program, QStringLiteral("销售开单"), QStringLiteral("老王"), 100, QString(), QDate(2024, 3, 2));
    FormMain->SetWorkingDate(QDate(2024, 3, 1));
    FormMain->RefreshAll();
    QCOMPARE(CardText(QStringLiteral("BillName1"), TFormMain::PageBills),
             QString()); // the day's documents: none yet
    FormMain->BitBtn2->click();
    QCOMPARE(CardText(QStringLiteral("BillName1"), TFormMain::PageBills), QStringLiteral("老王"));
    FormMain->BitBtn1->click();
    QCOMPARE(CardText(QStringLiteral("BillName1"), TFormMain::PageBills), QString());
    QVERIFY(program.Prompts().Texts().isEmpty());
}

void TestWorkingDate::firstShowRefreshesOnlyAfterSignIn() {
    TestProgram program;
    AddCustomer(program, QStringLiteral("老王"));
    // A date other than today, so that the first show changes it.
    FormMain->SetWorkingDate(QDate(2001, 1, 1));
    QString cardDuringSignIn = QStringLiteral("<not signed in>");
    program.Prompts().QueueModal(OnLogin([&](TFormLogin* login) {
        cardDuringSignIn = CardText(QStringLiteral("CustomerName1"), TFormMain::PageCustomers);
        login->SpeedButton4->click(); // 总经理
    }));
    program.Prompts().QueueModal(AnswerPrompt(QString()));
    FormMain->show();
    QTRY_COMPARE(program.Prompts().PendingScripts(), 0);
    QCOMPARE(FormMain->WorkingDate(), QDate::currentDate());
    QCOMPARE(CurrentRole, QStringLiteral("总经理"));
    QCOMPARE(cardDuringSignIn, QString()); // nothing was refreshed before the sign-in
    QCOMPARE(CardText(QStringLiteral("CustomerName1"), TFormMain::PageCustomers), QStringLiteral("老王"));
    FormMain->hide();
}

QTEST_MAIN(TestWorkingDate)
#include "tst_workingdate.moc"
