#pragma once

#include <functional>

class QWidget;

// Enter or Return pressed in any field of window (one that leaves the key to its window: line
// edits, list boxes with their list closed, date edits, check boxes) runs action, the window's
// main action; on a focused button it clicks that button. Push buttons of the window should not be default
// buttons then.
void RunOnEnter(QWidget* window, std::function<void()> action);
