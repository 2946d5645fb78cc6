// Draws the program's menu icon in the desktop's icon sizes from the emblem of its own title
// picture (the misty peaks with the kestrel over them, at the left of Res/Title.bmp):
//   kestrel_makeicons Res/Title.bmp OUTPUT_FOLDER
// writes OUTPUT_FOLDER/hicolor/NxN/apps/kestrel.png for each size.
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <cstdio>

namespace {

// The emblem within the title picture: the peaks, the sun and the bird, without the words.
const QRect Emblem(10, 4, 156, 80);

QImage Icon(const QImage& title, int size) {
    QImage icon(size, size, QImage::Format_ARGB32_Premultiplied);
    icon.fill(Qt::transparent);
    QPainter painter(&icon);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    // A rounded tile: the emblem across its whole width, standing on the lower part like the peaks
    // on the title, with the emblem's top row of sky drawn up to the tile's top and its bottom row
    // of ground down to the tile's bottom, so that the tile is all the title's own colours.
    const qreal radius = size * 0.18;
    QPainterPath tile;
    tile.addRoundedRect(QRectF(0, 0, size, size), radius, radius);
    painter.setClipPath(tile);
    const QImage emblem = title.copy(Emblem);
    const qreal height = qreal(size) * emblem.height() / emblem.width();
    const QRectF target(0, size * 0.92 - height, size, height);
    painter.drawImage(QRectF(0, 0, size, target.top() + 1), emblem.copy(0, 0, emblem.width(), 1));
    painter.drawImage(QRectF(0, target.bottom() - 1, size, size - target.bottom() + 1),
                      emblem.copy(0, emblem.height() - 1, emblem.width(), 1));
    painter.drawImage(target, emblem);
    painter.end();
    return icon;
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: kestrel_makeicons TITLE.bmp OUTPUT_FOLDER\n");
        return 2;
    }
    const QImage title(QString::fromLocal8Bit(argv[1]));
    if (title.isNull() || !QRect(QPoint(0, 0), title.size()).contains(Emblem)) {
        std::fprintf(stderr, "kestrel_makeicons: %s is not the title picture\n", argv[1]);
        return 1;
    }
    const QString output = QString::fromLocal8Bit(argv[2]);
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString folder = QStringLiteral("%1/hicolor/%2x%2/apps").arg(output).arg(size);
        if (!QDir().mkpath(folder) || !Icon(title, size).save(folder + QStringLiteral("/kestrel.png"))) {
            std::fprintf(stderr, "kestrel_makeicons: cannot write %s\n", qPrintable(folder));
            return 1;
        }
    }
    return 0;
}
