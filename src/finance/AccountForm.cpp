#include "AccountForm.h"

#include "finance/AccountForm2.h"
#include "finance/AccountRules.h"
#include "foundation/ShareDM.h"
#include "kit/ErrorHandler.h"
#include "kit/Prompts.h"
#include "kit/Workspace.h"

#include <QAction>
#include <QGridLayout>
#include <QLabel>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

TFormAccount* FormAccount = nullptr;

TFormAccount::TFormAccount(QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("FormAccount"));
    setWindowTitle(QStringLiteral("FormAccount"));
    setModal(true);
    Label3 = new QLabel(this);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label4 = new QLabel(this);
    Label4->setObjectName(QStringLiteral("Label4"));
    auto* labels = new QGridLayout;
    labels->addWidget(new QLabel(QStringLiteral("帐户名称："), this), 0, 0);
    labels->addWidget(Label3, 0, 1);
    labels->addWidget(new QLabel(QStringLiteral("帐户余额："), this), 1, 0);
    labels->addWidget(Label4, 1, 1);
    labels->setColumnStretch(1, 1);

    const struct {
        QAction** action;
        const char* name;
        QString caption;
        void (TFormAccount::*handler)();
    } actions[] = {
        {&ActionMonth, "ActionMonth", QStringLiteral("当月记录"), &TFormAccount::ActionMonthExecute},
        {&ActionYear, "ActionYear", QStringLiteral("当年记录"), &TFormAccount::ActionYearExecute},
        {&ActionAll, "ActionAll", QStringLiteral("所有记录"), &TFormAccount::ActionAllExecute},
        {&ActionEdit, "ActionEdit", QStringLiteral("修改帐户"), &TFormAccount::ActionEditExecute},
        {&ActionDelete, "ActionDelete", QStringLiteral("删除帐户"), &TFormAccount::ActionDeleteExecute},
        {&ActionCancel, "ActionCancel", QStringLiteral("取消操作"), &TFormAccount::ActionCancelExecute},
    };
    auto* buttons = new QGridLayout;
    int slot = 0;
    for (const auto& a : actions) {
        *a.action = new QAction(a.caption, this);
        (*a.action)->setObjectName(QString::fromLatin1(a.name));
        connect(*a.action, &QAction::triggered, this, Guarded(this, a.handler));
        auto* button = new QToolButton(this);
        button->setObjectName(QStringLiteral("SpeedButton%1").arg(slot + 1));
        button->setDefaultAction(*a.action);
        button->setMinimumSize(90, 28);
        buttons->addWidget(button, slot / 3, slot % 3);
        ++slot;
    }
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 16, 20, 16);
    layout->addLayout(labels);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    setFixedSize(340, 160);
}

void TFormAccount::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TFormAccount::FormShow() {
    if (parentWidget())
        move(parentWidget()->geometry().center() - rect().center());
    AccountChanged = false;
    try {
        Loaded = AccountImage(ShareDataModule->ADOConnection1, CardAccountName);
    } catch (const KestrelError&) {
        Loaded = RowImage(); // deleting then finds nothing to delete
    }
    Label3->setText(CardAccountName);
    Label4->setText(CardBalanceText);
}

void TFormAccount::ShowStatement(StatementPeriod period) {
    Query& temp = ShareDataModule->ADOQueryTemp;
    if (!OpenSql(temp, AccountByNameSql(CardAccountName), QStringLiteral("数据库打开失败")) ||
        temp.RecordCount() == 0)
        return;
    const qint64 index = temp.FieldByName(QStringLiteral("AccountIndex")).AsInteger();
    Workspace::Get().FillMoneyReport(AccountStatementText(index, period, Workspace::Get().WorkingDate()));
    Workspace::Get().ShowPage(Workspace::PageMoneyReport);
    reject();
}

void TFormAccount::ActionMonthExecute() {
    ShowStatement(StatementPeriod::Month);
}

void TFormAccount::ActionYearExecute() {
    ShowStatement(StatementPeriod::Year);
}

void TFormAccount::ActionAllExecute() {
    ShowStatement(StatementPeriod::All);
}

void TFormAccount::ActionEditExecute() {
    if (!ShareDataModule->AskEditPassword())
        return;
    FormAccount2->EditAccountName = CardAccountName;
    if (Prompts::Get().ShowModal(FormAccount2) != QDialog::Accepted)
        return;
    const QString newName = FormAccount2->EditAccountName;
    // An account without a name could no longer be told from the reserved row.
    if (newName.isEmpty()) {
        Prompts::Get().Information(QStringLiteral("帐户名不得为空"));
        return;
    }
    // The row the editor loaded: stored only while it still holds what the editor showed.
    const RowImage loaded = FormAccount2->Loaded;
    const bool found = loaded.Exists();
    if (newName != CardAccountName && !AccountNameFree(newName, found ? loaded.Key : 0))
        return;
    bool stored = false;
    try {
        stored =
            UpdateAccount(ShareDataModule->ADOConnection1, loaded, newName, FormAccount2->EditAccountBase);
    } catch (const StaleRecordError& error) {
        ShowStaleRecord(error);
        return;
    }
    if (!stored) {
        Prompts::Get().Information(QStringLiteral("找不到要修改的帐户"));
    } else {
        AccountChanged = true;
        Prompts::Get().Information(QStringLiteral("帐户　") + newName + QStringLiteral("　修改成功"));
    }
    Workspace::Get().RefreshAll();
    accept();
}

void TFormAccount::ActionDeleteExecute() {
    if (!ShareDataModule->AskEditPassword())
        return;
    // The account as this window loaded it when shown.
    if (!Loaded.Exists())
        return;
    if (!Prompts::Get().Question(QStringLiteral("删除帐户 ") +
                                     Loaded.Value(QStringLiteral("AccountName")).toString().trimmed() +
                                     QStringLiteral(" 将删除该帐户下所有记录，确实要删除吗？"),
                                 QStringLiteral("删除警告")))
        return;
    try {
        DeleteAccountWithVouchers(ShareDataModule->ADOConnection1, Loaded);
    } catch (const StaleRecordError& error) {
        ShowStaleRecord(error);
        return;
    }
    AccountChanged = true;
    Workspace::Get().RefreshAll();
    accept();
}

void TFormAccount::ActionCancelExecute() {
    reject();
}
