#include "PictureFrame.h"

#include <QEvent>
#include <QLabel>
#include <QMouseEvent>

PictureFrame::PictureFrame(QWidget* parent, const QRect& place, const QRect& picturePlace,
                           const QColor& normal, const QColor& highlight)
    : QFrame(parent)
    , normal(normal)
    , highlight(highlight) {
    setGeometry(place);
    setFrameShape(QFrame::Box);
    setAutoFillBackground(true);
    setMouseTracking(true);
    Picture = new QLabel(this);
    Picture->setGeometry(picturePlace);
    Picture->setCursor(Qt::PointingHandCursor);
    Picture->setMouseTracking(true);
    Picture->installEventFilter(this);
    Highlight(false);
}

void PictureFrame::Highlight(bool on) {
    const QColor fill = on ? highlight : normal;
    if (Fill() == fill)
        return;
    QPalette colours = palette();
    colours.setColor(QPalette::Window, fill);
    setPalette(colours);
}

QColor PictureFrame::Fill() const {
    return palette().color(QPalette::Window);
}

// The move is taken here, so that it does not reach the window behind, which would put the
// normal colour back.
void PictureFrame::mouseMoveEvent(QMouseEvent* event) {
    Highlight(true);
    event->accept();
}

bool PictureFrame::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Picture) {
        if (event->type() == QEvent::MouseMove) {
            Highlight(true);
            return true;
        }
        if (event->type() == QEvent::MouseButtonRelease &&
            static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            emit Clicked();
            return true;
        }
    }
    return QFrame::eventFilter(watched, event);
}
