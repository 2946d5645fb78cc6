#include "PageRenderer.h"

#include "ReportEngine.h"

#include <QFont>
#include <QPaintDevice>
#include <QPainter>
#include <QPen>

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
        const QRectF rect(mm.x() * dotsPerMm, mm.y() * dotsPerMm, mm.width() * dotsPerMm,
                          mm.height() * dotsPerMm);
        switch (item.Type) {
        case ReportItem::Kind::Text:
            DrawText(item, rect, text);
            DrawFrame(item, rect);
            break;
        case ReportItem::Kind::Line:
            UsePen(item, item.Colour);
            painter.drawLine(rect.topLeft(), rect.bottomRight());
            break;
        case ReportItem::Kind::Rect:
            DrawFrame(item, rect);
            break;
        case ReportItem::Kind::Picture:
            if (const QImage& image = report.Picture(item); !image.isNull())
                painter.drawImage(rect, image);
            break;
        }
    }

private:
    // Changes the pen only when it differs: every change is a state change in a PDF.
    void UsePen(const ReportItem& item, const QColor& colour) {
        const double width = std::max(item.LineWidth * dotsPerMm, 0.5);
        const QPen& current = painter.pen();
        if (current.color() == colour && current.widthF() == width && current.capStyle() == Qt::SquareCap &&
            current.style() == Qt::SolidLine)
            return;
        QPen pen(colour);
        pen.setWidthF(width);
        pen.setCapStyle(Qt::SquareCap);
        painter.setPen(pen);
    }

    void DrawFrame(const ReportItem& item, const QRectF& rect) {
        const int frame =
            item.Type == ReportItem::Kind::Rect && item.Frame == FrameNone ? FrameAll : item.Frame;
        if (frame == FrameNone)
            return;
        UsePen(item, Qt::black);
        if (frame == FrameAll) {
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(rect);
            return;
        }
        // The sides as one drawing call.
        QLineF sides[4];
        int count = 0;
        if (frame & FrameLeft)
            sides[count++] = QLineF(rect.topLeft(), rect.bottomLeft());
        if (frame & FrameTop)
            sides[count++] = QLineF(rect.topLeft(), rect.topRight());
        if (frame & FrameRight)
            sides[count++] = QLineF(rect.topRight(), rect.bottomRight());
        if (frame & FrameBottom)
            sides[count++] = QLineF(rect.bottomLeft(), rect.bottomRight());
        painter.drawLines(sides, count);
    }

    void DrawText(const ReportItem& item, const QRectF& rect, const QString& text) {
        if (text.isEmpty())
            return;
        if (!lastFont || lastFont->FontFamily != item.FontFamily || lastFont->FontSize != item.FontSize ||
            lastFont->Bold != item.Bold || lastFont->Italic != item.Italic) {
            QFont font;
            font.setFamilies(ReportFontFamilies(item.FontFamily));
            font.setPointSizeF(item.FontSize * pointScale);
            font.setBold(item.Bold);
            font.setItalic(item.Italic);
            painter.setFont(font);
            lastFont = &item;
        }
        // Text uses only the pen's colour: the width of the frames' pen stays, so that text and
        // frames drawn in turn do not change the pen each time.
        if (painter.pen().color() != item.Colour || painter.pen().style() != Qt::SolidLine) {
            QPen pen = painter.pen();
            pen.setColor(item.Colour);
            pen.setStyle(Qt::SolidLine);
            painter.setPen(pen);
        }
        const double padding = TextPaddingMm * dotsPerMm;
        const QRectF inner = rect.adjusted(padding, 0, -padding, 0);
        const int flags = static_cast<int>(item.Align) | (item.WordWrap ? Qt::TextWordWrap : 0);
        painter.drawText(inner, flags, text);
    }

    const PreparedReport& report;
    QPainter& painter;
    double dotsPerMm;
    double pointScale = 1;
    const ReportItem* lastFont = nullptr; // the item whose font the painter has
};

} // namespace

void PageRenderer::Draw(const PreparedReport& report, int page, QPainter& painter, double dotsPerMm) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    ItemPainter draw(report, painter, dotsPerMm);
    report.ForEachItem(
        page, [&](const ReportItem& item, const QRectF& mm, const QString& text) { draw(item, mm, text); });
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
