#pragma once

#include <QColor>
#include <QRectF>
#include <QString>
#include <QtGlobal>
#include <vector>

// Placement rules of the bar and pie charts, as plain functions of sizes and values, so the
// window code only measures and draws.
namespace ChartPlacement {

// The colour of point i: a palette whose neighbours differ clearly and none of which is near
// white, so every legend swatch stands out on a white legend. It repeats after PaletteSize().
QColor PaletteColour(int i);
int PaletteSize();
// How far apart two colours look ("redmean" distance, 0 .. about 765).
double ColourDistance(const QColor& a, const QColor& b);

// A name shortened to at most maxUnits display units (a Chinese character counts two, other
// characters one), ending in "…" when it was cut; a name that fits is returned whole.
QString ShortName(const QString& name, int maxUnits);

// Which labels are shown, given their boxes in priority order of `order` (indices into boxes):
// a label is shown when its box overlaps no label shown before it. The result has one flag per
// box.
std::vector<bool> NonOverlapping(const std::vector<QRectF>& boxes, const std::vector<int>& order);
// The indices of values, largest magnitude first (equal magnitudes keep their order).
std::vector<int> ByMagnitude(const std::vector<qint64>& values);

// A slice of a pie. Only positive values are shares of the whole; a negative value has no slice
// (size 0) and is named in the legend with its amount.
struct PieSlice {
    double Size = 0;  // the slice's size; 0 for a zero or negative value
    double Share = 0; // percent of the positive total; 0 when not a share
    bool Negative = false;
};
std::vector<PieSlice> PieSlices(const std::vector<qint64>& values);
// The sum of the positive values (what the shares are shares of).
qint64 PositiveTotal(const std::vector<qint64>& values);

// The box of the label of slice i of a pie centred at `centre` with `radius`, the label of
// `labelSize` placed just outside the rim at the middle angle of its slice (slices start at
// 12 o'clock and run clockwise, as the chart draws them). sizes are the slices' sizes.
std::vector<QRectF> PieLabelBoxes(const std::vector<double>& sizes, const QPointF& centre, double radius,
                                  const std::vector<QSizeF>& labelSizes);

// The boxes of the value labels above (or, for negative values, below) n bars side by side
// across plotWidth starting at left, each label of labelSizes centred on its bar; y is the
// bar's end (the caller maps the value to a position).
std::vector<QRectF> BarLabelBoxes(double left, double plotWidth, const std::vector<double>& barEnds,
                                  const std::vector<bool>& negative, const std::vector<QSizeF>& labelSizes);

// A range for the value axis that holds every value and zero, with room above and below for the
// labels: [low, high] rounded out to a tick step of 1, 2 or 5 times a power of ten.
struct AxisRange {
    double Low = 0;
    double High = 0;
    int Ticks = 2;
};
AxisRange AmountAxis(const std::vector<qint64>& values);

} // namespace ChartPlacement
