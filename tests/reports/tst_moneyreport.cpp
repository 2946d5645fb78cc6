#include "ReportFixture.h"
#include "finance/GetPayForm.h"
#include "foundation/ShareDM.h"
#include "kit/DataGrid.h"
#include "mainwindow/MainForm.h"
#include "reports/MoneyReportForm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

// The voucher query: the criteria window, FillMoneyReport and the result grid on page 5.
class TestMoneyReport : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void allVouchersWithFooter();
    void sortOrders_data();
    void sortOrders();
    void criteria_data();
    void criteria();
    void amountWithTwoPointsIsRefusedBeforeAnyQuery();
    void salesmanSeesHisVouchersAndAccounts();
    void quickQueryIgnoresTheCriteria();
    void doubleClickOpensTheVoucher_data();
    void doubleClickOpensTheVoucher();
    void doubleClickWithoutARow();
    void rejectedTextEmptiesTheGridAndIsKept();
    void windowStartsFromScratch();
    void gridColumns();
    void paymentsAreRed();

private:
    std::unique_ptr<TestProgram> program;
    void RunCriteria(const std::function<void(TFormMoneyReport*)>& fill, bool quick = false);
    bool stayedOpen = false;
};

void TestMoneyReport::init() {
    program = std::make_unique<TestProgram>();
    FillSmallBook(*program);
    FormMain->SetWorkingDate(QDate(2024, 2, 15));
}

void TestMoneyReport::cleanup() {
    program.reset();
}

void TestMoneyReport::RunCriteria(const std::function<void(TFormMoneyReport*)>& fill, bool quick) {
    program->Prompts().QueueModal([&](QDialog* dialog) {
        auto* form = static_cast<TFormMoneyReport*>(dialog);
        fill(form);
        if (!form->isVisible())
            return; // the script closed it
        if (quick)
            form->Button1->click();
        else
            form->BitBtn1->click();
        stayedOpen = form->isVisible();
    });
    FormMain->ActionMoneyReport->trigger();
}

void TestMoneyReport::allVouchersWithFooter() {
    FormMain->FillMoneyReport(MoneyQueryText(MoneyCriteria(), QString()));
    const Query& q = FormMain->MReportADOQuery;
    QCOMPARE(Keys(q, "MoneyIndex"), QList<int>({5, 2, 3, 4, 6}));
    QCOMPARE(ValueOf(q, "MoneyIndex", 4, "AccountName").toString(), QStringLiteral("现金"));
    DataGrid* grid = FormMain->DBGridEh1;
    QCOMPARE(grid->FooterText(0), QStringLiteral("共5条"));
    QCOMPARE(grid->FooterText(4), QStringLiteral("500.25"));
    QCOMPARE(grid->FooterText(5), QStringLiteral("550.00"));
    QCOMPARE(grid->FooterText(6), QStringLiteral("-49.75"));
    QCOMPARE(grid->FooterColour(4), QColor(0, 0, 255));
    QCOMPARE(grid->FooterColour(5), QColor(255, 0, 0));
    QCOMPARE(grid->FooterColour(6), QColor(Qt::black));
    // A voucher whose account is gone is not listed.
    program->Exec("Update MoneyTable Set MoneyAccount = 99 Where MoneyIndex = 6");
    FormMain->FillMoneyReport(QString());
    QCOMPARE(Keys(q, "MoneyIndex"), QList<int>({5, 2, 3, 4}));
    QCOMPARE(grid->FooterText(0), QStringLiteral("共4条"));
}

void TestMoneyReport::sortOrders_data() {
    QTest::addColumn<int>("item");
    QTest::addColumn<QList<int>>("keys");
    QTest::newRow("按时间排") << 0 << QList<int>({5, 2, 3, 4, 6});
    QTest::newRow("按帐户排") << 1 << QList<int>({2, 4, 6, 5, 3});
    QTest::newRow("按金额排") << 2 << QList<int>({2, 3, 5, 4, 6});
}

void TestMoneyReport::sortOrders() {
    QFETCH(int, item);
    QFETCH(QList<int>, keys);
    FormMain->ComboBox9->setCurrentIndex(item); // before any query: nothing runs
    QVERIFY(!FormMain->MReportADOQuery.Active());
    FormMain->FillMoneyReport(MoneyQueryText(MoneyCriteria(), QString()));
    QCOMPARE(Keys(FormMain->MReportADOQuery, "MoneyIndex"), keys);
}

void TestMoneyReport::criteria_data() {
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QList<int>>("keys");
    QTest::newRow("nothing chosen") << ""
                                    << "" << QList<int>({5, 2, 3, 4, 6});
    QTest::newRow("receipts, a voucher of 0 among them") << "kind"
                                                         << "财务收入单" << QList<int>({5, 2, 3});
    QTest::newRow("payments") << "kind"
                              << "财务支出单" << QList<int>({4, 6});
    QTest::newRow("account") << "account"
                             << "银行" << QList<int>({5, 3});
    QTest::newRow("customer part with a quote") << "customer"
                                                << "O'N" << QList<int>({4, 6});
    QTest::newRow("remark with a quote") << "remark"
                                         << "it's" << QList<int>({3});
    QTest::newRow("serial part") << "serial"
                                 << "FK" << QList<int>({4, 6});
    QTest::newRow("salesman part") << "man"
                                   << "张" << QList<int>({5, 2, 3});
    QTest::newRow("item") << "reason"
                          << "日常费用" << QList<int>({6});
    QTest::newRow("kind of money") << "type"
                                   << "预收款" << QList<int>({5});
    QTest::newRow("paper") << "token"
                           << "发票" << QList<int>({3, 6});
    QTest::newRow("February") << "dates"
                              << "" << QList<int>({2, 3, 4, 6});
    QTest::newRow("receipts from 250") << "receipt range"
                                       << "250.." << QList<int>({2});
    QTest::newRow("receipts up to 250") << "receipt range"
                                        << "..250" << QList<int>({5, 3});
    QTest::newRow("payments from 100 to 400") << "payment range"
                                              << "100..400" << QList<int>({4});
    QTest::newRow("payments from 0 up to 500") << "payment range"
                                               << "0..500" << QList<int>({4, 6});
}

void TestMoneyReport::criteria() {
    QFETCH(QString, box);
    QFETCH(QString, value);
    QFETCH(QList<int>, keys);
    program->Exec("Insert Into Parameter (ParameterType, ParameterValue) Values (3, '收据'), (3, '发票')");
    RunCriteria([&](TFormMoneyReport* form) {
        const QStringList range = value.split(QStringLiteral(".."));
        auto choose = [&](QComboBox* combo) {
            combo->setCurrentText(value);
            QCOMPARE(combo->currentText(), value);
        };
        if (box == "kind")
            choose(form->ComboBox5);
        else if (box == "account")
            choose(form->ComboBox1);
        else if (box == "customer")
            form->ComboBox6->setEditText(value);
        else if (box == "remark")
            form->Edit3->setText(value);
        else if (box == "serial")
            form->Edit5->setText(value);
        else if (box == "man")
            form->Edit6->setText(value);
        else if (box == "reason")
            choose(form->ComboBox2);
        else if (box == "type")
            choose(form->ComboBox3);
        else if (box == "token")
            choose(form->ComboBox4);
        else if (box == "dates") {
            form->CheckBox1->click();
            QCOMPARE(form->DateTimePicker2->date(), QDate(2024, 2, 29));
        } else if (box.endsWith("range")) {
            form->ComboBox5->setCurrentIndex(box.startsWith("receipt") ? 1 : 2);
            form->CheckBox2->click();
            form->Edit2->setText(range[0]);
            form->Edit4->setText(range[1]);
        }
    });
    QVERIFY(!stayedOpen);
    QCOMPARE(FormMain->CurrentPage(), int(TFormMain::PageMoneyReport));
    QCOMPARE(Keys(FormMain->MReportADOQuery, "MoneyIndex"), keys);
    QVERIFY(program->Prompts().Texts().isEmpty());
}

void TestMoneyReport::amountWithTwoPointsIsRefusedBeforeAnyQuery() {
    RunCriteria([&](TFormMoneyReport* form) {
        form->ComboBox5->setCurrentIndex(2);
        form->CheckBox2->click();
        form->Edit2->setText("100");
        form->Edit4->setText("1.2.3");
    });
    QVERIFY(stayedOpen);
    QCOMPARE(program->Prompts().Texts(), QStringList({QStringLiteral("金额格式有误，请重新输入")}));
    QVERIFY(FormMain->MoneyReportSql.isEmpty());
    QVERIFY(!FormMain->MReportADOQuery.Active());
}

void TestMoneyReport::salesmanSeesHisVouchersAndAccounts() {
    SignInAsSalesman(QStringLiteral("李四"));
    RunCriteria([&](TFormMoneyReport* form) {
        QCOMPARE(form->Edit6->text(), QStringLiteral("李四"));
        QVERIFY(form->Edit6->isReadOnly());
        // 现金 belongs to 财务主管 and is offered; 银行 belongs to 张三 and is not.
        QCOMPARE(form->ComboBox1->count(), 2);
        QCOMPARE(form->ComboBox1->itemText(1), QStringLiteral("现金"));
    });
    QCOMPARE(Keys(FormMain->MReportADOQuery, "MoneyIndex"), QList<int>({4, 6}));
    QVERIFY(FormMain->MoneyReportSql.contains(QStringLiteral(" And (MoneyMan = '李四')")));
}

void TestMoneyReport::quickQueryIgnoresTheCriteria() {
    auto fillEverything = [](TFormMoneyReport* form) {
        form->ComboBox5->setCurrentIndex(1);
        form->Edit3->setText("nothing like this");
        if (!form->Edit6->isReadOnly())
            form->Edit6->setText("nobody");
    };
    RunCriteria(fillEverything, true);
    QCOMPARE(Keys(FormMain->MReportADOQuery, "MoneyIndex"), QList<int>({2, 3, 4, 6}));
    SignInAsSalesman(QStringLiteral("李四"));
    RunCriteria(fillEverything, true);
    QCOMPARE(Keys(FormMain->MReportADOQuery, "MoneyIndex"), QList<int>({4, 6}));
}

void TestMoneyReport::doubleClickOpensTheVoucher_data() {
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("saved");
    // Rows in date order: 5 (amount 0), 2, 3, 4 (payment), 6.
    QTest::newRow("a voucher of 0 opens as a receipt") << 0 << 5 << "财务收入单" << true;
    QTest::newRow("payment, saved") << 3 << 4 << "财务支出单" << true;
    QTest::newRow("receipt, cancelled") << 1 << 2 << "财务收入单" << false;
}

void TestMoneyReport::doubleClickOpensTheVoucher() {
    QFETCH(int, row);
    QFETCH(int, key);
    QFETCH(QString, kind);
    QFETCH(bool, saved);
    FormMain->FillMoneyReport(MoneyQueryText(MoneyCriteria(), QString()));
    DataGrid* grid = FormMain->DBGridEh1;
    QString mode, openedKind;
    qint64 opened = 0;
    bool fixed = true;
    program->Prompts().QueueModal([&](QDialog* dialog) {
        auto* form = qobject_cast<TFormGetPay*>(dialog);
        QVERIFY(form);
        mode = form->OpenMode;
        openedKind = form->OpenKind;
        opened = form->OpenMoneyIndex;
        fixed = form->CustomerFixed;
        program->Exec(
            QStringLiteral("Update MoneyTable Set MoneyRemark = 'changed' Where MoneyIndex = %1").arg(key));
        if (saved)
            form->accept();
    });
    grid->setCurrentIndex(grid->model()->index(row, 3));
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(grid->currentIndex()).center());
    QCOMPARE(program->Prompts().PendingScripts(), 0);
    QCOMPARE(mode, QStringLiteral("修改"));
    QCOMPARE(openedKind, kind);
    QCOMPARE(opened, qint64(key));
    QVERIFY(!fixed);
    // OK re-runs the stored query; a cancelled editor leaves the grid as it was.
    QCOMPARE(ValueOf(FormMain->MReportADOQuery, "MoneyIndex", key, "MoneyRemark").toString(),
             saved ? QStringLiteral("changed") : QString());
    QVERIFY(program->Prompts().Texts().isEmpty());
}

void TestMoneyReport::doubleClickWithoutARow() {
    FormMain->DBGridEh1DblClick(); // never queried
    MoneyCriteria none;
    none.Serial = QStringLiteral("no such serial");
    FormMain->FillMoneyReport(MoneyQueryText(none, QString()));
    FormMain->DBGridEh1DblClick(); // empty result
    QCOMPARE(program->Prompts().Texts(), QStringList({QStringLiteral("请先选中需要查看的记录"),
                                                      QStringLiteral("请先选中需要查看的记录")}));
    QCOMPARE(program->Prompts().UnexpectedModals, 0);
}

void TestMoneyReport::rejectedTextEmptiesTheGridAndIsKept() {
    FormMain->FillMoneyReport(MoneyQueryText(MoneyCriteria(), QString()));
    QCOMPARE(FormMain->DBGridEh1->model()->rowCount(), 5);
    const QString broken = MoneyReportSelect() + QStringLiteral(" And (NoSuchColumn > 1)");
    FormMain->FillMoneyReport(broken);
    QCOMPARE(program->Prompts().Texts(), QStringList({QStringLiteral("数据库打开失败")}));
    QVERIFY(!FormMain->MReportADOQuery.Active());
    QCOMPARE(FormMain->DBGridEh1->model()->rowCount(), 0);
    QCOMPARE(FormMain->DBGridEh1->FooterText(0), QString());
    QCOMPARE(FormMain->MoneyReportSql, broken);
    FormMain->RefreshAll(); // re-runs the failing text
    QCOMPARE(program->Prompts().Texts().size(), 2);
}

void TestMoneyReport::windowStartsFromScratch() {
    RunCriteria([&](TFormMoneyReport* form) {
        form->ComboBox5->setCurrentIndex(2);
        form->CheckBox1->click();
        form->CheckBox2->click();
        form->Edit2->setText("1");
        form->Edit3->setText("x");
        form->Edit4->setText("2");
        form->Edit5->setText("y");
        form->Edit6->setText("z");
        form->ComboBox1->setCurrentIndex(1);
        form->ComboBox6->setEditText("东方");
        form->BitBtn2->click();
    });
    QVERIFY(!FormMain->MReportADOQuery.Active());
    FormMain->SetWorkingDate(QDate(2024, 12, 5));
    RunCriteria([&](TFormMoneyReport* form) {
        for (QLineEdit* edit : {form->Edit2, form->Edit3, form->Edit4, form->Edit5, form->Edit6})
            QVERIFY2(edit->text().isEmpty(), qPrintable(edit->objectName()));
        QVERIFY(!form->CheckBox1->isChecked() && !form->CheckBox2->isChecked());
        QVERIFY(!form->DateTimePicker1->isEnabled() && !form->Edit2->isEnabled() &&
                !form->Edit4->isEnabled());
        QCOMPARE(form->DateTimePicker1->date(), QDate(2024, 12, 1));
        QCOMPARE(form->DateTimePicker2->date(), QDate(2024, 12, 31));
        QCOMPARE(form->ComboBox5->count(), 3);
        for (QComboBox* combo : {form->ComboBox5, form->ComboBox1, form->ComboBox2, form->ComboBox3,
                                 form->ComboBox4, form->ComboBox6})
            QCOMPARE(combo->currentText(), QStringLiteral("所有"));
        QCOMPARE(form->ComboBox1->count(), 3);
        QCOMPARE(form->focusWidget(), form->ComboBox5);
        form->BitBtn2->click();
    });
    QVERIFY(program->Prompts().Texts().isEmpty());
}

void TestMoneyReport::gridColumns() {
    DataGrid* grid = FormMain->DBGridEh1;
    const QStringList expected = {"创建时间/70", "单据编号/65", "帐户名称/80", "客户名称/100",
                                  "收入/65",     "支出/65",     "合计/65",     "业务员/50",
                                  "收支种类/60", "类别/60",     "凭证/60",     "备注信息/100"};
    QStringList shown;
    for (int column = 0; column < grid->model()->columnCount(); ++column)
        shown << grid->model()->headerData(column, Qt::Horizontal).toString() + "/" +
                     QString::number(grid->columnWidth(column));
    QCOMPARE(shown, expected);
    FormMain->FillMoneyReport(MoneyQueryText(MoneyCriteria(), QString()));
    const QModelIndex cell = grid->model()->index(1, 4);
    // An amount with its two decimals, right-aligned; the other cells centred.
    QCOMPARE(cell.data().toString(), QStringLiteral("300.00"));
    QCOMPARE(cell.data(Qt::TextAlignmentRole).value<Qt::Alignment>(),
             Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
    QCOMPARE(grid->model()->index(1, 3).data(Qt::TextAlignmentRole).value<Qt::Alignment>(),
             Qt::Alignment(Qt::AlignCenter));
    QVERIFY(!(grid->model()->flags(cell) & Qt::ItemIsEditable));
    QCOMPARE(grid->selectionBehavior(), QAbstractItemView::SelectRows);
    // A title click widens a column to its widest text drawn so far; it does not sort.
    const QString wide = QStringLiteral("一个很长很长的备注信息文字");
    grid->CellColour(0, 11, wide);
    FormMain->DBGridEh1TitleClick(11);
    QCOMPARE(grid->columnWidth(11), grid->fontMetrics().horizontalAdvance(wide) + 20);
    QCOMPARE(Keys(FormMain->MReportADOQuery, "MoneyIndex"), QList<int>({5, 2, 3, 4, 6}));
}

void TestMoneyReport::paymentsAreRed() {
    FormMain->FillMoneyReport(MoneyQueryText(MoneyCriteria(), QString()));
    DataGrid* grid = FormMain->DBGridEh1;
    // Rows 5, 2, 3, 4, 6: the voucher of 0 is black, the payments red, other columns black.
    QCOMPARE(grid->CellColour(0, 6, "0"), QColor(Qt::black));
    QCOMPARE(grid->CellColour(1, 6, "300"), QColor(Qt::black));
    QCOMPARE(grid->CellColour(3, 6, "-100"), QColor(255, 0, 0));
    QCOMPARE(grid->CellColour(3, 5, "100"), QColor(Qt::black));
}

QTEST_MAIN(TestMoneyReport)
#include "tst_moneyreport.moc"
