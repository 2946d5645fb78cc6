#include "JetBooks.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <cmath>
#include <iconv.h>
#include <mdbtools.h>
#include <vector>

// libmdb (MDB Tools) reads the pages of the file. It converts texts to UTF-8 and numbers to their
// decimal texts; floating-point and date values are taken from the row itself, since the library
// prints them with six decimals and dates only within 1900-2099.

namespace Jet {

namespace {

// The largest text or memo value read whole, in UTF-8 bytes; a longer one is reported rather than
// cut short. The library allocates this much for every value it converts: it stays below the size
// at which the C library maps fresh memory for each allocation.
constexpr size_t BindSize = 120 * 1024;

ColumnType TypeOf(int mdbType) {
    switch (mdbType) {
    case MDB_BOOL:
        return ColumnType::Boolean;
    case MDB_BYTE:
        return ColumnType::Byte;
    case MDB_INT:
        return ColumnType::Integer;
    case MDB_LONGINT:
        return ColumnType::LongInteger;
    case MDB_MONEY:
        return ColumnType::Currency;
    case MDB_FLOAT:
        return ColumnType::Single;
    case MDB_DOUBLE:
        return ColumnType::Double;
    case MDB_DATETIME:
        return ColumnType::DateTime;
    case MDB_TEXT:
        return ColumnType::Text;
    case MDB_MEMO:
        return ColumnType::Memo;
    case MDB_NUMERIC:
        return ColumnType::Numeric;
    case MDB_BINARY:
        return ColumnType::Binary;
    default:
        return ColumnType::Unsupported;
    }
}

QString Native(const QString& path) {
    return QDir::toNativeSeparators(path);
}

bool IsJet3(const MdbHandle* mdb) {
    return mdb->f->jet_version == MDB_VER_JET3;
}

// Jet 3 keeps texts in the code page written in the file's header (936 for simplified Chinese);
// the library would read every such file as Western European.
void UseCodePageOfFile(MdbHandle* mdb) {
    if (!IsJet3(mdb) || mdb->f->code_page == 0)
        return;
    const QByteArray charset = "CP" + QByteArray::number(mdb->f->code_page);
    iconv_t converter = iconv_open("UTF-8", charset.constData());
    if (converter == reinterpret_cast<iconv_t>(-1))
        return;
    if (mdb->iconv_in != reinterpret_cast<iconv_t>(-1))
        iconv_close(mdb->iconv_in);
    mdb->iconv_in = converter;
}

// Whether a variable-length column of the row just fetched is NULL. The library gives NULL and an
// empty text alike as "", so the row's null mask is read as the library itself reads it: the last
// bytes of the row, a set bit for each column that holds a value.
bool VariableIsNull(MdbTableDef* table, const MdbColumn* column) {
    MdbHandle* mdb = table->entry->mdb;
    if (table->cur_row == 0)
        return false;
    int start = 0;
    size_t size = 0;
    if (mdb_find_row(mdb, static_cast<int>(table->cur_row) - 1, &start, &size) != 0 || size == 0)
        return false;
    start &= 0x1fff; // the row's flags are kept in the upper bits of its offset
    const size_t end = static_cast<size_t>(start) + size - 1;
    if (end >= MDB_PGSIZE || end >= static_cast<size_t>(mdb->fmt->pg_size))
        return false;
    const int columns = IsJet3(mdb) ? mdb_get_byte(mdb->pg_buf, start) : mdb_get_int16(mdb->pg_buf, start);
    const size_t maskSize = (static_cast<size_t>(columns) + 7) / 8;
    if (column->row_col_num >= columns)
        return true; // the column was added after the row was written
    if (maskSize > size)
        return false;
    const unsigned char* mask = mdb->pg_buf + end - maskSize + 1;
    return (mask[column->row_col_num / 8] & (1 << (column->row_col_num % 8))) == 0;
}

class MdbRows : public Rows {
public:
    MdbRows(MdbTableDef* table, int* openRows)
        : table(table)
        , openRows(openRows) {
        ++*openRows;
        mdb_read_columns(table);
        buffers.resize(table->num_cols);
        lengths.resize(table->num_cols);
        for (unsigned int c = 0; c < table->num_cols; ++c) {
            // One byte more than the library may copy, for its closing zero.
            buffers[c].resize(BindSize + 16);
            mdb_bind_column(table, static_cast<int>(c) + 1, buffers[c].data(), &lengths[c]);
        }
        mdb_rewind_table(table);
    }
    ~MdbRows() override {
        mdb_free_tabledef(table);
        --*openRows;
    }
    MdbRows(const MdbRows&) = delete;
    MdbRows& operator=(const MdbRows&) = delete;

    bool Next(QVariantList* row) override {
        if (!error.isEmpty() || !mdb_fetch_row(table))
            return false;
        row->clear();
        for (unsigned int c = 0; c < table->num_cols; ++c) {
            const auto* column = static_cast<MdbColumn*>(g_ptr_array_index(table->columns, c));
            row->append(Value(column, c));
            if (!error.isEmpty())
                return false;
        }
        return true;
    }
    QString Error() const override { return error; }

private:
    QVariant Value(const MdbColumn* column, unsigned int c) {
        MdbHandle* mdb = table->entry->mdb;
        const ColumnType type = TypeOf(column->col_type);
        const int length = lengths[c];
        const QByteArray text = QByteArray::fromRawData(buffers[c].data(), length);
        if (type == ColumnType::Boolean)
            return text == "1";
        if (type == ColumnType::Text || type == ColumnType::Memo) {
            if (static_cast<size_t>(length) >= BindSize) {
                error = QStringLiteral("数据表“%1”的字段“%2”中有一个超过 %3 字节的文字，无法完整读取。")
                            .arg(QString::fromUtf8(table->name), QString::fromUtf8(column->name))
                            .arg(BindSize);
                return QVariant();
            }
            if (length == 0)
                return VariableIsNull(table, column) ? QVariant() : QVariant(QString(""));
            return QString::fromUtf8(text);
        }
        if (type == ColumnType::Binary) {
            if (length == 0)
                return VariableIsNull(table, column) ? QVariant() : QVariant(QByteArray(""));
            return QByteArray(text.constData(), length);
        }
        if (type == ColumnType::Unsupported || column->cur_value_len == 0)
            return QVariant();
        const int at = column->cur_value_start;
        if (at < 0 || at + column->cur_value_len > static_cast<int>(MDB_PGSIZE)) {
            error = QStringLiteral("数据表“%1”的一行无法读取。").arg(QString::fromUtf8(table->name));
            return QVariant();
        }
        switch (type) {
        case ColumnType::Single:
            return static_cast<double>(mdb_get_single(mdb->pg_buf, at));
        case ColumnType::Double:
            return mdb_get_double(mdb->pg_buf, at);
        case ColumnType::DateTime:
            return DateTimeOfDays(mdb_get_double(mdb->pg_buf, at));
        case ColumnType::Currency:
        case ColumnType::Numeric:
            return text.toDouble();
        default:
            return text.toLongLong();
        }
    }

    MdbTableDef* table;
    int* openRows;
    std::vector<QByteArray> buffers;
    std::vector<int> lengths;
    QString error;
};

// Rows that cannot be read: the reason only.
class FailedRows : public Rows {
public:
    explicit FailedRows(const QString& error)
        : error(error) {}
    bool Next(QVariantList*) override { return false; }
    QString Error() const override { return error; }

private:
    QString error;
};

struct TableInfo {
    QString Name;
    QVector<Column> Columns;
    qint64 Rows = 0;
    MdbCatalogEntry* Entry = nullptr;
};

class MdbBooks : public Books {
public:
    explicit MdbBooks(MdbHandle* mdb)
        : mdb(mdb) {}
    ~MdbBooks() override { mdb_close(mdb); }
    MdbBooks(const MdbBooks&) = delete;
    MdbBooks& operator=(const MdbBooks&) = delete;

    // Reads the catalog and every user table's definition; false when they cannot be read.
    bool ReadCatalog() {
        if (mdb_read_catalog(mdb, MDB_TABLE) == nullptr)
            return false;
        for (unsigned int i = 0; i < mdb->num_catalog; ++i) {
            auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb->catalog, i));
            if (entry->object_type != MDB_TABLE || mdb_is_system_table(entry))
                continue;
            MdbTableDef* table = mdb_read_table(entry);
            if (table == nullptr || mdb_read_columns(table) == nullptr) {
                if (table != nullptr)
                    mdb_free_tabledef(table);
                return false;
            }
            TableInfo info;
            info.Name = QString::fromUtf8(entry->object_name);
            info.Rows = table->num_rows;
            info.Entry = entry;
            for (unsigned int c = 0; c < table->num_cols; ++c) {
                const auto* column = static_cast<MdbColumn*>(g_ptr_array_index(table->columns, c));
                info.Columns.append(Column{QString::fromUtf8(column->name), TypeOf(column->col_type)});
            }
            mdb_free_tabledef(table);
            tables.append(info);
        }
        return true;
    }

    QStringList TableNames() const override {
        QStringList names;
        for (const TableInfo& t : tables)
            names << t.Name;
        return names;
    }
    QVector<Column> Columns(const QString& table) const override {
        const TableInfo* t = Find(table);
        return t ? t->Columns : QVector<Column>();
    }
    qint64 RowCount(const QString& table) const override {
        const TableInfo* t = Find(table);
        return t ? t->Rows : 0;
    }
    std::unique_ptr<Rows> ReadRows(const QString& table) override {
        const TableInfo* t = Find(table);
        if (t == nullptr)
            return std::make_unique<FailedRows>(QStringLiteral("没有数据表“%1”。").arg(table));
        // The library reads every table through the one page buffer of the file.
        if (openRows > 0)
            return std::make_unique<FailedRows>(QStringLiteral("同时只能读一个数据表。"));
        MdbTableDef* def = mdb_read_table(t->Entry);
        if (def == nullptr)
            return std::make_unique<FailedRows>(QStringLiteral("数据表“%1”无法读取。").arg(table));
        mdb_set_bind_size(mdb, BindSize);
        return std::make_unique<MdbRows>(def, &openRows);
    }

private:
    const TableInfo* Find(const QString& table) const {
        for (const TableInfo& t : tables) {
            if (t.Name.compare(table, Qt::CaseInsensitive) == 0)
                return &t;
        }
        return nullptr;
    }

    MdbHandle* mdb;
    QVector<TableInfo> tables;
    int openRows = 0;
};

} // namespace

QString TypeName(ColumnType type) {
    switch (type) {
    case ColumnType::Boolean:
        return QStringLiteral("是/否");
    case ColumnType::Byte:
        return QStringLiteral("字节");
    case ColumnType::Integer:
        return QStringLiteral("整型");
    case ColumnType::LongInteger:
        return QStringLiteral("长整型");
    case ColumnType::Currency:
        return QStringLiteral("货币");
    case ColumnType::Single:
        return QStringLiteral("单精度型");
    case ColumnType::Double:
        return QStringLiteral("双精度型");
    case ColumnType::DateTime:
        return QStringLiteral("日期/时间");
    case ColumnType::Text:
        return QStringLiteral("文本");
    case ColumnType::Memo:
        return QStringLiteral("备注");
    case ColumnType::Numeric:
        return QStringLiteral("小数");
    case ColumnType::Binary:
        return QStringLiteral("二进制");
    case ColumnType::Unsupported:
        break;
    }
    return QStringLiteral("OLE 对象或其他");
}

int VersionOf(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray header = file.read(0x15);
    if (header.size() < 0x15 || !header.startsWith(QByteArray("\x00\x01\x00\x00", 4)))
        return 0;
    const QByteArray engine = header.mid(4, 16);
    if (engine != QByteArray("Standard Jet DB\0", 16) && engine != QByteArray("Standard ACE DB\0", 16))
        return 0;
    const int version = static_cast<unsigned char>(header.at(0x14));
    return version + 3;
}

namespace {
Opener& TestOpener() {
    static Opener opener;
    return opener;
}
} // namespace

void SetOpenerForTests(Opener opener) {
    TestOpener() = std::move(opener);
}

std::unique_ptr<Books> Open(const QString& path, QString* error) {
    if (VersionOf(path) == 0) {
        *error = QStringLiteral("“%1”不是旧格式（Jet）的数据库文件。").arg(Native(path));
        return nullptr;
    }
    if (TestOpener())
        return TestOpener()(path, error);
    const QString unreadable =
        QStringLiteral("“%1”是旧格式（Jet）的数据库，但无法读取：文件已被加密，或者已损坏。\n\n"
                       "如果文件被加密，请先在 Access 中解密（工具→安全→加密/解密数据库），"
                       "再用本软件打开。")
            .arg(Native(path));
    MdbHandle* mdb = mdb_open(QFile::encodeName(path).constData(), MDB_NOFLAGS);
    if (mdb == nullptr) {
        *error = unreadable;
        return nullptr;
    }
    UseCodePageOfFile(mdb);
    mdb_set_boolean_fmt_numbers(mdb);
    auto books = std::make_unique<MdbBooks>(mdb);
    if (!books->ReadCatalog() || books->TableNames().isEmpty()) {
        *error = unreadable;
        return nullptr;
    }
    return books;
}

QDateTime DateTimeOfDays(double days) {
    if (!std::isfinite(days) || std::abs(days) > 3.0e6)
        return QDateTime();
    const double whole = std::trunc(days);
    qint64 seconds = std::llround(std::abs(days - whole) * 86400.0);
    QDate date = QDate(1899, 12, 30).addDays(static_cast<qint64>(whole));
    if (seconds >= 86400) {
        seconds -= 86400;
        date = date.addDays(1);
    }
    return QDateTime(date, QTime(0, 0).addSecs(static_cast<int>(seconds)), Qt::UTC);
}

} // namespace Jet
