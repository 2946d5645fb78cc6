#include "Schema.h"

#include "Engine.h"

#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <algorithm>
#include <iterator>

namespace Schema {

namespace {

struct Table {
    const char* name;
    const char* key;
    const char* columns;
};

// Text columns compare without regard to letter case, as the program's look-ups by name expect.
// Dates are ISO texts (yyyy-MM-dd).
const Table tables[] = {
    {"Customer", "CustomerIndex",
     "CustomerIndex INTEGER PRIMARY KEY AUTOINCREMENT, CustomerName TEXT COLLATE NOCASE, "
     "CustomerOwe REAL DEFAULT 0, CustomerPhone TEXT COLLATE NOCASE, CustomerFax TEXT COLLATE NOCASE, "
     "CustomerContact TEXT COLLATE NOCASE, CustomerHandPhone TEXT COLLATE NOCASE, "
     "CustomerEMail TEXT COLLATE NOCASE, CustomerWebsite TEXT COLLATE NOCASE, "
     "CustomerAddress TEXT COLLATE NOCASE, CustomerRemark TEXT COLLATE NOCASE, CustomerMan TEXT COLLATE "
     "NOCASE"},
    {"Bill", "BillIndex",
     "BillIndex INTEGER PRIMARY KEY AUTOINCREMENT, BillKind TEXT COLLATE NOCASE, BillSerial TEXT COLLATE "
     "NOCASE, "
     "BillCreateTime TEXT, BillRecordTime TEXT, BillUser TEXT COLLATE NOCASE, BillSum REAL DEFAULT 0, "
     "BillReason TEXT COLLATE NOCASE, BillState TEXT COLLATE NOCASE, BillRemark TEXT COLLATE NOCASE, "
     "BillMan TEXT COLLATE NOCASE"},
    {"MoneyTable", "MoneyIndex",
     "MoneyIndex INTEGER PRIMARY KEY AUTOINCREMENT, MoneyAccount INTEGER DEFAULT 0, MoneyBill INTEGER "
     "DEFAULT 0, "
     "MoneySerial TEXT COLLATE NOCASE, MoneyCreateTime TEXT, MoneyRecordTime TEXT, "
     "MoneyUser TEXT COLLATE NOCASE, MoneyReason TEXT COLLATE NOCASE, MoneyType TEXT COLLATE NOCASE, "
     "MoneyToken TEXT COLLATE NOCASE, MoneyRemark TEXT COLLATE NOCASE, MoneyMan TEXT COLLATE NOCASE, "
     "MoneyIn REAL DEFAULT 0, MoneyOut REAL DEFAULT 0, MoneySum REAL DEFAULT 0"},
    {"Account", "AccountIndex",
     "AccountIndex INTEGER PRIMARY KEY AUTOINCREMENT, AccountName TEXT COLLATE NOCASE, "
     "AccountBase REAL DEFAULT 0, AccountMan TEXT COLLATE NOCASE"},
    {"Power", "PowerIndex",
     "PowerIndex INTEGER PRIMARY KEY, PowerName TEXT COLLATE NOCASE, PowerKey TEXT, "
     "PowerPicture TEXT COLLATE NOCASE, PowerRange TEXT COLLATE NOCASE, PowerRole TEXT COLLATE NOCASE"},
    {"Parameter", "ParameterIndex",
     "ParameterIndex INTEGER PRIMARY KEY AUTOINCREMENT, ParameterType INTEGER, ParameterValue TEXT COLLATE "
     "NOCASE"},
    {"Setting", "SettingIndex", "SettingIndex INTEGER PRIMARY KEY, SettingValue TEXT"},
    {"PrintReport", "ReportIndex",
     "ReportIndex INTEGER PRIMARY KEY AUTOINCREMENT, ReportEnable BOOLEAN DEFAULT 0, ReportGrid1 TEXT, "
     "ReportGrid2 TEXT, ReportGrid3 TEXT, ReportGrid4 TEXT, ReportGrid5 TEXT, ReportGrid6 TEXT, "
     "ReportGrid7 TEXT, ReportGrid8 TEXT, ReportGrid9 TEXT"},
    {"PrintList", "ListIndex", "ListIndex INTEGER PRIMARY KEY, ListValue TEXT"},
    {"PrintBigFont", "BigFontIndex", "BigFontIndex INTEGER PRIMARY KEY AUTOINCREMENT, BigFontValue TEXT"},
    // The change history: rows are only ever added. The images are JSON objects of the whole row.
    {"History", "HistoryIndex",
     "HistoryIndex INTEGER PRIMARY KEY AUTOINCREMENT, HistoryTime TEXT, HistoryUser TEXT COLLATE NOCASE, "
     "HistoryHost TEXT COLLATE NOCASE, HistoryTable TEXT COLLATE NOCASE, HistoryKey INTEGER DEFAULT 0, "
     "HistoryKind TEXT COLLATE NOCASE, HistoryBefore TEXT, HistoryAfter TEXT, HistoryAction BIGINT DEFAULT "
     "0, "
     "HistoryUndoes INTEGER DEFAULT 0"},
};

struct Index {
    const char* name;
    const char* table;
    const char* columns;
};

// Every column the program joins, filters, totals or orders by. A document's vouchers are read
// with their amounts from IX_MoneyBill alone, without a visit to each voucher row.
const Index indexes[] = {
    {"IX_CustomerName", "Customer", "CustomerName"},
    {"IX_CustomerMan", "Customer", "CustomerMan"},
    {"IX_BillUser", "Bill", "BillUser, BillCreateTime"},
    {"IX_BillCreateTime", "Bill", "BillCreateTime"},
    {"IX_BillMan", "Bill", "BillMan, BillCreateTime"},
    {"IX_BillSerial", "Bill", "BillSerial"},
    {"IX_MoneyUser", "MoneyTable", "MoneyUser, MoneyCreateTime"},
    {"IX_MoneyBill", "MoneyTable", "MoneyBill, MoneySum"},
    {"IX_MoneyAccount", "MoneyTable", "MoneyAccount, MoneyCreateTime, MoneySum"},
    {"IX_MoneyCreateTime", "MoneyTable", "MoneyCreateTime"},
    {"IX_MoneyMan", "MoneyTable", "MoneyMan, MoneyCreateTime"},
    {"IX_MoneySerial", "MoneyTable", "MoneySerial"},
    {"IX_AccountName", "Account", "AccountName"},
    {"IX_AccountMan", "Account", "AccountMan"},
    {"IX_PowerName", "Power", "PowerName"},
    {"IX_ParameterType", "Parameter", "ParameterType, ParameterValue"},
    // A record's history, newest first, and the later changes an undo looks for. The window's
    // other filters walk the history from its newest row, and an undo reads the whole history for
    // the rows it puts back together: every index more would be written with every change the
    // program stores.
    {"IX_HistoryRecord", "History", "HistoryTable, HistoryKey, HistoryIndex"},
};

// What each schema version changed from the one before, as the names of the indexes above that
// it added or rebuilt, of the tables it added and of the indexes it dropped. An upgrade runs every
// step above the file's version.
struct Step {
    int version;
    std::initializer_list<const char*> indexes;
    std::initializer_list<const char*> tables = {};
    std::initializer_list<const char*> dropped = {};
};
constexpr Step steps[] = {
    {2, {"IX_MoneyBill"}}, // now carries MoneySum
    {3, {"IX_HistoryRecord"}, {"History"}},
    // Version 3 also indexed the history's time, user and action; storing a change wrote all three.
    {4, {}, {}, {"IX_HistoryTime", "IX_HistoryUser", "IX_HistoryAction"}},
};
static_assert(std::data(steps)[std::size(steps) - 1].version == Version, "every version has its step");

const Index* FindIndex(const char* name) {
    for (const Index& index : indexes) {
        if (qstrcmp(index.name, name) == 0)
            return &index;
    }
    return nullptr;
}

const Table* FindTable(const char* name) {
    for (const Table& t : tables) {
        if (qstrcmp(t.name, name) == 0)
            return &t;
    }
    return nullptr;
}

// The tables a database of that version holds: those added by a later step are made by its
// upgrade.
QStringList TablesOfVersion(int version) {
    QStringList names = TableNames();
    for (const Step& step : steps) {
        if (step.version <= version)
            continue;
        for (const char* name : step.tables)
            names.removeAll(QString::fromLatin1(name));
    }
    return names;
}

// On a server the history refuses every change and deletion of its rows, so that even a statement
// of the program written wrongly cannot rewrite it (a restore of the books empties it with
// TRUNCATE, which these row triggers do not see).
const char* const serverHistoryGuard[] = {
    "CREATE OR REPLACE FUNCTION kestrel_history_fixed() RETURNS trigger LANGUAGE plpgsql AS "
    "$$ BEGIN RAISE EXCEPTION 'History rows are never changed or deleted'; END $$",
    "CREATE OR REPLACE TRIGGER History_Fixed BEFORE UPDATE OR DELETE ON History FOR EACH ROW "
    "EXECUTE FUNCTION kestrel_history_fixed()",
};

QString CreateIndexSql(const Index& index) {
    return QStringLiteral("CREATE INDEX %1 ON %2 (%3)")
        .arg(QLatin1String(index.name), QLatin1String(index.table), QLatin1String(index.columns));
}

const char* const initialRows[] = {
    // The reserved rows: key 1 of the four business tables, never listed.
    "INSERT INTO Customer (CustomerIndex, CustomerName, CustomerOwe, CustomerMan) VALUES (1, '', 0, '')",
    "INSERT INTO Bill (BillIndex, BillKind, BillSerial, BillUser, BillSum, BillMan) VALUES (1, '', '', '', "
    "0, '')",
    "INSERT INTO MoneyTable (MoneyIndex, MoneyAccount, MoneyBill, MoneySerial, MoneyUser, MoneyIn, MoneyOut, "
    "MoneySum, MoneyMan) VALUES (1, 0, 0, '', '', 0, 0, 0, '')",
    "INSERT INTO Account (AccountIndex, AccountName, AccountBase, AccountMan) VALUES (1, '', 0, '')",
    // The manager roles and the data-modification password; all start without a password.
    "INSERT INTO Power (PowerIndex, PowerName, PowerKey, PowerPicture, PowerRange, PowerRole) VALUES "
    "(17, '财务主管', '', '', '', '财务主管'), (18, '财务总监', '', '', '', '财务总监'), "
    "(19, '管理员', '', '', '', '管理员'), (20, '总经理', '', '', '', '总经理'), (21, '修改', '', '', '', "
    "'修改')",
    // The last serials used: a new document or voucher proposes the next one.
    "INSERT INTO Setting (SettingIndex, SettingValue) VALUES (1, 'XS100000'), (2, 'CG100000'), "
    "(3, 'SK100000'), (4, 'FK100000')",
    "INSERT INTO PrintList (ListIndex, ListValue) VALUES (1, ''), (2, '')",
    "INSERT INTO PrintBigFont (BigFontValue) VALUES ('')",
    // A few pick-list entries so that documents can be entered at once.
    "INSERT INTO Parameter (ParameterType, ParameterValue) VALUES "
    "(1, '商品销售'), (1, '商品采购'), (1, '日常费用'), (1, '其他收支'), "
    "(2, '货款'), (2, '预收款'), (2, '预付款'), (2, '运杂费'), "
    "(3, '现金'), (3, '转帐支票'), (3, '银行汇款'), (3, '收据'), "
    "(4, '已签合同'), (4, '已发货'), (4, '已开票'), (4, '已完成')",
};

bool Exec(QSqlQuery& query, const QString& sql, QString* error) {
    if (query.exec(sql))
        return true;
    *error = query.lastError().text() + QStringLiteral(" [") + sql + QLatin1Char(']');
    return false;
}

// The tables of the server database's current schema, in lower case; false when they cannot be
// read.
bool ServerTables(QSqlDatabase db, QStringList* present, QString* error) {
    QSqlQuery query(db);
    if (!Exec(query,
              QStringLiteral("SELECT lower(table_name) FROM information_schema.tables "
                             "WHERE table_schema = current_schema()"),
              error))
        return false;
    while (query.next())
        *present << query.value(0).toString();
    return true;
}

// Any number that no other program takes for a lock of its own on the same server database.
constexpr qint64 SchemaLockKey = 0x4b65737472656c; // "Kestrel"

// On a server, text compares without regard to letter case through an ICU collation (SQLite's
// NOCASE); the other texts (dates, passwords, report cells) compare byte by byte, as on SQLite.
const char* const serverCollation =
    "CREATE COLLATION IF NOT EXISTS kestrel_nocase (provider = icu, locale = 'und-u-ks-level2', "
    "deterministic = false)";

// The column definitions of a table written for PostgreSQL: the same names, keys the server
// assigns (an explicit key is still accepted), doubles, and the collations above.
QString ServerColumns(const char* columns) {
    static const QRegularExpression plainText(QStringLiteral(" TEXT$"));
    QStringList out;
    for (QString column : QString::fromLatin1(columns).split(QLatin1Char(','))) {
        column = column.trimmed();
        column.replace(QStringLiteral(" AUTOINCREMENT"), QString());
        column.replace(QStringLiteral("INTEGER PRIMARY KEY"),
                       QStringLiteral("INTEGER GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY"));
        column.replace(QStringLiteral(" REAL"), QStringLiteral(" DOUBLE PRECISION"));
        column.replace(QStringLiteral(" BOOLEAN"), QStringLiteral(" INTEGER"));
        column.replace(QStringLiteral("COLLATE NOCASE"), QStringLiteral("COLLATE kestrel_nocase"));
        column.replace(plainText, QStringLiteral(" TEXT COLLATE \"C\""));
        out << column;
    }
    return out.join(QStringLiteral(", "));
}

QString TableSql(const Table& t, Engine engine) {
    return QStringLiteral("CREATE TABLE %1 (%2)")
        .arg(QLatin1String(t.name),
             engine == Engine::PostgreSql ? ServerColumns(t.columns) : QString::fromLatin1(t.columns));
}

QString WriteVersionSql(Engine engine, int version) {
    return engine == Engine::PostgreSql ? QStringLiteral("UPDATE SchemaVersion SET Version = %1").arg(version)
                                        : QStringLiteral("PRAGMA user_version = %1").arg(version);
}

// The schema version of an open database; -1 when it cannot be read.
int ReadVersion(QSqlDatabase db) {
    QSqlQuery query(db);
    const QString sql = EngineOf(db) == Engine::PostgreSql
                            ? QStringLiteral("SELECT Version FROM SchemaVersion")
                            : QStringLiteral("PRAGMA user_version");
    if (!query.exec(sql) || !query.next())
        return -1;
    return query.value(0).toInt();
}

QStringList KeySequenceSql(const QStringList& only = QStringList()) {
    QStringList statements;
    for (const Table& t : tables) {
        if (!only.isEmpty() && !only.contains(QLatin1String(t.name), Qt::CaseInsensitive))
            continue;
        statements << QStringLiteral(
                          "SELECT setval(pg_get_serial_sequence('%1', '%2'), (SELECT max(%3) FROM %1))")
                          .arg(QLatin1String(t.name), QString::fromLatin1(t.key).toLower(),
                               QLatin1String(t.key));
    }
    return statements;
}

} // namespace

QStringList TableNames() {
    QStringList names;
    for (const Table& t : tables)
        names << QString::fromLatin1(t.name);
    return names;
}

QString KeyColumn(const QString& table) {
    for (const Table& t : tables) {
        if (table.compare(QLatin1String(t.name), Qt::CaseInsensitive) == 0)
            return QString::fromLatin1(t.key);
    }
    return QString();
}

QString ColumnName(const QString& anyCase) {
    static const QHash<QString, QString> names = [] {
        QHash<QString, QString> map;
        for (const Table& t : tables) {
            for (const QString& column : QString::fromLatin1(t.columns).split(QLatin1Char(','))) {
                const QString name = column.trimmed().section(QLatin1Char(' '), 0, 0);
                map.insert(name.toLower(), name);
            }
        }
        return map;
    }();
    return names.value(anyCase.toLower());
}

bool HasColumn(const QString& table, const QString& column) {
    for (const Table& t : tables) {
        if (table.compare(QLatin1String(t.name), Qt::CaseInsensitive) != 0)
            continue;
        for (const QString& definition : QString::fromLatin1(t.columns).split(QLatin1Char(','))) {
            if (definition.trimmed().section(QLatin1Char(' '), 0, 0).compare(column, Qt::CaseInsensitive) ==
                0)
                return true;
        }
    }
    return false;
}

QStringList Columns(const QString& table) {
    QStringList names;
    for (const Table& t : tables) {
        if (table.compare(QLatin1String(t.name), Qt::CaseInsensitive) != 0)
            continue;
        for (const QString& column : QString::fromLatin1(t.columns).split(QLatin1Char(',')))
            names << column.trimmed().section(QLatin1Char(' '), 0, 0);
    }
    return names;
}

namespace {

// The columns of a table declared with that type, in their order.
QStringList ColumnsOfType(const QString& table, QLatin1String type) {
    QStringList found;
    for (const Table& t : tables) {
        if (table.compare(QLatin1String(t.name), Qt::CaseInsensitive) != 0)
            continue;
        for (const QString& column : QString::fromLatin1(t.columns).split(QLatin1Char(','))) {
            const QStringList words = column.trimmed().split(QLatin1Char(' '));
            if (words.size() > 1 && words[1] == type)
                found << words[0];
        }
    }
    return found;
}

} // namespace

QString DeclaredType(const QString& table, const QString& column) {
    for (const Table& t : tables) {
        if (table.compare(QLatin1String(t.name), Qt::CaseInsensitive) != 0)
            continue;
        for (const QString& definition : QString::fromLatin1(t.columns).split(QLatin1Char(','))) {
            const QStringList words = definition.trimmed().split(QLatin1Char(' '));
            if (words.size() > 1 && words[0].compare(column, Qt::CaseInsensitive) == 0)
                return words[1];
        }
    }
    return QString();
}

QStringList AmountColumns(const QString& table) {
    return ColumnsOfType(table, QLatin1String("REAL"));
}

QStringList TextColumns(const QString& table) {
    return ColumnsOfType(table, QLatin1String("TEXT"));
}

QString AdvanceKeys(QSqlDatabase db, const QStringList& tables) {
    if (EngineOf(db) != Engine::PostgreSql)
        return QString();
    QSqlQuery query(db);
    QString error;
    for (const QString& sql : KeySequenceSql(tables)) {
        if (!Exec(query, sql, &error))
            return error;
    }
    return QString();
}

QString CreateSchema(QSqlDatabase db) {
    const Engine engine = EngineOf(db);
    QSqlQuery query(db);
    QString error;
    if (!db.transaction())
        return db.lastError().text();
    if (engine == Engine::PostgreSql) {
        // Workstations opening an empty database at once: one writes the tables, the others
        // wait here until it has committed and then find them made.
        QStringList present;
        if (!Exec(query, QStringLiteral("SELECT pg_advisory_xact_lock(%1)").arg(SchemaLockKey), &error) ||
            !ServerTables(db, &present, &error) || !present.isEmpty()) {
            db.rollback();
            return error;
        }
    }
    bool ok = engine != Engine::PostgreSql || Exec(query, QString::fromLatin1(serverCollation), &error);
    for (const Table& t : tables)
        ok = ok && Exec(query, TableSql(t, engine), &error);
    for (const Index& index : indexes)
        ok = ok && Exec(query, CreateIndexSql(index), &error);
    for (const char* sql : serverHistoryGuard)
        ok = ok && (engine != Engine::PostgreSql || Exec(query, QString::fromLatin1(sql), &error));
    for (int slot = 1; slot <= 16 && ok; ++slot) {
        ok = Exec(
            query,
            QStringLiteral("INSERT INTO Power (PowerIndex, PowerName, PowerKey, PowerPicture, PowerRange, "
                           "PowerRole) VALUES (%1, '', '', 'Faces/%1.bmp', '', '业务员')")
                .arg(slot),
            &error);
    }
    for (const char* sql : initialRows)
        ok = ok && Exec(query, QString::fromUtf8(sql), &error);
    if (engine == Engine::PostgreSql) {
        // The initial rows gave their keys: the sequences move past them.
        const QStringList statements =
            QStringList{QStringLiteral("CREATE TABLE SchemaVersion (Version INTEGER NOT NULL)"),
                        QStringLiteral("INSERT INTO SchemaVersion (Version) VALUES (%1)").arg(Version)} +
            KeySequenceSql();
        for (const QString& sql : statements)
            ok = ok && Exec(query, sql, &error);
    } else {
        ok = ok && Exec(query, WriteVersionSql(engine, Version), &error);
    }
    if (!ok) {
        db.rollback();
        return error;
    }
    if (!db.commit())
        return db.lastError().text();
    return QString();
}

QString CreateDatabase(const QString& path) {
    if (QFileInfo::exists(path))
        return QStringLiteral("文件已存在：") + path;
    const QString name =
        QStringLiteral("kestrel-create-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    QString error;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        if (!db.open())
            error = db.lastError().text();
        else
            error = CreateSchema(db);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return error;
}

QString UpgradeDatabase(QSqlDatabase db) {
    const Engine engine = EngineOf(db);
    QSqlQuery query(db);
    QString error;
    if (ReadVersion(db) < 0)
        return QStringLiteral("无法读取数据库的版本");
    if (ReadVersion(db) >= Version)
        return QString();
    // One transaction: the file is upgraded whole or stays as it was. Only indexes and new tables
    // change, so every row stays. The version is read again inside it: on a server another workstation may
    // have upgraded meanwhile, and its row lock keeps two upgrades apart.
    if (!query.exec(QLatin1String(engine == Engine::PostgreSql ? "BEGIN" : "BEGIN IMMEDIATE")))
        return query.lastError().text();
    if (engine == Engine::PostgreSql)
        query.exec(QStringLiteral("SELECT Version FROM SchemaVersion FOR UPDATE"));
    const int version = ReadVersion(db);
    bool ok = version >= 0;
    for (const Step& step : steps) {
        if (step.version <= version)
            continue;
        for (const char* name : step.tables) {
            const Table* table = FindTable(name);
            // A file marked older by hand may hold the table already.
            ok = ok && table &&
                 Exec(query,
                      TableSql(*table, engine)
                          .replace(QStringLiteral("CREATE TABLE "),
                                   QStringLiteral("CREATE TABLE IF NOT EXISTS ")),
                      &error);
            if (qstrcmp(name, "History") == 0) {
                for (const char* sql : serverHistoryGuard)
                    ok =
                        ok && (engine != Engine::PostgreSql || Exec(query, QString::fromLatin1(sql), &error));
            }
        }
        for (const char* name : step.indexes) {
            const Index* index = FindIndex(name);
            ok = ok && index &&
                 Exec(query, QStringLiteral("DROP INDEX IF EXISTS %1").arg(QLatin1String(name)), &error) &&
                 Exec(query, CreateIndexSql(*index), &error);
        }
        for (const char* name : step.dropped)
            ok =
                ok && Exec(query, QStringLiteral("DROP INDEX IF EXISTS %1").arg(QLatin1String(name)), &error);
    }
    ok = ok && Exec(query, WriteVersionSql(engine, std::max(version, Version)), &error) &&
         Exec(query, QStringLiteral("COMMIT"), &error);
    if (!ok) {
        query.exec(QStringLiteral("ROLLBACK"));
        return error.isEmpty() ? QStringLiteral("unknown upgrade step") : error;
    }
    return QString();
}

QStringList TablesCheckedAtEveryOpening() {
    QStringList names = TableNames();
    names.removeAll(QStringLiteral("Bill"));
    names.removeAll(QStringLiteral("MoneyTable"));
    names.removeAll(QStringLiteral("History"));
    return names;
}

namespace {

// Why a server database cannot hold the books, or "": texts are kept in UTF-8, and letter case is
// compared through ICU (the server's ICU collations), whatever the database's own locale.
QString ServerDatabaseUnfit(QSqlDatabase db, const QString& database) {
    QSqlQuery query(db);
    const QString encoding = query.exec(QStringLiteral("SHOW server_encoding")) && query.next()
                                 ? query.value(0).toString()
                                 : QString();
    query.finish();
    const QString howTo =
        QStringLiteral("\n\n请在服务器上建立 UTF8 编码的数据库后再使用，例如：\n"
                       "createdb --owner=kestrel --encoding=UTF8 --template=template0 kestrel");
    if (encoding.compare(QLatin1String("UTF8"), Qt::CaseInsensitive) != 0)
        return QStringLiteral("服务器上的数据库“%1”的字符编码是 %2，本软件需要 UTF8 编码的数据库。")
                   .arg(database, encoding.isEmpty() ? QStringLiteral("未知") : encoding) +
               howTo;
    const bool icu =
        query.exec(QStringLiteral("SELECT 1 FROM pg_collation WHERE collname = 'und-x-icu'")) && query.next();
    query.finish();
    if (!icu)
        return QStringLiteral("数据库服务器没有 ICU 排序规则（und-x-icu），无法不分大小写地比较文字。"
                              "请使用带 ICU 支持的 PostgreSQL（如 Debian 的 postgresql 软件包）。");
    return QString();
}

// A server database: one of this program's, or empty and then given the tables; upgraded when
// older.
QString CheckServerDatabase(QSqlDatabase db) {
    // The connection is made from connection options: the server names its database.
    QSqlQuery name(db);
    const QString database = name.exec(QStringLiteral("SELECT current_database()")) && name.next()
                                 ? name.value(0).toString()
                                 : QStringLiteral("?");
    name.finish();
    const QString notOurs = QStringLiteral("服务器上的数据库“%1”不是本软件的数据库。\n\n数据库没有被改动。");
    const QString unfit = ServerDatabaseUnfit(db, database);
    if (!unfit.isEmpty())
        return unfit;
    QStringList present;
    QString error;
    if (!ServerTables(db, &present, &error))
        return notOurs.arg(database) + QLatin1Char('\n') + error;
    if (present.isEmpty()) {
        error = CreateSchema(db);
        if (!error.isEmpty())
            return QStringLiteral("无法在服务器上的数据库“%1”中建立数据表，数据库没有被改动。\n\n%2")
                .arg(database, error);
        // Made here, or meanwhile by another workstation: checked as any other opening.
        if (!ServerTables(db, &present, &error))
            return notOurs.arg(database) + QLatin1Char('\n') + error;
    }
    if (!present.contains(QStringLiteral("schemaversion")))
        return notOurs.arg(database);
    const int version = ReadVersion(db);
    for (const QString& table : TablesOfVersion(version)) {
        if (!present.contains(table.toLower()))
            return notOurs.arg(database);
    }
    if (version > Version)
        return QStringLiteral("服务器上的数据库“%1”由更新版本的软件建立，请升级本软件后再使用。")
            .arg(database);
    if (version < 1)
        return notOurs.arg(database);
    const QString upgrade = UpgradeDatabase(db);
    if (!upgrade.isEmpty())
        return QStringLiteral("服务器上的数据库“%1”无法升级到本版本，数据库没有被改动。\n\n%2")
            .arg(database, upgrade);
    return QString();
}

// The first trigger or view of a database file, as "触发器“name”" or "视图“name”"; "" when it
// has none. The engine's own tables carry neither.
QString ForeignObject(QSqlDatabase db) {
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("SELECT type, name FROM sqlite_master WHERE type IN ('trigger', 'view') "
                                   "ORDER BY type, name")))
        return QStringLiteral("无法读取的对象");
    if (!query.next())
        return QString();
    const QString kind = query.value(0).toString() == QLatin1String("trigger") ? QStringLiteral("触发器")
                                                                               : QStringLiteral("视图");
    return kind + QStringLiteral("“") + query.value(1).toString() + QStringLiteral("”");
}

} // namespace

QString CheckDatabase(QSqlDatabase db, PageCheck pages) {
    if (EngineOf(db) == Engine::PostgreSql)
        return CheckServerDatabase(db);
    static const QString notOurs = QStringLiteral("“%1”不是本软件的数据库文件，或者文件已损坏。\n\n"
                                                  "文件没有被改动。请从备份恢复数据库文件后再启动软件。");
    const QString file = db.databaseName();
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("PRAGMA user_version")) || !query.next())
        return notOurs.arg(file);
    const int version = query.value(0).toInt();
    query.finish();
    if (!query.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'")))
        return notOurs.arg(file);
    QStringList present;
    while (query.next())
        present << query.value(0).toString().toLower();
    query.finish();
    for (const QString& table : TablesOfVersion(version)) {
        if (!present.contains(table.toLower()))
            return notOurs.arg(file);
    }
    // The program makes no triggers or views: one in the file runs code of its own with every
    // change the program stores (or shows rows the program did not write). Such a file is not used.
    if (const QString foreign = ForeignObject(db); !foreign.isEmpty())
        return QStringLiteral("数据库文件“%1”中有本软件不建立的%2，它会在本软件存取数据时执行自己的指令，"
                              "软件不使用这个文件。\n\n文件没有被改动。请从备份恢复数据库文件后再启动软件。")
            .arg(file, foreign);
    // A damaged page shows only when it is read: check the pages now rather than work on a file
    // that fails halfway through an action or is damaged further by the next write. Every page
    // when asked to; otherwise the pages of every table but the documents and vouchers, with
    // their indexes.
    const QStringList checks =
        pages == PageCheck::EveryPage ? QStringList{QStringLiteral("PRAGMA quick_check(1)")} : [] {
            QStringList list;
            for (const QString& table : TablesCheckedAtEveryOpening())
                list << QStringLiteral("PRAGMA quick_check(%1)").arg(table);
            return list;
        }();
    for (const QString& check : checks) {
        if (!query.exec(check) || !query.next() || query.value(0).toString() != QLatin1String("ok"))
            return notOurs.arg(file);
        query.finish();
    }
    if (version > Version)
        return QStringLiteral("数据库文件“%1”由更新版本的软件建立，请升级本软件后再使用。").arg(file);
    if (version < 1)
        return notOurs.arg(file);
    const QString upgrade = UpgradeDatabase(db);
    if (!upgrade.isEmpty())
        return QStringLiteral("数据库文件“%1”无法升级到本版本，文件没有被改动。\n\n%2").arg(file, upgrade);
    return QString();
}

} // namespace Schema
