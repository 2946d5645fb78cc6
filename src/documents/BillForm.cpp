#include "BillForm.h"

#include "documents/BuySellForm.h"
#include "documents/DocumentRules.h"
#include "kit/EnterAction.h"
#include "kit/ErrorHandler.h"
#include "kit/Prompts.h"
#include "kit/Workspace.h"

#include <QHBoxLayout>
#include <QPushButton>

TFormBill* FormBill = nullptr;

TFormBill::TFormBill(QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("FormBill"));
    setWindowTitle(QStringLiteral("FormBill"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    SellButton = new QPushButton(QStringLiteral("销售开单"), this);
    SellButton->setObjectName(QStringLiteral("ActionSell"));
    BuyButton = new QPushButton(QStringLiteral("采购开单"), this);
    BuyButton->setObjectName(QStringLiteral("ActionBuy"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(24, 24, 24, 24);
    layout->setSpacing(20);
    for (QPushButton* button : {SellButton, BuyButton}) {
        button->setFixedSize(120, 48);
        button->setAutoDefault(false);
        layout->addWidget(button);
    }
    layout->setSizeConstraint(QLayout::SetFixedSize);
    // Enter opens the highlighted choice (the focused button), 销售开单 when none has the focus.
    RunOnEnter(this, [this] { SellButton->click(); });
    connect(SellButton, &QPushButton::clicked, this, Guarded(this, &TFormBill::ActionSellExecute));
    connect(BuyButton, &QPushButton::clicked, this, Guarded(this, &TFormBill::ActionBuyExecute));
}

void TFormBill::ActionSellExecute() {
    OpenNew(SaleKind);
}

void TFormBill::ActionBuyExecute() {
    OpenNew(PurchaseKind);
}

void TFormBill::OpenNew(const QString& kind) {
    FormBuySell->OpenMode = NewMode;
    FormBuySell->OpenKind = kind;
    FormBuySell->OpenBillIndex = 1;
    FormBuySell->OpenCustomerIndex = 0;
    FormBuySell->CustomerFixed = false;
    const bool stored = Prompts::Get().ShowModal(FormBuySell) == QDialog::Accepted;
    if (stored)
        Workspace::Get().RefreshAll();
    // The chooser closes whatever the editor did; its result tells whether something was stored.
    done(stored ? QDialog::Accepted : QDialog::Rejected);
}
