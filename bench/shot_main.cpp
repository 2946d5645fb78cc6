// Shows a page of the main window on a small sample database as 总经理 and saves a picture of it,
// to look at the cards and the result grids (filled with every document and every voucher):
//   kestrel_shot_main OUTPUT.png [PAGE-INDEX [WORKING-DATE]]
#include "app/Forms.h"
#include "foundation/JetSql.h"
#include "foundation/Schema.h"
#include "foundation/ShareDM.h"
#include "foundation/Startup.h"
#include "kit/Prompts.h"
#include "mainwindow/MainForm.h"
#include "reports/ReportQueries.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLayout>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextStream>
#include <memory>

namespace {

void Exec(const QString& sql) {
    ShareDataModule->ADOQueryTemp.ExecSql(sql);
}

void Fill() {
    const QDate today(2024, 6, 15);
    const struct {
        const char* name;
        double owe;
        const char* contact;
    } customers[] = {
        {"杭州东方贸易有限公司", 500, "王经理"},
        {"O'Brien 贸易", 0, "Brien"},
        {"宁波海天机械", 0, "李工程师"},
        {"上海华联超市", 12000, "张主任"},
        {"温州鹿城五金批发部", 0, "陈老板"},
        {"苏州工业园区精密电子有限公司", 0, "刘总"},
        {"无锡太湖物流", 0, "赵师傅"},
        {"绍兴黄酒酿造厂", 3000, "钱厂长"},
        {"嘉兴南湖文具", 0, "孙会计"},
        {"湖州丝绸之路", 0, "周经理"},
        {"金华火腿食品", 0, "吴采购"},
        {"台州汽配城", 0, "郑经理"},
        {"舟山海鲜水产", 0, "冯老板"},
        {"衢州柑橘合作社", 0, "褚社长"},
        {"丽水山货", 0, "卫先生"},
        {"义乌小商品城", 0, "蒋经理"},
    };
    int i = 0;
    for (const auto& c : customers) {
        const QString name = QString::fromUtf8(c.name);
        Exec(QStringLiteral(
                 "Insert Into Customer (CustomerName, CustomerOwe, CustomerContact, CustomerMan) Values "
                 "(%1, %2, %3, '总经理')")
                 .arg(SqlText(name), SqlNumber(c.owe), SqlText(QString::fromUtf8(c.contact))));
        const double sums[] = {1500, 28000, 30000.01, 150000, -2500, 86000.5, 0, 4200};
        const double sum = sums[i % 8];
        if (sum != 0)
            Exec(QStringLiteral(
                     "Insert Into Bill (BillKind, BillSerial, BillCreateTime, BillUser, BillSum, BillMan) "
                     "Values (%1, 'XS1001', %2, %3, %4, '总经理')")
                     .arg(SqlText(sum > 0 ? QStringLiteral("销售开单") : QStringLiteral("采购开单")),
                          SqlText(StoredDateText(today.addDays(-i))), SqlText(name), SqlNumber(sum)));
        if (i % 3 == 0)
            Exec(QStringLiteral(
                     "Insert Into MoneyTable (MoneyAccount, MoneyBill, MoneySerial, MoneyCreateTime, "
                     "MoneyUser, MoneyType, MoneyToken, MoneyIn, MoneyOut, MoneySum, MoneyMan) Values (2, 0, "
                     "'SK1001', %1, %2, '货款', '收据', %3, 0, %3, '总经理')")
                     .arg(SqlText(StoredDateText(today)), SqlText(name), SqlNumber(sum / 2)));
        ++i;
    }
    Exec(QStringLiteral(
        "Insert Into Account (AccountName, AccountBase, AccountMan) Values ('现金', 5000, '财务主管'), "
        "('工商银行', 120000, '财务主管'), ('透支帐户', -800, '财务主管')"));
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        QTextStream(stderr) << "usage: kestrel_shot_main OUTPUT.png [PAGE-INDEX [WORKING-DATE]]\n";
        return 2;
    }
    QTemporaryDir folder;
    const QDir res(QCoreApplication::applicationDirPath() + QStringLiteral("/Res"));
    QDir().mkpath(folder.filePath(QStringLiteral("Res")));
    for (const QString& file : res.entryList(QDir::Files))
        QFile::copy(res.filePath(file), folder.filePath(QStringLiteral("Res/") + file));
    SetProgramFolder(folder.path());
    auto previous = Prompts::Install(std::make_unique<ScriptedPrompts>());
    CreateForms();
    if (!Schema::CreateDatabase(ProgramFolder + QStringLiteral("Kestrel.mdb")).isEmpty() || !OpenDatabase())
        return 1;
    Fill();
    CurrentRole = QStringLiteral("总经理");
    CurrentUser = QStringLiteral("总经理");
    FormMain->ReadViewPreferences();
    FormMain->SetWorkingDate(args.size() > 3 ? QDate::fromString(args[3], Qt::ISODate) : QDate(2024, 6, 15));
    FormMain->RefreshAll();
    FormMain->FillBillReport(BillReportSelect() + QStringLiteral("(BillIndex > 1)"));
    FormMain->FillMoneyReport(MoneyReportSelect());
    FormMain->ShowPage(TFormMain::Page(args.size() > 2 ? args[2].toInt() : 0));
    // Not shown: showing runs the start-up sign-in. A grab lays the window out and paints it.
    FormMain->layout()->activate();
    FormMain->grab().save(args[1]);
    DestroyForms();
    Prompts::Install(std::move(previous));
    return 0;
}
