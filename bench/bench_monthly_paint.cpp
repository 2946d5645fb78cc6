// Times the monthly reports as the user waits for them: from the click on 客户报表 (帐户报表) to the
// first page of the preview painted, with the program started as it starts (its folder holding the
// books or naming the server, the main window shown, signed in as 总经理), against the engine at its
// best for the same figures: the fastest single statement giving every customer's (account's) five
// figures, measured in the same run. Each engine's program runs in a process of its own, started
// as the program starts. Times are the best of several clicks after a warm-up, as CPU time (the
// program's process, and with the books on a server of this machine the server's processes too)
// and as wall-clock time.
//
// usage: kestrel_bench_monthly_paint PATH-OF-A-LARGE-Kestrel.mdb [CONNECTION-STRING]
//   kestrel_makebenchdb writes the file; the server's database holds a copy of it
//   (kestrel_copybooks FILE postgresql:CONNECTION-STRING)
#include "BenchMonthly.h"
#include "BenchServer.h"
#include "BenchSqlite.h"
#include "BenchTiming.h"
#include "app/Forms.h"
#include "foundation/IniFile.h"
#include "foundation/PublicFunction.h"
#include "foundation/ShareDM.h"
#include "foundation/Startup.h"
#include "kit/ErrorHandler.h"
#include "kit/Prompts.h"
#include "kit/report/ReportEngine.h"
#include "kit/report/ReportPreview.h"
#include "mainwindow/MainForm.h"
#include "signin/LoginForm.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <ctime>
#include <functional>
#include <libpq-fe.h>
#include <map>
#include <vector>

namespace {

QTextStream out(stdout);

constexpr int Clicks = 5; // after one warm-up

QString LoadAverage() {
    QFile file(QStringLiteral("/proc/loadavg"));
    return file.open(QIODevice::ReadOnly)
               ? QString::fromLatin1(file.readLine()).section(QLatin1Char(' '), 0, 2)
               : QStringLiteral("unknown");
}

double ProcessCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// ---- The program, in a process of its own

// The program's own application, telling when a page of a report preview has been painted.
class PaintClock : public KestrelApplication {
public:
    using KestrelApplication::KestrelApplication;
    std::function<void(QWidget* pages)> PreviewPainted;

    bool notify(QObject* receiver, QEvent* event) override {
        const bool paint = event->type() == QEvent::Paint;
        const bool result = KestrelApplication::notify(receiver, event);
        if (paint && PreviewPainted) {
            auto* widget = qobject_cast<QWidget*>(receiver);
            if (widget && qobject_cast<PreviewPages*>(widget->parentWidget()))
                PreviewPainted(widget->parentWidget());
        }
        return result;
    }
};

// The windows as the user sees them; the sign-in answered as 总经理 with his password, messages
// printed rather than waiting for a click.
class BenchPrompts : public QtPrompts {
public:
    void Information(const QString& text, const QString&) override { out << "message " << text << "\n"; }
    void Error(const QString& text, const QString&) override { out << "message " << text << "\n"; }
    bool Question(const QString& text, const QString&) override {
        out << "message " << text << "\n";
        return false;
    }
    int ShowModal(QDialog* dialog) override {
        if (dialog != FormLogin)
            return QtPrompts::ShowModal(dialog);
        // What the sign-in leaves when 总经理 gives his password.
        CurrentRole = QStringLiteral("总经理");
        CurrentUser = QStringLiteral("总经理");
        dialog->setResult(QDialog::Accepted);
        return QDialog::Accepted;
    }
};

// The texts of every page of a prepared report, in a digest: the same digest, the same report.
quint64 PagesDigest(const PreparedReport& report) {
    Digest digest;
    for (int page = 0; page < report.PageCount(); ++page) {
        report.ForEachItem(page, [&](const ReportItem&, const QRectF& place, const QString& text) {
            const QByteArray bytes = text.toUtf8();
            digest.Text(bytes.constData(), bytes.size());
            digest.Number(place.top());
            digest.Number(place.left());
        });
    }
    return digest.hash;
}

// One click on an action: the time to the first paint of the preview's pages, which is then closed.
void Click(PaintClock& app, const char* what, QAction* action, const std::function<double()>& cpuMs) {
    bool painted = false;
    double cpu = -1, wall = -1;
    int pages = 0;
    quint64 digest = 0;
    QElapsedTimer timer;
    const double cpuStart = cpuMs();
    timer.start();
    app.PreviewPainted = [&](QWidget* pagesWidget) {
        if (painted)
            return;
        painted = true;
        wall = timer.nsecsElapsed() / 1e6;
        cpu = cpuMs() - cpuStart;
        auto* preview = qobject_cast<ReportPreview*>(pagesWidget->window());
        if (!preview)
            return;
        pages = preview->Prepared()->PageCount();
        digest = PagesDigest(*preview->Prepared());
        QTimer::singleShot(0, preview, &QDialog::reject);
    };
    action->trigger();
    app.PreviewPainted = {};
    out << "click " << what << " " << cpu << " " << wall << " " << pages << " "
        << FormMain->ADOQueryBig.RecordCount() << " " << digest << "\n";
    out.flush();
}

int RunAsProgram(int argc, char* argv[], const QString& folder) {
    PaintClock app(argc, argv);
    QFont font; // as the program sets it
    font.setFamilies(
        {QStringLiteral("SimSun"), QStringLiteral("NSimSun"), QStringLiteral("WenQuanYi Micro Hei")});
    font.setPointSize(9);
    QApplication::setFont(font);
    SetProgramFolder(folder);
    Prompts::Install(std::make_unique<BenchPrompts>());
    CreateForms();
    FormMain->show();
    // After the start-up the window's first show runs (books opened, signed in).
    QTimer::singleShot(0, &app, [&] {
        if (CurrentRole.isEmpty() || !ShareDataModule->ADOConnection1.Connected()) {
            out << "message not signed in\n";
            QApplication::exit(1);
            return;
        }
        FormMain->SetWorkingDate(BenchMonthly::WorkingDate);
        FormMain->ComboBox6->setCurrentIndex(0); // 按编号排
        FormMain->ComboBox7->setCurrentIndex(0); // 按升序排
        DbConnection& connection = ShareDataModule->ADOConnection1;
        std::function<double()> cpuMs = ProcessCpuMs;
        if (connection.CurrentEngine() == Engine::PostgreSql) {
            const int serverPid = ServerMainProcess(PQbackendPID(connection.ServerHandle()));
            cpuMs = [serverPid] { return ProcessCpuMs() + ServerCpuMs(serverPid); };
        }
        for (int i = 0; i <= Clicks; ++i)
            Click(app, "customers", FormMain->ActionCustomerReport, cpuMs);
        for (int i = 0; i <= Clicks; ++i)
            Click(app, "accounts", FormMain->ActionAccountReport, cpuMs);
        QApplication::exit(0);
    });
    const int result = app.exec();
    DestroyForms();
    return result;
}

// ---- The measuring process

// The figures of a result in a digest, rounded to a millionth: the amounts have four decimals, so
// statements summing them in another order (or in parallel, on a server) give the same figures.
struct Figures {
    Digest digest;
    void Number(double value) { digest.Number(std::round(value * 1e6) / 1e6); }
};

quint64 SqliteFigures(const QString& path, const QString& jetSql) {
    sqlite3* engine = OpenEngine(path, Setting{"default settings", {}});
    sqlite3_stmt* statement = nullptr;
    Figures figures;
    if (sqlite3_prepare_v2(engine, ToEngineSql(jetSql).toUtf8().constData(), -1, &statement, nullptr) ==
        SQLITE_OK) {
        while (sqlite3_step(statement) == SQLITE_ROW) {
            for (int c = 0; c < sqlite3_column_count(statement); ++c) {
                if (sqlite3_column_type(statement, c) == SQLITE_TEXT)
                    figures.digest.Text(sqlite3_column_text(statement, c),
                                        sqlite3_column_bytes(statement, c));
                else
                    figures.Number(sqlite3_column_double(statement, c));
            }
        }
    }
    sqlite3_finalize(statement);
    sqlite3_close(engine);
    return figures.digest.hash;
}

quint64 ServerFigures(PGconn* connection, const QString& sql) {
    PGresult* result = PQexec(connection, sql.toUtf8().constData());
    Figures figures;
    if (PQresultStatus(result) == PGRES_TUPLES_OK) {
        for (int r = 0; r < PQntuples(result); ++r) {
            for (int c = 0; c < PQnfields(result); ++c) {
                if (PQgetisnull(result, r, c))
                    figures.Number(0);
                else if (IsNumberType(PQftype(result, c)))
                    figures.Number(std::strtod(PQgetvalue(result, r, c), nullptr));
                else
                    figures.digest.Text(PQgetvalue(result, r, c), PQgetlength(result, r, c));
            }
        }
    } else {
        out << "    " << QString::fromUtf8(PQresultErrorMessage(result)).trimmed() << "\n";
    }
    PQclear(result);
    return figures.digest.hash;
}

struct BoundFound {
    Timing time{1e12, 1e12};
    QString what;
};

// SQLite at its best: every candidate giving the figures of the first, each under every setting.
BoundFound SqliteAtItsBest(const QString& path, const std::vector<Candidate>& candidates) {
    BoundFound best;
    const quint64 expected = SqliteFigures(path, candidates[0].sql);
    for (const Candidate& candidate : candidates) {
        if (SqliteFigures(path, candidate.sql) != expected) {
            out << "    " << candidate.what << ": other figures, not counted\n";
            continue;
        }
        const Bound bound = BestOfSqlite(path, {candidate}, out);
        if (bound.stepRead.Cpu < best.time.Cpu) {
            best.time = bound.stepRead;
            best.what = bound.what + QStringLiteral(" (") + bound.setting.pragmas.join(QStringLiteral("; ")) +
                        QStringLiteral("):\n    ") + ToEngineSql(bound.sql);
        }
    }
    return best;
}

// The server at its best: every candidate giving the figures of the first, under every setting,
// libpq receiving the whole result and reading every value.
BoundFound ServerAtItsBest(const QString& server, const std::vector<Candidate>& candidates) {
    const std::vector<ServerSetting> settings = {
        {"the server's settings", {}},
        {"without JIT compilation", {QStringLiteral("SET jit = off")}},
        {"without JIT, 256 MB to sort and hash in",
         {QStringLiteral("SET jit = off"), QStringLiteral("SET work_mem = '256MB'")}},
        {"without JIT and parallel workers",
         {QStringLiteral("SET jit = off"), QStringLiteral("SET max_parallel_workers_per_gather = 0")}}};
    const ServerBound bound = BestOfServer(server, candidates, settings,
                                           {{"no index added", QString(), QString()}}, out, ServerFigures);
    BoundFound best;
    if (bound.digest != 0) {
        best.time = bound.fetch;
        best.what = bound.what + QStringLiteral(":\n    ") + bound.sql;
    }
    return best;
}

void CopyFolder(const QString& from, const QString& to) {
    QDir().mkpath(to);
    const QDir source(from);
    for (const QString& file : source.entryList(QDir::Files))
        QFile::copy(source.filePath(file), to + QLatin1Char('/') + file);
}

// A program folder as an installation leaves it, with the books file or an INI naming the server.
bool MakeProgramFolder(const QString& folder, const QString& path, const QString& server) {
    const QString programFolder = QCoreApplication::applicationDirPath();
    for (const char* sub : {"Res", "Faces", "Frf"})
        CopyFolder(programFolder + QLatin1Char('/') + QLatin1String(sub),
                   folder + QLatin1Char('/') + QLatin1String(sub));
    if (server.isEmpty())
        return QFile::copy(path, folder + QStringLiteral("/Kestrel.mdb"));
    return WriteIniString(QStringLiteral("Kestrel"), ServerIniKey(), server,
                          folder + QStringLiteral("/Kestrel.ini"));
}

struct Clicked {
    Timing best{1e12, 1e12};
    int pages = 0;
    int lines = 0;
    QString digest;
    bool painted = false;
};

// The program started in folder, clicking each report several times.
std::map<QString, Clicked> RunProgram(const QString& folder) {
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--program"), folder});
    std::map<QString, Clicked> clicked;
    std::map<QString, int> seen;
    while (process.waitForReadyRead(600000)) {
        while (process.canReadLine()) {
            const QString line = QString::fromUtf8(process.readLine()).trimmed();
            const QStringList parts = line.split(QLatin1Char(' '));
            if (parts.value(0) != QLatin1String("click") || parts.size() < 7) {
                out << "  " << line << "\n";
                continue;
            }
            if (seen[parts[1]]++ == 0)
                continue; // the warm-up
            Clicked& c = clicked[parts[1]];
            const double cpu = parts[2].toDouble();
            const double wall = parts[3].toDouble();
            if (cpu < 0) {
                out << "  " << parts[1] << ": no preview painted\n";
                continue;
            }
            c.painted = true;
            c.best.Cpu = std::min(c.best.Cpu, cpu);
            c.best.Wall = std::min(c.best.Wall, wall);
            c.pages = parts[4].toInt();
            c.lines = parts[5].toInt();
            if (!c.digest.isEmpty() && c.digest != parts[6])
                out << "  " << parts[1] << ": the pages differ from one click to the next\n";
            c.digest = parts[6];
        }
    }
    process.waitForFinished(60000);
    return clicked;
}

// The limit: 1.5 times the bound, or 100 ms above it where the bound is under 200 ms.
double Limit(double bound) {
    return bound < 200 ? std::max(1.5 * bound, bound + 100) : 1.5 * bound;
}

struct Row {
    QString report, engine, bound;
    Timing boundTime, click;
    int pages = 0, lines = 0;
    QString digest;
};

void PrintTable(const std::vector<Row>& rows) {
    out << "\nclick to the first page of the preview painted, against the bound (best of " << Clicks
        << "; CPU time decides):\n";
    out << QStringLiteral("  %1 %2 %3 %4 %5 %6 %7 %8  %9\n")
               .arg(QStringLiteral("report"), -10)
               .arg(QStringLiteral("engine"), -11)
               .arg(QStringLiteral("bound cpu"), 10)
               .arg(QStringLiteral("wall"), 7)
               .arg(QStringLiteral("click cpu"), 10)
               .arg(QStringLiteral("wall"), 7)
               .arg(QStringLiteral("ratio cpu"), 10)
               .arg(QStringLiteral("wall"), 7)
               .arg(QStringLiteral("limit (cpu ms)"));
    for (const Row& r : rows) {
        const bool met = r.click.Cpu >= 0 && r.click.Cpu <= Limit(r.boundTime.Cpu);
        out << QStringLiteral("  %1 %2 %3 %4 %5 %6 %7 %8  %9 %10\n")
                   .arg(r.report, -10)
                   .arg(r.engine, -11)
                   .arg(r.boundTime.Cpu, 10, 'f', 0)
                   .arg(r.boundTime.Wall, 7, 'f', 0)
                   .arg(r.click.Cpu, 10, 'f', 0)
                   .arg(r.click.Wall, 7, 'f', 0)
                   .arg(r.click.Cpu / r.boundTime.Cpu, 10, 'f', 2)
                   .arg(r.click.Wall / r.boundTime.Wall, 7, 'f', 2)
                   .arg(Limit(r.boundTime.Cpu), 0, 'f', 0)
                   .arg(met ? QStringLiteral("met") : QStringLiteral("NOT MET"));
    }
    out << "  pages / lines / digest of every page's texts:\n";
    for (const Row& r : rows)
        out << "    " << r.report << ", " << r.engine << ": " << r.pages << " pages, " << r.lines
            << " lines, " << r.digest << "\n";
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc == 3 && QByteArray(argv[1]) == "--program")
        return RunAsProgram(argc, argv, QString::fromLocal8Bit(argv[2]));
    QCoreApplication app(argc, argv);
    if (argc < 2 || argc > 3 || !QFileInfo(QString::fromLocal8Bit(argv[1])).isFile()) {
        out << "usage: kestrel_bench_monthly_paint PATH-OF-A-LARGE-Kestrel.mdb [CONNECTION-STRING]\n"
               "  the server's database holds a copy of the file (kestrel_copybooks FILE "
               "postgresql:CONNECTION-STRING)\n";
        return 2;
    }
    const QString path = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath();
    const QString server = argc == 3 ? QString::fromLocal8Bit(argv[2]) : QString();
    out << "load average at the start: " << LoadAverage() << "\n";
    out << "working date " << BenchMonthly::WorkingDate.toString(Qt::ISODate) << "\n";

    std::vector<Row> rows;
    for (const bool onServer : {false, true}) {
        if (onServer && server.isEmpty())
            continue;
        const QString engine = onServer ? QStringLiteral("PostgreSQL") : QStringLiteral("SQLite");
        std::map<QString, Row> byReport;
        const std::pair<QString, std::vector<Candidate>> reports[] = {
            {QStringLiteral("customers"), BenchMonthly::SqliteCustomerCandidates()},
            {QStringLiteral("accounts"), BenchMonthly::SqliteAccountCandidates()}};
        for (const auto& [report, candidates] : reports) {
            out << "\n" << report << ", " << engine << ", the bound:\n";
            Row& row = byReport[report];
            row.report = report;
            row.engine = engine;
            const BoundFound bound = onServer
                                         ? ServerAtItsBest(server, BenchMonthly::ServerCandidates(candidates))
                                         : SqliteAtItsBest(path, candidates);
            row.boundTime = bound.time;
            row.bound = bound.what;
            out << "  the bound: " << row.bound << "\n  " << ShowTiming(row.boundTime) << "\n";
            out.flush();
        }
        out << "\nthe program on " << engine << ", click to the first page painted:\n";
        QTemporaryDir folder;
        if (!MakeProgramFolder(folder.path(), path, onServer ? server : QString())) {
            out << "cannot make the program's folder in " << folder.path() << "\n";
            return 1;
        }
        const std::map<QString, Clicked> clicked = RunProgram(folder.path());
        for (auto& [report, row] : byReport) {
            const auto c = clicked.find(report);
            if (c == clicked.end() || !c->second.painted) {
                row.click = {-1, -1};
            } else {
                row.click = c->second.best;
                row.pages = c->second.pages;
                row.lines = c->second.lines;
                row.digest = c->second.digest;
            }
            out << "  " << report << ": " << ShowTiming(row.click) << "\n";
        }
        rows.push_back(byReport[QStringLiteral("customers")]);
        rows.push_back(byReport[QStringLiteral("accounts")]);
    }
    PrintTable(rows);
    out << "load average at the end: " << LoadAverage() << "\n";
    return 0;
}
