#pragma once

// Checks a prepared report as it stands on paper: written to PDF as the preview writes it and read
// back with its characters and their boxes.

#include "kit/report/PageRenderer.h"
#include "kit/report/ReportEngine.h"
#include "kit/report/ReportOutput.h"

#include <QDir>
#include <QPdfDocument>
#include <QPdfSelection>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <vector>

struct Glyph {
    QChar Character;
    QRectF Box; // points, from the page's top left corner
};

// The characters of a PDF page with their boxes, in the order they were written; spaces (which
// the reader also makes up between texts) left out.
inline std::vector<Glyph> GlyphsOf(QPdfDocument& pdf, int page) {
    std::vector<Glyph> glyphs;
    const QString all = pdf.getAllText(page).text();
    for (int i = 0; i < all.size(); ++i) {
        if (all[i].isSpace() || all[i].category() == QChar::Other_Control)
            continue;
        const QPdfSelection one = pdf.getSelectionAtIndex(page, i, 1);
        glyphs.push_back(Glyph{one.text().isEmpty() ? all[i] : one.text().at(0), one.boundingRectangle()});
    }
    return glyphs;
}

inline QString Describe(const QRectF& r) {
    return QStringLiteral("(%1,%2 %3x%4)")
        .arg(r.x(), 0, 'f', 1)
        .arg(r.y(), 0, 'f', 1)
        .arg(r.width(), 0, 'f', 1)
        .arg(r.height(), 0, 'f', 1);
}

// Writes the prepared report to PDF as the preview's PDF button does and checks that every text
// is there whole and each of its characters lies inside the text's cell. With KESTREL_SHOTS set,
// the PDF and a picture of each page are left there.
inline void CheckWholeOnPaper(const PreparedReport& report, const QString& name) {
    QTemporaryDir dir;
    const QString shots = qEnvironmentVariable("KESTREL_SHOTS");
    const QString folder = shots.isEmpty() ? dir.path() : shots;
    const QString path = QDir(folder).filePath(name + QStringLiteral(".pdf"));
    QString error;
    QVERIFY2(WriteReportPdf(report, path, &error), qPrintable(error));
    QPdfDocument pdf;
    QCOMPARE(pdf.load(path), QPdfDocument::Error::None);
    QCOMPARE(pdf.pageCount(), report.PageCount());
    const double pointsPerMm = 72.0 / 25.4;
    const double tolerance = 0.25; // points: rounding of the boxes the reader reports
    for (int page = 0; page < report.PageCount(); ++page) {
        if (!shots.isEmpty()) {
            const QSizeF size = pdf.pagePointSize(page) * 2;
            pdf.render(page, size.toSize())
                .save(QDir(shots).filePath(QStringLiteral("%1_page%2.png").arg(name).arg(page + 1)));
        }
        const std::vector<Glyph> glyphs = GlyphsOf(pdf, page);
        // The reader orders texts on one line by their place, so each text is looked for as a run
        // of characters, not taken by another text, that reaches into its cell; of several such
        // runs, the one nearest the cell.
        std::vector<bool> taken(glyphs.size(), false);
        for (const PageRenderer::PageText& text : PageRenderer::Texts(report, page)) {
            const QRectF mm = text.PaperMm;
            const QRectF cell(mm.x() * pointsPerMm, mm.y() * pointsPerMm, mm.width() * pointsPerMm,
                              mm.height() * pointsPerMm);
            QString wanted = text.Text;
            wanted.removeIf([](QChar c) { return c.isSpace(); });
            if (wanted.isEmpty())
                continue;
            const size_t length = static_cast<size_t>(wanted.size());
            size_t best = glyphs.size();
            double bestDistance = 0;
            for (size_t start = 0; start + length <= glyphs.size(); ++start) {
                QRectF run;
                bool matches = true;
                for (size_t i = 0; i < length && matches; ++i) {
                    const Glyph& glyph = glyphs[start + i];
                    matches = !taken[start + i] && glyph.Character == wanted[static_cast<qsizetype>(i)];
                    run = run.united(glyph.Box);
                }
                if (!matches || !run.intersects(cell))
                    continue;
                const QPointF apart = run.center() - cell.center();
                const double distance = QPointF::dotProduct(apart, apart);
                if (best == glyphs.size() || distance < bestDistance) {
                    best = start;
                    bestDistance = distance;
                }
            }
            QVERIFY2(best < glyphs.size(),
                     qPrintable(QStringLiteral("“%1” is not written whole in its cell %2 on page %3")
                                    .arg(text.Text, Describe(cell))
                                    .arg(page + 1)));
            for (size_t i = best; i < best + length; ++i) {
                taken[i] = true;
                QVERIFY2(cell.adjusted(-tolerance, -tolerance, tolerance, tolerance).contains(glyphs[i].Box),
                         qPrintable(QStringLiteral("“%1” on page %2: “%3” %4 lies outside its cell %5")
                                        .arg(text.Text)
                                        .arg(page + 1)
                                        .arg(glyphs[i].Character)
                                        .arg(Describe(glyphs[i].Box), Describe(cell))));
            }
        }
        // Nothing else is written on the page.
        QCOMPARE(std::count(taken.begin(), taken.end(), false), 0);
    }
}
