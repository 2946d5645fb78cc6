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

#include <QAction>
#include <QComboBox>
#include <QFileInfo>
#include <QPushButton>

void TFormMain::BuildPrinting() {
    connect(ActionPrintBillReport, &QAction::triggered, this,
            Guarded(this, &TFormMain::ActionPrintBillReportExecute));
    connect(ActionPrintMoneyReport, &QAction::triggered, this,
            Guarded(this, &TFormMain::ActionPrintMoneyReportExecute));
    connect(Button15, &QPushButton::clicked, this, Guarded(this, &TFormMain::Button15Click));
    connect(ActionDesign, &QAction::triggered, this, Guarded(this, &TFormMain::ActionDesignExecute));
}

void TFormMain::ActionPrintBillReportExecute() {
    if (!BReportADOQuery.Active()) {
        Prompts::Get().Information(QueryFirstText(QStringLiteral("打印列表")));
        return;
    }
    frReport3.Data.Clear();
    frReport3.Data.Add(QStringLiteral("frDBDataSet3"), &frDBDataSet3);
    PreviewReport(frReport3, TemplatePath(ListTemplate(true, ReadPrintType(IniFileName))), false, this);
}

void TFormMain::ActionPrintMoneyReportExecute() {
    if (!MReportADOQuery.Active()) {
        Prompts::Get().Information(QueryFirstText(QStringLiteral("打印列表")));
        return;
    }
    frReport2.Data.Clear();
    frReport2.Data.Add(QStringLiteral("frDBDataSet2"), &frDBDataSet2);
    PreviewReport(frReport2, TemplatePath(ListTemplate(false, ReadPrintType(IniFileName))), false, this);
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
    if (frReport1.HasTemplate())
        designer.OpenTemplate(frReport1.FileName());
    Prompts::Get().ShowModal(&designer);
    // The report object holds the template as the designer left it on disk.
    if (!designer.Model->FileName().isEmpty() && !designer.Model->IsModified())
        frReport1.LoadFromFile(designer.Model->FileName());
}
