// Small drawing kit shared by all of Kestrel's generated pictures: the palette, fonts,
// the recurring glyphs (document, coin, person, ...) and the savers.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPointF>
#include <QRectF>
#include <QString>

namespace art {

// House palette. Everything is drawn from these so the pictures look like one set.
namespace pal {
inline const QColor Navy{0x1f, 0x3b, 0x57};
inline const QColor Blue{0x2f, 0x74, 0xc0};
inline const QColor BlueLight{0x5a, 0x9b, 0xe0};
inline const QColor Teal{0x1e, 0x8c, 0x8c};
inline const QColor Red{0xc8, 0x45, 0x3a};
inline const QColor Orange{0xe8, 0x83, 0x3a};
inline const QColor Green{0x3a, 0x9a, 0x5b};
inline const QColor Yellow{0xe8, 0xb9, 0x23};
inline const QColor Purple{0x8a, 0x56, 0xb8};
inline const QColor Grey{0x8a, 0x90, 0x99};
inline const QColor Ink{0x33, 0x3d, 0x47};
inline const QColor Paper{0xff, 0xff, 0xff};
inline const QColor Gold{0xff, 0xe0, 0x7a};
} // namespace pal

// Linear blend: t = 0 gives a, t = 1 gives b.
QColor mix(const QColor& a, const QColor& b, double t);
QColor lighter(const QColor& c, double t); // towards white
QColor darker(const QColor& c, double t);  // towards black
QColor withAlpha(QColor c, int alpha);

// The interface font at an exact pixel size, so the output does not depend on screen DPI.
QFont uiFont(int pixelSize, bool bold = true);

QImage canvas(int w, int h, const QColor& background);
QImage clearCanvas(int w, int h);
void prepare(QPainter& p);

// Text with a one-pixel soft shadow below it.
void shadowText(QPainter& p, const QRectF& box, int flags, const QString& text, const QColor& fg,
                const QColor& shadow);

// Savers; they stop the program with a message when the file cannot be written.
void saveBmp(const QImage& image, const QString& path);
void saveIco(const QImage& image, const QString& path);

// Recurring glyphs.
void arrow(QPainter& p, QPointF from, QPointF to, qreal width, qreal head, const QColor& colour);
void document(QPainter& p, const QRectF& r, const QColor& paper, const QColor& line, bool textLines = true);
void plusBadge(QPainter& p, QPointF centre, qreal radius, const QColor& fill);
void pencil(QPainter& p, QPointF tip, qreal length, qreal thickness);
void magnifier(QPainter& p, QPointF centre, qreal radius, const QColor& rim, qreal rimWidth);
void person(QPainter& p, const QRectF& r, const QColor& colour);
void gear(QPainter& p, QPointF centre, qreal radius, const QColor& colour, const QColor& hole);
void coin(QPainter& p, QPointF centre, qreal radius, const QColor& colour);
void calendar(QPainter& p, const QRectF& r, const QColor& band);
void banknote(QPainter& p, const QRectF& r, const QColor& paper, const QColor& ink);
void cylinder(QPainter& p, const QRectF& r, const QColor& colour);
void checkMark(QPainter& p, const QRectF& r, qreal width, const QColor& colour);
void crossMark(QPainter& p, const QRectF& r, qreal width, const QColor& colour);

} // namespace art
