#include "PickListRules.h"

#include "foundation/JetSql.h"

#include <array>

const PickListTexts& PickListMessages(int type) {
    static const std::array<PickListTexts, 4> texts = {{
        {QStringLiteral("读入帐款收支种类失败"), QStringLiteral("请输入种类的名称"),
         QStringLiteral("请输入种类的名称"), QStringLiteral("种类名不能为空"),
         QStringLiteral("存在同名的种类，请改名"), QStringLiteral("请先选中要修改的种类"),
         QStringLiteral("请先选中要删除的种类")},
        {QStringLiteral("读入帐款类别失败"), QStringLiteral("请输入新类别的名称"),
         QStringLiteral("请输入类别的名称"), QStringLiteral("类别名不能为空"),
         QStringLiteral("存在同名的类别，请改名"), QStringLiteral("请先选中要修改的类别"),
         QStringLiteral("请先选中要删除的类别")},
        {QStringLiteral("读入帐款类别失败"), QStringLiteral("请输入新凭证的名称"),
         QStringLiteral("请输入凭证的名称"), QStringLiteral("凭证名不能为空"),
         QStringLiteral("存在同名的凭证，请改名"), QStringLiteral("请先选中要修改的凭证"),
         QStringLiteral("请先选中要删除的凭证")},
        {QStringLiteral("读入业务进度失败"), QStringLiteral("请输入新进度的名称"),
         QStringLiteral("请输入进度的名称"), QStringLiteral("进度名不能为空"),
         QStringLiteral("存在同名的进度，请改名"), QStringLiteral("请先选中要修改的进度"),
         QStringLiteral("请先选中要删除的进度")},
    }};
    Q_ASSERT(type >= 1 && type <= 4);
    return texts[static_cast<size_t>(type - 1)];
}

QString PickListLoadSql(int type) {
    return QStringLiteral("Select * From Parameter Where ParameterType =  ") + SqlNumber(type) +
           QStringLiteral(" Order By ParameterIndex");
}

QString PickListValueSql(int type, const QString& value) {
    return QStringLiteral("Select * From Parameter Where (ParameterType =  ") + SqlNumber(type) +
           QStringLiteral(") And (ParameterValue = ") + SqlText(value) +
           QStringLiteral(") Order By ParameterIndex");
}

QString PickListEntryError(int type, const QString& value) {
    return value.isEmpty() ? PickListMessages(type).Empty : QString();
}
