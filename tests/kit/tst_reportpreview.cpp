#include "foundation/ShareDM.h"
#include "kit/Prompts.h"
#include "kit/ScreenFit.h"
#include "kit/report/PageRenderer.h"
#include "kit/report/ReportEngine.h"
#include "kit/report/ReportOutput.h"
#include "kit/report/ReportPreview.h"
#include "kit/report/ReportSnapshot.h"
#include "support/TestSupport.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPdfDocument>
#include <QPrinter>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

// The preview window: paging, zoom, find, PDF, saving and opening a prepared report, and the print
// step's message for a template that cannot be used.
class TestReportPreview : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void pagesAndZoom();
    void findStepsThroughHits();
    void pdfOfThePreview();
    void savedReportOpensWithTheSamePages();
    void printerGetsThePagesAsked();
    void printStepReportsUnusableTemplates_data();
    void printStepReportsUnusableTemplates();
    void writtenFilesAskAndSpareTheBooks_data();
    void writtenFilesAskAndSpareTheBooks();
    void fitSize_data();
    void fitSize();
    void fitsASmallScreen_data();
    void fitsASmallScreen();
    void longLayoutCanBeStopped();

private:
    std::shared_ptr<PreparedReport> ListReport(int rows);
    QString WriteTemplateFile(const QByteArray& xml);

    std::unique_ptr<QTemporaryDir> dir;
    ScriptedPrompts* prompts = nullptr;
    std::unique_ptr<Prompts> previous;
    TableDataSet items;
};

namespace {

const QByteArray ListXml = R"(<Report title="清单">
  <Page width="120" height="150" left="20" top="20" right="20" bottom="20"/>
  <Band type="PageHeader" height="10"><Text x="0" y="0" width="80" height="10">名称 [Stamp]</Text></Band>
  <Band type="MasterData" height="10" dataset="Items">
    <Text x="0" y="0" width="40" height="10">[Items.Name]</Text>
    <Text x="40" y="0" width="40" height="10" format="amount">[Items.Amount]</Text>
  </Band>
  <Band type="PageFooter" height="10"><Text x="0" y="0" width="80" height="10">第 [Page] 页 共 [TotalPages] 页 [Date]</Text></Band>
</Report>)";

QStringList Texts(const PreparedReport& report, int page) {
    QStringList texts;
    for (const auto& text : PageRenderer::Texts(report, page))
        texts << text.Text;
    return texts;
}

} // namespace

void TestReportPreview::init() {
    dir = std::make_unique<QTemporaryDir>();
    auto scripted = std::make_unique<ScriptedPrompts>();
    prompts = scripted.get();
    previous = Prompts::Install(std::move(scripted));
    items = TableDataSet({QStringLiteral("Name"), QStringLiteral("Amount")});
}

void TestReportPreview::cleanup() {
    Prompts::Install(std::move(previous));
    dir.reset();
}

std::shared_ptr<PreparedReport> TestReportPreview::ListReport(int rows) {
    for (int i = 1; i <= rows; ++i)
        items.AddRow({QStringLiteral("商品%1").arg(i), i * 1.25});
    ReportData data;
    data.Add(QStringLiteral("Items"), &items);
    ReportError error;
    const auto loaded = ReadTemplate(ListXml, dir->filePath(QStringLiteral("List.frf")), &error);
    return loaded ? PrepareReport(
                        *loaded, data, [](const QString&) { return QVariant(QStringLiteral("甲")); }, &error)
                  : nullptr;
}

QString TestReportPreview::WriteTemplateFile(const QByteArray& xml) {
    const QString path = dir->filePath(QStringLiteral("Frf/List.frf"));
    QDir().mkpath(dir->filePath(QStringLiteral("Frf")));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(xml);
    return path;
}

void TestReportPreview::pagesAndZoom() {
    // Body 100 mm: header and 9 rows a page; 20 rows make 3 pages.
    ReportPreview preview;
    preview.resize(800, 600);
    preview.SetReport(ListReport(20));
    preview.show();
    QVERIFY(QTest::qWaitForWindowExposed(&preview));
    QCOMPARE(preview.PageCountLabel->text(), QStringLiteral("共 3 页"));
    QCOMPARE(preview.PageBox->value(), 1);
    QVERIFY(!preview.PriorButton->isEnabled());

    preview.ZoomBox->setCurrentText(QStringLiteral("整页"));
    const double fitPage = preview.Pages->Scale();
    QVERIFY(150 * fitPage <= preview.Pages->viewport()->height());
    preview.ZoomBox->setCurrentText(QStringLiteral("页宽"));
    QVERIFY(preview.Pages->Scale() > fitPage);
    preview.ZoomBox->setCurrentText(QStringLiteral("200%"));
    QCOMPARE(preview.Pages->Scale(), 2 * preview.logicalDpiX() / 25.4);

    QTest::mouseClick(preview.NextButton, Qt::LeftButton);
    QCOMPARE(preview.PageBox->value(), 2);
    QCOMPARE(preview.Pages->CurrentPage(), 1);
    QTest::mouseClick(preview.LastButton, Qt::LeftButton);
    QCOMPARE(preview.PageBox->value(), 3);
    QVERIFY(!preview.NextButton->isEnabled());
    preview.PageBox->setValue(1);
    QCOMPARE(preview.Pages->CurrentPage(), 0);
    QCOMPARE(preview.Pages->accessibleDescription(), QStringLiteral("第 1 页 共 3 页"));
    // The voucher's own tools are shown only when asked for.
    QVERIFY(preview.LoadButton->isHidden() && preview.SaveButton->isHidden() &&
            preview.HelpButton->isHidden());
}

void TestReportPreview::findStepsThroughHits() {
    ReportPreview preview;
    preview.resize(800, 600);
    preview.SetReport(ListReport(20));
    preview.show();
    QVERIFY(QTest::qWaitForWindowExposed(&preview));
    // "商品1" is found in 商品1 and 商品10 to 商品19: 11 hits; rows 10 to 18 are on page 2.
    preview.FindEdit->setText(QStringLiteral("商品1"));
    QTest::mouseClick(preview.FindNextButton, Qt::LeftButton);
    QCOMPARE(preview.FindLabel->text(), QStringLiteral("第 1 处，共 11 处"));
    QCOMPARE(preview.PageBox->value(), 1);
    for (int i = 0; i < 9; ++i)
        preview.FindNext();
    QCOMPARE(preview.FindLabel->text(), QStringLiteral("第 10 处，共 11 处"));
    QCOMPARE(preview.PageBox->value(), 2);
    preview.FindNext();
    QCOMPARE(preview.FindLabel->text(), QStringLiteral("第 11 处，共 11 处"));
    QCOMPARE(preview.PageBox->value(), 3);
    preview.FindNext();
    QCOMPARE(preview.FindLabel->text(), QStringLiteral("第 1 处，共 11 处"));
    preview.FindPrior();
    QCOMPARE(preview.FindLabel->text(), QStringLiteral("第 11 处，共 11 处"));
    preview.FindEdit->setText(QStringLiteral("没有"));
    preview.FindNext();
    QCOMPARE(preview.FindLabel->text(), QStringLiteral("找不到“没有”"));
}

void TestReportPreview::pdfOfThePreview() {
    ReportPreview preview;
    preview.SetReport(ListReport(20));
    const QString path = dir->filePath(QStringLiteral("list.pdf"));
    prompts->QueueFileName(path);
    QTest::mouseClick(preview.PdfButton, Qt::LeftButton);
    QCOMPARE(prompts->Messages.back().Kind, QStringLiteral("save"));
    QPdfDocument pdf;
    QCOMPARE(pdf.load(path), QPdfDocument::Error::None);
    QCOMPARE(pdf.pageCount(), 3);
    QVERIFY(pdf.getAllText(2).text().contains(QStringLiteral("商品20")));
    // Cancelling the file dialog writes nothing.
    QFile::remove(path);
    prompts->QueueFileName(QString());
    preview.PdfClick();
    QVERIFY(!QFile::exists(path));
    // A file that cannot be written is reported.
    prompts->QueueFileName(dir->filePath(QStringLiteral("no/such/folder/list.pdf")));
    preview.PdfClick();
    QVERIFY2(prompts->LastText().contains(QStringLiteral("无法写入")), qPrintable(prompts->LastText()));
}

void TestReportPreview::savedReportOpensWithTheSamePages() {
    ReportPreview preview;
    preview.SetFileTools(true);
    preview.SetReport(ListReport(12));
    const auto original = preview.Prepared();
    std::vector<QStringList> pages;
    for (int page = 0; page < original->PageCount(); ++page)
        pages.push_back(Texts(*original, page));
    const QString path = dir->filePath(QStringLiteral("saved.frp"));
    prompts->QueueFileName(path);
    preview.SaveClick();
    QVERIFY(QFile::exists(path));

    // The rows the report was made from change afterwards: the saved report keeps its own.
    items = TableDataSet();
    ReportPreview other;
    other.SetFileTools(true);
    prompts->QueueFileName(path);
    QTest::mouseClick(other.LoadButton, Qt::LeftButton);
    QVERIFY(other.Prepared());
    QCOMPARE(other.Prepared()->PageCount(), static_cast<int>(pages.size()));
    for (int page = 0; page < other.Prepared()->PageCount(); ++page)
        QCOMPARE(Texts(*other.Prepared(), page), pages[static_cast<size_t>(page)]);
    QVERIFY(Texts(*other.Prepared(), 0).contains(QStringLiteral("名称 甲")));

    // A file that is not a saved report is refused with a message.
    const QString bad = dir->filePath(QStringLiteral("bad.frp"));
    QFile file(bad);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("<Report/>");
    file.close();
    prompts->QueueFileName(bad);
    other.LoadClick();
    QCOMPARE(prompts->LastText(),
             QStringLiteral("文件 %1 不是可以打开的报表（第 1 行：根元素是“Report”，应为“PreparedReport”）")
                 .arg(bad));
    QCOMPARE(other.Prepared()->PageCount(), static_cast<int>(pages.size()));
}

void TestReportPreview::printerGetsThePagesAsked() {
    const auto report = ListReport(20);
    const QString path = dir->filePath(QStringLiteral("printed.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    QVERIFY(PrintReport(*report, printer, 2, 3));
    QPdfDocument pdf;
    QCOMPARE(pdf.load(path), QPdfDocument::Error::None);
    QCOMPARE(pdf.pageCount(), 2);
    QVERIFY(pdf.getAllText(0).text().contains(QStringLiteral("第 2 页 共 3 页")));

    // The preview's print goes through the print dialog: cancelled, nothing is printed.
    ReportPreview preview;
    preview.SetReport(report);
    preview.PrintClick();
    QCOMPARE(prompts->Messages.back().Kind, QStringLiteral("modal"));
    QCOMPARE(prompts->UnexpectedModals, 1);
}

void TestReportPreview::printStepReportsUnusableTemplates_data() {
    QTest::addColumn<QByteArray>("xml"); // empty: no file
    QTest::addColumn<QString>("message");
    QTest::newRow("missing") << QByteArray() << "找不到模板文件";
    QTest::newRow("not a template") << QByteArray("garbage") << "第 1 行：不是报表模板";
    QTest::newRow("unknown field") << QByteArray(ListXml).replace("Items.Amount", "Items.Price")
                                   << "第 6 行：数据集“Items”中没有字段“Price”";
}

void TestReportPreview::printStepReportsUnusableTemplates() {
    QFETCH(QByteArray, xml);
    QFETCH(QString, message);
    const QString path =
        xml.isEmpty() ? dir->filePath(QStringLiteral("Frf/List.frf")) : WriteTemplateFile(xml);
    Report report;
    report.Data.Add(QStringLiteral("Items"), &items);
    QVERIFY(!PreviewReport(report, path, false, nullptr));
    QCOMPARE(prompts->Messages.size(), size_t(1));
    QCOMPARE(prompts->Messages[0].Kind, QStringLiteral("error"));
    QVERIFY2(prompts->LastText().contains(path) && prompts->LastText().contains(message),
             qPrintable(prompts->LastText()));

    // With a good template the preview is shown.
    WriteTemplateFile(ListXml);
    int pages = 0;
    prompts->QueueModal(
        [&](QDialog* dialog) { pages = static_cast<ReportPreview*>(dialog)->Prepared()->PageCount(); });
    QVERIFY(PreviewReport(report, dir->filePath(QStringLiteral("Frf/List.frf")), false, nullptr));
    QCOMPARE(pages, 1);
}

void TestReportPreview::writtenFilesAskAndSpareTheBooks_data() {
    QTest::addColumn<bool>("pdf");     // 存为PDF, or 保存 (a prepared report)
    QTest::addColumn<QString>("name"); // the chosen file, in the program's folder
    QTest::addColumn<int>("answer");   // -1: no question expected; 0: No; 1: Yes
    QTest::addColumn<bool>("written");
    for (const bool pdf : {true, false}) {
        const char* tool = pdf ? "PDF" : "frp";
        const QString file = pdf ? QStringLiteral("旧.pdf") : QStringLiteral("旧.frp");
        QTest::addRow("%s over an existing file, No", tool) << pdf << file << 0 << false;
        QTest::addRow("%s over an existing file, Yes", tool) << pdf << file << 1 << true;
        QTest::addRow("%s over the books", tool) << pdf << QStringLiteral("Kestrel.mdb") << -1 << false;
        QTest::addRow("%s as the books' log", tool)
            << pdf << QStringLiteral("Kestrel.mdb-wal") << -1 << false;
    }
}

// Both ask before an existing file is replaced, write beside it and rename, and refuse the books
// and the files beside them.
void TestReportPreview::writtenFilesAskAndSpareTheBooks() {
    QFETCH(bool, pdf);
    QFETCH(QString, name);
    QFETCH(int, answer);
    QFETCH(bool, written);
    const QString previousFolder = ProgramFolder;
    ProgramFolder = dir->path() + QLatin1Char('/');
    const QString books = dir->filePath(QStringLiteral("Kestrel.mdb"));
    QFile booksFile(books);
    QVERIFY(booksFile.open(QIODevice::WriteOnly));
    booksFile.write("SQLite format 3 and the books");
    booksFile.close();
    const QString path = dir->filePath(name);
    const bool existed = QFile::exists(path);
    if (!existed && answer >= 0) {
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("an older file");
    }
    QFile before(path);
    const QByteArray bytes = before.open(QIODevice::ReadOnly) ? before.readAll() : QByteArray();
    before.close();

    ReportPreview preview;
    preview.SetFileTools(true);
    preview.SetReport(ListReport(5));
    prompts->QueueFileName(path);
    if (answer >= 0)
        prompts->QueueAnswer(answer == 1);
    if (pdf)
        preview.PdfClick();
    else
        preview.SaveClick();
    ProgramFolder = previousFolder;
    if (answer >= 0) {
        QCOMPARE(prompts->Messages.back().Kind, QStringLiteral("question"));
        QVERIFY(prompts->LastText().contains(QStringLiteral("已经存在，是否替换")));
    } else {
        QCOMPARE(prompts->Messages.back().Kind, QStringLiteral("error"));
        QVERIFY2(prompts->LastText().contains(QStringLiteral("帐套数据库文件")),
                 qPrintable(prompts->LastText()));
    }
    QFile after(path);
    const QByteArray now = after.open(QIODevice::ReadOnly) ? after.readAll() : QByteArray();
    QCOMPARE(now != bytes, written);
    if (written)
        QVERIFY(now.startsWith(pdf ? QByteArray("%PDF") : QByteArray("<?xml")));
    QVERIFY(booksFile.open(QIODevice::ReadOnly));
    QCOMPARE(booksFile.readAll(), QByteArray("SQLite format 3 and the books"));
    QCOMPARE(QDir(dir->path()).entryList({QStringLiteral("*.part")}, QDir::Files | QDir::Hidden),
             QStringList());
}

void TestReportPreview::fitSize_data() {
    QTest::addColumn<QSize>("wanted");
    QTest::addColumn<QSize>("minimum");
    QTest::addColumn<QSize>("available");
    QTest::addColumn<QSize>("expected");
    const QSize frame(16, 40);
    Q_UNUSED(frame);
    QTest::newRow("large screen: as wanted")
        << QSize(1000, 760) << QSize(600, 400) << QSize(1920, 1040) << QSize(1000, 760);
    QTest::newRow("1366 x 768 less a panel")
        << QSize(1000, 760) << QSize(600, 400) << QSize(1366, 728) << QSize(1000, 688);
    QTest::newRow("1280 x 720") << QSize(1400, 760) << QSize(600, 400) << QSize(1280, 720)
                                << QSize(1264, 680);
    QTest::newRow("never below the minimum")
        << QSize(1000, 760) << QSize(900, 700) << QSize(800, 600) << QSize(900, 700);
}

void TestReportPreview::fitSize() {
    QFETCH(QSize, wanted);
    QFETCH(QSize, minimum);
    QFETCH(QSize, available);
    QFETCH(QSize, expected);
    QCOMPARE(FitSize(wanted, minimum, available, QSize(16, 40)), expected);
}

void TestReportPreview::fitsASmallScreen_data() {
    QTest::addColumn<bool>("fileTools");
    QTest::addColumn<QSize>("screen");
    QTest::newRow("list, 1366 x 768") << false << QSize(1366, 768);
    QTest::newRow("voucher, 1366 x 768") << true << QSize(1366, 768);
    QTest::newRow("voucher, 1280 x 720") << true << QSize(1280, 720);
    QTest::newRow("voucher, 1920 x 1080") << true << QSize(1920, 1080);
}

void TestReportPreview::fitsASmallScreen() {
    QFETCH(bool, fileTools);
    QFETCH(QSize, screen);
    ReportPreview preview;
    preview.SetFileTools(fileTools);
    preview.SetReport(ListReport(20));
    // Room on the screen less a title bar, borders and a panel.
    const QSize room = screen - QSize(16, 40 + 40);
    QVERIFY2(preview.minimumSizeHint().width() <= room.width(),
             qPrintable(QString::number(preview.minimumSizeHint().width())));
    QVERIFY(preview.minimumSizeHint().height() <= room.height());
    preview.resize(preview.size().boundedTo(room));
    preview.show();
    QVERIFY(QTest::qWaitForWindowExposed(&preview));
    // Every tool, 关闭 above all, lies inside the window.
    for (QWidget* tool :
         std::initializer_list<QWidget*>{preview.CloseButton, preview.PrintButton, preview.PdfButton,
                                         preview.FindEdit, preview.FindNextButton, preview.LastButton}) {
        const QRect area(tool->mapTo(&preview, QPoint(0, 0)), tool->size());
        QVERIFY2(preview.rect().contains(area), qPrintable(tool->objectName()));
    }
    if (fileTools) {
        const QRect help(preview.HelpButton->mapTo(&preview, QPoint(0, 0)), preview.HelpButton->size());
        QVERIFY(preview.rect().contains(help));
    }
    // The find box holds a long name readably: 20 Chinese characters in view.
    QVERIFY2(preview.FindEdit->width() >=
                 preview.FindEdit->fontMetrics().horizontalAdvance(QString(20, QChar(0x5546))),
             qPrintable(QString::number(preview.FindEdit->width())));
    SaveScreenshot(&preview, QStringLiteral("preview-%1-%2x%3.png")
                                 .arg(fileTools ? "voucher" : "list")
                                 .arg(screen.width())
                                 .arg(screen.height()));
}

void TestReportPreview::longLayoutCanBeStopped() {
    for (int i = 1; i <= 20000; ++i)
        items.AddRow({QStringLiteral("商品%1").arg(i), i * 1.25});
    Report report;
    report.Data.Add(QStringLiteral("Items"), &items);
    QVERIFY(report.LoadFromFile(WriteTemplateFile(ListXml)));
    // Told how far it is, in steps, and stopped halfway: nothing is prepared or shown.
    QList<qint64> heard;
    report.Progress = [&](qint64 done, qint64 total) {
        heard << done;
        return done < total / 2;
    };
    QVERIFY(!report.Prepare());
    QVERIFY(report.Cancelled());
    QVERIFY(heard.size() >= 2);
    QCOMPARE(heard.front(), qint64(0));
    QVERIFY(!PreviewReport(report, WriteTemplateFile(ListXml), false, nullptr));
    QCOMPARE(prompts->Messages.size(), size_t(0)); // stopping is no error
    QCOMPARE(prompts->UnexpectedModals, 0);
    // Not stopped: the whole list.
    report.Progress = [](qint64, qint64) { return true; };
    const std::shared_ptr<PreparedReport> prepared = report.Prepare();
    QVERIFY(prepared);
    QVERIFY(!report.Cancelled());
    QCOMPARE(prepared->PageCount(), (20000 + 8) / 9);
}

QTEST_MAIN(TestReportPreview)
#include "tst_reportpreview.moc"
