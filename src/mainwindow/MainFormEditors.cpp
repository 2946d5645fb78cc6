#include "CardPage.h"
#include "MainForm.h"
#include "customers/CustomerForm.h"
#include "customers/CustomerForm2.h"
#include "customers/CustomerForm3.h"
#include "documents/BillForm.h"
#include "documents/BuySellForm.h"
#include "documents/DocumentRules.h"
#include "finance/BillForm2.h"
#include "finance/GetPayForm.h"
#include "finance/VoucherRules.h"
#include "foundation/ShareDM.h"
#include "kit/Prompts.h"

// The main window's side of the customer, document and voucher editors.

bool TFormMain::NewCustomer() {
    FormCustomer2->EditExisting = false;
    if (Prompts::Get().ShowModal(FormCustomer2) != QDialog::Accepted)
        return false;
    RefreshAll();
    return true;
}

bool TFormMain::NewBill() {
    // The chooser refreshes the main window itself when a document was stored.
    return Prompts::Get().ShowModal(FormBill) == QDialog::Accepted;
}

bool TFormMain::NewMoney() {
    return Prompts::Get().ShowModal(FormBill2) == QDialog::Accepted;
}

bool TFormMain::OpenBillEditor(int billIndex) {
    Query query(&ShareDataModule->ADOConnection1);
    if (!OpenSql(query, BillByIndexSql(billIndex), QStringLiteral("单据表打开失败")))
        return false;
    if (query.RecordCount() == 0) {
        Prompts::Get().Information(QStringLiteral("找不到要修改的记录"));
        return false;
    }
    FormBuySell->OpenMode = EditMode;
    FormBuySell->OpenKind = query.FieldByName(QStringLiteral("BillKind")).AsString();
    FormBuySell->OpenBillIndex = query.FieldByName(QStringLiteral("BillIndex")).AsInteger();
    FormBuySell->DataChanged = false;
    FormBuySell->CustomerFixed = false;
    Prompts::Get().ShowModal(FormBuySell);
    if (!FormBuySell->DataChanged)
        return false;
    RefreshAll();
    return true;
}

bool TFormMain::OpenMoneyEditor(int moneyIndex) {
    Query query(&ShareDataModule->ADOConnection1);
    if (!OpenSql(query, VoucherByIndexSql(moneyIndex), QStringLiteral("单据表打开失败")))
        return false;
    if (query.RecordCount() == 0) {
        Prompts::Get().Information(QStringLiteral("找不到要修改的记录"));
        return false;
    }
    FormGetPay->OpenMode = EditMode;
    FormGetPay->OpenKind = VoucherKindOf(query.FieldByName(QStringLiteral("MoneySum")).AsFloat());
    FormGetPay->OpenMoneyIndex = query.FieldByName(QStringLiteral("MoneyIndex")).AsInteger();
    FormGetPay->CustomerFixed = false;
    if (Prompts::Get().ShowModal(FormGetPay) != QDialog::Accepted)
        return false;
    RefreshAll();
    return true;
}

bool TFormMain::OpenCustomerCard(int customerIndex) {
    FormCustomer->CardCustomerIndex = customerIndex;
    if (Prompts::Get().ShowModal(FormCustomer) != QDialog::Accepted) {
        // A customer deleted elsewhere leaves the customer cards.
        if (FormCustomer->CustomerGone())
            ShowCustomerCards();
        return false;
    }
    ShowCustomerCards();
    return true;
}

void TFormMain::CustomerSearch() {
    if (Prompts::Get().ShowModal(FormCustomer3) != QDialog::Accepted)
        return;
    CustomerPage = 0;
    ShowCustomerCards();
}

void TFormMain::CustomerShowAllClick() {
    SearchClause.clear();
    CustomerPage = 0;
    ShowCustomerCards();
    CustomerCards->FocusCard(1);
}
