#include "ReportDesignCanvas.h"

#include "ReportFieldNames.h"

#include <QDragEnterEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <algorithm>

namespace {

constexpr int PaperMarginPx = 12; // grey space around the paper
constexpr int HandlePx = 6;

} // namespace

QString BandKindCaption(ReportBand::Kind kind) {
    switch (kind) {
    case ReportBand::Kind::ReportTitle:
        return QStringLiteral("报表标题");
    case ReportBand::Kind::PageHeader:
        return QStringLiteral("页眉");
    case ReportBand::Kind::Header:
        return QStringLiteral("主数据头");
    case ReportBand::Kind::MasterData:
        return QStringLiteral("主数据");
    case ReportBand::Kind::Footer:
        return QStringLiteral("主数据脚");
    case ReportBand::Kind::Summary:
        return QStringLiteral("报表合计");
    case ReportBand::Kind::PageFooter:
        return QStringLiteral("页脚");
    }
    return QString();
}

QString BandCaption(const ReportBand& band) {
    QString caption = BandKindCaption(band.Type);
    if (!band.DataSet.isEmpty())
        caption += QStringLiteral("：") + band.DataSet;
    return caption;
}

ReportDesignCanvas::ReportDesignCanvas(ReportDesignModel* model, QWidget* parent)
    : QWidget(parent)
    , model(model) {
    setObjectName(QStringLiteral("DesignCanvas"));
    setAccessibleName(QStringLiteral("报表页面"));
    setFocusPolicy(Qt::StrongFocus);
    setAcceptDrops(true);
    setAutoFillBackground(true);
    QPalette grey = palette();
    grey.setColor(QPalette::Window, QColor(128, 128, 128));
    setPalette(grey);
    connect(model, &ReportDesignModel::Changed, this, [this] {
        UpdateSize();
        update();
    });
    connect(model, &ReportDesignModel::SelectionChanged, this, qOverload<>(&QWidget::update));
    UpdateSize();
}

QSize ReportDesignCanvas::sizeHint() const {
    const ReportTemplate& t = model->Template();
    double height = t.Page.MarginTop + t.Page.MarginBottom;
    for (const ReportBand& band : t.Bands)
        height += CaptionMm + band.Height;
    return QSize(static_cast<int>(t.Page.PaperSize().width() * Scale) + 2 * PaperMarginPx,
                 static_cast<int>(std::max(height, t.Page.PaperSize().height()) * Scale) + 2 * PaperMarginPx);
}

void ReportDesignCanvas::UpdateSize() {
    setMinimumSize(sizeHint());
    resize(sizeHint());
}

QPointF ReportDesignCanvas::ToMm(const QPoint& point) const {
    return QPointF((point.x() - PaperMarginPx) / Scale, (point.y() - PaperMarginPx) / Scale);
}

QPoint ReportDesignCanvas::ToPixels(const QPointF& mm) const {
    return QPoint(PaperMarginPx + qRound(mm.x() * Scale), PaperMarginPx + qRound(mm.y() * Scale));
}

QPointF ReportDesignCanvas::BandOrigin(int band) const {
    const ReportTemplate& t = model->Template();
    double top = t.Page.MarginTop;
    for (int b = 0; b < band && b < static_cast<int>(t.Bands.size()); ++b)
        top += CaptionMm + t.Bands[static_cast<size_t>(b)].Height;
    return QPointF(t.Page.MarginLeft, top + CaptionMm);
}

int ReportDesignCanvas::BandAt(const QPoint& point, QPointF* inBand) const {
    const ReportTemplate& t = model->Template();
    const QPointF mm = ToMm(point);
    for (int b = 0; b < static_cast<int>(t.Bands.size()); ++b) {
        const QPointF origin = BandOrigin(b);
        const double height = t.Bands[static_cast<size_t>(b)].Height;
        if (mm.y() >= origin.y() - CaptionMm && mm.y() < origin.y() + height) {
            if (inBand)
                *inBand = QPointF(std::max(0.0, mm.x() - origin.x()), std::max(0.0, mm.y() - origin.y()));
            return b;
        }
    }
    return -1;
}

QRect ReportDesignCanvas::ItemRect(ReportDesignModel::ItemRef ref) const {
    const ReportItem* item = model->Item(ref);
    if (!item)
        return QRect();
    QRectF geometry = item->Geometry;
    if (ref == model->Selected() && drag != Drag::None)
        geometry = shownGeometry;
    const QPointF origin = BandOrigin(ref.Band);
    const QRectF normal = geometry.normalized();
    return QRect(ToPixels(origin + normal.topLeft()), ToPixels(origin + normal.bottomRight())).normalized();
}

ReportDesignModel::ItemRef ReportDesignCanvas::ItemAt(const QPoint& point) const {
    const ReportTemplate& t = model->Template();
    // The last drawn item is on top.
    for (int b = static_cast<int>(t.Bands.size()) - 1; b >= 0; --b) {
        const auto& items = t.Bands[static_cast<size_t>(b)].Items;
        for (int i = static_cast<int>(items.size()) - 1; i >= 0; --i) {
            if (ItemRect({b, i}).adjusted(-2, -2, 2, 2).contains(point))
                return {b, i};
        }
    }
    return {};
}

bool ReportDesignCanvas::event(QEvent* event) {
    if (event->type() != QEvent::ToolTip)
        return QWidget::event(event);
    // A field item's tooltip names the data set and field it reads.
    const auto* help = static_cast<QHelpEvent*>(event);
    const ReportItem* item = model->Item(ItemAt(help->pos()));
    const QStringList fields = item ? ReportFieldNames::FieldsIn(item->Text) : QStringList();
    if (fields.isEmpty()) {
        QToolTip::hideText();
        event->ignore();
        return true;
    }
    QStringList lines;
    for (const QString& field : fields)
        lines << ReportFieldNames::Caption(field.section(QLatin1Char('.'), 1), model->FieldCaptions()) +
                     QStringLiteral("：") + field;
    QToolTip::showText(help->globalPos(), lines.join(QLatin1Char('\n')), this);
    return true;
}

void ReportDesignCanvas::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const ReportTemplate& t = model->Template();
    const QSizeF paper = t.Page.PaperSize();
    // The paper grows downwards when the bands with their captions need more than one page.
    painter.fillRect(
        QRect(ToPixels(QPointF(0, 0)), QSize(qRound(paper.width() * Scale), height() - 2 * PaperMarginPx)),
        Qt::white);
    const double contentWidth = t.Page.ContentWidth();
    for (int b = 0; b < static_cast<int>(t.Bands.size()); ++b) {
        const ReportBand& band = t.Bands[static_cast<size_t>(b)];
        const QPointF origin = BandOrigin(b);
        const QRect caption(ToPixels(origin - QPointF(0, CaptionMm)),
                            ToPixels(origin + QPointF(contentWidth, 0)));
        const bool current = b == model->SelectedBand();
        painter.fillRect(caption, current ? QColor(200, 220, 255) : QColor(235, 235, 235));
        painter.setPen(QColor(90, 90, 90));
        QFont small = font();
        small.setPixelSize(static_cast<int>(CaptionMm * Scale * 0.7));
        painter.setFont(small);
        painter.drawText(caption.adjusted(4, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, BandCaption(band));
        const QRect area(ToPixels(origin), ToPixels(origin + QPointF(contentWidth, band.Height)));
        painter.setPen(QPen(QColor(160, 160, 160), 1, Qt::DashLine));
        painter.drawRect(area.adjusted(0, 0, -1, -1));
        for (int i = 0; i < static_cast<int>(band.Items.size()); ++i) {
            const ReportItem& item = band.Items[static_cast<size_t>(i)];
            const QRect r = ItemRect({b, i});
            painter.setPen(QPen(Qt::black, std::max(1.0, item.LineWidth * Scale)));
            switch (item.Type) {
            case ReportItem::Kind::Line:
                painter.drawLine(r.topLeft(), r.bottomRight());
                break;
            case ReportItem::Kind::Rect:
                painter.drawRect(r);
                break;
            case ReportItem::Kind::Picture:
                painter.fillRect(r, QColor(230, 240, 230));
                painter.drawText(r, Qt::AlignCenter, item.Picture);
                break;
            case ReportItem::Kind::Text: {
                QFont f(item.FontFamily);
                f.setPixelSize(std::max(1, qRound(item.FontSize * 0.3528 * Scale))); // points to mm
                f.setBold(item.Bold);
                f.setItalic(item.Italic);
                painter.setFont(f);
                painter.setPen(item.Colour);
                // Fields by their Chinese names; the template keeps its text.
                painter.drawText(r, static_cast<int>(item.Align) | (item.WordWrap ? Qt::TextWordWrap : 0),
                                 ReportFieldNames::Shown(item.Text, model->FieldCaptions()));
                painter.setPen(QPen(Qt::black, 1));
                if (item.Frame & FrameLeft)
                    painter.drawLine(r.topLeft(), r.bottomLeft());
                if (item.Frame & FrameTop)
                    painter.drawLine(r.topLeft(), r.topRight());
                if (item.Frame & FrameRight)
                    painter.drawLine(r.topRight(), r.bottomRight());
                if (item.Frame & FrameBottom)
                    painter.drawLine(r.bottomLeft(), r.bottomRight());
                if (item.Frame == FrameNone) {
                    painter.setPen(QPen(QColor(200, 200, 200), 1, Qt::DotLine));
                    painter.drawRect(r);
                }
                break;
            }
            }
        }
    }
    // The selected item: a blue outline and the resize handle at its lower right corner.
    if (model->Selected().Valid()) {
        const QRect r = ItemRect(model->Selected());
        painter.setPen(QPen(QColor(0, 90, 220), 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(r.adjusted(-1, -1, 1, 1));
        painter.fillRect(
            QRect(r.bottomRight() - QPoint(HandlePx / 2, HandlePx / 2), QSize(HandlePx, HandlePx)),
            QColor(0, 90, 220));
    }
}

void ReportDesignCanvas::mousePressEvent(QMouseEvent* event) {
    setFocus();
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint at = event->position().toPoint();
    const ReportDesignModel::ItemRef selected = model->Selected();
    // The resize handle of the selected item wins over whatever lies under it.
    if (selected.Valid()) {
        const QRect r = ItemRect(selected);
        if ((at - r.bottomRight()).manhattanLength() <= HandlePx) {
            drag = Drag::Resize;
            dragStart = at;
            dragGeometry = shownGeometry = model->Item(selected)->Geometry;
            return;
        }
    }
    const ReportDesignModel::ItemRef hit = ItemAt(at);
    if (hit.Valid()) {
        model->Select(hit);
        drag = Drag::Move;
        dragStart = at;
        dragGeometry = shownGeometry = model->Item(hit)->Geometry;
    } else {
        model->SelectBand(BandAt(at));
    }
}

void ReportDesignCanvas::mouseMoveEvent(QMouseEvent* event) {
    if (drag == Drag::None)
        return;
    const QPointF delta = QPointF(event->position().toPoint() - dragStart) / Scale;
    // Whole tenths of a millimetre.
    const QPointF step(qRound(delta.x() * 10) / 10.0, qRound(delta.y() * 10) / 10.0);
    shownGeometry = dragGeometry;
    if (drag == Drag::Move)
        shownGeometry.translate(step);
    else
        shownGeometry.setBottomRight(dragGeometry.bottomRight() + step);
    update();
}

void ReportDesignCanvas::mouseReleaseEvent(QMouseEvent*) {
    if (drag == Drag::None)
        return;
    const Drag ended = drag;
    drag = Drag::None;
    const ReportDesignModel::ItemRef item = model->Selected();
    if (ended == Drag::Move)
        model->MoveItem(item, shownGeometry.topLeft(), false);
    else
        model->SetItemGeometry(item, shownGeometry);
    update();
}

void ReportDesignCanvas::keyPressEvent(QKeyEvent* event) {
    const ReportDesignModel::ItemRef item = model->Selected();
    const ReportItem* current = model->Item(item);
    if (!current) {
        QWidget::keyPressEvent(event);
        return;
    }
    const double step = event->modifiers() & Qt::ShiftModifier ? 0.1 : 1.0;
    QPointF by;
    switch (event->key()) {
    case Qt::Key_Left:
        by = QPointF(-step, 0);
        break;
    case Qt::Key_Right:
        by = QPointF(step, 0);
        break;
    case Qt::Key_Up:
        by = QPointF(0, -step);
        break;
    case Qt::Key_Down:
        by = QPointF(0, step);
        break;
    case Qt::Key_Delete:
        model->DeleteItem(item);
        return;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    if (event->modifiers() & Qt::ControlModifier) {
        QRectF resized = current->Geometry;
        resized.setSize(resized.size() + QSizeF(by.x(), by.y()));
        if (resized.width() > 0 && resized.height() > 0)
            model->SetItemGeometry(item, resized);
    } else {
        model->MoveItem(item, current->Geometry.topLeft() + by, true);
    }
}

void ReportDesignCanvas::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasFormat(FieldMimeType))
        event->acceptProposedAction();
}

void ReportDesignCanvas::dragMoveEvent(QDragMoveEvent* event) {
    if (event->mimeData()->hasFormat(FieldMimeType) && BandAt(event->position().toPoint()) >= 0)
        event->acceptProposedAction();
    else
        event->ignore();
}

void ReportDesignCanvas::dropEvent(QDropEvent* event) {
    if (DropField(event->position().toPoint(), *event->mimeData()))
        event->acceptProposedAction();
}

bool ReportDesignCanvas::DropField(const QPoint& point, const QMimeData& data) {
    const QString field = QString::fromUtf8(data.data(FieldMimeType));
    const int dot = field.indexOf(QLatin1Char('.'));
    QPointF place;
    const int band = BandAt(point, &place);
    if (dot <= 0 || band < 0)
        return false;
    model->AddFieldItem(band, field.left(dot), field.mid(dot + 1), place);
    return true;
}
