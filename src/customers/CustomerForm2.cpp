#include "CustomerForm2.h"

#include "customers/CustomerRules.h"
#include "foundation/KestrelError.h"
#include "foundation/PublicFunction.h"
#include "foundation/ShareDM.h"
#include "kit/ErrorHandler.h"
#include "kit/FieldLabel.h"
#include "kit/Prompts.h"
#include "mainwindow/HistoryForm.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

TFormCustomer2* FormCustomer2 = nullptr;

namespace {
QLineEdit* NewEdit(QWidget* parent, const char* name) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    return edit;
}
} // namespace

TFormCustomer2::TFormCustomer2(QWidget* parent)
    : QDialog(parent) {
    AddRecordHistoryAction(this, [this] { return Loaded; });
    setObjectName(QStringLiteral("FormCustomer2"));
    setWindowTitle(QStringLiteral("客户资料输入"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(535, 335);

    CustomerName = NewEdit(this, "CustomerName");
    CustomerOwe = NewEdit(this, "CustomerOwe");
    CustomerPhone = NewEdit(this, "CustomerPhone");
    CustomerFax = NewEdit(this, "CustomerFax");
    CustomerContact = NewEdit(this, "CustomerContact");
    CustomerHandPhone = NewEdit(this, "CustomerHandPhone");
    CustomerEMail = NewEdit(this, "CustomerEMail");
    CustomerWebsite = NewEdit(this, "CustomerWebsite");
    CustomerAddress = NewEdit(this, "CustomerAddress");
    CustomerRemark = NewEdit(this, "CustomerRemark");

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(12);
    const struct {
        const char* caption;
        QLineEdit* edit;
        int row, column;
    } fields[] = {
        {"客户名称：", CustomerName, 0, 0},    {"起初欠款：", CustomerOwe, 0, 2},
        {"电话号码：", CustomerPhone, 1, 0},   {"传真号码：", CustomerFax, 1, 2},
        {"联 系 人：", CustomerContact, 2, 0}, {"联系手机：", CustomerHandPhone, 2, 2},
        {"客户邮箱：", CustomerEMail, 3, 0},   {"客户主页：", CustomerWebsite, 3, 2},
    };
    for (const auto& f : fields) {
        grid->addWidget(NewFieldLabel(QString::fromUtf8(f.caption), f.edit, this), f.row, f.column);
        grid->addWidget(f.edit, f.row, f.column + 1);
    }
    grid->addWidget(NewFieldLabel(QStringLiteral("客户地址："), CustomerAddress, this), 4, 0);
    grid->addWidget(CustomerAddress, 4, 1, 1, 3);
    grid->addWidget(NewFieldLabel(QStringLiteral("客户备注："), CustomerRemark, this), 5, 0);
    grid->addWidget(CustomerRemark, 5, 1, 1, 3);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);

    BitBtn3 = new QPushButton(QStringLiteral("删除"), this);
    BitBtn3->setObjectName(QStringLiteral("BitBtn3"));
    BitBtn3->setAutoDefault(false);
    BitBtn1 = new QPushButton(QStringLiteral("确定"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setDefault(true);
    BitBtn2 = new QPushButton(QStringLiteral("取消"), this);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    BitBtn2->setAutoDefault(false);
    for (QPushButton* button : {BitBtn3, BitBtn1, BitBtn2})
        button->setFixedSize(90, 30);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BitBtn3);
    buttons->addStretch();
    buttons->addWidget(BitBtn1);
    buttons->addWidget(BitBtn2);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 24, 24, 18);
    layout->addLayout(grid);
    layout->addStretch();
    layout->addLayout(buttons);

    connect(BitBtn1, &QPushButton::clicked, this, Guarded(this, &TFormCustomer2::BitBtn1Click));
    connect(BitBtn2, &QPushButton::clicked, this, Guarded(this, &TFormCustomer2::BitBtn2Click));
    connect(BitBtn3, &QPushButton::clicked, this, Guarded(this, &TFormCustomer2::BitBtn3Click));
}

void TFormCustomer2::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    ++showing;
    FormShow();
}

void TFormCustomer2::ClearFields() {
    for (QLineEdit* edit :
         {CustomerName, CustomerOwe, CustomerPhone, CustomerFax, CustomerContact, CustomerHandPhone,
          CustomerEMail, CustomerWebsite, CustomerAddress, CustomerRemark})
        edit->clear();
}

void TFormCustomer2::FormShow() {
    ClearFields();
    Loaded = RowImage();
    shown.Forget();
    // Adding has no stored customer to delete; the button stays visible but does nothing then.
    BitBtn3->setEnabled(EditExisting);
    if (EditExisting) {
        Query& query = ShareDataModule->ADOQueryTemp;
        OpenSql(query, CustomerByIndexSql(EditCustomerIndex), QStringLiteral("客户资料读入失败"));
        if (!query.Active() || query.RecordCount() == 0) {
            Prompts::Get().Information(QStringLiteral("找不到要修改的记录"));
            const int shown = showing;
            QTimer::singleShot(0, this, [this, shown] {
                if (isVisible() && shown == showing)
                    reject();
            });
            return;
        }
        Loaded = ImageOfRow(query, QStringLiteral("Customer"));
        CustomerName->setText(query.FieldByName(QStringLiteral("CustomerName")).AsString());
        CustomerOwe->setText(RoundAmountText(query.FieldByName(QStringLiteral("CustomerOwe")).AsFloat()));
        CustomerPhone->setText(query.FieldByName(QStringLiteral("CustomerPhone")).AsString());
        CustomerFax->setText(query.FieldByName(QStringLiteral("CustomerFax")).AsString());
        CustomerContact->setText(query.FieldByName(QStringLiteral("CustomerContact")).AsString());
        CustomerHandPhone->setText(query.FieldByName(QStringLiteral("CustomerHandPhone")).AsString());
        CustomerEMail->setText(query.FieldByName(QStringLiteral("CustomerEMail")).AsString());
        CustomerWebsite->setText(query.FieldByName(QStringLiteral("CustomerWebsite")).AsString());
        CustomerAddress->setText(query.FieldByName(QStringLiteral("CustomerAddress")).AsString());
        CustomerRemark->setText(query.FieldByName(QStringLiteral("CustomerRemark")).AsString());
    }
    shown.Take({CustomerName, CustomerOwe, CustomerPhone, CustomerFax, CustomerContact, CustomerHandPhone,
                CustomerEMail, CustomerWebsite, CustomerAddress, CustomerRemark});
    CustomerName->setFocus();
}

bool TFormCustomer2::HasChanges() const {
    return shown.Changed();
}

void TFormCustomer2::reject() {
    if (MayCloseWithoutSaving(this, HasChanges(), [this] { BitBtn1Click(); }))
        QDialog::reject();
}

bool TFormCustomer2::NameFree(const QString& name) {
    Query& query = ShareDataModule->ADOQueryTemp;
    if (!OpenSql(query, CustomerByNameSql(name), QStringLiteral("无法打开数据库")))
        return false;
    if (query.RecordCount() == 0)
        return true;
    Prompts::Get().Information(QStringLiteral("该客户名已经存在，请重新操作"));
    CustomerName->setFocus();
    return false;
}

void TFormCustomer2::BitBtn1Click() {
    const QString name = CustomerName->text();
    if (name.isEmpty()) {
        Prompts::Get().Information(QStringLiteral("客户名不得为空"));
        CustomerName->setFocus();
        return;
    }
    if (!IsCustomerBalanceText(CustomerOwe->text())) {
        Prompts::Get().Information(QStringLiteral("金额格式有误，请重新输入"));
        CustomerOwe->setFocus();
        return;
    }
    if (EditExisting)
        SaveChange();
    else
        SaveNew();
}

namespace {
CustomerFields FieldsOf(const TFormCustomer2& form) {
    CustomerFields fields;
    fields.Name = form.CustomerName->text();
    fields.Owe = CustomerBalanceOf(form.CustomerOwe->text());
    fields.Phone = form.CustomerPhone->text();
    fields.Fax = form.CustomerFax->text();
    fields.Contact = form.CustomerContact->text();
    fields.HandPhone = form.CustomerHandPhone->text();
    fields.EMail = form.CustomerEMail->text();
    fields.Website = form.CustomerWebsite->text();
    fields.Address = form.CustomerAddress->text();
    fields.Remark = form.CustomerRemark->text();
    return fields;
}
} // namespace

void TFormCustomer2::SaveNew() {
    const QString name = CustomerName->text();
    if (!NameFree(name))
        return;
    InsertCustomer(ShareDataModule->ADOConnection1, FieldsOf(*this), CurrentUser);
    Prompts::Get().Information(QStringLiteral("客户　") + name + QStringLiteral("　新增成功"));
    accept();
}

void TFormCustomer2::SaveChange() {
    if (!Loaded.Exists()) {
        Prompts::Get().Information(QStringLiteral("找不到要修改的客户"));
        return;
    }
    const QString oldName = Loaded.Value(QStringLiteral("CustomerName")).toString();
    const CustomerFields fields = FieldsOf(*this);
    if (fields.Name != oldName && !NameFree(fields.Name))
        return;
    try {
        if (!UpdateCustomer(ShareDataModule->ADOConnection1, Loaded, fields)) {
            Prompts::Get().Information(QStringLiteral("找不到要修改的客户"));
            return;
        }
    } catch (const StaleRecordError& error) {
        ShowStaleRecord(error);
        return;
    } catch (const KestrelError& error) {
        Prompts::Get().Error(QStringLiteral("客户资料修改失败，没有保存任何改动。\n\n") + error.Message());
        return;
    }
    Prompts::Get().Information(QStringLiteral("客户资料修改成功"));
    accept();
}

void TFormCustomer2::BitBtn2Click() {
    reject();
}

void TFormCustomer2::BitBtn3Click() {
    if (!EditExisting)
        return;
    if (DeleteLoadedAfterAsking(Loaded))
        accept();
}
