// Times the program with its books on a PostgreSQL server next to the same books in the SQLite
// file, in one run: the card pages of the main window as of a working date, and the document query
// of the result grid (every document, ready in the grid) against each engine at its best for the
// same rows, measured in the same run. The figures are the best of several runs after a warm-up,
// as CPU time and as wall-clock time; on the server the CPU time is that of the program's thread
// and of the server process serving it, both on this machine.
//
// usage: kestrel_bench_server PATH-OF-A-LARGE-Kestrel.mdb CONNECTION-STRING
//   the server's database holds a copy of the file: kestrel_copybooks FILE postgresql:CONNECTION-STRING
#include "BenchDocuments.h"
#include "BenchProgram.h"
#include "BenchServer.h"
#include "BenchSqlite.h"
#include "BenchTiming.h"
#include "app/Forms.h"
#include "foundation/BookCopy.h"
#include "foundation/Connection.h"
#include "foundation/PgDialect.h"
#include "foundation/PublicFunction.h"
#include "foundation/ShareDM.h"
#include "kit/DataGrid.h"
#include "kit/Prompts.h"
#include "mainwindow/MainForm.h"
#include "mainwindow/RoleViews.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>
#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace {

QTextStream out(stdout);

constexpr int Repeats = 7;
constexpr double PageLimitMs = 50;
constexpr double RefreshLimitMs = 4 * PageLimitMs;
constexpr double GridLimitRatio = 1.5;

QString LoadAverage() {
    QFile file(QStringLiteral("/proc/loadavg"));
    return file.open(QIODevice::ReadOnly)
               ? QString::fromLatin1(file.readLine()).section(QLatin1Char(' '), 0, 2)
               : QStringLiteral("unknown");
}

// The books on the server must be those of the file: the same rows and sums in every table.
bool SameBooks(const QString& path, const QString& server) {
    DbConnection file;
    file.ConnectionString = BuildConnectionString(path, DatabasePassword);
    DbConnection onServer;
    onServer.Server = server;
    if (!file.Open() || !onServer.Open()) {
        out << "cannot open the books: " << file.LastError() << onServer.LastError() << "\n";
        return false;
    }
    const QStringList differences =
        BookCopy::Differences(BookCopy::Figures(file), BookCopy::Figures(onServer));
    for (const QString& difference : differences)
        out << "the server's books differ from the file: " << difference << "\n";
    file.Close();
    onServer.Close();
    return differences.isEmpty();
}

// A server that has just received the books, as its autovacuum leaves it shortly after: statistics
// for the planner, the visibility map set. Then the settings that matter here.
bool PrepareServer(const QString& server) {
    PGconn* admin = ConnectServer(server, out);
    if (!admin)
        return false;
    const bool ready = Exec(admin, QStringLiteral("VACUUM ANALYZE"), out);
    out << "server " << PQparameterStatus(admin, "server_version") << ":";
    for (const char* name : {"shared_buffers", "work_mem", "effective_cache_size", "random_page_cost", "jit",
                             "max_parallel_workers_per_gather", "fsync", "synchronous_commit"}) {
        PGresult* result = PQexec(admin, QByteArray("SHOW ").append(name).constData());
        if (PQresultStatus(result) == PGRES_TUPLES_OK)
            out << " " << name << "=" << PQgetvalue(result, 0, 0);
        PQclear(result);
    }
    out << "\n";
    if (ServerCpuMs(ServerMainProcess(PQbackendPID(admin))) < 0) {
        out << "the server's processes cannot be read here: their CPU time would be missing\n";
        PQfinish(admin);
        return false;
    }
    PQfinish(admin);
    return ready;
}

// As the sign-in sets them: the role and the filters of its view.
void SignIn(const QString& role, const QString& user) {
    CurrentRole = role;
    CurrentUser = user;
    const RoleFilters filters = RoleViewFor(role, user, QString()).Filters;
    CustomerFilter = filters.Customer;
    AccountFilter = filters.Account;
    BillFilter = filters.Bill;
    MoneyFilter = filters.Money;
}

// The day's documents and vouchers in record order (a fresh installation's preferences), or the
// month's by customer name, customers by name.
void ChooseView(bool month) {
    const int index = month ? 1 : 0;
    FormMain->ComboBox3->setCurrentIndex(index);
    FormMain->ComboBox4->setCurrentIndex(index);
    FormMain->ComboBox8->setCurrentIndex(month ? 2 : 0);
    FormMain->ComboBox11->setCurrentIndex(month ? 2 : 0);
    FormMain->ComboBox6->setCurrentIndex(index);
}

void ChoosePages(int customer, int bill, int money, int account) {
    FormMain->CustomerPage = customer;
    FormMain->BillPage = bill;
    FormMain->MoneyPage = money;
    FormMain->AccountPage = account;
}

struct CardScenario {
    const char* what;
    std::function<void()> setUp;
};

const std::vector<CardScenario>& CardScenarios() {
    static const std::vector<CardScenario> scenarios = {
        {"总经理, the day's, record order, page 1",
         [] {
             SignIn(QStringLiteral("总经理"), QStringLiteral("总经理"));
             ChooseView(false);
             ChoosePages(0, 0, 0, 0);
         }},
        {"总经理, the month's by customer name, page 1",
         [] {
             SignIn(QStringLiteral("总经理"), QStringLiteral("总经理"));
             ChooseView(true);
             ChoosePages(0, 0, 0, 0);
         }},
        {"总经理, the month's, deep pages",
         [] {
             SignIn(QStringLiteral("总经理"), QStringLiteral("总经理"));
             ChooseView(true);
             ChoosePages(600, 300, 500, 1);
         }},
        {"业务员03, the month's, page 1",
         [] {
             SignIn(QStringLiteral("业务员"), QStringLiteral("业务员03"));
             ChooseView(true);
             ChoosePages(0, 0, 0, 0);
         }},
    };
    return scenarios;
}

struct CardPage {
    const char* what;
    void (TFormMain::*show)();
    double limit;
};

const CardPage CardPages[] = {
    {"ShowCustomerCards", &TFormMain::ShowCustomerCards, PageLimitMs},
    {"ShowBillCards", &TFormMain::ShowBillCards, PageLimitMs},
    {"ShowMoneyCards", &TFormMain::ShowMoneyCards, PageLimitMs},
    {"ShowAccountCards", &TFormMain::ShowAccountCards, PageLimitMs},
    {"RefreshAll", &TFormMain::RefreshAll, RefreshLimitMs},
};

// Figures by line of the summary, one per engine: ms, or a ratio to the bound; -1 for rows that
// differ from the bound's.
struct Figures {
    double sqlite = 0;
    double server = 0;
    bool ratio = false;
    double limit = 0; // none when 0
};
std::map<QString, Figures> summary;
std::vector<QString> summaryOrder;

Figures& SummaryLine(const QString& what) {
    if (!summary.count(what))
        summaryOrder.push_back(what);
    return summary[what];
}

QString LabelText(const char* name) {
    auto* label = FormMain->findChild<QWidget*>(QLatin1String(name));
    return label ? label->property("text").toString() : QString();
}

void TimeCardPages(bool onServer, const std::function<double()>& clock) {
    for (const CardScenario& scenario : CardScenarios()) {
        scenario.setUp();
        FormMain->RefreshAll();
        out << "  " << scenario.what << ": " << LabelText("CustomerSum") << " / " << LabelText("BillSum")
            << " / " << LabelText("MoneySum") << " / " << LabelText("AccountSum") << "\n";
        for (const CardPage& page : CardPages) {
            const Timing timing = Time([&] { (FormMain->*page.show)(); }, Repeats, clock);
            out << QStringLiteral("    %1 %2\n").arg(QLatin1String(page.what), -20).arg(ShowTiming(timing));
            out.flush();
            Figures& line = SummaryLine(
                QStringLiteral("%1: %2").arg(QString::fromUtf8(scenario.what), QLatin1String(page.what)));
            (onServer ? line.server : line.sqlite) = timing.Cpu;
            line.limit = page.limit;
        }
    }
    SignIn(QStringLiteral("总经理"), QStringLiteral("总经理"));
    ChooseView(false);
    ChoosePages(0, 0, 0, 0);
}

// The document query ready in the grid: filled (query, footer) and painted. Compared with its
// rows: false when they are not the bound's.
Timing TimeDocumentGrid(const std::function<double()>& clock, quint64 boundDigest) {
    FormMain->ShowPage(TFormMain::PageBillReport);
    DataGrid* grid = FormMain->DBGridEh2;
    const QString base = AllDocumentsBase();
    const Timing ready = Time(
        [&] {
            FormMain->FillBillReport(base);
            grid->viewport()->grab();
        },
        Repeats, clock);
    const bool same = DigestOf(*grid->BoundQuery()) == boundDigest;
    out << "  ready in the grid (query, footer, first paint), " << grid->model()->rowCount()
        << " rows: " << ShowTiming(ready) << "\n";
    out << "  the rows in the grid equal the bound's: " << (same ? "yes" : "NO, they differ") << "\n";
    return same ? ready : Timing{-1, -1};
}

// The same rows as the program's statement, in the server's own dialect.
std::vector<Candidate> ServerDocumentCandidates() {
    // The program's own statements that the server understands (the others are SQLite's forms).
    std::vector<Candidate> candidates;
    for (const Candidate& candidate : DocumentCandidates())
        if (!candidate.sql.contains(QLatin1String("Limit -1")) &&
            !candidate.sql.contains(QLatin1String(") On ")))
            candidates.push_back({candidate.what, ToPostgresSql(candidate.sql)});
    const QString head = QStringLiteral(
        "SELECT b.billindex, b.billcreatetime, b.billserial, b.billkind, b.billuser, b.billsum, ");
    const QString tail = QStringLiteral(", b.billman, b.billreason, b.billstate, b.billremark ");
    const QString got = QStringLiteral("COALESCE(round(sum(m.moneysum) * 100) / 100, 0)");
    const QString order = QStringLiteral(" ORDER BY b.billcreatetime, b.billindex");
    candidates.push_back(
        {"grouped by the document's key (the bare grouped query)",
         head + got + QStringLiteral(" AS billget, b.billsum - ") + got + QStringLiteral(" AS billowe") +
             tail +
             QStringLiteral("FROM bill b LEFT JOIN moneytable m ON m.moneybill = b.billindex "
                            "WHERE b.billindex > 1 GROUP BY b.billindex") +
             order});
    candidates.push_back(
        {"vouchers totalled first, joined to the documents",
         head + QStringLiteral("COALESCE(g.got, 0) AS billget, b.billsum - COALESCE(g.got, 0) AS billowe") +
             tail +
             QStringLiteral(
                 "FROM bill b LEFT JOIN (SELECT moneybill, round(sum(moneysum) * 100) / 100 AS got "
                 "FROM moneytable GROUP BY moneybill) g ON g.moneybill = b.billindex "
                 "WHERE b.billindex > 1") +
             order});
    candidates.push_back(
        {"a lateral total per document",
         head + QStringLiteral("g.got AS billget, b.billsum - g.got AS billowe") + tail +
             QStringLiteral(
                 "FROM bill b CROSS JOIN LATERAL (SELECT COALESCE(round(sum(moneysum) * 100) / 100, "
                 "0) AS got FROM moneytable WHERE moneybill = b.billindex) g WHERE b.billindex > 1") +
             order});
    return candidates;
}

const char* EngineName(bool onServer) {
    return onServer ? "the books on the server" : "the books in the SQLite file";
}

// The program works on the file or on the server from now; *clock counts the CPU time of the work.
bool UseBooks(bool onServer, const QString& path, const QString& server, std::function<double()>* clock) {
    if (!OpenBooks(path, onServer ? server : QString(), out))
        return false;
    *clock = onServer ? ClientAndServerCpu(PQbackendPID(ShareDataModule->ADOConnection1.ServerHandle()))
                      : std::function<double()>(ThreadCpuMs);
    return true;
}

std::vector<ServerSetting> ServerSettings() {
    return {{"the server's settings", {}},
            {"without JIT compilation", {QStringLiteral("SET jit = off")}},
            {"without JIT, 256 MB to sort in",
             {QStringLiteral("SET jit = off"), QStringLiteral("SET work_mem = '256MB'")}},
            {"without JIT and parallel workers",
             {QStringLiteral("SET jit = off"), QStringLiteral("SET max_parallel_workers_per_gather = 0")}}};
}

std::vector<ExtraIndex> ServerIndexes() {
    return {{"the schema's indexes", QString(), QString()},
            {"and an index in the order of the result",
             QStringLiteral("CREATE INDEX kestrel_bench_order ON bill (billcreatetime, billindex)"),
             QStringLiteral("DROP INDEX kestrel_bench_order")}};
}

void PrintSummary() {
    out << "\nsummary (CPU time, best of " << Repeats << "; the limits hold for it):\n";
    out << QStringLiteral("  %1 %2 %3  %4\n")
               .arg(QStringLiteral("what"), -64)
               .arg(QStringLiteral("SQLite"), 9)
               .arg(QStringLiteral("server"), 9)
               .arg(QStringLiteral("limit"));
    for (const QString& what : summaryOrder) {
        const Figures& line = summary[what];
        auto figure = [&](double value) {
            return value < 0 ? QStringLiteral("differs") : QString::number(value, 'f', line.ratio ? 2 : 1);
        };
        auto over = [&](double value) { return line.limit > 0 && (value < 0 || value >= line.limit); };
        QString limit;
        if (line.limit > 0)
            limit =
                line.ratio ? QStringLiteral("%1x").arg(line.limit) : QStringLiteral("%1 ms").arg(line.limit);
        out << QStringLiteral("  %1 %2 %3  %4%5\n")
                   .arg(what, -64)
                   .arg(figure(line.sqlite), 9)
                   .arg(figure(line.server), 9)
                   .arg(limit)
                   .arg(over(line.sqlite) || over(line.server) ? QStringLiteral("  OVER") : QString());
    }
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 3 || !QFileInfo(QString::fromLocal8Bit(argv[1])).isFile()) {
        out << "usage: kestrel_bench_server PATH-OF-A-LARGE-Kestrel.mdb CONNECTION-STRING\n"
               "  the server's database holds a copy of the file (kestrel_copybooks FILE "
               "postgresql:CONNECTION-STRING)\n";
        return 2;
    }
    const QString path = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath();
    const QString server = QString::fromLocal8Bit(argv[2]);
    out << "load average at the start: " << LoadAverage() << "\n";
    if (!SameBooks(path, server) || !PrepareServer(server))
        return 1;
    if (!StartProgramOn(path, out))
        return 1;
    auto scripted = std::make_unique<ScriptedPrompts>();
    ScriptedPrompts* prompts = scripted.get();
    auto previous = Prompts::Install(std::move(scripted));
    FormMain->ReadViewPreferences();
    FormMain->SetWorkingDate(QDate(2024, 6, 15));

    // The card pages on both engines first, while the result grids are empty (RefreshAll also runs
    // again the result grids' last queries), then the document query on both.
    std::function<double()> clock;
    for (const bool onServer : {false, true}) {
        if (!UseBooks(onServer, path, server, &clock))
            return 1;
        out << "\ncard pages, " << EngineName(onServer) << ", working date 2024-06-15:\n";
        TimeCardPages(onServer, clock);
    }
    for (const bool onServer : {false, true}) {
        if (!UseBooks(onServer, path, server, &clock))
            return 1;
        out << "\ndocument query, " << EngineName(onServer) << ":\n";
        double boundCpu = 0;
        quint64 digest = 0;
        if (onServer) {
            const ServerBound bound =
                BestOfServer(server, ServerDocumentCandidates(), ServerSettings(), ServerIndexes(), out);
            out << "  the bound: " << bound.what << ": " << ShowTiming(bound.fetch) << "\n";
            boundCpu = bound.fetch.Cpu;
            digest = bound.digest;
        } else {
            const Bound bound = BestOfSqlite(path, DocumentCandidates(), out);
            out << "  the bound: " << bound.what << ": " << ShowTiming(bound.stepRead) << "\n";
            boundCpu = bound.stepRead.Cpu;
            digest = bound.digest;
        }
        const Timing grid = TimeDocumentGrid(clock, digest);
        Figures& ratio = SummaryLine(QStringLiteral("document query ready in the grid, ratio to the bound"));
        (onServer ? ratio.server : ratio.sqlite) = grid.Cpu < 0 ? -1 : grid.Cpu / boundCpu;
        ratio.ratio = true;
        ratio.limit = GridLimitRatio;
        Figures& time = SummaryLine(QStringLiteral("document query ready in the grid"));
        (onServer ? time.server : time.sqlite) = grid.Cpu;
        Figures& bare = SummaryLine(QStringLiteral("document query, the engine at its best"));
        (onServer ? bare.server : bare.sqlite) = boundCpu;
    }
    PrintSummary();
    out << "load average at the end: " << LoadAverage() << "\n";
    out << "messages shown: " << prompts->Messages.size() << "\n";
    for (const QString& text : prompts->Texts())
        out << "  " << text << "\n";
    out.flush();
    DestroyForms();
    Prompts::Install(std::move(previous));
    return 0;
}
