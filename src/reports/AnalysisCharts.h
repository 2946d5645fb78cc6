#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <vector>

class Query;

// The computation behind the business analysis window: the nine sales and purchase figures and the
// points of its four charts, from the rows of the analysis query. No drawing here.

// The text the analysis window runs: the stored document query, the role clause, the grouping of
// the result grid, and a fixed order by customer, date and key.
QString AnalysisQueryText(const QString& billReportSql, const QString& billFilter);

// The nine figures: sums of BillSum, BillGet and BillOwe over the sales ("销售开单") and over all
// other documents (purchases, stored negative).
struct AnalysisFigures {
    double SalesSum = 0;
    double SalesGet = 0;
    double SalesOwe = 0;
    double PurchaseSum = 0;
    double PurchaseGet = 0;
    double PurchaseOwe = 0;
};
AnalysisFigures SumFigures(const Query& query);
// The texts of Label11 to Label19, in that order.
QStringList FigureTexts(const AnalysisFigures& figures);

// The measure boxes' items and the grouping periods.
inline const QStringList MeasureItems = {QStringLiteral("应收款"), QStringLiteral("实收款"),
                                         QStringLiteral("未收款"), QStringLiteral("客户数目"),
                                         QStringLiteral("订单数目")};
inline const QString DayPeriod = QStringLiteral("日统计");
inline const QString MonthPeriod = QStringLiteral("月统计");
inline const QString YearPeriod = QStringLiteral("年统计");
inline const QStringList PeriodItems = {DayPeriod, MonthPeriod, YearPeriod};
bool IsPeriodGrouping(const QString& grouping);

// "应收款" gives BillSum, "实收款" BillGet, "未收款" BillOwe; "客户数目" and "订单数目" stay.
QString MeasureName(const QString& measureItem);

// The label of a date in a period: the day as yyyy-MM-dd, the month as 2008-3, the year as 2008.
QString PeriodLabel(const QDate& date, const QString& period);

// One point of a chart: a label and a whole-number value.
struct ChartPoint {
    QString Label;
    qint64 Value = 0;
    bool operator==(const ChartPoint& other) const = default;
};

// The most points a chart draws.
constexpr int MaxChartPoints = 20;

// The points of one chart, in drawing order, at most MaxChartPoints.
//   measure: a field name (BillSum, BillGet, BillOwe, rounded to whole numbers, halves to even),
//            "客户数目" (1 when the customer differs from the record before) or "订单数目" (1).
//   grouping: a field name (every distinct non-empty value is a group; records with an empty value
//            belong to none), or a period name: the periods from `from` onwards are labelled in
//            advance, one slot per record (at least 20), and records dated in [from, to] add to
//            theirs.
//   sortByValue: groups largest first (equal values keep their order); periods stay in date order.
// A grouping or measure column missing from the query gives no points (a measure gives 0).
std::vector<ChartPoint> ChartPoints(const Query& query, const QString& measure, const QString& grouping,
                                    const QDate& from, const QDate& to, bool sortByValue);
// Every labelled slot of a grouping, in the order ChartPoints draws them (not cut at 20).
std::vector<ChartPoint> ChartSlots(const Query& query, const QString& measure, const QString& grouping,
                                   const QDate& from, const QDate& to, bool sortByValue);
