#include "GridRows.h"

#include "foundation/JetSql.h"
#include "foundation/PublicFunction.h"

#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <limits>

// ---- Amounts

namespace {

// Puts a comma between groups of three digits of the whole part of an amount text.
void GroupThousands(QString& text) {
    qsizetype point = text.indexOf(QLatin1Char('.'));
    if (point < 0)
        point = text.size();
    const qsizetype digitsFrom = text.startsWith(QLatin1Char('-')) ? 1 : 0;
    for (qsizetype at = point - 3; at > digitsFrom; at -= 3)
        text.insert(at, QLatin1Char(','));
}

} // namespace

QString AmountCellText(double value, bool thousands) {
    // The amount as the program writes it (rounded to four decimals, no trailing zeros), padded
    // to two decimals. Up to fifteen digits this is done here digit by digit (a large result shows
    // hundreds of thousands of amounts); the digits are those RoundAmountText prints.
    const double quotient = value / 0.0001;
    QString text;
    if (std::isfinite(quotient) && std::fabs(quotient) < 1e15) {
        const qint64 scaled = static_cast<qint64>(std::nearbyint(quotient));
        const quint64 magnitude = scaled < 0 ? quint64(-scaled) : quint64(scaled);
        char buffer[32];
        char* end = buffer + sizeof buffer;
        char* at = end;
        quint64 rest = magnitude;
        // Four decimals, then the whole part; trailing zeros of the decimals beyond two dropped.
        for (int i = 0; i < 4; ++i) {
            *--at = char('0' + rest % 10);
            rest /= 10;
        }
        *--at = '.';
        do {
            *--at = char('0' + rest % 10);
            rest /= 10;
        } while (rest != 0);
        if (scaled < 0)
            *--at = '-';
        if (end[-1] == '0') {
            --end;
            if (end[-1] == '0')
                --end;
        }
        text = QString::fromLatin1(at, end - at);
    } else {
        // Exponent forms of huge values are left as RoundAmountText writes them.
        text = RoundAmountText(value);
        if (text.contains(QLatin1Char('E')))
            return text;
        const qsizetype point = text.indexOf(QLatin1Char('.'));
        if (point < 0)
            text += QStringLiteral(".00");
        else if (text.size() - point - 1 < 2)
            text += QLatin1Char('0');
    }
    if (thousands)
        GroupThousands(text);
    return text;
}

// ---- Sorting

int CompareBookText(QStringView a, QStringView b) {
    const int folded = a.compare(b, Qt::CaseInsensitive);
    return folded < 0 ? -1 : (folded > 0 ? 1 : 0);
}

int DigitsAt(QStringView text, qsizetype from, qsizetype count) {
    int value = 0;
    for (qsizetype i = from; i < from + count; ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return -1;
        value = value * 10 + (c - u'0');
    }
    return value;
}

namespace {

double DateNumber(const QDate& date, const QTime& time) {
    return ((date.year() * 100.0 + date.month()) * 100.0 + date.day()) * 1000000.0 +
           (time.hour() * 100.0 + time.minute()) * 100.0 + time.second();
}

} // namespace

double DateSortKey(const QString& text) {
    const double none = std::numeric_limits<double>::quiet_NaN();
    // The stored form is read digit by digit: a large result has a date in every row.
    const qsizetype size = text.size();
    if ((size == 10 || size == 19) && text[4] == u'-' && text[7] == u'-') {
        const int year = DigitsAt(text, 0, 4), month = DigitsAt(text, 5, 2), day = DigitsAt(text, 8, 2);
        if (QDate::isValid(year, month, day)) {
            if (size == 10)
                return DateNumber(QDate(year, month, day), QTime(0, 0));
            const int hour = DigitsAt(text, 11, 2), minute = DigitsAt(text, 14, 2),
                      second = DigitsAt(text, 17, 2);
            if (text[10] == u' ' && text[13] == u':' && text[16] == u':' &&
                QTime::isValid(hour, minute, second))
                return DateNumber(QDate(year, month, day), QTime(hour, minute, second));
        }
    }
    if (size < 8 || !text[0].isDigit())
        return none;
    const QDateTime value = ParseStoredDate(text);
    return value.isValid() ? DateNumber(value.date(), value.time()) : none;
}

SortKey SortKey::Of(int rowCount, const std::function<QVariant(int row)>& value, bool descending) {
    SortKey key;
    key.descending = descending;
    const double empty = -std::numeric_limits<double>::infinity();
    rowCount = std::max(rowCount, 0);
    key.numbers.resize(static_cast<size_t>(rowCount), empty);
    // Numbers as long as every value is one (or empty); then dates as long as every text is one.
    enum { Numbers, Dates, Texts } found = Numbers;
    std::vector<QString> raw;
    for (int row = 0; row < rowCount; ++row) {
        const QVariant v = value(row);
        if (v.isNull())
            continue;
        const int type = v.typeId();
        if (found == Numbers && (type == QMetaType::Double || type == QMetaType::LongLong ||
                                 type == QMetaType::Int || type == QMetaType::Float)) {
            key.numbers[static_cast<size_t>(row)] = v.toDouble();
            continue;
        }
        if (found == Numbers) {
            // The first text: dates from now on, unless a row before it held a number; a column
            // of numbers and texts sorts as text.
            found = Dates;
            raw.resize(static_cast<size_t>(rowCount));
            for (int before = 0; before < row; ++before) {
                const QVariant earlier = value(before);
                if (!earlier.isNull()) {
                    found = Texts;
                    raw[static_cast<size_t>(before)] = earlier.toString();
                }
            }
        }
        QString text = v.toString();
        if (found == Dates && !text.isEmpty()) {
            const double date = DateSortKey(text);
            if (std::isnan(date))
                found = Texts;
            else
                key.numbers[static_cast<size_t>(row)] = date;
        }
        raw[static_cast<size_t>(row)] = std::move(text);
    }
    if (found == Numbers) {
        key.kind = Kind::Number;
    } else if (found == Dates) {
        key.kind = Kind::Date;
    } else {
        key.kind = Kind::Text;
        key.numbers.clear();
        key.texts = std::move(raw);
    }
    return key;
}

int SortKey::Compare(int a, int b) const {
    int result = 0;
    if (kind == Kind::Text) {
        result = CompareBookText(texts[static_cast<size_t>(a)], texts[static_cast<size_t>(b)]);
    } else {
        const double x = numbers[static_cast<size_t>(a)], y = numbers[static_cast<size_t>(b)];
        result = x < y ? -1 : (x > y ? 1 : 0);
    }
    return descending ? -result : result;
}

std::vector<int> SortedRows(int rowCount, const std::vector<SortKey>& keys) {
    std::vector<int> rows(static_cast<size_t>(std::max(rowCount, 0)));
    for (size_t i = 0; i < rows.size(); ++i)
        rows[i] = static_cast<int>(i);
    std::stable_sort(rows.begin(), rows.end(), [&keys](int a, int b) {
        for (const SortKey& key : keys) {
            const int c = key.Compare(a, b);
            if (c != 0)
                return c < 0;
        }
        return false;
    });
    return rows;
}

// ---- Filtering

namespace {
// Between the cells of a row and between rows: a character nobody types into a filter box.
constexpr char16_t CellSeparator = u'\x1f';
} // namespace

QStringList FilterWords(const QString& typed) {
    QStringList words =
        typed.toCaseFolded().split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    for (QString& word : words)
        word.remove(CellSeparator);
    words.removeAll(QString());
    return words;
}

void RowTexts::Build(int rowCount, const std::function<void(int row, QString* block)>& cells) {
    Clear();
    starts.reserve(static_cast<size_t>(std::max(rowCount, 0)) + 1);
    block.reserve(qsizetype(std::max(rowCount, 0)) * 64);
    for (int row = 0; row < rowCount; ++row) {
        starts.push_back(block.size());
        cells(row, &block);
    }
    starts.push_back(block.size());
    // Folded once, so that a filter compares characters exactly.
    block = block.toCaseFolded();
    block.squeeze();
}

void RowTexts::AddCell(QString* block, QStringView cell) {
    block->append(cell);
    block->append(QChar(CellSeparator));
}

void RowTexts::Clear() {
    block.clear();
    block.squeeze();
    starts.clear();
    starts.shrink_to_fit();
}

QStringView RowTexts::Row(int row) const {
    if (row < 0 || row >= RowCount())
        return QStringView();
    const size_t r = static_cast<size_t>(row);
    return QStringView(block).mid(starts[r], starts[r + 1] - starts[r]);
}

std::vector<int> RowTexts::Matching(const QStringList& words, const std::vector<int>& candidates) const {
    std::vector<int> kept;
    if (words.isEmpty())
        return candidates;
    kept.reserve(candidates.size() / 4);
    for (const int row : candidates) {
        const QStringView text = Row(row);
        bool all = true;
        for (const QString& word : words) {
            if (!text.contains(word)) {
                all = false;
                break;
            }
        }
        if (all)
            kept.push_back(row);
    }
    return kept;
}

// ---- Copying

QString TabSeparatedText(const QStringList& titles, const std::vector<QStringList>& rows) {
    auto line = [](const QStringList& cells) {
        QStringList clean;
        clean.reserve(cells.size());
        for (QString cell : cells) {
            cell.replace(QLatin1Char('\t'), QLatin1Char(' '));
            cell.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
            cell.replace(QLatin1Char('\r'), QLatin1Char(' '));
            cell.replace(QLatin1Char('\n'), QLatin1Char(' '));
            clean << cell;
        }
        return clean.join(QLatin1Char('\t'));
    };
    QString text = line(titles) + QLatin1Char('\n');
    for (const QStringList& row : rows)
        text += line(row) + QLatin1Char('\n');
    return text;
}

// ---- The sort box

int SortChoiceIndex(const std::vector<SortChoice>& items, int column, bool descending) {
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i].Column == column && items[i].Descending == descending)
            return static_cast<int>(i);
    }
    return -1;
}

QString SortedByText(const QString& title, bool descending) {
    return QStringLiteral("按") + title + (descending ? QStringLiteral("降序") : QStringLiteral("升序"));
}
