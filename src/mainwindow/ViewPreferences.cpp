#include "MainForm.h"

// The sort and date-range boxes of the card pages, kept in Kestrel.ini.

void TFormMain::BuildPreferenceBoxes() {}

void TFormMain::ReadViewPreferences() {}

QString TFormMain::CustomerOrderClause() const {
    return QStringLiteral(" Order By CustomerIndex Desc");
}

QString TFormMain::BillDateClause() const {
    return QString();
}

QString TFormMain::BillOrderClause() const {
    return QStringLiteral(" Order By BillIndex Desc");
}

QString TFormMain::MoneyDateClause() const {
    return QString();
}

QString TFormMain::MoneyOrderClause() const {
    return QStringLiteral(" Order By MoneyIndex Desc");
}
