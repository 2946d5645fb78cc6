#include "RowLock.h"

#include "Connection.h"
#include "KestrelError.h"
#include "Schema.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace {

// The key column of one of the program's tables; the table name is never a value from outside.
QString KeyOf(const QString& table) {
    const QString key = Schema::KeyColumn(table);
    if (key.isEmpty())
        throw KestrelError(QStringLiteral("无法锁定未知的表：") + table);
    return key;
}

// A statement with the key bound, or one without values (a server prepares no LOCK statement).
void Run(DbConnection& connection, const QString& sql, const QVariant& key = QVariant()) {
    QSqlQuery query(connection.Database());
    bool done = false;
    if (key.isValid()) {
        done = query.prepare(sql);
        query.addBindValue(key);
        done = done && query.exec();
    } else {
        done = query.exec(sql);
    }
    if (!done)
        throw KestrelError(QStringLiteral("无法锁定数据：") + query.lastError().text());
}

} // namespace

void LockRow(DbConnection& connection, const QString& table, qint64 key) {
    const QString column = KeyOf(table);
    if (connection.CurrentEngine() == Engine::PostgreSql)
        Run(connection, QStringLiteral("SELECT %1 FROM %2 WHERE %1 = ? FOR UPDATE").arg(column, table), key);
    else
        Run(connection, QStringLiteral("UPDATE %2 SET %1 = %1 WHERE %1 = ?").arg(column, table), key);
}

void LockTable(DbConnection& connection, const QString& table) {
    const QString column = KeyOf(table);
    if (connection.CurrentEngine() == Engine::PostgreSql)
        Run(connection, QStringLiteral("LOCK TABLE %1 IN SHARE ROW EXCLUSIVE MODE").arg(table));
    else
        Run(connection, QStringLiteral("UPDATE %2 SET %1 = %1 WHERE 0 = 1").arg(column, table));
}
