#pragma once

#include <QColor>
#include <QFrame>

class QLabel;

// A picture in a square frame that reacts to a click: the frame takes the highlight colour while
// the mouse moves over it or its picture. The window around it puts the normal colour back when
// the mouse moves over the rest of it.
class PictureFrame : public QFrame {
    Q_OBJECT
public:
    PictureFrame(QWidget* parent, const QRect& place, const QRect& picturePlace, const QColor& normal,
                 const QColor& highlight);

    QLabel* Picture;
    void Highlight(bool on);
    QColor Fill() const;

signals:
    void Clicked();

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QColor normal;
    QColor highlight;
};
