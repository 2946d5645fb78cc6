#include "ResultRows.h"

#include <QStringDecoder>
#include <algorithm>
#include <cstdlib>
#include <new>
#include <sqlite3.h>
#ifdef __linux__
#include <sys/mman.h>
#endif

namespace {

const size_t HugePage = size_t(1) << 21;

} // namespace

void* ResultRows::Allocate(size_t bytes) {
    void* block = nullptr;
    if (bytes >= HugePage) {
        const size_t rounded = (bytes + HugePage - 1) / HugePage * HugePage;
        block = std::aligned_alloc(HugePage, rounded);
#ifdef __linux__
        if (block)
            madvise(block, rounded, MADV_HUGEPAGE);
#endif
    } else {
        block = std::malloc(bytes);
    }
    if (!block)
        throw std::bad_alloc();
    return block;
}

void ResultRows::FreeBlock::operator()(void* block) const {
    std::free(block);
}

void ResultRows::Reset() {
    used = 0;
    rows = 0;
    columns = 0;
    textBlocksUsed = 0;
    textCursor = nullptr;
    textLeft = 0;
}

void ResultRows::Clear() {
    Reset();
    blocks.clear();
    capacity = 0;
    texts.clear();
}

void ResultRows::Trim() {
    const size_t needed = (used + BlockSize - 1) / BlockSize;
    if (needed < blocks.size()) {
        // More than one block was there, so every block kept is a full one.
        blocks.resize(needed);
        capacity = needed * BlockSize;
    }
    texts.resize(textBlocksUsed);
}

int ResultRows::Load(sqlite3_stmt* statement) {
    Reset();
    columns = sqlite3_column_count(statement);
    int code;
    while ((code = sqlite3_step(statement)) == SQLITE_ROW) {
        for (int c = 0; c < columns; ++c) {
            Cell& cell = NewCell();
            cell.Type = sqlite3_column_type(statement, c);
            cell.Length = 0;
            switch (cell.Type) {
            case SQLITE_INTEGER:
                cell.Integer = sqlite3_column_int64(statement, c);
                break;
            case SQLITE_FLOAT:
                cell.Real = sqlite3_column_double(statement, c);
                break;
            case SQLITE_TEXT: {
                // The text first, then its length, as the engine asks.
                const unsigned char* bytes = sqlite3_column_text(statement, c);
                cell.Length = sqlite3_column_bytes(statement, c);
                cell.Bytes = Keep(bytes, static_cast<size_t>(cell.Length));
                break;
            }
            case SQLITE_BLOB: {
                const void* bytes = sqlite3_column_blob(statement, c);
                cell.Length = sqlite3_column_bytes(statement, c);
                cell.Bytes = Keep(bytes, static_cast<size_t>(cell.Length));
                break;
            }
            default:
                cell.Integer = 0;
                break;
            }
        }
        ++rows;
    }
    Trim();
    return code;
}

void ResultRows::Begin(int columnCount) {
    Reset();
    columns = columnCount;
}

void ResultRows::AddNull() {
    Cell& cell = NewCell();
    cell.Type = SQLITE_NULL;
    cell.Length = 0;
    cell.Integer = 0;
}

void ResultRows::AddInteger(qint64 value) {
    Cell& cell = NewCell();
    cell.Type = SQLITE_INTEGER;
    cell.Length = 0;
    cell.Integer = value;
}

void ResultRows::AddReal(double value) {
    Cell& cell = NewCell();
    cell.Type = SQLITE_FLOAT;
    cell.Length = 0;
    cell.Real = value;
}

void ResultRows::AddText(const char* bytes, int length) {
    Cell& cell = NewCell();
    cell.Type = SQLITE_TEXT;
    cell.Length = length;
    cell.Bytes = Keep(bytes, static_cast<size_t>(length));
}

QVariant ResultRows::Value(int row, int column) const {
    const Cell& cell = At(row, column);
    switch (cell.Type) {
    case SQLITE_INTEGER:
        return QVariant(static_cast<qlonglong>(cell.Integer));
    case SQLITE_FLOAT:
        return QVariant(cell.Real);
    case SQLITE_TEXT:
        return QVariant(QString::fromUtf8(cell.Bytes, cell.Length));
    case SQLITE_BLOB:
        return QVariant(QByteArray(cell.Bytes, cell.Length));
    default:
        return QVariant();
    }
}

bool ResultRows::AppendText(int row, int column, QString* out) const {
    const Cell& cell = At(row, column);
    if (cell.Type != SQLITE_TEXT)
        return false;
    // UTF-8 never takes fewer bytes than UTF-16 units; the decoder writes into the room made.
    const qsizetype before = out->size();
    out->resize(before + cell.Length);
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QChar* end = decoder.appendToBuffer(out->data() + before, QByteArrayView(cell.Bytes, cell.Length));
    out->resize(end - out->constData());
    return true;
}

std::vector<QVariant> ResultRows::Row(int row) const {
    std::vector<QVariant> values;
    values.reserve(static_cast<size_t>(columns));
    for (int c = 0; c < columns; ++c)
        values.push_back(Value(row, c));
    return values;
}

double ResultRows::Sum(int column) const {
    double sum = 0;
    for (int row = 0; row < rows; ++row) {
        const Cell& cell = At(row, column);
        switch (cell.Type) {
        case SQLITE_INTEGER:
            sum += static_cast<double>(cell.Integer);
            break;
        case SQLITE_FLOAT:
            sum += cell.Real;
            break;
        case SQLITE_NULL:
            break;
        default: // a text counts for the number it reads as
            sum += Value(row, column).toDouble();
            break;
        }
    }
    return sum;
}

ResultRows::Cell ResultRows::ToCell(const QVariant& value) {
    Cell cell;
    cell.Type = SQLITE_NULL;
    cell.Length = 0;
    cell.Integer = 0;
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
        cell.Bytes = Keep(bytes.constData(), static_cast<size_t>(bytes.size()));
        return cell;
    }
    default: {
        // A changed text is kept anew; the old one stays unused in its block until the next load.
        const QByteArray bytes = value.toString().toUtf8();
        cell.Type = SQLITE_TEXT;
        cell.Length = static_cast<int>(bytes.size());
        cell.Bytes = Keep(bytes.constData(), static_cast<size_t>(bytes.size()));
        return cell;
    }
    }
}

void ResultRows::SetValue(int row, int column, const QVariant& value) {
    At(row, column) = ToCell(value);
}

void ResultRows::AppendRow(const std::vector<QVariant>& values) {
    for (int c = 0; c < columns; ++c)
        NewCell() = ToCell(c < static_cast<int>(values.size()) ? values[static_cast<size_t>(c)] : QVariant());
    ++rows;
}

void ResultRows::Grow() {
    if (blocks.empty()) {
        blocks.push_back(NewBlock<Cell>(FirstBlockSize));
        capacity = FirstBlockSize;
    } else if (capacity < BlockSize) {
        // The only block is still small: it doubles.
        const size_t grown = std::min(capacity * 2, BlockSize);
        auto larger = NewBlock<Cell>(grown);
        std::copy(blocks[0].get(), blocks[0].get() + used, larger.get());
        blocks[0] = std::move(larger);
        capacity = grown;
    } else {
        blocks.push_back(NewBlock<Cell>(BlockSize));
        capacity += BlockSize;
    }
}

void ResultRows::NextTextBlock(size_t length) {
    // The next block of an earlier load is used again when the text fits in it.
    if (textBlocksUsed == texts.size() || texts[textBlocksUsed].Size < length) {
        const size_t size = textBlocksUsed == 0 ? FirstTextBlockSize
                                                : std::min(texts[textBlocksUsed - 1].Size * 2, TextBlockSize);
        TextBlock block;
        block.Size = std::max(size, length);
        block.Bytes = NewBlock<char>(block.Size);
        if (textBlocksUsed == texts.size())
            texts.push_back(std::move(block));
        else
            texts[textBlocksUsed] = std::move(block);
    }
    textCursor = texts[textBlocksUsed].Bytes.get();
    textLeft = texts[textBlocksUsed].Size;
    ++textBlocksUsed;
}

void ResultRows::EraseRow(int row) {
    // Rare (deleting a row of an open result): the later cells move up by one row.
    for (size_t i = static_cast<size_t>(row) * columns; i + columns < used; ++i)
        CellAt(i) = CellAt(i + columns);
    used -= static_cast<size_t>(columns);
    --rows;
}
