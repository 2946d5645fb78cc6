// The change history's cost: storing a document with its history row against the same store
// without it, and the history window's newest page and filters on 1,000,000 history rows.
// The file's timings include the engine's flush to disk at each commit: put the temporary folder
// (TMPDIR) on the disk the books would be on.
//   Kestrel/kestrel_bench_history [rows [SERVER]]   SERVER: libpq connection string, empty database

#include "BenchServer.h"
#include "BenchTiming.h"
#include "documents/DocumentRules.h"
#include "foundation/Connection.h"
#include "foundation/History.h"
#include "foundation/PublicFunction.h"
#include "foundation/Schema.h"

#include <QCoreApplication>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTextStream>
#include <sqlite3.h>

namespace {

QTextStream out(stdout);

BillFields Sale(int i) {
    BillFields f;
    f.Kind = SaleKind;
    f.CreateTime = QDate(2026, 1, 1).addDays(i % 365);
    f.Serial = QStringLiteral("XS%1").arg(500000 + i);
    f.User = QStringLiteral("客户%1").arg(i % 300);
    f.Sum = 100 + i;
    f.Reason = QStringLiteral("商品销售");
    f.State = QStringLiteral("已发货");
    f.Man = QStringLiteral("张三");
    return f;
}

// Stores count new documents, each in its own transaction, as the editor does.
void StoreDocuments(DbConnection& books, int first, int count) {
    for (int i = first; i < first + count; ++i)
        StoreBill(books, 1, Sale(i), true, false, nullptr);
}

// History rows as a shop writes them over years: one to a few seconds apart, every kind, JSON
// images of documents.
void FillHistory(sqlite3* db, int rows) {
    const char* sql =
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < ?1) "
        "INSERT INTO History (HistoryTime, HistoryUser, HistoryHost, HistoryTable, HistoryKey, HistoryKind, "
        "HistoryBefore, HistoryAfter, HistoryAction, HistoryUndoes) "
        "SELECT strftime('%Y-%m-%d %H:%M:%S', 1600000000 + i * 90, 'unixepoch'), "
        "CASE i % 5 WHEN 0 THEN '管理员' WHEN 1 THEN '张三' WHEN 2 THEN '李四' WHEN 3 THEN '财务主管' ELSE "
        "'总经理' END, "
        "'shop-pc' || (i % 4), CASE i % 3 WHEN 0 THEN 'Bill' WHEN 1 THEN 'MoneyTable' ELSE 'Customer' END, "
        "i / 3 + 2, CASE i % 4 WHEN 0 THEN '新增' WHEN 1 THEN '修改' WHEN 2 THEN '删除' ELSE '改名' END, "
        "CASE WHEN i % 4 = 0 THEN '' ELSE '{\"BillIndex\":' || (i / 3 + 2) || ',\"BillKind\":\"销售开单\","
        "\"BillSerial\":\"XS' || (100000 + i) || '\",\"BillUser\":\"客户' || (i % 977) || '\",\"BillSum\":' "
        "|| "
        "(i % 5000) || ',\"BillRemark\":\"\",\"BillMan\":\"张三\"}' END, "
        "CASE WHEN i % 4 = 2 THEN '' ELSE '{\"BillIndex\":' || (i / 3 + 2) || ',\"BillKind\":\"销售开单\","
        "\"BillSerial\":\"XS' || (100000 + i) || '\",\"BillUser\":\"客户' || (i % 977) || '\",\"BillSum\":' "
        "|| "
        "(i % 5000 + 1) || ',\"BillRemark\":\"\",\"BillMan\":\"张三\"}' END, i, 0 FROM n";
    sqlite3_stmt* statement = nullptr;
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
    sqlite3_bind_int(statement, 1, rows);
    sqlite3_step(statement);
    sqlite3_finalize(statement);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_exec(db, "ANALYZE", nullptr, nullptr, nullptr);
}

// Stores documents with and without their history rows in alternating rounds, each document in
// its own transaction as the editor stores it, the best round of each counted.
void StoreRatio(DbConnection& books, const QString& where, int firstDocument,
                const std::function<double()>& cpuMs = ThreadCpuMs) {
    const int perRound = 200;
    int next = firstDocument;
    // One round of each before counting: the statements prepared, the pages read.
    History::SetWriting(false);
    StoreDocuments(books, next, perRound);
    next += perRound;
    History::SetWriting(true);
    StoreDocuments(books, next, perRound);
    next += perRound;
    Timing without{1e9, 1e9}, with{1e9, 1e9};
    for (int round = 0; round < 9; ++round) {
        History::SetWriting(false);
        const Timing a = Time([&] { StoreDocuments(books, next, perRound), next += perRound; }, 1, cpuMs);
        History::SetWriting(true);
        const Timing b = Time([&] { StoreDocuments(books, next, perRound), next += perRound; }, 1, cpuMs);
        without = {std::min(without.Cpu, a.Cpu), std::min(without.Wall, a.Wall)};
        with = {std::min(with.Cpu, b.Cpu), std::min(with.Wall, b.Wall)};
    }
    out << "on " << where << ":\n";
    out << "  store " << perRound << " documents without history: " << ShowTiming(without) << "\n";
    out << "  store " << perRound << " documents with history:    " << ShowTiming(with) << "\n";
    out << "  ratio (cpu): " << QString::number(with.Cpu / without.Cpu, 'f', 3)
        << ", ratio (wall): " << QString::number(with.Wall / without.Wall, 'f', 3) << "\n";
    out.flush();
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const int rows = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 1000000;
    // A libpq connection string of an empty database: the store is timed there too.
    const QString server = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Kestrel.mdb"));
    if (const QString error = Schema::CreateDatabase(path); !error.isEmpty()) {
        out << error << "\n";
        return 1;
    }
    DbConnection books;
    books.ConnectionString = BuildConnectionString(path, QString());
    if (!books.Open()) {
        out << books.LastError() << "\n";
        return 1;
    }

    // 1. Storing a document, with and without its history row, on the file and on the server.
    StoreRatio(books, QStringLiteral("the file (%1)").arg(dir.path()), 0);
    if (!server.isEmpty()) {
        DbConnection onServer;
        onServer.Server = server;
        if (!onServer.Open()) {
            out << "cannot open the books on the server: " << onServer.LastError() << "\n";
            return 1;
        }
        // The server's processes work for the store too: their CPU time is counted with the program's.
        StoreRatio(onServer, QStringLiteral("the server"), 1000000,
                   ClientAndServerCpu(PQbackendPID(onServer.ServerHandle())));
    }

    // 2. The history window on many rows.
    FillHistory(books.Handle(), rows);
    out << "history rows: " << [&] {
        QSqlQuery q(books.Database());
        q.exec(QStringLiteral("SELECT COUNT(*) FROM History"));
        return q.next() ? q.value(0).toString() : QString();
    }() << "\n";
    auto page = [&](const History::Filter& f, const QString& name) {
        std::size_t found = 0;
        const Timing t = Time([&] { found = History::ReadPage(books, f, 0, 100).size(); });
        out << name << ": " << found << " rows, " << ShowTiming(t) << "\n";
        // The page after it (keyset).
        const auto first = History::ReadPage(books, f, 0, 100);
        if (!first.empty()) {
            const Timing n = Time([&] { History::ReadPage(books, f, first.back().Index, 100); });
            out << name << " (next page): " << ShowTiming(n) << "\n";
        }
    };
    page({}, QStringLiteral("newest page"));
    History::Filter user;
    user.User = QStringLiteral("李四");
    page(user, QStringLiteral("filter user"));
    History::Filter nobody;
    nobody.User = QStringLiteral("王五");
    page(nobody, QStringLiteral("filter user with no changes (whole table)"));
    History::Filter kind;
    kind.Kind = QStringLiteral("删除");
    page(kind, QStringLiteral("filter kind"));
    History::Filter table;
    table.Table = QStringLiteral("Customer");
    page(table, QStringLiteral("filter table"));
    History::Filter dates;
    dates.From = QDate(2021, 3, 1);
    dates.To = QDate(2021, 3, 31);
    page(dates, QStringLiteral("filter one month, years back"));
    History::Filter record;
    record.Table = QStringLiteral("Bill");
    record.Key = 1000;
    page(record, QStringLiteral("one record's history"));
    History::Filter text;
    text.Text = QStringLiteral("客户976");
    page(text, QStringLiteral("filter text (common)"));
    History::Filter rare;
    rare.Text = QStringLiteral("XS1000007");
    page(rare, QStringLiteral("filter text (rare, whole table)"));
    books.Close();
    return 0;
}
