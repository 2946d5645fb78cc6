#include "GuidePages.h"

#include "foundation/ShareDM.h"
#include "kit/Workspace.h"
#include "mainwindow/MainForm.h"

#include <QWidget>

namespace {

QString MainWindowPage() {
    if (CurrentRole.isEmpty())
        return QStringLiteral("01-first-start.md");
    switch (FormMain->CurrentPage()) {
    case Workspace::PageCustomers:
    case Workspace::PageAccounts:
        return QStringLiteral("02-accounts-customers.md");
    case Workspace::PageBills:
    case Workspace::PageMoney:
        return QStringLiteral("03-first-sale.md");
    case Workspace::PageBillReport:
    case Workspace::PageMoneyReport:
        return QStringLiteral("07-reports.md");
    case Workspace::PageSettings:
        return QStringLiteral("05-passwords.md");
    case Workspace::PageMaintenance:
        return QStringLiteral("08-backup.md");
    default:
        return QString();
    }
}

} // namespace

QString GuidePageFor(QWidget* window) {
    if (window == nullptr)
        return QString();
    if (window == FormMain)
        return MainWindowPage();
    const QString name = window->objectName();
    const struct {
        const char* window;
        const char* page;
    } pages[] = {
        {"FormLogin", "01-first-start.md"},
        {"FormCustomer", "02-accounts-customers.md"},
        {"FormCustomer2", "02-accounts-customers.md"},
        {"FormCustomer3", "02-accounts-customers.md"},
        {"FormAccount", "02-accounts-customers.md"},
        {"FormAccount2", "02-accounts-customers.md"},
        {"FormBill", "03-first-sale.md"},
        {"FormBuySell", "03-first-sale.md"},
        {"FormBill2", "03-first-sale.md"},
        {"FormGetPay", "03-first-sale.md"},
        {"FormUser", "04-salesmen.md"},
        {"FormUser2", "04-salesmen.md"},
        {"FormAsk", "05-passwords.md"},
        {"ReportPreview", "06-printing.md"},
        {"ReportDesigner", "06-printing.md"},
        {"FormBillReport", "07-reports.md"},
        {"FormMoneyReport", "07-reports.md"},
        {"FormAnalysis", "07-reports.md"},
        {"FormProgress", "07-reports.md"},
        {"FormHistory", "08-backup.md"},
    };
    for (const auto& p : pages) {
        if (name == QLatin1String(p.window))
            return QString::fromLatin1(p.page);
    }
    return QString();
}
