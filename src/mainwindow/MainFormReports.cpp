#include "MainForm.h"

// The main window's result grids (pages 2 and 5) and the account windows.

void TFormMain::BuildReportPages() {}

void TFormMain::FillBillReport(const QString&) {}

void TFormMain::FillMoneyReport(const QString&) {}

bool TFormMain::NewAccount() {
    return false;
}

bool TFormMain::OpenAccountWindow(int) {
    return false;
}
