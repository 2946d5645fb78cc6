#include "WindowPlace.h"

#include "foundation/IniFile.h"

#include <QStringList>
#include <algorithm>

namespace {
const QString Section = QStringLiteral("Kestrel");
const QString LeftKey = QStringLiteral("MainWindowLeft");
const QString TopKey = QStringLiteral("MainWindowTop");
const QString WidthKey = QStringLiteral("MainWindowWidth");
const QString HeightKey = QStringLiteral("MainWindowHeight");
const QString MaximizedKey = QStringLiteral("MainWindowMaximized");

// Widths and places beyond any screen are damage, not a user's choice.
constexpr int Largest = 100000;

bool ReadNumber(const QString& iniFileName, const QString& key, int* value) {
    bool ok = false;
    const int number = ReadIniString(Section, key, QString(), iniFileName).toInt(&ok);
    if (!ok || number < -Largest || number > Largest)
        return false;
    *value = number;
    return true;
}
} // namespace

bool WriteKestrelKeyIfChanged(const QString& iniFileName, const QString& key, const QString& value) {
    // A stored value that reads back the same is not written again: the file changes only when a
    // preference does.
    const QString absent = QStringLiteral("\x01");
    if (ReadIniString(Section, key, absent, iniFileName) == value)
        return true;
    return WriteIniString(Section, key, value, iniFileName);
}

bool ReadWindowPlace(const QString& iniFileName, WindowPlace* place) {
    int left = 0, top = 0, width = 0, height = 0;
    if (!ReadNumber(iniFileName, LeftKey, &left) || !ReadNumber(iniFileName, TopKey, &top) ||
        !ReadNumber(iniFileName, WidthKey, &width) || !ReadNumber(iniFileName, HeightKey, &height) ||
        width <= 0 || height <= 0)
        return false;
    place->Normal = QRect(left, top, width, height);
    place->Maximized =
        ReadIniString(Section, MaximizedKey, QStringLiteral("0"), iniFileName) == QLatin1String("1");
    return true;
}

bool WriteWindowPlace(const QString& iniFileName, const WindowPlace& place) {
    bool ok = WriteKestrelKeyIfChanged(iniFileName, LeftKey, QString::number(place.Normal.x()));
    ok = WriteKestrelKeyIfChanged(iniFileName, TopKey, QString::number(place.Normal.y())) && ok;
    ok = WriteKestrelKeyIfChanged(iniFileName, WidthKey, QString::number(place.Normal.width())) && ok;
    ok = WriteKestrelKeyIfChanged(iniFileName, HeightKey, QString::number(place.Normal.height())) && ok;
    ok = WriteKestrelKeyIfChanged(iniFileName, MaximizedKey,
                                  place.Maximized ? QStringLiteral("1") : QStringLiteral("0")) &&
         ok;
    return ok;
}

QRect PlaceOnScreens(const QRect& stored, const QSize& minimum, const QList<QRect>& screens) {
    QRect place(stored.topLeft(), stored.size().expandedTo(minimum));
    // The title bar must be reachable: a strip of its top, at least 100 x 20 pixels, on one screen.
    const QRect titleBar(place.left(), place.top(), place.width(), 20);
    for (const QRect& screen : screens) {
        const QRect seen = screen.intersected(titleBar);
        if (seen.width() >= std::min(100, place.width()) && seen.height() >= 20)
            return place;
    }
    if (screens.isEmpty())
        return place;
    const QRect screen = screens.first();
    place.moveCenter(screen.center());
    return place;
}

QList<int> ParseColumnWidths(const QString& text) {
    QList<int> widths;
    if (text.trimmed().isEmpty())
        return widths;
    for (const QString& part : text.split(QLatin1Char(','))) {
        bool ok = false;
        const int width = part.trimmed().toInt(&ok);
        if (!ok || width < 0 || width > 5000)
            return {};
        widths << width;
    }
    return widths;
}

QString ColumnWidthsText(const QList<int>& widths) {
    QStringList parts;
    for (int width : widths)
        parts << QString::number(width);
    return parts.join(QLatin1Char(','));
}

QList<int> ReadColumnWidths(const QString& iniFileName, const QString& key) {
    return ParseColumnWidths(ReadIniString(Section, key, QString(), iniFileName));
}

bool WriteColumnWidths(const QString& iniFileName, const QString& key, const QList<int>& widths) {
    return WriteKestrelKeyIfChanged(iniFileName, key, ColumnWidthsText(widths));
}
