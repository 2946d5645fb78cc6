#include "MainForm.h"
#include "foundation/ShareDM.h"
#include "kit/ErrorHandler.h"
#include "kit/Prompts.h"
#include "reports/AnalysisForm.h"

#include <QAction>

// The business analysis and the spreadsheet export of the two result grids (pages 2 and 5).

void TFormMain::ConnectAnalysisAndExport() {
    connect(ActionAnalysis, &QAction::triggered, this, Guarded(this, &TFormMain::ActionAnalysisExecute));
    connect(ActionBExecel, &QAction::triggered, this, Guarded(this, &TFormMain::ActionBExecelExecute));
    connect(ActionMExcel, &QAction::triggered, this, Guarded(this, &TFormMain::ActionMExcelExecute));
}

void TFormMain::ActionAnalysisExecute() {
    if (CurrentRole == QStringLiteral("业务员")) {
        Prompts::Get().Information(
            QStringLiteral("请以财务主管，财务总监，或总经理身份登录软件，查看经营报表"));
        return;
    }
    if (!BReportADOQuery.Active()) {
        Prompts::Get().Information(QStringLiteral("请先“查找单据”，生成数据报表，再进行图形分析"));
        return;
    }
    Prompts::Get().ShowModal(FormAnalysis);
}

void TFormMain::ActionBExecelExecute() {
    ShareDataModule->ExportGridToExcel(DBGridEh2);
}

void TFormMain::ActionMExcelExecute() {
    ShareDataModule->ExportGridToExcel(DBGridEh1);
}
