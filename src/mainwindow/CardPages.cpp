#include "CardPage.h"
#include "CardQueries.h"
#include "EmptyPages.h"
#include "MainForm.h"
#include "customers/CustomerForm3.h"
#include "foundation/KestrelError.h"
#include "foundation/ShareDM.h"
#include "kit/ErrorHandler.h"
#include "kit/Prompts.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <cmath>

// The four card pages: customers (page 0), documents (page 1), accounts (page 3) and vouchers
// (page 4). Each refresh counts the page's records, reads only the fifteen shown, and runs the
// totals of those cards alone.

namespace {

CardPageNames CustomerNames() {
    return {QStringLiteral("Customer"),
            {QStringLiteral("CustomerName"), QStringLiteral("CustomerMoney"), QStringLiteral("CustomerOwe")},
            {QStringLiteral("名称："), QStringLiteral("货款："), QStringLiteral("欠款：")},
            QStringLiteral("CustomerType"),
            QStringLiteral("CustomerSum"),
            QStringLiteral("CustomerPrior"),
            QStringLiteral("NewCustomer"),
            QStringLiteral("新增客户"),
            QStringLiteral("CustomerNext")};
}

CardPageNames BillNames() {
    return {QStringLiteral("Bill"),
            {QStringLiteral("BillName"), QStringLiteral("BillMoney"), QStringLiteral("BillPay")},
            {QStringLiteral("客户："), QStringLiteral("金额："), QStringLiteral("已收：")},
            QStringLiteral("BillType"),
            QStringLiteral("BillSum"),
            QStringLiteral("BillPrior"),
            QStringLiteral("NewBill"),
            QStringLiteral("新增业务单据"),
            QStringLiteral("BillNext")};
}

CardPageNames MoneyNames() {
    return {QStringLiteral("Money"),
            {QStringLiteral("MoneyName"), QStringLiteral("MoneyKind"), QStringLiteral("MoneyMoney")},
            {QStringLiteral("客户："), QStringLiteral("类型："), QStringLiteral("金额：")},
            QStringLiteral("MoneyType"),
            QStringLiteral("MoneySum"),
            QStringLiteral("MoneyPrior"),
            QStringLiteral("NewMoney"),
            QStringLiteral("新增财务单据"),
            QStringLiteral("MoneyNext")};
}

CardPageNames AccountNames() {
    return {QStringLiteral("Account"),
            {QStringLiteral("AccountName"), QStringLiteral("AccountMoney"), QStringLiteral("AccountMonth")},
            {QStringLiteral("名称："), QStringLiteral("金额："), QStringLiteral("当月：")},
            QString(),
            QStringLiteral("AccountSum"),
            QStringLiteral("AccountPrior"),
            QStringLiteral("NewAccount"),
            QStringLiteral("新增帐户"),
            QStringLiteral("AccountNext")};
}

// The account list with every balance. When that query fails, the plain list tells which part
// failed: the list ("刷新帐户时出错") or the balances ("统计帐户金额时出错").
bool OpenAccountList(Query& list, const QDate& date) {
    try {
        list.Open(Cards::AccountListSql(AccountFilter, date));
        return true;
    } catch (const KestrelError&) {
        list.Close();
    }
    if (OpenSql(list, QStringLiteral("Select * ") + Cards::AccountListBody(AccountFilter),
                QStringLiteral("刷新帐户时出错"))) {
        list.Close();
        Prompts::Get().Information(QStringLiteral("统计帐户金额时出错"));
    }
    return false;
}

Query& ListQuery() {
    return ShareDataModule->ADOQueryTemp;
}

// Runs a count into the list query; false (after the failure message) when it fails.
bool CountRecords(const QString& listBody, const QString& failure, int* records) {
    if (!OpenSql(ListQuery(), Cards::CountSql(listBody), failure))
        return false;
    *records = static_cast<int>(ListQuery().FieldByName(QStringLiteral("RecordTotal")).AsInteger());
    return true;
}

// Reads the rows of the shown page into the list query. A page beyond the end reads nothing.
bool ReadPage(const QString& table, const QString& listBody, const QString& orderClause, int page,
              int pageSize, int records, const QString& failure) {
    if (Cards::PageOffset(page, pageSize) >= records) {
        ListQuery().Close();
        return true;
    }
    return OpenSql(ListQuery(), Cards::PageSql(table, listBody, orderClause, page, pageSize), failure);
}

// The first field of a one-row total, 0 when null; false after the failure message.
bool Total(const QString& sql, const QString& failure, double* value) {
    Query& query = ShareDataModule->ADOQueryTemp2;
    if (!OpenSql(query, sql, failure))
        return false;
    *value = query.RecordCount() > 0 ? query.Fields(0).AsFloat() : 0;
    return true;
}

// Shows the records of the list query in slots 1.. and hides the rest; fill returns false
// when a card's total failed, which stops the refresh at that card.
template <typename Fill> void FillSlots(CardPage& page, Fill fill, int firstRow = 0) {
    Query& list = ListQuery();
    int slot = 1;
    if (list.Active() && firstRow < list.RecordCount()) {
        for (list.MoveTo(firstRow); !list.Eof() && slot <= page.PageSize(); list.Next(), ++slot) {
            if (!fill(list, slot))
                return;
        }
    }
    page.HideSlotsFrom(slot);
}

QString Text(Query& query, const char* field) {
    return query.FieldByName(QLatin1String(field)).AsString();
}

double Number(Query& query, const char* field) {
    return query.FieldByName(QLatin1String(field)).AsFloat();
}

int Key(Query& query, const char* field) {
    return static_cast<int>(query.FieldByName(QLatin1String(field)).AsInteger());
}

// Whether a list body has any row. The advice is a side line of the page: a failed count gives no
// message of its own (the page's own refresh reports the failure) and counts as rows, so that no
// advice is given on a guess.
bool HasRows(const QString& listBody) {
    Query& query = ShareDataModule->ADOQueryTemp2;
    try {
        query.SQL = Cards::CountSql(listBody);
        query.Open();
        return query.RecordCount() > 0 && query.Fields(0).AsFloat() > 0;
    } catch (const KestrelError&) {
        query.Close();
        return true;
    }
}

// An empty page says what to do first; a page with records shows no such line.
void SetEmptyHint(CardPage& page, EmptyPages::Kind kind, int records, bool searching = false) {
    if (records != 0) {
        page.EmptyHint->clear();
        return;
    }
    EmptyPages::Situation situation;
    situation.Searching = searching;
    situation.HasCustomers = HasRows(Cards::CustomerListBody(CustomerFilter, QString()));
    situation.HasAccounts = HasRows(Cards::AccountListBody(AccountFilter));
    page.EmptyHint->setText(EmptyPages::Text(kind, situation));
}

} // namespace

void TFormMain::BuildCardPages() {
    CustomerCards = new CardPage(TabSheet8, CustomerNames());
    BillCards = new CardPage(TabSheet1, BillNames());
    AccountCards = new CardPage(TabSheet3, AccountNames());
    MoneyCards = new CardPage(TabSheet7, MoneyNames());

    const struct {
        CardPage* page;
        void (TFormMain::*prior)();
        void (TFormMain::*next)();
        bool (TFormMain::*add)();
        void (TFormMain::*open)(int);
    } pages[] = {
        {CustomerCards, &TFormMain::CustomerPriorClick, &TFormMain::CustomerNextClick,
         &TFormMain::NewCustomer, &TFormMain::CustomerImageClick},
        {BillCards, &TFormMain::BillPriorClick, &TFormMain::BillNextClick, &TFormMain::NewBill,
         &TFormMain::BillImageClick},
        {AccountCards, &TFormMain::AccountPriorClick, &TFormMain::AccountNextClick, &TFormMain::NewAccount,
         &TFormMain::AccountImageClick},
        {MoneyCards, &TFormMain::MoneyPriorClick, &TFormMain::MoneyNextClick, &TFormMain::NewMoney,
         &TFormMain::MoneyImageClick},
    };
    for (const auto& p : pages) {
        connect(p.page->PriorButton, &QPushButton::clicked, this, Guarded(this, p.prior));
        connect(p.page->NextButton, &QPushButton::clicked, this, Guarded(this, p.next));
        const auto add = p.add;
        connect(p.page->NewButton, &QPushButton::clicked, this, Guarded([this, add] { (this->*add)(); }));
        connect(p.page, &CardPage::CardClicked, this, Guarded(this, p.open));
        CardPage* page = p.page;
        connect(page, &CardPage::CardHovered, this,
                Guarded([this, page](int slot) { HighlightCard(page, slot); }));
        connect(page, &CardPage::PageSizeChanged, this,
                Guarded([this, page](int oldSize, int newSize) { CardPageResized(page, oldSize, newSize); }));
    }
}

void TFormMain::CardPageResized(CardPage* page, int oldSize, int newSize) {
    // The first card in view stays in view; a page shown before is read again at its new size
    // once the resizing has settled (a window dragged larger changes size many times).
    const struct {
        CardPage* cards;
        int* number;
        void (TFormMain::*show)();
    } pages[] = {
        {CustomerCards, &CustomerPage, &TFormMain::ShowCustomerCards},
        {BillCards, &BillPage, &TFormMain::ShowBillCards},
        {AccountCards, &AccountPage, &TFormMain::ShowAccountCards},
        {MoneyCards, &MoneyPage, &TFormMain::ShowMoneyCards},
    };
    for (const auto& p : pages) {
        if (p.cards != page)
            continue;
        *p.number = Cards::RebasedPage(*p.number, oldSize, newSize);
        if (!page->Refreshed())
            return;
        page->BeginRefresh();
        const auto show = p.show;
        if (!pendingResizeRefresh.contains(page)) {
            pendingResizeRefresh.insert(page);
            QTimer::singleShot(0, this, Guarded([this, page, show] {
                                   pendingResizeRefresh.remove(page);
                                   (this->*show)();
                               }));
        }
    }
}

void TFormMain::HighlightCard(CardPage* page, int slot) {
    page->Highlight(slot);
}

void TFormMain::ShowCustomerCards() {
    CardPage& page = *CustomerCards;
    page.BeginRefresh();
    const QString failure = QStringLiteral("刷新客户时出错");
    const QString body = Cards::CustomerListBody(CustomerFilter, SearchClause);
    int records = 0;
    if (!CountRecords(body, failure, &records) ||
        !ReadPage(QStringLiteral("Customer"), body, CustomerOrderClause(), CustomerPage, page.PageSize(),
                  records, failure))
        return;
    page.Status->setText(Cards::PageStatusText(records, CustomerPage, page.PageSize()));
    SetEmptyHint(page, EmptyPages::Kind::Customers, records, !SearchClause.trimmed().isEmpty());
    page.ShowPaging(records, CustomerPage);
    const QDate date = WorkingDate();
    FillSlots(page, [&](Query& row, int slot) {
        const QString name = Text(row, "CustomerName");
        double goods = 0;
        double money = 0;
        if (!Total(Cards::CustomerGoodsSql(name, date), QStringLiteral("统计客户货款时出错"), &goods) ||
            !Total(Cards::CustomerMoneySql(name, date), QStringLiteral("统计客户付款时出错"), &money))
            return false;
        const double owe = Number(row, "CustomerOwe") + goods - money;
        page.FillSlot(slot, Key(row, "CustomerIndex"), Cards::IconFile(goods, Cards::CustomerScale),
                      Cards::ValueColour(goods), Cards::CustomerTypeText(Text(row, "CustomerContact")),
                      {Cards::CardName(name), Cards::AmountText(goods), Cards::AmountText(owe)});
        return true;
    });
}

void TFormMain::ShowBillCards() {
    CardPage& page = *BillCards;
    page.BeginRefresh();
    const QString failure = QStringLiteral("获取单据时出错");
    const QString body = Cards::BillListBody(BillDateClause(), BillFilter);
    int records = 0;
    if (!CountRecords(body, failure, &records) || !ReadPage(QStringLiteral("Bill"), body, BillOrderClause(),
                                                            BillPage, page.PageSize(), records, failure))
        return;
    page.Status->setText(Cards::PageStatusText(records, BillPage, page.PageSize()));
    SetEmptyHint(page, EmptyPages::Kind::Bills, records);
    page.ShowPaging(records, BillPage);
    FillSlots(page, [&](Query& row, int slot) {
        const int index = Key(row, "BillIndex");
        double paid = 0;
        if (!Total(Cards::BillPaySql(index), QStringLiteral("数据库打开失败"), &paid))
            return false;
        const double sum = Number(row, "BillSum");
        page.FillSlot(slot, index, Cards::IconFile(sum, Cards::BillScale), Cards::ValueColour(sum),
                      Cards::BillTypeText(Text(row, "BillKind")),
                      {Cards::CardName(Text(row, "BillUser")), Cards::AmountText(std::fabs(sum)),
                       Cards::AmountText(std::fabs(paid))});
        return true;
    });
}

void TFormMain::ShowMoneyCards() {
    CardPage& page = *MoneyCards;
    page.BeginRefresh();
    const QString failure = QStringLiteral("获取财务单据时出错");
    const QString body = Cards::MoneyListBody(MoneyDateClause(), MoneyFilter);
    int records = 0;
    if (!CountRecords(body, failure, &records) ||
        !ReadPage(QStringLiteral("MoneyTable"), body, MoneyOrderClause(), MoneyPage, page.PageSize(), records,
                  failure))
        return;
    page.Status->setText(Cards::PageStatusText(records, MoneyPage, page.PageSize()));
    SetEmptyHint(page, EmptyPages::Kind::Vouchers, records);
    page.ShowPaging(records, MoneyPage);
    FillSlots(page, [&](Query& row, int slot) {
        const double sum = Number(row, "MoneySum");
        page.FillSlot(slot, Key(row, "MoneyIndex"), Cards::IconFile(sum, Cards::MoneyScale),
                      Cards::ValueColour(sum), Cards::MoneyTypeText(sum),
                      {Cards::CardName(Text(row, "MoneyUser")),
                       Cards::MoneyKindText(Text(row, "MoneyType"), Text(row, "MoneyToken")),
                       Cards::AmountText(std::fabs(sum))});
        return true;
    });
}

void TFormMain::ShowAccountCards() {
    CardPage& page = *AccountCards;
    page.BeginRefresh();
    const QDate date = WorkingDate();
    // Accounts are few: the list is read whole with every balance, for the total over all pages.
    Query& list = ListQuery();
    if (!OpenAccountList(list, date))
        return;
    const int records = list.RecordCount();
    double total = 0;
    for (list.First(); !list.Eof(); list.Next())
        total += Number(list, "AccountBase") + Number(list, "TotalMoney");
    page.Status->setText(Cards::AccountSumText(total));
    SetEmptyHint(page, EmptyPages::Kind::Accounts, records);
    page.ShowPaging(records, AccountPage);
    FillSlots(
        page,
        [&](Query& row, int slot) {
            const int index = Key(row, "AccountIndex");
            double month = 0;
            if (!Total(Cards::AccountMonthSql(index, date), QStringLiteral("统计帐户金额时出错"), &month))
                return false;
            const double balance = Number(row, "AccountBase") + Number(row, "TotalMoney");
            page.FillSlot(slot, index, Cards::IconFile(balance, Cards::AccountScale),
                          Cards::ValueColour(balance), QString(),
                          {Text(row, "AccountName"), Cards::AmountText(balance), Cards::AmountText(month)});
            return true;
        },
        Cards::PageOffset(AccountPage, page.PageSize()));
}

void TFormMain::CustomerPriorClick() {
    --CustomerPage;
    ShowCustomerCards();
}

void TFormMain::CustomerNextClick() {
    ++CustomerPage;
    ShowCustomerCards();
}

void TFormMain::BillPriorClick() {
    --BillPage;
    ShowBillCards();
}

void TFormMain::BillNextClick() {
    ++BillPage;
    ShowBillCards();
}

void TFormMain::MoneyPriorClick() {
    --MoneyPage;
    ShowMoneyCards();
}

void TFormMain::MoneyNextClick() {
    ++MoneyPage;
    ShowMoneyCards();
}

void TFormMain::AccountPriorClick() {
    --AccountPage;
    ShowAccountCards();
}

void TFormMain::AccountNextClick() {
    ++AccountPage;
    ShowAccountCards();
}

void TFormMain::CustomerImageClick(int slot) {
    OpenCustomerCard(CustomerCards->Slots[slot - 1].Panel->Tag);
}

void TFormMain::BillImageClick(int slot) {
    OpenBillEditor(BillCards->Slots[slot - 1].Panel->Tag);
}

void TFormMain::MoneyImageClick(int slot) {
    OpenMoneyEditor(MoneyCards->Slots[slot - 1].Panel->Tag);
}

void TFormMain::AccountImageClick(int slot) {
    OpenAccountWindow(AccountCards->Slots[slot - 1].Panel->Tag);
}
