// Times the spreadsheet export and the business analysis window on the document result of every
// document of a large database, each against the best that gives the same result without the
// program, measured in the same run:
//  - the export of the result grid (the workbook written, from the rows in memory to the finished
//    file) against libxlsxwriter alone writing the same cells with the same formats in its
//    constant-memory mode, from cells made ready beforehand. Afterwards the sheets of both
//    workbooks are compared: the same cells in the same places, the same count and the same sum.
//  - the analysis window opened on that result (its query, the nine figures, the four charts and
//    the window painted) against SQLite at its best for the analysis query alone: every statement
//    that gives the same rows in the same order, under every setting, stepped with every value read.
// Times are the best of several runs after a warm-up, as CPU time of the program's thread and as
// wall-clock time (on a shared machine the best run is the one least disturbed by others).
//
// usage: kestrel_bench_analysis_export PATH-OF-A-LARGE-Kestrel.mdb   (kestrel_makebenchdb writes one)
#include "BenchProgram.h"
#include "BenchSqlite.h"
#include "BenchTiming.h"
#include "app/Forms.h"
#include "foundation/PublicFunction.h"
#include "foundation/Query.h"
#include "foundation/ShareDM.h"
#include "foundation/Startup.h"
#include "kit/DataGrid.h"
#include "kit/Prompts.h"
#include "mainwindow/MainForm.h"
#include "reports/AnalysisCharts.h"
#include "reports/AnalysisForm.h"
#include "reports/GridExport.h"
#include "reports/ReportQueries.h"

#include <QApplication>
#include <QDateEdit>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QProcess>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextStream>
#include <string>
#include <vector>
#include <xlsxwriter.h>

namespace {

QTextStream out(stdout);

QString Ratio(double program, double bound) {
    return QString::number(program / bound, 'f', 2);
}

// The cells of a sheet as plain values, ready for libxlsxwriter: texts as one buffer of
// NUL-terminated UTF-8 strings.
struct PlainCell {
    lxw_row_t Row;
    lxw_col_t Col;
    bool IsText;
    double Number; // when not a text
    size_t Offset; // into Texts, when a text
};
struct PlainSheet {
    std::vector<PlainCell> Cells;
    std::string Texts;
    std::vector<double> Widths;
};

// The cells the export writes for a grid, made from its rows: the date line, the titles of the
// visible columns, and every record, dates in the sheet's format and numbers as numbers.
PlainSheet CellsOf(const DataGrid& grid, const QDate& today) {
    PlainSheet sheet;
    auto text = [&](lxw_row_t row, lxw_col_t col, const QString& value) {
        if (value.isEmpty())
            return;
        sheet.Cells.push_back({row, col, true, 0, sheet.Texts.size()});
        sheet.Texts += value.toStdString();
        sheet.Texts.push_back('\0');
    };
    text(0, 0, ExportDateLine(today));
    const Query& query = *grid.BoundQuery();
    const QHeaderView* header = grid.horizontalHeader();
    std::vector<std::pair<int, bool>> columns; // query column, holds dates
    for (int visual = 0; visual < header->count(); ++visual) {
        const int column = header->logicalIndex(visual);
        if (grid.isColumnHidden(column))
            continue;
        const GridColumn& shown = grid.Model()->Columns()[static_cast<size_t>(column)];
        text(2, static_cast<lxw_col_t>(columns.size()), shown.Title);
        columns.emplace_back(query.FieldIndex(shown.FieldName), IsDateField(shown.FieldName));
        sheet.Widths.push_back(std::max(8.0, grid.columnWidth(column) / 7.0));
    }
    for (int r = 0; r < query.RecordCount(); ++r) {
        for (size_t c = 0; c < columns.size(); ++c) {
            const QVariant value = query.ValueAt(r, columns[c].first);
            const auto row = static_cast<lxw_row_t>(3 + r);
            const auto col = static_cast<lxw_col_t>(c);
            if (value.typeId() == QMetaType::Double || value.typeId() == QMetaType::LongLong ||
                value.typeId() == QMetaType::Int)
                // At the 15 digits a figure is shown with, as the export writes it.
                sheet.Cells.push_back(
                    {row, col, false, QString::number(value.toDouble(), 'g', 15).toDouble(), 0});
            else if (value.isValid())
                text(row, col, columns[c].second ? ExportDateText(value.toString()) : value.toString());
        }
    }
    return sheet;
}

// libxlsxwriter alone: the same cells with the same formats in constant-memory mode.
void WritePlain(const PlainSheet& cells, const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    lxw_workbook_options options = {};
    options.constant_memory = LXW_TRUE;
    options.tmpdir = const_cast<char*>(folder.constData());
    lxw_workbook* book = workbook_new_opt(name.constData(), &options);
    lxw_worksheet* sheet = workbook_add_worksheet(book, nullptr);
    lxw_format* text = workbook_add_format(book);
    format_set_num_format_index(text, 49);
    for (const PlainCell& cell : cells.Cells) {
        if (cell.IsText)
            worksheet_write_string(sheet, cell.Row, cell.Col, cells.Texts.c_str() + cell.Offset, text);
        else
            worksheet_write_number(sheet, cell.Row, cell.Col, cell.Number, nullptr);
    }
    for (size_t c = 0; c < cells.Widths.size(); ++c)
        worksheet_set_column(sheet, static_cast<lxw_col_t>(c), static_cast<lxw_col_t>(c), cells.Widths[c],
                             nullptr);
    workbook_close(book);
}

// The cells of a workbook's first sheet (its sheetData element), read with unzip.
QByteArray SheetData(const QString& path) {
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"),
                {QStringLiteral("-p"), path, QStringLiteral("xl/worksheets/sheet1.xml")});
    unzip.waitForFinished(600000);
    const QByteArray xml = unzip.readAllStandardOutput();
    const qsizetype from = xml.indexOf("<sheetData");
    const qsizetype to = xml.indexOf("</sheetData>");
    return from < 0 || to < 0 ? QByteArray() : xml.mid(from, to - from);
}

// The number of cells and the sum of the numeric ones in a sheet's cells.
std::pair<qint64, double> CountAndSum(const QByteArray& sheetData) {
    qint64 cells = 0;
    double sum = 0;
    for (qsizetype at = sheetData.indexOf("<c "); at >= 0; at = sheetData.indexOf("<c ", at + 3)) {
        ++cells;
        const qsizetype end = sheetData.indexOf("</c>", at);
        const QByteArray cell = sheetData.mid(at, end - at);
        if (cell.contains("t=\"inlineStr\"") || cell.contains("t=\"s\""))
            continue;
        const qsizetype v = cell.indexOf("<v>");
        if (v >= 0)
            sum += cell.mid(v + 3, cell.indexOf("</v>", v) - v - 3).toDouble();
    }
    return {cells, sum};
}

void MeasureExport(DataGrid* grid) {
    const QDate today = QDate::currentDate();
    QTemporaryDir dir;
    const QString programFile = dir.filePath(QStringLiteral("program.xlsx"));
    const QString plainFile = dir.filePath(QStringLiteral("plain.xlsx"));
    const PlainSheet cells = CellsOf(*grid, today);
    QString error;
    std::vector<Timing> program, plain;
    // Alternately, so that both sides see the same load of the machine.
    for (int round = 0; round < 3; ++round) {
        program.push_back(Time([&] { error = WriteGridWorkbook(*grid, programFile, today); }, 1));
        plain.push_back(Time([&] { WritePlain(cells, plainFile); }, 1));
    }
    auto best = [](const std::vector<Timing>& runs) {
        Timing t{1e12, 1e12};
        for (const Timing& run : runs)
            t = {std::min(t.Cpu, run.Cpu), std::min(t.Wall, run.Wall)};
        return t;
    };
    const Timing exported = best(program);
    const Timing bound = best(plain);
    out << "spreadsheet export of the document result (" << grid->BoundQuery()->RecordCount() << " rows, "
        << cells.Cells.size() << " cells)\n";
    if (!error.isEmpty())
        out << "  the export failed: " << error << "\n";
    out << "  the program's export:                          " << ShowTiming(exported) << "\n";
    out << "  libxlsxwriter alone, constant memory, same cells: " << ShowTiming(bound) << "\n";
    out << "  ratio export / libxlsxwriter alone: " << Ratio(exported.Cpu, bound.Cpu) << " cpu, "
        << Ratio(exported.Wall, bound.Wall) << " wall (at most 1.3)\n";
    const QByteArray programCells = SheetData(programFile);
    const QByteArray plainCells = SheetData(plainFile);
    const auto [programCount, programSum] = CountAndSum(programCells);
    const auto [plainCount, plainSum] = CountAndSum(plainCells);
    out << "  cells written: program " << programCount << " (numbers sum to "
        << QString::number(programSum, 'f', 2) << "), libxlsxwriter alone " << plainCount << " ("
        << QString::number(plainSum, 'f', 2) << "); sheets "
        << (!programCells.isEmpty() && programCells == plainCells ? "identical" : "DIFFERENT") << "\n";
    out.flush();
}

void MeasureAnalysis(const QString& path) {
    const QString analysis = AnalysisQueryText(FormMain->BillReportSql, BillFilter);
    const QString head =
        QStringLiteral("Select BillIndex,BillCreateTime,BillSerial,BillKind,BillUser,BillSum,");
    const QString columns = QStringLiteral("BillMan,BillReason,BillState,BillRemark");
    const QString got = QStringLiteral("IIF(Round(Sum(MoneySum),2) Is Null,0,Round(Sum(MoneySum),2))");
    const QString order = QStringLiteral(" Order By BillUser,BillCreateTime,BillIndex");
    const std::vector<Candidate> candidates = {
        {"the program's statement", analysis},
        {"documents joined with their vouchers, grouped",
         head + got + QStringLiteral(" As BillGet,BillSum-") + got + QStringLiteral(" As BillOwe,") +
             columns +
             QStringLiteral(
                 " From (Bill Left Join MoneyTable On Bill.BillIndex = MoneyTable.MoneyBill) Where "
                 "(BillIndex > 1) Group By BillIndex,BillCreateTime,BillSerial,BillKind,BillUser,"
                 "BillSum,BillMan,BillReason,BillState,BillRemark") +
             order},
        {"vouchers totalled first, joined to the documents",
         head +
             QStringLiteral("IIF(Got Is Null,0,Got) As BillGet,BillSum-IIF(Got Is Null,0,Got) As BillOwe,") +
             columns +
             QStringLiteral(" From Bill Left Join (Select MoneyBill,Round(Sum(MoneySum),2) As Got From "
                            "MoneyTable Group By MoneyBill) On MoneyBill = BillIndex Where (BillIndex > 1)") +
             order},
    };
    out << "business analysis window on the document result\n";
    const Bound bound = BestOfSqlite(path, candidates, out);
    Query query(&ShareDataModule->ADOConnection1);
    const Timing open = Time([&] { query.Open(analysis); });
    const Timing window = Time([&] {
        FormAnalysis->show();
        FormAnalysis->grab();
        FormAnalysis->hide();
    });
    // Of which: the figures and the four charts' points computed from the rows (default choices).
    const Query& rows = FormAnalysis->ADOQueryReport;
    const QDate from = FormAnalysis->DateTimePicker1->date(), to = FormAnalysis->DateTimePicker2->date();
    const Timing compute = Time([&] {
        SumFigures(rows);
        const QString measure = MeasureName(MeasureItems[0]);
        for (const QString& grouping :
             {QStringLiteral("BillMan"), QStringLiteral("BillReason"), QStringLiteral("BillUser")})
            ChartPoints(rows, measure, grouping, from, to, true);
        ChartPoints(rows, measure, MonthPeriod, from, to, false);
    });
    out << "  the bound: " << bound.what << "\n";
    out << "  Query::Open of the analysis text:          " << ShowTiming(open) << "\n";
    out << "  window opened (query, figures, charts, painted): " << ShowTiming(window) << "\n";
    out << "    of which the nine figures and the four charts' points: " << ShowTiming(compute) << "\n";
    out << "  ratio window / SQLite at its best: " << Ratio(window.Cpu, bound.stepRead.Cpu) << " cpu, "
        << Ratio(window.Wall, bound.stepRead.Wall) << " wall (at most 1.5)\n";
    out << "  rows " << FormAnalysis->ADOQueryReport.RecordCount() << "; figures";
    for (int label = 11; label <= 19; ++label)
        out << " " << FormAnalysis->Label(label)->text();
    out << "\n";
    for (int chart = 0; chart < 4; ++chart) {
        const auto& points = FormAnalysis->Points(chart);
        out << "  chart " << chart + 1 << ": " << points.size() << " points";
        if (!points.empty())
            out << ", first " << points.front().Label << " " << points.front().Value;
        out << "\n";
    }
    out.flush();
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc != 2 || !QFileInfo(QString::fromLocal8Bit(argv[1])).isFile()) {
        out << "usage: kestrel_bench_analysis_export PATH-OF-A-LARGE-Kestrel.mdb (kestrel_makebenchdb writes "
               "one)\n";
        return 2;
    }
    const QString path = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath();
    if (!StartProgramOn(path, out))
        return 1;
    FormMain->SetWorkingDate(QDate(2024, 6, 28)); // the last month of the generator's data
    FormMain->ShowPage(TFormMain::PageBillReport);
    FormMain->FillBillReport(BillReportSelect() + QStringLiteral("(BillIndex > 1)"));
    MeasureExport(FormMain->DBGridEh2);
    MeasureAnalysis(path);
    DestroyForms();
    return 0;
}
