// Times the document and the voucher query of the result grids on a large database against SQLite
// running the same statement on its own, and the repainting of the grid while it scrolls.
// Times are the best of seven runs after a warm-up, as CPU time of the program's thread and as
// wall-clock time (on a shared machine the best run is the one least disturbed by others).
//
// usage: kestrel_bench_queries PATH-OF-A-LARGE-Kestrel.mdb   (kestrel_makebenchdb writes one)
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

struct Timing {
    double Cpu = 0;  // ms of the thread's CPU time
    double Wall = 0; // ms
};

double ThreadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// The best of several runs after a warm-up.
Timing Time(const std::function<void()>& run, int repeats = 7) {
    run();
    std::vector<double> cpu, wall;
    for (int i = 0; i < repeats; ++i) {
        QElapsedTimer timer;
        timer.start();
        const double start = ThreadCpuMs();
        run();
        cpu.push_back(ThreadCpuMs() - start);
        wall.push_back(timer.nsecsElapsed() / 1e6);
    }
    return {*std::min_element(cpu.begin(), cpu.end()), *std::min_element(wall.begin(), wall.end())};
}

QString Ms(double ms) {
    return QString::number(ms, 'f', 0) + QStringLiteral(" ms");
}

QString Show(const Timing& t) {
    return Ms(t.Cpu) + QStringLiteral(" cpu / ") + Ms(t.Wall) + QStringLiteral(" wall");
}

// SQLite alone: prepare the statement and step through every row; with readColumns, every value is
// also fetched once in its stored type, as any client of the result must.
int StepAll(sqlite3* db, const QString& jetSql, bool readColumns) {
    const QByteArray sql = ToEngineSql(jetSql).toUtf8();
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql.constData(), -1, &statement, nullptr) != SQLITE_OK) {
        out << "prepare failed: " << sqlite3_errmsg(db) << "\n";
        return -1;
    }
    const int columns = sqlite3_column_count(statement);
    int rows = 0;
    volatile qint64 sink = 0;
    while (sqlite3_step(statement) == SQLITE_ROW) {
        ++rows;
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
    return rows;
}

// What the rows alone cost through the data layer: Query::Open of the same text.
Timing QueryOpenTime(const QString& jetSql) {
    Query query(&ShareDataModule->ADOConnection1);
    return Time([&] { query.Open(jetSql); });
}

void Report(const char* what, int rows, const Timing& stepOnly, const Timing& stepRead, const Timing& open,
            const Timing& grid) {
    out << what << " (" << rows << " rows)\n";
    out << "  SQLite alone, stepping through the rows:        " << Show(stepOnly) << "\n";
    out << "  SQLite alone, stepping and reading every value: " << Show(stepRead) << "\n";
    out << "  Query::Open of the same text:                   " << Show(open) << "\n";
    out << "  ready in the grid (query, footer, first paint): " << Show(grid) << "\n";
    out << "  ratio grid / SQLite (cpu): " << QString::number(grid.Cpu / stepOnly.Cpu, 'f', 2)
        << " against stepping, " << QString::number(grid.Cpu / stepRead.Cpu, 'f', 2)
        << " against stepping and reading\n";
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

// One result page: SQLite alone on the statement the page runs, the data layer's load of it, the
// page filled and painted, and scrolling through it.
DataGrid* MeasureResultPage(sqlite3* engine, const char* what, const QString& run, int page, DataGrid* grid,
                            const std::function<void()>& fill) {
    int rows = 0;
    const Timing stepOnly = Time([&] { rows = StepAll(engine, run, false); });
    const Timing stepRead = Time([&] { StepAll(engine, run, true); });
    const Timing open = QueryOpenTime(run);
    FormMain->ShowPage(TFormMain::Page(page));
    const Timing ready = Time([&] {
        fill();
        grid->viewport()->grab();
    });
    Report(what, rows, stepOnly, stepRead, open, ready);
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

    sqlite3* engine = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &engine, SQLITE_OPEN_READONLY, nullptr);
    RegisterJetFunctions(engine);

    // Documents: every document with its received and open amounts, grouped, ordered by date.
    const QString bills = BillReportSelect() + QStringLiteral("(BillIndex > 1)");
    DataGrid* billGrid = MeasureResultPage(engine, "document query", BillReportRunText(bills, QString(), 0),
                                           TFormMain::PageBillReport, FormMain->DBGridEh2,
                                           [&] { FormMain->FillBillReport(bills); });
    out << "  footer: " << billGrid->FooterText(0) << ", " << billGrid->FooterText(4) << ", "
        << billGrid->FooterText(5) << ", " << billGrid->FooterText(6) << "\n";

    // Vouchers: every voucher joined with its account, ordered by date.
    const QString vouchers = MoneyReportSelect();
    MeasureResultPage(engine, "voucher query", MoneyReportRunText(vouchers, QString(), 0),
                      TFormMain::PageMoneyReport, FormMain->DBGridEh1,
                      [&] { FormMain->FillMoneyReport(vouchers); });

    sqlite3_close(engine);
    DestroyForms();
    return 0;
}
