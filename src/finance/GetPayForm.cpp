#include "GetPayForm.h"

#include "customers/CustomerNames.h"
#include "finance/VoucherRules.h"
#include "foundation/JetSql.h"
#include "foundation/KestrelError.h"
#include "foundation/PublicFunction.h"
#include "foundation/ShareDM.h"
#include "kit/CompletingBox.h"
#include "kit/DateTabStop.h"
#include "kit/ErrorHandler.h"
#include "kit/FieldLabel.h"
#include "kit/Prompts.h"
#include "kit/Workspace.h"
#include "mainwindow/HistoryForm.h"

#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>

TFormGetPay* FormGetPay = nullptr;

namespace {

QComboBox* NewList(QWidget* parent, const char* name, bool editable) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(QString::fromLatin1(name));
    combo->setEditable(editable);
    combo->setMinimumWidth(170);
    return combo;
}

QLineEdit* NewEdit(QWidget* parent, const char* name) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    return edit;
}

QPushButton* NewButton(QWidget* parent, const char* name, const QString& caption, const QString& picture) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    button->setFixedSize(96, 32);
    button->setProperty("picture", picture);
    return button;
}

} // namespace

TFormGetPay::TFormGetPay(QWidget* parent)
    : QDialog(parent) {
    AddRecordHistoryAction(this, [this] { return Loaded; });
    setObjectName(QStringLiteral("FormGetPay"));
    setWindowTitle(QStringLiteral("FormGetPay"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setFixedSize(600, 60);
    Edit4 = NewEdit(this, "Edit4");
    ComboBox1 = NewList(this, "ComboBox1", false);
    DateTimePicker1 = new QDateEdit(this);
    DateTimePicker1->setObjectName(QStringLiteral("DateTimePicker1"));
    DateTimePicker1->setCalendarPopup(true);
    DateTimePicker1->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    ComboBox5 = NewList(this, "ComboBox5", true);
    SetUpCompletingBox(ComboBox5);
    Edit2 = NewEdit(this, "Edit2");
    ComboBox2 = NewList(this, "ComboBox2", false);
    ComboBox3 = NewList(this, "ComboBox3", false);
    ComboBox4 = NewList(this, "ComboBox4", false);
    Edit5 = NewEdit(this, "Edit5");
    Edit5->setReadOnly(true);
    Edit5->setFocusPolicy(Qt::NoFocus);
    Edit5->setStyleSheet(QStringLiteral("QLineEdit { background: rgb(222, 222, 222); }"));
    Edit3 = NewEdit(this, "Edit3");

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(10);
    const struct {
        const char* caption;
        QWidget* control;
        int row, column;
    } fields[] = {
        {"单据编号", Edit4, 0, 0},     {"帐户名称", ComboBox1, 0, 2}, {"录入时间", DateTimePicker1, 1, 0},
        {"客户名称", ComboBox5, 1, 2}, {"金额", Edit2, 2, 0},         {"业务种类", ComboBox2, 2, 2},
        {"款项类别", ComboBox3, 3, 0}, {"凭证", ComboBox4, 3, 2},     {"业务员", Edit5, 4, 0},
    };
    for (const auto& f : fields) {
        auto* label = NewFieldLabel(QString::fromUtf8(f.caption), f.control, this);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        grid->addWidget(label, f.row, f.column);
        grid->addWidget(f.control, f.row, f.column + 1);
    }
    auto* remark = NewFieldLabel(QStringLiteral("备注"), Edit3, this);
    remark->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    grid->addWidget(remark, 5, 0);
    grid->addWidget(Edit3, 5, 1, 1, 3);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);

    PrintButton = NewButton(this, "PrintButton", QStringLiteral("打印"), QStringLiteral("Print.bmp"));
    BitBtn1 = NewButton(this, "BitBtn1", QStringLiteral("保存"), QStringLiteral("Ok.bmp"));
    BitBtn1->setDefault(true);
    BitBtn3 = NewButton(this, "BitBtn3", QStringLiteral("删除"), QStringLiteral("Cancel.bmp"));
    BitBtn2 = NewButton(this, "BitBtn2", QStringLiteral("取消"), QStringLiteral("Cancel.bmp"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(PrintButton);
    buttons->addStretch();
    buttons->addWidget(BitBtn1);
    buttons->addWidget(BitBtn3);
    buttons->addWidget(BitBtn2);

    auto* body = new QVBoxLayout;
    body->setContentsMargins(24, 16, 24, 16);
    body->setSpacing(16);
    body->addLayout(grid);
    body->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Image1);
    layout->addLayout(body);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    MakeDateEditsOneTabStop(this);
    connect(BitBtn1, &QPushButton::clicked, this, Guarded(this, &TFormGetPay::BitBtn1Click));
    connect(BitBtn2, &QPushButton::clicked, this, Guarded(this, &TFormGetPay::BitBtn2Click));
    connect(BitBtn3, &QPushButton::clicked, this, Guarded(this, &TFormGetPay::BitBtn3Click));
    connect(PrintButton, &QPushButton::clicked, this, Guarded(this, &TFormGetPay::ActionPrintExecute));
}

bool TFormGetPay::IsNewMode() const {
    return OpenMode == NewMode;
}

void TFormGetPay::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    ++showing;
    FormShow();
}

void TFormGetPay::CloseLater() {
    const int shown = showing;
    QTimer::singleShot(0, this, [this, shown] {
        if (isVisible() && shown == showing)
            QDialog::reject();
    });
}

void TFormGetPay::FormShow() {
    QString picture;
    if (OpenKind == ReceiptKind)
        picture = IsNewMode() ? QStringLiteral("NewGet.bmp") : QStringLiteral("EditGet.bmp");
    else if (OpenKind == PaymentKind)
        picture = IsNewMode() ? QStringLiteral("NewPay.bmp") : QStringLiteral("EditPay.bmp");
    Image1->setPixmap(picture.isEmpty() ? QPixmap()
                                        : QPixmap(ProgramFolder + QStringLiteral("Res/") + picture));
    for (QPushButton* button : {PrintButton, BitBtn1, BitBtn3, BitBtn2}) {
        const QPixmap icon(ProgramFolder + QStringLiteral("Res/") + button->property("picture").toString());
        button->setIcon(icon);
    }

    Query& scratch = ShareDataModule->ADOQueryTemp;
    LoadCombo(ComboBox1, scratch,
              QStringLiteral("Select * From Account Where (AccountIndex > 1)") + AccountFilter, false,
              QStringLiteral("AccountName"));
    LoadPickListCombo(ComboBox2, scratch, 1, false);
    LoadPickListCombo(ComboBox3, scratch, 2, false);
    LoadPickListCombo(ComboBox4, scratch, 3, false);
    LoadCombo(ComboBox5, scratch,
              QStringLiteral("Select * From Customer Where (CustomerIndex > 1)") + CustomerFilter, false,
              QStringLiteral("CustomerName"));
    ComboBox5->setEnabled(!CustomerFixed);

    Loaded = RowImage();
    loadedCustomer.clear();
    shown.Forget();
    if (IsNewMode())
        ShowNew();
    else
        ShowExisting();
    shown.Take({Edit4, ComboBox1, DateTimePicker1, ComboBox5, Edit2, ComboBox2, ComboBox3, ComboBox4, Edit3});
    Edit2->setFocus();
}

bool TFormGetPay::HasChanges() const {
    return shown.Changed();
}

void TFormGetPay::reject() {
    if (MayCloseWithoutSaving(this, HasChanges(), [this] { BitBtn1Click(); }))
        QDialog::reject();
}

void TFormGetPay::ShowExisting() {
    Query& query = ShareDataModule->ADOQueryTemp;
    OpenSql(query, VoucherWithAccountSql(OpenMoneyIndex), QStringLiteral("帐款读入失败"));
    if (!query.Active() || query.RecordCount() == 0) {
        Prompts::Get().Information(QStringLiteral("找不到要修改的记录"));
        CloseLater();
        return;
    }
    Loaded = ImageOfRow(query, QStringLiteral("MoneyTable"));
    SelectStoredComboText(ComboBox1, query.FieldByName(QStringLiteral("AccountName")).AsString());
    DateTimePicker1->setDate(query.FieldByName(QStringLiteral("MoneyCreateTime")).AsDate());
    SelectStoredComboText(ComboBox2, query.FieldByName(QStringLiteral("MoneyReason")).AsString());
    Edit2->setText(RoundAmountText(std::fabs(query.FieldByName(QStringLiteral("MoneySum")).AsFloat())));
    SelectStoredComboText(ComboBox3, query.FieldByName(QStringLiteral("MoneyType")).AsString());
    SelectStoredComboText(ComboBox4, query.FieldByName(QStringLiteral("MoneyToken")).AsString());
    loadedCustomer = query.FieldByName(QStringLiteral("MoneyUser")).AsString();
    ComboBox5->setEditText(loadedCustomer);
    Edit3->setText(query.FieldByName(QStringLiteral("MoneyRemark")).AsString());
    Edit4->setText(query.FieldByName(QStringLiteral("MoneySerial")).AsString());
    Edit5->setText(query.FieldByName(QStringLiteral("MoneyMan")).AsString());
    BitBtn3->show();
    PrintButton->show();
}

void TFormGetPay::ShowNew() {
    DateTimePicker1->setDate(Workspace::Get().WorkingDate());
    ComboBox5->setEditText(CustomerFixed ? QString() : PresetCustomerName);
    Edit2->setText(PresetAmount);
    Edit3->setText(PresetRemark);
    Edit4->clear();
    Edit5->setText(CurrentUser);
    BitBtn3->hide();
    PrintButton->hide();
    Query& query = ShareDataModule->ADOQueryTemp;
    // A fixed customer box shows the opener's customer or nothing: never the first of the list.
    if (CustomerFixed) {
        ComboBox5->setCurrentIndex(-1);
        ComboBox5->clearEditText();
    }
    if (OpenCustomerIndex != 0) {
        OpenSql(query,
                QStringLiteral("Select * From Customer Where CustomerIndex = ") +
                    SqlNumber(OpenCustomerIndex),
                QStringLiteral("客户数据读入失败"));
        if (query.Active() && query.RecordCount() > 0) {
            SelectComboText(ComboBox5, query.FieldByName(QStringLiteral("CustomerName")).AsString());
        } else if (CustomerFixed && query.Active()) {
            // Deleted meanwhile: nothing can be stored for it, and no other customer takes its place.
            Prompts::Get().Information(QStringLiteral("该客户记录已被删除"));
            CloseLater();
            return;
        }
    }
    if (!PresetReason.isEmpty())
        SelectComboText(ComboBox2, PresetReason);
    OpenSql(query, SettingSql(VoucherSerialSettingRow(OpenKind)), QStringLiteral("数据库打开失败"));
    if (query.Active() && query.RecordCount() > 0)
        Edit4->setText(NextSerial(query.FieldByName(QStringLiteral("SettingValue")).AsString()));
    proposedSerial = Edit4->text();
}

void TFormGetPay::BitBtn1Click() {
    VoucherInput input;
    input.Account = ComboBox1->currentText();
    input.Reason = ComboBox2->currentText();
    input.Amount = Edit2->text();
    input.Type = ComboBox3->currentText();
    input.Token = ComboBox4->currentText();
    input.Serial = Edit4->text();
    input.CustomerEnabled = ComboBox5->isEnabled();
    qint64 account = 0;
    FieldCheck check;
    try {
        // The customer the box names, in its stored spelling; "" (refused) when it names none.
        input.Customer = CustomerToStore(ShareDataModule->ADOConnection1, ComboBox5->currentText(),
                                         CustomerFilter, loadedCustomer);
        if (!input.Customer.isEmpty())
            ComboBox5->setEditText(input.Customer);
        check = CheckVoucher(
            input, [](const QString& name) { return AccountIndexOf(ShareDataModule->ADOConnection1, name); },
            &account);
    } catch (const KestrelError&) {
        // Only the customer and account lookups read the database.
        Prompts::Get().Information(QStringLiteral("数据库打开失败"));
        return;
    }
    if (!check.Passed()) {
        Prompts::Get().Information(check.Message);
        if (QWidget* focus = findChild<QWidget*>(check.Focus))
            focus->setFocus();
        return;
    }

    VoucherFields fields;
    fields.Account = account;
    fields.CreateTime = DateTimePicker1->date();
    fields.User = input.Customer;
    fields.Reason = input.Reason;
    SetVoucherAmount(&fields, OpenKind, input.Amount.toDouble());
    fields.Type = input.Type;
    fields.Token = input.Token;
    fields.Remark = Edit3->text();
    fields.Serial = input.Serial;
    fields.ProposedSerial = proposedSerial;
    fields.Man = Edit5->text();

    DbConnection& connection = ShareDataModule->ADOConnection1;
    if (IsNewMode()) {
        QString serial;
        InsertVoucher(connection, fields, OpenBillIndex, OpenKind, &serial);
        Edit4->setText(serial);
        Prompts::Get().Information(QStringLiteral("记录新增成功") + SerialTakenNote(input.Serial, serial));
        accept();
        return;
    }
    if (!ShareDataModule->AskEditPassword())
        return;
    try {
        if (!UpdateVoucher(connection, Loaded, fields)) {
            Prompts::Get().Information(QStringLiteral("找不到要修改的记录"));
            return;
        }
    } catch (const StaleRecordError& error) {
        ShowStaleRecord(error);
        return;
    }
    Prompts::Get().Information(QStringLiteral("记录修改成功"));
    accept();
}

void TFormGetPay::BitBtn2Click() {
    reject();
}

void TFormGetPay::BitBtn3Click() {
    // A new voucher has nothing stored to delete; OpenMoneyIndex may still name an earlier one.
    if (BitBtn3->isHidden())
        return;
    if (!ShareDataModule->AskEditPassword())
        return;
    if (DeleteLoadedAfterAsking(Loaded))
        accept();
}
