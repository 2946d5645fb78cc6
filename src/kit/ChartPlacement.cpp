#include "ChartPlacement.h"

#include <QtMath>
#include <algorithm>
#include <array>
#include <cmath>
#include <numeric>

namespace ChartPlacement {

namespace {

// Twenty colours, no two alike and none lighter than a mid tone.
constexpr std::array<QRgb, 20> Palette = {
    0x1f77b4, 0xd62728, 0x2ca02c, 0xff7f0e, 0x9467bd, 0x8c564b, 0xe377c2, 0x17becf, 0x7f7f7f, 0xbcbd22,
    0x000080, 0xff00ff, 0x00cc66, 0x004c6d, 0x3300ff, 0x990099, 0x660000, 0xb8860b, 0x1f4f1f, 0xff6f61,
};

bool Wide(QChar c) {
    const ushort u = c.unicode();
    return u >= 0x1100 && !(u >= 0xFF61 && u <= 0xFFDC);
}

int Units(QChar c) {
    return Wide(c) ? 2 : 1;
}

} // namespace

int PaletteSize() {
    return static_cast<int>(Palette.size());
}

QColor PaletteColour(int i) {
    const int n = PaletteSize();
    return QColor::fromRgb(Palette[static_cast<size_t>(((i % n) + n) % n)]);
}

double ColourDistance(const QColor& a, const QColor& b) {
    const double meanRed = (a.red() + b.red()) / 2.0;
    const double dr = a.red() - b.red();
    const double dg = a.green() - b.green();
    const double db = a.blue() - b.blue();
    return std::sqrt((2 + meanRed / 256) * dr * dr + 4 * dg * dg + (2 + (255 - meanRed) / 256) * db * db);
}

QString ShortName(const QString& name, int maxUnits) {
    int units = 0;
    for (QChar c : name)
        units += Units(c);
    if (units <= maxUnits)
        return name;
    // Room for the ellipsis (one unit wide).
    const int room = maxUnits - 1;
    QString kept;
    units = 0;
    for (QChar c : name) {
        if (units + Units(c) > room)
            break;
        units += Units(c);
        kept += c;
    }
    return kept + QChar(0x2026);
}

std::vector<bool> NonOverlapping(const std::vector<QRectF>& boxes, const std::vector<int>& order) {
    std::vector<bool> shown(boxes.size(), false);
    std::vector<QRectF> taken;
    for (int i : order) {
        if (i < 0 || static_cast<size_t>(i) >= boxes.size())
            continue;
        const QRectF& box = boxes[static_cast<size_t>(i)];
        const bool clashes = std::any_of(taken.begin(), taken.end(),
                                         [&](const QRectF& other) { return other.intersects(box); });
        if (clashes)
            continue;
        shown[static_cast<size_t>(i)] = true;
        taken.push_back(box);
    }
    return shown;
}

std::vector<int> ByMagnitude(const std::vector<qint64>& values) {
    std::vector<int> order(values.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return std::llabs(values[static_cast<size_t>(a)]) > std::llabs(values[static_cast<size_t>(b)]);
    });
    return order;
}

qint64 PositiveTotal(const std::vector<qint64>& values) {
    qint64 total = 0;
    for (qint64 v : values)
        if (v > 0)
            total += v;
    return total;
}

std::vector<PieSlice> PieSlices(const std::vector<qint64>& values) {
    const qint64 total = PositiveTotal(values);
    std::vector<PieSlice> slices;
    slices.reserve(values.size());
    for (qint64 v : values) {
        PieSlice slice;
        slice.Negative = v < 0;
        if (v > 0) {
            slice.Size = static_cast<double>(v);
            slice.Share = 100.0 * static_cast<double>(v) / static_cast<double>(total);
        }
        slices.push_back(slice);
    }
    return slices;
}

std::vector<QRectF> PieLabelBoxes(const std::vector<double>& sizes, const QPointF& centre, double radius,
                                  const std::vector<QSizeF>& labelSizes) {
    std::vector<QRectF> boxes;
    const double total = std::accumulate(sizes.begin(), sizes.end(), 0.0);
    double start = 0;
    for (size_t i = 0; i < sizes.size(); ++i) {
        const QSizeF size = i < labelSizes.size() ? labelSizes[i] : QSizeF();
        if (total <= 0 || sizes[i] <= 0) {
            // No slice, no place on the rim: an empty box that clashes with nothing.
            boxes.emplace_back();
            continue;
        }
        const double middle = (start + sizes[i] / 2) / total * 360.0;
        start += sizes[i];
        // Clockwise from 12 o'clock; screen y grows downwards.
        const double angle = qDegreesToRadians(middle);
        const QPointF rim(centre.x() + std::sin(angle) * (radius + 6),
                          centre.y() - std::cos(angle) * (radius + 6));
        // The label stands on the side of the rim point that faces away from the centre.
        const double x = std::sin(angle) >= 0 ? rim.x() : rim.x() - size.width();
        const double y = rim.y() - size.height() / 2 - std::cos(angle) * size.height() / 2;
        boxes.emplace_back(x, y, size.width(), size.height());
    }
    return boxes;
}

std::vector<QRectF> BarLabelBoxes(double left, double plotWidth, const std::vector<double>& barEnds,
                                  const std::vector<bool>& negative, const std::vector<QSizeF>& labelSizes) {
    std::vector<QRectF> boxes;
    const size_t n = barEnds.size();
    if (n == 0)
        return boxes;
    const double slot = plotWidth / static_cast<double>(n);
    for (size_t i = 0; i < n; ++i) {
        const QSizeF size = i < labelSizes.size() ? labelSizes[i] : QSizeF();
        const double centre = left + slot * (static_cast<double>(i) + 0.5);
        const bool below = i < negative.size() && negative[i];
        const double y = below ? barEnds[i] + 2 : barEnds[i] - 2 - size.height();
        boxes.emplace_back(centre - size.width() / 2, y, size.width(), size.height());
    }
    return boxes;
}

AxisRange AmountAxis(const std::vector<qint64>& values) {
    double low = 0;
    double high = 0;
    for (qint64 v : values) {
        low = std::min(low, static_cast<double>(v));
        high = std::max(high, static_cast<double>(v));
    }
    // Room for the labels beyond the longest bars.
    const double span = std::max(1.0, high - low);
    if (high > 0)
        high += span * 0.12;
    if (low < 0)
        low -= span * 0.12;
    if (high == 0 && low == 0)
        high = 1;
    const double rough = (high - low) / 8;
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    double step = power;
    for (double factor : {1.0, 2.0, 5.0, 10.0}) {
        step = factor * power;
        if (step >= rough)
            break;
    }
    step = std::max(1.0, step);
    AxisRange range;
    range.Low = std::floor(low / step) * step;
    range.High = std::ceil(high / step) * step;
    range.Ticks = static_cast<int>(std::lround((range.High - range.Low) / step)) + 1;
    return range;
}

} // namespace ChartPlacement
