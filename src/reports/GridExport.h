#pragma once

#include <QDate>
#include <QString>
#include <functional>

class DataGrid;

// The spreadsheet export of a result grid: an .xlsx workbook with the date line in row 1, the
// titles of the visible columns in row 3 and one row per record the grid shows from row 4, in the
// grid's order (after a title sort and a filter).

// "日期:2008年03月05日"
QString ExportDateLine(const QDate& today);
// A stored date as the sheet shows it: "2008.03.05", or "2008.03.05 14.30.00" when the text
// carries a time of day; "" for an empty text.
QString ExportDateText(const QString& storedText);
// An amount as the sheet holds it: the number the grid shows for it (RoundAmountText: rounded to
// four decimals, at most 15 significant digits), so no binary tail of a sum reaches the sheet.
double ExportNumber(double value);
// Whether a field holds dates (the creation and record times of documents and vouchers).
bool IsDateField(const QString& fieldName);
// What 导出Excel or 打印列表 says when the result page was never queried:
// "还没有查询结果：请先点击 查找单据，再导出Excel".
QString QueryFirstText(const QString& action);
// The file name the save dialog proposes: "数据报表20080305.xlsx".
QString ProposedExportName(const QDate& today);

// Writes the grid's visible columns and the records it shows into a workbook at path. The
// workbook is written to a new file beside path and moved over it only when complete, so an
// existing file is never left half written. Returns "" on success, else why it failed.
// progress (when set) hears now and then how many rows are written of how many; when it returns
// false the export stops, no file is written or changed, and ExportCancelled is returned.
QString WriteGridWorkbook(const DataGrid& grid, const QString& path, const QDate& today,
                          const std::function<bool(qint64 done, qint64 total)>& progress = {});
inline const QString ExportCancelled = QStringLiteral("导出已取消");
