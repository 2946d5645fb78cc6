#include "customers/CustomerForm2.h"
#include "customers/CustomerForm3.h"
#include "documents/BuySellForm.h"
#include "finance/AccountForm2.h"
#include "finance/GetPayForm.h"
#include "kit/DataGrid.h"
#include "kit/report/ReportDesigner.h"
#include "mainwindow/MainForm.h"
#include "reports/BillReportForm.h"
#include "reports/MoneyReportForm.h"
#include "reports/ReportFixture.h"
#include "reports/ReportQueries.h"
#include "signin/AskForm.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QCalendarWidget>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextEdit>

// What a screen reader (and a tool that finds fields by their labels) gets from the windows: every
// label of an editor or criteria window names its field, and the result grids' footers are read.
class TestAccessibility : public QObject {
    Q_OBJECT
private slots:
    void labelsNameTheirFields_data();
    void labelsNameTheirFields();
    void mainWindowFields();
    void everyFieldHasAName();
    void footerSumsAreRead();
};

namespace {
QString AccessibleName(QWidget* widget) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
    return face != nullptr ? face->text(QAccessible::Name) : QString();
}

// The inner pieces of a compound control (a spin box's editor, a combo box's list, a calendar's
// buttons, a scroll bar's arrows) are named by the control they belong to.
bool PartOfAnotherControl(const QWidget* widget) {
    for (const QWidget* up = widget->parentWidget(); up != nullptr; up = up->parentWidget())
        if (qobject_cast<const QComboBox*>(up) || qobject_cast<const QAbstractSpinBox*>(up) ||
            qobject_cast<const QCalendarWidget*>(up) || qobject_cast<const QAbstractScrollArea*>(up) ||
            up->inherits("QComboBoxPrivateContainer"))
            return true;
    return false;
}

QString WithoutColon(QString text) {
    while (text.endsWith(QChar(0xFF1A)) || text.endsWith(QLatin1Char(':')))
        text.chop(1);
    return text;
}
} // namespace

void TestAccessibility::labelsNameTheirFields_data() {
    QTest::addColumn<QString>("window");
    for (const char* name : {"FormBuySell", "FormGetPay", "FormCustomer2", "FormCustomer3", "FormBillReport",
                             "FormMoneyReport", "FormAccount2"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

void TestAccessibility::labelsNameTheirFields() {
    QFETCH(QString, window);
    TestProgram program;
    const QHash<QString, QWidget*> windows = {{QStringLiteral("FormBuySell"), FormBuySell},
                                              {QStringLiteral("FormGetPay"), FormGetPay},
                                              {QStringLiteral("FormCustomer2"), FormCustomer2},
                                              {QStringLiteral("FormCustomer3"), FormCustomer3},
                                              {QStringLiteral("FormBillReport"), FormBillReport},
                                              {QStringLiteral("FormMoneyReport"), FormMoneyReport},
                                              {QStringLiteral("FormAccount2"), FormAccount2}};
    QWidget* form = windows.value(window);
    QVERIFY(form != nullptr);
    int fields = 0;
    for (QLabel* label : form->findChildren<QLabel*>()) {
        if (label->text().isEmpty())
            continue; // a picture
        QVERIFY2(label->buddy() != nullptr, qPrintable(label->text()));
        QCOMPARE(AccessibleName(label->buddy()), WithoutColon(label->text()));
        ++fields;
    }
    QVERIFY(fields >= 2);
}

void TestAccessibility::mainWindowFields() {
    TestProgram program;
    QCOMPARE(FormMain->Label2->buddy(), FormMain->DateTimePicker1);
    QCOMPARE(AccessibleName(FormMain->DateTimePicker1), QStringLiteral("当前日期"));
    QCOMPARE(AccessibleName(FormMain->ListBox1), QStringLiteral("业务种类"));
    QCOMPARE(AccessibleName(FormMain->ListBox4), QStringLiteral("业务进度"));
}

// Every control a user types into, picks from or presses, in every window of the program, has a
// name a screen reader reads (its label's text, its own caption or an accessible name).
void TestAccessibility::everyFieldHasAName() {
    TestProgram program;
    // The report designer lives only while it is open: one with a template stands in for it.
    ReportDesigner designer(FormMain);
    QVERIFY(designer.OpenTemplate(program.Folder() + QStringLiteral("Frf/Bill.frf")));
    QStringList unnamed;
    for (QWidget* widget : FormMain->findChildren<QWidget*>()) {
        const bool control = qobject_cast<QLineEdit*>(widget) || qobject_cast<QComboBox*>(widget) ||
                             qobject_cast<QAbstractSpinBox*>(widget) || qobject_cast<QTextEdit*>(widget) ||
                             qobject_cast<QPlainTextEdit*>(widget) ||
                             qobject_cast<QAbstractItemView*>(widget) ||
                             qobject_cast<QAbstractButton*>(widget);
        // The password prompt's field is named by the prompt it is shown with.
        if (!control || PartOfAnotherControl(widget) || widget->window() == FormAsk)
            continue;
        if (AccessibleName(widget).trimmed().isEmpty())
            unnamed << QStringLiteral("%1 %2 in %3")
                           .arg(QString::fromLatin1(widget->metaObject()->className()), widget->objectName(),
                                widget->window()->objectName());
    }
    QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(QLatin1Char('\n'))));
}

void TestAccessibility::footerSumsAreRead() {
    TestProgram program;
    FillSmallBook(program);
    FormMain->FillBillReport(BillQueryText(BillCriteria(), QString()));
    DataGrid* grid = FormMain->DBGridEh2;
    QAccessibleInterface* footer = QAccessible::queryAccessibleInterface(grid->Footer());
    QVERIFY(footer != nullptr);
    QCOMPARE(footer->text(QAccessible::Name), QStringLiteral("合计"));
    const QString read = footer->text(QAccessible::Description);
    // Every cell the footer paints is in what is read, after its column's title.
    for (int column = 0; column < grid->ColumnCount(); ++column) {
        if (grid->FooterText(column).isEmpty())
            continue;
        QVERIFY2(read.contains(grid->Column(column).Title + QStringLiteral("：") + grid->FooterText(column)),
                 qPrintable(read));
    }
    QVERIFY(read.contains(QStringLiteral("共4条")));
    // An empty result leaves nothing stale to read.
    FormMain->FillBillReport(BillQueryText(BillCriteria(), QStringLiteral(" And (BillIndex = 0)")));
    QVERIFY2(!footer->text(QAccessible::Description).contains(QStringLiteral("共4条")),
             qPrintable(footer->text(QAccessible::Description)));
}

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
