#pragma once

#include "reports/MonthlyFigures.h"

#include <QString>
#include <map>
#include <vector>

class DbConnection;
class Query;

// The PrintReport pool the monthly report templates read, with the PrintList titles.

// What the templates read: the enabled lines in the pool's key order.
inline const QString EnabledReportLinesSql =
    QStringLiteral("Select * From PrintReport Where ReportEnable = True Order By ReportIndex");

// In one transaction: grows the pool to the lines + 1 rows, disables every row, fills and enables
// the first rows in key order with the lines, and writes the month title into PrintList row 1 and,
// when not empty, the subtitle into row 2 (a missing PrintList row is not created); then opens
// enabledLines on the enabled lines and returns the titles (as ReadReportTitles). Another
// workstation printing a report at the same time waits, so each prints its own lines and titles.
// Raises KestrelError; nothing of the pool is then stored.
std::map<QString, QString> FillReportPool(DbConnection& connection,
                                          const std::vector<Monthly::ReportLine>& lines,
                                          const QString& monthTitle, const QString& subtitle,
                                          Query& enabledLines);

// The templates' names of the PrintList titles: MonthTitle (row 1) and ReportTitle (row 2).
inline const QString MonthTitleVariable = QStringLiteral("MonthTitle");
inline const QString ReportTitleVariable = QStringLiteral("ReportTitle");

// The PrintList titles by the names the templates use; a missing row gives no entry. Raises
// KestrelError when the table cannot be read.
std::map<QString, QString> ReadReportTitles(DbConnection& connection);

// A document's amount in capitals for its print: written into the first PrintBigFont row, which
// bigFont is then opened on, in one transaction that holds the table against other workstations'
// prints. A table without rows stores nothing. Raises KestrelError; nothing is then stored.
void FillBigFont(DbConnection& connection, const QString& capitals, Query& bigFont);
