#pragma once

#include <QDate>
#include <QString>

class DbConnection;
struct RowImage;

// Plain routines of the account windows.

// The account row of a name: "Select * From Account Where AccountName = '<name>'".
QString AccountByNameSql(const QString& name);
// An opening balance as typed: digits with at most one point and at least one digit, and not too
// long to be read as a number.
bool IsAccountBaseText(const QString& text);
// True when no account but exceptIndex has the name. A taken name shows "该帐户名已经存在，请重新操作",
// a failing query "无法打开数据库"; either stops the caller.
bool AccountNameFree(const QString& name, qint64 exceptIndex = 0);
// The account row of a name as an editor loads it (an image without columns when there is none).
RowImage AccountImage(DbConnection& connection, const QString& name);
// Stores name and opening balance into the account row loaded, in one transaction; false when none
// was loaded. StaleRecordError, nothing stored, when the row no longer holds what was loaded.
bool UpdateAccount(DbConnection& connection, const RowImage& loaded, const QString& name, double base);
// Deletes the account loaded and every voucher booked on it, all or nothing; StaleRecordError,
// nothing deleted, when the account row no longer holds what was loaded.
void DeleteAccountWithVouchers(DbConnection& connection, const RowImage& loaded);
// The balance of an account up to a date as the account cards show it: "<amount> 元".
QString AccountBalanceText(qint64 accountIndex, const QDate& upTo);
