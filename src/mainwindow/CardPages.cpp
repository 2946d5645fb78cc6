#include "MainForm.h"

// The four card pages.

void TFormMain::BuildCardPages() {}

void TFormMain::ShowCustomerCards() {}

void TFormMain::ShowBillCards() {}

void TFormMain::ShowMoneyCards() {}

void TFormMain::ShowAccountCards() {}
