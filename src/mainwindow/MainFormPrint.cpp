// The main window's prints: the document and voucher result lists in the stored print direction,
// storing that direction, and the report designer.
#include "MainForm.h"
#include "RoleViews.h"
#include "foundation/BooksPlace.h"
#include "foundation/IniFile.h"
#include "foundation/ShareDM.h"
#include "kit/ErrorHandler.h"
#include "kit/Prompts.h"
#include "kit/report/ReportDesigner.h"
#include "kit/report/ReportPreview.h"
#include "reports/GridExport.h"
#include "reports/PrintCatalogue.h"
#include "reports/Printing.h"
#include "reports/ProgressForm.h"

#include <QAction>
#include <QComboBox>
#include <QFileInfo>
#include <QPushButton>
#include <optional>

void TFormMain::BuildPrinting() {
    connect(ActionPrintBillReport, &QAction::triggered, this,
            Guarded(this, &TFormMain::ActionPrintBillReportExecute));
    connect(ActionPrintMoneyReport, &QAction::triggered, this,
            Guarded(this, &TFormMain::ActionPrintMoneyReportExecute));
    connect(Button15, &QPushButton::clicked, this, Guarded(this, &TFormMain::Button15Click));
    connect(ActionDesign, &QAction::triggered, this, Guarded(this, &TFormMain::ActionDesignExecute));
}

namespace {

// A long list is laid out under the progress window, which can stop it; a short one at once.
bool PreviewList(Report& report, const QString& templateFile, int rows, QWidget* owner) {
    constexpr int ProgressRows = 20000;
    if (rows < ProgressRows || FormProgress == nullptr) {
        report.Progress = nullptr;
        return PreviewReport(report, templateFile, false, owner);
    }
    std::optional<ProgressRun> run(std::in_place, FormProgress, owner);
    FormProgress->SetText(QStringLiteral("正在准备 %1 行的打印预览，请稍候……").arg(rows));
    report.Progress = [&](qint64 done, qint64 total) {
        if (!run)
            return true;
        const bool goOn = !FormProgress->Advance(done, total);
        // The progress window goes with the last stretch of the layout, before the preview shows.
        if (goOn && done + 4096 >= total)
            run.reset();
        return goOn;
    };
    const bool shown = PreviewReport(report, templateFile, false, owner);
    report.Progress = nullptr;
    return shown;
}

} // namespace

void TFormMain::ActionPrintBillReportExecute() {
    if (!BReportADOQuery.Active()) {
        Prompts::Get().Information(QueryFirstText(QStringLiteral("打印列表")));
        return;
    }
    frReport3.Data.Clear();
    frReport3.Data.Add(QStringLiteral("frDBDataSet3"), &frDBDataSet3);
    PreviewList(frReport3, TemplatePath(ListTemplate(true, ReadPrintType(IniFileName))),
                BReportADOQuery.RecordCount(), this);
}

void TFormMain::ActionPrintMoneyReportExecute() {
    if (!MReportADOQuery.Active()) {
        Prompts::Get().Information(QueryFirstText(QStringLiteral("打印列表")));
        return;
    }
    frReport2.Data.Clear();
    frReport2.Data.Add(QStringLiteral("frDBDataSet2"), &frDBDataSet2);
    PreviewList(frReport2, TemplatePath(ListTemplate(false, ReadPrintType(IniFileName))),
                MReportADOQuery.RecordCount(), this);
}

void TFormMain::Button15Click() {
    if (!IsAdministratorSignedIn())
        return;
    const QString direction = ComboBox5->currentText();
    if (!WriteIniString(QStringLiteral("Kestrel"), QStringLiteral("PrintType"), direction, IniFileName)) {
        Prompts::Get().Error(QStringLiteral("打印方式无法保存到配置文件 %1").arg(IniFileName));
        return;
    }
    Prompts::Get().Information(QStringLiteral("打印方式设置为：") + direction);
}

void TFormMain::ActionDesignExecute() {
    if (!IsAdministratorSignedIn())
        return;
    ReportDesigner designer(this);
    // An installed program's templates are read-only: the user's changes go to the books' folder
    // and are printed from there on.
    const QString ownTemplates = BooksFolder + QStringLiteral("Frf");
    designer.TemplateFolder =
        QFileInfo(ownTemplates).isDir() ? ownTemplates : ProgramFolder + QStringLiteral("Frf");
    designer.SavePathOf = [](const QString& fileName) {
        return BooksPlace::TemplateSavePath(ProgramFolder, BooksFolder, fileName);
    };
    designer.CatalogueOf = PrintCatalogueFor;
    designer.CaptionsOf = PrintFieldCaptionsFor;
    if (frReport1.HasTemplate())
        designer.OpenTemplate(frReport1.FileName());
    Prompts::Get().ShowModal(&designer);
    // The report object holds the template as the designer left it on disk.
    if (!designer.Model->FileName().isEmpty() && !designer.Model->IsModified())
        frReport1.LoadFromFile(designer.Model->FileName());
}
