#pragma once

#include <QDate>
#include <QString>

// The SQL texts of the document and voucher queries and of the account statements, built from
// the criteria windows' boxes. Every typed value is spliced through SqlText / SqlNumber / SqlDate.

// The text a criteria box shows when it adds no condition.
inline const QString AllEntry = QStringLiteral("所有");

// First and last day of the month of a date.
QDate MonthFirstDay(const QDate& date);
QDate MonthLastDay(const QDate& date);

// An amount typed into a range box: digits with at most one point and at least one digit, and
// not too long to be read as a number.
bool IsRangeAmountText(const QString& text);
// Which amount box is refused before a query runs: 0 none, 1 the "from" box, 2 the "to" box.
// An empty box is accepted.
int RefusedAmountBox(const QString& from, const QString& to);

// ---- Documents

struct BillCriteria {
    QString Kind = AllEntry;     // ComboBox5: 所有 / 销售开单 / 采购开单
    bool DateRange = false;      // CheckBox1
    QDate From, To;              // DateTimePicker1, DateTimePicker2
    bool AmountRange = false;    // CheckBox2
    QString AmountFrom;          // Edit2
    QString AmountTo;            // Edit4
    QString Reason = AllEntry;   // ComboBox2
    QString State = AllEntry;    // ComboBox3
    QString Customer = AllEntry; // ComboBox6, a name part
    QString Remark;              // Edit3
    QString Serial;              // Edit5
    QString Man;                 // Edit6
};

// The SELECT of every document query, up to the Where keyword's first condition excluded.
QString BillReportSelect();
// The criteria window's text: base, role clause, then one clause per criterion in fixed order.
QString BillQueryText(const BillCriteria& criteria, const QString& billFilter);
// The quick query of the working month; it ignores every criterion.
QString BillMonthQueryText(const QDate& workingDate);
// Order By for the sort box item 0 按时间排, 1 按客户排, 2 按金额排.
QString BillOrderByText(int sortItem);
// The text FillBillReport runs for a stored base text.
QString BillReportRunText(const QString& base, const QString& billFilter, int sortItem);

// ---- Vouchers

struct MoneyCriteria {
    QString Kind = AllEntry; // ComboBox5: 所有 / 财务收入单 / 财务支出单
    bool DateRange = false;
    QDate From, To;
    bool AmountRange = false;
    QString AmountFrom;          // Edit2
    QString AmountTo;            // Edit4
    QString Account = AllEntry;  // ComboBox1
    QString Reason = AllEntry;   // ComboBox2
    QString Type = AllEntry;     // ComboBox3
    QString Token = AllEntry;    // ComboBox4
    QString Customer = AllEntry; // ComboBox6, a name part
    QString Remark;              // Edit3
    QString Serial;              // Edit5
    QString Man;                 // Edit6
};

QString MoneyReportSelect();
QString MoneyQueryText(const MoneyCriteria& criteria, const QString& moneyFilter);
QString MoneyMonthQueryText(const QDate& workingDate);
// Order By for the sort box item 0 按时间排, 1 按帐户排, 2 按金额排.
QString MoneyOrderByText(int sortItem);
QString MoneyReportRunText(const QString& base, const QString& moneyFilter, int sortItem);

// ---- Account statements

enum class StatementPeriod { Month, Year, All };
// The vouchers of one account in the working date's month, its year, or all time.
QString AccountStatementText(qint64 accountIndex, StatementPeriod period, const QDate& workingDate);
// An account's balance up to a date: its opening balance plus its vouchers up to that day.
QString AccountBalanceSql(qint64 accountIndex, const QDate& upTo);
