#include "RowImage.h"

#include "Connection.h"
#include "History.h"
#include "JetSql.h"
#include "Query.h"
#include "RowLock.h"
#include "Schema.h"

namespace {

QString KeyColumnOf(const QString& table) {
    const QString key = Schema::KeyColumn(table);
    if (key.isEmpty())
        throw KestrelError(QStringLiteral("未知的表：") + table);
    return key;
}

bool IsNumber(const QVariant& v) {
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Bool:
        return true;
    default:
        return false;
    }
}

bool IsWhole(const QVariant& v) {
    return IsNumber(v) && v.typeId() != QMetaType::Double && v.typeId() != QMetaType::Float;
}

} // namespace

QVariant RowImage::Value(const QString& column) const {
    for (int i = 0; i < Names.size(); ++i) {
        if (Names[i].compare(column, Qt::CaseInsensitive) == 0)
            return Values.value(i);
    }
    return QVariant();
}

const RowImage* RowsImage::Find(qint64 key) const {
    for (const RowImage& row : Rows) {
        if (row.Key == key)
            return &row;
    }
    return nullptr;
}

QString StaleRecordText() {
    return QStringLiteral("该记录已被其他用户修改，请刷新后重试");
}

StaleRecordError::StaleRecordError()
    : KestrelError(StaleRecordText()) {}

RowImage ImageOfRow(Query& query, const QString& table) {
    RowImage image;
    image.Table = table;
    const int row = query.RecNo();
    if (!query.Active() || row < 0)
        return image;
    const QString key = KeyColumnOf(table);
    const QStringList names = query.FieldNames();
    for (int i = 0; i < names.size(); ++i) {
        if (!Schema::HasColumn(table, names[i]))
            continue;
        image.Names << names[i];
        image.Values << query.ValueAt(row, i);
        if (names[i].compare(key, Qt::CaseInsensitive) == 0)
            image.Key = query.ValueAt(row, i).toLongLong();
    }
    return image;
}

RowImage TakeRowImage(DbConnection& connection, const QString& table, qint64 key) {
    Query query(&connection);
    query.Open(
        QStringLiteral("Select * From %1 Where %2 = %3").arg(table, KeyColumnOf(table), SqlNumber(key)));
    RowImage image = query.RecordCount() > 0 ? ImageOfRow(query, table) : RowImage();
    image.Table = table;
    image.Key = key;
    return image;
}

RowsImage TakeRowsImage(DbConnection& connection, const QString& table, const QString& ownerColumn,
                        qint64 owner) {
    const QString key = KeyColumnOf(table);
    if (!Schema::HasColumn(table, ownerColumn))
        throw KestrelError(QStringLiteral("表 %1 没有字段 %2").arg(table, ownerColumn));
    RowsImage image;
    image.Table = table;
    image.OwnerColumn = ownerColumn;
    image.Owner = owner;
    Query query(&connection);
    query.Open(QStringLiteral("Select * From %1 Where %2 = %3 Order By %4")
                   .arg(table, ownerColumn, SqlNumber(owner), key));
    for (query.First(); !query.Eof(); query.Next())
        image.Rows.push_back(ImageOfRow(query, table));
    return image;
}

bool SameValue(const QVariant& a, const QVariant& b) {
    if (a.isNull() || b.isNull())
        return a.isNull() && b.isNull();
    if (IsNumber(a) && IsNumber(b)) {
        if (IsWhole(a) && IsWhole(b))
            return a.toLongLong() == b.toLongLong();
        return a.toDouble() == b.toDouble();
    }
    if (a.typeId() == QMetaType::QString && b.typeId() == QMetaType::QString)
        return a.toString() == b.toString(); // exact: case and width count
    if (a.typeId() == QMetaType::QByteArray && b.typeId() == QMetaType::QByteArray)
        return a.toByteArray() == b.toByteArray();
    return a.typeId() == b.typeId() && a == b;
}

bool SameRow(const RowImage& loaded, const RowImage& now) {
    if (loaded.Exists() != now.Exists())
        return false;
    if (!loaded.Exists())
        return true;
    if (loaded.Key != now.Key || loaded.Table.compare(now.Table, Qt::CaseInsensitive) != 0)
        return false;
    for (int i = 0; i < loaded.Names.size(); ++i) {
        if (!SameValue(loaded.Values.value(i), now.Value(loaded.Names[i])))
            return false;
    }
    return true;
}

bool SameRows(const RowsImage& loaded, const RowsImage& now) {
    if (loaded.Rows.size() != now.Rows.size())
        return false;
    for (const RowImage& row : loaded.Rows) {
        const RowImage* other = now.Find(row.Key);
        if (!other || !SameRow(row, *other))
            return false;
    }
    return true;
}

void RequireUnchanged(DbConnection& connection, const RowImage& loaded) {
    if (!loaded.Taken())
        return;
    LockRow(connection, loaded.Table, loaded.Key);
    if (!SameRow(loaded, TakeRowImage(connection, loaded.Table, loaded.Key)))
        throw StaleRecordError();
}

void RequireUnchanged(DbConnection& connection, const RowsImage& loaded) {
    if (!loaded.Taken())
        return;
    for (const RowImage& row : loaded.Rows)
        LockRow(connection, loaded.Table, row.Key);
    // A set that had no row still takes the file's write lock before it is read again.
    if (loaded.Rows.empty())
        LockRow(connection, loaded.Table, 0);
    if (!SameRows(loaded, TakeRowsImage(connection, loaded.Table, loaded.OwnerColumn, loaded.Owner)))
        throw StaleRecordError();
}

void DeleteLoadedRow(DbConnection& connection, const RowImage& loaded, const RowsImage& belonging) {
    if (!loaded.Taken())
        throw KestrelError(QStringLiteral("找不到要删除的记录"));
    Transaction tx(connection);
    RequireUnchanged(connection, loaded);
    RequireUnchanged(connection, belonging);
    History::DeleteRows(connection, loaded.Table,
                        QStringLiteral("%1 = %2").arg(KeyColumnOf(loaded.Table), SqlNumber(loaded.Key)));
    tx.Commit();
}
