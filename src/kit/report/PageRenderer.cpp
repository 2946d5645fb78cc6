#include "PageRenderer.h"

#include "ReportEngine.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>
#include <QPen>
#include <algorithm>
#include <cmath>

QStringList ReportFontFamilies(const QString& family) {
    QStringList families{family};
    for (const char* fallback : {"SimSun", "NSimSun", "WenQuanYi Micro Hei"}) {
        if (family.compare(QLatin1String(fallback), Qt::CaseInsensitive) != 0)
            families << QLatin1String(fallback);
    }
    return families;
}

namespace {

// Text keeps this distance from the left and right edge of its item.
constexpr double TextPaddingMm = 0.6;

// Coordinates closer than this (device pixels) are the same place.
constexpr double SamePlace = 0.01;

// A text that shrinks to fit its item gets no smaller than this (points).
constexpr double SmallestShrunkSize = 3;

// The width of the pen of an item's lines and frames, at least half a device pixel.
double PenWidth(const ReportItem& item, double dotsPerMm) {
    return std::max(item.LineWidth * dotsPerMm, 0.5);
}

// A run of straight pieces along one line, each from Start to End (Start <= End).
struct Piece {
    double Across; // the y of a horizontal line, the x of a vertical one
    double Start;
    double End;
};

// Joins pieces that lie on one line and touch or overlap: the frames of cells side by side and
// of rows one below the other share their sides, which are then drawn once.
void JoinPieces(std::vector<Piece>& pieces, bool horizontal, std::vector<QLineF>& lines) {
    std::sort(pieces.begin(), pieces.end(), [](const Piece& a, const Piece& b) {
        return a.Across < b.Across - SamePlace || (a.Across <= b.Across + SamePlace && a.Start < b.Start);
    });
    for (size_t i = 0; i < pieces.size();) {
        Piece joined = pieces[i];
        size_t next = i + 1;
        for (; next < pieces.size() && std::fabs(pieces[next].Across - joined.Across) <= SamePlace &&
               pieces[next].Start <= joined.End + SamePlace;
             ++next)
            joined.End = std::max(joined.End, pieces[next].End);
        lines.push_back(horizontal ? QLineF(joined.Start, joined.Across, joined.End, joined.Across)
                                   : QLineF(joined.Across, joined.Start, joined.Across, joined.End));
        i = next;
    }
}

// The lines of a page (frames and line items), gathered by pen, so that a page draws each pen's
// lines in one call and every shared side once: a long list is mostly the frames of its cells.
class LineCollector {
public:
    void Add(const QColor& colour, double width, const QLineF& line) {
        auto it = std::find_if(pens.begin(), pens.end(), [&](const Pen& pen) {
            return pen.Lines.Colour == colour && pen.Lines.Width == width;
        });
        if (it == pens.end()) {
            pens.push_back(Pen{PageRenderer::PageLines{colour, width, {}}, {}, {}});
            it = pens.end() - 1;
        }
        if (std::fabs(line.y1() - line.y2()) <= SamePlace)
            it->Horizontal.push_back(
                {line.y1(), std::min(line.x1(), line.x2()), std::max(line.x1(), line.x2())});
        else if (std::fabs(line.x1() - line.x2()) <= SamePlace)
            it->Vertical.push_back(
                {line.x1(), std::min(line.y1(), line.y2()), std::max(line.y1(), line.y2())});
        else
            it->Lines.Lines.push_back(line);
    }

    void AddFrame(const ReportItem& item, const QRectF& rect, double dotsPerMm) {
        const int frame =
            item.Type == ReportItem::Kind::Rect && item.Frame == FrameNone ? FrameAll : item.Frame;
        const double width = PenWidth(item, dotsPerMm);
        if (frame & FrameLeft)
            Add(Qt::black, width, QLineF(rect.topLeft(), rect.bottomLeft()));
        if (frame & FrameTop)
            Add(Qt::black, width, QLineF(rect.topLeft(), rect.topRight()));
        if (frame & FrameRight)
            Add(Qt::black, width, QLineF(rect.topRight(), rect.bottomRight()));
        if (frame & FrameBottom)
            Add(Qt::black, width, QLineF(rect.bottomLeft(), rect.bottomRight()));
    }

    std::vector<PageRenderer::PageLines> Take() {
        std::vector<PageRenderer::PageLines> result;
        for (Pen& pen : pens) {
            JoinPieces(pen.Horizontal, true, pen.Lines.Lines);
            JoinPieces(pen.Vertical, false, pen.Lines.Lines);
            result.push_back(std::move(pen.Lines));
        }
        pens.clear();
        return result;
    }

private:
    struct Pen {
        PageRenderer::PageLines Lines;
        std::vector<Piece> Horizontal;
        std::vector<Piece> Vertical;
    };
    std::vector<Pen> pens;
};

QRectF DeviceRect(const QRectF& mm, double dotsPerMm) {
    return QRectF(mm.x() * dotsPerMm, mm.y() * dotsPerMm, mm.width() * dotsPerMm, mm.height() * dotsPerMm);
}

// Gathers the lines of an item of a page.
void CollectLines(LineCollector& lines, const ReportItem& item, const QRectF& rect, double dotsPerMm) {
    switch (item.Type) {
    case ReportItem::Kind::Text:
    case ReportItem::Kind::Rect:
        lines.AddFrame(item, rect, dotsPerMm);
        break;
    case ReportItem::Kind::Line:
        lines.Add(item.Colour, PenWidth(item, dotsPerMm), QLineF(rect.topLeft(), rect.bottomRight()));
        break;
    case ReportItem::Kind::Picture:
        break;
    }
}

// Draws the texts and pictures of a page as they come; the lines go to a collector.
class ItemPainter {
public:
    ItemPainter(const PreparedReport& report, QPainter& painter, double dotsPerMm)
        : report(report)
        , painter(painter)
        , dotsPerMm(dotsPerMm) {
        // A font's point size is turned into pixels with the device's own resolution; scale it so
        // that a point is 1/72 inch at the resolution drawn in.
        const int deviceDpi = painter.device() ? painter.device()->logicalDpiY() : 96;
        pointScale = dotsPerMm * 25.4 / (deviceDpi > 0 ? deviceDpi : 96);
    }

    void operator()(const ReportItem& item, const QRectF& mm, const QString& text) {
        const QRectF rect = DeviceRect(mm, dotsPerMm);
        CollectLines(lines, item, rect, dotsPerMm);
        if (item.Type == ReportItem::Kind::Text) {
            DrawText(item, rect, text);
        } else if (item.Type == ReportItem::Kind::Picture) {
            if (const QImage& image = report.Picture(item); !image.isNull())
                painter.drawImage(rect, image);
        }
    }

    // The page's lines, each pen's in one call, over the texts and pictures.
    void DrawLines() {
        for (const PageRenderer::PageLines& pen : lines.Take()) {
            QPen line(pen.Colour);
            line.setWidthF(pen.Width);
            line.setCapStyle(Qt::SquareCap);
            painter.setPen(line);
            painter.drawLines(pen.Lines.data(), static_cast<int>(pen.Lines.size()));
        }
    }

private:
    QFont FontOf(const ReportItem& item, double size) const {
        QFont font;
        font.setFamilies(ReportFontFamilies(item.FontFamily));
        font.setPointSizeF(size * pointScale);
        font.setBold(item.Bold);
        font.setItalic(item.Italic);
        return font;
    }

    void DrawText(const ReportItem& item, const QRectF& rect, const QString& text) {
        if (text.isEmpty())
            return;
        if (!lastFont || lastFont->FontFamily != item.FontFamily || lastFont->FontSize != item.FontSize ||
            lastFont->Bold != item.Bold || lastFont->Italic != item.Italic) {
            painter.setFont(FontOf(item, item.FontSize));
            lastFont = &item;
        }
        if (painter.pen().color() != item.Colour)
            painter.setPen(item.Colour);
        const double padding = TextPaddingMm * dotsPerMm;
        const QRectF inner = rect.adjusted(padding, 0, -padding, 0);
        const int flags = static_cast<int>(item.Align) | (item.WordWrap ? Qt::TextWordWrap : 0);
        if (item.ShrinkToFit && !Fits(inner, flags, text)) {
            DrawShrunk(item, inner, flags, text);
            return;
        }
        painter.drawText(inner, flags, text);
    }

    // Whether text drawn with the painter's font stays inside the rectangle.
    bool Fits(const QRectF& inner, int flags, const QString& text) const {
        const QRectF needed = painter.boundingRect(inner, flags, text);
        return needed.width() <= inner.width() + SamePlace && needed.height() <= inner.height() + SamePlace;
    }

    // Draws text with the largest font size, below the item's own, at which it fits. Measured on the
    // device drawn on, so the screen, the printer and a PDF each get a text that fits there. Text
    // that does not fit even at the smallest size is cut at the item's edges rather than drawn
    // over its neighbours.
    void DrawShrunk(const ReportItem& item, const QRectF& inner, int flags, const QString& text) {
        double fits = std::min(SmallestShrunkSize, item.FontSize);
        double tooLarge = item.FontSize;
        painter.setFont(FontOf(item, fits));
        const bool fitsAtAll = Fits(inner, flags, text);
        // Halving the interval: within a fiftieth of a point after a few steps.
        while (fitsAtAll && tooLarge - fits > 0.02) {
            const double size = (fits + tooLarge) / 2;
            painter.setFont(FontOf(item, size));
            if (Fits(inner, flags, text))
                fits = size;
            else
                tooLarge = size;
        }
        painter.setFont(FontOf(item, fits));
        lastFont = nullptr; // the painter's font is no item's own any more
        if (fitsAtAll) {
            painter.drawText(inner, flags, text);
        } else if (item.WordWrap) {
            painter.save();
            painter.setClipRect(inner, Qt::IntersectClip);
            painter.drawText(inner, flags, text);
            painter.restore();
        } else {
            const QFontMetricsF metrics(painter.font(), painter.device());
            painter.drawText(inner, flags, metrics.elidedText(text, Qt::ElideRight, inner.width()));
        }
    }

    const PreparedReport& report;
    QPainter& painter;
    double dotsPerMm;
    double pointScale = 1;
    const ReportItem* lastFont = nullptr; // the item whose font the painter has
    LineCollector lines;
};

} // namespace

void PageRenderer::Draw(const PreparedReport& report, int page, QPainter& painter, double dotsPerMm) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    ItemPainter draw(report, painter, dotsPerMm);
    report.ForEachItem(
        page, [&](const ReportItem& item, const QRectF& mm, const QString& text) { draw(item, mm, text); });
    draw.DrawLines();
    painter.restore();
}

std::vector<PageRenderer::PageText> PageRenderer::Texts(const PreparedReport& report, int page) {
    std::vector<PageText> texts;
    report.ForEachItem(page, [&](const ReportItem& item, const QRectF& mm, const QString& text) {
        if (item.Type == ReportItem::Kind::Text && !text.isEmpty())
            texts.push_back(PageText{mm, text});
    });
    return texts;
}

std::vector<PageRenderer::PageLines> PageRenderer::Lines(const PreparedReport& report, int page,
                                                         double dotsPerMm) {
    LineCollector lines;
    report.ForEachItem(page, [&](const ReportItem& item, const QRectF& mm, const QString&) {
        CollectLines(lines, item, DeviceRect(mm, dotsPerMm), dotsPerMm);
    });
    return lines.Take();
}
