#include "PublicFunction.h"

#include "KestrelError.h"

#include <QStandardPaths>
#include <QStringDecoder>
#include <QStringEncoder>
#include <cmath>
#include <cstdio>

namespace {

bool IsDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// Index of the first character in "1".."9", or -1.
int SerialSplitPoint(const QString& s) {
    for (int i = 0; i < s.size(); ++i) {
        if (s[i] >= QLatin1Char('1') && s[i] <= QLatin1Char('9'))
            return i;
    }
    return -1;
}

} // namespace

bool IsAllDigits(const QString& s) {
    if (s.isEmpty())
        return false;
    for (QChar c : s) {
        if (!IsDigit(c))
            return false;
    }
    return true;
}

bool IsDecimalText(const QString& s) {
    if (s.isEmpty())
        return false;
    for (QChar c : s) {
        if (!IsDigit(c) && c != QLatin1Char('.'))
            return false;
    }
    return true;
}

double TextToAmount(const QString& s) {
    if (s.isEmpty() || !IsDecimalText(s))
        return 0;
    bool ok = false;
    const double value = s.toDouble(&ok);
    if (!ok || s.count(QLatin1Char('.')) > 1)
        throw KestrelError(QStringLiteral("“%1”不是有效的数字").arg(s));
    return value;
}

double RoundAmount(double x) {
    // An amount so large that the quotient overflows has no decimals to round.
    const double quotient = x / 0.0001;
    return std::isfinite(quotient) ? std::nearbyint(quotient) * 0.0001 : x;
}

QString RoundAmountText(double x) {
    const double rounded = RoundAmount(x);
    if (rounded == 0)
        return QStringLiteral("0");
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.15g", rounded);
    QString text = QString::fromLatin1(buffer);
    // Exponent notation as the program shows it: 1E20, 1.5E-20.
    const int e = text.indexOf(QLatin1Char('e'));
    if (e >= 0) {
        QString mantissa = text.left(e);
        QString exponent = text.mid(e + 1);
        const bool negative = exponent.startsWith(QLatin1Char('-'));
        exponent.remove(0, exponent.startsWith(QLatin1Char('+')) || negative ? 1 : 0);
        while (exponent.size() > 1 && exponent.startsWith(QLatin1Char('0')))
            exponent.remove(0, 1);
        text = mantissa + QLatin1Char('E') + (negative ? QStringLiteral("-") : QString()) + exponent;
    }
    return text;
}

QString DigitToCapital(const QString& s) {
    static const QString capitals = QStringLiteral("零壹贰叁肆伍陆柒捌玖");
    if (s.size() == 1 && IsDigit(s[0]))
        return QString(capitals[s[0].unicode() - '0']);
    return QStringLiteral("拾");
}

namespace {

// The unit of a digit position counted from the last digit (0 = 分): 分, 角, 元, then the yuan
// positions in fours (拾 佰 仟, and 万 or 亿 at each fourth), so the units run 拾 佰 仟 万 拾 佰 仟 亿
// 拾 佰 仟 万 (万亿) and on without an end.
QString CapitalUnit(int position) {
    static const QString fenUnits[] = {QStringLiteral("分"), QStringLiteral("角"), QStringLiteral("元")};
    static const QString inFour[] = {QString(), QStringLiteral("拾"), QStringLiteral("佰"),
                                     QStringLiteral("仟")};
    if (position < 3)
        return fenUnits[position];
    const int yuan = position - 2;
    if (yuan % 4 != 0)
        return inFour[yuan % 4];
    return yuan % 8 == 4 ? QStringLiteral("万") : QStringLiteral("亿");
}

} // namespace

QString AmountToCapitals(const QString& fen) {
    // One capital and one unit per digit, from the last digit leftwards, none left out.
    QString result;
    for (int position = 0; position < fen.size(); ++position) {
        const QString c = fen.mid(fen.size() - 1 - position, 1);
        result.prepend(DigitToCapital(c) + CapitalUnit(position) + QChar(0x3000));
    }
    return result;
}

QString AmountToFenDigits(double x) {
    // Two decimals, ties to even as the amount texts round, then the point removed.
    const double fen = std::nearbyint(std::fabs(x) * 100.0);
    QString text = QString::number(fen, 'f', 0);
    while (text.size() < 3)
        text.prepend(QLatin1Char('0'));
    return text;
}

QString NextSerial(const QString& s) {
    const int split = SerialSplitPoint(s);
    if (split < 0)
        return QString();
    const QString number = s.mid(split);
    bool ok = IsAllDigits(number);
    const qint64 value = ok && number.size() <= 10 ? number.toLongLong(&ok) : 0;
    // The number is a 32-bit integer: the next one must still fit, or no serial is proposed.
    if (!ok || number.size() > 10 || value >= 2147483647LL)
        throw KestrelError(
            QStringLiteral("单据编号“%1”的数字部分不是有效的整数，或者下一个编号超过 2147483647").arg(s));
    return s.left(split) + QString::number(value + 1);
}

bool IsValidSerial(const QString& s) {
    const int split = SerialSplitPoint(s);
    if (split < 0)
        return true;
    return IsAllDigits(s.mid(split));
}

QString GetDesktopFolder() {
    const QStringList folders = QStandardPaths::standardLocations(QStandardPaths::DesktopLocation);
    return folders.isEmpty() ? QString() : folders.first();
}

QString BuildConnectionString(const QString& path, const QString& password) {
    return QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + path +
           QStringLiteral(";Persist Security Info=False;Jet OLEDB:Database Password=") + password;
}

QString DataSourceOf(const QString& connectionString) {
    static const QString key = QStringLiteral("Data Source=");
    const int start = connectionString.indexOf(key, 0, Qt::CaseInsensitive);
    if (start < 0)
        return QString();
    const int from = start + key.size();
    // The path runs to the next setting; a path itself may hold ";" only if nothing follows it.
    const int end = connectionString.indexOf(QStringLiteral(";Persist Security Info="), from);
    return end < 0 ? connectionString.mid(from) : connectionString.mid(from, end - from);
}

QByteArray ToGbk(const QString& s, bool* ok) {
    QStringEncoder encoder("GBK");
    QByteArray bytes = encoder.encode(s);
    if (ok)
        *ok = encoder.isValid() && !encoder.hasError();
    return bytes;
}

QString FromGbk(const QByteArray& bytes) {
    QStringDecoder decoder("GBK");
    return decoder.decode(bytes);
}

int GbkLength(const QString& s) {
    return ToGbk(s).size();
}

QString GbkLeft(const QString& s, int maxBytes) {
    int used = 0;
    int i = 0;
    while (i < s.size()) {
        const int len = s[i].isHighSurrogate() && i + 1 < s.size() ? 2 : 1;
        const int bytes = ToGbk(s.mid(i, len)).size();
        if (used + bytes > maxBytes)
            break;
        used += bytes;
        i += len;
    }
    return s.left(i);
}

bool IsAmountText(const QString& s, int maxDecimals, bool allowNegative) {
    QString body = s;
    if (allowNegative && body.startsWith(QLatin1Char('-')))
        body.remove(0, 1);
    if (!IsDecimalText(body) || body.count(QLatin1Char('.')) > 1)
        return false;
    const int point = body.indexOf(QLatin1Char('.'));
    const QString whole = point < 0 ? body : body.left(point);
    const QString decimals = point < 0 ? QString() : body.mid(point + 1);
    if (whole.isEmpty() && decimals.isEmpty())
        return false;
    // A digit string too long for a double (hundreds of digits) is no amount either.
    bool parses = false;
    body.toDouble(&parses);
    return parses && decimals.size() <= maxDecimals;
}
