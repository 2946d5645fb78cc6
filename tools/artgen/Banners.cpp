// Wide pictures: the sign-in title, the exit button, the side-bar strips, the editor
// headers, the generic banners and the empty-page picture.
#include "ArtKit.h"
#include "Pictures.h"

#include <QPainterPath>
#include <QPolygonF>

using namespace art;

namespace {

// Colours of the title band; the "lit" set is shown while the mouse is over it.
struct TitleColours {
    QColor top, bottom, sun, farHills, nearHills, text, accent;
};

const TitleColours kTitleNormal{QColor(0x1c, 0x4a, 0x78),
                                QColor(0x2c, 0x6b, 0xad),
                                QColor(0xf2, 0xb1, 0x3e),
                                QColor(0x6f, 0x9c, 0xcc),
                                QColor(0xe4, 0xee, 0xf8),
                                QColor(0xff, 0xff, 0xff),
                                pal::Orange};
const TitleColours kTitleLit{QColor(0x27, 0x62, 0x9c), QColor(0x3f, 0x8a, 0xd6), QColor(0xff, 0xc8, 0x4e),
                             QColor(0x8c, 0xb8, 0xe6), QColor(0xf6, 0xfa, 0xff), pal::Gold,
                             QColor(0xff, 0xa0, 0x4a)};

void verticalBand(QPainter& p, const QRectF& r, const QColor& top, const QColor& bottom) {
    QLinearGradient g(0, r.top(), 0, r.bottom());
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    p.fillRect(r, g);
}

// A ridge of peaks between x0 and x1 standing on the baseline.
QPainterPath ridge(qreal x0, qreal x1, qreal baseline, const QList<QPointF>& peaks) {
    QPainterPath path;
    path.moveTo(x0, baseline);
    for (const QPointF& pt : peaks)
        path.lineTo(pt);
    path.lineTo(x1, baseline);
    path.closeSubpath();
    return path;
}

// The kestrel: crescent wings with a short fanned tail, centred on c, wingspan = span.
void kestrel(QPainter& p, QPointF c, qreal span, const QColor& colour) {
    const qreal s = span / 2;
    QPainterPath bird;
    bird.moveTo(c + QPointF(-s, -0.10 * s));
    bird.quadTo(c + QPointF(-0.5 * s, -0.60 * s), c + QPointF(-0.06 * s, -0.02 * s));
    bird.lineTo(c + QPointF(0, -0.12 * s)); // head
    bird.lineTo(c + QPointF(0.06 * s, -0.02 * s));
    bird.quadTo(c + QPointF(0.5 * s, -0.60 * s), c + QPointF(s, -0.10 * s));
    bird.quadTo(c + QPointF(0.5 * s, -0.34 * s), c + QPointF(0.07 * s, 0.16 * s));
    bird.lineTo(c + QPointF(0.12 * s, 0.42 * s)); // tail
    bird.lineTo(c + QPointF(-0.12 * s, 0.42 * s));
    bird.lineTo(c + QPointF(-0.07 * s, 0.16 * s));
    bird.quadTo(c + QPointF(-0.5 * s, -0.34 * s), c + QPointF(-s, -0.10 * s));
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPath(bird);
    p.restore();
}

QImage titleBanner(const TitleColours& c) {
    const int w = 690, h = 90;
    QImage img = canvas(w, h, c.bottom);
    QPainter p(&img);
    prepare(p);
    verticalBand(p, QRectF(0, 0, w, h), c.top, c.bottom);

    // Faint hills along the whole band.
    p.setPen(Qt::NoPen);
    p.setBrush(withAlpha(Qt::white, 18));
    p.drawPath(
        ridge(0, w, h, {{0, 70}, {90, 52}, {180, 66}, {300, 48}, {420, 68}, {540, 50}, {640, 64}, {w, 58}}));

    // The motif: sun behind two ridges, snow on the near peak, and the bird above.
    p.setBrush(c.sun);
    p.drawEllipse(QPointF(100, 40), 15, 15);
    p.setBrush(c.farHills);
    p.drawPath(ridge(14, 160, 80, {{14, 78}, {52, 36}, {76, 54}, {108, 28}, {160, 76}}));
    p.setBrush(c.nearHills);
    const QPainterPath near = ridge(24, 150, 80, {{24, 80}, {66, 44}, {88, 62}, {112, 50}, {150, 80}});
    p.drawPath(near);
    p.setBrush(mix(c.nearHills, c.bottom, 0.35));
    p.drawPath(ridge(66, 150, 80, {{66, 44}, {74, 80}, {112, 50}, {150, 80}}));
    p.setBrush(Qt::white);
    p.drawPolygon(QPolygonF{{66, 44}, {75, 53}, {70, 51}, {66, 55}, {62, 51}, {58, 53}});
    kestrel(p, QPointF(136, 17), 46, mix(c.top, QColor(0x10, 0x20, 0x30), 0.5));
    p.setPen(QPen(withAlpha(Qt::white, 120), 1.0));
    p.drawLine(QPointF(20, 80.5), QPointF(156, 80.5));

    // Name and a small line under it.
    p.setFont(uiFont(38, true));
    shadowText(p, QRectF(176, 8, 480, 52), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("岚峰商业管理软件"), c.text, withAlpha(QColor(0x08, 0x18, 0x28), 140));
    QFont small = uiFont(13, false);
    small.setLetterSpacing(QFont::AbsoluteSpacing, 2.0);
    p.setFont(small);
    p.setPen(withAlpha(c.text, 190));
    p.drawText(QRectF(178, 60, 480, 20), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("KESTREL  ·  进销存 · 收付款 · 客户往来"));

    // Accent line along the bottom edge.
    p.fillRect(QRectF(0, h - 3, w, 3), c.accent);
    return img;
}

QImage exitPicture(const TitleColours& c) {
    const int w = 160, h = 70;
    QImage img = canvas(w, h, c.bottom);
    QPainter p(&img);
    prepare(p);
    verticalBand(p, QRectF(0, 0, w, h), c.top, c.bottom);
    p.fillRect(QRectF(0, h - 3, w, 3), c.accent);

    // Door frame, with the door swung open towards the viewer.
    const QRectF frame(20.5, 14.5, 30, 42);
    p.setPen(QPen(Qt::white, 2.5, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(withAlpha(QColor(0x0a, 0x1a, 0x2a), 90));
    p.drawRect(frame);
    QPolygonF leaf{frame.topLeft(), QPointF(frame.left() + 16, frame.top() + 6),
                   QPointF(frame.left() + 16, frame.bottom() + 5), frame.bottomLeft()};
    p.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(mix(c.nearHills, c.bottom, 0.2));
    p.drawPolygon(leaf);
    p.setPen(Qt::NoPen);
    p.setBrush(c.bottom);
    p.drawEllipse(QPointF(frame.left() + 12.5, frame.center().y() + 3), 1.8, 1.8);

    const QColor arrowColour = c.text == pal::Gold ? QColor(0xff, 0x8a, 0x6e) : QColor(0xf2, 0x6b, 0x5b);
    arrow(p, QPointF(38, 36), QPointF(74, 36), 6, 12, arrowColour);

    p.setFont(uiFont(26, true));
    shadowText(p, QRectF(80, 0, 74, h - 3), Qt::AlignCenter, QStringLiteral("退出"), c.text,
               withAlpha(QColor(0x08, 0x18, 0x28), 140));
    return img;
}

// The collapse strip beside the side bar: open (arrow left) or collapsed (arrow right).
QImage sideStrip(bool pointLeft) {
    const int w = 16, h = 538;
    QImage img = canvas(w, h, QColor(0xdc, 0xe4, 0xed));
    QPainter p(&img);
    prepare(p);
    QLinearGradient g(0, 0, w, 0);
    g.setColorAt(0, QColor(0xe8, 0xee, 0xf4));
    g.setColorAt(1, QColor(0xc9, 0xd5, 0xe2));
    p.fillRect(img.rect(), g);
    p.fillRect(QRectF(0, 0, 1, h), QColor(0xf8, 0xfa, 0xfc));
    p.fillRect(QRectF(w - 1, 0, 1, h), QColor(0xa9, 0xb7, 0xc6));

    // A tab in the middle carrying the arrow, with grip dots above and below.
    const qreal cy = h / 2.0;
    p.setPen(QPen(QColor(0x8d, 0x9f, 0xb3), 1));
    p.setBrush(QColor(0xf4, 0xf7, 0xfa));
    p.drawRoundedRect(QRectF(2.5, cy - 24.5, 11, 49), 4, 4);
    p.setPen(Qt::NoPen);
    p.setBrush(pal::Navy);
    const qreal dx = pointLeft ? -1 : 1;
    for (qreal off : {-7.0, 5.0}) {
        const qreal y = cy + off;
        p.drawPolygon(QPolygonF{QPointF(8 + dx * 3.5, y + 1), QPointF(8 - dx * 2.5, y - 3.5),
                                QPointF(8 - dx * 2.5, y + 5.5)});
    }
    p.setBrush(QColor(0x9a, 0xaa, 0xbc));
    for (int i = 0; i < 4; ++i) {
        p.drawEllipse(QPointF(8, cy - 36 - i * 5), 1.1, 1.1);
        p.drawEllipse(QPointF(8, cy + 36 + i * 5), 1.1, 1.1);
    }
    return img;
}

enum class Emblem { Document, Banknote, Card, Query };
enum class Badge { None, Plus, Pencil };

// Common header band: gradient, light diagonal stripes at the right, glyph at the left, title.
QImage headerBand(int w, int h, const QColor& left, const QColor& right, Emblem emblem, Badge badge,
                  const QString& title, int textPx) {
    QImage img = canvas(w, h, left);
    QPainter p(&img);
    prepare(p);
    QLinearGradient g(0, 0, w, 0);
    g.setColorAt(0, left);
    g.setColorAt(1, right);
    p.fillRect(img.rect(), g);
    QLinearGradient sheen(0, 0, 0, h);
    sheen.setColorAt(0, withAlpha(Qt::white, 46));
    sheen.setColorAt(0.55, withAlpha(Qt::white, 0));
    p.fillRect(img.rect(), sheen);

    p.setPen(Qt::NoPen);
    p.setBrush(withAlpha(Qt::white, 20));
    for (int k = 0; k < 4; ++k) {
        const qreal x = w - 190 + k * 44;
        p.drawPolygon(QPolygonF{QPointF(x + h * 0.6, 0), QPointF(x + h * 0.6 + 24, 0), QPointF(x + 24, h),
                                QPointF(x, h)});
    }
    p.fillRect(QRectF(0, h - 2, w, 2), withAlpha(darker(left, 0.35), 200));

    // Glyph in a square that fits the band height.
    const qreal gs = h - 18;
    const QRectF gbox(16, (h - 2 - gs) / 2, gs, gs);
    const QColor ink = darker(left, 0.2);
    switch (emblem) {
    case Emblem::Document:
        document(p, QRectF(gbox.left() + gs * 0.14, gbox.top(), gs * 0.72, gs), Qt::white, ink);
        break;
    case Emblem::Banknote:
        banknote(p, QRectF(gbox.left() - 2, gbox.top() + gs * 0.2, gs + 4, gs * 0.6), Qt::white, ink);
        break;
    case Emblem::Card: {
        const QRectF card(gbox.left() - 2, gbox.top() + gs * 0.12, gs + 6, gs * 0.76);
        p.setPen(QPen(ink, 1.5));
        p.setBrush(Qt::white);
        p.drawRoundedRect(card, 4, 4);
        person(p, QRectF(card.left() + 5, card.top() + 6, card.height() * 0.62, card.height() - 6), left);
        p.setPen(QPen(mix(Qt::white, ink, 0.5), 2, Qt::SolidLine, Qt::RoundCap));
        const qreal tx = card.left() + card.height() * 0.62 + 10;
        for (int i = 0; i < 3; ++i) {
            const qreal y = card.top() + card.height() * (0.32 + 0.2 * i);
            p.drawLine(QPointF(tx, y), QPointF(card.right() - (i == 2 ? 10 : 5), y));
        }
        break;
    }
    case Emblem::Query:
        document(p, QRectF(gbox.left() + 2, gbox.top(), gs * 0.7, gs), Qt::white, ink);
        magnifier(p, QPointF(gbox.left() + gs * 0.66, gbox.top() + gs * 0.56), gs * 0.2, pal::Navy, 2.5);
        break;
    }
    const QPointF badgeAt(gbox.right() - 2, gbox.bottom() - 6);
    if (badge == Badge::Plus)
        plusBadge(p, badgeAt, gs * 0.2, pal::Green);
    else if (badge == Badge::Pencil)
        pencil(p, badgeAt + QPointF(-5, 4), gs * 0.62, gs * 0.16);

    p.setFont(uiFont(textPx, true));
    shadowText(p, QRectF(gbox.right() + 24, 0, w - gbox.right() - 26, h - 2),
               Qt::AlignLeft | Qt::AlignVCenter, title, Qt::white, withAlpha(darker(left, 0.6), 150));
    return img;
}

QImage emptyPage() {
    const int w = 350, h = 150;
    const QColor bg(0xff, 0xff, 0xff);
    QImage img = canvas(w, h, bg);
    QPainter p(&img);
    prepare(p);
    const QColor line(0xa4, 0xae, 0xba);
    const QColor fill(0xee, 0xf2, 0xf6);

    // Soft floor shadow.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xf1, 0xf3, 0xf6));
    p.drawEllipse(QPointF(w / 2.0, 98), 78, 8);

    // An open, empty tray seen slightly from above.
    const qreal cx = w / 2.0;
    // Dashed outline of the sheet that is not there, standing in the tray.
    p.setPen(QPen(QColor(0xc3, 0xcb, 0xd4), 1.5, Qt::DashLine, Qt::RoundCap));
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(cx - 28, 8, 56, 56), 3, 3);
    QPolygonF back{{cx - 52, 40}, {cx + 52, 40}, {cx + 66, 70}, {cx - 66, 70}};
    p.setPen(QPen(line, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(fill);
    p.drawPolygon(back);
    QPainterPath front;
    front.moveTo(cx - 66, 70);
    front.lineTo(cx - 30, 70);
    front.cubicTo(cx - 26, 82, cx + 26, 82, cx + 30, 70);
    front.lineTo(cx + 66, 70);
    front.lineTo(cx + 66, 96);
    front.lineTo(cx - 66, 96);
    front.closeSubpath();
    p.setBrush(QColor(0xf7, 0xf9, 0xfb));
    p.drawPath(front);

    p.setFont(uiFont(20, true));
    p.setPen(QColor(0x8a, 0x95, 0xa2));
    p.drawText(QRectF(0, 108, w, 34), Qt::AlignCenter, QStringLiteral("没有记录"));
    return img;
}

} // namespace

void makeBanners(const QString& res) {
    saveBmp(titleBanner(kTitleNormal), res + "/Title.bmp");
    saveBmp(titleBanner(kTitleLit), res + "/ColorTitle.bmp");
    saveBmp(exitPicture(kTitleNormal), res + "/Up4.bmp");
    saveBmp(exitPicture(kTitleLit), res + "/ColorUp4.bmp");
    saveBmp(sideStrip(true), res + "/LeftBar.bmp");
    saveBmp(sideStrip(false), res + "/RightBar.bmp");

    // Sales and receipts are blue, purchases and payments red-orange.
    const QColor blueL(0x1d, 0x5c, 0xa3), blueR(0x58, 0x9c, 0xe2);
    const QColor redL(0xb3, 0x3c, 0x2e), redR(0xee, 0x93, 0x48);
    struct Header {
        const char* file;
        const char* title;
        bool blue;
        Emblem emblem;
        Badge badge;
    };
    const Header headers[] = {
        {"NewSell", "新增销售单", true, Emblem::Document, Badge::Plus},
        {"EditSell", "修改销售单", true, Emblem::Document, Badge::Pencil},
        {"NewBuy", "新增采购单", false, Emblem::Document, Badge::Plus},
        {"EditBuy", "修改采购单", false, Emblem::Document, Badge::Pencil},
        {"NewGet", "新增收款单", true, Emblem::Banknote, Badge::Plus},
        {"EditGet", "修改收款单", true, Emblem::Banknote, Badge::Pencil},
        {"NewPay", "新增付款单", false, Emblem::Banknote, Badge::Plus},
        {"EditPay", "修改付款单", false, Emblem::Banknote, Badge::Pencil},
    };
    for (const Header& hd : headers)
        saveBmp(headerBand(600, 60, hd.blue ? blueL : redL, hd.blue ? blueR : redR, hd.emblem, hd.badge,
                           QString::fromUtf8(hd.title), 26),
                res + "/" + hd.file + ".bmp");

    saveBmp(headerBand(673, 64, QColor(0x1b, 0x76, 0x7c), QColor(0x3f, 0xae, 0xa8), Emblem::Card, Badge::None,
                       QStringLiteral("客户资料卡"), 26),
            res + "/CustomerHeader.bmp");
    saveBmp(headerBand(600, 50, QColor(0x2a, 0x45, 0x62), QColor(0x5d, 0x7f, 0xa3), Emblem::Query,
                       Badge::None, QStringLiteral("单据查询"), 22),
            res + "/ReportBanner.bmp");
    saveBmp(emptyPage(), res + "/EmptyPage.bmp");
}
