// Times the customer monthly report on a large database: the report as the program runs it (list,
// grouped passes, the report pool written, the template laid out for the preview) against SQLite
// running the fastest single statement that yields the same five columns for every customer, and
// against the per-customer queries the report was first written with. The account report too.
// Times are the best of several runs after a warm-up, as CPU time of the program's thread and as
// wall-clock time (on a shared machine the best run is the one least disturbed by others).
//
// usage: kestrel_bench_monthly PATH-OF-A-LARGE-Kestrel.mdb   (kestrel_makebenchdb writes one)
#include "BenchMonthly.h"
#include "BenchTiming.h"
#include "app/Forms.h"
#include "foundation/JetSql.h"
#include "foundation/PublicFunction.h"
#include "foundation/Query.h"
#include "foundation/ShareDM.h"
#include "foundation/Startup.h"
#include "kit/Prompts.h"
#include "mainwindow/MainForm.h"
#include "reports/MonthlyFigures.h"
#include "reports/MonthlyReference.h"
#include "reports/ReportPool.h"
#include "reports/ReportQueries.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTextStream>
#include <algorithm>
#include <ctime>
#include <functional>
#include <sqlite3.h>
#include <vector>

namespace {

QTextStream out(stdout);

using BenchMonthly::WorkingDate;

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc != 2 || !QFileInfo(QString::fromLocal8Bit(argv[1])).isFile()) {
        out << "usage: kestrel_bench_monthly PATH-OF-A-LARGE-Kestrel.mdb (kestrel_makebenchdb writes one)\n";
        return 2;
    }
    const QString path = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath();
    // Messages are printed, not shown: a benchmark must not wait for a click.
    auto scripted = std::make_unique<ScriptedPrompts>();
    ScriptedPrompts& prompts = *scripted;
    Prompts::Install(std::move(scripted));
    SetProgramFolder(QCoreApplication::applicationDirPath());
    CreateForms();
    DbConnection& connection = ShareDataModule->ADOConnection1;
    connection.ConnectionString = BuildConnectionString(path, DatabasePassword);
    if (!connection.Open()) {
        out << "cannot open " << path << ": " << connection.LastError() << "\n";
        return 1;
    }
    // Not shown: showing runs the start-up sign-in. A manager sees every customer.
    CurrentRole = QStringLiteral("总经理");
    CurrentUser = QStringLiteral("总经理");
    FormMain->SetWorkingDate(WorkingDate);
    FormMain->ComboBox6->setCurrentIndex(0); // 按编号排
    FormMain->ComboBox7->setCurrentIndex(0); // 按升序排

    sqlite3* engine = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &engine, SQLITE_OPEN_READONLY, nullptr);
    RegisterJetFunctions(engine);

    // SQLite alone: the fastest of three single statements is the measure.
    int rows = 0;
    const Timing byIndex =
        Time([&] { rows = StepAll(engine, BenchMonthly::CustomerGrouped(WorkingDate, QString()), true); }, 5);
    const Timing inMemory = Time(
        [&] { StepAll(engine, BenchMonthly::CustomerGrouped(WorkingDate, QStringLiteral("+")), true); }, 5);
    const Timing correlated =
        Time([&] { StepAll(engine, BenchMonthly::CustomerCorrelated(WorkingDate), true); }, 3);
    Timing best = byIndex;
    for (const Timing& t : {inMemory, correlated}) {
        if (t.Cpu < best.Cpu)
            best = t;
    }
    out << "customer monthly report, " << rows << " customers, " << Monthly::MonthTitle(WorkingDate) << "\n";
    out << "  SQLite alone, grouped along the name indexes:  " << ShowTiming(byIndex) << "\n";
    out << "  SQLite alone, grouped in memory:               " << ShowTiming(inMemory) << "\n";
    out << "  SQLite alone, one statement of index look-ups: " << ShowTiming(correlated) << "\n";
    out.flush();

    // The report as the program runs it, up to the prepared pages the preview shows.
    const Timing report = Time([&] { FormMain->ActionCustomerReportExecute(); }, 5);
    for (const ScriptedPrompts::Message& message : prompts.Messages)
        out << "  message: " << message.Text << "\n";
    out.flush();
    out << "  the report, ready for the preview:            " << ShowTiming(report) << "  ("
        << FormMain->ADOQueryBig.RecordCount() << " lines)\n";
    out << "  ratio report / SQLite alone (cpu): " << QString::number(report.Cpu / best.Cpu, 'f', 2)
        << ", (wall): " << QString::number(report.Wall / best.Wall, 'f', 2) << "\n";
    out.flush();

    // The per-customer way: five queries per customer, then the same pool write.
    Query list(&connection);
    list.Open(Monthly::CustomerListSql(QString(), QString(), FormMain->CustomerOrderClause()));
    const std::vector<Monthly::Customer> customers = Monthly::ReadCustomers(list);
    std::vector<Monthly::CustomerMonth> slow;
    const Timing perCustomer = Time(
        [&] {
            slow = MonthlyReference::CustomerFigures(connection, customers, WorkingDate);
            Query lines(&connection);
            FillReportPool(connection, Monthly::CustomerReportLines(slow), Monthly::MonthTitle(WorkingDate),
                           Monthly::CustomerSubtitle, lines);
        },
        1);
    out << "  five queries per customer (the first way):    " << ShowTiming(perCustomer) << "\n";
    const bool same =
        Monthly::CustomerReportLines(slow) ==
        Monthly::CustomerReportLines(Monthly::CustomerMonthFigures(connection, customers, WorkingDate));
    out << "  both ways give the same lines: " << (same ? "yes" : "NO") << "\n";

    // The account report, both ways.
    const Timing accounts = Time([&] { FormMain->ActionAccountReportExecute(); }, 5);
    list.Open(Monthly::AccountListSql(QString()));
    const std::vector<Monthly::Account> accountList = Monthly::ReadAccounts(list);
    const Timing perAccount =
        Time([&] { MonthlyReference::AccountFigures(connection, accountList, WorkingDate); }, 3);
    out << "account monthly report, " << accountList.size() << " accounts\n";
    out << "  the report, ready for the preview:            " << ShowTiming(accounts) << "\n";
    out << "  three queries per account (figures only):     " << ShowTiming(perAccount) << "\n";
    out.flush();

    sqlite3_close(engine);
    DestroyForms();
    return same ? 0 : 1;
}
