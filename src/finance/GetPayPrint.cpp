// The voucher editor's print: the stored voucher, its account and the amount in capitals.
#include "GetPayForm.h"
#include "foundation/PublicFunction.h"
#include "foundation/ShareDM.h"
#include "kit/Prompts.h"
#include "kit/report/ReportPreview.h"
#include "reports/Printing.h"

void TFormGetPay::ActionPrintExecute() {
    const QString failed = QStringLiteral("数据库打开失败");
    Query& voucher = ShareDataModule->ADOQueryTemp;
    // A failed or empty read must not print whatever the shared query held before.
    if (!OpenSql(voucher, MoneyPrintSql(OpenMoneyIndex), failed))
        return;
    if (voucher.RecordCount() == 0) {
        Prompts::Get().Information(QStringLiteral("找不到要打印的单据"));
        return;
    }
    voucher.First();
    AccountQuery.SetConnection(&ShareDataModule->ADOConnection1);
    // The capitals of the stored amount, so that they agree with the rest of what is printed even
    // while the amount box holds an unsaved change.
    MoneyCapitals = CapitalsOfAmount(voucher.FieldByName(QStringLiteral("MSum")).AsFloat());
    OpenSql(AccountQuery,
            QStringLiteral("Select * From Account Where AccountIndex = %1")
                .arg(voucher.FieldByName(QStringLiteral("MoneyAccount")).AsInteger()),
            failed);
    QueryDataSet voucherSet(&voucher);
    frReport1.Data.Clear();
    frReport1.Data.Add(QStringLiteral("frDBDataSet1"), &voucherSet);
    frReport1.Data.Add(QStringLiteral("Account"), &AccountDataSet);
    frReport1.Variables = [this](const QString& name) { return frReport1GetValue(name); };
    PreviewReport(frReport1, TemplatePath(MoneyTemplate), true, this);
    frReport1.Data.Clear();
}

QVariant TFormGetPay::frReport1GetValue(const QString& name) const {
    if (name == QLatin1String("MoneyCN"))
        return MoneyCapitals;
    return QVariant();
}
