#include "AnalysisCharts.h"

#include "foundation/JetSql.h"
#include "foundation/PublicFunction.h"
#include "foundation/Query.h"
#include "reports/ReportQueries.h"

#include <QHash>
#include <algorithm>
#include <cmath>

QString AnalysisQueryText(const QString& billReportSql, const QString& billFilter) {
    return billReportSql + billFilter + QStringLiteral(" Order By BillUser,BillCreateTime,BillIndex");
}

AnalysisFigures SumFigures(const Query& query) {
    AnalysisFigures f;
    const int kind = query.FieldIndex(QStringLiteral("BillKind"));
    const int sum = query.FieldIndex(QStringLiteral("BillSum"));
    const int get = query.FieldIndex(QStringLiteral("BillGet"));
    const int owe = query.FieldIndex(QStringLiteral("BillOwe"));
    auto value = [&](int row, int column) {
        return column < 0 ? 0.0 : query.ValueAt(row, column).toDouble();
    };
    const QString sale = QStringLiteral("销售开单");
    for (int row = 0; row < query.RecordCount(); ++row) {
        const bool isSale = kind >= 0 && query.ValueAt(row, kind).toString() == sale;
        (isSale ? f.SalesSum : f.PurchaseSum) += value(row, sum);
        (isSale ? f.SalesGet : f.PurchaseGet) += value(row, get);
        (isSale ? f.SalesOwe : f.PurchaseOwe) += value(row, owe);
    }
    return f;
}

QStringList FigureTexts(const AnalysisFigures& f) {
    return {
        RoundAmountText(f.SalesSum),                 // 应收款
        RoundAmountText(f.SalesGet),                 // 实收款
        RoundAmountText(f.SalesOwe),                 // 未收款
        RoundAmountText(std::fabs(f.PurchaseSum)),   // 应付款
        RoundAmountText(std::fabs(f.PurchaseGet)),   // 实付款
        RoundAmountText(std::fabs(f.PurchaseOwe)),   // 未付款
        RoundAmountText(f.SalesGet + f.PurchaseSum), // 现有毛利: 实收款 - 应付款
        RoundAmountText(f.SalesSum + f.PurchaseSum), // 预算毛利: 应收款 - 应付款
        RoundAmountText(f.SalesGet + f.PurchaseGet), // 资金增益: 实收款 - 实付款
    };
}

bool IsPeriodGrouping(const QString& grouping) {
    return PeriodItems.contains(grouping);
}

QString MeasureName(const QString& measureItem) {
    if (measureItem == MeasureItems[0])
        return QStringLiteral("BillSum");
    if (measureItem == MeasureItems[1])
        return QStringLiteral("BillGet");
    if (measureItem == MeasureItems[2])
        return QStringLiteral("BillOwe");
    return measureItem;
}

QString PeriodLabel(const QDate& date, const QString& period) {
    if (period == MonthPeriod)
        return QString::number(date.year()) + QLatin1Char('-') + QString::number(date.month());
    const QString day = StoredDateText(date);
    return period == YearPeriod ? day.left(4) : day;
}

namespace {

// The value one record adds to its group. The customer count remembers the customer of the record
// measured before, so a run of one customer's documents counts once.
class Measure {
public:
    Measure(const Query& query, const QString& name)
        : query(query) {
        if (name == MeasureItems[3]) {
            kind = Kind::Customers;
            column = query.FieldIndex(QStringLiteral("BillUser"));
        } else if (name == MeasureItems[4]) {
            kind = Kind::Documents;
        } else {
            column = query.FieldIndex(name);
        }
    }

    qint64 Of(int row) {
        switch (kind) {
        case Kind::Documents:
            return 1;
        case Kind::Customers: {
            if (column < 0)
                return 0;
            QString user = query.ValueAt(row, column).toString();
            if (user == remembered)
                return 0;
            remembered = std::move(user);
            return 1;
        }
        case Kind::Field:
            break;
        }
        if (column < 0)
            return 0;
        return static_cast<qint64>(JetRound(query.ValueAt(row, column).toDouble(), 0));
    }

private:
    enum class Kind { Field, Customers, Documents };
    const Query& query;
    Kind kind = Kind::Field;
    int column = -1;
    QString remembered;
};

// The table a grouping fills, in the order they were labelled, with a hash from label to slot so
// that every record of a large result finds its group at once.
class SlotTable {
public:
    explicit SlotTable(qint64 capacity)
        : capacity(capacity) {}

    bool Full() const { return static_cast<qint64>(points.size()) >= capacity; }
    // The slot of a label, claimed when new and a slot is left; -1 when none is left.
    int Find(const QString& label) {
        const auto found = index.constFind(label);
        if (found != index.constEnd())
            return found.value();
        if (Full())
            return -1;
        index.insert(label, static_cast<int>(points.size()));
        points.push_back({label, 0});
        return static_cast<int>(points.size()) - 1;
    }
    std::vector<ChartPoint> points;

private:
    qint64 capacity;
    QHash<QString, int> index;
};

// The day of a stored date text ("yyyy-MM-dd", maybe followed by a time of day).
QDate StoredDay(const QString& text) {
    if (text.size() >= 10 && text[4] == QLatin1Char('-') && text[7] == QLatin1Char('-')) {
        bool y, m, d;
        const QDate date(text.left(4).toInt(&y), text.mid(5, 2).toInt(&m), text.mid(8, 2).toInt(&d));
        if (y && m && d)
            return date;
    }
    return ParseStoredDate(text).date();
}

QDate NextPeriod(const QDate& date, const QString& period) {
    if (period == DayPeriod)
        return date.addDays(1);
    return date.addMonths(period == MonthPeriod ? 1 : 12);
}

void GroupByField(const Query& query, Measure& measure, int column, SlotTable& table) {
    for (int row = 0; row < query.RecordCount(); ++row) {
        const qint64 value = measure.Of(row); // measured even for an empty value: it moves the
                                              // remembered customer on
        const QString label = query.ValueAt(row, column).toString();
        if (label.isEmpty())
            continue;
        table.points[static_cast<size_t>(table.Find(label))].Value += value;
    }
}

void GroupByPeriod(const Query& query, Measure& measure, int column, const QString& period, const QDate& from,
                   const QDate& to, SlotTable& table) {
    for (QDate d = from; d.isValid() && !table.Full(); d = NextPeriod(d, period)) {
        table.Find(PeriodLabel(d, period));
        if (NextPeriod(d, period) > to)
            break;
    }
    for (int row = 0; row < query.RecordCount(); ++row) {
        const QDate day = StoredDay(query.ValueAt(row, column).toString());
        if (!day.isValid() || day < from || day > to)
            continue;
        const int slot = table.Find(PeriodLabel(day, period));
        if (slot >= 0)
            table.points[static_cast<size_t>(slot)].Value += measure.Of(row);
    }
}

} // namespace

std::vector<ChartPoint> ChartSlots(const Query& query, const QString& measureName, const QString& grouping,
                                   const QDate& from, const QDate& to, bool sortByValue) {
    const bool byPeriod = IsPeriodGrouping(grouping);
    const int column = query.FieldIndex(byPeriod ? QStringLiteral("BillCreateTime") : grouping);
    if (column < 0)
        return {};
    Measure measure(query, measureName);
    const qint64 records = query.RecordCount();
    SlotTable table(byPeriod ? std::max<qint64>(records, MaxChartPoints) + 1 : records + 1);
    if (byPeriod)
        GroupByPeriod(query, measure, column, grouping, from, to, table);
    else
        GroupByField(query, measure, column, table);
    std::vector<ChartPoint>& points = table.points;
    if (sortByValue)
        std::stable_sort(points.begin(), points.end(),
                         [](const ChartPoint& a, const ChartPoint& b) { return a.Value > b.Value; });
    return std::move(points);
}

std::vector<ChartPoint> ChartPoints(const Query& query, const QString& measure, const QString& grouping,
                                    const QDate& from, const QDate& to, bool sortByValue) {
    std::vector<ChartPoint> points = ChartSlots(query, measure, grouping, from, to, sortByValue);
    if (points.size() > MaxChartPoints)
        points.resize(MaxChartPoints);
    return points;
}
