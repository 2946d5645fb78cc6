// Times the document and the voucher query of the result grids on a large database against SQLite
// at its best for the same result, measured in the same run: every candidate statement that gives
// the same rows in the same order, each on a connection of its own with the engine's default
// settings, with a memory map and with a page cache the size of the file. The fastest is the bound.
// Also the repainting of the grid while it scrolls.
// Times are the best of five runs after a warm-up, as CPU time of the program's thread and as
// wall-clock time (on a shared machine the best run is the one least disturbed by others).
//
// usage: kestrel_bench_queries PATH-OF-A-LARGE-Kestrel.mdb   (kestrel_makebenchdb writes one)
#include "BenchTiming.h"
#include "app/Forms.h"
#include "foundation/JetSql.h"
#include "foundation/PublicFunction.h"
#include "foundation/Query.h"
#include "foundation/ShareDM.h"
#include "foundation/Startup.h"
#include "kit/DataGrid.h"
#include "kit/Prompts.h"
#include "mainwindow/MainForm.h"
#include "reports/ReportQueries.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QScrollBar>
#include <QTabWidget>
#include <QTextStream>
#include <algorithm>
#include <ctime>
#include <functional>
#include <sqlite3.h>
#include <vector>

namespace {

QTextStream out(stdout);

QString Ms(double ms) {
    return QString::number(ms, 'f', 0) + QStringLiteral(" ms");
}

QString Show(const Timing& t) {
    return Ms(t.Cpu) + QStringLiteral(" cpu / ") + Ms(t.Wall) + QStringLiteral(" wall");
}

// An order-sensitive digest of a result: numbers by value, so that 3 and 3.0 agree; texts by their
// bytes.
struct Digest {
    quint64 hash = 14695981039346656037ull;
    void Mix(const void* data, qsizetype bytes) {
        for (qsizetype i = 0; i < bytes; ++i)
            hash = (hash ^ static_cast<const unsigned char*>(data)[i]) * 1099511628211ull;
    }
    void Number(double value) {
        Mix(&value, sizeof value);
        Mix("|", 1);
    }
    void Text(const void* bytes, qsizetype length) {
        Mix(bytes, length);
        Mix("|", 1);
    }
};

// The digest of the rows the program keeps for a result, read as the grid reads them.
quint64 DigestOf(const Query& query) {
    Digest digest;
    for (int row = 0; row < query.RecordCount(); ++row) {
        for (int column = 0; column < query.FieldCount(); ++column) {
            const QVariant value = query.ValueAt(row, column);
            if (value.typeId() == QMetaType::QString) {
                const QByteArray bytes = value.toString().toUtf8();
                digest.Text(bytes.constData(), bytes.size());
            } else {
                digest.Number(value.toDouble());
            }
        }
    }
    return digest.hash;
}

// SQLite alone: prepare the statement and step through every row; with readColumns, every value is
// also fetched once in its stored type, as any client of the result must. With digest, the digest
// of every value is kept there (not while timing).
int StepAll(sqlite3* db, const QString& jetSql, bool readColumns, quint64* digest = nullptr) {
    const QByteArray sql = ToEngineSql(jetSql).toUtf8();
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql.constData(), -1, &statement, nullptr) != SQLITE_OK) {
        out << "prepare failed: " << sqlite3_errmsg(db) << "\n";
        return -1;
    }
    const int columns = sqlite3_column_count(statement);
    int rows = 0;
    volatile qint64 sink = 0;
    Digest values;
    while (sqlite3_step(statement) == SQLITE_ROW) {
        ++rows;
        if (digest) {
            for (int c = 0; c < columns; ++c) {
                if (sqlite3_column_type(statement, c) == SQLITE_TEXT)
                    values.Text(sqlite3_column_text(statement, c), sqlite3_column_bytes(statement, c));
                else
                    values.Number(sqlite3_column_double(statement, c));
            }
            continue;
        }
        if (!readColumns)
            continue;
        for (int c = 0; c < columns; ++c) {
            switch (sqlite3_column_type(statement, c)) {
            case SQLITE_INTEGER:
                sink = sink + sqlite3_column_int64(statement, c);
                break;
            case SQLITE_FLOAT:
                sink = sink + static_cast<qint64>(sqlite3_column_double(statement, c));
                break;
            case SQLITE_TEXT:
                sink = sink + sqlite3_column_bytes(statement, c) +
                       (sqlite3_column_text(statement, c) != nullptr);
                break;
            default:
                break;
            }
        }
    }
    sqlite3_finalize(statement);
    if (digest)
        *digest = values.hash;
    return rows;
}

// A connection of SQLite's own to the file, read only, with the Jet functions and some settings.
struct Setting {
    const char* what;
    QStringList pragmas;
};

sqlite3* OpenEngine(const QString& path, const Setting& setting) {
    sqlite3* engine = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &engine, SQLITE_OPEN_READONLY, nullptr);
    RegisterJetFunctions(engine);
    for (const QString& pragma : setting.pragmas)
        sqlite3_exec(engine, pragma.toUtf8().constData(), nullptr, nullptr, nullptr);
    return engine;
}

struct Candidate {
    const char* what;
    QString sql;
};

struct Bound {
    Timing stepRead; // the fastest candidate, stepping and reading every value
    Timing stepOnly; // the fastest candidate, stepping alone
    QString what;
    QString sql;
    Setting setting;
    quint64 digest = 0; // of the result every candidate gives
};

// SQLite at its best for the result of the first candidate (the program's statement): every
// candidate with the same rows, under every setting; the fastest is the bound.
Bound BestOfSqlite(const QString& path, const std::vector<Candidate>& candidates) {
    const qint64 fileKb = QFileInfo(path).size() / 1024 + 1;
    const std::vector<Setting> settings = {
        {"default settings", {}},
        {"memory map", {QStringLiteral("PRAGMA mmap_size = 1073741824")}},
        {"cache the size of the file", {QStringLiteral("PRAGMA cache_size = -%1").arg(fileKb)}},
        {"memory map and the program's 16 MB cache",
         {QStringLiteral("PRAGMA mmap_size = 1073741824"), QStringLiteral("PRAGMA cache_size = -16384")}},
    };
    Bound best;
    best.stepRead.Cpu = 1e12;
    {
        sqlite3* engine = OpenEngine(path, settings[0]);
        StepAll(engine, candidates[0].sql, true, &best.digest);
        sqlite3_close(engine);
    }
    out << "  SQLite at its best, stepping and reading every value:\n";
    for (const Candidate& candidate : candidates) {
        quint64 digest = 0;
        sqlite3* check = OpenEngine(path, settings[0]);
        StepAll(check, candidate.sql, true, &digest);
        sqlite3_close(check);
        if (digest != best.digest) {
            out << "    " << candidate.what << ": a different result, not counted\n";
            continue;
        }
        for (const Setting& setting : settings) {
            sqlite3* engine = OpenEngine(path, setting);
            const Timing read = Time([&] { StepAll(engine, candidate.sql, true); });
            sqlite3_close(engine);
            out << QStringLiteral("    %1, %2: %3\n")
                       .arg(QLatin1String(candidate.what), QLatin1String(setting.what), Show(read));
            out.flush();
            if (read.Cpu < best.stepRead.Cpu) {
                best.stepRead = read;
                best.what =
                    QStringLiteral("%1, %2").arg(QLatin1String(candidate.what), QLatin1String(setting.what));
                best.sql = candidate.sql;
                best.setting = setting;
            }
        }
    }
    // Stepping alone, without reading the values, for the fastest candidate.
    sqlite3* engine = OpenEngine(path, best.setting);
    best.stepOnly = Time([&] { StepAll(engine, best.sql, false); });
    sqlite3_close(engine);
    return best;
}

// What the rows alone cost through the data layer: Query::Open of the same text, opened again
// (as a refresh does) and in a query of its own (the first opening, with no memory to reuse).
Timing QueryOpenTime(const QString& jetSql) {
    Query query(&ShareDataModule->ADOConnection1);
    return Time([&] { query.Open(jetSql); });
}

Timing FirstOpenTime(const QString& jetSql) {
    return Time([&] {
        Query query(&ShareDataModule->ADOConnection1);
        query.Open(jetSql);
    });
}

void PrintFigures(const char* what, int rows, const Bound& bound, const Timing& open, const Timing& first,
                  const Timing& grid) {
    out << what << " (" << rows << " rows)\n";
    out << "  the bound: " << bound.what << "\n";
    out << "  Query::Open of the program's text, opened again: " << Show(open) << "\n";
    out << "  the same in a new query, closed afterwards:     " << Show(first) << "\n";
    out << "  ready in the grid (query, footer, first paint): " << Show(grid) << "\n";
    out << "  ratio grid / SQLite at its best (cpu): "
        << QString::number(grid.Cpu / bound.stepRead.Cpu, 'f', 2) << " against stepping and reading ("
        << Ms(bound.stepRead.Cpu) << "), " << QString::number(grid.Cpu / bound.stepOnly.Cpu, 'f', 2)
        << " against stepping alone (" << Ms(bound.stepOnly.Cpu) << ")\n";
    out << "  ratio grid / SQLite at its best (wall): "
        << QString::number(grid.Wall / bound.stepRead.Wall, 'f', 2) << "\n";
    out.flush();
}

// Scrolls the grid from top to bottom in steps, rendering each; milliseconds per step.
double ScrollTime(DataGrid* grid, int steps) {
    QScrollBar* bar = grid->verticalScrollBar();
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i <= steps; ++i) {
        bar->setValue(static_cast<int>(static_cast<qint64>(bar->maximum()) * i / steps));
        grid->viewport()->grab();
    }
    return timer.nsecsElapsed() / 1e6 / (steps + 1);
}

// One result page: SQLite at its best for the result the page shows, the data layer's load of the
// page's text, the page filled and painted, and scrolling through it. candidates[0] is the
// program's own text.
DataGrid* MeasureResultPage(const QString& path, const char* what, const std::vector<Candidate>& candidates,
                            int page, DataGrid* grid, const std::function<void()>& fill) {
    out << what << "\n";
    const Bound bound = BestOfSqlite(path, candidates);
    const Timing open = QueryOpenTime(candidates[0].sql);
    const Timing first = FirstOpenTime(candidates[0].sql);
    FormMain->ShowPage(TFormMain::Page(page));
    const Timing ready = Time([&] {
        fill();
        grid->viewport()->grab();
    });
    PrintFigures(what, grid->model()->rowCount(), bound, open, first, ready);
    out << "  the rows in the grid equal SQLite's: "
        << (DigestOf(*grid->BoundQuery()) == bound.digest ? "yes" : "NO, they differ") << "\n";
    out << "  scrolling top to bottom in 200 steps: " << QString::number(ScrollTime(grid, 200), 'f', 2)
        << " ms per rendered step\n";
    return grid;
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc != 2 || !QFileInfo(QString::fromLocal8Bit(argv[1])).isFile()) {
        out << "usage: kestrel_bench_queries PATH-OF-A-LARGE-Kestrel.mdb (kestrel_makebenchdb writes one)\n";
        return 2;
    }
    const QString path = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath();
    Prompts::Install(std::make_unique<QtPrompts>());
    SetProgramFolder(QCoreApplication::applicationDirPath());
    CreateForms();
    ShareDataModule->ADOConnection1.ConnectionString = BuildConnectionString(path, DatabasePassword);
    if (!ShareDataModule->ADOConnection1.Open()) {
        out << "cannot open " << path << ": " << ShareDataModule->ADOConnection1.LastError() << "\n";
        return 1;
    }
    FormMain->show();

    // Documents: every document with its received and open amounts, ordered by date.
    const QString bills = BillReportSelect() + QStringLiteral("(BillIndex > 1)");
    const QString billColumns = QStringLiteral("BillMan,BillReason,BillState,BillRemark");
    const QString got = QStringLiteral("IIF(Round(Sum(MoneySum),2) Is Null,0,Round(Sum(MoneySum),2))");
    const QString gotOfBill =
        QStringLiteral("(Select ") + got + QStringLiteral(" From MoneyTable Where MoneyBill = BillIndex)");
    const QString billHead =
        QStringLiteral("Select BillIndex,BillCreateTime,BillSerial,BillKind,BillUser,BillSum,");
    const QString byDate = QStringLiteral(" Order By BillCreateTime,BillIndex");
    const std::vector<Candidate> billCandidates = {
        {"the program's statement", BillReportRunText(bills, QString(), 0)},
        {"documents joined with their vouchers, grouped",
         billHead + got + QStringLiteral(" As BillGet,BillSum-") + got + QStringLiteral(" As BillOwe,") +
             billColumns +
             QStringLiteral(
                 " From (Bill Left Join MoneyTable On Bill.BillIndex = MoneyTable.MoneyBill) Where "
                 "(BillIndex > 1) Group By BillIndex,BillCreateTime,BillSerial,BillKind,BillUser,"
                 "BillSum,BillMan,BillReason,BillState,BillRemark") +
             byDate},
        {"received amount by a subquery per document",
         billHead + gotOfBill + QStringLiteral(" As BillGet,BillSum-") + gotOfBill +
             QStringLiteral(" As BillOwe,") + billColumns +
             QStringLiteral(" From Bill Where (BillIndex > 1)") + byDate},
        {"subquery per document, open amount computed outside",
         billHead + QStringLiteral("BillGet,BillSum-BillGet As BillOwe,") + billColumns +
             QStringLiteral(" From (Select Bill.*,") + gotOfBill +
             QStringLiteral(" As BillGet From Bill Where (BillIndex > 1) Limit -1)") + byDate},
        {"vouchers totalled first, joined to the documents",
         billHead +
             QStringLiteral("IIF(Got Is Null,0,Got) As BillGet,BillSum-IIF(Got Is Null,0,Got) As BillOwe,") +
             billColumns +
             QStringLiteral(
                 " From Bill Left Join (Select MoneyBill,Round(Sum(MoneySum),2) As Got From MoneyTable "
                 "Group By MoneyBill) On MoneyBill = BillIndex Where (BillIndex > 1)") +
             byDate},
    };
    DataGrid* billGrid = MeasureResultPage(path, "document query", billCandidates, TFormMain::PageBillReport,
                                           FormMain->DBGridEh2, [&] { FormMain->FillBillReport(bills); });
    out << "  footer: " << billGrid->FooterText(0) << ", " << billGrid->FooterText(4) << ", "
        << billGrid->FooterText(5) << ", " << billGrid->FooterText(6) << "\n";
    {
        sqlite3* engine = OpenEngine(path, {"memory map", {QStringLiteral("PRAGMA mmap_size = 1073741824")}});
        const Timing floor = Time([&] {
            StepAll(engine,
                    billHead + billColumns + QStringLiteral(" From Bill Where (BillIndex > 1)") + byDate,
                    true);
        });
        sqlite3_close(engine);
        out << "  for comparison, the bare list of documents by date without amounts received: "
            << Show(floor) << "\n";
    }

    // Vouchers: every voucher joined with its account, ordered by date.
    const QString vouchers = MoneyReportSelect();
    const QString moneyColumns =
        QStringLiteral("Select MoneyIndex,MoneyCreateTime,MoneySerial,AccountName,MoneyUser,MoneyIn,MoneyOut,"
                       "MoneySum,MoneyMan,MoneyReason,MoneyType,MoneyToken,MoneyRemark From ");
    const std::vector<Candidate> moneyCandidates = {
        {"the program's statement", MoneyReportRunText(vouchers, QString(), 0)},
        {"sorted after a pass over the table",
         moneyColumns + QStringLiteral("Account,MoneyTable Where (AccountIndex = MoneyAccount) Order By "
                                       "+MoneyCreateTime,MoneyIndex")},
        {"read in date order from the date index",
         moneyColumns + QStringLiteral("MoneyTable Indexed By IX_MoneyCreateTime Cross Join Account Where "
                                       "(AccountIndex = MoneyAccount) Order By MoneyCreateTime,MoneyIndex")},
    };
    MeasureResultPage(path, "voucher query", moneyCandidates, TFormMain::PageMoneyReport, FormMain->DBGridEh1,
                      [&] { FormMain->FillMoneyReport(vouchers); });

    DestroyForms();
    return 0;
}
