#include "BillForm2.h"

#include "finance/GetPayForm.h"
#include "finance/VoucherRules.h"
#include "kit/EnterAction.h"
#include "kit/ErrorHandler.h"
#include "kit/Prompts.h"
#include "kit/Workspace.h"

#include <QHBoxLayout>
#include <QPushButton>

TFormBill2* FormBill2 = nullptr;

TFormBill2::TFormBill2(QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("FormBill2"));
    setWindowTitle(QStringLiteral("FormBill2"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    GetButton = new QPushButton(QStringLiteral("财务收入"), this);
    GetButton->setObjectName(QStringLiteral("ActionGet"));
    PayButton = new QPushButton(QStringLiteral("财务支出"), this);
    PayButton->setObjectName(QStringLiteral("ActionPay"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(24, 24, 24, 24);
    layout->setSpacing(20);
    for (QPushButton* button : {GetButton, PayButton}) {
        button->setFixedSize(120, 48);
        button->setAutoDefault(false);
        layout->addWidget(button);
    }
    layout->setSizeConstraint(QLayout::SetFixedSize);
    // Enter opens the highlighted choice (the focused button), 财务收入 when none has the focus.
    RunOnEnter(this, [this] { GetButton->click(); });
    connect(GetButton, &QPushButton::clicked, this, Guarded(this, &TFormBill2::ActionGetExecute));
    connect(PayButton, &QPushButton::clicked, this, Guarded(this, &TFormBill2::ActionPayExecute));
}

void TFormBill2::ActionGetExecute() {
    OpenNew(ReceiptKind);
}

void TFormBill2::ActionPayExecute() {
    OpenNew(PaymentKind);
}

void TFormBill2::OpenNew(const QString& kind) {
    FormGetPay->OpenMode = NewMode;
    FormGetPay->OpenKind = kind;
    FormGetPay->OpenBillIndex = 0;
    FormGetPay->OpenCustomerIndex = 0;
    FormGetPay->CustomerFixed = false;
    FormGetPay->PresetCustomerName.clear();
    FormGetPay->PresetReason.clear();
    FormGetPay->PresetAmount.clear();
    FormGetPay->PresetRemark.clear();
    const bool stored = Prompts::Get().ShowModal(FormGetPay) == QDialog::Accepted;
    if (stored)
        Workspace::Get().RefreshAll();
    // The chooser closes whatever the editor did; its result tells whether something was stored.
    done(stored ? QDialog::Accepted : QDialog::Rejected);
}
