#include "CustomerForm.h"

#include "customers/CustomerForm2.h"
#include "customers/CustomerRules.h"
#include "documents/BuySellForm.h"
#include "documents/DocumentRules.h"
#include "finance/GetPayForm.h"
#include "finance/VoucherRules.h"
#include "foundation/BooksPlace.h"
#include "foundation/PublicFunction.h"
#include "foundation/ShareDM.h"
#include "kit/ErrorHandler.h"
#include "kit/PictureFrame.h"
#include "kit/Prompts.h"
#include "kit/ReadableFigure.h"
#include "kit/Workspace.h"
#include "mainwindow/RoleViews.h"

#include <QAction>
#include <QDir>
#include <QEvent>
#include <QFrame>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QToolButton>

TFormCustomer* FormCustomer = nullptr;

namespace {

const QColor Highlight(166, 202, 240);

QLabel* NewLabel(QWidget* parent, const QString& text, const QRect& place,
                 Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter) {
    auto* label = new QLabel(text, parent);
    label->setGeometry(place);
    label->setAlignment(alignment);
    return label;
}

// The picture behind which the customer's folder lies: a yellow folder.
QPixmap FolderPicture() {
    QPixmap picture(64, 64);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(176, 128, 24), 2));
    painter.setBrush(QColor(236, 186, 64));
    painter.drawRoundedRect(QRectF(6, 12, 24, 12), 3, 3);
    painter.setBrush(QColor(250, 210, 92));
    painter.drawRoundedRect(QRectF(6, 18, 52, 36), 4, 4);
    return picture;
}

// A read-only grey box with its caption, reachable by the caption.
QLineEdit* ContactBox(QWidget* parent, const char* name, const QString& caption, int x, int y) {
    QLabel* label = NewLabel(parent, caption, QRect(x, y, 70, 24));
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setGeometry(x + 72, y, 136, 24);
    edit->setReadOnly(true);
    edit->setStyleSheet(QStringLiteral("QLineEdit { background: rgb(222, 222, 222); }"));
    edit->setAccessibleName(caption.chopped(1));
    label->setBuddy(edit);
    return edit;
}

// The first field of a one-row total, 0 when null; false after the failure message.
bool Total(const QString& sql, double* value) {
    Query& query = ShareDataModule->ADOQueryTemp2;
    if (!OpenSql(query, sql, QStringLiteral("数据库打开失败")))
        return false;
    *value = query.RecordCount() > 0 ? query.Fields(0).AsFloat() : 0;
    return true;
}

} // namespace

TFormCustomer::TFormCustomer(QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("FormCustomer"));
    setWindowTitle(QStringLiteral("FormCustomer"));
    // A single border without title-bar buttons.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(721, 493);

    HeaderImage = new QLabel(this);
    HeaderImage->setObjectName(QStringLiteral("HeaderImage"));
    HeaderImage->setGeometry(24, 8, 673, 64);
    HeaderImage->setPixmap(QPixmap(ProgramFolder + QStringLiteral("Res/CustomerHeader.bmp")));

    // Contact data, with the customer's folder behind the picture.
    GroupBox1 = new QGroupBox(QStringLiteral("客户基本资料"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setGeometry(16, 80, 560, 132);
    GroupBox1->setMouseTracking(true);
    GroupBox1->installEventFilter(this);
    Shape1 = new PictureFrame(GroupBox1, QRect(16, 26, 92, 92), QRect(14, 14, 64, 64), Qt::white, Highlight);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    Image1 = Shape1->Picture;
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(FolderPicture());
    Image1->setToolTip(QStringLiteral("打开客户目录"));
    Image1->setAccessibleName(QStringLiteral("客户目录"));
    connect(Shape1, &PictureFrame::Clicked, this, Guarded(this, &TFormCustomer::Image1Click));
    Edit1 = ContactBox(GroupBox1, "Edit1", QStringLiteral("客户名称："), 124, 34);
    Edit2 = ContactBox(GroupBox1, "Edit2", QStringLiteral("电话号码："), 124, 78);
    Edit3 = ContactBox(GroupBox1, "Edit3", QStringLiteral("联 系 人："), 340, 34);
    Edit4 = ContactBox(GroupBox1, "Edit4", QStringLiteral("联系手机："), 340, 78);

    // The five figures: 起初欠款 + 销售总额 − 采购总额 − 已收总额 = 客户欠款.
    GroupBox2 = new QGroupBox(QStringLiteral("客户业务状况"), this);
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    GroupBox2->setGeometry(16, 222, 560, 100);
    const struct {
        QLabel** label;
        const char* name;
        QString head;
    } figures[] = {
        {&LabelFirstOwe, "LabelFirstOwe", QStringLiteral("起初欠款")},
        {&LabelSell, "LabelSell", QStringLiteral("销售总额")},
        {&LabelBuy, "LabelBuy", QStringLiteral("采购总额")},
        {&LabelGet, "LabelGet", QStringLiteral("已收总额")},
        {&LabelOwe, "LabelOwe", QStringLiteral("客户欠款")},
    };
    const QString signs[] = {QStringLiteral("+"), QStringLiteral("-"), QStringLiteral("-"),
                             QStringLiteral("=")};
    for (int i = 0; i < 5; ++i) {
        const int x = 12 + i * 110;
        QLabel* head = NewLabel(GroupBox2, figures[i].head, QRect(x, 26, 90, 22), Qt::AlignCenter);
        QLabel* value = new FigureLabel(figures[i].head, QStringLiteral("0"), GroupBox2);
        value->setGeometry(x, 54, 90, 26);
        value->setAlignment(Qt::AlignCenter);
        value->setObjectName(QString::fromLatin1(figures[i].name));
        value->setFrameShape(QFrame::StyledPanel);
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        head->setBuddy(value);
        *figures[i].label = value;
        if (i < 4)
            NewLabel(GroupBox2, signs[i], QRect(x + 92, 54, 16, 26), Qt::AlignCenter);
    }

    const struct {
        QAction** action;
        const char* name;
        QString caption;
        const char* icon;
        void (TFormCustomer::*handler)();
    } actions[] = {
        // The icons of the document and voucher cards.
        {&ActionSell, "ActionSell", QStringLiteral("销售开单"), "Res/Purple+.ico",
         &TFormCustomer::ActionSellExecute},
        {&ActionBuy, "ActionBuy", QStringLiteral("采购开单"), "Res/Purple++.ico",
         &TFormCustomer::ActionBuyExecute},
        {&ActionGet, "ActionGet", QStringLiteral("财务收入"), "Res/Green+.ico",
         &TFormCustomer::ActionGetExecute},
        {&ActionPay, "ActionPay", QStringLiteral("财务支出"), "Res/Green++.ico",
         &TFormCustomer::ActionPayExecute},
        {&ActionEdit, "ActionEdit", QStringLiteral("资料修改"), "Res/NewRecord.bmp",
         &TFormCustomer::ActionEditExecute},
        {&ActionCancel, "ActionCancel", QStringLiteral("取消操作"), "Res/Cancel.bmp",
         &TFormCustomer::ActionCancelExecute},
    };
    for (const auto& a : actions) {
        *a.action = new QAction(QIcon(QPixmap(ProgramFolder + QString::fromLatin1(a.icon))), a.caption, this);
        (*a.action)->setObjectName(QString::fromLatin1(a.name));
        connect(*a.action, &QAction::triggered, this, Guarded(this, a.handler));
    }

    // New records for this customer.
    GroupBox3 = new QGroupBox(QStringLiteral("业务开单，财务开单"), this);
    GroupBox3->setObjectName(QStringLiteral("GroupBox3"));
    GroupBox3->setGeometry(16, 332, 560, 145);
    const struct {
        QToolButton** button;
        const char* name;
        QAction* action;
    } records[] = {
        {&SellButton, "SellButton", ActionSell},
        {&BuyButton, "BuyButton", ActionBuy},
        {&GetButton, "GetButton", ActionGet},
        {&PayButton, "PayButton", ActionPay},
    };
    int x = 24;
    for (const auto& r : records) {
        auto* button = new QToolButton(GroupBox3);
        button->setObjectName(QString::fromLatin1(r.name));
        button->setDefaultAction(r.action);
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        button->setIconSize(QSize(48, 48));
        button->setGeometry(x, 34, 110, 90);
        *r.button = button;
        x += 134;
    }

    // The right column: change, the month lists, close.
    CustomerEdit = new QToolButton(this);
    CustomerEdit->setObjectName(QStringLiteral("CustomerEdit"));
    CustomerEdit->setDefaultAction(ActionEdit);
    CustomerEdit->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    CustomerEdit->setIconSize(QSize(24, 24));
    CustomerEdit->setGeometry(596, 88, 110, 40);
    const struct {
        QPushButton** button;
        const char* name;
        QString caption;
        void (TFormCustomer::*handler)();
    } months[] = {
        {&Button1, "Button1", QStringLiteral("本月销售单"), &TFormCustomer::Button1Click},
        {&Button2, "Button2", QStringLiteral("本月采购单"), &TFormCustomer::Button2Click},
        {&Button3, "Button3", QStringLiteral("本月收入单"), &TFormCustomer::Button3Click},
        {&Button4, "Button4", QStringLiteral("本月支出单"), &TFormCustomer::Button4Click},
    };
    int y = 160;
    for (const auto& m : months) {
        auto* button = new QPushButton(m.caption, this);
        button->setObjectName(QString::fromLatin1(m.name));
        button->setGeometry(596, y, 110, 34);
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, Guarded(this, m.handler));
        *m.button = button;
        y += 46;
    }
    Cancel = new QToolButton(this);
    Cancel->setObjectName(QStringLiteral("Cancel"));
    Cancel->setDefaultAction(ActionCancel);
    Cancel->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    Cancel->setIconSize(QSize(24, 24));
    Cancel->setGeometry(596, 437, 110, 40);
}

void TFormCustomer::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (parentWidget())
        move(parentWidget()->geometry().center() - rect().center());
    RunGuarded([this] { FormShow(); });
}

void TFormCustomer::FormShow() {
    // Each showing is for the customer the opener chose; whatever the card showed before goes.
    customerGone = false;
    ApplyRights();
    RefreshCustomerCardFigures();
}

void TFormCustomer::ApplyRights() {
    const bool salesman = CurrentRole == QStringLiteral("业务员");
    const bool business = !salesman || HasRight(CurrentRights, QStringLiteral("业务管理"));
    const bool finance = !salesman || HasRight(CurrentRights, QStringLiteral("财务管理"));
    for (QWidget* w : std::initializer_list<QWidget*>{Button1, Button2, SellButton, BuyButton})
        w->setVisible(business);
    for (QWidget* w : std::initializer_list<QWidget*>{Button3, Button4, GetButton, PayButton})
        w->setVisible(finance);
    // A hidden button's action must not be reachable by its shortcut either; a deleted customer's
    // card reaches none of them.
    const bool there = !customerGone;
    ActionSell->setEnabled(there && business);
    ActionBuy->setEnabled(there && business);
    ActionGet->setEnabled(there && finance);
    ActionPay->setEnabled(there && finance);
    ActionEdit->setEnabled(there);
    for (QWidget* w : std::initializer_list<QWidget*>{Button1, Button2, Button3, Button4})
        w->setEnabled(there);
    Shape1->setEnabled(there);
}

void TFormCustomer::ShowCustomerGone() {
    customerGone = true;
    for (QLineEdit* edit : {Edit1, Edit2, Edit3, Edit4})
        edit->clear();
    for (QLabel* label : {LabelFirstOwe, LabelSell, LabelBuy, LabelGet, LabelOwe})
        label->clear();
    ApplyRights();
    Prompts::Get().Information(QStringLiteral("该客户记录已被删除"));
}

bool TFormCustomer::CustomerStillThere(QString* name) {
    if (customerGone)
        return false;
    Query& query = ShareDataModule->ADOQueryTemp;
    if (!OpenSql(query, CustomerByIndexSql(CardCustomerIndex), QStringLiteral("数据库打开失败")))
        return false;
    if (query.RecordCount() == 0) {
        ShowCustomerGone();
        return false;
    }
    if (name != nullptr) {
        query.First();
        *name = query.FieldByName(QStringLiteral("CustomerName")).AsString();
    }
    return true;
}

void TFormCustomer::RefreshCustomerCardFigures() {
    Query& query = ShareDataModule->ADOQueryTemp;
    if (!OpenSql(query, CustomerByIndexSql(CardCustomerIndex), QStringLiteral("客户资料表打开失败")))
        return;
    if (query.RecordCount() == 0) {
        ShowCustomerGone();
        return;
    }
    query.First();
    const QString name = query.FieldByName(QStringLiteral("CustomerName")).AsString();
    const double firstOwe = query.FieldByName(QStringLiteral("CustomerOwe")).AsFloat();
    Edit1->setText(name);
    Edit2->setText(query.FieldByName(QStringLiteral("CustomerPhone")).AsString());
    Edit3->setText(query.FieldByName(QStringLiteral("CustomerContact")).AsString());
    Edit4->setText(query.FieldByName(QStringLiteral("CustomerHandPhone")).AsString());
    LabelFirstOwe->setText(RoundAmountText(firstOwe));

    const QDate date = Workspace::Get().WorkingDate();
    double sales = 0;
    double purchases = 0;
    double money = 0;
    if (!Total(CardSalesSql(name, date), &sales))
        return;
    LabelSell->setText(RoundAmountText(sales));
    if (!Total(CardPurchasesSql(name, date), &purchases))
        return;
    LabelBuy->setText(RoundAmountText(purchases));
    if (!Total(CardMoneySql(name, date), &money))
        return;
    LabelGet->setText(RoundAmountText(money));
    LabelOwe->setText(RoundAmountText(CardOwe(firstOwe, sales, purchases, money)));
}

void TFormCustomer::ActionEditExecute() {
    if (!CustomerStillThere() || !ShareDataModule->AskEditPassword())
        return;
    FormCustomer2->EditExisting = true;
    FormCustomer2->EditCustomerIndex = CardCustomerIndex;
    if (Prompts::Get().ShowModal(FormCustomer2) == QDialog::Accepted)
        accept();
}

void TFormCustomer::NewBill(const QString& kind) {
    if (!CustomerStillThere())
        return;
    FormBuySell->OpenMode = NewMode;
    FormBuySell->OpenKind = kind;
    FormBuySell->OpenBillIndex = 1;
    FormBuySell->OpenCustomerIndex = CardCustomerIndex;
    FormBuySell->CustomerFixed = true;
    if (Prompts::Get().ShowModal(FormBuySell) != QDialog::Accepted)
        return;
    Workspace::Get().RefreshAll();
    Workspace::Get().ShowPage(Workspace::PageBills);
    reject();
}

void TFormCustomer::NewVoucher(const QString& kind) {
    if (!CustomerStillThere())
        return;
    FormGetPay->OpenMode = NewMode;
    FormGetPay->OpenKind = kind;
    FormGetPay->OpenBillIndex = 0;
    FormGetPay->OpenCustomerIndex = CardCustomerIndex;
    FormGetPay->CustomerFixed = true;
    FormGetPay->PresetCustomerName.clear();
    FormGetPay->PresetReason.clear();
    FormGetPay->PresetAmount.clear();
    FormGetPay->PresetRemark.clear();
    if (Prompts::Get().ShowModal(FormGetPay) != QDialog::Accepted)
        return;
    Workspace::Get().RefreshAll();
    Workspace::Get().ShowPage(Workspace::PageMoney);
    reject();
}

void TFormCustomer::ActionSellExecute() {
    NewBill(SaleKind);
}

void TFormCustomer::ActionBuyExecute() {
    NewBill(PurchaseKind);
}

void TFormCustomer::ActionGetExecute() {
    NewVoucher(ReceiptKind);
}

void TFormCustomer::ActionPayExecute() {
    NewVoucher(PaymentKind);
}

void TFormCustomer::ActionCancelExecute() {
    reject();
}

void TFormCustomer::ShowMonthBills(const QString& kind) {
    QString name;
    if (!CustomerStillThere(&name))
        return;
    Workspace::Get().FillBillReport(CardMonthBillsSql(name, kind, Workspace::Get().WorkingDate()));
    Workspace::Get().ShowPage(Workspace::PageBillReport);
    reject();
}

void TFormCustomer::ShowMonthVouchers(bool receipts) {
    QString name;
    if (!CustomerStillThere(&name))
        return;
    Workspace::Get().FillMoneyReport(CardMonthVouchersSql(name, receipts, Workspace::Get().WorkingDate()));
    Workspace::Get().ShowPage(Workspace::PageMoneyReport);
    reject();
}

void TFormCustomer::Button1Click() {
    ShowMonthBills(SaleKind);
}

void TFormCustomer::Button2Click() {
    ShowMonthBills(PurchaseKind);
}

void TFormCustomer::Button3Click() {
    ShowMonthVouchers(true);
}

void TFormCustomer::Button4Click() {
    ShowMonthVouchers(false);
}

void TFormCustomer::Image1Click() {
    if (!CustomerStillThere())
        return;
    const QString name = Edit1->text();
    if (!IsFolderName(name)) {
        Prompts::Get().Information(QStringLiteral("客户名称“") + name +
                                   QStringLiteral("”不能用作文件夹名称，无法打开客户目录"));
        return;
    }
    const QString folder = CustomerFolder(BooksFolder, name);
    if (!QDir().mkpath(folder)) {
        Prompts::Get().Information(QStringLiteral("无法建立客户目录：") + QDir::toNativeSeparators(folder));
        return;
    }
    // A desktop without a file manager opens nothing: the user is told where the folder is.
    if (!Prompts::Get().OpenWithDesktop(folder))
        Prompts::Get().Information(QStringLiteral("本机没有可以打开文件夹的程序。\n客户目录在：\n") +
                                   QDir::toNativeSeparators(folder));
}

void TFormCustomer::HighlightFolderPicture(bool on) {
    Shape1->Highlight(on);
}

bool TFormCustomer::eventFilter(QObject* watched, QEvent* event) {
    // Over the rest of the group the frame takes its normal colour again.
    if (watched == GroupBox1 && event->type() == QEvent::MouseMove)
        HighlightFolderPicture(false);
    return QDialog::eventFilter(watched, event);
}
