// Small pictures: role fish, role buttons, 24-pixel tool buttons and the card coin icons.
#include "ArtKit.h"
#include "Pictures.h"

#include <QPainterPath>
#include <QPolygonF>

using namespace art;

namespace {

// Background of the small bitmaps: plain white, so a caller may mask it away if needed.
const QColor kIconBg(0xff, 0xff, 0xff);

// Role colours, shared by the fish and the role buttons.
const QColor kAdminBlue(0x2f, 0x74, 0xc0);
const QColor kSupervisorYellow(0xe3, 0xb0, 0x1c);
const QColor kDirectorOrange(0xe8, 0x79, 0x2e);
const QColor kManagerGreen(0x3a, 0x9a, 0x5b);

QImage fish(const QColor& colour) {
    QImage img = canvas(48, 48, kIconBg);
    QPainter p(&img);
    prepare(p);
    const QColor outline = darker(colour, 0.4);
    const qreal lw = 1.4;

    // Tail, behind the body.
    QPainterPath tail;
    tail.moveTo(33, 24);
    tail.quadTo(38, 18, 45, 13);
    tail.quadTo(42, 24, 45, 35);
    tail.quadTo(38, 30, 33, 24);
    p.setPen(QPen(outline, lw, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(darker(colour, 0.08));
    p.drawPath(tail);

    // Top fin.
    QPainterPath fin;
    fin.moveTo(15, 15);
    fin.quadTo(22, 6, 30, 14);
    fin.lineTo(26, 16);
    fin.closeSubpath();
    p.setBrush(darker(colour, 0.12));
    p.drawPath(fin);

    // Body.
    QPainterPath body;
    body.moveTo(4, 25);
    body.cubicTo(9, 12, 28, 9, 36, 24);
    body.cubicTo(28, 38, 9, 37, 4, 25);
    QLinearGradient g(0, 12, 0, 36);
    g.setColorAt(0, lighter(colour, 0.35));
    g.setColorAt(0.6, colour);
    g.setColorAt(1, darker(colour, 0.12));
    p.setBrush(g);
    p.drawPath(body);

    // Gill line and a couple of scale arcs.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(withAlpha(outline, 170), 1.1, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(8, 16, 10, 17), -60 * 16, 120 * 16);
    p.setPen(QPen(withAlpha(lighter(colour, 0.7), 200), 1.0, Qt::SolidLine, Qt::RoundCap));
    for (qreal x : {21.0, 26.5})
        p.drawArc(QRectF(x - 4, 20, 6, 8), -70 * 16, 140 * 16);

    // Side fin.
    QPainterPath pect;
    pect.moveTo(17, 28);
    pect.quadTo(22, 29, 23, 34);
    pect.quadTo(19, 32, 17, 28);
    p.setPen(QPen(outline, 1.0));
    p.setBrush(darker(colour, 0.15));
    p.drawPath(pect);

    // Eye.
    p.setPen(QPen(outline, 0.8));
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(11, 22.5), 3.2, 3.2);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x1a, 0x1e, 0x24));
    p.drawEllipse(QPointF(10.4, 22.6), 1.6, 1.6);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(9.9, 22.0), 0.55, 0.55);

    // Bubbles.
    p.setPen(QPen(lighter(colour, 0.3), 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(5.5, 11), 2.0, 2.0);
    p.drawEllipse(QPointF(9.5, 5.5), 1.4, 1.4);
    return img;
}

// Role button: a person in the role colour with a badge naming the duty.
enum class Duty { Gear, Check, Yuan, Star };

void dutyBadge(QPainter& p, QPointF c, qreal r, Duty duty, const QColor& colour) {
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(c, r + 1.3, r + 1.3);
    switch (duty) {
    case Duty::Gear:
        gear(p, c, r, darker(colour, 0.25), Qt::white);
        break;
    case Duty::Check:
        p.setBrush(darker(colour, 0.2));
        p.drawEllipse(c, r, r);
        checkMark(p, QRectF(c.x() - r * 0.5, c.y() - r * 0.4, r * 1.0, r * 0.8), 1.6, Qt::white);
        break;
    case Duty::Yuan:
        p.setBrush(darker(colour, 0.2));
        p.drawEllipse(c, r, r);
        p.setFont(uiFont(qRound(r * 1.6), true));
        p.setPen(Qt::white);
        p.drawText(QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r), Qt::AlignCenter, QStringLiteral("¥"));
        break;
    case Duty::Star: {
        p.setBrush(darker(colour, 0.2));
        p.drawEllipse(c, r, r);
        QPolygonF star;
        for (int i = 0; i < 10; ++i) {
            const qreal a = -M_PI / 2 + i * M_PI / 5;
            const qreal rr = (i % 2 == 0) ? r * 0.78 : r * 0.33;
            star << c + QPointF(std::cos(a) * rr, std::sin(a) * rr);
        }
        p.setBrush(QColor(0xff, 0xe0, 0x7a));
        p.drawPolygon(star);
        break;
    }
    }
    p.restore();
}

QImage roleButton(const QColor& colour, Duty duty) {
    QImage img = canvas(32, 32, kIconBg);
    QPainter p(&img);
    prepare(p);
    person(p, QRectF(2, 2, 23, 28), colour);
    dutyBadge(p, QPointF(24.5, 23.5), 6, duty, colour);
    return img;
}

QImage manageButton() {
    QImage img = canvas(32, 32, kIconBg);
    QPainter p(&img);
    prepare(p);
    person(p, QRectF(12, 2, 19, 24), pal::Teal);
    person(p, QRectF(1, 6, 21, 25), kAdminBlue);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(25, 25), 7, 7);
    gear(p, QPointF(25, 25), 5.8, pal::Grey, Qt::white);
    return img;
}

// ---- 24-pixel tool buttons ----

QImage button24() {
    return canvas(24, 24, kIconBg);
}

void chevron(QPainter& p, QPointF c, qreal size, bool left, const QColor& colour, qreal width) {
    const qreal d = left ? 1 : -1;
    p.save();
    p.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    QPainterPath path;
    path.moveTo(c + QPointF(d * size * 0.35, -size * 0.6));
    path.lineTo(c + QPointF(-d * size * 0.35, 0));
    path.lineTo(c + QPointF(d * size * 0.35, size * 0.6));
    p.drawPath(path);
    p.restore();
}

QImage pageButton(bool previous) {
    QImage img = button24();
    QPainter p(&img);
    prepare(p);
    QLinearGradient g(0, 2, 0, 22);
    g.setColorAt(0, pal::BlueLight);
    g.setColorAt(1, pal::Blue);
    p.setPen(QPen(darker(pal::Blue, 0.25), 1));
    p.setBrush(g);
    p.drawEllipse(QPointF(12, 12), 10, 10);
    chevron(p, QPointF(previous ? 11.5 : 12.5, 12), 10, previous, Qt::white, 2.6);
    return img;
}

QImage newRecordButton() {
    QImage img = button24();
    QPainter p(&img);
    prepare(p);
    document(p, QRectF(3.5, 2.5, 14, 18), Qt::white, QColor(0x6a, 0x78, 0x88));
    plusBadge(p, QPointF(17, 17), 6, pal::Green);
    return img;
}

QImage searchButton() {
    QImage img = button24();
    QPainter p(&img);
    prepare(p);
    magnifier(p, QPointF(10, 10), 6.5, pal::Blue, 2.2);
    return img;
}

QImage reportButton() {
    QImage img = button24();
    QPainter p(&img);
    prepare(p);
    document(p, QRectF(3.5, 2.5, 17, 19), Qt::white, QColor(0x6a, 0x78, 0x88), false);
    p.setPen(Qt::NoPen);
    const QColor bars[3] = {pal::Blue, pal::Orange, pal::Green};
    const qreal heights[3] = {6, 10, 8};
    for (int i = 0; i < 3; ++i) {
        p.setBrush(bars[i]);
        p.drawRect(QRectF(6.5 + i * 4, 18.5 - heights[i], 3, heights[i]));
    }
    return img;
}

QImage printButton() {
    QImage img = button24();
    QPainter p(&img);
    prepare(p);
    const QColor body(0x5f, 0x6b, 0x78);
    p.setPen(QPen(QColor(0x6a, 0x78, 0x88), 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(6.5, 2.5, 11, 8)); // paper going in
    p.setPen(Qt::NoPen);
    QLinearGradient g(0, 9, 0, 18);
    g.setColorAt(0, lighter(body, 0.25));
    g.setColorAt(1, body);
    p.setBrush(g);
    p.drawRoundedRect(QRectF(2, 9, 20, 9), 2, 2);
    p.setBrush(pal::Green);
    p.drawEllipse(QPointF(18.5, 12), 1.2, 1.2);
    p.setPen(QPen(QColor(0x6a, 0x78, 0x88), 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(6.5, 14.5, 11, 7)); // printed sheet
    p.setPen(QPen(QColor(0xa8, 0xb2, 0xbe), 1));
    p.drawLine(QPointF(8.5, 17.5), QPointF(15.5, 17.5));
    p.drawLine(QPointF(8.5, 19.5), QPointF(13.5, 19.5));
    return img;
}

QImage excelButton() {
    // A spreadsheet page: green header row and a grid of cells.
    QImage img = button24();
    QPainter p(&img);
    prepare(p);
    const QColor green(0x23, 0x8a, 0x4c);
    const QRectF sheet(2.5, 3.5, 19, 17);
    p.setPen(QPen(darker(green, 0.1), 1));
    p.setBrush(Qt::white);
    p.drawRect(sheet);
    p.setPen(Qt::NoPen);
    p.setBrush(green);
    p.drawRect(QRectF(3, 4, 18, 4));
    p.setPen(QPen(lighter(green, 0.45), 1));
    for (qreal x : {8.5, 14.5})
        p.drawLine(QPointF(x, 8), QPointF(x, 20));
    for (qreal y : {12.5, 16.5})
        p.drawLine(QPointF(3, y), QPointF(21, y));
    p.setPen(Qt::NoPen);
    p.setBrush(lighter(green, 0.75));
    p.drawRect(QRectF(9, 13, 5, 3));
    return img;
}

QImage storeButton(bool backup) {
    QImage img = button24();
    QPainter p(&img);
    prepare(p);
    cylinder(p, QRectF(2, 3, 14, 18), QColor(0x4f, 0x7f, 0xb0));
    const QColor c = backup ? pal::Green : pal::Orange;
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(17, 15), 6.8, 6.8);
    p.setBrush(c);
    p.drawEllipse(QPointF(17, 15), 5.6, 5.6);
    if (backup)
        arrow(p, QPointF(17, 19), QPointF(17, 10.6), 2.2, 4, Qt::white);
    else
        arrow(p, QPointF(17, 11), QPointF(17, 19.4), 2.2, 4, Qt::white);
    return img;
}

QImage dayButton(bool previous) {
    QImage img = button24();
    QPainter p(&img);
    prepare(p);
    calendar(p, QRectF(2.5, 4.5, 15, 16), pal::Red);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(17.5, 16.5), 6.3, 6.3);
    p.setBrush(pal::Blue);
    p.drawEllipse(QPointF(17.5, 16.5), 5.2, 5.2);
    chevron(p, QPointF(previous ? 17 : 18, 16.5), 6, previous, Qt::white, 1.8);
    return img;
}

QImage roundMark(bool ok) {
    QImage img = button24();
    QPainter p(&img);
    prepare(p);
    const QColor c = ok ? pal::Green : pal::Red;
    QLinearGradient g(0, 2, 0, 22);
    g.setColorAt(0, lighter(c, 0.25));
    g.setColorAt(1, c);
    p.setPen(QPen(darker(c, 0.25), 1));
    p.setBrush(g);
    p.drawEllipse(QPointF(12, 12), 10, 10);
    if (ok)
        checkMark(p, QRectF(7, 8, 10, 7.5), 2.6, Qt::white);
    else
        crossMark(p, QRectF(8, 8, 8, 8), 2.6, Qt::white);
    return img;
}

// ---- card coins (icons with transparency) ----

// Count 0 gives the grey "nothing" coin; 1..3 coins grow from one coin to a heap of three.
QImage coinIcon(const QColor& colour, int count) {
    QImage img = clearCanvas(48, 48);
    QPainter p(&img);
    prepare(p);
    switch (count) {
    case 0:
    case 1:
        coin(p, QPointF(24, 24), 13, colour);
        break;
    case 2:
        coin(p, QPointF(29.5, 19.5), 14.5, darker(colour, 0.06));
        coin(p, QPointF(18.5, 28.5), 14.5, colour);
        break;
    default:
        coin(p, QPointF(15.5, 17), 14, darker(colour, 0.08));
        coin(p, QPointF(32.5, 17), 14, darker(colour, 0.08));
        coin(p, QPointF(24, 31.5), 15.5, colour);
        break;
    }
    return img;
}

} // namespace

void makeIcons(const QString& res) {
    saveBmp(fish(kAdminBlue), res + "/BlueFish.bmp");
    saveBmp(fish(kSupervisorYellow), res + "/YellowFish.bmp");
    saveBmp(fish(kDirectorOrange), res + "/OrangeFish.bmp");
    saveBmp(fish(kManagerGreen), res + "/GreenFish.bmp");

    saveBmp(roleButton(kSupervisorYellow, Duty::Check), res + "/RoleSupervisor.bmp");
    saveBmp(roleButton(kDirectorOrange, Duty::Yuan), res + "/RoleDirector.bmp");
    saveBmp(roleButton(kAdminBlue, Duty::Gear), res + "/RoleAdmin.bmp");
    saveBmp(roleButton(kManagerGreen, Duty::Star), res + "/RoleManager.bmp");
    saveBmp(manageButton(), res + "/Manage.bmp");

    saveBmp(pageButton(true), res + "/PrevPage.bmp");
    saveBmp(pageButton(false), res + "/NextPage.bmp");
    saveBmp(newRecordButton(), res + "/NewRecord.bmp");
    saveBmp(searchButton(), res + "/Search.bmp");
    saveBmp(reportButton(), res + "/Report.bmp");
    saveBmp(printButton(), res + "/Print.bmp");
    saveBmp(excelButton(), res + "/Excel.bmp");
    saveBmp(storeButton(true), res + "/Backup.bmp");
    saveBmp(storeButton(false), res + "/Restore.bmp");
    saveBmp(dayButton(true), res + "/PrevDay.bmp");
    saveBmp(dayButton(false), res + "/NextDay.bmp");
    saveBmp(roundMark(true), res + "/Ok.bmp");
    saveBmp(roundMark(false), res + "/Cancel.bmp");

    saveIco(coinIcon(QColor(0xa3, 0xa8, 0xaf), 0), res + "/Money0.ico");
    struct Tone {
        const char* name;
        QColor colour;
    };
    const Tone tones[] = {{"Blue", QColor(0x35, 0x7d, 0xd0)},
                          {"Purple", QColor(0x93, 0x5c, 0xc4)},
                          {"Green", QColor(0x3c, 0xa6, 0x5e)},
                          {"Yellow", QColor(0xe9, 0xb8, 0x1f)}};
    for (const Tone& t : tones)
        for (int n = 1; n <= 3; ++n)
            saveIco(coinIcon(t.colour, n), res + "/" + t.name + QString(n, QLatin1Char('+')) + ".ico");
}
