#pragma once

#include <QColor>
#include <QLineF>
#include <QRectF>
#include <QString>
#include <vector>

class PreparedReport;
class QPainter;

// Draws the pages of a prepared report with QPainter: alike on the screen, a printer or a PDF file.
class PageRenderer {
public:
    // Draws a page with the paper's top left corner at the painter's origin, dotsPerMm device
    // pixels to the millimetre. The paper itself (white) is the caller's.
    static void Draw(const PreparedReport& report, int page, QPainter& painter, double dotsPerMm);

    // The texts of a page as drawn, each with its place on the paper in mm, in drawing order.
    struct PageText {
        QRectF PaperMm;
        QString Text;
    };
    static std::vector<PageText> Texts(const PreparedReport& report, int page);

    // The lines of a page as drawn (frames and line items), by pen, in device pixels at dotsPerMm:
    // pieces that lie on one line and touch are joined, so a side shared by cells is drawn once.
    struct PageLines {
        QColor Colour;
        double Width = 0;
        std::vector<QLineF> Lines;
    };
    static std::vector<PageLines> Lines(const PreparedReport& report, int page, double dotsPerMm);
};

// The fonts a report item asks for, with the CJK fonts the program installs with behind it.
QStringList ReportFontFamilies(const QString& family);
