// Times the document list print of every document on a large database:
//  - the preview's first page on screen (template read, report laid out, window shown, first page
//    drawn) against the document query made ready in the grid (query, footer, first paint);
//  - the whole list written as PDF by the engine against QPainter alone drawing the same cell texts
//    at the same places with the same fonts and colours, and the same lines, into a QPdfWriter;
//  - the memory the preview adds, against the memory of the result in the grid.
// Each figure is the median of several runs, the two sides of a ratio measured alternately in the
// same run.
//
// usage: kestrel_bench_print PATH-OF-A-LARGE-Kestrel.mdb [pdf-runs]   (kestrel_makebenchdb writes one)
#include "BenchProgram.h"
#include "BenchTiming.h"
#include "app/Forms.h"
#include "foundation/PublicFunction.h"
#include "foundation/ShareDM.h"
#include "foundation/Startup.h"
#include "kit/DataGrid.h"
#include "kit/Prompts.h"
#include "kit/report/PageRenderer.h"
#include "kit/report/ReportOutput.h"
#include "kit/report/ReportPreview.h"
#include "mainwindow/MainForm.h"
#include "reports/Printing.h"
#include "reports/ReportQueries.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QPdfWriter>
#include <QPen>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <functional>
#include <malloc.h>
#include <vector>

namespace {

QTextStream out(stdout);

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double Ms(const std::function<void()>& run) {
    QElapsedTimer timer;
    timer.start();
    run();
    return timer.nsecsElapsed() / 1e6;
}

QString Text(double value, int decimals = 0) {
    return QString::number(value, 'f', decimals);
}

// Resident memory of the process in MiB, after giving freed memory back.
double ResidentMiB() {
    malloc_trim(0);
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return 0;
}

// The lines of every page as the engine draws them, made before the timing: QPainter alone then
// draws the same lines on paper, each pen's lines of a page in one call.
using ReportLines = std::vector<std::vector<PageRenderer::PageLines>>;
ReportLines LinesOf(const PreparedReport& report, double dotsPerMm) {
    ReportLines lines;
    for (int page = 0; page < report.PageCount(); ++page)
        lines.push_back(PageRenderer::Lines(report, page, dotsPerMm));
    return lines;
}

// The same texts and lines the engine draws for the list, without the engine: the rows of the
// result read directly, formatted as the template says, drawn where the engine draws them, page by
// page, the font set only when it changes; the lines made beforehand.
void DrawWithoutEngine(const PreparedReport& report, const Query& result, const ReportLines& lines,
                       const QString& fileName) {
    QPdfWriter writer(fileName);
    writer.setResolution(600);
    UseReportPaper(report, writer);
    QPainter painter(&writer);
    const double dotsPerMm = writer.resolution() / 25.4;
    const ReportTemplate& layout = report.Template();
    // Where each text of a band stands: the engine's page model gives the bands' places per page;
    // the texts themselves are made here from the rows.
    struct Cell {
        QRectF Mm;
        int Column;
        QString Format;
        int Item; // the item's place in its band
        QFont Font;
        Qt::Alignment Align;
        QColor Colour;
    };
    std::vector<std::vector<Cell>> bandCells(layout.Bands.size());
    const int deviceDpi = writer.logicalDpiY();
    for (size_t b = 0; b < layout.Bands.size(); ++b) {
        const auto& items = layout.Bands[b].Items;
        for (size_t i = 0; i < items.size(); ++i) {
            const ReportItem& item = items[i];
            if (item.Type != ReportItem::Kind::Text)
                continue;
            Cell cell{item.Geometry, -1, item.Format, static_cast<int>(i), QFont(), item.Align, item.Colour};
            cell.Font.setFamilies(ReportFontFamilies(item.FontFamily));
            cell.Font.setPointSizeF(item.FontSize * dotsPerMm * 25.4 / deviceDpi);
            cell.Font.setBold(item.Bold);
            if (item.Parts.size() == 1 && item.Parts[0].Type == TextPart::Kind::Field)
                cell.Column = result.FieldIndex(item.Parts[0].Field);
            bandCells[b].push_back(cell);
        }
    }
    const Cell* lastFont = nullptr;
    for (int page = 0; page < report.PageCount(); ++page) {
        if (page > 0)
            writer.newPage();
        const auto placed = report.Page(page);
        for (size_t i = 0; i < placed.size(); ++i) {
            const PlacedBand& band = placed[i];
            const QPointF origin(layout.Page.MarginLeft, layout.Page.MarginTop + band.Top);
            for (const Cell& cell : bandCells[static_cast<size_t>(band.Band)]) {
                QString text;
                if (cell.Column >= 0) {
                    const QVariant value = result.ValueAt(band.Row, cell.Column);
                    // Amounts rounded; dates (stored "yyyy-MM-dd HH:mm:ss") as their day; the rest
                    // as stored.
                    if (cell.Format == QLatin1String("amount"))
                        text = RoundAmountText(value.toDouble());
                    else if (cell.Format.startsWith(QLatin1String("date:")))
                        text = value.toString().left(10);
                    else
                        text = value.toString();
                } else {
                    text =
                        report.ItemText(band.Band, cell.Item, band.Row, page); // titles, totals, page numbers
                }
                if (text.isEmpty())
                    continue;
                const QRectF mm = cell.Mm.translated(origin);
                if (&cell != lastFont && (!lastFont || cell.Font != lastFont->Font)) {
                    painter.setFont(cell.Font);
                    lastFont = &cell;
                }
                if (painter.pen().color() != cell.Colour)
                    painter.setPen(cell.Colour);
                painter.drawText(QRectF(mm.x() * dotsPerMm + 0.6 * dotsPerMm, mm.y() * dotsPerMm,
                                        mm.width() * dotsPerMm - 1.2 * dotsPerMm, mm.height() * dotsPerMm),
                                 static_cast<int>(cell.Align), text);
            }
        }
        for (const PageRenderer::PageLines& pen : lines[static_cast<size_t>(page)]) {
            QPen line(pen.Colour);
            line.setWidthF(pen.Width);
            line.setCapStyle(Qt::SquareCap);
            painter.setPen(line);
            painter.drawLines(pen.Lines.data(), static_cast<int>(pen.Lines.size()));
        }
    }
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc < 2 || !QFileInfo(QString::fromLocal8Bit(argv[1])).isFile()) {
        out << "usage: kestrel_bench_print PATH-OF-A-LARGE-Kestrel.mdb [pdf-runs]\n";
        return 2;
    }
    const QString path = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath();
    const int pdfRuns = argc > 2 ? std::max(1, QString::fromLocal8Bit(argv[2]).toInt()) : 3;
    if (!StartProgramOn(path, out))
        return 1;
    FormMain->PageControl1->setCurrentIndex(TFormMain::PageBillReport);
    const QString bills = BillReportSelect() + QStringLiteral("(BillIndex > 1)");
    const QString templateFile = ProgramFolder + ListTemplate(true, QStringLiteral("纵向打印"));

    // Memory: before the result, with the result in the grid, and with the preview open on it.
    FormMain->BReportADOQuery.Close();
    const double before = ResidentMiB();
    FormMain->FillBillReport(bills);
    FormMain->DBGridEh2->viewport()->grab();
    const double withResult = ResidentMiB();
    const int rows = FormMain->BReportADOQuery.RecordCount();

    // Grid ready and preview's first page, alternately.
    std::vector<double> grid, preview;
    int pages = 0;
    for (int run = 0; run < 7; ++run) {
        grid.push_back(Ms([&] {
            FormMain->FillBillReport(bills);
            FormMain->DBGridEh2->viewport()->grab();
        }));
        preview.push_back(Ms([&] {
            Report& report = FormMain->frReport3;
            report.Data.Clear();
            report.Data.Add(QStringLiteral("frDBDataSet3"), &FormMain->frDBDataSet3);
            report.LoadFromFile(templateFile);
            ReportPreview window(FormMain);
            window.SetReport(report.Prepare());
            window.show();
            window.Pages->viewport()->grab();
            pages = window.Prepared()->PageCount();
        }));
    }
    Report& report = FormMain->frReport3;
    report.LoadFromFile(templateFile);
    auto prepared = report.Prepare();
    double withPreview = 0;
    {
        ReportPreview window(FormMain);
        window.SetReport(prepared);
        window.show();
        window.Pages->viewport()->grab();
        withPreview = ResidentMiB();
    }

    out << "document list print, " << rows << " documents, " << pages << " pages (portrait)\n";
    out << "  ready in the grid (query, footer, first paint), median of 7: " << Text(Median(grid)) << " ms\n";
    out << "  preview's first page on screen, median of 7:                 " << Text(Median(preview))
        << " ms\n";
    out << "  ratio preview / grid: " << Text(Median(preview) / Median(grid), 2) << " (at most 1.5)\n";
    out << "  memory: " << Text(withResult - before, 1) << " MiB for the result in the grid, "
        << Text(withPreview - withResult, 1)
        << " MiB more with the preview open; ratio (grid + preview) / grid "
        << Text((withPreview - before) / std::max(0.1, withResult - before), 2) << " (under 3)\n";
    out << "  placed bands kept by the prepared report: "
        << Text(double(rows + 3 * pages) * sizeof(PlacedBand) / 1048576.0, 1) << " MiB\n";
    out.flush();

    // PDF: the engine against QPainter alone, alternately.
    QTemporaryDir dir;
    const ReportLines lines = LinesOf(*prepared, 600 / 25.4);
    // Wall time, and the CPU time of the thread, which other work on a shared machine disturbs less.
    std::vector<double> engine, painter, engineCpu, painterCpu;
    auto measure = [](std::vector<double>& wall, std::vector<double>& cpu, const std::function<void()>& run) {
        const double start = ThreadCpuMs();
        wall.push_back(Ms(run));
        cpu.push_back(ThreadCpuMs() - start);
    };
    for (int run = 0; run < pdfRuns; ++run) {
        QString error;
        measure(engine, engineCpu,
                [&] { WriteReportPdf(*prepared, dir.filePath(QStringLiteral("engine.pdf")), &error); });
        measure(painter, painterCpu, [&] {
            DrawWithoutEngine(*prepared, FormMain->BReportADOQuery, lines,
                              dir.filePath(QStringLiteral("painter.pdf")));
        });
        out << "  pdf run " << run + 1 << ": engine " << Text(engine.back()) << " ms wall / "
            << Text(engineCpu.back()) << " ms cpu, QPainter alone " << Text(painter.back()) << " ms wall / "
            << Text(painterCpu.back()) << " ms cpu\n";
        out.flush();
    }
    out << "  whole list as PDF, median of " << pdfRuns << ": engine " << Text(Median(engine))
        << " ms wall / " << Text(Median(engineCpu)) << " ms cpu, QPainter alone " << Text(Median(painter))
        << " ms wall / " << Text(Median(painterCpu)) << " ms cpu; ratio "
        << Text(Median(engine) / Median(painter), 2) << " wall, "
        << Text(Median(engineCpu) / Median(painterCpu), 2) << " cpu (at most 1.3)\n";
    out << "  PDF sizes: engine "
        << Text(QFileInfo(dir.filePath(QStringLiteral("engine.pdf"))).size() / 1048576.0, 1)
        << " MiB, QPainter alone "
        << Text(QFileInfo(dir.filePath(QStringLiteral("painter.pdf"))).size() / 1048576.0, 1) << " MiB\n";
    DestroyForms();
    return 0;
}
