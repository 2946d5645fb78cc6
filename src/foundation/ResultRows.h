#pragma once

#include <QByteArray>
#include <QVariant>
#include <cstring>
#include <memory>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

// The rows of a query result kept compactly: a number is kept as it is, a text as a slice of
// blocks of UTF-8 bytes, and a value becomes a QVariant only when it is read. A result of some
// hundred thousand rows loads at close to the engine's own speed and takes little memory.
// Loading again reuses the memory of the previous result, so refreshing a large result does not
// allocate it anew.
class ResultRows {
public:
    // Drops the rows and gives the memory back.
    void Clear();
    int RowCount() const { return rows; }
    int ColumnCount() const { return columns; }

    // Steps through a prepared statement and keeps every row; the column count is the statement's.
    // Returns the engine's result code of the last step (SQLITE_DONE when all went well).
    int Load(sqlite3_stmt* statement);

    // Rows from another engine: Begin sets the column count, then each row adds one value per
    // column (null, integer, real or UTF-8 text) and ends with EndRow.
    void Begin(int columnCount);
    void AddNull();
    void AddInteger(qint64 value);
    void AddReal(double value);
    void AddText(const char* bytes, int length);
    void EndRow() { ++rows; }

    QVariant Value(int row, int column) const;
    // When the cell holds a text: appends it to out and returns true, without making a QVariant
    // or a string of its own (a filter reads every text of a large result at once).
    bool AppendText(int row, int column, QString* out) const;
    std::vector<QVariant> Row(int row) const;
    // The sum of a column's values as numbers, row after row; nulls count for nothing.
    double Sum(int column) const;
    void SetValue(int row, int column, const QVariant& value);
    void AppendRow(const std::vector<QVariant>& values);
    void EraseRow(int row);

private:
    // Blocks of memory; a large one is backed by huge pages where the system offers them, so that
    // a fresh result of a hundred megabytes costs a few hundred page faults, not tens of thousands.
    struct FreeBlock {
        void operator()(void* block) const;
    };
    template <class T> using Block = std::unique_ptr<T[], FreeBlock>;
    static void* Allocate(size_t bytes);
    template <class T> static Block<T> NewBlock(size_t count) {
        return Block<T>(static_cast<T*>(Allocate(count * sizeof(T))));
    }

    // Left uninitialised when a block is made: every cell is written before it is read.
    struct Cell {
        int Type; // an engine type: SQLITE_INTEGER, SQLITE_FLOAT, SQLITE_TEXT, SQLITE_BLOB, SQLITE_NULL
        int Length;
        union {
            qint64 Integer;
            double Real;
            const char* Bytes; // a text or blob, in one of the text blocks
        };
    };
    // Cells live in fixed blocks, so that a growing result never copies what it already holds.
    // The first block starts small and doubles up to the full size, so that the many one-row
    // results of totals do not each pay for a full block.
    static constexpr size_t BlockSize = size_t(1) << 17; // 2 MB
    static constexpr size_t FirstBlockSize = 64;
    // Text blocks start small for the same reason and double up to their full size; a text
    // longer than that gets a block of its own.
    static constexpr size_t FirstTextBlockSize = size_t(1) << 12;
    static constexpr size_t TextBlockSize = size_t(1) << 21;

    Cell& CellAt(size_t i) { return blocks[i / BlockSize][i % BlockSize]; }
    const Cell& CellAt(size_t i) const { return blocks[i / BlockSize][i % BlockSize]; }
    Cell& At(int row, int column) { return CellAt(static_cast<size_t>(row) * columns + column); }
    const Cell& At(int row, int column) const { return CellAt(static_cast<size_t>(row) * columns + column); }
    // The next free cell at the end.
    Cell& NewCell() {
        if (used == capacity)
            Grow();
        return CellAt(used++);
    }
    void Grow();
    // A copy of bytes in the text blocks; it stays where it is until the next load.
    const char* Keep(const void* bytes, size_t length) {
        if (length == 0)
            return "";
        if (length > textLeft)
            NextTextBlock(length);
        char* at = textCursor;
        std::memcpy(at, bytes, length);
        textCursor += length;
        textLeft -= length;
        return at;
    }
    void NextTextBlock(size_t length);
    // Empties the result, keeping its blocks for the next load.
    void Reset();
    // Gives back the blocks the current result does not use.
    void Trim();
    Cell ToCell(const QVariant& value);

    std::vector<Block<Cell>> blocks; // rows * columns cells, row after row
    size_t capacity = 0;             // cells the blocks have room for
    size_t used = 0;

    struct TextBlock {
        Block<char> Bytes;
        size_t Size = 0;
    };
    std::vector<TextBlock> texts;
    size_t textBlocksUsed = 0; // texts[textBlocksUsed - 1] is the one being filled
    char* textCursor = nullptr;
    size_t textLeft = 0;

    int rows = 0;
    int columns = 0;
};
