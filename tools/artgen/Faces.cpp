// Staff face pictures 1.bmp .. 39.bmp: flat cartoon heads whose features are picked from
// the picture number, so every run draws the same 39 faces and no two are alike.
#include "ArtKit.h"
#include "Pictures.h"

#include <QPainterPath>
#include <QPolygonF>

using namespace art;

namespace {

const int kFaceCount = 39;

const QColor kBackgrounds[8] = {{0xdb, 0xe8, 0xf6}, {0xf6, 0xe3, 0xd5}, {0xe0, 0xf1, 0xe4},
                                {0xef, 0xe2, 0xf4}, {0xfd, 0xf1, 0xc9}, {0xd7, 0xef, 0xef},
                                {0xf5, 0xdb, 0xe1}, {0xe4, 0xe6, 0xea}};
const QColor kSkins[5] = {
    {0xf6, 0xd5, 0xb8}, {0xee, 0xc1, 0x9a}, {0xd9, 0xa2, 0x76}, {0xb9, 0x7c, 0x52}, {0x8d, 0x5a, 0x3b}};
const QColor kHairs[6] = {{0x2b, 0x25, 0x22}, {0x4a, 0x31, 0x23}, {0x7a, 0x4e, 0x2d},
                          {0xa4, 0x50, 0x2a}, {0xd9, 0xb1, 0x5f}, {0x9c, 0x9c, 0xa0}};
const QColor kShirts[7] = {{0x3d, 0x6f, 0xb6}, {0xc4, 0x4d, 0x3f}, {0x3f, 0x9a, 0x62}, {0x7d, 0x56, 0xb0},
                           {0x2a, 0x90, 0x90}, {0x2e, 0x3f, 0x5c}, {0xe0, 0x88, 0x3a}};

enum class Hair { Crop, SidePart, Long, Bun, Curly };

struct Face {
    QColor background, skin, hair, shirt;
    Hair style;
    bool glasses;
    bool blush;
    bool moustache;
    int mouth; // 0 smile, 1 open smile, 2 small smile
    bool whiteCollar;
};

// Background cycles every 8 and hair style every 5, so the pair alone already differs for
// all numbers below 40; the rest is spread with other strides for variety.
Face faceFor(int number) {
    const int k = number - 1;
    Face f;
    f.background = kBackgrounds[k % 8];
    f.style = static_cast<Hair>(k % 5);
    f.skin = kSkins[(k * 2 + k / 5) % 5];
    f.hair = kHairs[(k * 5 + 1 + k / 8) % 6];
    f.shirt = kShirts[(k * 3 + k / 7) % 7];
    f.glasses = (k % 4 == 2) || (k % 7 == 5);
    f.blush = f.style == Hair::Long || f.style == Hair::Bun;
    f.moustache = (f.style == Hair::Crop || f.style == Hair::SidePart) && (k % 6 == 3);
    f.mouth = (k / 2) % 3;
    f.whiteCollar = (k % 3) != 1;
    return f;
}

QPainterPath polygonPath(const QPolygonF& poly) {
    QPainterPath path;
    path.addPolygon(poly);
    path.closeSubpath();
    return path;
}

QImage drawFace(const Face& f) {
    QImage img = canvas(48, 48, f.background);
    QPainter p(&img);
    prepare(p);
    p.setPen(Qt::NoPen);
    p.setBrush(lighter(f.background, 0.45));
    p.drawEllipse(QPointF(24, 26), 21, 21);

    const QColor skinShade = darker(f.skin, 0.12);
    const QColor hairShade = darker(f.hair, 0.18);

    // Hair that falls behind the head and shoulders.
    if (f.style == Hair::Long) {
        p.setBrush(hairShade);
        p.drawRoundedRect(QRectF(11, 12, 26, 30), 10, 10);
    }
    if (f.style == Hair::Bun) {
        p.setBrush(f.hair);
        p.drawEllipse(QPointF(24, 7.5), 5.5, 5);
    }

    // Shoulders, neck and collar.
    QPainterPath shirt;
    shirt.addEllipse(QPointF(24, 53), 20, 14);
    p.setBrush(f.shirt);
    p.drawPath(shirt);
    p.setBrush(skinShade);
    p.drawRect(QRectF(20, 30, 8, 10));
    p.setBrush(f.whiteCollar ? QColor(0xf7, 0xf7, 0xf7) : darker(f.shirt, 0.3));
    p.drawPolygon(QPolygonF{{18.5, 39.5}, {24, 45}, {29.5, 39.5}, {27, 38.5}, {24, 41.5}, {21, 38.5}});
    p.setBrush(skinShade);
    p.drawPolygon(QPolygonF{{21, 38.5}, {24, 41.5}, {27, 38.5}});

    // Ears and head.
    p.setBrush(skinShade);
    p.drawEllipse(QPointF(13.6, 23.5), 2.2, 3.1);
    p.drawEllipse(QPointF(34.4, 23.5), 2.2, 3.1);
    p.setBrush(f.skin);
    p.drawEllipse(QPointF(24, 22), 10.5, 12);

    // Hair on top of the head.
    QPainterPath skull;
    skull.addEllipse(QPointF(24, 20.8), 11.6, 12.2);
    QPolygonF line;
    switch (f.style) {
    case Hair::Crop:
        line = {{0, 0}, {48, 0}, {48, 21}, {34.2, 21}, {33, 15}, {24, 14}, {15, 15}, {13.8, 21}, {0, 21}};
        break;
    case Hair::SidePart:
        line = {{0, 0},     {48, 0},  {48, 20}, {34.4, 20}, {33.5, 13},
                {27, 14.5}, {19, 18}, {15, 17}, {13.6, 20}, {0, 20}};
        break;
    case Hair::Long:
        line = {{0, 0}, {48, 0}, {48, 34}, {35, 34}, {33, 18}, {24, 13.5}, {15, 18}, {13, 34}, {0, 34}};
        break;
    case Hair::Bun:
        line = {{0, 0}, {48, 0}, {48, 19}, {34.5, 19}, {31, 14}, {24, 12.5}, {17, 14}, {13.5, 19}, {0, 19}};
        break;
    case Hair::Curly:
        line = {{0, 0}, {48, 0}, {48, 19}, {34.5, 19}, {32, 15}, {24, 15.5}, {16, 15}, {13.5, 19}, {0, 19}};
        break;
    }
    p.setBrush(f.hair);
    p.drawPath(skull.intersected(polygonPath(line)));
    if (f.style == Hair::Curly) {
        for (int i = 0; i <= 8; ++i) {
            const qreal a = M_PI + i * M_PI / 8;
            p.drawEllipse(QPointF(24 + std::cos(a) * 11, 19.5 + std::sin(a) * 11.5), 3.6, 3.6);
        }
    }
    if (f.style == Hair::SidePart) {
        p.setPen(QPen(hairShade, 0.9, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(28, 10), QPointF(27, 14));
        p.setPen(Qt::NoPen);
    }
    if (f.style == Hair::Long) {
        p.setPen(QPen(hairShade, 0.9, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(24, 9.5), QPointF(24, 13.5));
        p.setPen(Qt::NoPen);
    }

    // Brows, eyes, nose.
    p.setPen(QPen(darker(f.hair, 0.1), 1.3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(17.8, 19.4), QPointF(21.6, 19.0));
    p.drawLine(QPointF(26.4, 19.0), QPointF(30.2, 19.4));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x25, 0x22, 0x20));
    p.drawEllipse(QPointF(19.8, 23), 1.5, 1.6);
    p.drawEllipse(QPointF(28.2, 23), 1.5, 1.6);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(19.3, 22.4), 0.45, 0.45);
    p.drawEllipse(QPointF(27.7, 22.4), 0.45, 0.45);
    p.setPen(QPen(darker(f.skin, 0.22), 1.0, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(24, 24.5), QPointF(23.2, 27));
    p.drawLine(QPointF(23.2, 27), QPointF(24.6, 27.2));

    if (f.blush) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0xf0, 0x80, 0x80, 70));
        p.drawEllipse(QPointF(17, 27), 2.4, 1.5);
        p.drawEllipse(QPointF(31, 27), 2.4, 1.5);
    }

    // Mouth.
    const QColor lips(0x9a, 0x3b, 0x36);
    switch (f.mouth) {
    case 0:
        p.setPen(QPen(lips, 1.2, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(20, 26, 8, 4.5), 200 * 16, 140 * 16);
        break;
    case 1: {
        QPainterPath m;
        m.moveTo(20.5, 29);
        m.lineTo(27.5, 29);
        m.quadTo(27, 33, 24, 33);
        m.quadTo(21, 33, 20.5, 29);
        p.setPen(Qt::NoPen);
        p.setBrush(lips);
        p.drawPath(m);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(21.3, 29, 5.4, 1.1));
        break;
    }
    default:
        p.setPen(QPen(lips, 1.2, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(21.5, 27.5, 5, 3), 210 * 16, 120 * 16);
        break;
    }
    if (f.moustache) {
        p.setPen(Qt::NoPen);
        p.setBrush(f.hair);
        QPainterPath m;
        m.moveTo(24, 28);
        m.quadTo(27, 27, 29, 29.5);
        m.quadTo(26.5, 29, 24, 29.4);
        m.quadTo(21.5, 29, 19, 29.5);
        m.quadTo(21, 27, 24, 28);
        p.drawPath(m);
    }

    if (f.glasses) {
        p.setPen(QPen(QColor(0x2a, 0x2a, 0x30), 1.0));
        p.setBrush(QColor(255, 255, 255, 50));
        p.drawRoundedRect(QRectF(16.3, 20.3, 7, 5.6), 2, 2);
        p.drawRoundedRect(QRectF(24.7, 20.3, 7, 5.6), 2, 2);
        p.drawLine(QPointF(23.3, 22.3), QPointF(24.7, 22.3));
        p.drawLine(QPointF(16.3, 22), QPointF(13.6, 21.2));
        p.drawLine(QPointF(31.7, 22), QPointF(34.4, 21.2));
    }
    return img;
}

} // namespace

void makeFaces(const QString& faces) {
    for (int n = 1; n <= kFaceCount; ++n)
        saveBmp(drawFace(faceFor(n)), faces + "/" + QString::number(n) + ".bmp");
}
