#pragma once

#include <QString>
#include <QVariant>

// What the print paths decide without a window: the capitals of an amount, the statements that
// read what a single-record print shows, and the template of a list print.

// The amount in Chinese capitals as the single-record prints show it: |amount| rounded to fen.
QString CapitalsOfAmount(double amount);

// The one row of a document with what has been received or paid against it (BillGet, BillOwe).
QString BillPrintSql(qint64 billIndex);
// A voucher with MSum, its amount without sign.
QString MoneyPrintSql(qint64 moneyIndex);

// The print direction stored in the configuration file: "纵向打印" (also when nothing is stored)
// or whatever else was stored, which prints landscape.
QString ReadPrintType(const QString& iniFileName);
// The template of a list print, relative to the program folder: documents or vouchers, portrait
// for "纵向打印", landscape for any other value.
QString ListTemplate(bool documents, const QString& printType);

// The file to print relative ("Frf/Bill.frf") with: the user's copy saved from the designer in the
// books' folder when there is one, else the installed template beside the program.
QString TemplatePath(const QString& relative);

// The names of the templates beside the program.
inline const QString BillTemplate = QStringLiteral("Frf/Bill.frf");
inline const QString MoneyTemplate = QStringLiteral("Frf/Money.frf");
inline const QString CustomerMonthTemplate = QStringLiteral("Frf/CustomerMonth.frf");
inline const QString MoneyMonthTemplate = QStringLiteral("Frf/MoneyMonth.frf");
