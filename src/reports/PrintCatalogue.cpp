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

QHash<QString, QString> PrintFieldCaptionsFor(const QString& templateFile) {
    QHash<QString, QString> captions = {
        {QStringLiteral("BillIndex"), QStringLiteral("单据序号")},
        {QStringLiteral("BillCreateTime"), QStringLiteral("创建时间")},
        {QStringLiteral("BillSerial"), QStringLiteral("单据编号")},
        {QStringLiteral("BillKind"), QStringLiteral("单据类型")},
        {QStringLiteral("BillUser"), QStringLiteral("客户名称")},
        {QStringLiteral("BillSum"), QStringLiteral("单据金额")},
        {QStringLiteral("BillGet"), QStringLiteral("已收金额")},
        {QStringLiteral("BillOwe"), QStringLiteral("未收金额")},
        {QStringLiteral("BillMan"), QStringLiteral("业务员")},
        {QStringLiteral("BillReason"), QStringLiteral("业务种类")},
        {QStringLiteral("BillState"), QStringLiteral("业务进度")},
        {QStringLiteral("BillRemark"), QStringLiteral("备注信息")},
        {QStringLiteral("MoneyIndex"), QStringLiteral("单据序号")},
        {QStringLiteral("MoneyAccount"), QStringLiteral("帐户序号")},
        {QStringLiteral("MoneyBill"), QStringLiteral("业务单据序号")},
        {QStringLiteral("MoneySerial"), QStringLiteral("单据编号")},
        {QStringLiteral("MoneyCreateTime"), QStringLiteral("创建时间")},
        {QStringLiteral("MoneyRecordTime"), QStringLiteral("录入时间")},
        {QStringLiteral("MoneyUser"), QStringLiteral("客户名称")},
        {QStringLiteral("MoneyReason"), QStringLiteral("收支种类")},
        {QStringLiteral("MoneyType"), QStringLiteral("款项类别")},
        {QStringLiteral("MoneyToken"), QStringLiteral("款项凭证")},
        {QStringLiteral("MoneyRemark"), QStringLiteral("备注信息")},
        {QStringLiteral("MoneyMan"), QStringLiteral("业务员")},
        {QStringLiteral("MoneyIn"), QStringLiteral("收入")},
        {QStringLiteral("MoneyOut"), QStringLiteral("支出")},
        {QStringLiteral("MoneySum"), QStringLiteral("合计")},
        {QStringLiteral("MSum"), QStringLiteral("金额")},
        {QStringLiteral("AccountIndex"), QStringLiteral("帐户序号")},
        {QStringLiteral("AccountName"), QStringLiteral("帐户名称")},
        {QStringLiteral("AccountBase"), QStringLiteral("初始金额")},
        {QStringLiteral("AccountMan"), QStringLiteral("帐户负责人")},
        {QStringLiteral("BigFontIndex"), QStringLiteral("序号")},
        {QStringLiteral("BigFontValue"), QStringLiteral("大写金额")},
        {QStringLiteral("ReportIndex"), QStringLiteral("行序号")},
        {QStringLiteral("ReportEnable"), QStringLiteral("本次报表")},
    };
    const QString name = QFileInfo(templateFile).fileName().toLower();
    QStringList columns;
    if (name == QLatin1String("customermonth.frf"))
        columns = {QStringLiteral("客户名称"), QStringLiteral("本月采购"), QStringLiteral("本月销售"),
                   QStringLiteral("本月收付"), QStringLiteral("月初欠款"), QStringLiteral("月末欠款")};
    else if (name == QLatin1String("moneymonth.frf"))
        columns = {QStringLiteral("帐户名称"), QStringLiteral("月初余额"), QStringLiteral("本月收入"),
                   QStringLiteral("本月支出"), QStringLiteral("本月净额"), QStringLiteral("月末余额")};
    for (int i = 1; i <= 9; ++i)
        captions.insert(QStringLiteral("ReportGrid%1").arg(i),
                        i <= columns.size() ? columns[i - 1] : QStringLiteral("报表第%1列").arg(i));
    return captions;
}
