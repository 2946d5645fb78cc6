#include "EmptyPages.h"

namespace EmptyPages {

namespace {
QString NoCustomers() {
    return QStringLiteral("还没有客户：请先在 客户管理 中新增客户");
}
QString NoAccounts() {
    return QStringLiteral("还没有帐户：请先在 帐户管理 中新增帐户");
}
} // namespace

QString Text(Kind kind, const Situation& situation) {
    switch (kind) {
    case Kind::Customers:
        if (situation.Searching)
            return QStringLiteral("没有符合搜索条件的客户：请换一个条件再搜索");
        return QStringLiteral("还没有客户：请点击下方的 新增客户 建立第一个客户");
    case Kind::Bills:
        // A document names a customer, so customers come first.
        if (!situation.HasCustomers)
            return NoCustomers();
        return QStringLiteral("这段时间没有业务单据：请点击下方的 新增业务单据 开单，或在左侧改变当前日期");
    case Kind::Accounts:
        return QStringLiteral("还没有帐户：请点击下方的 新增帐户 建立现金或银行帐户");
    case Kind::Vouchers:
        // A voucher is booked on an account for a customer.
        if (!situation.HasAccounts)
            return NoAccounts();
        if (!situation.HasCustomers)
            return NoCustomers();
        return QStringLiteral(
            "这段时间没有财务单据：请点击下方的 新增财务单据 记一笔收支，或在左侧改变当前日期");
    }
    return QString();
}

} // namespace EmptyPages
