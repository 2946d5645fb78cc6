#include "MainForm.h"
#include "customers/CustomerForm3.h"
#include "foundation/KestrelError.h"
#include "foundation/ShareDM.h"
#include "foundation/StatementHeartbeat.h"
#include "kit/ErrorHandler.h"
#include "kit/Prompts.h"
#include "kit/report/ReportPreview.h"
#include "reports/MonthlyFigures.h"
#include "reports/Printing.h"
#include "reports/ProgressForm.h"
#include "reports/ReportPool.h"

#include <QAction>
#include <functional>

// The customer and account monthly reports: every line computed at once, written into the
// PrintReport pool with the titles, then printed through the report template.

namespace {

const QString OpenFailed = QStringLiteral("数据库打开失败");

// Opens a report's list; on failure the progress window goes first, then the message.
bool OpenList(ProgressRun& run, Query& list, const QString& sql, const QString& failureMessage) {
    try {
        list.Open(sql);
        return true;
    } catch (const KestrelError&) {
        list.Close();
        run.Hide();
        Prompts::Get().Information(failureMessage);
        return false;
    }
}

// Computes a report's lines under the progress window, writes them with the titles and opens
// `lines` on the enabled rows, in one transaction against other workstations' reports; false
// after a message.
bool WriteMonthlyLines(ProgressRun& run, const std::function<std::vector<Monthly::ReportLine>()>& compute,
                       const QDate& workingDate, const QString& subtitle, Query& lines,
                       std::map<QString, QString>* titles) {
    DbConnection& connection = ShareDataModule->ADOConnection1;
    run.Step(50);
    try {
        // A large book keeps the bar moving while one grouped pass runs.
        // 取消 stops the statement running; the pool is written in one transaction after the
        // figures are known, so a stopped run leaves the last report's lines as they were.
        StatementHeartbeat heartbeat(
            connection, [] { FormProgress->Creep(100); }, 250, [] { return FormProgress->Cancelled(); });
        std::vector<Monthly::ReportLine> reportLines = compute();
        if (run.Cancelled())
            throw KestrelError(QStringLiteral("已取消"));
        *titles = FillReportPool(connection, std::move(reportLines), Monthly::MonthTitle(workingDate),
                                 subtitle, lines);
    } catch (const KestrelError&) {
        lines.Close();
        run.Hide();
        if (!run.Cancelled())
            Prompts::Get().Information(OpenFailed);
        return false;
    }
    run.Step(100);
    run.Hide();
    return true;
}

} // namespace

void TFormMain::PrintMonthlyReport(const QString& templateName, const std::map<QString, QString>& titles) {
    frReport1.Data.Clear();
    frReport1.Data.Add(QStringLiteral("frDBDataSet1"), &frDBDataSet1);
    // A title whose PrintList row is missing prints as nothing.
    frReport1.Variables = [titles](const QString& name) {
        const auto title = titles.find(name);
        return title == titles.end() ? QVariant() : QVariant(title->second);
    };
    PreviewReport(frReport1, TemplatePath(templateName), false, this);
}

void TFormMain::ConnectMonthlyReports() {
    connect(ActionCustomerReport, &QAction::triggered, this,
            Guarded(this, &TFormMain::ActionCustomerReportExecute));
    connect(ActionAccountReport, &QAction::triggered, this,
            Guarded(this, &TFormMain::ActionAccountReportExecute));
}

void TFormMain::ActionCustomerReportExecute() {
    ProgressRun run(FormProgress, this);
    run.Step(25);
    Query& list = ShareDataModule->ADOQueryTemp;
    if (!OpenList(run, list, Monthly::CustomerListSql(CustomerFilter, SearchClause, CustomerOrderClause()),
                  QStringLiteral("刷新客户时出错")))
        return;
    if (list.RecordCount() == 0) {
        run.Hide();
        Prompts::Get().Information(QStringLiteral("无客户记录可以统计"));
        return;
    }
    const std::vector<Monthly::Customer> customers = Monthly::ReadCustomers(list);
    const QDate workingDate = WorkingDate();
    std::map<QString, QString> titles;
    if (WriteMonthlyLines(
            run,
            [&] {
                return Monthly::CustomerReportLines(
                    Monthly::CustomerMonthFigures(ShareDataModule->ADOConnection1, customers, workingDate));
            },
            workingDate, Monthly::CustomerSubtitle, ADOQueryBig, &titles))
        PrintMonthlyReport(CustomerMonthTemplate, titles);
}

void TFormMain::ActionAccountReportExecute() {
    ProgressRun run(FormProgress, this);
    run.Step(25);
    Query& list = ShareDataModule->ADOQueryTemp;
    if (!OpenList(run, list, Monthly::AccountListSql(AccountFilter), OpenFailed))
        return;
    if (list.RecordCount() == 0)
        return; // no message: the progress window closes and nothing is printed
    const std::vector<Monthly::Account> accounts = Monthly::ReadAccounts(list);
    const QDate workingDate = WorkingDate();
    std::map<QString, QString> titles;
    if (WriteMonthlyLines(
            run,
            [&] {
                return Monthly::AccountReportLines(
                    Monthly::AccountMonthFigures(ShareDataModule->ADOConnection1, accounts, workingDate));
            },
            workingDate, QString(), ADOQueryBig, &titles))
        PrintMonthlyReport(MoneyMonthTemplate, titles);
}
