#pragma once

#include <QList>
#include <QRect>
#include <QString>

class QHeaderView;

// Where the main window was and how wide the result grid columns were, kept in Kestrel.ini
// (section "Kestrel"). A key is written only when its value changes.

struct WindowPlace {
    QRect Normal;           // the window's place when not maximised (frame position, client size)
    bool Maximized = false; // whether it was maximised
};

// The stored place; false when none is stored or it is unusable.
bool ReadWindowPlace(const QString& iniFileName, WindowPlace* place);
// Stores the place; false when the file could not be written.
bool WriteWindowPlace(const QString& iniFileName, const WindowPlace& place);

// Where a window of the stored place goes on screens with the given available areas: the stored
// place when enough of it (its title bar) lies on one of them, its size at least `minimum`;
// otherwise the same size centred on the first screen.
QRect PlaceOnScreens(const QRect& stored, const QSize& minimum, const QList<QRect>& screens);

// Column widths as stored ("80,120,64"); an empty list for a missing or damaged value.
QList<int> ParseColumnWidths(const QString& text);
QString ColumnWidthsText(const QList<int>& widths);
QList<int> ReadColumnWidths(const QString& iniFileName, const QString& key);
bool WriteColumnWidths(const QString& iniFileName, const QString& key, const QList<int>& widths);

// Writes key=value in section "Kestrel" only when the stored text differs; true when the file
// holds the value afterwards.
bool WriteKestrelKeyIfChanged(const QString& iniFileName, const QString& key, const QString& value);
