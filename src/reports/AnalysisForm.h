#pragma once

#include "foundation/Query.h"
#include "reports/AnalysisCharts.h"

#include <QDialog>
#include <QStringList>
#include <array>
#include <vector>

class QAction;
class QChartView;
class QComboBox;
class QDateEdit;
class QLabel;
class QTabWidget;
class QToolButton;
class QWidget;

// The business analysis window: nine sales and purchase figures on a diagram, and four charts of
// the current document query result by salesman, by business kind or progress, by customer and by
// period.
class TFormAnalysis : public QDialog {
    Q_OBJECT
public:
    explicit TFormAnalysis(QWidget* parent = nullptr);

    enum class SeriesKind { Bars, Pie };

    QTabWidget* PageControl1;
    QWidget* TabSheet1; // 企业经营数据
    QWidget* TabSheet2; // 员工业绩分析
    QWidget* TabSheet3; // 业务数据分析
    QWidget* TabSheet4; // 客户销售分析
    QWidget* TabSheet5; // 公司业绩分析
    QLabel* Image1;     // the diagram, with the nine figures on it
    // Legend lines Label2..Label10 and figures Label11..Label19, by number.
    std::array<QLabel*, 9> LegendLabels{};
    std::array<QLabel*, 9> FigureLabels{};
    QLabel* Label(int number) const; // Label2 .. Label19
    QChartView* Chart1;
    QChartView* Chart2;
    QChartView* Chart3;
    QChartView* Chart4;
    QComboBox* ComboBox1; // 条形图显示 / 饼形图显示
    QComboBox* ComboBox2; // measure of Chart1
    QComboBox* ComboBox3; // measure of Chart2
    QComboBox* ComboBox4; // grouping of Chart2: 业务种类 / 业务进度
    QComboBox* ComboBox5; // measure of Chart3
    QComboBox* ComboBox6; // measure of Chart4
    QComboBox* ComboBox7; // period of Chart4
    QDateEdit* DateTimePicker1;
    QDateEdit* DateTimePicker2;
    QAction* ActionCancel;
    QToolButton* SpeedButton1; // 退出

    // The analysis records: a fresh run of the stored document query at each showing.
    Query ADOQueryReport;

    // The points each chart shows now (Chart1..Chart4 as 0..3).
    const std::vector<ChartPoint>& Points(int chart) const { return points[static_cast<size_t>(chart)]; }
    QChartView* ChartView(int chart) const;
    // Whether the value label of point i of a chart is drawn (labels that would overlap another
    // are left to the legend and the tooltip).
    bool ValueLabelShown(int chart, int i) const {
        const auto& shown = labelShown[static_cast<size_t>(chart)];
        return i >= 0 && static_cast<size_t>(i) < shown.size() && shown[static_cast<size_t>(i)];
    }
    // The whole name and value of point i, as its tooltip shows it.
    QString PointTip(int chart, int i) const { return tips[static_cast<size_t>(chart)].value(i); }

    // The nine figures, then every chart.
    void ComputeSummary();
    // Redraws chart n (0..3) from the boxes' choices.
    void RefreshChart(int n);
    void BuildChart(QChartView* chart, const QString& measure, const Query& query, SeriesKind kind,
                    const QString& grouping);

public slots:
    void FormShow();
    void ActionCancelExecute();
    void ComboBox1Change();
    void ComboBox2Change();
    void ComboBox3Change();
    void ComboBox4Change();
    void ComboBox5Change();
    void ComboBox6Change();
    void ComboBox7Change();
    void DateTimePicker1Change();
    void DateTimePicker2Change();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void BuildDiagramPage();
    QChartView* BuildChartPage(QWidget* page, const char* name, const QString& title,
                               const std::vector<std::pair<QString, QComboBox*>>& boxes);
    void UpdateValueLabels(int n);
    void ShowPointTip(int n, bool status, int point);
    std::array<std::vector<ChartPoint>, 4> points;
    std::array<QStringList, 4> tips;
    std::array<std::vector<bool>, 4> labelShown;
};

extern TFormAnalysis* FormAnalysis;
