#pragma once

class QWidget;

// Makes every date edit of window one Tab stop: Tab and Shift+Tab leave it for the next or the
// previous field instead of stepping through its year, month and day.
void MakeDateEditsOneTabStop(QWidget* window);
