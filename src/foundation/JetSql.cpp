#include "JetSql.h"

#include <QLocale>
#include <QRegularExpression>
#include <cmath>
#include <sqlite3.h>
#include <string_view>

QString SqlText(const QString& value) {
    QString quoted = value;
    quoted.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

QString SqlDate(const QDate& date) {
    return QLatin1Char('#') + date.toString(QStringLiteral("yyyy-MM-dd")) + QLatin1Char('#');
}

QString SqlNumber(double value) {
    if (!std::isfinite(value))
        return QStringLiteral("0");
    // The shortest text that reads back as the same double: 0.1, not 0.10000000000000001.
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

QString SqlNumber(qint64 value) {
    return QString::number(value);
}

namespace {

// Converts the inside of one #...# literal; empty when it is not a date.
QString DateLiteral(const QString& inner) {
    static const QRegularExpression pattern(
        QStringLiteral(R"(^\s*(\d{4})[-/](\d{1,2})[-/](\d{1,2})(?:\s+(\d{1,2}):(\d{2})(?::(\d{2}))?)?\s*$)"));
    const QRegularExpressionMatch m = pattern.match(inner);
    if (!m.hasMatch())
        return QString();
    const QDate date(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    if (!date.isValid())
        return QString();
    if (m.captured(4).isEmpty())
        return SqlText(StoredDateText(date));
    const QTime time(m.captured(4).toInt(), m.captured(5).toInt(), m.captured(6).toInt());
    return SqlText(StoredDateText(QDateTime(date, time)));
}

} // namespace

QString ToEngineSql(const QString& jetSql) {
    QString out;
    out.reserve(jetSql.size());
    int i = 0;
    const int n = jetSql.size();
    while (i < n) {
        const QChar c = jetSql[i];
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            // Copy a string literal whole; doubled quotes stay inside it.
            int j = i + 1;
            while (j < n) {
                if (jetSql[j] == c) {
                    if (j + 1 < n && jetSql[j + 1] == c) {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            out += jetSql.mid(i, j - i + 1);
            i = j + 1;
            continue;
        }
        if (c == QLatin1Char('#')) {
            const int close = jetSql.indexOf(QLatin1Char('#'), i + 1);
            if (close > i) {
                const QString literal = DateLiteral(jetSql.mid(i + 1, close - i - 1));
                if (!literal.isEmpty()) {
                    out += literal;
                    i = close + 1;
                    continue;
                }
            }
        }
        out += c;
        ++i;
    }
    return out;
}

QString StoredDateText(const QDateTime& value) {
    if (!value.isValid())
        return QString();
    if (value.time() == QTime(0, 0))
        return value.date().toString(QStringLiteral("yyyy-MM-dd"));
    return value.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString StoredDateText(const QDate& value) {
    return value.isValid() ? value.toString(QStringLiteral("yyyy-MM-dd")) : QString();
}

QDateTime ParseStoredDate(const QString& text) {
    const QString t = text.trimmed();
    if (t.size() <= 10)
        return QDateTime(QDate::fromString(t, QStringLiteral("yyyy-MM-dd")), QTime(0, 0));
    QDateTime value = QDateTime::fromString(t, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (!value.isValid())
        value = QDateTime::fromString(t, Qt::ISODate);
    return value;
}

double JetRound(double value, int decimals) {
    const double scale = std::pow(10.0, decimals);
    const double scaled = value * scale;
    if (!std::isfinite(scaled))
        return value;
    return std::nearbyint(scaled) / scale;
}

int JetInStr(const QString& haystack, const QString& needle, int start) {
    if (start < 1)
        start = 1;
    if (needle.isEmpty())
        return start <= haystack.size() + 1 ? start : 0;
    const int at = haystack.indexOf(needle, start - 1, Qt::CaseInsensitive);
    return at < 0 ? 0 : at + 1;
}

int Utf8InStr(QByteArrayView haystack, QByteArrayView needle) {
    const qsizetype n = needle.size();
    if (n == 0)
        return 1;
    const auto fold = [](unsigned char c) {
        return static_cast<char>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
    };
    bool letters[3] = {false, false, false}; // the needle holds k, s, i (any case)
    char lower[256];
    if (n > qsizetype(sizeof lower))
        return -1;
    for (qsizetype i = 0; i < n; ++i) {
        const unsigned char c = static_cast<unsigned char>(needle[i]);
        if (c >= 0x80)
            return -1;
        lower[i] = fold(c);
        letters[0] |= lower[i] == 'k';
        letters[1] |= lower[i] == 's';
        letters[2] |= lower[i] == 'i';
    }
    // Three characters beyond ASCII that case folding may turn into k, s or i: the Kelvin sign,
    // the long s and the dotted capital I. Where one stands in the text, QString decides.
    static constexpr std::string_view Foreign[3] = {"\xE2\x84\xAA", "\xC5\xBF", "\xC4\xB0"};
    const std::string_view text(haystack.data(), static_cast<size_t>(haystack.size()));
    for (int i = 0; i < 3; ++i) {
        if (letters[i] && text.find(Foreign[i]) != std::string_view::npos)
            return -1;
    }
    const qsizetype last = haystack.size() - n;
    for (qsizetype at = 0; at <= last; ++at) {
        if (fold(static_cast<unsigned char>(haystack[at])) != lower[0])
            continue;
        qsizetype i = 1;
        while (i < n && fold(static_cast<unsigned char>(haystack[at + i])) == lower[i])
            ++i;
        if (i < n)
            continue;
        // The position counts UTF-16 units, as QString does: one per character, two for a
        // character beyond the basic plane (a four-byte one).
        int position = 1;
        for (qsizetype b = 0; b < at; ++b) {
            const unsigned char c = static_cast<unsigned char>(haystack[b]);
            if ((c & 0xC0) != 0x80)
                position += c >= 0xF0 ? 2 : 1;
        }
        return position;
    }
    return 0;
}

namespace {

QString ArgText(sqlite3_value* v) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(v));
    return QString::fromUtf8(text, sqlite3_value_bytes(v));
}

void RoundFunction(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const int decimals = argc > 1 ? sqlite3_value_int(argv[1]) : 0;
    sqlite3_result_double(ctx, JetRound(sqlite3_value_double(argv[0]), decimals));
}

void InStrFunction(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    // InStr(haystack, needle) or InStr(start, haystack, needle).
    const int first = argc == 3 ? 1 : 0;
    for (int i = 0; i < argc; ++i) {
        if (sqlite3_value_type(argv[i]) == SQLITE_NULL) {
            sqlite3_result_null(ctx);
            return;
        }
    }
    const int start = argc == 3 ? sqlite3_value_int(argv[0]) : 1;
    if (start == 1) {
        const auto bytes = [](sqlite3_value* v) {
            const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(v));
            return QByteArrayView(text, sqlite3_value_bytes(v));
        };
        const int found = Utf8InStr(bytes(argv[first]), bytes(argv[first + 1]));
        if (found >= 0) {
            sqlite3_result_int(ctx, found);
            return;
        }
    }
    sqlite3_result_int(ctx, JetInStr(ArgText(argv[first]), ArgText(argv[first + 1]), start));
}

} // namespace

bool RegisterJetFunctions(sqlite3* db) {
    if (!db)
        return false;
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    bool ok = true;
    ok &= sqlite3_create_function_v2(db, "Round", 1, flags, nullptr, RoundFunction, nullptr, nullptr,
                                     nullptr) == SQLITE_OK;
    ok &= sqlite3_create_function_v2(db, "Round", 2, flags, nullptr, RoundFunction, nullptr, nullptr,
                                     nullptr) == SQLITE_OK;
    ok &= sqlite3_create_function_v2(db, "InStr", 2, flags, nullptr, InStrFunction, nullptr, nullptr,
                                     nullptr) == SQLITE_OK;
    ok &= sqlite3_create_function_v2(db, "InStr", 3, flags, nullptr, InStrFunction, nullptr, nullptr,
                                     nullptr) == SQLITE_OK;
    return ok;
}
