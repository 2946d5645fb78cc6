#pragma once

#include <QByteArray>
#include <QString>

// Text, number and amount routines shared by every window. Pure functions of their arguments,
// except GetDesktopFolder.

bool IsAllDigits(const QString& s);
bool IsDecimalText(const QString& s);
// Throws KestrelError for a text of digits and points that is still no number ("1.2.3", ".").
double TextToAmount(const QString& s);
// An amount rounded to the 4 decimals the program shows (halves to even on the quotient); an
// amount too large to have decimals is returned as it is.
double RoundAmount(double x);
QString RoundAmountText(double x);
QString DigitToCapital(const QString& s);
// The amount in fen (all digits, the last one the fen digit) in cheque-style capitals: every digit
// as a capital numeral followed by its unit and an ideographic space, zeros included.
QString AmountToCapitals(const QString& fen);
// The fen digits of an amount as the print templates want them: |x| rounded to 2 decimals, no
// point, at least three digits, never in exponent notation.
QString AmountToFenDigits(double x);
// Throws KestrelError when the number part is not a 32-bit integer.
QString NextSerial(const QString& s);
bool IsValidSerial(const QString& s);
QString GetDesktopFolder();

QString BuildConnectionString(const QString& path, const QString& password);
// The data source named in a connection string, empty when there is none.
QString DataSourceOf(const QString& connectionString);

// GBK byte handling: the program counts text lengths in GBK bytes, two to a Chinese character.
QByteArray ToGbk(const QString& s, bool* ok = nullptr);
QString FromGbk(const QByteArray& bytes);
int GbkLength(const QString& s);
// The longest start of s that fits into maxBytes GBK bytes; a double-byte character is never split.
QString GbkLeft(const QString& s, int maxBytes);

// Whether an amount text is a non-negative decimal number with at most maxDecimals decimals
// (digits with at most one point, at least one digit, short enough to be read as a double). A
// leading "-" is accepted when allowNegative.
bool IsAmountText(const QString& s, int maxDecimals, bool allowNegative = false);
