#include "ArtKit.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <QPainterPath>
#include <QPolygonF>
#include <QtMath>
#include <cstdio>
#include <cstdlib>

namespace art {

QColor mix(const QColor& a, const QColor& b, double t) {
    auto ch = [t](int x, int y) { return qBound(0, qRound(x + (y - x) * t), 255); };
    return QColor(ch(a.red(), b.red()), ch(a.green(), b.green()), ch(a.blue(), b.blue()),
                  ch(a.alpha(), b.alpha()));
}

QColor lighter(const QColor& c, double t) {
    return mix(c, QColor(255, 255, 255, c.alpha()), t);
}

QColor darker(const QColor& c, double t) {
    return mix(c, QColor(0, 0, 0, c.alpha()), t);
}

QColor withAlpha(QColor c, int alpha) {
    c.setAlpha(alpha);
    return c;
}

QFont uiFont(int pixelSize, bool bold) {
    QFont f(QStringLiteral("WenQuanYi Micro Hei"));
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setStyleStrategy(QFont::PreferAntialias);
    return f;
}

QImage canvas(int w, int h, const QColor& background) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(background);
    return img;
}

QImage clearCanvas(int w, int h) {
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    return img;
}

void prepare(QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.setRenderHint(QPainter::SmoothPixmapTransform, true);
}

void shadowText(QPainter& p, const QRectF& box, int flags, const QString& text, const QColor& fg,
                const QColor& shadow) {
    p.setPen(shadow);
    p.drawText(box.translated(1, 1.5), flags, text);
    p.setPen(fg);
    p.drawText(box, flags, text);
}

static void fail(const QString& what, const QString& path) {
    std::fprintf(stderr, "kestrel_artgen: %s: %s\n", qPrintable(what), qPrintable(path));
    std::exit(1);
}

void saveBmp(const QImage& image, const QString& path) {
    // 24-bit Windows bitmap, no alpha.
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    if (!rgb.save(path, "BMP"))
        fail(QStringLiteral("cannot write"), path);
}

// Qt's icon writer leaves the padding at the end of each row of the 1-bit AND mask
// uninitialised, so the same picture gives different bytes from run to run. Clear it.
static void clearMaskPadding(QByteArray& ico) {
    auto u16 = [&ico](qsizetype at) { return quint32(quint8(ico[at])) | quint32(quint8(ico[at + 1])) << 8; };
    auto u32 = [&](qsizetype at) { return u16(at) | u16(at + 2) << 16; };
    if (ico.size() < 22 || u16(2) != 1)
        return;
    const int count = int(u16(4));
    for (int i = 0; i < count; ++i) {
        const qsizetype entry = 6 + 16 * i;
        if (entry + 16 > ico.size())
            return;
        const qsizetype bmp = qsizetype(u32(entry + 12));
        if (bmp + 40 > ico.size() || u32(bmp) != 40)
            continue;
        const int w = int(u32(bmp + 4));
        const int h = int(u32(bmp + 8)) / 2; // the height counts the mask too
        const int bits = int(u16(bmp + 14));
        if (bits < 16)
            continue; // palette icons are never written here
        const qsizetype colourStride = ((qsizetype(w) * bits + 31) / 32) * 4;
        const qsizetype maskStride = ((qsizetype(w) + 31) / 32) * 4;
        const qsizetype mask = bmp + 40 + colourStride * h;
        const qsizetype used = (w + 7) / 8;
        for (int row = 0; row < h; ++row) {
            const qsizetype start = mask + maskStride * row;
            if (start + maskStride > ico.size())
                return;
            if (w % 8)
                ico[start + used - 1] = char(quint8(ico[start + used - 1]) & quint8(0xff << (8 - w % 8)));
            for (qsizetype b = used; b < maskStride; ++b)
                ico[start + b] = 0;
        }
    }
}

void saveIco(const QImage& image, const QString& path) {
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "ico");
    if (!writer.write(argb))
        fail(QStringLiteral("cannot write (%1)").arg(writer.errorString()), path);
    QByteArray bytes = buffer.data();
    clearMaskPadding(bytes);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        fail(QStringLiteral("cannot write"), path);
    file.close();
    // Read it back: a missing image plugin would otherwise go unnoticed until the program runs.
    QImageReader reader(path, "ico");
    const QImage back = reader.read();
    if (back.isNull() || back.size() != image.size() || !back.hasAlphaChannel())
        fail(QStringLiteral("written icon does not load back"), path);
}

void arrow(QPainter& p, QPointF from, QPointF to, qreal width, qreal head, const QColor& colour) {
    const QLineF line(from, to);
    const qreal len = line.length();
    if (len <= 0)
        return;
    const QPointF dir = (to - from) / len;
    const QPointF nrm(-dir.y(), dir.x());
    const QPointF base = to - dir * head;
    p.save();
    p.setPen(QPen(colour, width, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    p.drawLine(from, base + dir * 0.5);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    const qreal half = head * 0.85;
    p.drawPolygon(QPolygonF{to, base + nrm * half, base - nrm * half});
    p.restore();
}

void document(QPainter& p, const QRectF& r, const QColor& paper, const QColor& line, bool textLines) {
    const qreal fold = qMin(r.width(), r.height()) * 0.3;
    QPainterPath page;
    page.moveTo(r.topLeft());
    page.lineTo(r.right() - fold, r.top());
    page.lineTo(r.right(), r.top() + fold);
    page.lineTo(r.bottomRight());
    page.lineTo(r.bottomLeft());
    page.closeSubpath();
    p.save();
    const qreal lw = qMax<qreal>(1.0, r.width() / 22.0);
    p.setPen(QPen(line, lw, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(paper);
    p.drawPath(page);
    QPainterPath ear;
    ear.moveTo(r.right() - fold, r.top());
    ear.lineTo(r.right() - fold, r.top() + fold);
    ear.lineTo(r.right(), r.top() + fold);
    ear.closeSubpath();
    p.setBrush(mix(paper, line, 0.25));
    p.drawPath(ear);
    if (textLines) {
        p.setPen(QPen(mix(paper, line, 0.55), lw, Qt::SolidLine, Qt::RoundCap));
        const qreal left = r.left() + r.width() * 0.2;
        const qreal right = r.right() - r.width() * 0.2;
        const qreal step = r.height() * 0.15;
        for (int i = 0; i < 4; ++i) {
            const qreal y = r.top() + fold + step * (i + 0.6);
            if (y > r.bottom() - step * 0.6)
                break;
            p.drawLine(QPointF(left, y), QPointF(i == 3 ? (left + right) / 2 : right, y));
        }
    }
    p.restore();
}

void plusBadge(QPainter& p, QPointF centre, qreal radius, const QColor& fill) {
    p.save();
    p.setPen(QPen(Qt::white, qMax<qreal>(1.0, radius * 0.18)));
    p.setBrush(fill);
    p.drawEllipse(centre, radius, radius);
    const qreal arm = radius * 0.55;
    p.setPen(QPen(Qt::white, qMax<qreal>(1.5, radius * 0.32), Qt::SolidLine, Qt::FlatCap));
    p.drawLine(centre - QPointF(arm, 0), centre + QPointF(arm, 0));
    p.drawLine(centre - QPointF(0, arm), centre + QPointF(0, arm));
    p.restore();
}

void pencil(QPainter& p, QPointF tip, qreal length, qreal thickness) {
    // Drawn along +x from the tip, then turned so it points down-left.
    p.save();
    p.translate(tip);
    p.rotate(-45);
    const qreal h = thickness / 2;
    const qreal cone = thickness * 1.2;
    const qreal band = thickness * 0.45;
    const qreal eraser = thickness * 0.6;
    const qreal body = length - cone - band - eraser;
    p.setPen(QPen(QColor(0x5a, 0x46, 0x2a), qMax<qreal>(0.8, thickness / 10)));
    p.setBrush(QColor(0xf2, 0xd3, 0xa0));
    p.drawPolygon(QPolygonF{QPointF(0, 0), QPointF(cone, -h), QPointF(cone, h)});
    p.setBrush(QColor(0x3a, 0x30, 0x28));
    p.setPen(Qt::NoPen);
    p.drawPolygon(QPolygonF{QPointF(0, 0), QPointF(cone * 0.35, -h * 0.35), QPointF(cone * 0.35, h * 0.35)});
    p.setPen(QPen(QColor(0x8a, 0x62, 0x10), qMax<qreal>(0.8, thickness / 10)));
    p.setBrush(pal::Yellow);
    p.drawRect(QRectF(cone, -h, body, thickness));
    p.setPen(Qt::NoPen);
    p.setBrush(lighter(pal::Yellow, 0.45));
    p.drawRect(QRectF(cone, -h, body, thickness * 0.3));
    p.setBrush(QColor(0xb8, 0xbe, 0xc6));
    p.drawRect(QRectF(cone + body, -h, band, thickness));
    p.setBrush(QColor(0xe8, 0x8a, 0x96));
    p.drawRoundedRect(QRectF(cone + body + band, -h, eraser, thickness), h * 0.5, h * 0.5);
    p.restore();
}

void magnifier(QPainter& p, QPointF centre, qreal radius, const QColor& rim, qreal rimWidth) {
    p.save();
    const QPointF dir(M_SQRT1_2, M_SQRT1_2);
    p.setPen(QPen(darker(rim, 0.15), rimWidth * 1.7, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(centre + dir * (radius + rimWidth * 0.3), centre + dir * (radius * 2.05));
    p.setPen(QPen(rim, rimWidth));
    p.setBrush(QColor(0xdd, 0xee, 0xfb));
    p.drawEllipse(centre, radius, radius);
    p.setPen(QPen(QColor(255, 255, 255, 220), qMax<qreal>(1.0, rimWidth * 0.6), Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    const qreal g = radius * 0.55;
    p.drawArc(QRectF(centre.x() - g, centre.y() - g, 2 * g, 2 * g), 100 * 16, 70 * 16);
    p.restore();
}

void person(QPainter& p, const QRectF& r, const QColor& colour) {
    p.save();
    p.setPen(Qt::NoPen);
    const qreal w = r.width();
    const qreal h = r.height();
    // Shoulders: the upper half of a wide rounded shape, cut off at the bottom of the box.
    QPainterPath body;
    const QRectF bodyBox(r.left(), r.top() + h * 0.55, w, h * 0.9);
    body.addRoundedRect(bodyBox, w * 0.42, h * 0.4);
    QPainterPath clip;
    clip.addRect(r);
    p.setBrush(colour);
    p.drawPath(body.intersected(clip));
    // Head with a white ring separating it from the shoulders.
    const qreal hr = w * 0.24;
    const QPointF hc(r.center().x(), r.top() + hr + h * 0.04);
    p.setBrush(Qt::white);
    p.drawEllipse(hc, hr + w * 0.05, hr + w * 0.05);
    p.setBrush(lighter(colour, 0.15));
    p.drawEllipse(hc, hr, hr);
    p.restore();
}

void gear(QPainter& p, QPointF centre, qreal radius, const QColor& colour, const QColor& hole) {
    const int teeth = 8;
    QPolygonF poly;
    const qreal inner = radius * 0.74;
    for (int i = 0; i < teeth; ++i) {
        const qreal a0 = 2 * M_PI * i / teeth;
        const qreal step = 2 * M_PI / teeth;
        const qreal angles[4] = {a0 - step * 0.30, a0 - step * 0.18, a0 + step * 0.18, a0 + step * 0.30};
        const qreal radii[4] = {inner, radius, radius, inner};
        for (int k = 0; k < 4; ++k)
            poly << centre + QPointF(std::cos(angles[k]) * radii[k], std::sin(angles[k]) * radii[k]);
    }
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPolygon(poly);
    p.drawEllipse(centre, inner * 1.02, inner * 1.02);
    p.setBrush(hole);
    p.drawEllipse(centre, radius * 0.34, radius * 0.34);
    p.restore();
}

void coin(QPainter& p, QPointF centre, qreal radius, const QColor& colour) {
    p.save();
    const QColor rim = darker(colour, 0.28);
    p.setPen(QPen(darker(colour, 0.5), qMax<qreal>(1.0, radius / 10)));
    p.setBrush(rim);
    p.drawEllipse(centre, radius, radius);
    QRadialGradient face(centre - QPointF(radius * 0.35, radius * 0.35), radius * 1.3);
    face.setColorAt(0, lighter(colour, 0.45));
    face.setColorAt(1, colour);
    p.setPen(Qt::NoPen);
    p.setBrush(face);
    const qreal fr = radius * 0.82;
    p.drawEllipse(centre, fr, fr);
    p.setPen(QPen(withAlpha(darker(colour, 0.2), 160), qMax<qreal>(0.8, radius / 14)));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(centre, radius * 0.64, radius * 0.64);
    QFont f = uiFont(qRound(radius * 1.05), true);
    p.setFont(f);
    const QRectF box(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius);
    // Yuan mark, pressed into the face: light edge below, dark mark on top.
    p.setPen(withAlpha(lighter(colour, 0.8), 220));
    p.drawText(box.translated(0.5, 0.8), Qt::AlignCenter, QStringLiteral("¥"));
    p.setPen(darker(colour, 0.38));
    p.drawText(box, Qt::AlignCenter, QStringLiteral("¥"));
    p.restore();
}

void calendar(QPainter& p, const QRectF& r, const QColor& band) {
    p.save();
    const qreal lw = qMax<qreal>(1.0, r.width() / 18);
    const qreal rad = r.width() * 0.12;
    p.setPen(QPen(darker(band, 0.25), lw));
    p.setBrush(Qt::white);
    p.drawRoundedRect(r, rad, rad);
    QPainterPath top;
    top.addRoundedRect(r, rad, rad);
    QPainterPath bandClip;
    bandClip.addRect(QRectF(r.left(), r.top(), r.width(), r.height() * 0.3));
    p.setPen(Qt::NoPen);
    p.setBrush(band);
    p.drawPath(top.intersected(bandClip));
    // Rings.
    p.setBrush(darker(band, 0.35));
    const qreal ringW = r.width() * 0.1;
    for (qreal fx : {0.3, 0.7})
        p.drawRoundedRect(QRectF(r.left() + r.width() * fx - ringW / 2, r.top() - r.height() * 0.08, ringW,
                                 r.height() * 0.2),
                          ringW / 2, ringW / 2);
    // Day grid.
    p.setBrush(QColor(0xb0, 0xb8, 0xc2));
    const qreal cell = r.width() / 5.0;
    const qreal dot = qMax<qreal>(1.2, cell * 0.42);
    for (int row = 0; row < 2; ++row)
        for (int col = 0; col < 3; ++col)
            p.drawRect(QRectF(r.left() + cell * (col + 1) + (cell - dot) / 2 - cell * 0.0,
                              r.top() + r.height() * 0.42 + row * cell * 1.05, dot, dot));
    p.restore();
}

void banknote(QPainter& p, const QRectF& r, const QColor& paper, const QColor& ink) {
    p.save();
    const qreal lw = qMax<qreal>(1.0, r.height() / 14);
    p.setPen(QPen(ink, lw));
    p.setBrush(paper);
    p.drawRoundedRect(r, r.height() * 0.12, r.height() * 0.12);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(mix(paper, ink, 0.5), lw * 0.8));
    p.drawRoundedRect(
        r.adjusted(r.height() * 0.14, r.height() * 0.14, -r.height() * 0.14, -r.height() * 0.14),
        r.height() * 0.06, r.height() * 0.06);
    const qreal cr = r.height() * 0.26;
    p.setPen(Qt::NoPen);
    p.setBrush(mix(paper, ink, 0.85));
    p.drawEllipse(r.center(), cr, cr);
    p.setFont(uiFont(qRound(cr * 1.5), true));
    p.setPen(paper);
    p.drawText(QRectF(r.center().x() - cr, r.center().y() - cr, 2 * cr, 2 * cr), Qt::AlignCenter,
               QStringLiteral("¥"));
    p.restore();
}

void cylinder(QPainter& p, const QRectF& r, const QColor& colour) {
    p.save();
    const qreal eh = r.height() * 0.28; // ellipse height of the caps
    const QRectF topCap(r.left(), r.top(), r.width(), eh);
    const QRectF bottomCap(r.left(), r.bottom() - eh, r.width(), eh);
    QPainterPath side;
    side.moveTo(r.left(), r.top() + eh / 2);
    side.lineTo(r.left(), r.bottom() - eh / 2);
    side.arcTo(bottomCap, 180, 180);
    side.lineTo(r.right(), r.top() + eh / 2);
    side.closeSubpath();
    QLinearGradient g(r.left(), 0, r.right(), 0);
    g.setColorAt(0, darker(colour, 0.1));
    g.setColorAt(0.35, lighter(colour, 0.25));
    g.setColorAt(1, darker(colour, 0.2));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawPath(side);
    // Band lines between the platters.
    p.setPen(QPen(darker(colour, 0.35), qMax<qreal>(0.8, r.width() / 20)));
    p.setBrush(Qt::NoBrush);
    for (qreal f : {0.38, 0.68}) {
        const QRectF band(r.left(), r.top() + (r.height() - eh) * f, r.width(), eh);
        p.drawArc(band, 180 * 16, 180 * 16);
    }
    p.setPen(Qt::NoPen);
    p.setBrush(lighter(colour, 0.4));
    p.drawEllipse(topCap);
    p.restore();
}

void checkMark(QPainter& p, const QRectF& r, qreal width, const QColor& colour) {
    p.save();
    p.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    QPainterPath path;
    path.moveTo(r.left(), r.top() + r.height() * 0.55);
    path.lineTo(r.left() + r.width() * 0.38, r.bottom());
    path.lineTo(r.right(), r.top());
    p.drawPath(path);
    p.restore();
}

void crossMark(QPainter& p, const QRectF& r, qreal width, const QColor& colour) {
    p.save();
    p.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(r.topLeft(), r.bottomRight());
    p.drawLine(r.topRight(), r.bottomLeft());
    p.restore();
}

} // namespace art
