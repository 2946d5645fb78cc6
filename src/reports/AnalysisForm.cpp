#include "AnalysisForm.h"

#include "foundation/ShareDM.h"
#include "kit/ErrorHandler.h"
#include "kit/Prompts.h"
#include "kit/Workspace.h"
#include "mainwindow/MainForm.h"
#include "reports/AnalysisDiagram.h"
#include "reports/CriteriaWidgets.h"
#include "reports/ReportQueries.h"

#include <QAction>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLegendMarker>
#include <QPieSeries>
#include <QPieSlice>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <QValueAxis>
#include <cmath>

TFormAnalysis* FormAnalysis = nullptr;

namespace {

QComboBox* ChoiceBox(QWidget* parent, const char* name, const QStringList& items, int selected = 0) {
    auto* box = new QComboBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->addItems(items);
    box->setCurrentIndex(selected);
    box->setMinimumWidth(110);
    return box;
}

// A caption for a box, which it also names for assistive tools.
QLabel* BuddyLabel(QWidget* parent, const QString& text, QWidget* buddy) {
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    buddy->setAccessibleName(text.chopped(text.endsWith(QStringLiteral("：")) ? 1 : 0));
    return label;
}

// The text a point shows in the legend: its value, or its share of the whole in percent.
QString LegendEntry(const ChartPoint& point, bool percentage, qint64 total) {
    if (!percentage)
        return point.Label + QStringLiteral("：") + QString::number(point.Value);
    const double share = total == 0 ? 0.0 : 100.0 * static_cast<double>(std::llabs(point.Value)) / total;
    return point.Label + QStringLiteral("：") + QString::number(share, 'f', 1) + QLatin1Char('%');
}

} // namespace

TFormAnalysis::TFormAnalysis(QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("FormAnalysis"));
    setWindowTitle(QStringLiteral("企业经营分析"));
    setModal(true);

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setTabPosition(QTabWidget::South);
    auto addPage = [&](const char* name, const QString& caption) {
        auto* page = new QWidget(PageControl1);
        page->setObjectName(QString::fromLatin1(name));
        PageControl1->addTab(page, caption);
        return page;
    };
    TabSheet1 = addPage("TabSheet1", QStringLiteral("企业经营数据"));
    TabSheet2 = addPage("TabSheet2", QStringLiteral("员工业绩分析"));
    TabSheet3 = addPage("TabSheet3", QStringLiteral("业务数据分析"));
    TabSheet4 = addPage("TabSheet4", QStringLiteral("客户销售分析"));
    TabSheet5 = addPage("TabSheet5", QStringLiteral("公司业绩分析"));

    BuildDiagramPage();
    ComboBox2 = ChoiceBox(TabSheet2, "ComboBox2", MeasureItems);
    Chart1 = BuildChartPage(TabSheet2, "Chart1", QStringLiteral("员工业绩分析"),
                            {{QStringLiteral("分析内容："), ComboBox2}});
    ComboBox3 = ChoiceBox(TabSheet3, "ComboBox3", MeasureItems);
    ComboBox4 = ChoiceBox(TabSheet3, "ComboBox4", {QStringLiteral("业务种类"), QStringLiteral("业务进度")});
    Chart2 = BuildChartPage(
        TabSheet3, "Chart2", QStringLiteral("业务数据分析"),
        {{QStringLiteral("分析内容："), ComboBox3}, {QStringLiteral("分析对象："), ComboBox4}});
    ComboBox5 = ChoiceBox(TabSheet4, "ComboBox5", MeasureItems);
    Chart3 = BuildChartPage(TabSheet4, "Chart3", QStringLiteral("客户销售分析"),
                            {{QStringLiteral("分析内容："), ComboBox5}});
    ComboBox6 = ChoiceBox(TabSheet5, "ComboBox6", MeasureItems);
    ComboBox7 = ChoiceBox(TabSheet5, "ComboBox7", PeriodItems, 1);
    DateTimePicker1 = MakeDatePicker(TabSheet5, "DateTimePicker1");
    DateTimePicker1->setAccessibleName(QStringLiteral("起始日期"));
    DateTimePicker2 = MakeDatePicker(TabSheet5, "DateTimePicker2");
    DateTimePicker2->setAccessibleName(QStringLiteral("截止日期"));
    Chart4 = BuildChartPage(
        TabSheet5, "Chart4", QStringLiteral("公司业绩分析"),
        {{QStringLiteral("分析内容："), ComboBox6}, {QStringLiteral("分析对象："), ComboBox7}});
    // The date range sits beside the boxes of the last page.
    auto* range = static_cast<QHBoxLayout*>(TabSheet5->layout()->itemAt(0)->layout());
    range->insertWidget(range->count() - 1, DateTimePicker1);
    range->insertWidget(range->count() - 1, new QLabel(QStringLiteral("至"), TabSheet5));
    range->insertWidget(range->count() - 1, DateTimePicker2);

    // The right column: the chart shape and the exit button.
    ComboBox1 = ChoiceBox(this, "ComboBox1", {QStringLiteral("条形图显示"), QStringLiteral("饼形图显示")});
    auto* shapeLabel = BuddyLabel(this, QStringLiteral("图形形状设置"), ComboBox1);
    shapeLabel->setObjectName(QStringLiteral("Label1"));
    ActionCancel =
        new QAction(QIcon(ProgramFolder + QStringLiteral("Res/Cancel.bmp")), QStringLiteral("退出"), this);
    ActionCancel->setObjectName(QStringLiteral("ActionCancel"));
    SpeedButton1 = new QToolButton(this);
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    SpeedButton1->setDefaultAction(ActionCancel);
    SpeedButton1->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    SpeedButton1->setMinimumWidth(110);
    auto* side = new QVBoxLayout;
    side->addSpacing(8);
    side->addWidget(shapeLabel);
    side->addWidget(ComboBox1);
    side->addStretch();
    side->addWidget(SpeedButton1);
    side->addSpacing(8);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(PageControl1, 1);
    layout->addLayout(side);
    setFixedSize(900, 620);

    connect(ActionCancel, &QAction::triggered, this, Guarded(this, &TFormAnalysis::ActionCancelExecute));
    auto onChange = [this](QComboBox* box, void (TFormAnalysis::*handler)()) {
        connect(box, &QComboBox::currentIndexChanged, this, Guarded(this, handler));
    };
    onChange(ComboBox1, &TFormAnalysis::ComboBox1Change);
    onChange(ComboBox2, &TFormAnalysis::ComboBox2Change);
    onChange(ComboBox3, &TFormAnalysis::ComboBox3Change);
    onChange(ComboBox4, &TFormAnalysis::ComboBox4Change);
    onChange(ComboBox5, &TFormAnalysis::ComboBox5Change);
    onChange(ComboBox6, &TFormAnalysis::ComboBox6Change);
    onChange(ComboBox7, &TFormAnalysis::ComboBox7Change);
    connect(DateTimePicker1, &QDateEdit::dateChanged, this,
            Guarded(this, &TFormAnalysis::DateTimePicker1Change));
    connect(DateTimePicker2, &QDateEdit::dateChanged, this,
            Guarded(this, &TFormAnalysis::DateTimePicker2Change));
}

void TFormAnalysis::BuildDiagramPage() {
    Image1 = new QLabel(TabSheet1);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(AnalysisDiagram::Draw());
    Image1->setFixedSize(AnalysisDiagram::Size());
    QFont figureFont = Image1->font();
    figureFont.setPixelSize(15);
    figureFont.setBold(true);
    auto* legend = new QGridLayout;
    legend->setHorizontalSpacing(18);
    for (int i = 0; i < AnalysisDiagram::Figures; ++i) {
        auto* figure = new QLabel(QStringLiteral("0"), Image1);
        figure->setObjectName(QStringLiteral("Label%1").arg(11 + i));
        figure->setGeometry(AnalysisDiagram::FigureRect(i));
        figure->setAlignment(Qt::AlignCenter);
        figure->setFont(figureFont);
        figure->setStyleSheet(QStringLiteral("color: %1").arg(AnalysisDiagram::FigureColour(i).name()));
        FigureLabels[static_cast<size_t>(i)] = figure;

        auto* line = new QLabel(AnalysisDiagram::LegendText(i), TabSheet1);
        line->setObjectName(QStringLiteral("Label%1").arg(2 + i));
        line->setStyleSheet(QStringLiteral("color: %1").arg(AnalysisDiagram::LegendColour(i).name()));
        LegendLabels[static_cast<size_t>(i)] = line;
        legend->addWidget(line, i % 3, i / 3);
        figure->setAccessibleName(AnalysisDiagram::LegendText(i).section(QStringLiteral("："), 0, 0));
    }
    auto* layout = new QVBoxLayout(TabSheet1);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(Image1, 0, Qt::AlignHCenter);
    layout->addSpacing(8);
    layout->addLayout(legend);
    layout->addStretch();
}

QChartView* TFormAnalysis::BuildChartPage(QWidget* page, const char* name, const QString& title,
                                          const std::vector<std::pair<QString, QComboBox*>>& boxes) {
    auto* top = new QHBoxLayout;
    for (const auto& [caption, box] : boxes) {
        top->addWidget(BuddyLabel(page, caption, box));
        top->addWidget(box);
        top->addSpacing(12);
    }
    top->addStretch();
    auto* chart = new QChart;
    chart->setTitle(title);
    QFont titleFont = chart->titleFont();
    titleFont.setPixelSize(16);
    titleFont.setBold(true);
    chart->setTitleFont(titleFont);
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->legend()->setAlignment(Qt::AlignRight);
    QFont legendFont = chart->legend()->font();
    legendFont.setPixelSize(10);
    chart->legend()->setFont(legendFont);
    auto* view = new QChartView(chart, page);
    view->setObjectName(QString::fromLatin1(name));
    view->setRenderHint(QPainter::Antialiasing);
    view->setAccessibleName(title);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addLayout(top);
    layout->addWidget(view, 1);
    return view;
}

QLabel* TFormAnalysis::Label(int number) const {
    if (number >= 2 && number <= 10)
        return LegendLabels[static_cast<size_t>(number - 2)];
    if (number >= 11 && number <= 19)
        return FigureLabels[static_cast<size_t>(number - 11)];
    return nullptr;
}

QChartView* TFormAnalysis::ChartView(int chart) const {
    const std::array<QChartView*, 4> views = {Chart1, Chart2, Chart3, Chart4};
    return views[static_cast<size_t>(chart)];
}

void TFormAnalysis::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TFormAnalysis::FormShow() {
    if (parentWidget())
        move(parentWidget()->geometry().center() - rect().center());
    PageControl1->setCurrentIndex(0);
    {
        // Setting the range is no change of the user's: the charts are drawn once below.
        const QSignalBlocker block1(DateTimePicker1);
        const QSignalBlocker block2(DateTimePicker2);
        DateTimePicker1->setDate(MonthFirstDay(Workspace::Get().WorkingDate()));
        DateTimePicker2->setDate(MonthLastDay(Workspace::Get().WorkingDate()));
    }
    if (!FormMain->BReportADOQuery.Active()) {
        Prompts::Get().Information(QStringLiteral("请先生成数据报表，再进行图形分析"));
        reject();
        return;
    }
    ADOQueryReport.SetConnection(&ShareDataModule->ADOConnection1);
    OpenSql(ADOQueryReport, AnalysisQueryText(FormMain->BillReportSql, BillFilter),
            QStringLiteral("数据库打开失败"));
    ComputeSummary();
}

void TFormAnalysis::ComputeSummary() {
    // A result without rows shows zeros rather than the figures of an earlier result.
    const QStringList texts =
        FigureTexts(ADOQueryReport.Active() ? SumFigures(ADOQueryReport) : AnalysisFigures());
    for (int i = 0; i < AnalysisDiagram::Figures; ++i)
        FigureLabels[static_cast<size_t>(i)]->setText(texts[i]);
    for (int n = 0; n < 4; ++n)
        RefreshChart(n);
}

void TFormAnalysis::RefreshChart(int n) {
    if (!FormMain->BReportADOQuery.Active())
        return;
    const SeriesKind kind = ComboBox1->currentIndex() == 1 ? SeriesKind::Pie : SeriesKind::Bars;
    const std::array<QComboBox*, 4> measures = {ComboBox2, ComboBox3, ComboBox5, ComboBox6};
    const QString measure = MeasureName(measures[static_cast<size_t>(n)]->currentText());
    QString grouping;
    switch (n) {
    case 0:
        grouping = QStringLiteral("BillMan");
        break;
    case 1:
        grouping =
            ComboBox4->currentIndex() == 0 ? QStringLiteral("BillReason") : QStringLiteral("BillState");
        break;
    case 2:
        grouping = QStringLiteral("BillUser");
        break;
    default:
        grouping = ComboBox7->currentText();
        break;
    }
    BuildChart(ChartView(n), measure, ADOQueryReport, kind, grouping);
}

void TFormAnalysis::BuildChart(QChartView* view, const QString& measure, const Query& query, SeriesKind kind,
                               const QString& grouping) {
    QChart* chart = view->chart();
    chart->removeAllSeries();
    for (QAbstractAxis* axis : chart->axes()) {
        chart->removeAxis(axis);
        delete axis;
    }
    const int n = view == Chart1 ? 0 : view == Chart2 ? 1 : view == Chart3 ? 2 : 3;
    std::vector<ChartPoint>& shown = points[static_cast<size_t>(n)];
    shown = query.Active() ? ChartPoints(query, measure, grouping, DateTimePicker1->date(),
                                         DateTimePicker2->date(), view != Chart4)
                           : std::vector<ChartPoint>();
    qint64 total = 0;
    for (const ChartPoint& point : shown)
        total += std::llabs(point.Value);
    const bool percentage = view == Chart1;

    QStringList entries;
    if (kind == SeriesKind::Bars) {
        auto* series = new QBarSeries(this);
        for (const ChartPoint& point : shown) {
            auto* set = new QBarSet(point.Label, series);
            *set << static_cast<double>(point.Value);
            set->setLabelColor(Qt::black);
            series->append(set);
        }
        series->setLabelsVisible(true);
        series->setLabelsFormat(QStringLiteral("@value"));
        series->setLabelsPrecision(15); // whole amounts in full, not as 5.75856e+06
        series->setLabelsPosition(QAbstractBarSeries::LabelsOutsideEnd);
        chart->addSeries(series);
        // A hidden scale with room above and below the bars for their marks.
        qint64 low = 0, high = 0;
        for (const ChartPoint& point : shown) {
            low = std::min(low, point.Value);
            high = std::max(high, point.Value);
        }
        const double room = std::max<double>(1, static_cast<double>(high - low)) * 0.12;
        auto* scale = new QValueAxis;
        scale->setRange(low < 0 ? low - room : 0, high > 0 ? high + room : 0);
        scale->setVisible(false);
        chart->addAxis(scale, Qt::AlignLeft);
        series->attachAxis(scale);
    } else {
        auto* series = new QPieSeries(this);
        for (const ChartPoint& point : shown) {
            // A slice's size is the amount without its sign; its mark keeps the sign.
            QPieSlice* slice = series->append(point.Label, static_cast<double>(std::llabs(point.Value)));
            slice->setLabel(point.Label + QLatin1Char(' ') + QString::number(point.Value));
            slice->setLabelVisible(true);
        }
        chart->addSeries(series);
    }
    const QList<QLegendMarker*> markers = chart->legend()->markers();
    for (size_t i = 0; i < shown.size() && i < static_cast<size_t>(markers.size()); ++i) {
        const QString entry = LegendEntry(shown[i], percentage, total);
        markers[static_cast<qsizetype>(i)]->setLabel(entry);
        entries << entry;
    }
    // The points as text, for assistive tools and for reading the chart without its picture.
    view->setAccessibleDescription(entries.join(QLatin1Char('\n')));
}

void TFormAnalysis::ActionCancelExecute() {
    reject();
}

void TFormAnalysis::ComboBox1Change() {
    for (int n = 0; n < 4; ++n)
        RefreshChart(n);
}

void TFormAnalysis::ComboBox2Change() {
    RefreshChart(0);
}

void TFormAnalysis::ComboBox3Change() {
    RefreshChart(1);
}

void TFormAnalysis::ComboBox4Change() {
    RefreshChart(1);
}

void TFormAnalysis::ComboBox5Change() {
    RefreshChart(2);
}

void TFormAnalysis::ComboBox6Change() {
    RefreshChart(3);
}

void TFormAnalysis::ComboBox7Change() {
    RefreshChart(3);
}

void TFormAnalysis::DateTimePicker1Change() {
    RefreshChart(3);
}

void TFormAnalysis::DateTimePicker2Change() {
    RefreshChart(3);
}
