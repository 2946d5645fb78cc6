#include "ReportFixture.h"
#include "kit/DataGrid.h"
#include "mainwindow/MainForm.h"
#include "reports/GridExport.h"
#include "reports/ProgressForm.h"
#include "reports/ReportQueries.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QXmlStreamReader>

// The spreadsheet export of the two result grids, read back from the written workbook. Set
// KESTREL_SHOTS to a folder to keep the document result's workbook there.
class TestGridExport : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void dateTexts_data();
    void dateTexts();
    void numbers_data();
    void numbers();
    void documentResult();
    void amountsAsTheGridShowsThem();
    void voucherResultSkipsHiddenColumns();
    void emptyResultHasDateAndTitlesOnly();
    void noResultExportsNothing();
    void cancelledDialogWritesNothing();
    void existingFileIsReplacedOnlyWhenConfirmed();
    void failedWriteSaysWhyAndKeepsWhatWasThere();
    void withoutAProgramTheMessageSaysWhereTheFileIs();
    void stoppedExportLeavesNothing();

private:
    std::unique_ptr<TestProgram> program;
    QTemporaryDir out;
    QString Target() const { return out.filePath(QStringLiteral("导出.xlsx")); }
    // Chooses path in the save dialog and presses the page's export button.
    void Export(QAction* action, const QString& path);
};

// A cell read back from the sheet XML: its text (or number as written), whether it was a number,
// and its number format.
struct SheetCell {
    QString Text;
    bool Number = false;
    bool Formula = false;
    int NumFmt = 0;
};
using Sheet = QMap<QString, SheetCell>; // by reference, "A1"

namespace {

QByteArray Unzip(const QString& path, const QString& member) {
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), path, member});
    if (!unzip.waitForFinished(30000) || unzip.exitCode() != 0)
        return QByteArray();
    return unzip.readAllStandardOutput();
}

// The number format of each cell style (cellXfs, by index).
QList<int> StyleFormats(const QByteArray& stylesXml) {
    QList<int> formats;
    QXmlStreamReader xml(stylesXml);
    bool inXfs = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == u"cellXfs")
            inXfs = true;
        else if (xml.isEndElement() && xml.name() == u"cellXfs")
            inXfs = false;
        else if (inXfs && xml.isStartElement() && xml.name() == u"xf")
            formats << xml.attributes().value(QStringLiteral("numFmtId")).toInt();
    }
    return formats;
}

Sheet ReadSheet(const QString& path) {
    const QList<int> formats = StyleFormats(Unzip(path, QStringLiteral("xl/styles.xml")));
    QStringList shared;
    QXmlStreamReader strings(Unzip(path, QStringLiteral("xl/sharedStrings.xml")));
    while (!strings.atEnd()) {
        if (strings.readNext() == QXmlStreamReader::StartElement && strings.name() == u"t")
            shared << strings.readElementText();
    }
    Sheet sheet;
    QXmlStreamReader xml(Unzip(path, QStringLiteral("xl/worksheets/sheet1.xml")));
    QString ref, type;
    SheetCell cell;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == u"c") {
            ref = xml.attributes().value(QStringLiteral("r")).toString();
            type = xml.attributes().value(QStringLiteral("t")).toString();
            cell = SheetCell();
            const int style = xml.attributes().value(QStringLiteral("s")).toInt();
            cell.NumFmt = style < formats.size() ? formats[style] : 0;
        } else if (xml.isStartElement() && xml.name() == u"f") {
            cell.Formula = true;
        } else if (xml.isStartElement() && (xml.name() == u"v" || xml.name() == u"t")) {
            const QString text = xml.readElementText();
            cell.Number = type.isEmpty() || type == u"n";
            cell.Text = type == u"s" ? shared.value(text.toInt()) : text;
        } else if (xml.isEndElement() && xml.name() == u"c") {
            sheet.insert(ref, cell);
        }
    }
    return sheet;
}

QStringList Row(const Sheet& sheet, int row) {
    QStringList texts;
    for (auto it = sheet.begin(); it != sheet.end(); ++it) {
        const QString ref = it.key();
        const int digit = int(ref.indexOf(QRegularExpression(QStringLiteral("\\d"))));
        if (ref.mid(digit).toInt() == row)
            texts << ref;
    }
    std::sort(texts.begin(), texts.end(), [](const QString& a, const QString& b) {
        return a.size() != b.size() ? a.size() < b.size() : a < b;
    });
    QStringList values;
    for (const QString& ref : texts)
        values << sheet[ref].Text;
    return values;
}

int LastRow(const Sheet& sheet) {
    int last = 0;
    for (const QString& ref : sheet.keys())
        last = std::max(last, ref.mid(int(ref.indexOf(QRegularExpression(QStringLiteral("\\d"))))).toInt());
    return last;
}

} // namespace

void TestGridExport::init() {
    program = std::make_unique<TestProgram>();
    FillSmallBook(*program);
    FormMain->SetWorkingDate(QDate(2024, 2, 15));
    CurrentRole = QStringLiteral("总经理");
    QDir(out.path()).removeRecursively();
    QDir().mkpath(out.path());
}

void TestGridExport::cleanup() {
    program.reset();
}

void TestGridExport::Export(QAction* action, const QString& path) {
    program->Prompts().QueueFileName(path);
    action->trigger();
    QVERIFY(!QApplication::overrideCursor());
}

void TestGridExport::dateTexts_data() {
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("shown");
    QTest::newRow("day") << "2008-03-05"
                         << "2008.03.05";
    QTest::newRow("time of day") << "2008-03-05 14:30:00"
                                 << "2008.03.05 14.30.00";
    QTest::newRow("midnight written out") << "2008-03-05 00:00:00"
                                          << "2008.03.05 00.00.00";
    QTest::newRow("empty") << ""
                           << "";
    // Not the stored form: kept as stored when it is no date, read as a date when it is one.
    QTest::newRow("no such day") << "2024-02-30"
                                 << "2024-02-30";
    QTest::newRow("no such hour") << "2024-06-30 25:00:00"
                                  << "2024-06-30 25:00:00";
    QTest::newRow("ISO form") << "2024-06-30T14:30:05"
                              << "2024.06.30 14.30.05";
    QTest::newRow("leap day") << "2024-02-29 23:59:59"
                              << "2024.02.29 23.59.59";
}

void TestGridExport::numbers_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<double>("written");
    QTest::newRow("amount") << 1234.5 << 1234.5;
    QTest::newRow("negative amount") << -4047.72 << -4047.72;
    QTest::newRow("sum with a binary tail") << 0.1 + 0.2 << 0.3;
    QTest::newRow("whole number") << 300.0 << 300.0;
    QTest::newRow("beyond 15 digits") << 1234567890123456789.0 << 1.23456789012346e18;
    QTest::newRow("zero") << 0.0 << 0.0;
    // What a difference leaves behind: 1000.06 - 1000 is shown, and written, as 0.06.
    QTest::newRow("difference with a binary tail") << 1000.06 - 1000 << 0.06;
    QTest::newRow("negative tail") << 1000 - 1000.06 << -0.06;
    QTest::newRow("tail below the shown decimals") << 12.3400000001 << 12.34;
    QTest::newRow("four decimals shown") << 1234.56789 << 1234.5679;
    QTest::newRow("too small to show") << 0.00001 << 0.0;
}

void TestGridExport::numbers() {
    QFETCH(double, value);
    QFETCH(double, written);
    // Exactly: a fuzzy comparison would hide the binary tail.
    const double exported = ExportNumber(value);
    QVERIFY2(exported == written, qPrintable(QString::number(exported, 'g', 17)));
}

void TestGridExport::dateTexts() {
    QFETCH(QString, stored);
    QFETCH(QString, shown);
    QCOMPARE(ExportDateText(stored), shown);
    QCOMPARE(ExportDateLine(QDate(2008, 3, 5)), QStringLiteral("日期:2008年03月05日"));
}

void TestGridExport::documentResult() {
    // A time of day on one document, and a remark that reads like a formula.
    program->Exec(
        "Update Bill Set BillCreateTime = '2024-02-10 14:30:00', BillRemark = '=1+2' Where BillIndex = 3");
    FormMain->FillBillReport(BillMonthQueryText(FormMain->WorkingDate()));
    Export(FormMain->ActionBExecel, Target());
    QCOMPARE(program->Prompts().OpenedWithDesktop, QStringList{Target()});
    QVERIFY(program->Prompts().Texts().isEmpty());
    QVERIFY(program->Prompts().LastFileDialog.FileName.contains(QDate::currentDate().toString("yyyyMMdd")));
    QCOMPARE(QDir(out.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"导出.xlsx"});

    // KESTREL_SHOTS: keep the workbook there to look at it in a spreadsheet program.
    if (const QString shots = qEnvironmentVariable("KESTREL_SHOTS"); !shots.isEmpty())
        QFile::copy(Target(), QDir(shots).filePath(QStringLiteral("documents.xlsx")));
    const Sheet sheet = ReadSheet(Target());
    QCOMPARE(Row(sheet, 1), QStringList{ExportDateLine(QDate::currentDate())});
    QVERIFY(Row(sheet, 2).isEmpty());
    QCOMPARE(Row(sheet, 3),
             (QStringList{"创建时间", "单据编号", "单据类型", "客户名称", "单据金额", "已收金额", "未收金额",
                          "业务员", "业务种类", "业务进度", "备注信息"}));
    QCOMPARE(sheet["A3"].NumFmt, 49); // text
    // Date order: the sale of 2024-02-03, the purchase at 14:30 on the 10th, the purchase of the 20th.
    QCOMPARE(Row(sheet, 4), (QStringList{"2024.02.03", "XS100001", "销售开单", "东方商贸", "1000", "500.25",
                                         "499.75", "张三", "商品销售", "已发货", "加急"}));
    QCOMPARE(Row(sheet, 5).first(), QStringLiteral("2024.02.10 14.30.00"));
    QCOMPARE(Row(sheet, 6).mid(4, 3), (QStringList{"-800", "0", "-800"}));
    QCOMPARE(LastRow(sheet), 6);
    for (const char* ref : {"E4", "F4", "G4", "E6"})
        QVERIFY2(sheet[ref].Number, ref);
    for (const char* ref : {"A4", "B4", "D4"}) {
        QVERIFY2(!sheet[ref].Number, ref);
        QCOMPARE(sheet[ref].NumFmt, 49);
    }
    // The formula-like remark is text.
    QCOMPARE(sheet["K5"].Text, QStringLiteral("=1+2"));
    QVERIFY(!sheet["K5"].Formula);
    QVERIFY(!sheet["K5"].Number);
}

void TestGridExport::amountsAsTheGridShowsThem() {
    // A sale of 1000.06 paid with 1000: its open amount is a difference with a binary tail.
    program->Exec(
        "Insert Into Bill (BillIndex, BillKind, BillSerial, BillCreateTime, BillUser, BillSum, BillReason, "
        "BillState, BillRemark, BillMan) Values (6, '销售开单', 'XS100003', '2024-02-25', '东方商贸', "
        "1000.06, "
        "'商品销售', '已发货', '', '张三')");
    program->Exec(
        "Insert Into MoneyTable (MoneyIndex, MoneyAccount, MoneyBill, MoneySerial, MoneyCreateTime, "
        "MoneyUser, MoneyReason, MoneyType, MoneyToken, MoneyRemark, MoneyMan, MoneyIn, MoneyOut, "
        "MoneySum) Values (7, 2, 6, 'SK100004', '2024-02-26', '东方商贸', '商品销售', '货款', '收据', "
        "'', '张三', 1000, 0, 1000)");
    FormMain->FillBillReport(BillMonthQueryText(FormMain->WorkingDate()));
    DataGrid* grid = FormMain->DBGridEh2;
    Export(FormMain->ActionBExecel, Target());
    const Sheet sheet = ReadSheet(Target());
    const Query& query = FormMain->BReportADOQuery;
    QCOMPARE(LastRow(sheet), 3 + query.RecordCount());
    // Every number cell holds the number the grid shows in the same place, to the last bit.
    int numbers = 0;
    bool sawTail = false;
    for (int r = 0; r < query.RecordCount(); ++r) {
        for (int c = 0; c < grid->ColumnCount(); ++c) {
            const QString ref = QString(QChar(u'A' + c)) + QString::number(4 + r);
            if (!sheet.contains(ref) || !sheet[ref].Number)
                continue;
            const QString shown = grid->Model()->DisplayText(r, c);
            const double written = sheet[ref].Text.toDouble();
            QVERIFY2(written == shown.toDouble(), qPrintable(ref + ": " + sheet[ref].Text + " / " + shown));
            ++numbers;
            sawTail =
                sawTail || (shown == QStringLiteral("0.06") && sheet[ref].Text == QStringLiteral("0.06"));
        }
    }
    QCOMPARE(numbers, 3 * query.RecordCount());
    QVERIFY(sawTail);
}

void TestGridExport::voucherResultSkipsHiddenColumns() {
    FormMain->FillMoneyReport(MoneyMonthQueryText(FormMain->WorkingDate()));
    FormMain->DBGridEh1->setColumnHidden(2, true); // 帐户名称
    Export(FormMain->ActionMExcel, Target());
    FormMain->DBGridEh1->setColumnHidden(2, false);
    const Sheet sheet = ReadSheet(Target());
    QCOMPARE(Row(sheet, 3), (QStringList{"创建时间", "单据编号", "客户名称", "收入", "支出", "合计", "业务员",
                                         "收支种类", "类别", "凭证", "备注信息"}));
    QCOMPARE(Row(sheet, 4).mid(0, 6), (QStringList{"2024.02.04", "SK100001", "东方商贸", "300", "0", "300"}));
    QCOMPARE(LastRow(sheet), 3 + FormMain->MReportADOQuery.RecordCount());
    QVERIFY(sheet["F4"].Number);
}

void TestGridExport::emptyResultHasDateAndTitlesOnly() {
    FormMain->FillBillReport(BillMonthQueryText(QDate(2030, 1, 1)));
    QCOMPARE(FormMain->BReportADOQuery.RecordCount(), 0);
    Export(FormMain->ActionBExecel, Target());
    const Sheet sheet = ReadSheet(Target());
    QCOMPARE(LastRow(sheet), 3);
    QCOMPARE(Row(sheet, 3).size(), 11);
    QCOMPARE(Row(sheet, 1).size(), 1);
}

void TestGridExport::noResultExportsNothing() {
    // Before a query nothing is asked or written, and the user is told to query first.
    const QString queryFirst = QStringLiteral("还没有查询结果：请先点击 查找单据，再导出Excel");
    FormMain->ActionBExecel->trigger();
    FormMain->ActionMExcel->trigger();
    QCOMPARE(program->Prompts().Texts(), QStringList({queryFirst, queryFirst}));
    QCOMPARE(program->Prompts().Messages.size(), size_t(2)); // no file dialog
    QVERIFY(QDir(out.path()).isEmpty());
}

void TestGridExport::cancelledDialogWritesNothing() {
    FormMain->FillBillReport(BillMonthQueryText(FormMain->WorkingDate()));
    Export(FormMain->ActionBExecel, QString());
    QVERIFY(program->Prompts().OpenedWithDesktop.isEmpty());
    QVERIFY(QDir(out.path()).isEmpty());
}

void TestGridExport::existingFileIsReplacedOnlyWhenConfirmed() {
    FormMain->FillBillReport(BillMonthQueryText(FormMain->WorkingDate()));
    QFile old(Target());
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("the user's own file");
    old.close();
    program->Prompts().QueueAnswer(false);
    Export(FormMain->ActionBExecel, Target());
    QVERIFY(program->Prompts().LastText().contains(QStringLiteral("已经存在")));
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll(), QByteArray("the user's own file"));
    old.close();

    program->Prompts().QueueAnswer(true);
    Export(FormMain->ActionBExecel, Target());
    QCOMPARE(Row(ReadSheet(Target()), 4).value(1), QStringLiteral("XS100001"));
    QCOMPARE(QDir(out.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"导出.xlsx"});
}

void TestGridExport::failedWriteSaysWhyAndKeepsWhatWasThere() {
    FormMain->FillBillReport(BillMonthQueryText(FormMain->WorkingDate()));
    // A folder that does not exist.
    const QString nowhere = out.filePath(QStringLiteral("没有的文件夹/导出.xlsx"));
    Export(FormMain->ActionBExecel, nowhere);
    QVERIFY(program->Prompts().LastText().startsWith(QStringLiteral("导出失败")));
    QVERIFY(program->Prompts().LastText().contains(QDir::toNativeSeparators(nowhere)));
    QVERIFY(program->Prompts().OpenedWithDesktop.isEmpty());
    // The chosen name is a folder with a file in it: the workbook cannot be moved there, and the
    // folder, its file and no half-written workbook are left.
    QVERIFY(QDir(out.path()).mkdir(QStringLiteral("导出.xlsx")));
    QFile inside(out.filePath(QStringLiteral("导出.xlsx/keep.txt")));
    QVERIFY(inside.open(QIODevice::WriteOnly));
    inside.close();
    program->Prompts().Clear();
    program->Prompts().QueueAnswer(true);
    Export(FormMain->ActionBExecel, Target());
    QVERIFY(program->Prompts().LastText().startsWith(QStringLiteral("导出失败")));
    QVERIFY(QFileInfo(Target()).isDir());
    QVERIFY(inside.exists());
    QCOMPARE(QDir(out.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{"导出.xlsx"});
}

void TestGridExport::withoutAProgramTheMessageSaysWhereTheFileIs() {
    FormMain->FillBillReport(BillMonthQueryText(FormMain->WorkingDate()));
    program->Prompts().DesktopOpens = false;
    Export(FormMain->ActionBExecel, Target());
    QVERIFY(QFileInfo::exists(Target()));
    QVERIFY(program->Prompts().LastText().contains(QDir::toNativeSeparators(Target())));
}

void TestGridExport::stoppedExportLeavesNothing() {
    // A long result: the export shows its progress and 取消 stops it.
    for (int batch = 0; batch < 15; ++batch) {
        QStringList rows;
        for (int i = 0; i < 400; ++i) {
            const int key = 100 + batch * 400 + i;
            rows << QStringLiteral("(%1, '销售开单', 'XS%2', '2024-02-07', '东方商贸', 10, '张三')")
                        .arg(key)
                        .arg(key);
        }
        program->Exec(
            QStringLiteral("Insert Into Bill (BillIndex, BillKind, BillSerial, BillCreateTime, BillUser, "
                           "BillSum, BillMan) Values ") +
            rows.join(QLatin1Char(',')));
    }
    FormMain->FillBillReport(BillMonthQueryText(FormMain->WorkingDate()));
    QVERIFY(FormMain->BReportADOQuery.RecordCount() > 6000);
    // What the file held before stays.
    QFile old(Target());
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("earlier export");
    old.close();
    bool shown = false;
    const auto stop = connect(FormProgress->ProgressBar1, &QProgressBar::valueChanged, this, [&](int value) {
        shown = shown || FormProgress->isVisible();
        if (value > 0)
            FormProgress->CancelButton->click();
    });
    program->Prompts().QueueAnswer(true); // replace the earlier file
    Export(FormMain->ActionBExecel, Target());
    disconnect(stop);
    QVERIFY(shown);
    QVERIFY(!FormProgress->isVisible());
    QVERIFY(program->Prompts().OpenedWithDesktop.isEmpty());
    QVERIFY(!program->Prompts().LastText().startsWith(QStringLiteral("导出失败")));
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll(), QByteArray("earlier export"));
    old.close();
    QCOMPARE(QDir(out.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{"导出.xlsx"});
    // Not stopped, the same export writes the whole result.
    program->Prompts().QueueAnswer(true);
    Export(FormMain->ActionBExecel, Target());
    QVERIFY(QFileInfo(Target()).size() > 10000);
}

QTEST_MAIN(TestGridExport)
#include "tst_gridexport.moc"
