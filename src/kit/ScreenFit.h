#pragma once

#include <QRect>
#include <QSize>

class QWidget;

// The size a window opens at: the size it wants, made smaller where the screen's free area (less
// the window frame and title bar, frame) is smaller, never below minimum.
QSize FitSize(const QSize& wanted, const QSize& minimum, const QSize& available, const QSize& frame);
// The same for a window on the screen it will show on (the primary screen before it is shown).
QSize FitToScreen(const QSize& wanted, const QWidget* window);
