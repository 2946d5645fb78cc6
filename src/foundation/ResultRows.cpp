#include "ResultRows.h"

#include <algorithm>
#include <sqlite3.h>

void ResultRows::Clear() {
    blocks.clear();
    lastBlockSize = 0;
    used = 0;
    text.clear();
    rows = 0;
    columns = 0;
}

int ResultRows::Load(sqlite3_stmt* statement) {
    Clear();
    columns = sqlite3_column_count(statement);
    int code;
    while ((code = sqlite3_step(statement)) == SQLITE_ROW) {
        for (int c = 0; c < columns; ++c) {
            Cell cell;
            cell.Type = sqlite3_column_type(statement, c);
            switch (cell.Type) {
            case SQLITE_INTEGER:
                cell.Integer = sqlite3_column_int64(statement, c);
                break;
            case SQLITE_FLOAT:
                cell.Real = sqlite3_column_double(statement, c);
                break;
            case SQLITE_TEXT:
            case SQLITE_BLOB: {
                const void* bytes = cell.Type == SQLITE_TEXT ? sqlite3_column_text(statement, c)
                                                             : sqlite3_column_blob(statement, c);
                cell.Length = sqlite3_column_bytes(statement, c);
                cell.Offset = text.size();
                text.append(static_cast<const char*>(bytes), cell.Length);
                break;
            }
            default:
                break;
            }
            Push(cell);
        }
        ++rows;
    }
    return code;
}

QVariant ResultRows::Value(int row, int column) const {
    const Cell& cell = At(row, column);
    switch (cell.Type) {
    case SQLITE_INTEGER:
        return QVariant(static_cast<qlonglong>(cell.Integer));
    case SQLITE_FLOAT:
        return QVariant(cell.Real);
    case SQLITE_TEXT:
        return QVariant(QString::fromUtf8(text.constData() + cell.Offset, cell.Length));
    case SQLITE_BLOB:
        return QVariant(text.mid(cell.Offset, cell.Length));
    default:
        return QVariant();
    }
}

std::vector<QVariant> ResultRows::Row(int row) const {
    std::vector<QVariant> values;
    values.reserve(static_cast<size_t>(columns));
    for (int c = 0; c < columns; ++c)
        values.push_back(Value(row, c));
    return values;
}

ResultRows::Cell ResultRows::ToCell(const QVariant& value) {
    Cell cell;
    if (value.isNull())
        return cell;
    switch (value.typeId()) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        cell.Type = SQLITE_INTEGER;
        cell.Integer = value.toLongLong();
        return cell;
    case QMetaType::Double:
    case QMetaType::Float:
        cell.Type = SQLITE_FLOAT;
        cell.Real = value.toDouble();
        return cell;
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        cell.Type = SQLITE_BLOB;
        cell.Length = static_cast<int>(bytes.size());
        cell.Offset = text.size();
        text.append(bytes);
        return cell;
    }
    default: {
        // A changed text is appended; the old one stays unused in the buffer until the next load.
        const QByteArray bytes = value.toString().toUtf8();
        cell.Type = SQLITE_TEXT;
        cell.Length = static_cast<int>(bytes.size());
        cell.Offset = text.size();
        text.append(bytes);
        return cell;
    }
    }
}

void ResultRows::SetValue(int row, int column, const QVariant& value) {
    At(row, column) = ToCell(value);
}

void ResultRows::AppendRow(const std::vector<QVariant>& values) {
    for (int c = 0; c < columns; ++c)
        Push(ToCell(c < static_cast<int>(values.size()) ? values[static_cast<size_t>(c)] : QVariant()));
    ++rows;
}

void ResultRows::Push(const Cell& cell) {
    // A deletion may have left the last block empty; it is used again rather than a new one.
    const size_t block = used / BlockSize;
    if (block == blocks.size()) {
        blocks.push_back(std::make_unique<Cell[]>(FirstBlockSize));
        lastBlockSize = FirstBlockSize;
    } else if (block + 1 == blocks.size() && used % BlockSize == lastBlockSize) {
        const size_t grown = std::min(lastBlockSize * 2, BlockSize);
        auto larger = std::make_unique<Cell[]>(grown);
        std::copy(blocks[block].get(), blocks[block].get() + lastBlockSize, larger.get());
        blocks[block] = std::move(larger);
        lastBlockSize = grown;
    }
    CellAt(used) = cell;
    ++used;
}

void ResultRows::EraseRow(int row) {
    // Rare (deleting a row of an open result): the later cells move up by one row.
    for (size_t i = static_cast<size_t>(row) * columns; i + columns < used; ++i)
        CellAt(i) = CellAt(i + columns);
    used -= static_cast<size_t>(columns);
    --rows;
}
