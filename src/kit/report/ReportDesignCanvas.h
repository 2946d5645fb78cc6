#pragma once

#include "ReportDesignModel.h"

#include <QWidget>

class QMimeData;

// The page of the template being designed, drawn to scale: the paper, its margins, the bands one
// below the other with their names, and the items of each band. An item is selected by a click,
// moved by dragging it or with the arrow keys (1 mm, 0.1 mm with Shift), resized by its lower
// right corner; a field dropped from the field list becomes a text item where it is dropped.
class ReportDesignCanvas : public QWidget {
    Q_OBJECT
public:
    explicit ReportDesignCanvas(ReportDesignModel* model, QWidget* parent = nullptr);

    // Screen pixels to the millimetre.
    static constexpr double Scale = 3.0;
    // Height of the strip that names a band, in mm, drawn above the band.
    static constexpr double CaptionMm = 4.0;

    // Where a band's top left corner lies on the canvas, in mm from the paper's corner.
    QPointF BandOrigin(int band) const;
    // The band and the place in it (mm) under a canvas point; band -1 when none.
    int BandAt(const QPoint& point, QPointF* inBand = nullptr) const;
    // An item's rectangle on the canvas, in pixels.
    QRect ItemRect(ReportDesignModel::ItemRef item) const;
    ReportDesignModel::ItemRef ItemAt(const QPoint& point) const;
    // A field dragged from the field list and dropped at a canvas point: a text item showing it
    // there. False when the point lies in no band or the data is no field.
    bool DropField(const QPoint& point, const QMimeData& data);

    QSize sizeHint() const override;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    QPointF ToMm(const QPoint& point) const;
    QPoint ToPixels(const QPointF& mm) const;
    void UpdateSize();

    ReportDesignModel* model;
    enum class Drag { None, Move, Resize } drag = Drag::None;
    QPoint dragStart;
    QRectF dragGeometry;  // the item's geometry when the drag began (mm)
    QRectF shownGeometry; // the item's geometry while it is dragged (mm)
};

// The mime type of a field dragged from the field list: "DataSet.Field" as text.
inline const QString FieldMimeType = QStringLiteral("application/x-kestrel-report-field");

// The designer's name of a band kind (报表标题, 页眉, 主数据, ...), and of a band with its data set.
QString BandKindCaption(ReportBand::Kind kind);
QString BandCaption(const ReportBand& band);
