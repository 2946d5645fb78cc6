#pragma once

#include <QString>

class QWidget;

// The page of the user guide (a file of docs/) that tells about a window of the program: for the
// main window the page of the card or report page in front, "" (the contents) for others.
QString GuidePageFor(QWidget* window);
