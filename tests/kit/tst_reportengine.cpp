#include "kit/report/PageRenderer.h"
#include "kit/report/ReportEngine.h"
#include "kit/report/ReportOutput.h"
#include "kit/report/ReportSnapshot.h"
#include "support/PaperCheck.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QLineF>
#include <QPainter>
#include <QPdfDocument>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>

// The report engine on small templates written here: reading and writing templates, every load
// error, bands and page breaks, aggregates, variables and formats, and the text of the prepared
// pages read back from the page model and from a written PDF.
class TestReportEngine : public QObject {
    Q_OBJECT
private slots:
    void templateRoundTrips();
    void textParts_data();
    void textParts();
    void loadErrors_data();
    void loadErrors();
    void unknownDataSetOrField_data();
    void unknownDataSetOrField();
    void failedLoadKeepsThePreviousTemplate();
    void pagesBreakAndRepeatHeaders();
    void masterHeaderAndFooterFollowTheRows();
    void emptyDataSetLeavesOutItsHeaderAndFooter();
    void bandTallerThanThePageDoesNotLoop();
    void aggregatesVariablesAndFormats();
    void formatValue_data();
    void formatValue();
    void pdfKeepsChineseText();
    void shrinkToFit_data();
    void shrinkToFit();
    void framesAreJoinedAndDrawnOnce();
    void picturesAreReadOnlyFromRegularFiles_data();
    void picturesAreReadOnlyFromRegularFiles();
    void damagedSavedReportTellsLineAndReason_data();
    void damagedSavedReportTellsLineAndReason();
};

namespace {

// A template on a page whose body is 100 mm high (150 mm paper, 20 mm margins, 10 mm footer).
QByteArray ListTemplate(const QString& extraBands = QString()) {
    return QStringLiteral(R"(<?xml version="1.0" encoding="UTF-8"?>
<Report title="清单">
  <Page width="120" height="150" left="20" top="20" right="20" bottom="20"/>
  <Band type="ReportTitle" height="20">
    <Text x="0" y="0" width="80" height="20" size="14" bold="true" align="center middle">商品清单</Text>
  </Band>
  <Band type="PageHeader" height="10">
    <Text x="0" y="0" width="40" height="10" frame="all">名称</Text>
    <Text x="40" y="0" width="40" height="10" frame="all" align="right middle">金额</Text>
  </Band>
  <Band type="MasterData" height="10" dataset="Items">
    <Text x="0" y="0" width="40" height="10" frame="left right bottom">[Items.Name]</Text>
    <Text x="40" y="0" width="40" height="10" format="amount" align="right middle">[Items.Amount]</Text>
  </Band>
  %1
  <Band type="PageFooter" height="10">
    <Text x="0" y="0" width="80" height="10" align="center middle">第 [Page] 页 共 [TotalPages] 页</Text>
  </Band>
</Report>
)")
        .arg(extraBands)
        .toUtf8();
}

TableDataSet Items(int rows, const QString& prefix = QStringLiteral("商品")) {
    TableDataSet set({QStringLiteral("Name"), QStringLiteral("Amount"), QStringLiteral("Day")});
    for (int i = 1; i <= rows; ++i)
        set.AddRow({prefix + QString::number(i), i * 10.5,
                    QStringLiteral("2024-06-%1").arg(i % 28 + 1, 2, 10, QLatin1Char('0'))});
    return set;
}

std::shared_ptr<PreparedReport> Prepare(const QByteArray& xml, const ReportData& data,
                                        const ReportVariables& variables = {}) {
    ReportError error;
    const auto loaded = ReadTemplate(xml, QStringLiteral("test.frf"), &error);
    if (!loaded) {
        qWarning() << error.Text();
        return nullptr;
    }
    auto prepared = PrepareReport(*loaded, data, variables, &error);
    if (!prepared)
        qWarning() << error.Text();
    return prepared;
}

QStringList PageTexts(const PreparedReport& report, int page) {
    QStringList texts;
    for (const auto& text : PageRenderer::Texts(report, page))
        texts << text.Text;
    return texts;
}

// The top edge (mm on the paper) of the first text on a page equal to text; -1 when absent.
double TopOf(const PreparedReport& report, int page, const QString& text) {
    for (const auto& item : PageRenderer::Texts(report, page)) {
        if (item.Text == text)
            return item.PaperMm.top();
    }
    return -1;
}

} // namespace

void TestReportEngine::templateRoundTrips() {
    const QByteArray xml = QStringLiteral(R"(<Report title="全部">
  <Page width="210" height="297" orientation="landscape" left="10" top="12.5" right="10" bottom="8"/>
  <Band type="ReportTitle" height="30">
    <Text x="1" y="2" width="100" height="10" font="黑体" size="16" bold="true" italic="true"
          align="center bottom" wrap="true" shrink="true" color="#cc0000" frame="top bottom" lineWidth="0.5"
          format="fixed:2">合计 [SUM(Rows.Amount)] 共 [COUNT(Rows)] 行</Text>
    <Line x="0" y="29" width="150" height="0" lineWidth="0.3"/>
    <Rect x="0" y="0" width="20" height="20"/>
    <Picture x="120" y="0" width="30" height="30" file="logo.png"/>
  </Band>
  <Band type="MasterData" height="6" dataset="Rows">
    <Text x="0" y="0" width="40" height="6" format="date:yyyy年M月d日">[Rows.Day]</Text>
  </Band>
</Report>)")
                               .toUtf8();
    ReportError error;
    const auto first = ReadTemplate(xml, QStringLiteral("a.frf"), &error);
    QVERIFY2(first, qPrintable(error.Text()));
    QCOMPARE(first->Title, QStringLiteral("全部"));
    QVERIFY(first->Page.Landscape);
    QCOMPARE(first->Page.PaperSize(), QSizeF(297, 210));
    QCOMPARE(first->Page.MarginTop, 12.5);
    QCOMPARE(first->Bands.size(), size_t(2));
    const ReportItem& text = first->Bands[0].Items[0];
    QCOMPARE(text.FontFamily, QStringLiteral("黑体"));
    QCOMPARE(text.FontSize, 16.0);
    QVERIFY(text.Bold && text.Italic && text.WordWrap && text.ShrinkToFit);
    QVERIFY(!first->Bands[1].Items[0].ShrinkToFit);
    QCOMPARE(text.Align, Qt::AlignHCenter | Qt::AlignBottom);
    QCOMPARE(text.Frame, FrameTop | FrameBottom);
    QCOMPARE(text.Colour, QColor(0xcc, 0, 0));
    QCOMPARE(text.Parts.size(), size_t(5));
    QCOMPARE(first->Bands[0].Items[3].Picture, QStringLiteral("logo.png"));
    QCOMPARE(first->Bands[1].DataSet, QStringLiteral("Rows"));

    // Written and read again, the template is the same: its XML does not change any more.
    const QByteArray written = WriteTemplate(*first);
    const auto second = ReadTemplate(written, QStringLiteral("b.frf"), &error);
    QVERIFY2(second, qPrintable(error.Text()));
    QCOMPARE(WriteTemplate(*second), written);
    QCOMPARE(second->Bands[0].Items[0].Text, text.Text);
    QCOMPARE(second->Bands[0].Items[0].Geometry, text.Geometry);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("saved.frf"));
    QVERIFY(SaveTemplate(*second, path, &error));
    const auto loaded = LoadTemplate(path, &error);
    QVERIFY2(loaded, qPrintable(error.Text()));
    QCOMPARE(WriteTemplate(*loaded), written);
}

void TestReportEngine::textParts_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("parts"); // kind:dataset:field:text

    QTest::newRow("literal") << "金额" << QStringList{"L:::金额"};
    QTest::newRow("field") << "[Bill.BillSum]元" << QStringList{"F:Bill:BillSum:", "L:::元"};
    QTest::newRow("sum count") << "[ sum( Bill.BillSum ) ]/[COUNT(Bill)]"
                               << QStringList{"S:Bill:BillSum:", "L:::/", "C:Bill::"};
    QTest::newRow("system") << "[Page][TotalPages][date][TIME]"
                            << QStringList{"P:::", "T:::", "D:::", "H:::"};
    QTest::newRow("variable") << "[MoneyCN]" << QStringList{"V:::MoneyCN"};
    QTest::newRow("unclosed and empty brackets stay text") << "a[] b[c" << QStringList{"L:::a[] b[c"};
}

void TestReportEngine::textParts() {
    QFETCH(QString, text);
    QFETCH(QStringList, parts);
    QStringList got;
    for (const TextPart& part : ParseTextParts(text)) {
        static const char kinds[] = "LFSCPTDHV";
        got << QStringLiteral("%1:%2:%3:%4")
                   .arg(QLatin1Char(kinds[static_cast<int>(part.Type)]))
                   .arg(part.DataSet, part.Field, part.Text);
    }
    QCOMPARE(got, parts);
}

void TestReportEngine::loadErrors_data() {
    QTest::addColumn<QByteArray>("content"); // empty: no file at all
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("problem");

    QTest::newRow("missing file") << QByteArray() << 0 << "找不到模板文件";
    QTest::newRow("not xml") << QByteArray("Object frReport1: TfrReport\n  Pages = <>\n") << 1
                             << "不是报表模板";
    QTest::newRow("other xml") << QByteArray("<?xml version=\"1.0\"?>\n<html><body/></html>") << 2
                               << "不是报表模板：根元素是“html”";
    QTest::newRow("broken xml") << QByteArray(
                                       "<Report>\n<Page/>\n<Band type=\"Summary\" height=\"5\">\n</Report>")
                                << 4 << "不是报表模板";
    QTest::newRow("no page") << QByteArray("<Report>\n</Report>") << 2 << "缺少页面设置";
    QTest::newRow("band type") << QByteArray(
                                      "<Report>\n<Page/>\n<Band type=\"Detail\" height=\"5\"/>\n</Report>")
                               << 3 << "未知的带区类型“Detail”";
    QTest::newRow("master without data set")
        << QByteArray("<Report>\n<Page/>\n<Band type=\"MasterData\" height=\"5\"/>\n</Report>") << 3
        << "主数据带区没有指定数据集";
    QTest::newRow("item kind")
        << QByteArray("<Report><Page/>\n<Band type=\"Summary\" height=\"5\">\n<Circle/></Band></Report>") << 3
        << "未知的报表项“Circle”";
    QTest::newRow("number")
        << QByteArray(
               "<Report><Page/>\n<Band type=\"Summary\" height=\"5\">\n<Text x=\"abc\"/></Band></Report>")
        << 3 << "属性 x 的值“abc”不是有效的长度";
    QTest::newRow("alignment") << QByteArray("<Report><Page/><Band type=\"Summary\" height=\"5\">\n\n<Text "
                                             "align=\"centre\"/></Band></Report>")
                               << 3 << "对齐方式“centre”有误";
    QTest::newRow("format") << QByteArray("<Report><Page/><Band type=\"Summary\" height=\"5\">\n<Text "
                                          "format=\"money\"/></Band></Report>")
                            << 2 << "显示格式“money”有误";
    QTest::newRow("condition") << QByteArray("<Report><Page/><Band type=\"Summary\" height=\"5\">\n<Text "
                                             "showIf=\"Bill.BillSum ~ 0\"/></Band></Report>")
                               << 2 << "显示条件“Bill.BillSum ~ 0”有误";
    // Numbers that are not finite, in every kind of length: refused with the line, never laid out.
    const auto summaryItem = [](const char* attributes) {
        return QByteArray("<Report><Page/><Band type=\"Summary\" height=\"5\">\n\n<Text ") + attributes +
               "/></Band></Report>";
    };
    QTest::newRow("nan band height")
        << QByteArray("<Report><Page/>\n<Band type=\"Summary\" height=\"nan\"/></Report>") << 2
        << "属性 height 的值“nan”不是有限的数";
    QTest::newRow("infinite position") << summaryItem("x=\"inf\"") << 3 << "属性 x 的值“inf”不是有限的数";
    QTest::newRow("nan width") << summaryItem("width=\"nan\"") << 3 << "属性 width 的值“nan”不是有限的数";
    QTest::newRow("nan line width") << summaryItem("lineWidth=\"nan\"") << 3
                                    << "属性 lineWidth 的值“nan”不是有限的数";
    QTest::newRow("nan font size") << summaryItem("size=\"nan\"") << 3 << "属性 size 的值“nan”不是有限的数";
    QTest::newRow("nan page size") << QByteArray("<Report>\n<Page width=\"nan\"/></Report>") << 2
                                   << "属性 width 的值“nan”不是有限的数";
    QTest::newRow("minus infinite margin") << QByteArray("<Report>\n\n<Page left=\"-inf\"/></Report>") << 3
                                           << "属性 left 的值“-inf”不是有限的数";
    QTest::newRow("margins") << QByteArray(
                                    "<Report>\n<Page width=\"100\" left=\"60\" right=\"60\"/></Report>")
                             << 2 << "页边距大于纸张";
}

void TestReportEngine::loadErrors() {
    QFETCH(QByteArray, content);
    QFETCH(int, line);
    QFETCH(QString, problem);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Bad.frf"));
    if (!content.isEmpty()) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    ReportError error;
    QVERIFY(!LoadTemplate(path, &error));
    QCOMPARE(error.File, path);
    QCOMPARE(error.Line, line);
    QVERIFY2(error.Message.startsWith(problem), qPrintable(error.Message));
    QVERIFY(error.Text().contains(path));
    if (line > 0)
        QVERIFY(error.Text().contains(QStringLiteral("第 %1 行").arg(line)));
}

void TestReportEngine::unknownDataSetOrField_data() {
    QTest::addColumn<QString>("band");
    QTest::addColumn<QString>("message");
    QTest::newRow("master data set") << "<Band type=\"MasterData\" height=\"5\" dataset=\"Other\"/>"
                                     << "未知的数据集“Other”";
    QTest::newRow("field's data set")
        << "<Band type=\"Summary\" height=\"5\"><Text>[Other.Name]</Text></Band>"
        << "未知的数据集“Other”";
    QTest::newRow("field") << "<Band type=\"Summary\" height=\"5\"><Text>[Items.Price]</Text></Band>"
                           << "数据集“Items”中没有字段“Price”";
    QTest::newRow("summed field")
        << "<Band type=\"Summary\" height=\"5\"><Text>[SUM(items.price)]</Text></Band>"
        << "数据集“items”中没有字段“price”";
    QTest::newRow("condition's field")
        << "<Band type=\"Summary\" height=\"5\"><Text showIf=\"Items.Sum&lt;0\">x</Text></Band>"
        << "数据集“Items”中没有字段“Sum”";
    QTest::newRow("counted data set")
        << "<Band type=\"Summary\" height=\"5\"><Text>[COUNT(Nothing)]</Text></Band>"
        << "未知的数据集“Nothing”";
}

void TestReportEngine::unknownDataSetOrField() {
    QFETCH(QString, band);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Fields.frf"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(ListTemplate(QStringLiteral("\n") + band));
    file.close();
    const TableDataSet items = Items(2);
    Report report;
    report.Data.Add(QStringLiteral("Items"), &items);
    QVERIFY(!report.LoadFromFile(path));
    QCOMPARE(report.LastError().Message, message);
    // The band stands on line 16 of the file; the message names the line of the band or its item.
    QCOMPARE(report.LastError().Line, 16);
    QVERIFY(report.LastError().Text().contains(path));
    QVERIFY(!report.HasTemplate());
    QVERIFY(!report.Prepare());
    // The same check when a template is prepared against other data than it was loaded with.
    ReportData none;
    ReportError error;
    QVERIFY(!PrepareReport(*ReadTemplate(ListTemplate(), QStringLiteral("x.frf"), &error), none, {}, &error));
    QCOMPARE(error.Message, QStringLiteral("未知的数据集“Items”"));
}

void TestReportEngine::failedLoadKeepsThePreviousTemplate() {
    QTemporaryDir dir;
    const QString good = dir.filePath(QStringLiteral("Good.frf"));
    QFile file(good);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(ListTemplate());
    file.close();
    const TableDataSet items = Items(1);
    Report report;
    report.Data.Add(QStringLiteral("items"), &items);
    QVERIFY2(report.LoadFromFile(good), qPrintable(report.LastError().Text()));
    QVERIFY(!report.LoadFromFile(dir.filePath(QStringLiteral("Missing.frf"))));
    QCOMPARE(report.FileName(), good);
    QVERIFY(report.Prepare());
}

void TestReportEngine::pagesBreakAndRepeatHeaders() {
    // Body 100 mm: page 1 holds title 20 + header 10 + 7 rows; pages 2 and 3 header + 9 rows.
    const TableDataSet items = Items(20);
    ReportData data;
    data.Add(QStringLiteral("Items"), &items);
    const auto report = Prepare(ListTemplate(), data);
    QVERIFY(report);
    QCOMPARE(report->PageCount(), 3);

    const QStringList first = PageTexts(*report, 0);
    QCOMPARE(first.first(), QStringLiteral("商品清单"));
    QCOMPARE(first.count(QStringLiteral("名称")), 1);
    QVERIFY(first.contains(QStringLiteral("商品7")));
    QVERIFY(!first.contains(QStringLiteral("商品8")));
    QCOMPARE(first.last(), QStringLiteral("第 1 页 共 3 页"));

    const QStringList second = PageTexts(*report, 1);
    QVERIFY(!second.contains(QStringLiteral("商品清单")));
    QCOMPARE(second.mid(0, 4), (QStringList{"名称", "金额", "商品8", "84"}));
    QVERIFY(second.contains(QStringLiteral("商品16")));
    QCOMPARE(second.last(), QStringLiteral("第 2 页 共 3 页"));

    // The page header stands at the top margin of every page, the footer at the foot.
    for (int page = 0; page < 3; ++page) {
        QCOMPARE(TopOf(*report, page, QStringLiteral("第 %1 页 共 3 页").arg(page + 1)), 120.0);
    }
    QCOMPARE(TopOf(*report, 0, QStringLiteral("名称")), 40.0);
    QCOMPARE(TopOf(*report, 1, QStringLiteral("名称")), 20.0);
    // The last row that fits ends exactly at the footer; the next goes to the next page.
    QCOMPARE(TopOf(*report, 1, QStringLiteral("商品16")), 110.0);
    QCOMPARE(TopOf(*report, 2, QStringLiteral("商品17")), 30.0);
    QCOMPARE(PageTexts(*report, 2).count(), 2 + 4 * 2 + 1);
    QVERIFY(report->Page(3).empty());
}

void TestReportEngine::masterHeaderAndFooterFollowTheRows() {
    const QString bands = QStringLiteral(R"(
  <Band type="Header" height="10"><Text x="0" y="0" width="80" height="10">列标题</Text></Band>
  <Band type="MasterData" height="10" dataset="Lines"><Text x="0" y="0" width="80" height="10">[Lines.Name]</Text></Band>
  <Band type="Footer" height="10"><Text x="0" y="0" width="80" height="10">小计 [SUM(Lines.Amount)]</Text></Band>
  <Band type="Summary" height="70"><Text x="0" y="0" width="80" height="10">总计 [COUNT(Items)] 项</Text></Band>)");
    const TableDataSet items = Items(3);
    const TableDataSet lines = Items(12, QStringLiteral("明细"));
    ReportData data;
    data.Add(QStringLiteral("Items"), &items);
    data.Add(QStringLiteral("Lines"), &lines);
    const auto report = Prepare(ListTemplate(bands), data);
    QVERIFY(report);
    // Page 1: title 20, page header 10, 3 items (60), the data header 10 and rows 1 to 3 (100).
    QStringList page = PageTexts(*report, 0);
    QVERIFY(page.contains(QStringLiteral("列标题")));
    QCOMPARE(page.at(page.size() - 2), QStringLiteral("明细3"));
    // Page 2 repeats the data header under the page header, then rows 4 to 11.
    page = PageTexts(*report, 1);
    QCOMPARE(page.mid(0, 4), (QStringList{"名称", "金额", "列标题", "明细4"}));
    QCOMPARE(TopOf(*report, 1, QStringLiteral("列标题")), 30.0);
    QVERIFY(page.contains(QStringLiteral("明细11")));
    // Page 3: the last row, the footer with the sum of the 12 rows; the summary does not fit below
    // and goes on to page 4, without the data header.
    page = PageTexts(*report, 2);
    QVERIFY(page.contains(QStringLiteral("明细12")));
    QVERIFY(page.contains(QStringLiteral("小计 819")));
    QVERIFY(!page.contains(QStringLiteral("总计 3 项")));
    QCOMPARE(report->PageCount(), 4);
    QCOMPARE(PageTexts(*report, 3), (QStringList{"名称", "金额", "总计 3 项", "第 4 页 共 4 页"}));
}

void TestReportEngine::emptyDataSetLeavesOutItsHeaderAndFooter() {
    const QString bands = QStringLiteral(R"(
  <Band type="Header" height="10"><Text x="0" y="0" width="80" height="10">列标题</Text></Band>
  <Band type="MasterData" height="10" dataset="Lines"><Text x="0" y="0" width="80" height="10">[Lines.Name]</Text></Band>
  <Band type="Footer" height="10"><Text x="0" y="0" width="80" height="10">小计</Text></Band>
  <Band type="Summary" height="10"><Text x="0" y="0" width="80" height="10">合计 [SUM(Items.Amount)]</Text></Band>)");
    const TableDataSet lines({QStringLiteral("Name"), QStringLiteral("Amount")});
    ReportData data;
    data.Add(QStringLiteral("Items"), &lines);
    data.Add(QStringLiteral("Lines"), &lines);
    const auto report = Prepare(ListTemplate(bands), data);
    QVERIFY(report);
    QCOMPARE(report->PageCount(), 1);
    QCOMPARE(PageTexts(*report, 0), (QStringList{"商品清单", "名称", "金额", "合计 0", "第 1 页 共 1 页"}));
}

void TestReportEngine::bandTallerThanThePageDoesNotLoop() {
    const QByteArray xml =
        R"(<Report><Page width="100" height="100" left="10" top="10" right="10" bottom="10"/>
      <Band type="PageHeader" height="10"><Text x="0" y="0" width="50" height="10">头</Text></Band>
      <Band type="MasterData" height="200" dataset="Items"><Text x="0" y="0" width="50" height="10">[Items.Name]</Text></Band>
    </Report>)";
    const TableDataSet items = Items(3);
    ReportData data;
    data.Add(QStringLiteral("Items"), &items);
    const auto report = Prepare(xml, data);
    QVERIFY(report);
    QCOMPARE(report->PageCount(), 3);
    QCOMPARE(PageTexts(*report, 2), (QStringList{"头", "商品3"}));
}

void TestReportEngine::aggregatesVariablesAndFormats() {
    const QByteArray xml = R"(<Report><Page/>
      <Band type="ReportTitle" height="40">
        <Text x="0" y="0" width="50" height="5">[MoneyCN]|[Other]|[Date]</Text>
        <Text x="0" y="5" width="50" height="5" format="fixed:2">[SUM(Items.Amount)]</Text>
        <Text x="0" y="10" width="50" height="5" format="amount">[SUM(Items.Amount)]/[COUNT(Items)]</Text>
        <Text x="0" y="15" width="50" height="5" format="date:yyyy年M月d日">[Items.Day]</Text>
        <Text x="0" y="20" width="50" height="5">[Items.Name]@[Page]</Text>
        <Text x="0" y="25" width="50" height="5" showIf="Items.Name='商品1'">首行</Text>
        <Text x="0" y="30" width="50" height="5" showIf="[Items.Name] &lt;&gt; '商品1'">不显示</Text>
      </Band>
      <Band type="MasterData" height="5" dataset="Items">
        <Text x="0" y="0" width="50" height="5" format="fixed:1">[Items.Amount]</Text>
        <Text x="50" y="0" width="50" height="5" showIf="Items.Amount>=21">大</Text>
      </Band>
    </Report>)";
    const TableDataSet items = Items(3);
    ReportData data;
    data.Add(QStringLiteral("Items"), &items);
    QStringList asked;
    const auto report = Prepare(xml, data, [&](const QString& name) {
        asked << name;
        return name == QLatin1String("MoneyCN") ? QVariant(QStringLiteral("壹元　零角　零分　")) : QVariant();
    });
    QVERIFY(report);
    // Each host variable is asked once while preparing; the system's own are never asked.
    QCOMPARE(asked, (QStringList{"MoneyCN", "Other"}));
    const QStringList texts = PageTexts(*report, 0);
    QCOMPARE(texts.at(0),
             QStringLiteral("壹元　零角　零分　||") + report->PreparedAt().date().toString(Qt::ISODate));
    QCOMPARE(texts.at(1), QStringLiteral("63.00"));
    QCOMPARE(texts.at(2), QStringLiteral("63/3"));
    // Outside a band of its own data set a field reads the first row.
    QCOMPARE(texts.at(3), QStringLiteral("2024年6月2日"));
    QCOMPARE(texts.at(4), QStringLiteral("商品1@1"));
    // Conditions: outside the master band on the first row, inside it on each row.
    QCOMPARE(texts.mid(5), (QStringList{"首行", "10.5", "21.0", "大", "31.5", "大"}));
}

void TestReportEngine::formatValue_data() {
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("text");
    QTest::newRow("amount") << QVariant(0.1 + 0.2) << "amount"
                            << "0.3";
    QTest::newRow("amount of text") << QVariant(QStringLiteral("-1234.50")) << "amount"
                                    << "-1234.5";
    QTest::newRow("amount of no number") << QVariant(QStringLiteral("abc")) << "amount"
                                         << "abc";
    QTest::newRow("amount without sign") << QVariant(-1234.5) << "amount:abs"
                                         << "1234.5";
    QTest::newRow("fixed") << QVariant(qlonglong(300)) << "fixed:2"
                           << "300.00";
    QTest::newRow("plain double") << QVariant(0.1 + 0.2) << ""
                                  << "0.3";
    QTest::newRow("date text") << QVariant(QStringLiteral("2024-02-29")) << "date:yyyy/MM/dd"
                               << "2024/02/29";
    QTest::newRow("date time text") << QVariant(QStringLiteral("2024-02-29 13:05:00")) << "date:M月d日 HH:mm"
                                    << "2月29日 13:05";
    QTest::newRow("no date") << QVariant(QStringLiteral("明天")) << "date:yyyy"
                             << "明天";
    QTest::newRow("null") << QVariant() << "amount"
                          << "";
}

void TestReportEngine::formatValue() {
    QFETCH(QVariant, value);
    QFETCH(QString, format);
    QFETCH(QString, text);
    QCOMPARE(FormatValue(value, format), text);
}

void TestReportEngine::pdfKeepsChineseText() {
    const TableDataSet items = Items(20);
    ReportData data;
    data.Add(QStringLiteral("Items"), &items);
    const auto report = Prepare(ListTemplate(), data);
    QVERIFY(report);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("清单.pdf"));
    QString error;
    QVERIFY2(WriteReportPdf(*report, path, &error), qPrintable(error));

    QPdfDocument pdf;
    QCOMPARE(pdf.load(path), QPdfDocument::Error::None);
    QCOMPARE(pdf.pageCount(), 3);
    // The paper is the template's: 120 x 150 mm.
    QCOMPARE(qRound(pdf.pagePointSize(0).width() / 72 * 25.4), 120);
    QCOMPARE(qRound(pdf.pagePointSize(0).height() / 72 * 25.4), 150);
    const QString first = pdf.getAllText(0).text();
    for (const char* expected : {"商品清单", "名称", "金额", "商品1", "73.5", "第 1 页 共 3 页"})
        QVERIFY2(first.contains(QString::fromUtf8(expected)), qPrintable(first));
    const QString last = pdf.getAllText(2).text();
    QVERIFY2(last.contains(QStringLiteral("商品20")) && last.contains(QStringLiteral("第 3 页 共 3 页")),
             qPrintable(last));
    QVERIFY(!last.contains(QStringLiteral("商品清单")));
}

void TestReportEngine::shrinkToFit_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("width"); // mm, the cell is 8 mm high
    QTest::addColumn<bool>("wrap");
    QTest::addColumn<bool>("shrinks");
    QTest::addColumn<bool>("whole");
    const QString capitals = QStringLiteral(
        "玖仟　玖佰　玖拾　玖亿　玖仟　玖佰　玖拾　玖万　玖仟　玖佰　玖拾　玖元　玖角　玖分　");
    const QString name = QStringLiteral("北京岚峰商业贸易发展有限责任公司第一分公司");
    QTest::newRow("fits: its own size") << capitals << 190.0 << false << false << true;
    QTest::newRow("too wide: smaller and whole") << capitals << 60.0 << false << true << true;
    QTest::newRow("wrapped: smaller lines, whole") << name << 30.0 << true << true << true;
    QTest::newRow("number wider than its cell")
        << QStringLiteral("-99999999999.99") << 12.0 << false << true << true;
    QTest::newRow("too long even at the smallest size: cut with …")
        << QString(300, QChar(0x4E2D)) << 40.0 << false << true << false;
}

void TestReportEngine::shrinkToFit() {
    QFETCH(QString, text);
    QFETCH(double, width);
    QFETCH(bool, wrap);
    QFETCH(bool, shrinks);
    QFETCH(bool, whole);
    // The text in a framed cell, and its first character alone at the same size for comparison.
    const QByteArray xml =
        QStringLiteral(R"(<Report><Page width="210" height="297" left="10" top="10" right="10" bottom="10"/>
  <Band type="Summary" height="100">
    <Text x="0" y="0" width="%1" height="8" size="10" frame="all" shrink="true" wrap="%2">%3</Text>
    <Text x="0" y="50" width="190" height="8" size="10">%4</Text>
  </Band>
</Report>)")
            .arg(width)
            .arg(wrap ? QStringLiteral("true") : QStringLiteral("false"), text, text.left(1))
            .toUtf8();
    const auto report = Prepare(xml, ReportData());
    QVERIFY(report);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("shrink.pdf"));
    QString error;
    QVERIFY2(WriteReportPdf(*report, path, &error), qPrintable(error));
    QPdfDocument pdf;
    QCOMPARE(pdf.load(path), QPdfDocument::Error::None);
    const std::vector<Glyph> glyphs = GlyphsOf(pdf, 0);
    QVERIFY(glyphs.size() >= 2);
    const Glyph& reference = glyphs.back();
    const double pointsPerMm = 72.0 / 25.4;
    const QRectF cell(10 * pointsPerMm, 10 * pointsPerMm, width * pointsPerMm, 8 * pointsPerMm);
    QString written;
    for (size_t i = 0; i + 1 < glyphs.size(); ++i) {
        written += glyphs[i].Character;
        QVERIFY2(cell.adjusted(-0.25, -0.25, 0.25, 0.25).contains(glyphs[i].Box),
                 qPrintable(QStringLiteral("%1 %2 outside %3")
                                .arg(glyphs[i].Character)
                                .arg(Describe(glyphs[i].Box), Describe(cell))));
    }
    QString expected = text;
    expected.remove(QChar(0x3000));
    if (whole) {
        QCOMPARE(written, expected);
    } else {
        // As much as fits at the smallest size, and the mark that something is left out.
        QVERIFY2(written.endsWith(QChar(0x2026)) && written.size() > 10, qPrintable(written));
        QVERIFY(expected.startsWith(written.chopped(1)));
    }
    const double ratio = glyphs.front().Box.height() / reference.Box.height();
    if (shrinks)
        QVERIFY2(ratio < 0.95, qPrintable(QString::number(ratio)));
    else
        QVERIFY2(qAbs(ratio - 1) < 0.02, qPrintable(QString::number(ratio)));
}

void TestReportEngine::framesAreJoinedAndDrawnOnce() {
    // Three rows framed left, right and bottom under a header framed all round; a summary with a
    // thicker top frame and a slanted line of its own pen.
    const TableDataSet items = Items(3);
    ReportData data;
    data.Add(QStringLiteral("Items"), &items);
    const auto report = Prepare(ListTemplate(QStringLiteral(R"(<Band type="Summary" height="10">
    <Line x="0" y="0" width="10" height="10" lineWidth="1"/>
    <Text x="0" y="0" width="40" height="10" frame="top" lineWidth="1">合计</Text>
  </Band>)")),
                                data);
    QVERIFY(report);
    // At a millimetre to the pixel: the header stands at 40..50 mm, the rows at 50..80, the
    // summary at 80..90, the left margin at 20 mm.
    QStringList lines;
    for (const PageRenderer::PageLines& pen : PageRenderer::Lines(*report, 0, 1.0)) {
        for (const QLineF& line : pen.Lines)
            lines << QStringLiteral("%1 %2: %3,%4 %5,%6")
                         .arg(pen.Colour.name())
                         .arg(pen.Width)
                         .arg(line.x1())
                         .arg(line.y1())
                         .arg(line.x2())
                         .arg(line.y2());
    }
    lines.sort();
    const QStringList expected = {
        "#000000 0.5: 100,40 100,50", // the header's right side
        "#000000 0.5: 20,40 100,40",  // the header's top
        "#000000 0.5: 20,40 20,80",   // the left side, header and rows in one
        "#000000 0.5: 20,50 100,50",  // the header's bottom, the top of the first row
        "#000000 0.5: 20,60 60,60",   // the bottoms of the rows
        "#000000 0.5: 20,70 60,70",   "#000000 0.5: 20,80 60,80",
        "#000000 0.5: 60,40 60,80", // the side the header cells and the rows share, once
        "#000000 1: 20,80 30,90",   // the slanted line as it is
        "#000000 1: 20,80 60,80",   // the summary's top, with its own pen
    };
    QCOMPARE(lines, expected);
}

void TestReportEngine::picturesAreReadOnlyFromRegularFiles_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("shown");
    QTest::newRow("a picture file") << "png" << true;
    QTest::newRow("a named pipe") << "pipe" << false;
    QTest::newRow("a device") << "device" << false;
    QTest::newRow("a folder") << "folder" << false;
    QTest::newRow("a file over the size limit") << "large" << false;
    QTest::newRow("a saved report whose template folder holds a named pipe") << "saved" << false;
}

// A picture item shows a regular file of a picture's size only: a named pipe or a device named by
// the template, or found in the template folder a saved report names, never holds up the drawing.
void TestReportEngine::picturesAreReadOnlyFromRegularFiles() {
    QFETCH(QString, kind);
    QFETCH(bool, shown);
    QTemporaryDir dir;
    const QString pipes = dir.filePath(QStringLiteral("pipes"));
    QVERIFY(QDir().mkpath(pipes));
    QCOMPARE(mkfifo(QFile::encodeName(pipes + QStringLiteral("/logo.png")).constData(), 0600), 0);
    QString file = QStringLiteral("logo.png");
    if (kind == QLatin1String("png") || kind == QLatin1String("saved")) {
        QImage image(8, 8, QImage::Format_RGB32);
        image.fill(Qt::red);
        QVERIFY(image.save(dir.filePath(file)));
    } else if (kind == QLatin1String("pipe")) {
        QCOMPARE(mkfifo(QFile::encodeName(dir.filePath(file)).constData(), 0600), 0);
    } else if (kind == QLatin1String("device")) {
        file = QStringLiteral("/dev/zero");
    } else if (kind == QLatin1String("folder")) {
        QVERIFY(QDir().mkdir(dir.filePath(file)));
    } else {
        QFile large(dir.filePath(file));
        QVERIFY(large.open(QIODevice::WriteOnly) && large.resize(PictureSizeLimit + 1));
    }
    const QByteArray xml = QStringLiteral("<Report><Page/><Band type=\"ReportTitle\" height=\"20\">"
                                          "<Picture x=\"0\" y=\"0\" width=\"20\" height=\"20\" file=\"%1\"/>"
                                          "</Band></Report>")
                               .arg(file)
                               .toUtf8();
    ReportError error;
    const auto loaded = ReadTemplate(xml, dir.filePath(QStringLiteral("Logo.frf")), &error);
    QVERIFY2(loaded, qPrintable(error.Text()));
    std::shared_ptr<PreparedReport> report = PrepareReport(*loaded, ReportData(), {}, &error);
    QVERIFY2(report, qPrintable(error.Text()));
    if (kind == QLatin1String("saved")) {
        // The saved report's template attribute is changed to a template in the folder of pipes.
        const QString saved = dir.filePath(QStringLiteral("logo.frp"));
        QString problem;
        QVERIFY(SavePreparedReport(*report, saved, &problem));
        QFile in(saved);
        QVERIFY(in.open(QIODevice::ReadOnly));
        QByteArray bytes = in.readAll();
        in.close();
        const QByteArray was = "template=\"" + dir.filePath(QStringLiteral("Logo.frf")).toUtf8() + "\"";
        QVERIFY(bytes.contains(was));
        bytes.replace(was, "template=\"" + (pipes + QStringLiteral("/Logo.frf")).toUtf8() + "\"");
        QVERIFY(in.open(QIODevice::WriteOnly | QIODevice::Truncate));
        in.write(bytes);
        in.close();
        report = LoadPreparedReport(saved, &problem);
        QVERIFY2(report, qPrintable(problem));
        // A saved report that is itself a named pipe is refused at once.
        QVERIFY(!LoadPreparedReport(pipes + QStringLiteral("/logo.png"), &problem));
        QVERIFY2(problem.contains(QStringLiteral("无法打开")), qPrintable(problem));
    }
    QElapsedTimer timer;
    timer.start();
    const ReportItem& item = report->Template().Bands[0].Items[0];
    QCOMPARE(!report->Picture(item).isNull(), shown);
    QImage page(300, 300, QImage::Format_RGB32);
    page.fill(Qt::white);
    {
        QPainter painter(&page);
        PageRenderer::Draw(*report, 0, painter, 4);
    }
    QVERIFY(timer.elapsed() < 5000);
    // Where a picture is shown, it is drawn: 15 mm from the paper's edge at 4 dots to the mm.
    const QPoint inside(4 * (15 + 10), 4 * (15 + 10));
    QCOMPARE(page.pixelColor(inside) == QColor(Qt::red), shown);
}

void TestReportEngine::damagedSavedReportTellsLineAndReason_data() {
    QTest::addColumn<QByteArray>("from");   // the first place of this text ...
    QTest::addColumn<QByteArray>("to");     // ... becomes this one
    QTest::addColumn<QByteArray>("marker"); // the line of the problem holds this ("": any line)
    QTest::addColumn<QString>("reason");
    QTest::newRow("not a finite number")
        << QByteArray(">21<") << QByteArray(">nan<") << QByteArray(">nan<") << "值“nan”不是有限的数";
    QTest::newRow("infinite number") << QByteArray(">31.5<") << QByteArray(">-inf<") << QByteArray(">-inf<")
                                     << "值“-inf”不是有限的数";
    QTest::newRow("number that is none")
        << QByteArray(">10.5<") << QByteArray(">ten<") << QByteArray(">ten<") << "值“ten”不是有限的数";
    QTest::newRow("integer that is none") << QByteArray("integer\">2<") << QByteArray("integer\">2x<")
                                          << QByteArray(">2x<") << "值“2x”不是整数";
    QTest::newRow("unknown type of value") << QByteArray("type=\"integer\"") << QByteArray("type=\"money\"")
                                           << QByteArray("money") << "未知的值类型“money”";
    QTest::newRow("row short of a value") << QByteArray("<V type=\"integer\">3</V>") << QByteArray()
                                          << QByteArray() << "数据集“Items”的数据行有 3 个值，应为 4 个";
    QTest::newRow("data set without a name")
        << QByteArray("<DataSet name=\"Items\">") << QByteArray("<DataSet>") << QByteArray("<DataSet>")
        << "数据集没有名称";
    QTest::newRow("data set the template does not find")
        << QByteArray("<DataSet name=\"Items\">") << QByteArray("<DataSet name=\"Goods\">")
        << QByteArray("MasterData") << "其中的报表模板：未知的数据集“Items”";
    QTest::newRow("damaged template inside")
        << QByteArray("MasterData") << QByteArray("MasterRows") << QByteArray("MasterRows")
        << "其中的报表模板：未知的带区类型“MasterRows”";
    QTest::newRow("nan inside the template")
        << QByteArray("height=&quot;20&quot;") << QByteArray("height=&quot;nan&quot;") << QByteArray("nan")
        << "其中的报表模板：属性 height 的值“nan”不是有限的数";
    QTest::newRow("unknown element") << QByteArray("<DataSet ") << QByteArray("<Rows ")
                                     << QByteArray("<Rows ") << "未知的元素“Rows”";
    QTest::newRow("another root") << QByteArray("<PreparedReport") << QByteArray("<Report x=\"\"")
                                  << QByteArray("<Report") << "根元素是“Report”，应为“PreparedReport”";
    QTest::newRow("later version") << QByteArray("version=\"1\"") << QByteArray("version=\"9\"")
                                   << QByteArray("version=\"9\"") << "版本“9”无法读取";
    QTest::newRow("cut short") << QByteArray("</PreparedReport>") << QByteArray() << QByteArray()
                               << "XML 格式有误";
}

// Every damaged saved report is refused with the reason and the line of the file, as a damaged
// template is.
void TestReportEngine::damagedSavedReportTellsLineAndReason() {
    QFETCH(QByteArray, from);
    QFETCH(QByteArray, to);
    QFETCH(QByteArray, marker);
    QFETCH(QString, reason);
    TableDataSet set(
        {QStringLiteral("Name"), QStringLiteral("Amount"), QStringLiteral("Day"), QStringLiteral("Pieces")});
    for (int i = 1; i <= 3; ++i)
        set.AddRow({QStringLiteral("商品%1").arg(i), i * 10.5, QStringLiteral("2024-06-0%1").arg(i),
                    QVariant(qlonglong(i))});
    ReportData data;
    data.Add(QStringLiteral("Items"), &set);
    const auto report = Prepare(ListTemplate(), data, [](const QString&) { return QVariant(7); });
    QVERIFY(report);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Damaged.frp"));
    QString error;
    QVERIFY2(SavePreparedReport(*report, path, &error), qPrintable(error));
    QVERIFY2(LoadPreparedReport(path, &error), qPrintable(error));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QByteArray bytes = file.readAll();
    file.close();
    const qsizetype at = bytes.indexOf(from);
    QVERIFY2(at >= 0, from.constData());
    bytes.replace(at, from.size(), to);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
    file.close();

    QVERIFY(!LoadPreparedReport(path, &error));
    QVERIFY2(error.startsWith(QStringLiteral("文件 %1 不是可以打开的报表（第 ").arg(path)),
             qPrintable(error));
    QVERIFY2(error.contains(reason), qPrintable(error));
    const int line =
        static_cast<int>(bytes.left(marker.isEmpty() ? at : bytes.indexOf(marker)).count('\n')) + 1;
    if (!marker.isEmpty())
        QVERIFY2(error.contains(QStringLiteral("第 %1 行：").arg(line)), qPrintable(error));
}

QTEST_MAIN(TestReportEngine)
#include "tst_reportengine.moc"
