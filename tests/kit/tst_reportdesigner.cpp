#include "foundation/ShareDM.h"
#include "kit/Prompts.h"
#include "kit/report/PageRenderer.h"
#include "kit/report/ReportDesignCanvas.h"
#include "kit/report/ReportDesignModel.h"
#include "kit/report/ReportDesigner.h"
#include "kit/report/ReportFieldNames.h"
#include "kit/report/ReportPreview.h"
#include "kit/report/ReportTemplateFile.h"
#include "mainwindow/MainForm.h"
#include "reports/PrintCatalogue.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMimeData>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

// The report designer through its model (load, change, undo, save) and through its window.

namespace {

QString TemplateSource(const QString& name) {
    return qEnvironmentVariable("KESTREL_DATA_DIR") + QStringLiteral("/Frf/") + name;
}

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The first text item showing `text` (Bill.frf's document number: no other item lies over it).
ReportDesignModel::ItemRef FirstText(const ReportTemplate& t,
                                     const QString& text = QStringLiteral("[ADOQuery1.BillSerial]")) {
    for (int b = 0; b < static_cast<int>(t.Bands.size()); ++b) {
        const auto& items = t.Bands[static_cast<size_t>(b)].Items;
        for (int i = 0; i < static_cast<int>(items.size()); ++i) {
            if (items[static_cast<size_t>(i)].Type == ReportItem::Kind::Text &&
                items[static_cast<size_t>(i)].Text.contains(text))
                return {b, i};
        }
    }
    return {};
}

// What the document print hands Bill.frf.
DesignCatalogue BillCatalogue() {
    return PrintCatalogueFor(QStringLiteral("Bill.frf"));
}

// Everything an item holds that a template file keeps, as one text.
QString Described(const ReportItem& item) {
    const QRectF& g = item.Geometry;
    return QStringLiteral(
               "%1 @%2,%3 %4x%5 text=%6 format=%7 font=%8/%9 bold=%10 italic=%11 align=%12 wrap=%13 "
               "colour=%14 frame=%15 pen=%16 file=%17 showIf=%18")
        .arg(ItemKindName(item.Type))
        .arg(g.x())
        .arg(g.y())
        .arg(g.width())
        .arg(g.height())
        .arg(item.Type == ReportItem::Kind::Text ? item.Text : QString(), item.Format, item.FontFamily)
        .arg(item.FontSize)
        .arg(item.Bold)
        .arg(item.Italic)
        .arg(AlignmentName(item.Align))
        .arg(item.WordWrap)
        .arg(item.Colour.name(QColor::HexArgb), FrameName(item.Frame))
        .arg(item.LineWidth)
        .arg(item.Picture, item.ShowIf);
}

} // namespace

class TestReportDesigner : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void loadMoveUndoRedo();
    void propertyChangeIsOneStepAndReparsesTheText();
    void arrowKeyStepsMergeIntoOneUndoStep();
    void addAndDeleteItemsAndBands();
    void saveKeepsThePreviousVersionAndReloadsTheSame();
    void saveKeepsEveryAttributeOfEveryItemKind_data();
    void saveKeepsEveryAttributeOfEveryItemKind();
    void brokenTemplateIsRefusedAtSave_data();
    void brokenTemplateIsRefusedAtSave();
    void failedBackupLeavesTheTemplateAsItWas();
    void shippedTemplatesFitTheirPrintPaths_data();
    void shippedTemplatesFitTheirPrintPaths();
    void windowSelectsMovesAndEditsWithTheMouseAndPanel();
    void mainWindowOpensTheLastLoadedTemplate();
    void openDropAndPreviewWithSampleData();
    void shownFieldNames_data();
    void shownFieldNames();
    void fieldsShowByTheirChineseNames();

private:
    QTemporaryDir folder;
    QString billFile;
    std::unique_ptr<Prompts> previous;
    ScriptedPrompts* prompts = nullptr;
};

void TestReportDesigner::init() {
    billFile = folder.filePath(QStringLiteral("Bill.frf"));
    QFile::remove(billFile);
    QFile::remove(ReportDesignModel::BackupName(billFile));
    QVERIFY(QFile::copy(TemplateSource(QStringLiteral("Bill.frf")), billFile));
    QFile(billFile).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    auto scripted = std::make_unique<ScriptedPrompts>();
    prompts = scripted.get();
    previous = Prompts::Install(std::move(scripted));
}

void TestReportDesigner::cleanup() {
    Prompts::Install(std::move(previous));
}

void TestReportDesigner::loadMoveUndoRedo() {
    ReportDesignModel model;
    ReportError error;
    QVERIFY2(model.Load(billFile, &error), qPrintable(error.Text()));
    QVERIFY(!model.Template().Bands.empty());
    QVERIFY(!model.IsModified());
    const ReportDesignModel::ItemRef item = FirstText(model.Template());
    QVERIFY(item.Valid());
    const QRectF before = model.Item(item)->Geometry;
    model.MoveItem(item, before.topLeft() + QPointF(12.5, 3));
    QCOMPARE(model.Item(item)->Geometry.topLeft(), before.topLeft() + QPointF(12.5, 3));
    QCOMPARE(model.Item(item)->Geometry.size(), before.size());
    QVERIFY(model.IsModified());
    model.UndoStack()->undo();
    QCOMPARE(model.Item(item)->Geometry, before);
    QVERIFY(!model.IsModified());
    model.UndoStack()->redo();
    QCOMPARE(model.Item(item)->Geometry.topLeft(), before.topLeft() + QPointF(12.5, 3));
}

void TestReportDesigner::propertyChangeIsOneStepAndReparsesTheText() {
    ReportDesignModel model;
    ReportError error;
    QVERIFY(model.Load(billFile, &error));
    const ReportDesignModel::ItemRef item = FirstText(model.Template());
    ReportItem changed = *model.Item(item);
    const ReportItem original = changed;
    changed.Text = QStringLiteral("客户：[ADOQuery1.BillUser]");
    changed.Bold = !original.Bold;
    changed.Frame = FrameAll;
    model.SetItem(item, changed, QStringLiteral("修改"));
    QCOMPARE(model.UndoStack()->count(), 1);
    const ReportItem* now = model.Item(item);
    QCOMPARE(now->Bold, !original.Bold);
    QCOMPARE(now->Frame, int(FrameAll));
    QCOMPARE(now->Parts.size(), size_t(2));
    QCOMPARE(now->Parts[1].Type, TextPart::Kind::Field);
    QCOMPARE(now->Parts[1].Field, QStringLiteral("BillUser"));
    model.UndoStack()->undo();
    QCOMPARE(model.Item(item)->Text, original.Text);
    QCOMPARE(model.Item(item)->Bold, original.Bold);
}

void TestReportDesigner::arrowKeyStepsMergeIntoOneUndoStep() {
    ReportDesignModel model;
    ReportError error;
    QVERIFY(model.Load(billFile, &error));
    ReportDesignCanvas canvas(&model);
    const ReportDesignModel::ItemRef item = FirstText(model.Template());
    model.Select(item);
    const QPointF start = model.Item(item)->Geometry.topLeft();
    QTest::keyClick(&canvas, Qt::Key_Right);
    QTest::keyClick(&canvas, Qt::Key_Right);
    QTest::keyClick(&canvas, Qt::Key_Down, Qt::ShiftModifier);
    QCOMPARE(model.Item(item)->Geometry.topLeft(), start + QPointF(2, 0.1));
    QCOMPARE(model.UndoStack()->count(), 1);
    // Ctrl with an arrow changes the size.
    const QSizeF size = model.Item(item)->Geometry.size();
    QTest::keyClick(&canvas, Qt::Key_Right, Qt::ControlModifier);
    QCOMPARE(model.Item(item)->Geometry.size(), size + QSizeF(1, 0));
    model.UndoStack()->undo();
    model.UndoStack()->undo();
    QCOMPARE(model.Item(item)->Geometry.topLeft(), start);
    QTest::keyClick(&canvas, Qt::Key_Delete);
    QVERIFY(!model.Selected().Valid());
}

void TestReportDesigner::addAndDeleteItemsAndBands() {
    ReportDesignModel model;
    ReportError error;
    QVERIFY(model.Load(billFile, &error));
    const int bands = static_cast<int>(model.Template().Bands.size());
    ReportBand summary;
    summary.Type = ReportBand::Kind::Summary;
    summary.Height = 15;
    const int at = model.AddBand(summary);
    QCOMPARE(static_cast<int>(model.Template().Bands.size()), bands + 1);
    QCOMPARE(model.Template().Bands[static_cast<size_t>(at)].Type, ReportBand::Kind::Summary);
    // A band goes after every band laid out before it.
    for (int b = 0; b < at; ++b)
        QVERIFY(static_cast<int>(model.Template().Bands[static_cast<size_t>(b)].Type) <=
                static_cast<int>(ReportBand::Kind::Summary));
    const ReportDesignModel::ItemRef field =
        model.AddFieldItem(at, QStringLiteral("ADOQuery1"), QStringLiteral("BillSum"), QPointF(5, 2));
    QCOMPARE(model.Selected(), field);
    QCOMPARE(model.Item(field)->Text, QStringLiteral("[ADOQuery1.BillSum]"));
    QCOMPARE(model.Item(field)->Geometry.topLeft(), QPointF(5, 2));
    model.DeleteItem(field);
    QVERIFY(model.Template().Bands[static_cast<size_t>(at)].Items.empty());
    model.DeleteBand(at);
    QCOMPARE(static_cast<int>(model.Template().Bands.size()), bands);
    model.UndoStack()->undo(); // the band is back, the item not yet
    model.UndoStack()->undo(); // the item is back
    QCOMPARE(model.Template().Bands[static_cast<size_t>(at)].Items.size(), size_t(1));
}

void TestReportDesigner::saveKeepsThePreviousVersionAndReloadsTheSame() {
    const QByteArray original = ReadFile(billFile);
    ReportDesignModel model;
    ReportError error;
    QVERIFY(model.Load(billFile, &error));
    model.SetCatalogue(BillCatalogue());
    const ReportDesignModel::ItemRef item = FirstText(model.Template());
    model.MoveItem(item, QPointF(7, 1.5));
    ReportItem changed = *model.Item(item);
    changed.Italic = true;
    changed.Align = Qt::AlignRight | Qt::AlignBottom;
    changed.Format = QStringLiteral("fixed:2");
    model.SetItem(item, changed, QStringLiteral("修改"));
    QVERIFY2(model.Save(billFile, &error), qPrintable(error.Text()));
    QVERIFY(!model.IsModified());
    QCOMPARE(ReadFile(ReportDesignModel::BackupName(billFile)), original);
    // Read back, it is the template that was saved.
    const std::optional<ReportTemplate> again = LoadTemplate(billFile, &error);
    QVERIFY2(again.has_value(), qPrintable(error.Text()));
    QCOMPARE(WriteTemplate(*again), WriteTemplate(model.Template()));
    const ReportItem& saved =
        again->Bands[static_cast<size_t>(item.Band)].Items[static_cast<size_t>(item.Item)];
    QCOMPARE(saved.Geometry.topLeft(), QPointF(7, 1.5));
    QVERIFY(saved.Italic);
    QCOMPARE(saved.Align, Qt::AlignRight | Qt::AlignBottom);
    QCOMPARE(saved.Format, QStringLiteral("fixed:2"));
    // A second save keeps the first saved version as the previous one.
    const QByteArray first = ReadFile(billFile);
    model.MoveItem(item, QPointF(8, 1.5));
    QVERIFY(model.Save(billFile, &error));
    QCOMPARE(ReadFile(ReportDesignModel::BackupName(billFile)), first);
}

void TestReportDesigner::saveKeepsEveryAttributeOfEveryItemKind_data() {
    QTest::addColumn<int>("kind");
    QTest::newRow("text") << static_cast<int>(ReportItem::Kind::Text);
    QTest::newRow("line") << static_cast<int>(ReportItem::Kind::Line);
    QTest::newRow("rectangle") << static_cast<int>(ReportItem::Kind::Rect);
    QTest::newRow("picture") << static_cast<int>(ReportItem::Kind::Picture);
}

// Saved by the designer and loaded again, an item of each kind keeps every attribute that differs
// from the defaults (a red line stays red), beside one item of each kind left at the defaults.
void TestReportDesigner::saveKeepsEveryAttributeOfEveryItemKind() {
    QFETCH(int, kind);
    ReportTemplate report;
    report.Title = QStringLiteral("全部属性");
    report.Page.Size = QSizeF(182, 257);
    report.Page.Landscape = true;
    report.Page.MarginLeft = 11.5;
    report.Page.MarginTop = 12;
    report.Page.MarginRight = 13;
    report.Page.MarginBottom = 14.25;
    ReportBand title;
    title.Type = ReportBand::Kind::ReportTitle;
    title.Height = 40;
    ReportItem changed;
    changed.Type = static_cast<ReportItem::Kind>(kind);
    changed.Geometry = QRectF(3.5, 4, 60.25, changed.Type == ReportItem::Kind::Line ? 0 : 12);
    changed.Text = QStringLiteral("合计 [SUM(Rows.Amount)] 元");
    changed.Format = QStringLiteral("fixed:2");
    changed.FontFamily = QStringLiteral("黑体");
    changed.FontSize = 15.5;
    changed.Bold = true;
    changed.Italic = true;
    changed.Align = Qt::AlignRight | Qt::AlignBottom;
    changed.WordWrap = true;
    changed.Colour = QColor(0xcc, 0x11, 0x22);
    changed.Frame = FrameLeft | FrameBottom;
    changed.LineWidth = 0.75;
    changed.Picture = QStringLiteral("标志.png");
    changed.ShowIf = QStringLiteral("Rows.Amount<0");
    NormaliseItem(changed);
    ReportItem translucent = changed;
    translucent.Geometry.translate(0, 20);
    translucent.Colour = QColor(0, 0x80, 0, 0x60);
    title.Items = {changed, translucent};
    for (const auto plain : {ReportItem::Kind::Text, ReportItem::Kind::Line, ReportItem::Kind::Rect,
                             ReportItem::Kind::Picture}) {
        ReportItem item;
        item.Type = plain;
        item.Geometry = QRectF(100, 1, 20, 5);
        item.Text = QStringLiteral("固定");
        item.Picture = plain == ReportItem::Kind::Picture ? QStringLiteral("logo.png") : QString();
        NormaliseItem(item);
        title.Items.push_back(item);
    }
    ReportBand rows;
    rows.Type = ReportBand::Kind::MasterData;
    rows.Height = 6.5;
    rows.DataSet = QStringLiteral("Rows");
    rows.Items = {changed};
    rows.Items[0].Geometry.moveTop(0);
    report.Bands = {title, rows};

    QTemporaryDir here;
    const QString path = here.filePath(QStringLiteral("AllAttributes.frf"));
    ReportDesignModel model;
    model.SetTemplate(report, path);
    ReportError error;
    QVERIFY2(model.Save(path, &error), qPrintable(error.Text()));
    ReportDesignModel again;
    QVERIFY2(again.Load(path, &error), qPrintable(error.Text()));
    const ReportTemplate& loaded = again.Template();
    QCOMPARE(loaded.Title, report.Title);
    QCOMPARE(loaded.Page.Size, report.Page.Size);
    QCOMPARE(loaded.Page.Landscape, true);
    QCOMPARE(QList<double>({loaded.Page.MarginLeft, loaded.Page.MarginTop, loaded.Page.MarginRight,
                            loaded.Page.MarginBottom}),
             QList<double>({11.5, 12, 13, 14.25}));
    QCOMPARE(loaded.Bands.size(), report.Bands.size());
    for (size_t b = 0; b < report.Bands.size(); ++b) {
        const ReportBand& want = report.Bands[b];
        const ReportBand& got = loaded.Bands[b];
        QCOMPARE(BandKindName(got.Type), BandKindName(want.Type));
        QCOMPARE(got.Height, want.Height);
        QCOMPARE(got.DataSet, want.DataSet);
        QCOMPARE(got.Items.size(), want.Items.size());
        for (size_t i = 0; i < want.Items.size(); ++i) {
            QCOMPARE(Described(got.Items[i]), Described(want.Items[i]));
            if (want.Items[i].Type == ReportItem::Kind::Text)
                QCOMPARE(got.Items[i].Parts, want.Items[i].Parts);
        }
    }
    QCOMPARE(loaded.Bands[0].Items[0].Colour, QColor(0xcc, 0x11, 0x22));
    QCOMPARE(loaded.Bands[0].Items[1].Colour.alpha(), 0x60);
    // Saved once more, the file does not change.
    const QByteArray first = ReadFile(path);
    QVERIFY(again.Save(path, &error));
    QCOMPARE(ReadFile(path), first);
}

void TestReportDesigner::brokenTemplateIsRefusedAtSave_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("unknown data set") << QStringLiteral("[NoSuchSet.BillSum]");
    QTest::newRow("unknown field") << QStringLiteral("[ADOQuery1.NoSuchField]");
}

void TestReportDesigner::brokenTemplateIsRefusedAtSave() {
    QFETCH(QString, text);
    const QByteArray original = ReadFile(billFile);
    ReportDesignModel model;
    ReportError error;
    QVERIFY(model.Load(billFile, &error));
    model.SetCatalogue(BillCatalogue());
    const ReportDesignModel::ItemRef item = FirstText(model.Template());
    ReportItem changed = *model.Item(item);
    changed.Text = text;
    model.SetItem(item, changed, QStringLiteral("修改"));
    QVERIFY(model.Check().has_value());
    QVERIFY(!model.Save(billFile, &error));
    QVERIFY(!error.Message.isEmpty());
    QVERIFY(model.IsModified());
    QCOMPARE(ReadFile(billFile), original);
    QVERIFY(!QFile::exists(ReportDesignModel::BackupName(billFile)));
    // Through the window the refusal is told, and the file stays as it was.
    ReportDesigner designer;
    designer.CatalogueOf = [](const QString&) { return BillCatalogue(); };
    QVERIFY(designer.OpenTemplate(billFile));
    designer.Model->SetItem(item, changed, QStringLiteral("修改"));
    QVERIFY(!designer.ActionSaveExecute());
    QCOMPARE(prompts->Messages.size(), size_t(1));
    QCOMPARE(prompts->Messages[0].Kind, QStringLiteral("error"));
    QCOMPARE(ReadFile(billFile), original);
}

void TestReportDesigner::windowSelectsMovesAndEditsWithTheMouseAndPanel() {
    ReportDesigner designer;
    designer.CatalogueOf = [](const QString&) { return BillCatalogue(); };
    QVERIFY(designer.OpenTemplate(billFile));
    designer.show();
    QVERIFY(QTest::qWaitForWindowExposed(&designer));
    QCOMPARE(designer.FieldList->topLevelItemCount(), 3);
    ReportDesignModel* model = designer.Model;
    const ReportDesignModel::ItemRef item = FirstText(model->Template());
    const QRect at = designer.Canvas->ItemRect(item);
    designer.CanvasArea->ensureVisible(at.center().x(), at.center().y());
    QTest::mouseClick(designer.Canvas, Qt::LeftButton, {}, at.center());
    QCOMPARE(model->Selected(), item);
    QCOMPARE(designer.TextEdit->text(), model->Item(item)->Text);
    // Dragging by 30 pixels moves the item by 10 mm.
    const QRectF before = model->Item(item)->Geometry;
    QTest::mousePress(designer.Canvas, Qt::LeftButton, {}, at.center());
    QMouseEvent move(QEvent::MouseMove, at.center() + QPoint(30, 0),
                     designer.Canvas->mapToGlobal(at.center() + QPoint(30, 0)), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(designer.Canvas, &move);
    QTest::mouseRelease(designer.Canvas, Qt::LeftButton, {}, at.center() + QPoint(30, 0));
    QCOMPARE(model->Item(item)->Geometry.topLeft(),
             before.topLeft() + QPointF(30 / ReportDesignCanvas::Scale, 0));
    // The panel changes the selected item; undo takes it back.
    const bool bold = model->Item(item)->Bold;
    designer.BoldBox->setChecked(!bold);
    QCOMPARE(model->Item(item)->Bold, !bold);
    designer.TextEdit->setText(QStringLiteral("[ADOQuery1.BillSerial]"));
    emit designer.TextEdit->editingFinished();
    QCOMPARE(model->Item(item)->Text, QStringLiteral("[ADOQuery1.BillSerial]"));
    designer.ActionUndo->trigger();
    designer.ActionUndo->trigger();
    QCOMPARE(model->Item(item)->Bold, bold);
    QCOMPARE(designer.BoldBox->isChecked(), bold);
    designer.ActionRedo->trigger();
    QCOMPARE(model->Item(item)->Bold, !bold);
    // Closing with changes asks; No leaves the file as it was.
    prompts->QueueAnswer(false);
    designer.reject();
    QCOMPARE(prompts->Texts(), QStringList{QStringLiteral("模板已修改，是否保存？")});
    QCOMPARE(ReadFile(billFile), ReadFile(TemplateSource(QStringLiteral("Bill.frf"))));
}

void TestReportDesigner::failedBackupLeavesTheTemplateAsItWas() {
    const QByteArray original = ReadFile(billFile);
    // The previous version cannot be kept: a folder stands where it would go.
    QVERIFY(QDir().mkpath(ReportDesignModel::BackupName(billFile) + QStringLiteral("/inside")));
    ReportDesignModel model;
    ReportError error;
    QVERIFY(model.Load(billFile, &error));
    model.MoveItem(FirstText(model.Template()), QPointF(3, 3));
    QVERIFY(!model.Save(billFile, &error));
    QVERIFY(error.Message.contains(QStringLiteral(".bak")));
    QCOMPARE(ReadFile(billFile), original);
    QVERIFY(model.IsModified());
    // Nothing half written is left beside it.
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList{QStringLiteral("Bill.frf")});
    QDir(ReportDesignModel::BackupName(billFile)).removeRecursively();
}

void TestReportDesigner::shippedTemplatesFitTheirPrintPaths_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("masterSet");
    for (const auto& [name, set] :
         std::vector<std::pair<const char*, const char*>>{{"Bill.frf", "frDBDataSet1"},
                                                          {"Money.frf", "frDBDataSet1"},
                                                          {"BillReport.frf", "frDBDataSet3"},
                                                          {"BillReport2.frf", "frDBDataSet3"},
                                                          {"MoneyReport.frf", "frDBDataSet2"},
                                                          {"MoneyReport2.frf", "frDBDataSet2"},
                                                          {"CustomerMonth.frf", "frDBDataSet1"},
                                                          {"MoneyMonth.frf", "frDBDataSet1"}})
        QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(set);
}

void TestReportDesigner::shippedTemplatesFitTheirPrintPaths() {
    QFETCH(QString, name);
    QFETCH(QString, masterSet);
    const DesignCatalogue catalogue = PrintCatalogueFor(QStringLiteral("/some/where/Frf/") + name);
    QVERIFY(!catalogue.empty());
    QCOMPARE(catalogue.front().Name, masterSet);
    // Each shipped template saves unchanged: the designer's check accepts it.
    ReportDesignModel model;
    ReportError error;
    QVERIFY2(model.Load(TemplateSource(name), &error), qPrintable(error.Text()));
    model.SetCatalogue(catalogue);
    const std::optional<ReportError> problem = model.Check();
    QVERIFY2(!problem, problem ? qPrintable(problem->Text()) : "");
    // And a field the print path does not hand over is refused.
    ReportItem stray;
    stray.Text = QStringLiteral("[%1.NoSuchField]").arg(masterSet);
    stray.Geometry = QRectF(0, 0, 10, 5);
    model.AddItem(0, stray);
    QVERIFY(model.Check().has_value());
    QVERIFY(PrintCatalogueFor(QStringLiteral("Other.frf")).empty());
}

void TestReportDesigner::mainWindowOpensTheLastLoadedTemplate() {
    TestProgram program;
    QString opened;
    QStringList sets;
    auto capture = [&](QDialog* dialog) {
        auto* designer = qobject_cast<ReportDesigner*>(dialog);
        QVERIFY(designer);
        opened = designer->Model->FileName();
        sets.clear();
        for (int i = 0; i < designer->FieldList->topLevelItemCount(); ++i)
            sets << designer->FieldList->topLevelItem(i)->text(0);
    };
    // Only the administrator designs templates.
    CurrentRole = QStringLiteral("总经理");
    FormMain->ActionDesign->trigger();
    QCOMPARE(program.Prompts().Messages.size(), size_t(0));
    CurrentRole = QStringLiteral("管理员");
    // None loaded yet: the designer starts without a template.
    program.Prompts().QueueModal(capture);
    FormMain->ActionDesign->trigger();
    QCOMPARE(program.Prompts().UnexpectedModals, 0);
    QVERIFY(opened.isEmpty());
    QVERIFY(sets.isEmpty());
    // After a monthly report the designer opens its template.
    program.Exec("Insert Into Account (AccountName, AccountBase, AccountMan) Values ('现金', 1, '财务主管')");
    program.Prompts().QueueModal([](QDialog*) {});
    FormMain->ActionAccountReport->trigger();
    program.Prompts().QueueModal(capture);
    FormMain->ActionDesign->trigger();
    QCOMPARE(opened, program.Folder() + QStringLiteral("Frf/MoneyMonth.frf"));
    QCOMPARE(sets, QStringList{QStringLiteral("frDBDataSet1")});
    QCOMPARE(program.Prompts().Texts(), QStringList());
}

void TestReportDesigner::openDropAndPreviewWithSampleData() {
    ReportDesigner designer;
    designer.TemplateFolder = folder.path();
    designer.CatalogueOf = [](const QString&) { return BillCatalogue(); };
    designer.resize(1200, 820);
    designer.show();
    QVERIFY(QTest::qWaitForWindowExposed(&designer));
    QVERIFY(!designer.ActionSave->isEnabled());
    prompts->QueueFileName(billFile);
    designer.ActionOpen->trigger();
    QCOMPARE(designer.Model->FileName(), billFile);
    QCOMPARE(prompts->LastFileDialog.Folder, folder.path());
    QVERIFY(designer.ActionSave->isEnabled());
    // A field dragged from the list and dropped into the first band becomes a text item there.
    QTreeWidgetItem* set =
        designer.FieldList->findItems(QStringLiteral("ADOQuery1"), Qt::MatchExactly).value(0);
    QVERIFY(set);
    QTreeWidgetItem* field = nullptr;
    for (int i = 0; i < set->childCount(); ++i)
        if (set->child(i)->text(0) == QLatin1String("BillUser"))
            field = set->child(i);
    QVERIFY(field);
    const QPoint at = designer.Canvas->ItemRect(FirstText(designer.Model->Template())).topLeft();
    const int band = designer.Canvas->BandAt(at);
    QVERIFY(band >= 0);
    const size_t items = designer.Model->Template().Bands[static_cast<size_t>(band)].Items.size();
    {
        std::unique_ptr<QMimeData> data(static_cast<QAbstractItemView*>(designer.FieldList)
                                            ->model()
                                            ->mimeData({designer.FieldList->indexFromItem(field)}));
        QVERIFY(data);
        QVERIFY(!designer.Canvas->DropField(QPoint(-50, -50), *data)); // outside every band
        QVERIFY(designer.Canvas->DropField(at, *data));
    }
    const auto& bandItems = designer.Model->Template().Bands[static_cast<size_t>(band)].Items;
    QCOMPARE(bandItems.size(), items + 1);
    QCOMPARE(bandItems.back().Text, QStringLiteral("[ADOQuery1.BillUser]"));
    QCOMPARE(designer.Model->Selected().Item, static_cast<int>(items));
    SaveScreenshot(&designer, QStringLiteral("designer.png"));
    // The preview lays the template out over made-up rows of every data set.
    QStringList texts;
    prompts->QueueModal([&](QDialog* dialog) {
        auto* preview = qobject_cast<ReportPreview*>(dialog);
        QVERIFY(preview);
        SaveScreenshot(preview, QStringLiteral("designer-preview.png"));
        for (const auto& text : PageRenderer::Texts(*preview->Prepared(), 0))
            texts << text.Text;
    });
    designer.ActionPreview->trigger();
    QCOMPARE(prompts->UnexpectedModals, 0);
    QVERIFY2(texts.contains(QStringLiteral("BillUser 1")), qPrintable(texts.join(QLatin1Char('|'))));
    QVERIFY(texts.contains(QStringLiteral("MoneySerial 3")));
    // The open file stays as it was until saved.
    QCOMPARE(ReadFile(billFile), ReadFile(TemplateSource(QStringLiteral("Bill.frf"))));
}

void TestReportDesigner::shownFieldNames_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QStringList>("fields");
    QTest::newRow("a field") << "[ADOQuery1.BillSerial]"
                             << "[单据编号]" << QStringList{"ADOQuery1.BillSerial"};
    QTest::newRow("text around fields")
        << "客户：[ADOQuery1.BillUser] 金额：[ADOQuery1.BillSum]元"
        << "客户：[客户名称] 金额：[单据金额]元" << QStringList{"ADOQuery1.BillUser", "ADOQuery1.BillSum"};
    QTest::newRow("a sum") << "[SUM(frDBDataSet1.MoneyIn)]"
                           << "[合计(收入)]" << QStringList{"frDBDataSet1.MoneyIn"};
    QTest::newRow("page numbers") << "第 [Page] 页 共 [TotalPages] 页"
                                  << "第 [页码] 页 共 [总页数] 页" << QStringList{};
    QTest::newRow("an unknown field stays") << "[Items.Nothing]"
                                            << "[Items.Nothing]" << QStringList{"Items.Nothing"};
    QTest::newRow("no brackets, no change") << "BillSerial 1.5"
                                            << "BillSerial 1.5" << QStringList{};
    QTest::newRow("a field twice") << "[ADOQuery1.BillSum]/[ADOQuery1.BillSum]"
                                   << "[单据金额]/[单据金额]" << QStringList{"ADOQuery1.BillSum"};
}

void TestReportDesigner::shownFieldNames() {
    QFETCH(QString, text);
    QFETCH(QString, shown);
    QFETCH(QStringList, fields);
    const QHash<QString, QString> captions = PrintFieldCaptionsFor(QStringLiteral("Bill.frf"));
    QCOMPARE(ReportFieldNames::Shown(text, captions), shown);
    QCOMPARE(ReportFieldNames::FieldsIn(text), fields);
}

void TestReportDesigner::fieldsShowByTheirChineseNames() {
    const QByteArray before = ReadFile(billFile);
    ReportDesigner designer;
    designer.CatalogueOf = PrintCatalogueFor;
    designer.CaptionsOf = PrintFieldCaptionsFor;
    designer.resize(1200, 820);
    designer.show();
    QVERIFY(QTest::qWaitForWindowExposed(&designer));
    QVERIFY(designer.OpenTemplate(billFile));
    // The list shows Chinese names; the data set and field in the tooltip; a drag carries the field.
    QTreeWidgetItem* set =
        designer.FieldList->findItems(QStringLiteral("ADOQuery1"), Qt::MatchExactly).value(0);
    QVERIFY(set);
    QTreeWidgetItem* serial = nullptr;
    for (int i = 0; i < set->childCount(); ++i)
        if (set->child(i)->text(0) == QStringLiteral("单据编号"))
            serial = set->child(i);
    QVERIFY(serial);
    QCOMPARE(serial->toolTip(0), QStringLiteral("ADOQuery1.BillSerial"));
    std::unique_ptr<QMimeData> data(static_cast<QAbstractItemView*>(designer.FieldList)
                                        ->model()
                                        ->mimeData({designer.FieldList->indexFromItem(serial)}));
    QVERIFY(data);
    QCOMPARE(QString::fromUtf8(data->data(FieldMimeType)), QStringLiteral("ADOQuery1.BillSerial"));
    // The page shows the item by its Chinese name; the template keeps its text.
    const auto item = FirstText(designer.Model->Template());
    QVERIFY(item.Valid());
    const QString stored = designer.Model->Item(item)->Text;
    QVERIFY(stored.contains(QStringLiteral("[ADOQuery1.BillSerial]")));
    const QString shown = ReportFieldNames::Shown(stored, designer.Model->FieldCaptions());
    QCOMPARE(shown,
             QString(stored).replace(QStringLiteral("[ADOQuery1.BillSerial]"), QStringLiteral("[单据编号]")));
    SaveScreenshot(&designer, QStringLiteral("designer-chinese-fields.png"));
    QVERIFY(designer.ActionSaveExecute());
    const QString saved = QString::fromUtf8(ReadFile(billFile));
    QVERIFY(saved.contains(QStringLiteral("[ADOQuery1.BillSerial]")));
    QVERIFY(saved.contains(QStringLiteral("[ADOQuery1.BillUser]")));
    QVERIFY(!saved.contains(QStringLiteral("[单据编号]")) && !saved.contains(QStringLiteral("[客户名称]")));
    QVERIFY(before.contains("[ADOQuery1.BillSerial]"));
}

QTEST_MAIN(TestReportDesigner)
#include "tst_reportdesigner.moc"
