// Times the document and the voucher query of the result grids on a large database against SQLite
// at its best for the same result, measured in the same run: every candidate statement that gives
// the same rows in the same order, each on a connection of its own with the engine's default
// settings, with a memory map and with a page cache the size of the file. The fastest is the bound.
// Also the repainting of the grid while it scrolls.
// Times are the best of five runs after a warm-up, as CPU time of the program's thread and as
// wall-clock time (on a shared machine the best run is the one least disturbed by others).
//
// usage: kestrel_bench_queries PATH-OF-A-LARGE-Kestrel.mdb   (kestrel_makebenchdb writes one)
#include "BenchDocuments.h"
#include "BenchProgram.h"
#include "BenchSqlite.h"
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
    out << "  Query::Open of the program's text, opened again: " << ShowTiming(open) << "\n";
    out << "  the same in a new query, closed afterwards:     " << ShowTiming(first) << "\n";
    out << "  ready in the grid (query, footer, first paint): " << ShowTiming(grid) << "\n";
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
    const Bound bound = BestOfSqlite(path, candidates, out);
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
    if (!StartProgramOn(path, out))
        return 1;

    // Documents: every document with its received and open amounts, ordered by date.
    const QString bills = AllDocumentsBase();
    const QString billColumns = QStringLiteral("BillMan,BillReason,BillState,BillRemark");
    const QString billHead =
        QStringLiteral("Select BillIndex,BillCreateTime,BillSerial,BillKind,BillUser,BillSum,");
    const QString byDate = QStringLiteral(" Order By BillCreateTime,BillIndex");
    const std::vector<Candidate> billCandidates = DocumentCandidates();
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
            << ShowTiming(floor) << "\n";
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
