#pragma once

#include <QColor>
#include <QDate>
#include <QSize>
#include <QString>

// The figures, texts and SQL of the four card pages, as plain functions of their inputs.

namespace Cards {

// Cards of a page at the window's smallest size (three columns of five rows); a larger window
// shows more (CardPage::PageSize).
constexpr int SlotCount = 15;

// Number of pages for n records (1 when there is none).
int PageCount(int records, int pageSize = SlotCount);
// "共 N 记录，第 p/P 页" for the 0-based page number p.
QString PageStatusText(int records, int page, int pageSize = SlotCount);
// Rows to skip for a 0-based page number.
inline int PageOffset(int page, int pageSize = SlotCount) {
    return page * pageSize;
}
// Card pitch and places of a card page: cards every 216 pixels across and 86 down from (8, 8),
// the status and page buttons at y 444 and the right column at x 672 on the smallest sheet.
constexpr int ColumnPitch = 216;
constexpr int RowPitch = 86;
constexpr int SmallestButtonTop = 444;
constexpr int SmallestRightColumn = 672;
// The sheet of a card page at the window's smallest size.
constexpr int SmallestSheetWidth = 765;
constexpr int SmallestSheetHeight = 510;
struct CardGrid {
    int Columns = 3;
    int Rows = 5;
    int ButtonTop = SmallestButtonTop; // the status label and page buttons
    int RightShift = 0;                // how far the right column moves right
    int CardsWidth = 0;                // room left of the right column
};
// The cards that fit a sheet of the given size; never fewer than five rows of three.
CardGrid GridFor(const QSize& sheet);
// The page that keeps the first record of `page` in view when the page size changes.
int RebasedPage(int page, int oldSize, int newSize);

// The card thresholds of a page: one "+" up to first, two up to second, three above.
struct IconScale {
    const char* colourWord;
    double first;
    double second;
};
inline constexpr IconScale CustomerScale{"Blue", 30000, 100000};
inline constexpr IconScale BillScale{"Purple", 3000, 10000};
inline constexpr IconScale MoneyScale{"Green", 3000, 10000};
inline constexpr IconScale AccountScale{"Yellow", 30000, 100000};

// The icon file for an amount, relative to the program folder: "Res/Money0.ico" for 0,
// otherwise "Res/" + colour word + one to three "+" + ".ico" by the absolute value.
QString IconFile(double amount, const IconScale& scale);
// Blue for a non-negative amount, red for a negative one (as shown, to 4 decimals).
QColor ValueColour(double amount);
// RoundAmountText of the value followed by " 元".
QString AmountText(double value);
// A name cut to the 18 GBK bytes a card has room for; a double-byte character is never split.
QString CardName(const QString& name);
// Category and voucher token joined by "‖".
QString MoneyKindText(const QString& type, const QString& token);
// "销售开单" -> "销售单", "采购开单" -> "采购单".
QString BillTypeText(const QString& kind);
// "收入单" for a receipt (sum >= 0), "支出单" for a payment.
QString MoneyTypeText(double sum);
// The first three characters of the contact, shown under a customer's icon.
QString CustomerTypeText(const QString& contact);

// The first and last day of a date's month.
QDate MonthFirst(const QDate& date);
QDate MonthLast(const QDate& date);

// Whether a customer search condition tests document columns (outside its quoted texts).
bool SearchNeedsBill(const QString& searchClause);

// ---- List queries. Each page counts its records with one query and reads only the shown page.

// The FROM/WHERE part of the customer list. A search that tests document dates keeps the
// customers with at least one matching document; otherwise documents are not read at all.
QString CustomerListBody(const QString& customerFilter, const QString& searchClause);
QString BillListBody(const QString& dateClause, const QString& billFilter);
QString MoneyListBody(const QString& dateClause, const QString& moneyFilter);
QString AccountListBody(const QString& accountFilter);

// An order clause with the table's key as its last field, so that rows of equal sort values keep
// one order; " Order By " + key when the clause is empty.
QString KeyedOrder(const QString& keyColumn, const QString& orderClause);
// "Select Count(*) As RecordTotal " + body.
QString CountSql(const QString& listBody);
// The rows of one page of a list, in the list's order. The ordering gets the key as its last
// field, so that rows of equal sort values fall on one page only; the page's keys are found
// first, so that only fifteen whole rows are read.
QString PageSql(const QString& table, const QString& listBody, const QString& orderClause, int page,
                int pageSize = SlotCount);

// ---- Totals of one card.
QString CustomerGoodsSql(const QString& name, const QDate& workingDate);
QString CustomerMoneySql(const QString& name, const QDate& workingDate);
QString BillPaySql(qint64 billIndex);
QString AccountMonthSql(qint64 accountIndex, const QDate& workingDate);
// Every listed account in key order with its vouchers up to the date (TotalMoney, rounded to
// 2 decimals, null when none), in one query: the page total needs every account's balance.
QString AccountListSql(const QString& accountFilter, const QDate& workingDate);
// "合计：" + amount + " 元".
QString AccountSumText(double total);

} // namespace Cards
