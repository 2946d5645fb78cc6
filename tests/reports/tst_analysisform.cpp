#include "ReportFixture.h"
#include "mainwindow/MainForm.h"
#include "reports/AnalysisForm.h"
#include "reports/ReportQueries.h"

#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QLabel>
#include <QLegendMarker>
#include <QPieSeries>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

// The analysis window opened from page 2: its opening checks, the nine figures and the four charts
// as the user's choices redraw them. Set KESTREL_SHOTS to a folder to save a picture of each page,
// in bars and in pies.
class TestAnalysisForm : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void salesmanIsRefused();
    void needsADocumentResult();
    void showingWithoutAResultCloses();
    void opensOnTheFiguresWithTheWorkingMonth();
    void chartsFollowTheirBoxes();
    void barsAndPies();
    void emptyResultShowsZeros();
    void controlsAreReachableByTheirLabels();

private:
    std::unique_ptr<TestProgram> program;
    // Runs the quick query of the working month into page 2.
    void QueryWorkingMonth();
    // Opens the window through the main window's action and runs check while it is shown.
    void OpenAnalysis(const std::function<void(TFormAnalysis*)>& check);
    static QStringList Legend(QChartView* view);
};

void TestAnalysisForm::init() {
    program = std::make_unique<TestProgram>();
    FillSmallBook(*program);
    FormMain->SetWorkingDate(QDate(2024, 2, 15));
    CurrentRole = QStringLiteral("总经理");
    // Restore the boxes' first choices, which the window keeps between showings.
    FormAnalysis->ComboBox1->setCurrentIndex(0);
    FormAnalysis->ComboBox7->setCurrentIndex(1);
}

void TestAnalysisForm::cleanup() {
    program.reset();
}

void TestAnalysisForm::QueryWorkingMonth() {
    FormMain->FillBillReport(BillMonthQueryText(FormMain->WorkingDate()));
}

void TestAnalysisForm::OpenAnalysis(const std::function<void(TFormAnalysis*)>& check) {
    bool ran = false;
    program->Prompts().QueueModal([&](QDialog* dialog) {
        ran = true;
        check(static_cast<TFormAnalysis*>(dialog));
    });
    FormMain->ActionAnalysis->trigger();
    QVERIFY(ran);
}

QStringList TestAnalysisForm::Legend(QChartView* view) {
    QStringList labels;
    for (QLegendMarker* marker : view->chart()->legend()->markers())
        labels << marker->label();
    return labels;
}

void TestAnalysisForm::salesmanIsRefused() {
    QueryWorkingMonth();
    SignInAsSalesman(QStringLiteral("张三"));
    FormMain->ActionAnalysis->trigger();
    QCOMPARE(program->Prompts().Texts(),
             QStringList{QStringLiteral("请以财务主管，财务总监，或总经理身份登录软件，查看经营报表")});
    QCOMPARE(program->Prompts().UnexpectedModals, 0);
}

void TestAnalysisForm::needsADocumentResult() {
    FormMain->ActionAnalysis->trigger();
    QCOMPARE(program->Prompts().Texts(),
             QStringList{QStringLiteral("请先“查找单据”，生成数据报表，再进行图形分析")});
    // A rejected query text leaves no result either.
    FormMain->FillBillReport(QStringLiteral("Select Nonsense From Bill"));
    program->Prompts().Clear();
    FormMain->ActionAnalysis->trigger();
    QCOMPARE(program->Prompts().LastText(), QStringLiteral("请先“查找单据”，生成数据报表，再进行图形分析"));
    QCOMPARE(program->Prompts().UnexpectedModals, 0);
}

void TestAnalysisForm::showingWithoutAResultCloses() {
    FormAnalysis->show();
    QCOMPARE(program->Prompts().LastText(), QStringLiteral("请先生成数据报表，再进行图形分析"));
    QVERIFY(!FormAnalysis->isVisible());
    QCOMPARE(FormAnalysis->result(), int(QDialog::Rejected));
}

void TestAnalysisForm::opensOnTheFiguresWithTheWorkingMonth() {
    QueryWorkingMonth();
    OpenAnalysis([&](TFormAnalysis* form) {
        form->PageControl1->setCurrentIndex(3);
        form->hide();
        form->show(); // every showing starts on the first page again
        QCOMPARE(form->PageControl1->currentIndex(), 0);
        QCOMPARE(form->DateTimePicker1->date(), QDate(2024, 2, 1));
        QCOMPARE(form->DateTimePicker2->date(), QDate(2024, 2, 29));
        // February: sales 1000 (500.25 received), purchases -300 (-100 paid) and -800.
        const QStringList expected = {"1000", "500.25",  "499.75", "1100",  "100",
                                      "1000", "-599.75", "-100",   "400.25"};
        for (int i = 0; i < 9; ++i)
            QCOMPARE(form->Label(11 + i)->text(), expected[i]);
        QCOMPARE(form->Label(2)->text(), QStringLiteral("应收款：业务的应收金额总和"));
        QCOMPARE(form->Label(10)->text(), QStringLiteral("资金增益：实收款 － 实付款"));
        // The default last chart: one bar, the net of the working month.
        QCOMPARE(form->Points(3), (std::vector<ChartPoint>{{"2024-2", 1000 - 300 - 800}}));
        QCOMPARE(form->Chart4->accessibleDescription(), QStringLiteral("2024-2：-100"));
        // Chart1: by salesman, largest first, legend with shares.
        QCOMPARE(form->Points(0), (std::vector<ChartPoint>{{"张三", 200}, {"李四", -300}}));
        QCOMPARE(Legend(form->Chart1), (QStringList{"张三：40.0%", "李四：60.0%"}));
        QCOMPARE(Legend(form->Chart3), (QStringList{"东方商贸：200", "O'Neil 公司：-300"}));
    });
}

void TestAnalysisForm::chartsFollowTheirBoxes() {
    QueryWorkingMonth();
    OpenAnalysis([&](TFormAnalysis* form) {
        form->ComboBox2->setCurrentText(QStringLiteral("订单数目"));
        QCOMPARE(form->Points(0), (std::vector<ChartPoint>{{"张三", 2}, {"李四", 1}}));
        form->ComboBox3->setCurrentText(QStringLiteral("实收款"));
        QCOMPARE(form->Points(1), (std::vector<ChartPoint>{{"商品销售", 500}, {"商品采购", -100}}));
        form->ComboBox4->setCurrentText(QStringLiteral("业务进度"));
        QCOMPARE(form->Points(1), (std::vector<ChartPoint>{{"已发货", 500}, {"已完成", -100}}));
        form->ComboBox5->setCurrentText(QStringLiteral("客户数目"));
        QCOMPARE(form->Points(2), (std::vector<ChartPoint>{{"O'Neil 公司", 1}, {"东方商贸", 1}}));
        form->ComboBox7->setCurrentText(DayPeriod);
        QCOMPARE(form->Points(3).size(), size_t(20));
        QCOMPARE(form->Points(3)[2], (ChartPoint{"2024-02-03", 1000}));
        form->DateTimePicker1->setDate(QDate(2024, 2, 10));
        QCOMPARE(form->Points(3).front(), (ChartPoint{"2024-02-10", -300}));
        form->DateTimePicker2->setDate(QDate(2024, 2, 5));
        QCOMPARE(form->Points(3), (std::vector<ChartPoint>{{"2024-02-10", 0}}));
        form->ComboBox6->setCurrentText(QStringLiteral("订单数目"));
        form->ComboBox7->setCurrentText(MonthPeriod);
        form->DateTimePicker1->setDate(QDate(2024, 1, 1));
        form->DateTimePicker2->setDate(QDate(2024, 2, 29));
        // The query holds only February's documents.
        QCOMPARE(form->Points(3), (std::vector<ChartPoint>{{"2024-1", 0}, {"2024-2", 3}}));
    });
    // The boxes keep their choice; the dates go back to the working month.
    OpenAnalysis([&](TFormAnalysis* form) {
        QCOMPARE(form->ComboBox2->currentText(), QStringLiteral("订单数目"));
        QCOMPARE(form->DateTimePicker1->date(), QDate(2024, 2, 1));
        QCOMPARE(form->Points(3), (std::vector<ChartPoint>{{"2024-2", 3}}));
    });
}

void TestAnalysisForm::barsAndPies() {
    QueryWorkingMonth();
    const QString shots = qEnvironmentVariable("KESTREL_SHOTS");
    OpenAnalysis([&](TFormAnalysis* form) {
        form->ComboBox7->setCurrentText(DayPeriod);
        for (int shape = 0; shape < 2; ++shape) {
            form->ComboBox1->setCurrentIndex(shape);
            for (int n = 0; n < 4; ++n) {
                const QList<QAbstractSeries*> series = form->ChartView(n)->chart()->series();
                QCOMPARE(series.size(), 1);
                if (shape == 0) {
                    auto* bars = qobject_cast<QBarSeries*>(series.front());
                    QVERIFY(bars);
                    QCOMPARE(bars->count(), int(form->Points(n).size()));
                    QCOMPARE(bars->barSets().front()->at(0), double(form->Points(n).front().Value));
                } else {
                    auto* pie = qobject_cast<QPieSeries*>(series.front());
                    QVERIFY(pie);
                    QCOMPARE(pie->count(), int(form->Points(n).size()));
                    const ChartPoint& first = form->Points(n).front();
                    QCOMPARE(pie->slices().front()->label(),
                             first.Label + " " + QString::number(first.Value));
                }
            }
            if (shots.isEmpty())
                continue;
            for (int page = 0; page < form->PageControl1->count(); ++page) {
                form->PageControl1->setCurrentIndex(page);
                QTest::qWait(50);
                form->grab().save(QDir(shots).filePath(
                    QStringLiteral("analysis-%1-%2.png").arg(page + 1).arg(shape == 0 ? "bars" : "pie")));
            }
        }
    });
}

void TestAnalysisForm::emptyResultShowsZeros() {
    QueryWorkingMonth();
    OpenAnalysis([](TFormAnalysis* form) { QCOMPARE(form->Label(11)->text(), QStringLiteral("1000")); });
    // A query that finds nothing: the figures show zeros, not the last result's.
    FormMain->SetWorkingDate(QDate(2025, 6, 1));
    QueryWorkingMonth();
    QCOMPARE(FormMain->BReportADOQuery.RecordCount(), 0);
    OpenAnalysis([](TFormAnalysis* form) {
        for (int number = 11; number <= 19; ++number)
            QCOMPARE(form->Label(number)->text(), QStringLiteral("0"));
        QVERIFY(form->Points(0).empty());
        QCOMPARE(form->Points(3), (std::vector<ChartPoint>{{"2025-6", 0}}));
        QCOMPARE(form->Chart1->chart()->series().size(), 1);
    });
}

void TestAnalysisForm::controlsAreReachableByTheirLabels() {
    QueryWorkingMonth();
    OpenAnalysis([](TFormAnalysis* form) {
        QCOMPARE(form->windowTitle(), QStringLiteral("企业经营分析"));
        QStringList tabs;
        for (int i = 0; i < form->PageControl1->count(); ++i)
            tabs << form->PageControl1->tabText(i);
        QCOMPARE(tabs, (QStringList{"企业经营数据", "员工业绩分析", "业务数据分析", "客户销售分析",
                                    "公司业绩分析"}));
        QCOMPARE(form->ComboBox7->currentText(), QStringLiteral("月统计"));
        for (QComboBox* box : {form->ComboBox1, form->ComboBox2, form->ComboBox3, form->ComboBox4,
                               form->ComboBox5, form->ComboBox6, form->ComboBox7}) {
            bool labelled = false;
            for (QLabel* label : form->findChildren<QLabel*>())
                labelled = labelled || label->buddy() == box;
            QVERIFY2(labelled, qPrintable(box->objectName()));
        }
        QCOMPARE(form->Chart2->chart()->title(), QStringLiteral("业务数据分析"));
        form->SpeedButton1->click();
        QVERIFY(!form->isVisible());
    });
}

QTEST_MAIN(TestAnalysisForm)
#include "tst_analysisform.moc"
