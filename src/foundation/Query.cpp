#include "Query.h"

#include "Connection.h"
#include "History.h"
#include "JetSql.h"
#include "KestrelError.h"
#include "PgBackend.h"
#include "RowImage.h"
#include "Schema.h"

#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <algorithm>
#include <cmath>
#include <optional>
#include <sqlite3.h>

namespace {

QString ClosedMessage() {
    return QStringLiteral("数据集未打开，不能进行此操作");
}

QSqlDatabase DatabaseOf(DbConnection* connection) {
    if (!connection)
        throw KestrelError(QStringLiteral("查询没有数据库连接"));
    return connection->Database();
}

// A failed statement: the connection hears of the engine's result code, the caller gets the error.
[[noreturn]] void Fail(DbConnection* connection, int engineCode, const QString& message) {
    connection->NoteFailure(engineCode);
    throw KestrelError(message);
}

[[noreturn]] void Fail(DbConnection* connection, const QSqlQuery& query, const QString& message) {
    Fail(connection, query.lastError().nativeErrorCode().toInt(), message + query.lastError().text());
}

// On a server a change or deletion holds only while the row still has what this query read: the
// statement gets a condition on the read values, and touching no row means another workstation
// got there first. On a file the transaction's write lock keeps others out between the read and
// the write. The editors check against what they loaded before this (RequireUnchanged).
class StaleGuard {
public:
    StaleGuard(const DbConnection* connection, const QString& table, const QStringList& names)
        : server(connection->CurrentEngine() == Engine::PostgreSql) {
        if (server)
            condition = PgBackend::UnchangedCondition(table, names, &columns);
    }
    const QString& Condition() const { return condition; }
    void Bind(QSqlQuery& query, const ResultRows& rows, int row) const {
        for (int column : columns)
            query.addBindValue(rows.Value(row, column));
    }
    void Check(const QSqlQuery& query) const {
        if (server && query.numRowsAffected() == 0)
            throw KestrelError(PgBackend::StaleRecordMessage());
    }

private:
    bool server;
    QString condition;
    std::vector<int> columns;
};

} // namespace

// ---- Field

QString Field::FieldName() const {
    return query->names.value(column);
}

QVariant Field::Value() const {
    query->RequireActive();
    query->RequireColumn(column);
    if (query->state == Query::State::Insert || query->state == Query::State::Edit)
        return query->pending[column];
    query->RequireRow();
    return query->result.Value(query->current, column);
}

bool Field::IsNull() const {
    return Value().isNull();
}

QString Field::AsString() const {
    const QVariant v = Value();
    if (v.isNull())
        return QString();
    if (v.typeId() == QMetaType::Double)
        return QString::number(v.toDouble(), 'g', 15);
    return v.toString();
}

qint64 Field::AsInteger() const {
    const QVariant v = Value();
    if (v.isNull())
        return 0;
    bool ok = false;
    // A double rounds as a dataset's float field does: halves to even.
    if (v.typeId() != QMetaType::Double) {
        const qint64 n = v.toLongLong(&ok);
        if (ok)
            return n;
    }
    const double d = v.toDouble(&ok);
    if (ok && std::isfinite(d))
        return static_cast<qint64>(std::nearbyint(d));
    throw KestrelError(QStringLiteral("字段 %1 的值“%2”不是整数").arg(FieldName(), v.toString()));
}

double Field::AsFloat() const {
    const QVariant v = Value();
    if (v.isNull())
        return 0;
    bool ok = false;
    const double d = v.toDouble(&ok);
    if (!ok)
        throw KestrelError(QStringLiteral("字段 %1 的值“%2”不是数值").arg(FieldName(), v.toString()));
    return d;
}

QDateTime Field::AsDateTime() const {
    const QVariant v = Value();
    if (v.isNull())
        return QDateTime();
    if (v.typeId() == QMetaType::QDateTime)
        return v.toDateTime();
    if (v.typeId() == QMetaType::QDate)
        return QDateTime(v.toDate(), QTime(0, 0));
    return ParseStoredDate(v.toString());
}

QDate Field::AsDate() const {
    return AsDateTime().date();
}

bool Field::AsBoolean() const {
    const QVariant v = Value();
    if (v.isNull())
        return false;
    const QString text = v.toString();
    if (text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
        return true;
    return v.toDouble() != 0;
}

void Field::SetValue(const QVariant& value) {
    query->RequireActive();
    query->RequireColumn(column);
    if (query->state != Query::State::Insert && query->state != Query::State::Edit)
        throw KestrelError(QStringLiteral("数据集不在编辑或插入状态"));
    // The engine would store a QDateTime as "yyyy-MM-ddTHH:mm:ss.zzz", which no date literal
    // compares with.
    if (value.typeId() == QMetaType::QDateTime)
        query->pending[column] = StoredDateText(value.toDateTime());
    else if (value.typeId() == QMetaType::QDate)
        query->pending[column] = StoredDateText(value.toDate());
    else
        query->pending[column] = value;
    query->changed[column] = true;
}

void Field::SetAsDateTime(const QDateTime& value) {
    SetValue(StoredDateText(value));
}

void Field::SetAsDate(const QDate& value) {
    SetValue(StoredDateText(value));
}

// ---- Query

Query::Query(DbConnection* connection)
    : connection(connection) {}

void Query::Open(const QString& sql) {
    SQL = sql;
    Open();
}

void Query::Open() {
    // The rows of the last result go, their memory stays for the new ones.
    ResetState();
    if (!connection)
        throw KestrelError(QStringLiteral("查询没有数据库连接"));
    if (connection->CurrentEngine() == Engine::PostgreSql) {
        names = PgBackend::Load(connection->ServerHandle(), connection->EngineSql(SQL), SQL, result,
                                connection->ServerBeat);
        StartBrowsing();
        return;
    }
    // The rows are read from the engine directly: a large result loads at close to the engine's
    // own speed, and is kept compactly.
    sqlite3* db = connection->Handle();
    const QByteArray text = ToEngineSql(SQL).toUtf8();
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, text.constData(), static_cast<int>(text.size()), &statement, nullptr) !=
            SQLITE_OK ||
        !statement) {
        const QString problem = QString::fromUtf8(sqlite3_errmsg(db));
        const int failure = sqlite3_extended_errcode(db);
        sqlite3_finalize(statement);
        Close();
        Fail(connection, failure, QStringLiteral("查询失败：") + problem);
    }
    const int code = result.Load(statement);
    for (int i = 0; i < result.ColumnCount(); ++i)
        names << QString::fromUtf8(sqlite3_column_name(statement, i)).remove(QLatin1Char('"'));
    const QString problem = code == SQLITE_DONE ? QString() : QString::fromUtf8(sqlite3_errmsg(db));
    sqlite3_finalize(statement);
    if (code != SQLITE_DONE) {
        Close();
        Fail(connection, code, QStringLiteral("查询失败：") + problem);
    }
    StartBrowsing();
}

void Query::StartBrowsing() {
    const int rows = result.RowCount();
    state = State::Browse;
    current = rows > 0 ? 0 : -1;
    eof = rows == 0;
    bof = true;
}

void Query::Close() {
    ResetState();
    result.Clear();
}

void Query::ResetState() {
    state = State::Inactive;
    names.clear();
    pending.clear();
    changed.clear();
    current = -1;
    eof = bof = true;
    editRow = -1;
}

void Query::RequireActive() const {
    if (state == State::Inactive)
        throw KestrelError(ClosedMessage());
}

void Query::RequireRow() const {
    if (current < 0 || current >= result.RowCount())
        throw KestrelError(QStringLiteral("数据集中没有当前记录"));
}

void Query::RequireColumn(int column) const {
    // A field taken from an earlier result of this query.
    if (column < 0 || column >= names.size())
        throw KestrelError(QStringLiteral("字段不在当前数据集中"));
}

void Query::CheckBrowseMode() {
    if (state != State::Insert && state != State::Edit)
        return;
    if (std::find(changed.begin(), changed.end(), true) != changed.end())
        Post();
    else
        Cancel();
}

int Query::RecordCount() const {
    RequireActive();
    return result.RowCount();
}

void Query::First() {
    RequireActive();
    CheckBrowseMode();
    current = result.RowCount() > 0 ? 0 : -1;
    eof = result.RowCount() == 0;
    bof = true;
}

void Query::Next() {
    RequireActive();
    CheckBrowseMode();
    if (current + 1 < result.RowCount()) {
        ++current;
        bof = false;
    } else {
        eof = true;
    }
}

void Query::Prior() {
    RequireActive();
    CheckBrowseMode();
    if (current > 0) {
        --current;
        eof = false;
    } else {
        bof = true;
    }
}

void Query::Last() {
    RequireActive();
    CheckBrowseMode();
    current = result.RowCount() - 1;
    eof = result.RowCount() == 0;
    bof = result.RowCount() == 0;
}

bool Query::Eof() const {
    RequireActive();
    return eof;
}

bool Query::Bof() const {
    RequireActive();
    return bof;
}

int Query::RecNo() const {
    RequireActive();
    return current;
}

void Query::MoveTo(int row) {
    RequireActive();
    CheckBrowseMode();
    if (row < 0 || row >= result.RowCount())
        throw KestrelError(QStringLiteral("记录号超出范围"));
    current = row;
    eof = false;
    bof = row == 0;
}

int Query::FieldCount() const {
    RequireActive();
    return names.size();
}

QStringList Query::FieldNames() const {
    RequireActive();
    return names;
}

int Query::FieldIndex(const QString& name) const {
    for (int i = 0; i < names.size(); ++i) {
        if (names[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

Field Query::FieldByName(const QString& name) {
    RequireActive();
    const int index = FieldIndex(name);
    if (index < 0)
        throw KestrelError(QStringLiteral("找不到字段 %1").arg(name));
    return Field(this, index);
}

Field Query::Fields(int index) {
    RequireActive();
    if (index < 0 || index >= names.size())
        throw KestrelError(QStringLiteral("字段序号 %1 超出范围").arg(index));
    return Field(this, index);
}

QVariant Query::ValueAt(int row, int column) const {
    if (state == State::Inactive || row < 0 || row >= result.RowCount() || column < 0 ||
        column >= names.size())
        return QVariant();
    return result.Value(row, column);
}

bool Query::AppendTextAt(int row, int column, QString* out) const {
    if (state == State::Inactive || row < 0 || row >= result.RowCount() || column < 0 ||
        column >= names.size())
        return false;
    return result.AppendText(row, column, out);
}

double Query::ColumnSum(int column) const {
    if (state == State::Inactive || column < 0 || column >= names.size())
        return 0;
    return result.Sum(column);
}

QString Query::TableOf(const QString& sql) {
    static const QRegularExpression pattern(
        QStringLiteral(R"(^\s*select\s.*?\sfrom\s+\(?\s*([A-Za-z_][A-Za-z0-9_]*)\s*(.*)$)"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch m = pattern.match(sql);
    if (!m.hasMatch())
        return QString();
    // Only a single-table SELECT can be written through.
    static const QRegularExpression join(QStringLiteral(R"(^\s*(,|join\b|left\b|inner\b|right\b))"),
                                         QRegularExpression::CaseInsensitiveOption);
    if (join.match(m.captured(2)).hasMatch())
        return QString();
    return m.captured(1);
}

namespace {

// The whole stored row of a result row, for the change history: from the result when it holds
// every column of the table, otherwise read from the table.
QVariantMap WholeRow(DbConnection& connection, const QString& table, const QStringList& names,
                     const ResultRows& result, int row, qint64 key) {
    const QStringList columns = Schema::Columns(table);
    QVariantMap map;
    for (int i = 0; i < names.size(); ++i) {
        const QString name = Schema::ColumnName(names[i]);
        if (columns.contains(name))
            map.insert(name, result.Value(row, i));
    }
    if (map.size() == columns.size())
        return map;
    const RowImage image = TakeRowImage(connection, table, key);
    map.clear();
    for (int i = 0; i < image.Names.size(); ++i)
        map.insert(Schema::ColumnName(image.Names[i]), image.Values.value(i));
    return map;
}

} // namespace

void Query::WriteTable(QString* table, QString* key) const {
    *table = TableOf(SQL);
    *key = Schema::KeyColumn(*table);
    if (table->isEmpty() || key->isEmpty())
        throw KestrelError(QStringLiteral("此查询不能写入数据：") + SQL);
}

void Query::Insert() {
    RequireActive();
    CheckBrowseMode();
    QString table, key;
    WriteTable(&table, &key);
    pending.assign(names.size(), QVariant());
    changed.assign(names.size(), false);
    state = State::Insert;
}

void Query::Edit() {
    RequireActive();
    if (state == State::Edit || state == State::Insert)
        return;
    RequireRow();
    QString table, key;
    WriteTable(&table, &key);
    if (FieldIndex(key) < 0)
        throw KestrelError(QStringLiteral("查询结果中没有关键字段 %1，不能修改").arg(key));
    pending = result.Row(current);
    changed.assign(names.size(), false);
    editRow = current;
    state = State::Edit;
}

void Query::Cancel() {
    if (state == State::Insert || state == State::Edit)
        state = State::Browse;
    pending.clear();
    changed.clear();
    editRow = -1;
}

void Query::Post() {
    RequireActive();
    if (state != State::Insert && state != State::Edit)
        return;
    QString table, key;
    WriteTable(&table, &key);
    const int keyColumn = FieldIndex(key);
    QSqlDatabase db = DatabaseOf(connection);
    // A kept table's change and its history row are stored together: in the caller's
    // transaction, or in one of their own.
    const bool kept = History::Kept(table);
    std::optional<Transaction> own;
    if (kept && !History::InTransaction(*connection))
        own.emplace(*connection);
    QSqlQuery query(db);
    QStringList columns;
    QVariantList values;
    for (int i = 0; i < names.size(); ++i) {
        if (changed[i]) {
            columns << names[i];
            values << pending[i];
        }
    }
    if (state == State::Insert) {
        QString sql;
        if (columns.isEmpty()) {
            sql = QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(table);
        } else {
            QStringList marks;
            for (int i = 0; i < columns.size(); ++i)
                marks << QStringLiteral("?");
            sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                      .arg(table, columns.join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")));
        }
        // A server gives the new key back with the insert itself.
        const bool server = connection->CurrentEngine() == Engine::PostgreSql;
        if (server)
            sql += QStringLiteral(" RETURNING ") + key;
        query.prepare(sql);
        for (const QVariant& v : values)
            query.addBindValue(v);
        if (!query.exec())
            Fail(connection, query, QStringLiteral("保存数据失败："));
        const QVariant newKey = server ? (query.next() ? query.value(0) : QVariant()) : query.lastInsertId();
        // Read the stored row back so that the key and the defaults show in the result.
        QSqlQuery reread(db);
        reread.prepare(QStringLiteral("SELECT * FROM %1 WHERE %2 = ?").arg(table, key));
        reread.addBindValue(newKey);
        std::vector<QVariant> row(names.size());
        if (reread.exec() && reread.next()) {
            const QSqlRecord record = reread.record();
            for (int i = 0; i < names.size(); ++i) {
                const int at = record.indexOf(names[i]);
                row[i] = at >= 0 ? reread.value(at) : pending[i];
            }
            if (kept) {
                QVariantMap after;
                for (int i = 0; i < record.count(); ++i)
                    after.insert(Schema::ColumnName(record.fieldName(i)), reread.value(i));
                History::Write(*connection, table, newKey.toLongLong(), History::Kind::Added, QVariantMap(),
                               after);
            }
        } else {
            if (kept)
                throw KestrelError(QStringLiteral("保存数据失败：无法读回新记录"));
            row = pending;
            if (keyColumn >= 0)
                row[keyColumn] = newKey;
        }
        result.AppendRow(row);
        current = result.RowCount() - 1;
        eof = false;
        bof = current == 0;
    } else {
        if (!columns.isEmpty()) {
            QStringList sets;
            for (const QString& c : columns)
                sets << c + QStringLiteral(" = ?");
            // The row as it was, read before it is changed.
            const qint64 keyValue = keyColumn >= 0 ? result.Value(editRow, keyColumn).toLongLong() : 0;
            const QVariantMap before =
                kept ? WholeRow(*connection, table, names, result, editRow, keyValue) : QVariantMap();
            const StaleGuard guard(connection, table, names);
            query.prepare(QStringLiteral("UPDATE %1 SET %2 WHERE %3 = ?%4")
                              .arg(table, sets.join(QStringLiteral(", ")), key, guard.Condition()));
            for (const QVariant& v : values)
                query.addBindValue(v);
            query.addBindValue(result.Value(editRow, keyColumn));
            guard.Bind(query, result, editRow);
            if (!query.exec())
                Fail(connection, query, QStringLiteral("保存数据失败："));
            guard.Check(query);
            if (kept) {
                // The row as stored now (the engine's own form of every value written).
                QVariantMap after;
                const RowImage stored = TakeRowImage(*connection, table, keyValue);
                for (int i = 0; i < stored.Names.size(); ++i)
                    after.insert(Schema::ColumnName(stored.Names[i]), stored.Values.value(i));
                const QString name = History::NameColumn(table);
                const bool renamed = !name.isEmpty() && !SameValue(before.value(name), after.value(name));
                if (!History::ChangedColumns(before, after).isEmpty())
                    History::Write(*connection, table, keyValue,
                                   renamed ? History::Kind::Renamed : History::Kind::Changed, before, after);
            }
            for (int i = 0; i < names.size(); ++i)
                result.SetValue(editRow, i, pending[i]);
        }
    }
    if (own)
        own->Commit();
    state = State::Browse;
    pending.clear();
    changed.clear();
    editRow = -1;
}

void Query::Delete() {
    RequireActive();
    // Deleting a row not yet stored just drops it; a pending change is dropped with its row.
    if (state == State::Insert) {
        Cancel();
        return;
    }
    if (state == State::Edit)
        Cancel();
    RequireRow();
    QString table, key;
    WriteTable(&table, &key);
    const int keyColumn = FieldIndex(key);
    if (keyColumn < 0)
        throw KestrelError(QStringLiteral("查询结果中没有关键字段 %1，不能删除").arg(key));
    const bool kept = History::Kept(table);
    std::optional<Transaction> own;
    if (kept && !History::InTransaction(*connection))
        own.emplace(*connection);
    const qint64 keyValue = result.Value(current, keyColumn).toLongLong();
    const QVariantMap before =
        kept ? WholeRow(*connection, table, names, result, current, keyValue) : QVariantMap();
    QSqlQuery query(DatabaseOf(connection));
    const StaleGuard guard(connection, table, names);
    query.prepare(QStringLiteral("DELETE FROM %1 WHERE %2 = ?%3").arg(table, key, guard.Condition()));
    query.addBindValue(result.Value(current, keyColumn));
    guard.Bind(query, result, current);
    if (!query.exec())
        Fail(connection, query, QStringLiteral("删除数据失败："));
    guard.Check(query);
    if (kept) {
        History::Write(*connection, table, keyValue, History::Kind::Deleted, before, QVariantMap());
        if (own)
            own->Commit();
    }
    result.EraseRow(current);
    const int rows = result.RowCount();
    if (rows == 0) {
        current = -1;
        eof = bof = true;
    } else if (current >= rows) {
        current = rows - 1;
        eof = true;
    }
}

int Query::ExecSql(const QString& sql) {
    SQL = sql;
    return ExecSql();
}

int Query::ExecSql() {
    Close();
    QSqlQuery query(DatabaseOf(connection));
    if (!query.exec(connection->EngineSql(SQL)))
        Fail(connection, query, QStringLiteral("SQL命令执行失败："));
    return query.numRowsAffected();
}
