#include "PrintCatalogue.h"

#include <QFileInfo>

namespace {

QStringList BillRowFields() {
    return {QStringLiteral("BillIndex"),  QStringLiteral("BillCreateTime"), QStringLiteral("BillSerial"),
            QStringLiteral("BillKind"),   QStringLiteral("BillUser"),       QStringLiteral("BillSum"),
            QStringLiteral("BillGet"),    QStringLiteral("BillOwe"),        QStringLiteral("BillMan"),
            QStringLiteral("BillReason"), QStringLiteral("BillState"),      QStringLiteral("BillRemark")};
}

QStringList MoneyTableFields() {
    return {
        QStringLiteral("MoneyIndex"),  QStringLiteral("MoneyAccount"),    QStringLiteral("MoneyBill"),
        QStringLiteral("MoneySerial"), QStringLiteral("MoneyCreateTime"), QStringLiteral("MoneyRecordTime"),
        QStringLiteral("MoneyUser"),   QStringLiteral("MoneyReason"),     QStringLiteral("MoneyType"),
        QStringLiteral("MoneyToken"),  QStringLiteral("MoneyRemark"),     QStringLiteral("MoneyMan"),
        QStringLiteral("MoneyIn"),     QStringLiteral("MoneyOut"),        QStringLiteral("MoneySum")};
}

QStringList PrintReportFields() {
    QStringList fields = {QStringLiteral("ReportIndex"), QStringLiteral("ReportEnable")};
    for (int i = 1; i <= 9; ++i)
        fields << QStringLiteral("ReportGrid%1").arg(i);
    return fields;
}

} // namespace

DesignCatalogue PrintCatalogueFor(const QString& templateFile) {
    const QString name = QFileInfo(templateFile).fileName().toLower();
    if (name == QLatin1String("bill.frf"))
        return {{QStringLiteral("frDBDataSet1"),
                 {QStringLiteral("MoneyIndex"), QStringLiteral("MoneyCreateTime"),
                  QStringLiteral("MoneySerial"), QStringLiteral("AccountName"), QStringLiteral("MoneyIn"),
                  QStringLiteral("MoneyOut"), QStringLiteral("MoneySum")}},
                {QStringLiteral("ADOQuery1"), BillRowFields()},
                {QStringLiteral("ADOQueryBigFont"),
                 {QStringLiteral("BigFontIndex"), QStringLiteral("BigFontValue")}}};
    if (name == QLatin1String("money.frf"))
        return {{QStringLiteral("frDBDataSet1"), QStringList{QStringLiteral("MSum")} + MoneyTableFields()},
                {QStringLiteral("Account"),
                 {QStringLiteral("AccountIndex"), QStringLiteral("AccountName"),
                  QStringLiteral("AccountBase"), QStringLiteral("AccountMan")}}};
    if (name == QLatin1String("billreport.frf") || name == QLatin1String("billreport2.frf"))
        return {{QStringLiteral("frDBDataSet3"), BillRowFields()}};
    if (name == QLatin1String("moneyreport.frf") || name == QLatin1String("moneyreport2.frf"))
        return {{QStringLiteral("frDBDataSet2"),
                 {QStringLiteral("MoneyIndex"), QStringLiteral("MoneyCreateTime"),
                  QStringLiteral("MoneySerial"), QStringLiteral("AccountName"), QStringLiteral("MoneyUser"),
                  QStringLiteral("MoneyIn"), QStringLiteral("MoneyOut"), QStringLiteral("MoneySum"),
                  QStringLiteral("MoneyMan"), QStringLiteral("MoneyReason"), QStringLiteral("MoneyType"),
                  QStringLiteral("MoneyToken"), QStringLiteral("MoneyRemark")}}};
    if (name == QLatin1String("customermonth.frf") || name == QLatin1String("moneymonth.frf"))
        return {{QStringLiteral("frDBDataSet1"), PrintReportFields()}};
    return {};
}
