#pragma once

#include <QColor>
#include <QPixmap>
#include <QRect>
#include <QString>

// The diagram of the analysis window's first page: nine boxes, one per figure, joined by arrows
// from what is owed to what was paid and on to the margins. Drawn in code, so the places of the
// figures and the picture come from one table.
namespace AnalysisDiagram {

constexpr int Figures = 9;
QSize Size();
// Where figure i (0 = 应收款 .. 8 = 资金增益) is shown on the picture.
QRect FigureRect(int i);
// The legend line of figure i and its colour, and the colour of the figure itself.
QString LegendText(int i);
QColor LegendColour(int i);
QColor FigureColour(int i);
QPixmap Draw();

} // namespace AnalysisDiagram
