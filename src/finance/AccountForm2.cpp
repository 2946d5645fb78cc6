#include "AccountForm2.h"

#include "finance/AccountRules.h"
#include "foundation/PublicFunction.h"
#include "foundation/ShareDM.h"
#include "kit/ErrorHandler.h"
#include "kit/FieldLabel.h"
#include "kit/Prompts.h"
#include "mainwindow/HistoryForm.h"

#include <QAction>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TFormAccount2* FormAccount2 = nullptr;

TFormAccount2::TFormAccount2(QWidget* parent)
    : QDialog(parent) {
    AddRecordHistoryAction(this, [this] { return Loaded; });
    setObjectName(QStringLiteral("FormAccount2"));
    setModal(true);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit2 = new QLineEdit(this);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    ActionYes = new QAction(QStringLiteral("确定"), this);
    ActionYes->setObjectName(QStringLiteral("ActionYes"));
    ActionCancel = new QAction(QStringLiteral("取消"), this);
    ActionCancel->setObjectName(QStringLiteral("ActionCancel"));
    Button1 = new QPushButton(QIcon(ProgramFolder + QStringLiteral("Res/Ok.bmp")), ActionYes->text(), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setDefault(true);
    Button2 =
        new QPushButton(QIcon(ProgramFolder + QStringLiteral("Res/Cancel.bmp")), ActionCancel->text(), this);
    Button2->setObjectName(QStringLiteral("Button2"));

    auto* fields = new QFormLayout;
    fields->addRow(NewFieldLabel(QStringLiteral("帐户名称："), Edit1, this), Edit1);
    fields->addRow(NewFieldLabel(QStringLiteral("起初金额："), Edit2, this), Edit2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 16, 20, 12);
    layout->addLayout(fields);
    layout->addLayout(buttons);
    setFixedSize(300, 130);

    connect(Button1, &QPushButton::clicked, ActionYes, &QAction::trigger);
    connect(Button2, &QPushButton::clicked, ActionCancel, &QAction::trigger);
    connect(ActionYes, &QAction::triggered, this, Guarded(this, &TFormAccount2::ActionYesExecute));
    connect(ActionCancel, &QAction::triggered, this, Guarded(this, &TFormAccount2::ActionCancelExecute));
}

void TFormAccount2::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TFormAccount2::FormShow() {
    if (parentWidget())
        move(parentWidget()->geometry().center() - rect().center());
    Loaded = RowImage();
    shown.Forget();
    if (EditAccountName.isEmpty()) {
        setWindowTitle(QStringLiteral("新增帐户"));
        EditAccountBase = 0;
        Edit1->clear();
        Edit2->setText(QStringLiteral("0"));
    } else {
        setWindowTitle(QStringLiteral("修改帐户"));
        // Nothing of an earlier showing stays when the account is not found.
        Edit1->setText(EditAccountName);
        Edit2->setText(QStringLiteral("0"));
        Query& temp = ShareDataModule->ADOQueryTemp;
        if (OpenSql(temp, AccountByNameSql(EditAccountName), QStringLiteral("数据库打开失败")) &&
            temp.RecordCount() > 0) {
            Loaded = ImageOfRow(temp, QStringLiteral("Account"));
            Edit1->setText(temp.FieldByName(QStringLiteral("AccountName")).AsString());
            Edit2->setText(RoundAmountText(temp.FieldByName(QStringLiteral("AccountBase")).AsFloat()));
        }
    }
    shown.Take({Edit1, Edit2});
    Edit1->setFocus();
}

bool TFormAccount2::HasChanges() const {
    return shown.Changed();
}

void TFormAccount2::reject() {
    if (MayCloseWithoutSaving(this, HasChanges(), [this] { ActionYesExecute(); }))
        QDialog::reject();
}

void TFormAccount2::ActionYesExecute() {
    if (!IsAccountBaseText(Edit2->text())) {
        Prompts::Get().Information(QStringLiteral("金额格式有误，请重新输入"));
        Edit2->setFocus();
        return;
    }
    // Told now, while the typed values are still there: the store checks again as it writes.
    if (Loaded.Exists() &&
        !SameRow(Loaded, TakeRowImage(ShareDataModule->ADOConnection1, Loaded.Table, Loaded.Key))) {
        Prompts::Get().Information(StaleRecordText());
        return;
    }
    EditAccountName = Edit1->text();
    EditAccountBase = TextToAmount(Edit2->text());
    accept();
}

void TFormAccount2::ActionCancelExecute() {
    reject();
}
