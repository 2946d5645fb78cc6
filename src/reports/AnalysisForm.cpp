#include "AnalysisForm.h"

#include "foundation/KestrelError.h"
#include "foundation/ShareDM.h"
#include "foundation/StatementHeartbeat.h"
#include "kit/ChartPlacement.h"
#include "kit/ErrorHandler.h"
#include "kit/Prompts.h"
#include "kit/ReadableFigure.h"
#include "kit/Workspace.h"
#include "mainwindow/MainForm.h"
#include "reports/AnalysisDiagram.h"
#include "reports/CriteriaWidgets.h"
#include "reports/ProgressForm.h"
#include "reports/ReportQueries.h"

#include <QAction>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QCursor>
#include <QDateEdit>
#include <QFontMetricsF>
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
#include <QToolTip>
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

// From this many documents on the analysis shows the progress window.
constexpr int AnalysisProgressRows = 20000;

// How many display units (a Chinese character counts two) of a name a chart shows; the whole
// name is in the tooltip.
constexpr int NameUnits = 16;

// The text a point shows in the legend: its shortened name and value, or its share of the
// positive total in percent. A negative value is no share and shows its amount.
QString LegendEntry(const ChartPoint& point, const ChartPlacement::PieSlice& slice, bool percentage) {
    const QString name = ChartPlacement::ShortName(point.Label, NameUnits) + QStringLiteral("：");
    if (!percentage || slice.Negative)
        return name + QString::number(point.Value);
    return name + QString::number(slice.Share, 'f', 1) + QLatin1Char('%');
}

// The whole name with its value (and share), for tooltips and screen readers.
QString WholeEntry(const ChartPoint& point, const ChartPlacement::PieSlice& slice, bool percentage) {
    QString entry = point.Label + QStringLiteral("：") + QString::number(point.Value);
    if (percentage && !slice.Negative)
        entry += QStringLiteral("（") + QString::number(slice.Share, 'f', 1) + QStringLiteral("%）");
    return entry;
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
        auto* figure = new FigureLabel(AnalysisDiagram::LegendText(i).section(QStringLiteral("："), 0, 0),
                                       QStringLiteral("0"), Image1);
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
    // Which value labels fit depends on the room the chart has.
    connect(chart, &QChart::plotAreaChanged, this, [this, view] {
        for (int n = 0; n < 4; ++n)
            if (ChartView(n) == view)
                UpdateValueLabels(n);
    });
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
    const QString sql = AnalysisQueryText(FormMain->BillReportSql, BillFilter);
    if (FormMain->BReportADOQuery.RecordCount() < AnalysisProgressRows || FormProgress == nullptr) {
        OpenSql(ADOQueryReport, sql, QStringLiteral("数据库打开失败"));
        ComputeSummary();
        return;
    }
    // A long result is analysed under the progress window; 取消 closes the analysis.
    {
        ProgressRun run(FormProgress, parentWidget());
        FormProgress->SetText(
            QStringLiteral("正在分析 %1 张单据，请稍候……").arg(FormMain->BReportADOQuery.RecordCount()));
        try {
            StatementHeartbeat heartbeat(
                ShareDataModule->ADOConnection1, [] { FormProgress->Creep(90); }, 250,
                [] { return FormProgress->Cancelled(); });
            ADOQueryReport.Open(sql);
        } catch (const KestrelError&) {
            ADOQueryReport.Close();
            run.Hide();
            if (!run.Cancelled())
                Prompts::Get().Information(QStringLiteral("数据库打开失败"));
        }
        if (run.Cancelled()) {
            ADOQueryReport.Close();
            reject();
            return;
        }
        run.Step(95);
        ComputeSummary();
    }
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
    std::vector<qint64> values;
    for (const ChartPoint& point : shown)
        values.push_back(point.Value);
    const std::vector<ChartPlacement::PieSlice> slices = ChartPlacement::PieSlices(values);
    const bool percentage = view == Chart1;

    // Whole names and values: in the tooltips and for assistive tools.
    QStringList& whole = tips[static_cast<size_t>(n)];
    whole.clear();
    for (size_t i = 0; i < shown.size(); ++i)
        whole << WholeEntry(shown[i], slices[i], percentage);

    if (kind == SeriesKind::Bars) {
        auto* series = new QBarSeries(this);
        series->setBarWidth(0.9);
        for (size_t i = 0; i < shown.size(); ++i) {
            auto* set = new QBarSet(ChartPlacement::ShortName(shown[i].Label, NameUnits), series);
            *set << static_cast<double>(shown[i].Value);
            set->setColor(ChartPlacement::PaletteColour(static_cast<int>(i)));
            set->setBorderColor(ChartPlacement::PaletteColour(static_cast<int>(i)).darker(130));
            set->setLabelColor(Qt::black);
            series->append(set);
        }
        series->setLabelsVisible(true);
        series->setLabelsFormat(QStringLiteral("@value"));
        series->setLabelsPrecision(15); // whole amounts in full, not as 5.75856e+06
        series->setLabelsPosition(QAbstractBarSeries::LabelsOutsideEnd);
        chart->addSeries(series);
        // The amount axis, with zero inside so negative values stand below it.
        const ChartPlacement::AxisRange range = ChartPlacement::AmountAxis(values);
        auto* scale = new QValueAxis;
        scale->setRange(range.Low, range.High);
        scale->setTickCount(range.Ticks);
        scale->setLabelFormat(QStringLiteral("%.0f"));
        scale->setTitleText(measure == QStringLiteral("客户数目") || measure == QStringLiteral("订单数目")
                                ? QStringLiteral("数目")
                                : QStringLiteral("金额（元）"));
        chart->addAxis(scale, Qt::AlignLeft);
        series->attachAxis(scale);
        connect(series, &QBarSeries::hovered, this, [this, n](bool status, int, QBarSet* set) {
            ShowPointTip(n, status, set ? set->property("Point").toInt() : -1);
        });
        for (int i = 0; i < series->count(); ++i)
            series->barSets().at(i)->setProperty("Point", i);
    } else {
        auto* series = new QPieSeries(this);
        for (size_t i = 0; i < shown.size(); ++i) {
            // Only a positive value is a share of the whole; a negative one has no slice.
            QPieSlice* slice = series->append(ChartPlacement::ShortName(shown[i].Label, NameUnits) +
                                                  QLatin1Char(' ') + QString::number(shown[i].Value),
                                              slices[i].Size);
            slice->setColor(ChartPlacement::PaletteColour(static_cast<int>(i)));
            slice->setBorderColor(Qt::white);
            slice->setLabelVisible(slices[i].Size > 0);
            slice->setProperty("Point", static_cast<int>(i));
        }
        chart->addSeries(series);
        connect(series, &QPieSeries::hovered, this, [this, n](QPieSlice* slice, bool status) {
            ShowPointTip(n, status, slice ? slice->property("Point").toInt() : -1);
        });
    }
    const QList<QLegendMarker*> markers = chart->legend()->markers();
    for (size_t i = 0; i < shown.size() && i < static_cast<size_t>(markers.size()); ++i) {
        QLegendMarker* marker = markers[static_cast<qsizetype>(i)];
        marker->setLabel(LegendEntry(shown[i], slices[i], percentage));
        const int point = static_cast<int>(i);
        connect(marker, &QLegendMarker::hovered, this,
                [this, n, point](bool status) { ShowPointTip(n, status, point); });
    }
    // The points as text, for assistive tools and for reading the chart without its picture.
    view->setAccessibleDescription(whole.join(QLatin1Char('\n')));
    UpdateValueLabels(n);
}

void TFormAnalysis::UpdateValueLabels(int n) {
    QChart* chart = ChartView(n)->chart();
    std::vector<bool>& shownLabels = labelShown[static_cast<size_t>(n)];
    shownLabels.assign(points[static_cast<size_t>(n)].size(), false);
    if (chart->series().isEmpty())
        return;
    const QRectF plot = chart->plotArea();
    if (auto* bars = qobject_cast<QBarSeries*>(chart->series().front())) {
        const QList<QBarSet*> sets = bars->barSets();
        auto* axis = qobject_cast<QValueAxis*>(chart->axes(Qt::Vertical).value(0));
        if (sets.isEmpty() || axis == nullptr)
            return;
        const double low = axis->min();
        const double high = axis->max();
        std::vector<double> ends;
        std::vector<bool> negative;
        std::vector<QSizeF> sizes;
        std::vector<qint64> values;
        for (QBarSet* set : sets) {
            const double v = set->at(0);
            ends.push_back(plot.bottom() - (v - low) / std::max(1e-9, high - low) * plot.height());
            negative.push_back(v < 0);
            sizes.push_back(QFontMetricsF(set->labelFont()).size(0, QString::number(static_cast<qint64>(v))));
            values.push_back(static_cast<qint64>(v));
        }
        const double barSpan = plot.width() * bars->barWidth();
        const std::vector<QRectF> boxes = ChartPlacement::BarLabelBoxes(
            plot.left() + (plot.width() - barSpan) / 2, barSpan, ends, negative, sizes);
        shownLabels = ChartPlacement::NonOverlapping(boxes, ChartPlacement::ByMagnitude(values));
        for (int i = 0; i < sets.size(); ++i)
            sets[i]->setLabelColor(shownLabels[static_cast<size_t>(i)] ? QColor(Qt::black)
                                                                       : QColor(Qt::transparent));
    } else if (auto* pie = qobject_cast<QPieSeries*>(chart->series().front())) {
        const QList<QPieSlice*> slices = pie->slices();
        std::vector<double> sizes;
        std::vector<QSizeF> labelSizes;
        std::vector<qint64> values;
        for (QPieSlice* slice : slices) {
            sizes.push_back(slice->value());
            labelSizes.push_back(QFontMetricsF(slice->labelFont()).size(0, slice->label()));
            values.push_back(static_cast<qint64>(slice->value()));
        }
        const double radius = std::min(plot.width(), plot.height()) / 2 * pie->pieSize();
        const std::vector<QRectF> boxes =
            ChartPlacement::PieLabelBoxes(sizes, plot.center(), radius * 1.15, labelSizes);
        std::vector<int> order = ChartPlacement::ByMagnitude(values);
        // Only slices of a positive size have a place for a label.
        std::erase_if(order, [&](int i) { return sizes[static_cast<size_t>(i)] <= 0; });
        shownLabels = ChartPlacement::NonOverlapping(boxes, order);
        for (int i = 0; i < slices.size(); ++i)
            slices[i]->setLabelVisible(shownLabels[static_cast<size_t>(i)]);
    }
}

void TFormAnalysis::ShowPointTip(int n, bool status, int point) {
    const QStringList& whole = tips[static_cast<size_t>(n)];
    if (!status || point < 0 || point >= whole.size()) {
        QToolTip::hideText();
        return;
    }
    QToolTip::showText(QCursor::pos(), whole[point], ChartView(n));
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
