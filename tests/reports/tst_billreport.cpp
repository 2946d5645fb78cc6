#include "ReportFixture.h"
#include "documents/BuySellForm.h"
#include "foundation/ShareDM.h"
#include "kit/DataGrid.h"
#include "mainwindow/MainForm.h"
#include "reports/BillReportForm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

// The document query: the criteria window, FillBillReport and the result grid on page 2.
class TestBillReport : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void receivedAndOpenAmountsWithFooter();
    void sortOrders_data();
    void sortOrders();
    void sortChangeBeforeAnyQueryDoesNothing();
    void criteria_data();
    void criteria();
    void amountWithTwoPointsIsRefusedBeforeAnyQuery_data();
    void amountWithTwoPointsIsRefusedBeforeAnyQuery();
    void amountRangeNeedsAKind();
    void salesmanAlwaysCarriesHisName();
    void quickQueryIgnoresTheCriteria();
    void refreshRerunsTheStoredQuery();
    void emptyResultLeavesNoStaleFooter();
    void doubleClickWithoutARow();
    void doubleClickOpensTheDocument_data();
    void doubleClickOpensTheDocument();
    void rejectedTextEmptiesTheGridAndIsKept();
    void windowStartsFromScratch();
    void gridColumns();
    void purchaseAmountsAreRed();
    void footerAndDatesFitTheirColumns_data();
    void footerAndDatesFitTheirColumns();

private:
    std::unique_ptr<TestProgram> program;
    // Shows the criteria window, lets `fill` set its boxes, and presses 确定 (or the quick query).
    void RunCriteria(const std::function<void(TFormBillReport*)>& fill, bool quick = false);
    bool stayedOpen = false;
    QString focusAfter;
};

void TestBillReport::init() {
    program = std::make_unique<TestProgram>();
    FillSmallBook(*program);
    FormMain->SetWorkingDate(QDate(2024, 2, 15));
}

void TestBillReport::cleanup() {
    program.reset();
}

void TestBillReport::RunCriteria(const std::function<void(TFormBillReport*)>& fill, bool quick) {
    stayedOpen = false;
    focusAfter.clear();
    program->Prompts().QueueModal([&](QDialog* dialog) {
        auto* form = static_cast<TFormBillReport*>(dialog);
        fill(form);
        if (!form->isVisible())
            return; // the script closed it
        if (quick)
            form->Button1->click();
        else
            form->SpeedButton1->click();
        stayedOpen = form->isVisible();
        focusAfter = form->focusWidget() ? form->focusWidget()->objectName() : QString();
    });
    FormMain->ActionBillReport->trigger();
}

void TestBillReport::receivedAndOpenAmountsWithFooter() {
    FormMain->FillBillReport(BillQueryText(BillCriteria(), QString()));
    const Query& q = FormMain->BReportADOQuery;
    QCOMPARE(Keys(q, "BillIndex"), QList<int>({4, 2, 3, 5}));
    // Two receipts against the sale, one payment against the purchase, none against the others.
    QCOMPARE(ValueOf(q, "BillIndex", 2, "BillGet").toDouble(), 500.25);
    QCOMPARE(ValueOf(q, "BillIndex", 2, "BillOwe").toDouble(), 499.75);
    QCOMPARE(ValueOf(q, "BillIndex", 3, "BillGet").toDouble(), -100.0);
    QCOMPARE(ValueOf(q, "BillIndex", 3, "BillOwe").toDouble(), -200.0);
    QCOMPARE(ValueOf(q, "BillIndex", 4, "BillGet").toDouble(), 0.0);
    QCOMPARE(ValueOf(q, "BillIndex", 4, "BillOwe").toDouble(), 250.0);
    QCOMPARE(ValueOf(q, "BillIndex", 5, "BillOwe").toDouble(), -800.0);

    DataGrid* grid = FormMain->DBGridEh2;
    QCOMPARE(grid->model()->rowCount(), 4);
    QCOMPARE(grid->FooterText(0), QStringLiteral("共4条"));
    QCOMPARE(grid->FooterText(4), QStringLiteral("150.00"));
    QCOMPARE(grid->FooterText(5), QStringLiteral("400.25"));
    QCOMPARE(grid->FooterText(6), QStringLiteral("-250.25"));
    QCOMPARE(grid->FooterColour(0), QColor(Qt::black));
    QCOMPARE(grid->FooterColour(4), QColor(Qt::black));
    QCOMPARE(grid->FooterColour(5), QColor(0, 0, 255));
    QCOMPARE(grid->FooterColour(6), QColor(255, 0, 0));
    QCOMPARE(grid->FooterText(1), QString());
    // The cells show the amounts as the program writes them.
    QCOMPARE(grid->model()->index(1, 5).data().toString(), QStringLiteral("500.25"));
    QCOMPARE(grid->model()->index(1, 0).data().toString(), QStringLiteral("2024-02-03"));
    QVERIFY(program->Prompts().Messages.empty());
}

void TestBillReport::sortOrders_data() {
    QTest::addColumn<int>("item");
    QTest::addColumn<QList<int>>("keys");
    QTest::newRow("按时间排") << 0 << QList<int>({4, 2, 3, 5});
    QTest::newRow("按客户排") << 1 << QList<int>({3, 4, 2, 5});
    QTest::newRow("按金额排") << 2 << QList<int>({2, 4, 3, 5});
}

void TestBillReport::sortOrders() {
    QFETCH(int, item);
    QFETCH(QList<int>, keys);
    FormMain->FillBillReport(BillQueryText(BillCriteria(), QString()));
    FormMain->ComboBox2->setCurrentIndex(item); // the sort box re-runs the stored query
    QCOMPARE(Keys(FormMain->BReportADOQuery, "BillIndex"), keys);
    QCOMPARE(FormMain->DBGridEh2->FooterText(0), QStringLiteral("共4条"));
}

void TestBillReport::sortChangeBeforeAnyQueryDoesNothing() {
    FormMain->ComboBox2->setCurrentIndex(2);
    QVERIFY(!FormMain->BReportADOQuery.Active());
    QCOMPARE(FormMain->DBGridEh2->model()->rowCount(), 0);
    QVERIFY(program->Prompts().Messages.empty());
}

void TestBillReport::criteria_data() {
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QList<int>>("keys");
    QTest::newRow("nothing chosen") << ""
                                    << "" << QList<int>({4, 2, 3, 5});
    QTest::newRow("sales") << "kind"
                           << "销售开单" << QList<int>({4, 2});
    QTest::newRow("purchases") << "kind"
                               << "采购开单" << QList<int>({3, 5});
    QTest::newRow("customer name part") << "customer"
                                        << "东方" << QList<int>({4, 2, 5});
    QTest::newRow("customer part with a quote") << "customer"
                                                << "O'N" << QList<int>({3});
    QTest::newRow("remark with a quote") << "remark"
                                         << "it's" << QList<int>({3});
    QTest::newRow("remark, another case of letters") << "remark"
                                                     << "IT'S" << QList<int>({3});
    QTest::newRow("serial part") << "serial"
                                 << "XS" << QList<int>({4, 2});
    QTest::newRow("salesman part") << "man"
                                   << "李" << QList<int>({3});
    QTest::newRow("reason") << "reason"
                            << "商品采购" << QList<int>({3, 5});
    QTest::newRow("progress") << "state"
                              << "已完成" << QList<int>({4, 3});
    QTest::newRow("February") << "dates"
                              << "2024-02-01" << QList<int>({2, 3, 5});
    QTest::newRow("sales from 500") << "sale range"
                                    << "500.." << QList<int>({2});
    QTest::newRow("sales up to 500") << "sale range"
                                     << "..500" << QList<int>({4});
    QTest::newRow("purchases from 100 to 500") << "purchase range"
                                               << "100..500" << QList<int>({3});
    QTest::newRow("purchases from 500") << "purchase range"
                                        << "500.." << QList<int>({5});
}

void TestBillReport::criteria() {
    QFETCH(QString, box);
    QFETCH(QString, value);
    QFETCH(QList<int>, keys);
    program->Exec(
        "Insert Into Parameter (ParameterType, ParameterValue) Values (4, '已发货'), (4, '已完成')");
    RunCriteria([&](TFormBillReport* form) {
        const QStringList range = value.split(QStringLiteral(".."));
        if (box == "kind") {
            form->ComboBox5->setCurrentText(value);
        } else if (box == "customer") {
            form->ComboBox6->setEditText(value);
        } else if (box == "remark") {
            form->Edit3->setText(value);
        } else if (box == "serial") {
            form->Edit5->setText(value);
        } else if (box == "man") {
            form->Edit6->setText(value);
        } else if (box == "reason") {
            form->ComboBox2->setCurrentText(value);
            QCOMPARE(form->ComboBox2->currentText(), value);
        } else if (box == "state") {
            form->ComboBox3->setCurrentText(value);
            QCOMPARE(form->ComboBox3->currentText(), value);
        } else if (box == "dates") {
            form->CheckBox1->click();
            QVERIFY(form->DateTimePicker1->isEnabled());
            QCOMPARE(form->DateTimePicker1->date(), QDate(2024, 2, 1));
            QCOMPARE(form->DateTimePicker2->date(), QDate(2024, 2, 29));
        } else if (box.endsWith("range")) {
            form->ComboBox5->setCurrentText(box.startsWith("sale") ? QStringLiteral("销售开单")
                                                                   : QStringLiteral("采购开单"));
            form->CheckBox2->click();
            QVERIFY(form->Edit2->isEnabled());
            form->Edit2->setText(range[0]);
            form->Edit4->setText(range[1]);
        }
    });
    QVERIFY(!stayedOpen);
    QCOMPARE(FormMain->CurrentPage(), int(TFormMain::PageBillReport));
    QCOMPARE(Keys(FormMain->BReportADOQuery, "BillIndex"), keys);
    QVERIFY(program->Prompts().Texts().isEmpty());
}

void TestBillReport::amountWithTwoPointsIsRefusedBeforeAnyQuery_data() {
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("focused");
    QTest::newRow("from") << "1.2.3"
                          << "500"
                          << "Edit2";
    QTest::newRow("to") << "100"
                        << "1.2.3"
                        << "Edit4";
    QTest::newRow("too long for a number") << QString(400, QLatin1Char('9')) << ""
                                           << "Edit2";
    QTest::newRow("letters") << "abc"
                             << ""
                             << "Edit2";
}

void TestBillReport::amountWithTwoPointsIsRefusedBeforeAnyQuery() {
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(QString, focused);
    RunCriteria([&](TFormBillReport* form) {
        form->ComboBox5->setCurrentIndex(1);
        form->CheckBox2->click();
        form->Edit2->setText(from);
        form->Edit4->setText(to);
    });
    QVERIFY(stayedOpen);
    QCOMPARE(focusAfter, focused);
    QCOMPARE(program->Prompts().Texts(), QStringList({QStringLiteral("金额格式有误，请重新输入")}));
    QVERIFY(FormMain->BillReportSql.isEmpty());
    QVERIFY(!FormMain->BReportADOQuery.Active());
}

void TestBillReport::amountRangeNeedsAKind() {
    RunCriteria([&](TFormBillReport* form) {
        QVERIFY(!form->Edit2->isEnabled());
        form->CheckBox2->click(); // kind still 所有
        QVERIFY(!form->CheckBox2->isChecked());
        QVERIFY(!form->Edit2->isEnabled());
        QCOMPARE(program->Prompts().LastText(), QStringLiteral("请先选定“单据类型”后再填金额范围"));

        form->ComboBox5->setCurrentIndex(2);
        form->CheckBox2->click();
        QVERIFY(form->Edit2->isEnabled() && form->Edit4->isEnabled());
        form->Edit2->setText("100");
        form->Edit4->setText("500");
        // Back to 所有: the boxes are emptied and disabled; the check box stays checked.
        form->ComboBox5->setCurrentIndex(0);
        QVERIFY(form->CheckBox2->isChecked());
        QVERIFY(form->Edit2->text().isEmpty() && form->Edit4->text().isEmpty());
        QVERIFY(!form->Edit2->isEnabled() && !form->Edit4->isEnabled());
        // A kind again: still disabled until the box is unchecked and checked again.
        form->ComboBox5->setCurrentIndex(1);
        QVERIFY(!form->Edit2->isEnabled());
        form->CheckBox2->click();
        form->CheckBox2->click();
        QVERIFY(form->Edit2->isEnabled());
        form->SpeedButton2->click();
    });
    QVERIFY(!stayedOpen);
    QCOMPARE(program->Prompts().Texts().size(), 1);
    QVERIFY(!FormMain->BReportADOQuery.Active());
}

void TestBillReport::salesmanAlwaysCarriesHisName() {
    SignInAsSalesman(QStringLiteral("张三"));
    RunCriteria([&](TFormBillReport* form) {
        QCOMPARE(form->Edit6->text(), QStringLiteral("张三"));
        QVERIFY(form->Edit6->isReadOnly());
        QCOMPARE(form->Edit6->palette().color(QPalette::Base), QColor(222, 222, 222));
        // His customer list only.
        QCOMPARE(form->ComboBox6->count(), 2);
        QCOMPARE(form->ComboBox6->itemText(1), QStringLiteral("东方商贸"));
    });
    QCOMPARE(Keys(FormMain->BReportADOQuery, "BillIndex"), QList<int>({4, 2, 5}));
    QVERIFY(FormMain->BillReportSql.contains(QStringLiteral(" And (BillMan = '张三')")));
    QVERIFY(FormMain->BillReportSql.contains(QStringLiteral(" And (InStr(BillMan,'张三'))")));

    // A manager's window is back to normal at the next showing.
    CurrentRole = QStringLiteral("总经理");
    CurrentUser = QStringLiteral("总经理");
    BillFilter.clear();
    CustomerFilter.clear();
    RunCriteria([&](TFormBillReport* form) {
        QVERIFY(form->Edit6->text().isEmpty());
        QVERIFY(!form->Edit6->isReadOnly());
        QVERIFY(form->Edit6->palette().color(QPalette::Base) != QColor(222, 222, 222));
    });
    QCOMPARE(Keys(FormMain->BReportADOQuery, "BillIndex"), QList<int>({4, 2, 3, 5}));
}

void TestBillReport::quickQueryIgnoresTheCriteria() {
    auto fillEverything = [](TFormBillReport* form) {
        form->ComboBox5->setCurrentIndex(1);
        form->Edit3->setText("nothing like this");
        form->Edit5->setText("ZZ");
        form->CheckBox1->click();
        form->DateTimePicker1->setDate(QDate(2020, 1, 1));
        form->DateTimePicker2->setDate(QDate(2020, 1, 2));
        if (!form->Edit6->isReadOnly())
            form->Edit6->setText("nobody");
    };
    RunCriteria(fillEverything, true);
    QVERIFY(!stayedOpen);
    QCOMPARE(Keys(FormMain->BReportADOQuery, "BillIndex"), QList<int>({2, 3, 5}));
    // The role clause is still added by FillBillReport.
    SignInAsSalesman(QStringLiteral("张三"));
    RunCriteria(fillEverything, true);
    QCOMPARE(Keys(FormMain->BReportADOQuery, "BillIndex"), QList<int>({2, 5}));
}

void TestBillReport::refreshRerunsTheStoredQuery() {
    FormMain->FillBillReport(BillQueryText(BillCriteria(), QString()));
    program->Exec(
        "Insert Into Bill (BillKind, BillSerial, BillCreateTime, BillUser, BillSum, BillMan) Values "
        "('销售开单', 'XS100003', '2024-02-21', '东方商贸', 99, '张三')");
    FormMain->RefreshAll();
    QCOMPARE(FormMain->BReportADOQuery.RecordCount(), 5);
    QCOMPARE(FormMain->DBGridEh2->model()->rowCount(), 5);
    QCOMPARE(FormMain->DBGridEh2->FooterText(0), QStringLiteral("共5条"));
    QCOMPARE(FormMain->DBGridEh2->FooterText(4), QStringLiteral("249.00"));
}

void TestBillReport::emptyResultLeavesNoStaleFooter() {
    FormMain->FillBillReport(BillQueryText(BillCriteria(), QString()));
    BillCriteria none;
    none.Serial = QStringLiteral("no such serial");
    FormMain->FillBillReport(BillQueryText(none, QString()));
    QCOMPARE(FormMain->DBGridEh2->model()->rowCount(), 0);
    QCOMPARE(FormMain->DBGridEh2->FooterText(0), QString());
    QCOMPARE(FormMain->DBGridEh2->FooterText(4), QString());
}

void TestBillReport::doubleClickWithoutARow() {
    FormMain->DBGridEh2DblClick(); // never queried
    BillCriteria none;
    none.Serial = QStringLiteral("no such serial");
    FormMain->FillBillReport(BillQueryText(none, QString()));
    FormMain->DBGridEh2DblClick(); // empty result
    QCOMPARE(program->Prompts().Texts(), QStringList({QStringLiteral("请先选中需要查看的记录"),
                                                      QStringLiteral("请先选中需要查看的记录")}));
}

void TestBillReport::doubleClickOpensTheDocument_data() {
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("changed");
    // Rows in date order: 4, 2, 3, 5.
    QTest::newRow("sale, changed") << 1 << 2 << "销售开单" << true;
    QTest::newRow("purchase, changed") << 2 << 3 << "采购开单" << true;
    QTest::newRow("sale, only looked at") << 0 << 4 << "销售开单" << false;
}

void TestBillReport::doubleClickOpensTheDocument() {
    QFETCH(int, row);
    QFETCH(int, key);
    QFETCH(QString, kind);
    QFETCH(bool, changed);
    FormMain->FillBillReport(BillQueryText(BillCriteria(), QString()));
    DataGrid* grid = FormMain->DBGridEh2;
    const double before = ValueOf(FormMain->BReportADOQuery, "BillIndex", key, "BillSum").toDouble();
    QString mode, openedKind;
    qint64 opened = 0;
    bool fixed = true;
    program->Prompts().QueueModal([&](QDialog* dialog) {
        auto* form = qobject_cast<TFormBuySell*>(dialog);
        QVERIFY(form);
        mode = form->OpenMode;
        openedKind = form->OpenKind;
        opened = form->OpenBillIndex;
        fixed = form->CustomerFixed;
        // The document is stored with a new amount while the editor is open.
        program->Exec(QStringLiteral("Update Bill Set BillSum = BillSum * 2 Where BillIndex = %1").arg(key));
        form->DataChanged = changed;
    });
    grid->setCurrentIndex(grid->model()->index(row, 3));
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(grid->currentIndex()).center());
    QCOMPARE(program->Prompts().PendingScripts(), 0);
    QCOMPARE(mode, QStringLiteral("修改"));
    QCOMPARE(openedKind, kind);
    QCOMPARE(opened, qint64(key));
    QVERIFY(!fixed);
    // A change re-runs the stored query; a look without a change leaves the grid as it was.
    QCOMPARE(ValueOf(FormMain->BReportADOQuery, "BillIndex", key, "BillSum").toDouble(),
             changed ? before * 2 : before);
    QCOMPARE(FormMain->BReportADOQuery.RecordCount(), 4);
    QVERIFY(program->Prompts().Texts().isEmpty());
}

void TestBillReport::rejectedTextEmptiesTheGridAndIsKept() {
    FormMain->FillBillReport(BillQueryText(BillCriteria(), QString()));
    QCOMPARE(FormMain->DBGridEh2->model()->rowCount(), 4);
    const QString broken = BillReportSelect() + QStringLiteral("(NoSuchColumn > 1)");
    FormMain->FillBillReport(broken);
    QCOMPARE(program->Prompts().Texts(), QStringList({QStringLiteral("数据库打开失败")}));
    QVERIFY(!FormMain->BReportADOQuery.Active());
    QCOMPARE(FormMain->DBGridEh2->model()->rowCount(), 0);
    QCOMPARE(FormMain->DBGridEh2->FooterText(0), QString());
    QCOMPARE(FormMain->BillReportSql, broken);
    // The failing text stays until a new query replaces it: a sort change shows the message again.
    FormMain->ComboBox2->setCurrentIndex(1);
    QCOMPARE(program->Prompts().Texts().size(), 2);
    FormMain->FillBillReport(BillQueryText(BillCriteria(), QString()));
    QCOMPARE(FormMain->DBGridEh2->model()->rowCount(), 4);
    QCOMPARE(program->Prompts().Texts().size(), 2);
}

void TestBillReport::windowStartsFromScratch() {
    program->Exec("Insert Into Parameter (ParameterType, ParameterValue) Values (4, '已发货')");
    RunCriteria([&](TFormBillReport* form) {
        form->ComboBox5->setCurrentIndex(2);
        form->CheckBox1->click();
        form->CheckBox2->click();
        form->Edit2->setText("1");
        form->Edit3->setText("x");
        form->Edit4->setText("2");
        form->Edit5->setText("y");
        form->Edit6->setText("z");
        form->ComboBox2->setCurrentIndex(1);
        form->ComboBox3->setCurrentIndex(1);
        form->ComboBox6->setEditText("东方");
        form->DateTimePicker1->setDate(QDate(2020, 1, 1));
        form->SpeedButton2->click();
    });
    QVERIFY(!FormMain->BReportADOQuery.Active());
    FormMain->SetWorkingDate(QDate(2023, 2, 10));
    RunCriteria([&](TFormBillReport* form) {
        for (QLineEdit* edit : {form->Edit2, form->Edit3, form->Edit4, form->Edit5, form->Edit6})
            QVERIFY2(edit->text().isEmpty(), qPrintable(edit->objectName()));
        QVERIFY(!form->CheckBox1->isChecked() && !form->CheckBox2->isChecked());
        QVERIFY(!form->DateTimePicker1->isEnabled() && !form->DateTimePicker2->isEnabled());
        QVERIFY(!form->Edit2->isEnabled() && !form->Edit4->isEnabled());
        QCOMPARE(form->DateTimePicker1->date(), QDate(2023, 2, 1));
        QCOMPARE(form->DateTimePicker2->date(), QDate(2023, 2, 28));
        QCOMPARE(form->ComboBox5->count(), 3);
        for (QComboBox* combo : {form->ComboBox5, form->ComboBox2, form->ComboBox3, form->ComboBox6})
            QCOMPARE(combo->currentText(), QStringLiteral("所有"));
        QCOMPARE(form->focusWidget(), form->ComboBox5);
        form->SpeedButton2->click();
    });
    QVERIFY(program->Prompts().Texts().isEmpty());
}

void TestBillReport::gridColumns() {
    DataGrid* grid = FormMain->DBGridEh2;
    const QStringList expected = {"创建时间/70", "单据编号/80", "单据类型/80", "客户名称/120",
                                  "单据金额/70", "已收金额/70", "未收金额/70", "业务员/60",
                                  "业务种类/70", "业务进度/70", "备注信息/120"};
    QStringList shown;
    for (int column = 0; column < grid->model()->columnCount(); ++column)
        shown << grid->model()->headerData(column, Qt::Horizontal).toString() + "/" +
                     QString::number(grid->columnWidth(column));
    QCOMPARE(shown, expected);
    FormMain->FillBillReport(BillQueryText(BillCriteria(), QString()));
    const QModelIndex cell = grid->model()->index(0, 3);
    QCOMPARE(cell.data(Qt::TextAlignmentRole).value<Qt::Alignment>(), Qt::Alignment(Qt::AlignCenter));
    QCOMPARE(grid->model()->headerData(3, Qt::Horizontal, Qt::TextAlignmentRole).value<Qt::Alignment>(),
             Qt::Alignment(Qt::AlignCenter));
    QVERIFY(!(grid->model()->flags(cell) & Qt::ItemIsEditable));
    QCOMPARE(grid->editTriggers(), QAbstractItemView::NoEditTriggers);
    QCOMPARE(grid->selectionBehavior(), QAbstractItemView::SelectRows);
    QVERIFY(!grid->isSortingEnabled());
}

void TestBillReport::purchaseAmountsAreRed() {
    FormMain->FillBillReport(BillQueryText(BillCriteria(), QString()));
    DataGrid* grid = FormMain->DBGridEh2;
    // Row order 4, 2, 3, 5: the purchases are rows 2 and 3; only the amount column is coloured.
    QCOMPARE(grid->CellColour(0, 4, "250"), QColor(Qt::black));
    QCOMPARE(grid->CellColour(2, 4, "-300"), QColor(255, 0, 0));
    QCOMPARE(grid->CellColour(3, 4, "-800"), QColor(255, 0, 0));
    QCOMPARE(grid->CellColour(2, 6, "-200"), QColor(Qt::black));
    // Every drawn text is measured: the column remembers its widest text plus 20 pixels, and a
    // click on its title widens a narrower column to that.
    const int widest =
        grid->fontMetrics().horizontalAdvance(QStringLiteral("东方商贸有限公司很长的名字")) + 20;
    grid->CellColour(0, 3, QStringLiteral("东方商贸有限公司很长的名字"));
    grid->CellColour(1, 3, QStringLiteral("短"));
    QCOMPARE(grid->Column(3).WidestText, widest);
    QCOMPARE(grid->columnWidth(3), 120);
    FormMain->DBGridEh2TitleClick(3);
    QCOMPARE(grid->columnWidth(3), widest);
    grid->setColumnWidth(3, widest + 50); // a wider column is left as it is
    FormMain->DBGridEh2TitleClick(3);
    QCOMPARE(grid->columnWidth(3), widest + 50);
}

void TestBillReport::footerAndDatesFitTheirColumns_data() {
    QTest::addColumn<bool>("documents");
    QTest::newRow("documents (page 2)") << true;
    QTest::newRow("vouchers (page 5)") << false;
}

void TestBillReport::footerAndDatesFitTheirColumns() {
    QFETCH(bool, documents);
    // Eight-digit amounts and totals, and entries stored with a time of day.
    program->Exec("Insert Into Bill (BillIndex, BillKind, BillSerial, BillCreateTime, BillUser, BillSum, "
                  "BillReason, BillState, BillRemark, BillMan) Values "
                  "(6, '销售开单', 'XS100003', '2024-02-07 10:20:30', '东方商贸', 98765432.1, '商品销售', "
                  "'已发货', '', '张三'), "
                  "(7, '采购开单', 'CG100003', '2024-02-08 18:05:00', '东方商贸', -12345678.99, '商品采购', "
                  "'已发货', '', '张三')");
    program->Exec(
        "Insert Into MoneyTable (MoneyIndex, MoneyAccount, MoneyBill, MoneySerial, MoneyCreateTime, "
        "MoneyUser, MoneyReason, MoneyType, MoneyToken, MoneyRemark, MoneyMan, MoneyIn, MoneyOut, "
        "MoneySum) Values "
        "(7, 2, 6, 'SK100004', '2024-02-09 09:15:00', '东方商贸', '商品销售', '货款', '收据', '', "
        "'张三', 87654321.98, 0, 87654321.98), "
        "(8, 3, 7, 'FK100003', '2024-02-09 16:40:00', '东方商贸', '商品采购', '货款', '收据', '', "
        "'张三', 0, 23456789.12, -23456789.12)");
    DataGrid* grid = documents ? FormMain->DBGridEh2 : FormMain->DBGridEh1;
    if (documents)
        FormMain->FillBillReport(BillQueryText(BillCriteria(), QString()));
    else
        FormMain->FillMoneyReport(MoneyQueryText(MoneyCriteria(), QString()));
    // The result page as it stands in the main window, for a look at it.
    QWidget* page = grid->parentWidget();
    page->resize(1200, 320);
    page->layout()->activate();
    SaveScreenshot(page, documents ? QStringLiteral("grid_large_documents.png")
                                   : QStringLiteral("grid_large_vouchers.png"));

    // A footer cell is drawn 2 pixels in from its sides, beside the grid line.
    int sums = 0;
    for (int column = 0; column < grid->ColumnCount(); ++column) {
        const QString text = grid->FooterText(column);
        if (text.isEmpty())
            continue;
        sums += text.size() >= 11 ? 1 : 0;
        const int width = grid->Footer()->fontMetrics().horizontalAdvance(text);
        QVERIFY2(width + 5 <= grid->columnWidth(column),
                 qPrintable(
                     QStringLiteral("%1: %2 + 5 > %3").arg(text).arg(width).arg(grid->columnWidth(column))));
    }
    QVERIFY(sums >= 2); // the totals have eight digits before the point
    // A cell's text keeps the style's margins on both sides.
    const int margin = 2 * (grid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, grid) + 1);
    int withTime = 0;
    for (int row = 0; row < grid->Model()->rowCount(); ++row) {
        const QString date = grid->Model()->DisplayText(row, 0);
        withTime += date.contains(QLatin1Char(':')) ? 1 : 0;
        const int width = grid->fontMetrics().horizontalAdvance(date);
        QVERIFY2(width + margin <= grid->columnWidth(0), qPrintable(QStringLiteral("%1: %2 + %3 > %4")
                                                                        .arg(date)
                                                                        .arg(width)
                                                                        .arg(margin)
                                                                        .arg(grid->columnWidth(0))));
    }
    QCOMPARE(withTime, 2);
}

QTEST_MAIN(TestBillReport)
#include "tst_billreport.moc"
