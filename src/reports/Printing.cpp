#include "Printing.h"

#include "foundation/BooksPlace.h"
#include "foundation/IniFile.h"
#include "foundation/PublicFunction.h"
#include "foundation/ShareDM.h"

QString CapitalsOfAmount(double amount) {
    return AmountToCapitals(AmountToFenDigits(amount));
}

QString BillPrintSql(qint64 billIndex) {
    return QStringLiteral("Select BillIndex,BillCreateTime,BillSerial,BillKind,BillUser,BillSum,"
                          "IIF(Round(Sum(MoneySum),2) Is Null,0,Round(Sum(MoneySum),2)) As BillGet,"
                          "BillSum-IIF(Round(Sum(MoneySum),2) Is Null,0,Round(Sum(MoneySum),2)) As BillOwe,"
                          "BillMan,BillReason,BillState,BillRemark From (Bill Left Join MoneyTable On "
                          "Bill.BillIndex = MoneyTable.MoneyBill) Where (BillIndex = %1) Group By "
                          "BillIndex,BillCreateTime,"
                          "BillSerial,BillKind,BillUser,BillSum,BillMan,BillReason,BillState,BillRemark")
        .arg(billIndex);
}

QString MoneyPrintSql(qint64 moneyIndex) {
    return QStringLiteral("Select ABS(MoneySum) As MSum,* From MoneyTable Where MoneyIndex = %1")
        .arg(moneyIndex);
}

QString ReadPrintType(const QString& iniFileName) {
    return ReadIniString(QStringLiteral("Kestrel"), QStringLiteral("PrintType"), QStringLiteral("纵向打印"),
                         iniFileName);
}

QString ListTemplate(bool documents, const QString& printType) {
    const bool portrait = printType == QStringLiteral("纵向打印");
    if (documents)
        return portrait ? QStringLiteral("Frf/BillReport.frf") : QStringLiteral("Frf/BillReport2.frf");
    return portrait ? QStringLiteral("Frf/MoneyReport.frf") : QStringLiteral("Frf/MoneyReport2.frf");
}

QString TemplatePath(const QString& relative) {
    return BooksPlace::TemplateFile(ProgramFolder, BooksFolder, relative);
}
