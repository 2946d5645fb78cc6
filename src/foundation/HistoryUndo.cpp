// Undo of an action of the change history: the records put back as they were before it.

#include "HistoryUndo.h"

#include "Connection.h"
#include "JetSql.h"
#include "KestrelError.h"
#include "Query.h"
#include "RowImage.h"
#include "RowLock.h"
#include "Schema.h"

#include <QHash>
#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>

namespace History {

namespace {

// The undo was refused: nothing of it is stored.
struct Refusal {
    QString Text;
};

QString TableTitle(const QString& table) {
    static const QHash<QString, QString> titles = {
        {QStringLiteral("Customer"), QStringLiteral("客户")},
        {QStringLiteral("Bill"), QStringLiteral("单据")},
        {QStringLiteral("MoneyTable"), QStringLiteral("款项")},
        {QStringLiteral("Account"), QStringLiteral("帐户")},
        {QStringLiteral("Power"), QStringLiteral("职员")},
        {QStringLiteral("Parameter"), QStringLiteral("选项")},
    };
    return titles.value(table, table);
}

std::vector<Entry> ActionRows(DbConnection& connection, const Entry& entry) {
    QSqlQuery q(connection.Database());
    q.setForwardOnly(true);
    q.prepare(
        QStringLiteral("SELECT HistoryIndex FROM History WHERE HistoryAction = ? ORDER BY HistoryIndex"));
    q.addBindValue(entry.Action);
    if (!q.exec())
        throw KestrelError(QStringLiteral("读取修改记录失败：") + q.lastError().text());
    std::vector<qint64> indexes;
    while (q.next())
        indexes.push_back(q.value(0).toLongLong());
    std::vector<Entry> rows;
    for (qint64 index : indexes)
        rows.push_back(ReadEntry(connection, index));
    if (rows.empty())
        rows.push_back(entry);
    return rows;
}

// The first change of the record made after the action (by another action), if any.
Entry LaterChange(DbConnection& connection, const Entry& row, qint64 last) {
    QSqlQuery q(connection.Database());
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT HistoryIndex FROM History WHERE HistoryTable = ? AND HistoryKey = ? "
                             "AND HistoryIndex > ? AND HistoryAction <> ? ORDER BY HistoryIndex LIMIT 1"));
    q.addBindValue(row.Table);
    q.addBindValue(row.Key);
    q.addBindValue(last);
    q.addBindValue(row.Action);
    if (!q.exec())
        throw KestrelError(QStringLiteral("读取修改记录失败：") + q.lastError().text());
    return q.next() ? ReadEntry(connection, q.value(0).toLongLong()) : Entry();
}

bool IsPassword(const QString& table, const QString& column) {
    return table == QLatin1String("Power") && column == QLatin1String("PowerKey");
}

// Whether the stored row holds the image (the password aside).
bool Holds(const RowImage& now, const QString& table, const QVariantMap& image) {
    if (!now.Exists())
        return false;
    for (auto it = image.begin(); it != image.end(); ++it) {
        if (IsPassword(table, it.key()))
            continue;
        if (!SameValue(now.Value(it.key()), it.value()))
            return false;
    }
    return true;
}

qint64 Count(DbConnection& connection, const QString& jetSql) {
    Query q(&connection);
    q.Open(jetSql);
    return q.RecordCount() > 0 ? q.Fields(0).AsInteger() : 0;
}

QString RecordName(const Entry& row) {
    const QVariantMap& image = row.Before.isEmpty() ? row.After : row.Before;
    const QString name = NameColumn(row.Table);
    QString text = !name.isEmpty() ? image.value(name).toString()
                   : row.Table == QLatin1String("Bill")
                       ? image.value(QStringLiteral("BillSerial")).toString()
                       : image.value(QStringLiteral("MoneySerial")).toString();
    return TableTitle(row.Table) +
           (text.isEmpty() ? QString::number(row.Key) : QStringLiteral("“%1”").arg(text));
}

// The rules a record put back (image) must keep: a name or document serial used once, the document
// and the account of a voucher still there.
void CheckRules(DbConnection& connection, const Entry& row, const QVariantMap& image) {
    const QString key = Schema::KeyColumn(row.Table);
    const QString other = QStringLiteral(" And %1 <> %2").arg(key, SqlNumber(row.Key));
    const QString name = NameColumn(row.Table);
    if (!name.isEmpty() && !image.value(name).toString().isEmpty()) {
        QString sql = QStringLiteral("Select Count(*) From %1 Where %2 = %3")
                          .arg(row.Table, name, SqlText(image.value(name).toString())) +
                      other;
        if (row.Table == QLatin1String("Parameter"))
            sql += QStringLiteral(" And ParameterType = ") +
                   SqlNumber(image.value(QStringLiteral("ParameterType")).toLongLong());
        if (Count(connection, sql) > 0)
            throw Refusal{QStringLiteral("名称“%1”已被其他%2使用，不能撤销。")
                              .arg(image.value(name).toString(), TableTitle(row.Table))};
    }
    if (row.Table == QLatin1String("Bill")) {
        const QString serial = image.value(QStringLiteral("BillSerial")).toString();
        if (!serial.isEmpty() &&
            Count(connection, QStringLiteral("Select Count(*) From Bill Where BillSerial = ") +
                                  SqlText(serial) + other) > 0)
            throw Refusal{QStringLiteral("单据编号 %1 已被其他单据使用，不能撤销。").arg(serial)};
    }
    if (row.Table == QLatin1String("MoneyTable")) {
        const qint64 bill = image.value(QStringLiteral("MoneyBill")).toLongLong();
        if (bill > 1 && Count(connection, QStringLiteral("Select Count(*) From Bill Where BillIndex = ") +
                                              SqlNumber(bill)) == 0)
            throw Refusal{QStringLiteral("该款项所属的单据已不存在，请先恢复单据。")};
        const qint64 account = image.value(QStringLiteral("MoneyAccount")).toLongLong();
        if (account > 1 &&
            Count(connection, QStringLiteral("Select Count(*) From Account Where AccountIndex = ") +
                                  SqlNumber(account)) == 0)
            throw Refusal{QStringLiteral("该款项的帐户已不存在，请先恢复帐户。")};
    }
}

// Whether records still refer to the record that would be removed (documents of a customer, the
// vouchers of a document or of an account).
void CheckRemovable(DbConnection& connection, const Entry& row, const std::vector<Entry>& action) {
    auto removedWith = [&action](const QString& table) {
        QStringList keys;
        for (const Entry& e : action) {
            if (e.Table == table && e.Kind == KindText(Kind::Added))
                keys << QString::number(e.Key);
        }
        return keys.isEmpty() ? QString()
                              : QStringLiteral(" And %1 Not In (%2)")
                                    .arg(Schema::KeyColumn(table), keys.join(QLatin1Char(',')));
    };
    if (row.Table == QLatin1String("Customer")) {
        const QString name = SqlText(row.After.value(QStringLiteral("CustomerName")).toString());
        if (Count(connection, QStringLiteral("Select Count(*) From Bill Where BillUser = ") + name +
                                  removedWith(QStringLiteral("Bill"))) > 0 ||
            Count(connection, QStringLiteral("Select Count(*) From MoneyTable Where MoneyUser = ") + name +
                                  removedWith(QStringLiteral("MoneyTable"))) > 0)
            throw Refusal{QStringLiteral("%1已有单据或款项，不能撤销它的新增。").arg(RecordName(row))};
    }
    if (row.Table == QLatin1String("Bill") &&
        Count(connection, QStringLiteral("Select Count(*) From MoneyTable Where MoneyBill = ") +
                              SqlNumber(row.Key) + removedWith(QStringLiteral("MoneyTable"))) > 0)
        throw Refusal{QStringLiteral("%1已有款项，请先撤销它的款项。").arg(RecordName(row))};
    if (row.Table == QLatin1String("Account") &&
        Count(connection, QStringLiteral("Select Count(*) From MoneyTable Where MoneyAccount = ") +
                              SqlNumber(row.Key) + removedWith(QStringLiteral("MoneyTable"))) > 0)
        throw Refusal{QStringLiteral("%1已有款项，不能撤销它的新增。").arg(RecordName(row))};
}

QString SelectRow(const QString& table, qint64 key) {
    return QStringLiteral("Select * From %1 Where %2 = %3")
        .arg(table, Schema::KeyColumn(table), SqlNumber(key));
}

void RemoveRow(DbConnection& connection, const Entry& row) {
    Query q(&connection);
    q.Open(SelectRow(row.Table, row.Key));
    if (q.RecordCount() > 0)
        q.Delete();
}

void PutBack(DbConnection& connection, const Entry& row) {
    Query q(&connection);
    q.Open(SelectRow(row.Table, row.Key));
    q.Edit();
    for (auto it = row.Before.begin(); it != row.Before.end(); ++it) {
        if (IsPassword(row.Table, it.key()) || it.key() == Schema::KeyColumn(row.Table))
            continue;
        if (q.FieldIndex(it.key()) >= 0 && !SameValue(q.FieldByName(it.key()).Value(), it.value()))
            q.FieldByName(it.key()).SetValue(it.value());
    }
    q.Post();
}

void Restore(DbConnection& connection, const Entry& row) {
    Query q(&connection);
    q.Open(SelectRow(row.Table, 0));
    q.Insert();
    for (auto it = row.Before.begin(); it != row.Before.end(); ++it) {
        if (q.FieldIndex(it.key()) < 0)
            continue;
        q.FieldByName(it.key()).SetValue(IsPassword(row.Table, it.key()) ? QVariant(QString()) : it.value());
    }
    q.Post();
}

// Reversals in an order that keeps every rule on the way: added records go first (vouchers
// before their documents), then changes, then deleted records come back (accounts, customers
// and documents before their vouchers).
int Rank(const Entry& row) {
    static const QStringList parentsFirst = {QStringLiteral("Account"), QStringLiteral("Customer"),
                                             QStringLiteral("Power"),   QStringLiteral("Parameter"),
                                             QStringLiteral("Bill"),    QStringLiteral("MoneyTable")};
    const int table = static_cast<int>(parentsFirst.indexOf(row.Table));
    if (row.Kind == KindText(Kind::Added))
        return 0 + (10 - table);
    if (row.Kind == KindText(Kind::Deleted))
        return 40 + table;
    return 20;
}

} // namespace

QString Undo(DbConnection& connection, qint64 index) {
    const Entry entry = ReadEntry(connection, index);
    if (entry.Index == 0)
        return QStringLiteral("找不到这条修改记录。");
    try {
        Transaction tx(connection);
        std::vector<Entry> action = ActionRows(connection, entry);
        for (const Entry& row : action)
            LockRow(connection, row.Table, row.Key);
        const qint64 last = action.back().Index;
        bool anything = false;
        for (const Entry& row : action) {
            const Entry later = LaterChange(connection, row, last);
            if (later.Index != 0)
                return QStringLiteral("%1在 %2 又被 %3 %4过，请先撤销后来的这次修改。")
                    .arg(RecordName(row), later.Time,
                         later.User.isEmpty() ? QStringLiteral("其他用户") : later.User, later.Kind);
            const QStringList changed = ChangedColumns(row.Before, row.After);
            if (row.Kind == KindText(Kind::Added) || row.Kind == KindText(Kind::Deleted) ||
                !(changed.size() == 1 && IsPassword(row.Table, changed.front())))
                anything = true;
        }
        if (!anything)
            return QStringLiteral("密码的修改不能撤销，请重新设置密码。");
        std::stable_sort(action.begin(), action.end(), [](const Entry& a, const Entry& b) {
            return Rank(a) != Rank(b) ? Rank(a) < Rank(b) : a.Index > b.Index;
        });
        for (const Entry& row : action) {
            connection.HistoryUndoes = row.Index;
            const RowImage now = TakeRowImage(connection, row.Table, row.Key);
            if (row.Kind == KindText(Kind::Deleted)) {
                if (now.Exists())
                    return QStringLiteral("%1的编号 %2 已被其他记录使用，不能撤销。")
                        .arg(TableTitle(row.Table))
                        .arg(row.Key);
                CheckRules(connection, row, row.Before);
                Restore(connection, row);
                continue;
            }
            if (!Holds(now, row.Table, row.After))
                return QStringLiteral("%1已被改动或删除，与这条修改记录不符，不能撤销。")
                    .arg(RecordName(row));
            if (row.Kind == KindText(Kind::Added)) {
                CheckRemovable(connection, row, action);
                RemoveRow(connection, row);
            } else {
                CheckRules(connection, row, row.Before);
                PutBack(connection, row);
            }
        }
        tx.Commit();
    } catch (const Refusal& refusal) {
        return refusal.Text;
    }
    return QString();
}

} // namespace History
