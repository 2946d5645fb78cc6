#pragma once

#include <QByteArrayView>
#include <QDate>
#include <QDateTime>
#include <QString>

struct sqlite3;

// The program writes SQL in the Jet dialect; this adapter makes it run on SQLite.
// Values reach SQL only through SqlText, SqlDate and SqlNumber.

// A text value between single quotes, inner quotes doubled.
QString SqlText(const QString& value);
// A date literal in Jet form, #yyyy-MM-dd#.
QString SqlDate(const QDate& date);
// A number as decimal text (C locale, full precision).
QString SqlNumber(double value);
QString SqlNumber(qint64 value);
inline QString SqlNumber(int value) {
    return SqlNumber(static_cast<qint64>(value));
}

// Rewrites Jet-only syntax outside string literals: #date# and #date time# become the engine's
// ISO text literals.
QString ToEngineSql(const QString& jetSql);

// How dates are stored: yyyy-MM-dd, with " HH:mm:ss" only when a time of day is given.
QString StoredDateText(const QDateTime& value);
QString StoredDateText(const QDate& value);
QDateTime ParseStoredDate(const QString& text);

// Jet's rounding: halves go to the even neighbour.
double JetRound(double value, int decimals);
// Jet's InStr: 1-based position of needle in haystack ignoring letter case, 0 when absent.
int JetInStr(const QString& haystack, const QString& needle, int start = 1);
// The same for UTF-8 texts, from the start, on their bytes where that gives JetInStr's answer (a
// needle of ASCII characters: letters then only meet their other case), or -1 where it cannot
// tell. A search through many rows is several times faster so.
int Utf8InStr(QByteArrayView haystack, QByteArrayView needle);

// Registers Round and InStr with Jet semantics on an open SQLite handle (IIF is built in).
bool RegisterJetFunctions(sqlite3* db);
