#include "AnalysisDiagram.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <array>

namespace AnalysisDiagram {

namespace {

struct Box {
    QString Caption;
    QString Legend;
    QColor Legend_;
    QColor Figure;
    QRect Frame;
};

const QColor Blue(0, 0, 255);
const QColor Navy(0, 0, 128);
const QColor Red(255, 0, 0);
const QColor Olive(128, 128, 0);
const QColor Maroon(128, 0, 0);
const QColor Fuchsia(255, 0, 255);
const QColor Green(0, 128, 0);
const QColor Purple(128, 0, 128);
const QColor Black(0, 0, 0);

constexpr int BoxWidth = 146;
constexpr int BoxHeight = 62;
constexpr int CaptionHeight = 24;

const std::array<Box, Figures>& Boxes() {
    static const std::array<Box, Figures> boxes = {{
        {QStringLiteral("应收款"), QStringLiteral("应收款：业务的应收金额总和"), Blue, Blue,
         QRect(92, 14, BoxWidth, BoxHeight)},
        {QStringLiteral("实收款"), QStringLiteral("实收款：业务的实收金额总和"), Blue, Blue,
         QRect(12, 118, BoxWidth, BoxHeight)},
        {QStringLiteral("未收款"), QStringLiteral("未收款：应收款 － 实收款"), Navy, Blue,
         QRect(172, 118, BoxWidth, BoxHeight)},
        {QStringLiteral("应付款"), QStringLiteral("应付款：业务的应付金额总和"), Red, Red,
         QRect(412, 14, BoxWidth, BoxHeight)},
        {QStringLiteral("实付款"), QStringLiteral("实付款：业务的实付金额总和"), Olive, Black,
         QRect(492, 118, BoxWidth, BoxHeight)},
        {QStringLiteral("未付款"), QStringLiteral("未付款：应付款 － 实付款"), Maroon, Black,
         QRect(332, 118, BoxWidth, BoxHeight)},
        {QStringLiteral("现有毛利"), QStringLiteral("现有毛利：实收款 － 应付款"), Fuchsia, Fuchsia,
         QRect(92, 226, BoxWidth, BoxHeight)},
        {QStringLiteral("预算毛利"), QStringLiteral("预算毛利：应收款 － 应付款"), Green, Green,
         QRect(252, 226, BoxWidth, BoxHeight)},
        {QStringLiteral("资金增益"), QStringLiteral("资金增益：实收款 － 实付款"), Purple, Purple,
         QRect(412, 226, BoxWidth, BoxHeight)},
    }};
    return boxes;
}

QColor Lighter(const QColor& c, double t) {
    return QColor::fromRgbF(c.redF() + (1 - c.redF()) * t, c.greenF() + (1 - c.greenF()) * t,
                            c.blueF() + (1 - c.blueF()) * t);
}

void Arrow(QPainter& p, QPointF from, QPointF to, const QColor& colour) {
    p.setPen(QPen(colour, 2));
    p.drawLine(from, to);
    const QLineF line(to, from);
    const double angle = line.angle() * M_PI / 180.0;
    const double head = 9;
    QPainterPath tip;
    tip.moveTo(to);
    tip.lineTo(to + QPointF(std::cos(angle + 0.45) * head, -std::sin(angle + 0.45) * head));
    tip.lineTo(to + QPointF(std::cos(angle - 0.45) * head, -std::sin(angle - 0.45) * head));
    tip.closeSubpath();
    p.fillPath(tip, colour);
}

QPointF Bottom(const QRect& r) {
    return QPointF(r.center().x(), r.bottom() + 1);
}

QPointF Top(const QRect& r) {
    return QPointF(r.center().x(), r.top() - 1);
}

} // namespace

QSize Size() {
    return QSize(650, 300);
}

QRect FigureRect(int i) {
    const QRect frame = Boxes()[static_cast<size_t>(i)].Frame;
    return QRect(frame.left() + 4, frame.top() + CaptionHeight + 2, frame.width() - 8,
                 frame.height() - CaptionHeight - 6);
}

QString LegendText(int i) {
    return Boxes()[static_cast<size_t>(i)].Legend;
}

QColor LegendColour(int i) {
    return Boxes()[static_cast<size_t>(i)].Legend_;
}

QColor FigureColour(int i) {
    return Boxes()[static_cast<size_t>(i)].Figure;
}

QPixmap Draw() {
    QPixmap picture(Size());
    picture.fill(QColor(0xf4, 0xf7, 0xfb));
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    const auto& boxes = Boxes();
    auto frame = [&](int i) { return boxes[static_cast<size_t>(i)].Frame; };

    // A pale band behind each side: sales on the left, purchases on the right, margins below.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xe3, 0xec, 0xfa));
    p.drawRoundedRect(QRect(4, 6, 318, 182), 10, 10);
    p.setBrush(QColor(0xfa, 0xe6, 0xe4));
    p.drawRoundedRect(QRect(326, 6, 320, 182), 10, 10);
    p.setBrush(QColor(0xe8, 0xf4, 0xe8));
    p.drawRoundedRect(QRect(84, 216, 482, 80), 10, 10);

    // What is owed splits into what was paid and what is open.
    const QColor ink(0x55, 0x60, 0x6e);
    Arrow(p, Bottom(frame(0)), Top(frame(1)), ink);
    Arrow(p, Bottom(frame(0)), Top(frame(2)), ink);
    Arrow(p, Bottom(frame(3)), Top(frame(5)), ink);
    Arrow(p, Bottom(frame(3)), Top(frame(4)), ink);
    // Both sides meet in the margins.
    p.setPen(QPen(ink, 2));
    const int bus = 203;
    p.drawLine(QPointF(Bottom(frame(1)).x(), Bottom(frame(1)).y()), QPointF(Bottom(frame(1)).x(), bus));
    p.drawLine(QPointF(Bottom(frame(4)).x(), Bottom(frame(4)).y()), QPointF(Bottom(frame(4)).x(), bus));
    p.drawLine(QPointF(Bottom(frame(1)).x(), bus), QPointF(Bottom(frame(4)).x(), bus));
    for (int i = 6; i < 9; ++i)
        Arrow(p, QPointF(Top(frame(i)).x(), bus), Top(frame(i)), ink);

    QFont captionFont = p.font();
    captionFont.setPixelSize(14);
    captionFont.setBold(true);
    for (const Box& box : boxes) {
        const QRect r = box.Frame;
        p.setPen(QPen(box.Legend_.darker(120), 1.5));
        p.setBrush(Qt::white);
        p.drawRoundedRect(r, 6, 6);
        QPainterPath band;
        band.addRoundedRect(QRectF(r.left(), r.top(), r.width(), CaptionHeight + 6), 6, 6);
        QPainterPath cut;
        cut.addRect(QRectF(r.left(), r.top() + CaptionHeight, r.width(), 6));
        p.fillPath(band.subtracted(cut), Lighter(box.Legend_, 0.15));
        p.setPen(Qt::white);
        p.setFont(captionFont);
        p.drawText(QRect(r.left(), r.top(), r.width(), CaptionHeight), Qt::AlignCenter, box.Caption);
    }
    return picture;
}

} // namespace AnalysisDiagram
