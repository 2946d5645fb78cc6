#include "MainForm.h"

// The main window's side of the customer, document and voucher editors.

bool TFormMain::NewCustomer() {
    return false;
}

bool TFormMain::NewBill() {
    return false;
}

bool TFormMain::NewMoney() {
    return false;
}

bool TFormMain::OpenBillEditor(int) {
    return false;
}

bool TFormMain::OpenMoneyEditor(int) {
    return false;
}

bool TFormMain::OpenCustomerCard(int) {
    return false;
}

void TFormMain::CustomerSearch() {}
