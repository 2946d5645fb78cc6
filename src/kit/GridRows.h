#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>
#include <QVariant>
#include <functional>
#include <vector>

// What a result grid does with its loaded rows, as plain functions: the order of a column when
// its title is clicked, the rows a typed filter keeps, the text of copied rows and how an amount
// is shown. No widget is involved, so each is tested on its own.

// ---- Amounts

// An amount as a cell shows it: at least two decimals (up to the four a stored amount may carry),
// with a comma between groups of thousands when asked. 1234.5 gives "1234.50" or "1,234.50".
QString AmountCellText(double value, bool thousands);

// ---- Sorting

// Text compared as the books compare it: without regard to letter case, then character by
// character. Negative, 0 or positive.
int CompareBookText(QStringView a, QStringView b);

// The number written by count digits at from in text (which must hold them), or -1 where a
// character is no digit.
int DigitsAt(QStringView text, qsizetype from, qsizetype count);

// A stored date ("yyyy-MM-dd" or "yyyy-MM-dd HH:mm:ss", or any form the books read) as a number
// that orders as the dates do: yyyyMMddHHmmss. NaN when the text is no date.
double DateSortKey(const QString& text);

// The order a column sorts by. Numbers sort as numbers, a column whose texts are all dates as
// dates, any other column as text compared as the books compare it. An empty value sorts first.
class SortKey {
public:
    // Reads the value of each row once.
    static SortKey Of(int rowCount, const std::function<QVariant(int row)>& value, bool descending = false);

    enum class Kind { Number, Date, Text };
    Kind KeyKind() const { return kind; }
    bool Descending() const { return descending; }
    // Compares two rows by this key alone, in its direction.
    int Compare(int a, int b) const;

private:
    Kind kind = Kind::Number;
    bool descending = false;
    std::vector<double> numbers; // numbers and dates; -infinity for an empty value
    std::vector<QString> texts;  // letter case folded
};

// The rows 0..rowCount-1 in the order of the keys: by the first, rows it finds equal by the second,
// and so on; rows equal by every key keep their order.
std::vector<int> SortedRows(int rowCount, const std::vector<SortKey>& keys);

// ---- Filtering

// The words of a typed filter, letter case folded; a row is kept when each word is found in it.
QStringList FilterWords(const QString& typed);

// The text of every row, letter case folded, kept in one block so that a filter looks through
// a few hundred thousand rows at once while the user types.
class RowTexts {
public:
    // cells(row, block) adds the texts of a row's cells to block, each through AddCell: a cell
    // ends with a separator no typed word holds, so a word never matches across two cells.
    void Build(int rowCount, const std::function<void(int row, QString* block)>& cells);
    static void AddCell(QString* block, QStringView cell);
    void Clear();
    bool Built() const { return !starts.empty(); }
    int RowCount() const { return starts.empty() ? 0 : static_cast<int>(starts.size()) - 1; }
    QStringView Row(int row) const;
    // The rows among candidates (in their order) whose text holds every word.
    std::vector<int> Matching(const QStringList& words, const std::vector<int>& candidates) const;

private:
    QString block;
    std::vector<qsizetype> starts; // RowCount() + 1 offsets into block
};

// ---- Copying

// Rows as a spreadsheet takes them from the clipboard: the titles in the first line, then one
// line per row, cells separated by tabs. A tab or line break inside a cell becomes a space.
QString TabSeparatedText(const QStringList& titles, const std::vector<QStringList>& rows);

// ---- The sort box beside a grid

// One item of a sort box: the column it sorts by and in which direction.
struct SortChoice {
    int Column;
    bool Descending;
};
// The item that sorts as column and direction do, -1 when none does.
int SortChoiceIndex(const std::vector<SortChoice>& items, int column, bool descending);
// What the sort box says when no item sorts as the grid does: "按单据编号升序" / "按单据编号降序".
QString SortedByText(const QString& title, bool descending);
