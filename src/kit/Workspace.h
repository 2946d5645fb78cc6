#pragma once

#include <QDate>
#include <QString>

// What the editors and criteria windows need of the main window: the working date, the refresh
// after something was stored, and the two result grids. The main window implements it and the
// program's wiring installs it; a test installs its own to build a window without the main window.
class Workspace {
public:
    // Page indices of the main window, used by every window that switches pages.
    enum Page {
        PageCustomers = 0,
        PageBills = 1,
        PageBillReport = 2,
        PageAccounts = 3,
        PageMoney = 4,
        PageMoneyReport = 5,
        PageSettings = 6,
        PageMaintenance = 7
    };

    virtual ~Workspace() = default;

    // The date of the main window's "当前日期" box.
    virtual QDate WorkingDate() const = 0;
    // The four card pages, then the two result grids.
    virtual void RefreshAll() = 0;
    // Runs sql (or, when empty, the stored text) into the document / voucher result grid.
    virtual void FillBillReport(const QString& sql) = 0;
    virtual void FillMoneyReport(const QString& sql) = 0;
    // Makes the page current when the signed-in role may see it.
    virtual void ShowPage(Page page) = 0;

    // The installed workspace; an error when none is installed.
    static Workspace& Get();
    // Installs another (not owned; nullptr removes it); returns the previous one.
    static Workspace* Install(Workspace* workspace);
};
