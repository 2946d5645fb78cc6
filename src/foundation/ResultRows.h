#pragma once

#include <QByteArray>
#include <QVariant>
#include <memory>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

// The rows of a query result kept compactly: a number is kept as it is, a text as a slice of one
// UTF-8 buffer, and a value becomes a QVariant only when it is read. A result of some hundred
// thousand rows loads at close to the engine's own speed and takes little memory.
class ResultRows {
public:
    void Clear();
    int RowCount() const { return rows; }
    int ColumnCount() const { return columns; }

    // Steps through a prepared statement and keeps every row; the column count is the statement's.
    // Returns the engine's result code of the last step (SQLITE_DONE when all went well).
    int Load(sqlite3_stmt* statement);

    QVariant Value(int row, int column) const;
    std::vector<QVariant> Row(int row) const;
    void SetValue(int row, int column, const QVariant& value);
    void AppendRow(const std::vector<QVariant>& values);
    void EraseRow(int row);

private:
    struct Cell {
        int Type = 5; // SQLITE_NULL
        int Length = 0;
        union {
            qint64 Integer = 0;
            double Real;
            qint64 Offset;
        };
    };
    // Cells live in fixed blocks, so that a growing result never copies what it already holds.
    // The last block starts small and doubles up to the full size, so that the many one-row
    // results of totals do not each pay for a full block.
    static constexpr size_t BlockSize = size_t(1) << 16;
    static constexpr size_t FirstBlockSize = 64;
    Cell& CellAt(size_t i) { return blocks[i / BlockSize][i % BlockSize]; }
    const Cell& CellAt(size_t i) const { return blocks[i / BlockSize][i % BlockSize]; }
    Cell& At(int row, int column) { return CellAt(static_cast<size_t>(row) * columns + column); }
    const Cell& At(int row, int column) const { return CellAt(static_cast<size_t>(row) * columns + column); }
    void Push(const Cell& cell);
    Cell ToCell(const QVariant& value);

    std::vector<std::unique_ptr<Cell[]>> blocks; // rows * columns cells, row after row
    size_t lastBlockSize = 0;                    // cells the last block has room for
    size_t used = 0;
    QByteArray text; // the texts and blobs of every cell, one after another
    int rows = 0;
    int columns = 0;
};
