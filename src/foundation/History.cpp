#include "History.h"

#include "Connection.h"
#include "JetSql.h"
#include "KestrelError.h"
#include "Query.h"
#include "RowImage.h"
#include "RowLock.h"
#include "Schema.h"

#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QSysInfo>
#include <algorithm>
#include <cmath>
#include <libpq-fe.h>
#include <sqlite3.h>

namespace History {

namespace {

std::function<QString()>& UserSource() {
    static std::function<QString()> source;
    return source;
}

const QString& HostName() {
    static const QString host = QSysInfo::machineHostName();
    return host;
}

// The table's name as the schema declares it.
QString DeclaredTable(const QString& table) {
    for (const QString& name : Schema::TableNames()) {
        if (name.compare(table, Qt::CaseInsensitive) == 0)
            return name;
    }
    return table;
}

const QString PasswordColumn = QStringLiteral("PowerKey");

const char* const EntryColumns =
    "HistoryIndex, HistoryTime, HistoryUser, HistoryHost, HistoryTable, HistoryKey, "
    "HistoryKind, HistoryBefore, HistoryAfter, HistoryAction, HistoryUndoes";

Entry EntryOf(const QSqlQuery& q) {
    Entry e;
    e.Index = q.value(0).toLongLong();
    e.Time = q.value(1).toString();
    e.User = q.value(2).toString();
    e.Host = q.value(3).toString();
    e.Table = q.value(4).toString();
    e.Key = q.value(5).toLongLong();
    e.Kind = q.value(6).toString();
    e.Before = ReadRowText(q.value(7).toString());
    e.After = ReadRowText(q.value(8).toString());
    e.Action = q.value(9).toLongLong();
    e.Undoes = q.value(10).toLongLong();
    return e;
}

std::vector<Entry> ReadEntries(DbConnection& connection, const QString& jetSql,
                               const QString& tail = QString()) {
    QSqlQuery q(connection.Database());
    q.setForwardOnly(true);
    if (!q.exec(connection.EngineSql(jetSql) + tail))
        throw KestrelError(QStringLiteral("读取修改记录失败：") + q.lastError().text());
    std::vector<Entry> entries;
    while (q.next())
        entries.push_back(EntryOf(q));
    return entries;
}

QVariantMap MapOfRow(Query& rows, int row) {
    QVariantMap map;
    const QStringList names = rows.FieldNames();
    for (int c = 0; c < names.size(); ++c)
        map.insert(Schema::ColumnName(names[c]).isEmpty() ? names[c] : Schema::ColumnName(names[c]),
                   rows.ValueAt(row, c));
    return map;
}

} // namespace

QString KindText(Kind kind) {
    switch (kind) {
    case Kind::Added:
        return QStringLiteral("新增");
    case Kind::Changed:
        return QStringLiteral("修改");
    case Kind::Deleted:
        return QStringLiteral("删除");
    case Kind::Renamed:
        return QStringLiteral("改名");
    }
    return QString();
}

bool KindOf(const QString& text, Kind* kind) {
    for (Kind k : {Kind::Added, Kind::Changed, Kind::Deleted, Kind::Renamed}) {
        if (text == KindText(k)) {
            *kind = k;
            return true;
        }
    }
    return false;
}

namespace {
bool writing = true;
} // namespace

void SetWriting(bool on) {
    writing = on;
}

bool Kept(const QString& table) {
    if (!writing)
        return false;
    static const QStringList kept = {QStringLiteral("Customer"),   QStringLiteral("Bill"),
                                     QStringLiteral("MoneyTable"), QStringLiteral("Account"),
                                     QStringLiteral("Power"),      QStringLiteral("Parameter")};
    return kept.contains(table, Qt::CaseInsensitive);
}

QString NameColumn(const QString& table) {
    const QString t = DeclaredTable(table);
    if (t == QLatin1String("Customer"))
        return QStringLiteral("CustomerName");
    if (t == QLatin1String("Account"))
        return QStringLiteral("AccountName");
    if (t == QLatin1String("Power"))
        return QStringLiteral("PowerName");
    if (t == QLatin1String("Parameter"))
        return QStringLiteral("ParameterValue");
    return QString();
}

void SetUserSource(std::function<QString()> source) {
    UserSource() = std::move(source);
}

QString CurrentUserName() {
    return UserSource() ? UserSource()() : QString();
}

QString RowText(const QVariantMap& row) {
    if (row.isEmpty())
        return QString();
    // A null stays null (not an empty text): an undo compares and restores it as it was.
    QJsonObject object;
    for (auto it = row.begin(); it != row.end(); ++it)
        object.insert(it.key(), it->isNull() ? QJsonValue(QJsonValue::Null) : QJsonValue::fromVariant(*it));
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

QVariantMap ReadRowText(const QString& text) {
    if (text.isEmpty())
        return QVariantMap();
    QVariantMap map = QJsonDocument::fromJson(text.toUtf8()).object().toVariantMap();
    // Numbers come back as doubles; whole ones are given back as integers, as keys are stored.
    for (auto it = map.begin(); it != map.end(); ++it) {
        if (it->typeId() == QMetaType::Double) {
            const double d = it->toDouble();
            if (std::trunc(d) == d && std::abs(d) < 9.0e15)
                *it = static_cast<qint64>(d);
        }
    }
    return map;
}

void MaskPasswords(const QString& table, QVariantMap* before, QVariantMap* after) {
    if (DeclaredTable(table) != QLatin1String("Power"))
        return;
    const bool inBefore = before->contains(PasswordColumn);
    const bool inAfter = after->contains(PasswordColumn);
    const QString old = before->value(PasswordColumn).toString();
    const QString now = after->value(PasswordColumn).toString();
    if (inBefore)
        before->insert(PasswordColumn, old.isEmpty() ? QString() : PasswordSet);
    if (inAfter) {
        const bool changed = inBefore && old != now;
        after->insert(PasswordColumn, now.isEmpty() ? QString() : changed ? PasswordChanged : PasswordSet);
    }
}

bool InTransaction(DbConnection& connection) {
    if (connection.CurrentEngine() == Engine::PostgreSql)
        return PQtransactionStatus(connection.ServerHandle()) != PQTRANS_IDLE;
    return sqlite3_get_autocommit(connection.Handle()) == 0;
}

void Write(DbConnection& connection, const QString& table, qint64 key, Kind kind, QVariantMap before,
           QVariantMap after) {
    const QString declared = DeclaredTable(table);
    MaskPasswords(declared, &before, &after);
    // Prepared once per connection: a store writes one of these with every change.
    QSqlQuery& q = connection.KeptStatement(QStringLiteral(
        "INSERT INTO History (HistoryTime, HistoryUser, HistoryHost, HistoryTable, HistoryKey, "
        "HistoryKind, HistoryBefore, HistoryAfter, HistoryAction, HistoryUndoes) "
        "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    const qint64 action = connection.HistoryAction != 0 ? connection.HistoryAction : -key;
    const QString user = CurrentUserName();
    q.bindValue(0, QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
    q.bindValue(1, user.isNull() ? QStringLiteral("") : user);
    q.bindValue(2, HostName());
    q.bindValue(3, declared);
    q.bindValue(4, key);
    q.bindValue(5, KindText(kind));
    q.bindValue(6, RowText(before));
    q.bindValue(7, RowText(after));
    q.bindValue(8, action);
    q.bindValue(9, connection.HistoryUndoes);
    if (!q.exec())
        throw KestrelError(QStringLiteral("写入修改记录失败：") + q.lastError().text());
}

int MoveRows(DbConnection& connection, const QString& table, const QString& column, const QVariant& from,
             const QVariant& to, Kind kind) {
    auto literal = [](const QVariant& v) {
        return v.typeId() == QMetaType::QString ? SqlText(v.toString()) : SqlNumber(v.toLongLong());
    };
    // No other workstation adds a row holding the old value between the reading and the change.
    LockTable(connection, table);
    const QString key = Schema::KeyColumn(table);
    const QString where = QStringLiteral(" Where %1 = %2").arg(column, literal(from));
    Query rows(&connection);
    rows.Open(QStringLiteral("Select * From %1").arg(table) + where + QStringLiteral(" Order By ") + key);
    const int count = rows.RecordCount();
    const int keyColumn = rows.FieldIndex(key);
    for (int r = 0; r < count; ++r) {
        const QVariantMap before = MapOfRow(rows, r);
        QVariantMap after = before;
        after.insert(Schema::ColumnName(column), to);
        if (Kept(table))
            Write(connection, table, rows.ValueAt(r, keyColumn).toLongLong(), kind, before, after);
    }
    if (count > 0)
        rows.ExecSql(QStringLiteral("Update %1 Set %2 = %3").arg(table, column, literal(to)) + where);
    return count;
}

int DeleteRows(DbConnection& connection, const QString& table, const QString& where) {
    LockTable(connection, table);
    const QString key = Schema::KeyColumn(table);
    Query rows(&connection);
    rows.Open(QStringLiteral("Select * From %1 Where %2 Order By %3").arg(table, where, key));
    const int count = rows.RecordCount();
    const int keyColumn = rows.FieldIndex(key);
    for (int r = 0; r < count && Kept(table); ++r)
        Write(connection, table, rows.ValueAt(r, keyColumn).toLongLong(), Kind::Deleted, MapOfRow(rows, r),
              QVariantMap());
    if (count > 0)
        rows.ExecSql(QStringLiteral("Delete From %1 Where %2").arg(table, where));
    return count;
}

QString PageSql(const Filter& filter, qint64 before, const QString& extraColumns) {
    QStringList where;
    if (before > 0)
        where << QStringLiteral("HistoryIndex < ") + SqlNumber(before);
    if (filter.From.isValid())
        where << QStringLiteral("HistoryTime >= ") +
                     SqlText(filter.From.toString(QStringLiteral("yyyy-MM-dd")));
    if (filter.To.isValid())
        where << QStringLiteral("HistoryTime < ") +
                     SqlText(filter.To.addDays(1).toString(QStringLiteral("yyyy-MM-dd")));
    if (!filter.User.isEmpty())
        where << QStringLiteral("HistoryUser = ") + SqlText(filter.User);
    if (!filter.Table.isEmpty())
        where << QStringLiteral("HistoryTable = ") + SqlText(DeclaredTable(filter.Table));
    if (!filter.Table.isEmpty() && filter.Key > 0)
        where << QStringLiteral("HistoryKey = ") + SqlNumber(filter.Key);
    if (!filter.Kind.isEmpty())
        where << QStringLiteral("HistoryKind = ") + SqlText(filter.Kind);
    if (!filter.Text.isEmpty())
        where << QStringLiteral("(InStr(HistoryBefore, %1) > 0 Or InStr(HistoryAfter, %1) > 0)")
                     .arg(SqlText(filter.Text));
    QString sql = QStringLiteral("Select %1%2 From History")
                      .arg(extraColumns.isEmpty() ? QString() : extraColumns + QStringLiteral(", "),
                           QLatin1String(EntryColumns));
    if (!where.isEmpty())
        sql += QStringLiteral(" Where (") + where.join(QStringLiteral(") And (")) + QLatin1Char(')');
    return sql + QStringLiteral(" Order By HistoryIndex Desc");
}

std::vector<Entry> ReadPage(DbConnection& connection, const Filter& filter, qint64 before, int rows) {
    return ReadEntries(connection, PageSql(filter, before), QStringLiteral(" LIMIT %1").arg(rows));
}

Entry ReadEntry(DbConnection& connection, qint64 index) {
    const std::vector<Entry> found = ReadEntries(
        connection,
        QStringLiteral("Select %1 From History Where HistoryIndex = ").arg(QLatin1String(EntryColumns)) +
            SqlNumber(index));
    return found.empty() ? Entry() : found.front();
}

QStringList ColumnsInOrder(const QString& table, const QVariantMap& before, const QVariantMap& after) {
    QStringList columns;
    for (const QString& c : Schema::Columns(table)) {
        if (before.contains(c) || after.contains(c))
            columns << c;
    }
    for (const QVariantMap* image : {&before, &after}) {
        for (auto it = image->begin(); it != image->end(); ++it) {
            if (!columns.contains(it.key()))
                columns << it.key();
        }
    }
    return columns;
}

QStringList ChangedColumns(const QVariantMap& before, const QVariantMap& after) {
    QStringList changed;
    if (before.isEmpty() || after.isEmpty())
        return changed;
    for (const QString& c : ColumnsInOrder(QString(), before, after)) {
        if (!before.contains(c) || !after.contains(c) || !SameValue(before.value(c), after.value(c)))
            changed << c;
    }
    return changed;
}

} // namespace History
