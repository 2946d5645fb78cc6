#pragma once

#include <QString>
#include <array>

// What a sign-in shows: which tabs of the main window, which page first, and which rows the
// lists may see. Decided from the session values alone, so it can be checked without a window.

enum class RoleKind { Unknown, Administrator, Manager, Salesman };

RoleKind RoleKindOf(const QString& role);

// The four filter clauses appended to every list of customers, accounts, documents and vouchers.
struct RoleFilters {
    QString Customer;
    QString Account;
    QString Bill;
    QString Money;
};

// A salesman sees his own customers, documents and vouchers, and the accounts of "财务主管" and
// his own. The name goes into the SQL as a quoted literal.
RoleFilters SalesmanFilters(const QString& user);

// Whether a salesman's rights text grants a right; any text containing the token grants it.
bool HasRight(const QString& rights, const QString& token);

struct RoleView {
    RoleKind Kind = RoleKind::Unknown;
    std::array<bool, 8> VisibleTabs{};
    int ActivePage = 0;
    // Managers and salesmen get new filters, read the view preferences and refresh the cards.
    bool SetsFilters = false;
    RoleFilters Filters;
    // The Login button's picture under the program folder; empty for a salesman, whose picture
    // comes from his Power row.
    QString Glyph;
};

// The view for the session values; Kind Unknown when the role is none of the five.
RoleView RoleViewFor(const QString& role, const QString& user, const QString& rights);

// True only while "管理员" is signed in (CurrentRole). Every handler of the settings and the data
// maintenance pages checks it first and does nothing otherwise, whatever path reached it.
bool IsAdministratorSignedIn();
