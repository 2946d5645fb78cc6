#pragma once

#include <QAbstractScrollArea>
#include <QRectF>
#include <memory>
#include <vector>

class PreparedReport;

// The pages of a prepared report one below the other, drawn only while they are in view.
class PreviewPages : public QAbstractScrollArea {
    Q_OBJECT
public:
    enum class ZoomMode { FitPage, FitWidth, Percent };

    explicit PreviewPages(QWidget* parent = nullptr);

    void SetReport(std::shared_ptr<const PreparedReport> report);
    const PreparedReport* Report() const { return report.get(); }

    void SetZoom(ZoomMode mode, double percent = 100);
    ZoomMode Zoom() const { return zoomMode; }
    // Screen pixels to the millimetre at the present zoom.
    double Scale() const { return scale; }

    // The page (from 0) at the top of the view; scrolling there.
    int CurrentPage() const;
    void ShowPage(int page);

    // Marks the places of found texts: every hit of the pages in view, the current one stronger.
    struct Hit {
        int Page = -1;
        QRectF PaperMm;
    };
    void SetHits(const std::vector<Hit>& hits, int current);
    // Scrolls so that a place on a page is in view.
    void ShowPlace(int page, const QRectF& paperMm);

    // The top left corner of a page in content pixels (before scrolling).
    QPoint PageOrigin(int page) const;

signals:
    void CurrentPageChanged(int page);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    QSizeF PaperMm() const;
    QSize PagePixels() const;
    void UpdateScale();
    void UpdateScrollBars();

    std::shared_ptr<const PreparedReport> report;
    ZoomMode zoomMode = ZoomMode::FitWidth;
    double percent = 100;
    double scale = 1;
    std::vector<Hit> hits;
    int currentHit = -1;
    int lastReportedPage = -1;
};
