#include "ReportFixture.h"
#include "mainwindow/MainForm.h"
#include "reports/AnalysisForm.h"
#include "reports/ReportQueries.h"

#include <QAccessible>
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
#include <QValueAxis>

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
    void figuresAreReadWithTheirCaptions();
    void negativeValuesAreNoShareOfAPie();
    void longNamesAreShortenedAndWholeInTooltips();
    void valueLabelsNeverOverlap();

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

void TestAnalysisForm::figuresAreReadWithTheirCaptions() {
    QueryWorkingMonth();
    OpenAnalysis([](TFormAnalysis* form) {
        const QStringList captions = {"应收款", "实收款",   "未收款",   "应付款",  "实付款",
                                      "未付款", "现有毛利", "预算毛利", "资金增益"};
        for (int i = 0; i < 9; ++i) {
            QLabel* figure = form->Label(11 + i);
            QAccessibleInterface* face = QAccessible::queryAccessibleInterface(figure);
            QVERIFY(face);
            QCOMPARE(face->role(), QAccessible::StaticText);
            QCOMPARE(face->text(QAccessible::Name), captions[i] + QStringLiteral("：") + figure->text());
            QCOMPARE(face->text(QAccessible::Value), figure->text());
            QCOMPARE(face->text(QAccessible::Description), captions[i]);
        }
        QCOMPARE(QAccessible::queryAccessibleInterface(form->Label(13))->text(QAccessible::Name),
                 QStringLiteral("未收款：499.75"));
        // The charts are read as their title and their points.
        QAccessibleInterface* chart = QAccessible::queryAccessibleInterface(form->Chart3);
        QCOMPARE(chart->text(QAccessible::Name), QStringLiteral("客户销售分析"));
        QCOMPARE(chart->text(QAccessible::Description), QStringLiteral("东方商贸：200\nO'Neil 公司：-300"));
    });
}

void TestAnalysisForm::negativeValuesAreNoShareOfAPie() {
    QueryWorkingMonth();
    OpenAnalysis([](TFormAnalysis* form) {
        form->ComboBox1->setCurrentIndex(1);
        auto* pie = qobject_cast<QPieSeries*>(form->Chart1->chart()->series().front());
        QVERIFY(pie);
        QCOMPARE(pie->count(), 2);
        // 李四's -300 has no slice and no label on the pie; the legend names it with its amount.
        QCOMPARE(pie->slices().at(0)->value(), 200.0);
        QCOMPARE(pie->slices().at(1)->value(), 0.0);
        QVERIFY(!pie->slices().at(1)->isLabelVisible());
        QCOMPARE(pie->slices().at(0)->percentage(), 1.0);
        QCOMPARE(Legend(form->Chart1), (QStringList{"张三：100.0%", "李四：-300"}));
        QCOMPARE(form->Chart1->accessibleDescription(), QStringLiteral("张三：200（100.0%）\n李四：-300"));
        // On bars the negative value stands below the amount axis.
        form->ComboBox1->setCurrentIndex(0);
        auto* axis = qobject_cast<QValueAxis*>(form->Chart1->chart()->axes(Qt::Vertical).value(0));
        QVERIFY(axis);
        QVERIFY(axis->isVisible());
        QVERIFY(axis->min() < -300 && axis->max() > 200);
        QCOMPARE(axis->labelFormat(), QStringLiteral("%.0f"));
    });
}

void TestAnalysisForm::longNamesAreShortenedAndWholeInTooltips() {
    const QString longName = QStringLiteral("华东地区第一机电设备进出口贸易有限责任公司");
    program->Exec(
        QStringLiteral("Update Bill Set BillUser = '%1' Where BillUser = '东方商贸'").arg(longName));
    QueryWorkingMonth();
    OpenAnalysis([&](TFormAnalysis* form) {
        QCOMPARE(form->Points(2).front().Label, longName);
        const QString shortName = QStringLiteral("华东地区第一机…");
        QCOMPARE(Legend(form->Chart3).front(), shortName + QStringLiteral("：200"));
        auto* bars = qobject_cast<QBarSeries*>(form->Chart3->chart()->series().front());
        QCOMPARE(bars->barSets().front()->label(), shortName);
        QCOMPARE(form->PointTip(2, 0), longName + QStringLiteral("：200"));
        QVERIFY(form->Chart3->accessibleDescription().startsWith(longName));
        form->ComboBox1->setCurrentIndex(1);
        auto* pie = qobject_cast<QPieSeries*>(form->Chart3->chart()->series().front());
        QCOMPARE(pie->slices().front()->label(), shortName + QStringLiteral(" 200"));
    });
}

void TestAnalysisForm::valueLabelsNeverOverlap() {
    // One large customer and nineteen small ones: short bars whose labels cannot all stand side by
    // side, thin slices whose labels would pile up.
    QStringList rows;
    for (int i = 0; i < 20; ++i)
        rows << QStringLiteral("(%1, '销售开单', 'XS2%2', '2024-02-05', '客户%3', %4, '张三')")
                    .arg(100 + i)
                    .arg(i, 5, 10, QLatin1Char('0'))
                    .arg(i)
                    .arg(i == 0 ? 123456789 : 100000 + i);
    program->Exec(
        QStringLiteral("Insert Into Bill (BillIndex, BillKind, BillSerial, BillCreateTime, BillUser, "
                       "BillSum, BillMan) Values ") +
        rows.join(QLatin1Char(',')));
    QueryWorkingMonth();
    OpenAnalysis([&](TFormAnalysis* form) {
        for (int shape = 0; shape < 2; ++shape) {
            form->ComboBox1->setCurrentIndex(shape);
            form->PageControl1->setCurrentIndex(3);
            QTest::qWait(20);
            QChart* chart = form->Chart3->chart();
            QVERIFY(chart->plotArea().width() > 100);
            const int points = static_cast<int>(form->Points(2).size());
            QCOMPARE(points, 20);
            int shown = 0;
            for (int i = 0; i < points; ++i)
                shown += form->ValueLabelShown(2, i) ? 1 : 0;
            // Some labels give way, the largest keeps its label; every value is in the legend.
            QVERIFY2(shown > 0 && shown < points,
                     qPrintable(QStringLiteral("%1 of %2, shape %3").arg(shown).arg(points).arg(shape)));
            QVERIFY(form->ValueLabelShown(2, 0));
            QCOMPARE(Legend(form->Chart3).size(), points);
            if (shape == 0) {
                auto* bars = qobject_cast<QBarSeries*>(chart->series().front());
                for (int i = 0; i < points; ++i)
                    QCOMPARE(bars->barSets().at(i)->labelColor() == QColor(Qt::transparent),
                             !form->ValueLabelShown(2, i));
                // The colours of neighbouring bars differ clearly.
                for (int i = 1; i < points; ++i)
                    QVERIFY(bars->barSets().at(i)->color() != bars->barSets().at(i - 1)->color());
            } else {
                auto* pie = qobject_cast<QPieSeries*>(chart->series().front());
                for (int i = 0; i < points; ++i)
                    QCOMPARE(pie->slices().at(i)->isLabelVisible(), form->ValueLabelShown(2, i));
            }
            SaveScreenshot(form, QStringLiteral("analysis-many-%1.png").arg(shape == 0 ? "bars" : "pie"));
        }
    });
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
        // A negative value is no share of the whole: it shows its amount.
        QCOMPARE(Legend(form->Chart1), (QStringList{"张三：100.0%", "李四：-300"}));
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
