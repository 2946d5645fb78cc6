#include "RoleViews.h"

#include "foundation/JetSql.h"
#include "foundation/ShareDM.h"

namespace {
const QString Administrator = QStringLiteral("管理员");
const QString Supervisor = QStringLiteral("财务主管");
const QString Director = QStringLiteral("财务总监");
const QString GeneralManager = QStringLiteral("总经理");
const QString Salesman = QStringLiteral("业务员");
} // namespace

RoleKind RoleKindOf(const QString& role) {
    if (role == Administrator)
        return RoleKind::Administrator;
    if (role == Supervisor || role == Director || role == GeneralManager)
        return RoleKind::Manager;
    if (role == Salesman)
        return RoleKind::Salesman;
    return RoleKind::Unknown;
}

RoleFilters SalesmanFilters(const QString& user) {
    const QString name = SqlText(user);
    RoleFilters f;
    f.Customer = QStringLiteral(" And (CustomerMan = ") + name + QLatin1Char(')');
    f.Account = QStringLiteral(" And (AccountMan = '财务主管' Or AccountMan = ") + name + QLatin1Char(')');
    f.Bill = QStringLiteral(" And (BillMan = ") + name + QLatin1Char(')');
    f.Money = QStringLiteral(" And (MoneyMan = ") + name + QLatin1Char(')');
    return f;
}

bool HasRight(const QString& rights, const QString& token) {
    return rights.contains(token);
}

RoleView RoleViewFor(const QString& role, const QString& user, const QString& rights) {
    RoleView view;
    view.Kind = RoleKindOf(role);
    switch (view.Kind) {
    case RoleKind::Administrator:
        view.VisibleTabs = {false, false, false, false, false, false, true, true};
        view.ActivePage = 6;
        view.Glyph = QStringLiteral("Res/BlueFish.bmp");
        break;
    case RoleKind::Manager:
        view.VisibleTabs = {true, true, true, true, true, true, false, false};
        view.ActivePage = 0;
        view.SetsFilters = true;
        if (role == Supervisor)
            view.Glyph = QStringLiteral("Res/YellowFish.bmp");
        else if (role == Director)
            view.Glyph = QStringLiteral("Res/OrangeFish.bmp");
        else
            view.Glyph = QStringLiteral("Res/GreenFish.bmp");
        break;
    case RoleKind::Salesman: {
        const bool business = HasRight(rights, QStringLiteral("业务管理"));
        const bool finance = HasRight(rights, QStringLiteral("财务管理"));
        view.VisibleTabs = {business, business, business, finance, finance, finance, false, false};
        // Without 业务管理 the window opens on 帐户管理, even when that tab is hidden too.
        view.ActivePage = business ? 0 : 3;
        view.SetsFilters = true;
        view.Filters = SalesmanFilters(user);
        break;
    }
    case RoleKind::Unknown:
        break;
    }
    return view;
}

bool IsAdministratorSignedIn() {
    return RoleKindOf(CurrentRole) == RoleKind::Administrator;
}
