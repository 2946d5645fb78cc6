#include "kit/ChartPlacement.h"

#include <QTest>

// The placement rules of the charts: which value labels are drawn, the palette, pies with
// negative values, shortened names and the amount axis.
class TestChartPlacement : public QObject {
    Q_OBJECT
private slots:
    void paletteIsDistinctAndNeverNearWhite();
    void shortName_data();
    void shortName();
    void nonOverlapping_data();
    void nonOverlapping();
    void barLabelsOfManyBarsDoNotOverlap_data();
    void barLabelsOfManyBarsDoNotOverlap();
    void pieSlices_data();
    void pieSlices();
    void pieLabelsOfThinSlicesGiveWay();
    void amountAxis_data();
    void amountAxis();
};

using Boxes = std::vector<QRectF>;
using Flags = std::vector<bool>;
using Values = std::vector<qint64>;

void TestChartPlacement::paletteIsDistinctAndNeverNearWhite() {
    const int n = ChartPlacement::PaletteSize();
    QVERIFY(n >= 20); // a chart draws up to twenty points
    double nearest = 1e9;
    for (int i = 0; i < n; ++i) {
        const QColor colour = ChartPlacement::PaletteColour(i);
        // A legend swatch on white must stand out: no colour lighter than a mid tone.
        QVERIFY2(colour.lightnessF() <= 0.7, qPrintable(colour.name()));
        QVERIFY2(ChartPlacement::ColourDistance(colour, Qt::white) > 250, qPrintable(colour.name()));
        for (int j = i + 1; j < n; ++j)
            nearest =
                std::min(nearest, ChartPlacement::ColourDistance(colour, ChartPlacement::PaletteColour(j)));
    }
    QVERIFY2(nearest >= 90, qPrintable(QString::number(nearest)));
    // It repeats rather than running out.
    QCOMPARE(ChartPlacement::PaletteColour(n), ChartPlacement::PaletteColour(0));
    QCOMPARE(ChartPlacement::PaletteColour(-1), ChartPlacement::PaletteColour(n - 1));
}

void TestChartPlacement::shortName_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("units");
    QTest::addColumn<QString>("expected");
    QTest::newRow("fits") << "东方商贸" << 16 << "东方商贸";
    QTest::newRow("exactly fits") << "一二三四五六七八" << 16 << "一二三四五六七八";
    QTest::newRow("one too many") << "一二三四五六七八九" << 16 << "一二三四五六七…";
    QTest::newRow("latin") << "O'Neil Trading Company Ltd" << 16 << "O'Neil Trading …";
    QTest::newRow("mixed") << "ABC东方商贸有限公司" << 12 << "ABC东方商贸…";
    QTest::newRow("empty") << "" << 16 << "";
    QTest::newRow("date label stays") << "2024-02-03" << 16 << "2024-02-03";
}

void TestChartPlacement::shortName() {
    QFETCH(QString, name);
    QFETCH(int, units);
    QFETCH(QString, expected);
    QCOMPARE(ChartPlacement::ShortName(name, units), expected);
}

void TestChartPlacement::nonOverlapping_data() {
    QTest::addColumn<Boxes>("boxes");
    QTest::addColumn<std::vector<int>>("order");
    QTest::addColumn<Flags>("shown");
    QTest::newRow("apart") << Boxes{{0, 0, 10, 10}, {20, 0, 10, 10}} << std::vector<int>{0, 1}
                           << Flags{true, true};
    QTest::newRow("overlap: the first in order wins")
        << Boxes{{0, 0, 10, 10}, {5, 5, 10, 10}} << std::vector<int>{1, 0} << Flags{false, true};
    QTest::newRow("touching edges do not overlap")
        << Boxes{{0, 0, 10, 10}, {10, 0, 10, 10}} << std::vector<int>{0, 1} << Flags{true, true};
    QTest::newRow("a chain: middle gives way") << Boxes{{0, 0, 10, 10}, {8, 0, 10, 10}, {16, 0, 10, 10}}
                                               << std::vector<int>{0, 2, 1} << Flags{true, false, true};
    QTest::newRow("empty boxes never clash")
        << Boxes{{}, {0, 0, 10, 10}} << std::vector<int>{0, 1} << Flags{true, true};
    QTest::newRow("indices out of range are skipped")
        << Boxes{{0, 0, 10, 10}} << std::vector<int>{3, -1, 0} << Flags{true};
}

void TestChartPlacement::nonOverlapping() {
    QFETCH(Boxes, boxes);
    QFETCH(std::vector<int>, order);
    QFETCH(Flags, shown);
    QCOMPARE(ChartPlacement::NonOverlapping(boxes, order), shown);
}

void TestChartPlacement::barLabelsOfManyBarsDoNotOverlap_data() {
    QTest::addColumn<int>("bars");
    QTest::addColumn<double>("width");
    QTest::addColumn<double>("labelWidth");
    QTest::addColumn<int>("atLeast");
    QTest::addColumn<int>("atMost");
    QTest::newRow("few bars, all labels") << 4 << 600.0 << 60.0 << 4 << 4;
    QTest::newRow("twenty narrow bars") << 20 << 500.0 << 60.0 << 5 << 10;
    QTest::newRow("one bar") << 1 << 100.0 << 200.0 << 1 << 1;
}

void TestChartPlacement::barLabelsOfManyBarsDoNotOverlap() {
    QFETCH(int, bars);
    QFETCH(double, width);
    QFETCH(double, labelWidth);
    QFETCH(int, atLeast);
    QFETCH(int, atMost);
    // Bars of nearly equal height: their labels stand on one line.
    std::vector<double> ends;
    Values values;
    for (int i = 0; i < bars; ++i) {
        ends.push_back(100 + i % 2);
        values.push_back(1000000 - i);
    }
    const Boxes boxes =
        ChartPlacement::BarLabelBoxes(10, width, ends, Flags(size_t(bars), false),
                                      std::vector<QSizeF>(size_t(bars), QSizeF(labelWidth, 14)));
    const Flags shown = ChartPlacement::NonOverlapping(boxes, ChartPlacement::ByMagnitude(values));
    const int count = static_cast<int>(std::count(shown.begin(), shown.end(), true));
    QVERIFY2(count >= atLeast && count <= atMost, qPrintable(QString::number(count)));
    QVERIFY(shown.front()); // the largest value keeps its label
    for (size_t i = 0; i < boxes.size(); ++i)
        for (size_t j = i + 1; j < boxes.size(); ++j)
            QVERIFY(!(shown[i] && shown[j] && boxes[i].intersects(boxes[j])));
    // A negative bar's label stands below its end.
    const Boxes below = ChartPlacement::BarLabelBoxes(0, 100, {200}, {true}, {QSizeF(20, 10)});
    QVERIFY(below.front().top() >= 200);
}

void TestChartPlacement::pieSlices_data() {
    QTest::addColumn<Values>("values");
    QTest::addColumn<std::vector<double>>("sizes");
    QTest::addColumn<std::vector<double>>("shares");
    QTest::addColumn<qint64>("total");
    QTest::newRow("all positive") << Values{200, 300} << std::vector<double>{200, 300}
                                  << std::vector<double>{40, 60} << qint64(500);
    QTest::newRow("a negative value is no share")
        << Values{200, -300} << std::vector<double>{200, 0} << std::vector<double>{100, 0} << qint64(200);
    QTest::newRow("zero is no slice")
        << Values{0, 50} << std::vector<double>{0, 50} << std::vector<double>{0, 100} << qint64(50);
    QTest::newRow("only negatives") << Values{-1, -2} << std::vector<double>{0, 0}
                                    << std::vector<double>{0, 0} << qint64(0);
    QTest::newRow("none") << Values{} << std::vector<double>{} << std::vector<double>{} << qint64(0);
}

void TestChartPlacement::pieSlices() {
    QFETCH(Values, values);
    QFETCH(std::vector<double>, sizes);
    QFETCH(std::vector<double>, shares);
    QFETCH(qint64, total);
    const std::vector<ChartPlacement::PieSlice> slices = ChartPlacement::PieSlices(values);
    QCOMPARE(slices.size(), values.size());
    QCOMPARE(ChartPlacement::PositiveTotal(values), total);
    for (size_t i = 0; i < slices.size(); ++i) {
        QCOMPARE(slices[i].Size, sizes[i]);
        QCOMPARE(slices[i].Share, shares[i]);
        QCOMPARE(slices[i].Negative, values[i] < 0);
    }
}

void TestChartPlacement::pieLabelsOfThinSlicesGiveWay() {
    // One large slice and ten thin ones side by side: the thin ones' labels would pile up.
    std::vector<double> sizes = {1000};
    Values values = {1000};
    for (int i = 0; i < 10; ++i) {
        sizes.push_back(5);
        values.push_back(5);
    }
    const std::vector<QSizeF> labels(sizes.size(), QSizeF(80, 14));
    const Boxes boxes = ChartPlacement::PieLabelBoxes(sizes, QPointF(300, 200), 120, labels);
    QCOMPARE(boxes.size(), sizes.size());
    const Flags shown = ChartPlacement::NonOverlapping(boxes, ChartPlacement::ByMagnitude(values));
    QVERIFY(shown.front());
    const int count = static_cast<int>(std::count(shown.begin(), shown.end(), true));
    QVERIFY2(count > 1 && count < 11, qPrintable(QString::number(count)));
    for (size_t i = 0; i < boxes.size(); ++i)
        for (size_t j = i + 1; j < boxes.size(); ++j)
            QVERIFY(!(shown[i] && shown[j] && boxes[i].intersects(boxes[j])));
    // Labels stand outside the pie: the large slice (middle at 6 o'clock... of its own span) is
    // labelled beyond the rim.
    const Boxes two =
        ChartPlacement::PieLabelBoxes({1, 1}, QPointF(0, 0), 100, {QSizeF(40, 10), QSizeF(40, 10)});
    QVERIFY(two[0].left() >= 100);   // the right half: its label to the right of the rim
    QVERIFY(two[1].right() <= -100); // the left half: to the left
    // A slice of no size has no label place.
    QVERIFY(ChartPlacement::PieLabelBoxes({0, 1}, QPointF(0, 0), 100, {QSizeF(40, 10), QSizeF(40, 10)})
                .front()
                .isNull());
}

void TestChartPlacement::amountAxis_data() {
    QTest::addColumn<Values>("values");
    QTest::addColumn<double>("low");
    QTest::addColumn<double>("high");
    QTest::newRow("positive") << Values{1000, 300} << 0.0 << 1200.0;
    QTest::newRow("negative below zero") << Values{-300, 200} << -400.0 << 300.0;
    QTest::newRow("only negative") << Values{-100} << -120.0 << 0.0;
    QTest::newRow("nothing") << Values{} << 0.0 << 1.0;
    QTest::newRow("millions") << Values{5758560} << 0.0 << 7000000.0;
}

void TestChartPlacement::amountAxis() {
    QFETCH(Values, values);
    QFETCH(double, low);
    QFETCH(double, high);
    const ChartPlacement::AxisRange range = ChartPlacement::AmountAxis(values);
    QCOMPARE(range.Low, low);
    QCOMPARE(range.High, high);
    // Zero and every value are on the axis, with room for the labels beyond the longest bar.
    QVERIFY(range.Low <= 0 && range.High >= 0);
    for (qint64 v : values) {
        QVERIFY(v < range.High || v <= 0);
        QVERIFY(v > range.Low || v >= 0);
    }
    QVERIFY(range.Ticks >= 2 && range.Ticks <= 12);
}

QTEST_MAIN(TestChartPlacement)
#include "tst_chartplacement.moc"
