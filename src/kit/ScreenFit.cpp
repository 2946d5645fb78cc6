#include "ScreenFit.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

QSize FitSize(const QSize& wanted, const QSize& minimum, const QSize& available, const QSize& frame) {
    const int width = std::max(minimum.width(), std::min(wanted.width(), available.width() - frame.width()));
    const int height =
        std::max(minimum.height(), std::min(wanted.height(), available.height() - frame.height()));
    return QSize(width, height);
}

QSize FitToScreen(const QSize& wanted, const QWidget* window) {
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return wanted;
    // A title bar and borders of a usual desktop.
    const QSize frame(16, 40);
    return FitSize(wanted, window->minimumSizeHint().boundedTo(wanted), screen->availableGeometry().size(),
                   frame);
}
