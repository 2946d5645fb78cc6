#pragma once

#include <QString>

class DbConnection;

// Which customer the text of an editor's customer box names.

// The stored spelling of the customer whose name equals typed as the books compare names (without
// regard to letter case), among the customers customerFilter lets the role see (the role clause
// " And (...)" appended to the customer list, "" for every customer); "" when there is none.
// Throws KestrelError when the books cannot be read.
QString NamedCustomer(DbConnection& connection, const QString& typed, const QString& customerFilter);

// The customer name a document or voucher is stored with, "" when the box names no customer (the
// editor then refuses to store). named is NamedCustomer of typed. keptName is, for a record being
// edited, the customer name it was loaded with ("" for a new record): left unchanged, that name is
// written back even when no such customer exists any longer.
QString CustomerToStore(const QString& typed, const QString& named, const QString& keptName);

// Both steps for the box's text.
QString CustomerToStore(DbConnection& connection, const QString& typed, const QString& customerFilter,
                        const QString& keptName);
