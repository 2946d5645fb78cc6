#include "MainForm.h"

// The four card pages.

void TFormMain::ShowCustomerCards() {}

void TFormMain::ShowBillCards() {}

void TFormMain::ShowMoneyCards() {}

void TFormMain::ShowAccountCards() {}
