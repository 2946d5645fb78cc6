// The document editor's print: the stored document with the amount in capitals and its vouchers.
#include "BuySellForm.h"
#include "foundation/KestrelError.h"
#include "foundation/ShareDM.h"
#include "kit/Prompts.h"
#include "kit/report/ReportPreview.h"
#include "reports/Printing.h"
#include "reports/ReportPool.h"

void TFormBuySell::ActionPrintExecute() {
    const QString failed = QStringLiteral("数据库打开失败");
    ADOQuery1.SetConnection(&ShareDataModule->ADOConnection1);
    if (!OpenSql(ADOQuery1, BillPrintSql(OpenBillIndex), failed))
        return;
    if (ADOQuery1.RecordCount() == 0) {
        Prompts::Get().Information(QStringLiteral("找不到要打印的单据"));
        return;
    }
    ADOQuery1.First();
    // A purchase prints its amount without sign.
    const QString capitals = CapitalsOfAmount(ADOQuery1.FieldByName(QStringLiteral("BillSum")).AsFloat());
    try {
        FillBigFont(ShareDataModule->ADOConnection1, capitals, ADOQueryBigFont);
    } catch (const KestrelError&) {
        // As any failed read of the print: the message, then the print without the capitals.
        ADOQueryBigFont.Close();
        Prompts::Get().Information(failed);
    }
    frReport1.Data.Clear();
    frReport1.Data.Add(QStringLiteral("frDBDataSet1"), &frDBDataSet1);
    frReport1.Data.Add(QStringLiteral("ADOQuery1"), &DocumentDataSet);
    frReport1.Data.Add(QStringLiteral("ADOQueryBigFont"), &BigFontDataSet);
    PreviewReport(frReport1, TemplatePath(BillTemplate), false, this);
}
