#include "PreviewPages.h"

#include "PageRenderer.h"
#include "ReportEngine.h"

#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <cmath>

namespace {
// Grey space around and between the pages, in screen pixels.
constexpr int Gap = 12;
} // namespace

PreviewPages::PreviewPages(QWidget* parent)
    : QAbstractScrollArea(parent) {
    setObjectName(QStringLiteral("PreviewPages"));
    setAccessibleName(QStringLiteral("报表页面"));
    viewport()->setBackgroundRole(QPalette::Dark);
    viewport()->setAutoFillBackground(true);
    setFocusPolicy(Qt::StrongFocus);
}

void PreviewPages::SetReport(std::shared_ptr<const PreparedReport> value) {
    report = std::move(value);
    hits.clear();
    currentHit = -1;
    lastReportedPage = -1;
    UpdateScale();
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
    viewport()->update();
    emit CurrentPageChanged(CurrentPage());
}

QSizeF PreviewPages::PaperMm() const {
    return report ? report->Template().Page.PaperSize() : QSizeF(210, 297);
}

QSize PreviewPages::PagePixels() const {
    const QSizeF paper = PaperMm();
    return QSize(qRound(paper.width() * scale), qRound(paper.height() * scale));
}

void PreviewPages::SetZoom(ZoomMode mode, double value) {
    const int page = CurrentPage();
    zoomMode = mode;
    percent = std::clamp(value, 10.0, 800.0);
    UpdateScale();
    ShowPage(page);
}

void PreviewPages::UpdateScale() {
    const QSizeF paper = PaperMm();
    const double widthFit = std::max(40.0, double(viewport()->width() - 2 * Gap)) / paper.width();
    const double heightFit = std::max(40.0, double(viewport()->height() - 2 * Gap)) / paper.height();
    switch (zoomMode) {
    case ZoomMode::FitWidth:
        scale = widthFit;
        break;
    case ZoomMode::FitPage:
        scale = std::min(widthFit, heightFit);
        break;
    case ZoomMode::Percent:
        scale = percent / 100.0 * logicalDpiX() / 25.4;
        break;
    }
    UpdateScrollBars();
    viewport()->update();
}

void PreviewPages::UpdateScrollBars() {
    const QSize page = PagePixels();
    const int pages = report ? report->PageCount() : 0;
    const qint64 height = qint64(pages) * (page.height() + Gap) + Gap;
    const int width = page.width() + 2 * Gap;
    verticalScrollBar()->setRange(
        0, static_cast<int>(std::clamp<qint64>(height - viewport()->height(), 0, INT_MAX)));
    verticalScrollBar()->setPageStep(viewport()->height());
    verticalScrollBar()->setSingleStep(std::max(20, page.height() / 20));
    horizontalScrollBar()->setRange(0, std::max(0, width - viewport()->width()));
    horizontalScrollBar()->setPageStep(viewport()->width());
}

QPoint PreviewPages::PageOrigin(int page) const {
    const QSize size = PagePixels();
    // Centred while the page is narrower than the view.
    const int left = std::max(Gap, (viewport()->width() - size.width()) / 2);
    return QPoint(left, Gap + page * (size.height() + Gap));
}

int PreviewPages::CurrentPage() const {
    if (!report || report->PageCount() == 0)
        return 0;
    const int step = PagePixels().height() + Gap;
    // The page under a point a little below the top of the view (at most half a page down).
    const int y = verticalScrollBar()->value() + std::min(viewport()->height() / 3, step / 2);
    return std::clamp(y / std::max(1, step), 0, report->PageCount() - 1);
}

void PreviewPages::ShowPage(int page) {
    if (!report)
        return;
    page = std::clamp(page, 0, std::max(0, report->PageCount() - 1));
    verticalScrollBar()->setValue(PageOrigin(page).y() - Gap);
    viewport()->update();
}

void PreviewPages::ShowPlace(int page, const QRectF& paperMm) {
    const QPoint origin = PageOrigin(page);
    const int top = origin.y() + qRound(paperMm.top() * scale);
    const int bottom = origin.y() + qRound(paperMm.bottom() * scale);
    QScrollBar* bar = verticalScrollBar();
    if (top < bar->value() || bottom > bar->value() + viewport()->height())
        bar->setValue(top - viewport()->height() / 3);
    const int left = origin.x() + qRound(paperMm.left() * scale);
    QScrollBar* across = horizontalScrollBar();
    if (left < across->value() || left > across->value() + viewport()->width() - 40)
        across->setValue(left - Gap);
    viewport()->update();
}

void PreviewPages::SetHits(const std::vector<Hit>& value, int current) {
    hits = value;
    currentHit = current;
    viewport()->update();
}

void PreviewPages::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    if (!report || report->PageCount() == 0)
        return;
    const QSize size = PagePixels();
    const int step = size.height() + Gap;
    const int scrollX = horizontalScrollBar()->value();
    const int scrollY = verticalScrollBar()->value();
    const QRect area = event->rect();
    const int firstPage = std::max(0, (scrollY + area.top() - Gap) / std::max(1, step));
    const int lastPage = std::min(report->PageCount() - 1, (scrollY + area.bottom()) / std::max(1, step));
    for (int page = firstPage; page <= lastPage; ++page) {
        const QPoint origin = PageOrigin(page) - QPoint(scrollX, scrollY);
        const QRect paper(origin, size);
        if (!paper.intersects(area))
            continue;
        painter.fillRect(paper.translated(3, 3), QColor(0, 0, 0, 60));
        painter.fillRect(paper, Qt::white);
        painter.save();
        painter.setClipRect(paper);
        painter.translate(origin);
        for (size_t i = 0; i < hits.size(); ++i) {
            if (hits[i].Page != page)
                continue;
            const QRectF& mm = hits[i].PaperMm;
            const QRectF mark(mm.x() * scale, mm.y() * scale, mm.width() * scale, mm.height() * scale);
            painter.fillRect(mark, static_cast<int>(i) == currentHit ? QColor(255, 150, 0, 150)
                                                                     : QColor(255, 240, 0, 110));
        }
        PageRenderer::Draw(*report, page, painter, scale);
        painter.restore();
    }
}

void PreviewPages::resizeEvent(QResizeEvent* event) {
    const int page = CurrentPage();
    QAbstractScrollArea::resizeEvent(event);
    UpdateScale();
    if (zoomMode != ZoomMode::Percent)
        ShowPage(page);
}

void PreviewPages::scrollContentsBy(int, int) {
    viewport()->update();
    const int page = CurrentPage();
    if (page != lastReportedPage) {
        lastReportedPage = page;
        emit CurrentPageChanged(page);
    }
}
