#pragma once

#include <QString>

// What an empty card page says the user should do first.
namespace EmptyPages {

enum class Kind { Customers, Bills, Accounts, Vouchers };

// What the books hold that the page's records need.
struct Situation {
    bool Searching = false;   // a customer search narrows the customer page
    bool HasCustomers = true; // customers the signed-in role may work with
    bool HasAccounts = true;  // accounts the signed-in role may work with
};

// The line under an empty page: "还没有帐户：请先在 帐户管理 中新增帐户".
QString Text(Kind kind, const Situation& situation);

} // namespace EmptyPages
