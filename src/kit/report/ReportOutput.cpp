#include "ReportOutput.h"

#include "PageRenderer.h"
#include "ReportEngine.h"
#include "foundation/FileTargets.h"
#include "foundation/Leftovers.h"

#include <QFile>
#include <QFileInfo>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>

namespace {

// Draws pages first..last (0-based, inclusive) on a paged device, one device page each.
bool DrawPages(const PreparedReport& report, QPagedPaintDevice& device, int resolution, int first, int last) {
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    const double dotsPerMm = resolution / 25.4;
    for (int page = first; page <= last; ++page) {
        if (page > first && !device.newPage())
            return false;
        PageRenderer::Draw(report, page, painter, dotsPerMm);
    }
    return painter.end();
}

} // namespace

void UseReportPaper(const PreparedReport& report, QPagedPaintDevice& device) {
    const ReportPageSetup& page = report.Template().Page;
    const QPageSize size(page.Size, QPageSize::Millimeter, QString(), QPageSize::ExactMatch);
    device.setPageLayout(QPageLayout(size, page.Landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                                     QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
}

bool WriteReportPdf(const PreparedReport& report, const QString& fileName, QString* error) {
    // Written to a new file beside the chosen one and moved over it when complete: an existing file
    // is never left half written.
    const QString part = FileTargets::PartBeside(fileName, QStringLiteral("pdf"));
    const Leftovers::Unfinished noted(part);
    bool drawn = false;
    {
        QPdfWriter writer(part);
        writer.setResolution(600);
        writer.setCreator(QStringLiteral("Kestrel"));
        writer.setTitle(report.Template().Title);
        UseReportPaper(report, writer);
        drawn = report.PageCount() > 0 &&
                DrawPages(report, writer, writer.resolution(), 0, report.PageCount() - 1);
    }
    QString cause;
    if (drawn && QFileInfo(part).size() > 0) {
        cause = FileTargets::MoveIntoPlace(part, fileName);
        if (cause.isEmpty())
            return true;
    }
    QFile::remove(part);
    *error = QStringLiteral("文件 %1 无法写入").arg(fileName);
    if (!cause.isEmpty())
        *error += QStringLiteral("：") + cause;
    return false;
}

bool PrintReport(const PreparedReport& report, QPrinter& printer, int first, int last) {
    if (report.PageCount() == 0)
        return false;
    printer.setFullPage(true);
    UseReportPaper(report, printer);
    const int from = first > 0 ? std::min(first, report.PageCount()) - 1 : 0;
    const int to = last > 0 ? std::min(last, report.PageCount()) - 1 : report.PageCount() - 1;
    return DrawPages(report, printer, printer.resolution(), from, std::max(from, to));
}
