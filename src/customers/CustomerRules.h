#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

class DbConnection;
struct RowImage;

// What the customer editor writes into a Customer row besides CustomerMan.
struct CustomerFields {
    QString Name;
    double Owe = 0;
    QString Phone;
    QString Fax;
    QString Contact;
    QString HandPhone;
    QString EMail;
    QString Website;
    QString Address;
    QString Remark;
};

QString CustomerByIndexSql(qint64 index);
QString CustomerByNameSql(const QString& name);

// The opening balance: empty (0) or a number, which may be negative (the business owes the customer).
bool IsCustomerBalanceText(const QString& text);
double CustomerBalanceOf(const QString& text);

// Inserts a customer written by man; returns its CustomerIndex. Throws KestrelError.
qint64 InsertCustomer(DbConnection& connection, const CustomerFields& fields, const QString& man);

// Updates the customer row the editor loaded (its image); when the name differs from the loaded one
// every document and voucher of the old name takes the new one. All of it in one transaction: on
// any failure nothing is changed and KestrelError is thrown; StaleRecordError when the row no
// longer holds what was loaded (another workstation changed or deleted it). Returns false when the
// editor loaded no row.
bool UpdateCustomer(DbConnection& connection, const RowImage& loaded, const CustomerFields& fields);

// ---- Customer search

// The customer columns searched by the nine text boxes, in the order the condition is built.
const QStringList& SearchColumns();

// The condition appended to the customer lists: one " And (InStr(column,'text'))" per non-empty text
// (texts[i] belongs to SearchColumns()[i]), then the business period when withPeriod.
QString BuildSearchClause(const QStringList& texts, bool withPeriod, const QDate& from, const QDate& to);

// ---- Customer card

// The card's totals of one customer up to the working date, each as one row with TotalMoney.
QString CardSalesSql(const QString& name, const QDate& workingDate);
QString CardPurchasesSql(const QString& name, const QDate& workingDate); // the size of the purchases
QString CardMoneySql(const QString& name, const QDate& workingDate);
// 客户欠款 = 起初欠款 + 销售总额 − 采购总额 − 已收总额, from the figures as the card shows them.
double CardOwe(double firstOwe, double sales, double purchases, double money);

// The customer's sales (or purchases) of the working date's whole month, for the document grid.
QString CardMonthBillsSql(const QString& name, const QString& kind, const QDate& workingDate);
// The customer's receipts (or payments) of the working date's whole month, for the voucher grid.
QString CardMonthVouchersSql(const QString& name, bool receipts, const QDate& workingDate);

// Whether a customer name can be the name of its folder: not empty, not "." or "..", no path
// separator or control character, at most 255 bytes in the file system's encoding.
bool IsFolderName(const QString& name);
// The folder of files kept for a customer: BooksFolder + "客户目录/" + name.
QString CustomerFolderRoot(const QString& programFolder);
QString CustomerFolder(const QString& programFolder, const QString& name);
