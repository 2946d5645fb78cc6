// Times the card pages on a large database written by kestrel_makebenchdb: each Show...Cards and
// RefreshAll (median of several runs) for a manager and a salesman, on the first and on deep
// pages, with the day's and the month's documents, and the customer list queries against one
// indexed pass over Customer. Wall-clock and CPU time are shown; the limits are checked against
// the CPU time, as the wall-clock time on a shared machine mostly tells how busy the others are.
#include "app/Forms.h"
#include "customers/CustomerForm3.h"
#include "foundation/Query.h"
#include "foundation/ShareDM.h"
#include "foundation/Startup.h"
#include "kit/Prompts.h"
#include "mainwindow/CardQueries.h"
#include "mainwindow/MainForm.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <ctime>
#include <functional>
#include <memory>
#include <vector>

namespace {

constexpr int Runs = 11;

QTextStream& Out() {
    static QTextStream out(stdout);
    return out;
}

double ThreadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

struct Times {
    double Wall = 0; // ms
    double Cpu = 0;  // ms of the thread's CPU time: what the work costs on a machine shared with others
};

// Medians of the runs, after one warm-up run.
Times Median(const std::function<void()>& work) {
    work();
    std::vector<double> wall, cpu;
    for (int i = 0; i < Runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        const double start = ThreadCpuMs();
        work();
        cpu.push_back(ThreadCpuMs() - start);
        wall.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(wall.begin(), wall.end());
    std::sort(cpu.begin(), cpu.end());
    return {wall[wall.size() / 2], cpu[cpu.size() / 2]};
}

void PrintTimes(const QString& what, const Times& times, double limit = 0) {
    Out() << QStringLiteral("  %1 %2 ms wall %3 ms cpu")
                 .arg(what, -44)
                 .arg(times.Wall, 8, 'f', 2)
                 .arg(times.Cpu, 8, 'f', 2);
    if (limit > 0)
        Out() << (times.Cpu < limit ? QStringLiteral("   (limit %1 ms)").arg(limit)
                                    : QStringLiteral("   OVER %1 ms").arg(limit));
    Out() << "\n";
    Out().flush();
}

void TimePages(const QString& title) {
    Out() << title << "\n";
    PrintTimes(QStringLiteral("ShowCustomerCards"), Median([] { FormMain->ShowCustomerCards(); }), 50);
    PrintTimes(QStringLiteral("ShowBillCards"), Median([] { FormMain->ShowBillCards(); }), 50);
    PrintTimes(QStringLiteral("ShowMoneyCards"), Median([] { FormMain->ShowMoneyCards(); }), 50);
    PrintTimes(QStringLiteral("ShowAccountCards"), Median([] { FormMain->ShowAccountCards(); }), 50);
    PrintTimes(QStringLiteral("RefreshAll"), Median([] { FormMain->RefreshAll(); }), 200);
}

QString LabelText(const char* name) {
    auto* label = FormMain->findChild<QWidget*>(QLatin1String(name));
    return label ? label->property("text").toString() : QString();
}

void TimeQuery(const QString& what, const QString& sql) {
    Query query(&ShareDataModule->ADOConnection1);
    PrintTimes(what, Median([&] { query.Open(sql); }));
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 2 || !QFile::exists(args[1])) {
        QTextStream(stderr) << "usage: kestrel_bench_cards DATABASE (written by kestrel_makebenchdb)\n";
        return 2;
    }
    // A program folder of its own: the database and the pictures beside the "program".
    QTemporaryDir folder;
    if (!QFile::copy(args[1], folder.filePath(QStringLiteral("Kestrel.mdb")))) {
        QTextStream(stderr) << "kestrel_bench_cards: cannot copy " << args[1] << "\n";
        return 1;
    }
    const QDir res(QCoreApplication::applicationDirPath() + QStringLiteral("/Res"));
    QDir().mkpath(folder.filePath(QStringLiteral("Res")));
    for (const QString& file : res.entryList(QDir::Files))
        QFile::copy(res.filePath(file), folder.filePath(QStringLiteral("Res/") + file));
    SetProgramFolder(folder.path());
    auto scripted = std::make_unique<ScriptedPrompts>();
    ScriptedPrompts* prompts = scripted.get();
    auto previous = Prompts::Install(std::move(scripted));
    CreateForms();
    if (!OpenDatabase()) {
        QTextStream(stderr) << "kestrel_bench_cards: the database does not open\n";
        return 1;
    }

    // Signed in as 总经理: no filters, the preferences of a fresh installation.
    CurrentRole = QStringLiteral("总经理");
    CurrentUser = QStringLiteral("总经理");
    FormMain->ReadViewPreferences();
    FormMain->SetWorkingDate(QDate(2024, 6, 15));
    FormMain->RefreshAll();
    Out() << "working date 2024-06-15; " << LabelText("CustomerSum") << " customers; " << LabelText("BillSum")
          << " documents; " << LabelText("MoneySum") << " vouchers; accounts " << LabelText("AccountSum")
          << "\n";

    TimePages(QStringLiteral("总经理, the day's documents and vouchers, record order descending, page 1:"));

    FormMain->ComboBox3->setCurrentIndex(1);
    FormMain->ComboBox4->setCurrentIndex(1);
    FormMain->ComboBox8->setCurrentIndex(2);
    FormMain->ComboBox11->setCurrentIndex(2);
    FormMain->ComboBox6->setCurrentIndex(1);
    FormMain->RefreshAll();
    Out() << "month: " << LabelText("BillSum") << " documents, " << LabelText("MoneySum") << " vouchers\n";
    TimePages(QStringLiteral(
        "总经理, the month's documents and vouchers by customer name, customers by name, page 1:"));

    FormMain->CustomerPage = 600;
    FormMain->BillPage = 300;
    FormMain->MoneyPage = 500;
    FormMain->AccountPage = 1;
    TimePages(
        QStringLiteral("the same on deep pages (customers 601, documents 301, vouchers 501, accounts 2):"));
    Out() << "  " << LabelText("CustomerSum") << " / " << LabelText("BillSum") << " / "
          << LabelText("MoneySum") << "\n";
    FormMain->CustomerPage = FormMain->BillPage = FormMain->MoneyPage = FormMain->AccountPage = 0;

    CurrentRole = QStringLiteral("业务员");
    CurrentUser = QStringLiteral("业务员03");
    CustomerFilter = QStringLiteral(" And (CustomerMan = '业务员03')");
    AccountFilter = QStringLiteral(" And (AccountMan = '财务主管' Or AccountMan = '业务员03')");
    BillFilter = QStringLiteral(" And (BillMan = '业务员03')");
    MoneyFilter = QStringLiteral(" And (MoneyMan = '业务员03')");
    FormMain->RefreshAll();
    Out() << "salesman: " << LabelText("CustomerSum") << " customers\n";
    TimePages(QStringLiteral("业务员03, the month, page 1:"));
    CustomerFilter.clear();
    AccountFilter.clear();
    BillFilter.clear();
    MoneyFilter.clear();

    SearchClause =
        QStringLiteral(" And (InStr(CustomerName,'1')) And (BillCreateTime Between #2024-06-01# And "
                       "#2024-06-30#)");
    FormMain->ShowCustomerCards();
    Out() << "search by name part and period: " << LabelText("CustomerSum") << "\n";
    PrintTimes(QStringLiteral("ShowCustomerCards with the search"),
               Median([] { FormMain->ShowCustomerCards(); }), 50);
    SearchClause = QStringLiteral(" And (InStr(CustomerName,'1'))");
    PrintTimes(QStringLiteral("ShowCustomerCards with a name search"),
               Median([] { FormMain->ShowCustomerCards(); }), 50);
    SearchClause.clear();

    Out() << "customer list queries (by name, descending):\n";
    const QString body = Cards::CustomerListBody(QString(), QString());
    TimeQuery(QStringLiteral("count"), Cards::CountSql(body));
    TimeQuery(QStringLiteral("page 1"), Cards::PageSql(QStringLiteral("Customer"), body,
                                                       QStringLiteral(" Order By CustomerName Desc"), 0));
    TimeQuery(QStringLiteral("page 601"), Cards::PageSql(QStringLiteral("Customer"), body,
                                                         QStringLiteral(" Order By CustomerName Desc"), 600));
    TimeQuery(QStringLiteral("one indexed pass over Customer (keys by name)"),
              QStringLiteral(
                  "Select CustomerIndex From Customer Where (CustomerIndex > 1) Order By CustomerName Desc"));
    TimeQuery(QStringLiteral("every customer row, as one list"),
              QStringLiteral("Select * From Customer Where (CustomerIndex > 1) Order By CustomerName Desc"));
    TimeQuery(
        QStringLiteral("every customer joined with documents"),
        QStringLiteral("Select Distinct Customer.* From (Customer Left Join Bill on Customer.CustomerName = "
                       "Bill.BillUser) Where (CustomerIndex > 1) Order By CustomerName Desc"));

    Out() << "messages shown: " << prompts->Messages.size() << "\n";
    for (const QString& text : prompts->Texts())
        Out() << "  " << text << "\n";
    Out().flush();
    DestroyForms();
    Prompts::Install(std::move(previous));
    return 0;
}
