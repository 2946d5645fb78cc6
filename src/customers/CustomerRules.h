#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

class DbConnection;

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

// Updates the customer row; when the name differs from oldName every document and voucher of the old
// name takes the new one. All of it in one transaction: on any failure nothing is changed and
// KestrelError is thrown. Returns false when the customer row is gone.
bool UpdateCustomer(DbConnection& connection, qint64 index, const QString& oldName,
                    const CustomerFields& fields);

// ---- Customer search

// The customer columns searched by the nine text boxes, in the order the condition is built.
const QStringList& SearchColumns();

// The condition appended to the customer lists: one " And (InStr(column,'text'))" per non-empty text
// (texts[i] belongs to SearchColumns()[i]), then the business period when withPeriod.
QString BuildSearchClause(const QStringList& texts, bool withPeriod, const QDate& from, const QDate& to);
