#include "GridExport.h"

#include "foundation/BooksFiles.h"
#include "foundation/FileTargets.h"
#include "foundation/JetSql.h"
#include "foundation/Leftovers.h"
#include "foundation/PublicFunction.h"
#include "foundation/Query.h"
#include "foundation/ShareDM.h"
#include "kit/DataGrid.h"
#include "kit/GridRows.h"
#include "kit/Prompts.h"
#include "reports/ProgressForm.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cstdio>
#include <vector>
#include <xlsxwriter.h>

QString ExportDateLine(const QDate& today) {
    return QStringLiteral("日期:") + today.toString(QStringLiteral("yyyy年MM月dd日"));
}

namespace {

// Whether text has the stored form "yyyy-MM-dd" or "yyyy-MM-dd HH:mm:ss", with a valid date and
// time of day: the sheet's form then differs only in its separators.
bool IsStoredDateForm(const QString& text) {
    const qsizetype size = text.size();
    if ((size != 10 && size != 19) || text[4] != u'-' || text[7] != u'-' ||
        !QDate::isValid(DigitsAt(text, 0, 4), DigitsAt(text, 5, 2), DigitsAt(text, 8, 2)))
        return false;
    return size == 10 ||
           (text[10] == u' ' && text[13] == u':' && text[16] == u':' &&
            QTime::isValid(DigitsAt(text, 11, 2), DigitsAt(text, 14, 2), DigitsAt(text, 17, 2)));
}

} // namespace

QString ExportDateText(const QString& storedText) {
    if (storedText.isEmpty())
        return QString();
    // The stored form, turned over character by character: a long result has a date in every row.
    if (IsStoredDateForm(storedText)) {
        QString text = storedText;
        for (const qsizetype at : {4, 7, 13, 16}) {
            if (at < text.size())
                text[at] = u'.';
        }
        return text;
    }
    const QDateTime value = ParseStoredDate(storedText);
    if (!value.isValid())
        return storedText;
    return value.toString(storedText.size() > 10 ? QStringLiteral("yyyy.MM.dd HH.mm.ss")
                                                 : QStringLiteral("yyyy.MM.dd"));
}

double ExportNumber(double value) {
    // The grid shows an amount through RoundAmountText; the sheet holds the number of that text,
    // without the binary tail a sum or difference leaves (0.0599999999999454 is 0.06).
    bool ok = false;
    const double shown = RoundAmountText(value).toDouble(&ok);
    return ok ? shown : value;
}

bool IsDateField(const QString& fieldName) {
    return fieldName.endsWith(QStringLiteral("Time"), Qt::CaseInsensitive);
}

QString ProposedExportName(const QDate& today) {
    return QStringLiteral("数据报表") + today.toString(QStringLiteral("yyyyMMdd")) + QStringLiteral(".xlsx");
}

namespace {

// The visible columns of a grid in the order it shows them, each with its query column.
struct ExportColumn {
    int GridColumn;
    int QueryColumn; // -1 when the query has no such field: the cells stay empty
    bool Dates;
};

std::vector<ExportColumn> VisibleColumns(const DataGrid& grid, const Query* query) {
    std::vector<ExportColumn> columns;
    const QHeaderView* header = grid.horizontalHeader();
    for (int visual = 0; visual < header->count(); ++visual) {
        const int column = header->logicalIndex(visual);
        if (column < 0 || column >= grid.ColumnCount() || grid.isColumnHidden(column))
            continue;
        const QString& field = grid.Model()->Columns()[static_cast<size_t>(column)].FieldName;
        columns.push_back(
            {column, query && query->Active() ? query->FieldIndex(field) : -1, IsDateField(field)});
    }
    return columns;
}

// Writes the sheet; false when libxlsxwriter refused a cell (its reason in *error).
bool WriteSheet(lxw_workbook* book, const DataGrid& grid, const QDate& today,
                const std::function<bool(qint64, qint64)>& progress, QString* error) {
    lxw_worksheet* sheet = workbook_add_worksheet(book, nullptr);
    // Texts stay texts when edited: the cell's number format is text.
    lxw_format* text = workbook_add_format(book);
    format_set_num_format_index(text, 49); // "@"
    if (!sheet || !text) {
        *error = QStringLiteral("内存不足");
        return false;
    }
    const Query* query = grid.BoundQuery();
    const std::vector<ExportColumn> columns = VisibleColumns(grid, query);
    // Each column as wide as the grid shows it, or as its widest text (a Chinese character counts
    // two), up to 60 characters.
    std::vector<double> widths(columns.size());
    for (size_t c = 0; c < columns.size(); ++c)
        widths[c] = std::max(8.0, grid.columnWidth(columns[c].GridColumn) / 7.0);
    lxw_error status = LXW_NO_ERROR;
    auto writeText = [&](lxw_row_t row, lxw_col_t col, const QString& value) {
        if (status != LXW_NO_ERROR || value.isEmpty())
            return;
        const QByteArray utf8 = value.toUtf8();
        status = worksheet_write_string(sheet, row, col, utf8.constData(), text);
        if (row >= 2 && col < widths.size())
            widths[col] = std::max(widths[col], std::min(60.0, (utf8.size() + value.size()) / 2.0 + 2));
    };
    writeText(0, 0, ExportDateLine(today));
    for (size_t c = 0; c < columns.size(); ++c)
        writeText(2, static_cast<lxw_col_t>(c), grid.Model()->Columns()[columns[c].GridColumn].Title);

    // The rows the grid shows, in its order: a title sort and a filter carry into the sheet.
    // (A grid not reloaded since its query was opened shows nothing of it: then the query's rows.)
    const bool following = query && query->Active() && grid.Model()->rowCount() == query->RecordCount();
    const std::vector<int>& shown = grid.ShownRows();
    const int rows =
        !query || !query->Active() ? 0 : (following ? static_cast<int>(shown.size()) : query->RecordCount());
    for (int r = 0; r < rows && status == LXW_NO_ERROR; ++r) {
        if (progress && r % 512 == 0 && !progress(r, rows)) {
            *error = ExportCancelled;
            return false;
        }
        const auto row = static_cast<lxw_row_t>(3 + r);
        const int record = following ? shown[static_cast<size_t>(r)] : r;
        for (size_t c = 0; c < columns.size(); ++c) {
            if (columns[c].QueryColumn < 0)
                continue;
            const QVariant value = query->ValueAt(record, columns[c].QueryColumn);
            const auto col = static_cast<lxw_col_t>(c);
            switch (value.typeId()) {
            case QMetaType::UnknownType:
                break;
            case QMetaType::Double:
                // Amounts are numbers, as the grid shows them.
                if (status == LXW_NO_ERROR)
                    status = worksheet_write_number(sheet, row, col, ExportNumber(value.toDouble()), nullptr);
                break;
            case QMetaType::LongLong:
            case QMetaType::Int:
                if (status == LXW_NO_ERROR)
                    status = worksheet_write_number(sheet, row, col, value.toDouble(), nullptr);
                break;
            default:
                writeText(row, col, columns[c].Dates ? ExportDateText(value.toString()) : value.toString());
                break;
            }
        }
    }
    for (size_t c = 0; c < columns.size(); ++c)
        worksheet_set_column(sheet, static_cast<lxw_col_t>(c), static_cast<lxw_col_t>(c), widths[c], nullptr);
    if (status != LXW_NO_ERROR) {
        *error = QString::fromUtf8(lxw_strerror(status));
        return false;
    }
    return true;
}

} // namespace

QString WriteGridWorkbook(const DataGrid& grid, const QString& path, const QDate& today,
                          const std::function<bool(qint64 done, qint64 total)>& progress) {
    const QString temporary = FileTargets::PartBeside(path, QStringLiteral("export"));
    const Leftovers::Unfinished noted(temporary);
    const QByteArray temporaryName = QFile::encodeName(temporary);
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    lxw_workbook_options options = {};
    options.constant_memory = LXW_TRUE;
    options.tmpdir = const_cast<char*>(folder.constData());
    lxw_workbook* book = workbook_new_opt(temporaryName.constData(), &options);
    if (!book)
        return QStringLiteral("建立Excel对象不成功，请重试!");
    QString error;
    const bool written = WriteSheet(book, grid, today, progress, &error);
    const lxw_error closed = workbook_close(book);
    if (written && closed != LXW_NO_ERROR)
        error = QString::fromUtf8(lxw_strerror(closed));
    if (!written || closed != LXW_NO_ERROR) {
        QFile::remove(temporary);
        return error;
    }
    if (std::rename(temporaryName.constData(), QFile::encodeName(path).constData()) != 0) {
        error = QString::fromLocal8Bit(std::strerror(errno));
        QFile::remove(temporary);
        return error;
    }
    return QString();
}

QString QueryFirstText(const QString& action) {
    return QStringLiteral("还没有查询结果：请先点击 查找单据，再") + action;
}

namespace {

// From this many rows on the export shows the progress window.
constexpr int ExportProgressRows = 5000;

// The busy cursor (an arrow with an hourglass) for as long as it lives.
struct BusyCursor {
    BusyCursor() { QApplication::setOverrideCursor(Qt::BusyCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

} // namespace

void TShareDataModule::ExportGridToExcel(DataGrid* grid) {
    // Without a result there is nothing to export; the user is told how to get one.
    if (!grid)
        return;
    if (!grid->BoundQuery() || !grid->BoundQuery()->Active()) {
        Prompts::Get().Information(QueryFirstText(QStringLiteral("导出Excel")));
        return;
    }
    const QDate today = QDate::currentDate();
    FileDialogOptions options;
    options.Title = QStringLiteral("导出Excel");
    options.Folder = GetDesktopFolder();
    options.FileName = ProposedExportName(today);
    options.Filter = QStringLiteral("Excel 工作簿 (*.xlsx)");
    options.DefaultSuffix = QStringLiteral("xlsx");
    QString path = Prompts::Get().SaveFileName(grid->window(), options);
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".xlsx");
    if (!ConfirmWriteTarget(path, QStringLiteral("导出Excel")))
        return;
    QString error;
    {
        const BusyCursor busy;
        // A long result shows how far the export is and can be stopped; a short one is done at once.
        const int rows = grid->BoundQuery()->RecordCount();
        if (rows >= ExportProgressRows && FormProgress != nullptr) {
            ProgressRun run(FormProgress, grid->window());
            FormProgress->SetText(QStringLiteral("正在导出 %1 行，请稍候……").arg(rows));
            error = WriteGridWorkbook(*grid, path, today, [](qint64 done, qint64 total) {
                return !FormProgress->Advance(done, total);
            });
        } else {
            error = WriteGridWorkbook(*grid, path, today);
        }
    }
    if (error == ExportCancelled)
        return;
    if (!error.isEmpty()) {
        Prompts::Get().Error(QStringLiteral("导出失败，文件没有写成：\n") + QDir::toNativeSeparators(path) +
                             QStringLiteral("\n\n") + error);
        return;
    }
    if (!Prompts::Get().OpenWithDesktop(path))
        Prompts::Get().Information(QStringLiteral("本机没有可以打开该文件的程序。\n导出的文件保存在：\n") +
                                   QDir::toNativeSeparators(path));
}
