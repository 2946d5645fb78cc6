#include "Startup.h"

#include "customers/CustomerForm2.h"
#include "customers/CustomerForm3.h"
#include "documents/BillForm.h"
#include "documents/BuySellForm.h"
#include "finance/AccountForm.h"
#include "finance/AccountForm2.h"
#include "finance/BillForm2.h"
#include "finance/GetPayForm.h"
#include "foundation/PublicFunction.h"
#include "foundation/ShareDM.h"
#include "kit/Prompts.h"
#include "mainwindow/MainForm.h"
#include "reports/BillReportForm.h"
#include "reports/MoneyReportForm.h"
#include "signin/AskForm.h"
#include "signin/LoginForm.h"

#include <QDir>
#include <QFileInfo>

void SetProgramFolder(const QString& executableFolder) {
    ProgramFolder = QDir(executableFolder).absolutePath();
    if (!ProgramFolder.endsWith(QLatin1Char('/')))
        ProgramFolder += QLatin1Char('/');
    IniFileName = ProgramFolder + QStringLiteral("Kestrel.ini");
}

QString MissingDatabaseMessage() {
    return QStringLiteral("数据库文件找不到，软件无法运行。\n\n"
                          "请与软件供应商联系：岚峰软件服务部，电话 0571-8765 4321。");
}

bool OpenDatabase() {
    const QString path = ProgramFolder + QStringLiteral("Kestrel.mdb");
    if (!QFileInfo(path).isFile()) {
        Prompts::Get().Error(MissingDatabaseMessage(), QStringLiteral("错误"));
        return false;
    }
    DbConnection& connection = ShareDataModule->ADOConnection1;
    connection.ConnectionString = BuildConnectionString(path, DatabasePassword);
    if (!connection.Open()) {
        Prompts::Get().Error(QStringLiteral("无法打开数据库，软件将退出。\n\n") + connection.LastError(),
                             QStringLiteral("错误"));
        return false;
    }
    return true;
}

void CreateForms() {
    FormMain = new TFormMain;
    ShareDataModule = new TShareDataModule;
    FormLogin = new TFormLogin(FormMain);
    FormBill = new TFormBill(FormMain);
    FormBuySell = new TFormBuySell(FormMain);
    FormGetPay = new TFormGetPay(FormMain);
    FormAsk = new TFormAsk(FormMain);
    FormAccount = new TFormAccount(FormMain);
    FormMoneyReport = new TFormMoneyReport(FormMain);
    FormBill2 = new TFormBill2(FormMain);
    FormCustomer2 = new TFormCustomer2(FormMain);
    FormBillReport = new TFormBillReport(FormMain);
    FormAccount2 = new TFormAccount2(FormMain);
    FormCustomer3 = new TFormCustomer3(FormMain);
}

void DestroyForms() {
    // The dialogs are children of the main window and go with it.
    delete FormMain;
    FormMain = nullptr;
    FormAsk = nullptr;
    FormLogin = nullptr;
    FormBill = nullptr;
    FormBuySell = nullptr;
    FormGetPay = nullptr;
    FormBill2 = nullptr;
    FormCustomer2 = nullptr;
    FormCustomer3 = nullptr;
    FormAccount = nullptr;
    FormMoneyReport = nullptr;
    FormBillReport = nullptr;
    FormAccount2 = nullptr;
    delete ShareDataModule;
    ShareDataModule = nullptr;
}
