#include "Forms.h"

#include "GuidePages.h"
#include "customers/CustomerForm.h"
#include "customers/CustomerForm2.h"
#include "customers/CustomerForm3.h"
#include "documents/BillForm.h"
#include "documents/BuySellForm.h"
#include "finance/AccountForm.h"
#include "finance/AccountForm2.h"
#include "finance/BillForm2.h"
#include "finance/GetPayForm.h"
#include "foundation/ShareDM.h"
#include "kit/HelpWindow.h"
#include "kit/Workspace.h"
#include "mainwindow/MainForm.h"
#include "reports/AnalysisForm.h"
#include "reports/BillReportForm.h"
#include "reports/MoneyReportForm.h"
#include "reports/ProgressForm.h"
#include "signin/AskForm.h"
#include "signin/LoginForm.h"
#include "signin/UserForm.h"
#include "signin/UserForm2.h"

#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

bool SetUpApplication() {
    QApplication::setApplicationName(QStringLiteral("岚峰商业管理软件"));
    QFont font;
    font.setFamilies(
        {QStringLiteral("SimSun"), QStringLiteral("NSimSun"), QStringLiteral("WenQuanYi Micro Hei")});
    font.setPointSize(9);
    QApplication::setFont(font);

    // Installed once per run; the translator lives as long as the application.
    static QTranslator* installed = nullptr;
    if (installed != nullptr)
        return true;
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
                          QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
        !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return false;
    }
    installed = translator;
    return true;
}

void CreateForms() {
    FormMain = new TFormMain;
    Workspace::Install(FormMain);
    ShareDataModule = new TShareDataModule;
    ShareDataModule->AskPasswordDialog = AskMaskedText;
    FormLogin = new TFormLogin(FormMain);
    FormBill = new TFormBill(FormMain);
    FormBuySell = new TFormBuySell(FormMain);
    FormGetPay = new TFormGetPay(FormMain);
    FormAsk = new TFormAsk(FormMain);
    FormAccount = new TFormAccount(FormMain);
    FormMoneyReport = new TFormMoneyReport(FormMain);
    FormBill2 = new TFormBill2(FormMain);
    FormCustomer = new TFormCustomer(FormMain);
    FormCustomer2 = new TFormCustomer2(FormMain);
    FormUser = new TFormUser(FormMain);
    FormUser2 = new TFormUser2(FormMain);
    FormBillReport = new TFormBillReport(FormMain);
    FormAccount2 = new TFormAccount2(FormMain);
    FormCustomer3 = new TFormCustomer3(FormMain);
    FormProgress = new TFormProgress(FormMain);
    FormAnalysis = new TFormAnalysis(FormMain);
    // F1 opens the user guide at the page of the window in front.
    InstallHelpKey(FormMain, GuidePageFor);
}

void DestroyForms() {
    Workspace::Install(nullptr);
    // The dialogs are children of the main window and go with it.
    delete FormMain;
    FormMain = nullptr;
    FormAsk = nullptr;
    FormLogin = nullptr;
    FormBill = nullptr;
    FormBuySell = nullptr;
    FormGetPay = nullptr;
    FormBill2 = nullptr;
    FormCustomer = nullptr;
    FormCustomer2 = nullptr;
    FormUser = nullptr;
    FormUser2 = nullptr;
    FormCustomer3 = nullptr;
    FormAccount = nullptr;
    FormMoneyReport = nullptr;
    FormBillReport = nullptr;
    FormAccount2 = nullptr;
    FormProgress = nullptr;
    FormAnalysis = nullptr;
    delete ShareDataModule;
    ShareDataModule = nullptr;
}
