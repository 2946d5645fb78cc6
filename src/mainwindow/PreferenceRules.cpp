#include "PreferenceRules.h"

#include "foundation/IniFile.h"
#include "foundation/JetSql.h"

namespace {
QString DirectionWord(const QString& directionText) {
    if (directionText == QStringLiteral("按升序排"))
        return QStringLiteral(" Asc");
    if (directionText == QStringLiteral("按降序排"))
        return QStringLiteral(" Desc");
    return QString();
}
} // namespace

const QList<PreferenceBox>& PreferenceBoxes() {
    static const QStringList direction = {QStringLiteral("按升序排"), QStringLiteral("按降序排")};
    static const QStringList range = {QStringLiteral("当天单据"), QStringLiteral("当月单据")};
    static const QStringList cardOrder = {QStringLiteral("按记录号"), QStringLiteral("按单据号"),
                                          QStringLiteral("按客户名"), QStringLiteral("按日期时间")};
    static const QList<PreferenceBox> boxes = {
        {"ComboBox6",
         0,
         {QStringLiteral("按编号排"), QStringLiteral("按名称排")},
         QStringLiteral("客户排序方式"),
         QStringLiteral("0")},
        {"ComboBox7", 0, direction, QStringLiteral("客户排序方向"), QStringLiteral("1")},
        {"ComboBox3", 1, range, QStringLiteral("业务单据日期范围"), QStringLiteral("0")},
        {"ComboBox8", 1, cardOrder, QStringLiteral("业务单据排序方式"), QStringLiteral("0")},
        {"ComboBox10", 1, direction, QStringLiteral("业务单据排序方向"), QStringLiteral("1")},
        {"ComboBox4", 4, range, QStringLiteral("财务单据日期范围"), QStringLiteral("0")},
        {"ComboBox11", 4, cardOrder, QStringLiteral("财务单据排序方式"), QStringLiteral("0")},
        {"ComboBox12", 4, direction, QStringLiteral("财务单据排序方向"), QStringLiteral("1")},
    };
    return boxes;
}

int StoredPreferenceIndex(const QString& stored, int itemCount) {
    bool ok = false;
    const int index = stored.toInt(&ok, 10);
    return ok && index >= 0 && index < itemCount ? index : 0;
}

QString CustomerOrderText(const QString& fieldText, const QString& directionText) {
    QString order;
    if (fieldText == QStringLiteral("按编号排"))
        order = QStringLiteral(" Order By CustomerIndex");
    else if (fieldText == QStringLiteral("按名称排"))
        order = QStringLiteral(" Order By CustomerName");
    else
        return QString();
    return order + DirectionWord(directionText);
}

QString CardDateClause(const QString& prefix, const QString& rangeText, const QDate& workingDate) {
    const QString field = prefix + QStringLiteral("CreateTime");
    if (rangeText == QStringLiteral("当天单据"))
        return QStringLiteral(" And (") + field + QStringLiteral(" = ") + SqlDate(workingDate) +
               QLatin1Char(')');
    if (rangeText == QStringLiteral("当月单据")) {
        const QDate first(workingDate.year(), workingDate.month(), 1);
        const QDate last = first.addMonths(1).addDays(-1);
        return QStringLiteral(" And (") + field + QStringLiteral(" Between ") + SqlDate(first) +
               QStringLiteral(" And ") + SqlDate(last) + QLatin1Char(')');
    }
    return QString();
}

QString CardOrderClause(const QString& prefix, const QString& fieldText, const QString& directionText) {
    QString order;
    if (fieldText == QStringLiteral("按记录号"))
        order = prefix + QStringLiteral("Index");
    else if (fieldText == QStringLiteral("按单据号"))
        order = prefix + QStringLiteral("Serial");
    else if (fieldText == QStringLiteral("按客户名"))
        order = prefix + QStringLiteral("User,") + prefix + QStringLiteral("CreateTime");
    else if (fieldText == QStringLiteral("按日期时间"))
        order = prefix + QStringLiteral("CreateTime,") + prefix + QStringLiteral("Index");
    else
        return QString();
    return QStringLiteral(" Order By ") + order + DirectionWord(directionText);
}

bool ReadThousandsPreference(const QString& iniFileName) {
    return ReadIniString(QStringLiteral("Kestrel"), QStringLiteral("金额千位分隔"), QStringLiteral("0"),
                         iniFileName) == QStringLiteral("1");
}

bool WriteThousandsPreference(const QString& iniFileName, bool on) {
    return WriteIniString(QStringLiteral("Kestrel"), QStringLiteral("金额千位分隔"),
                          on ? QStringLiteral("1") : QStringLiteral("0"), iniFileName);
}
