#include "BuySellForm.h"

#include "customers/CustomerNames.h"
#include "documents/DocumentRules.h"
#include "finance/GetPayForm.h"
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
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>

TFormBuySell* FormBuySell = nullptr;

namespace {

struct GridColumn {
    const char* field;
    const char* title;
    int width;
};
const GridColumn gridColumns[] = {
    {"MoneyCreateTime", "开单时间", 80},
    {"MoneySerial", "单据编号", 80},
    {"AccountName", "帐户名称", 110},
    {"MoneyIn", "收入", 70},
    {"MoneyOut", "支出", 70},
    {"MoneySum", "合计", 75},
};
constexpr int gridColumnCount = 6;

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

QPushButton* NewButton(QWidget* parent, const char* name, const QString& caption, const QString& picture,
                       int width) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    button->setFixedSize(width, 30);
    button->setProperty("picture", picture);
    return button;
}

QToolButton* NewToolButton(QWidget* parent, const char* name, const QString& caption,
                           const QString& picture) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setText(caption);
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setFixedSize(96, 30);
    button->setProperty("picture", picture);
    return button;
}

QTableWidgetItem* CentredItem(const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setTextAlignment(Qt::AlignCenter);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return item;
}

void SetUpGrid(QTableWidget* grid, bool footer) {
    grid->setColumnCount(gridColumnCount);
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setDefaultSectionSize(22);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid->horizontalHeader()->setStretchLastSection(false);
    grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    for (int i = 0; i < gridColumnCount; ++i)
        grid->setColumnWidth(i, gridColumns[i].width);
    if (footer) {
        grid->horizontalHeader()->hide();
        grid->setRowCount(1);
        grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        grid->setSelectionMode(QAbstractItemView::NoSelection);
        grid->setFocusPolicy(Qt::NoFocus);
        grid->setFixedHeight(24);
    } else {
        QStringList titles;
        for (const GridColumn& c : gridColumns)
            titles << QString::fromUtf8(c.title);
        grid->setHorizontalHeaderLabels(titles);
        grid->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
        grid->setSelectionBehavior(QAbstractItemView::SelectRows);
        grid->setSelectionMode(QAbstractItemView::SingleSelection);
        grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    }
    int width = 2 * grid->frameWidth();
    for (const GridColumn& c : gridColumns)
        width += c.width;
    // The footer lines up with the grid, whose scroll bar takes room on the right.
    grid->setFixedWidth(width + 17);
}

} // namespace

TFormBuySell::TFormBuySell(QWidget* parent)
    : QDialog(parent) {
    AddRecordHistoryAction(this, [this] { return LoadedBill; });
    setObjectName(QStringLiteral("FormBuySell"));
    setWindowTitle(QStringLiteral("FormBuySell"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::MSWindowsFixedSizeDialogHint);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setFixedSize(600, 60);
    DateTimePicker1 = new QDateEdit(this);
    DateTimePicker1->setObjectName(QStringLiteral("DateTimePicker1"));
    DateTimePicker1->setCalendarPopup(true);
    DateTimePicker1->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    Edit1 = NewEdit(this, "Edit1");
    ComboBox5 = NewList(this, "ComboBox5", true);
    SetUpCompletingBox(ComboBox5);
    Edit2 = NewEdit(this, "Edit2");
    ComboBox2 = NewList(this, "ComboBox2", false);
    ComboBox3 = NewList(this, "ComboBox3", false);
    Edit3 = NewEdit(this, "Edit3");
    Edit4 = NewEdit(this, "Edit4");
    Edit4->setReadOnly(true);
    Edit4->setFocusPolicy(Qt::NoFocus);
    Edit4->setStyleSheet(QStringLiteral("QLineEdit { background: rgb(222, 222, 222); }"));

    auto* fields = new QGridLayout;
    fields->setHorizontalSpacing(10);
    fields->setVerticalSpacing(8);
    const struct {
        const char* caption;
        QWidget* control;
        int row, column;
    } cells[] = {
        {"开单日期", DateTimePicker1, 0, 0}, {"单据编号", Edit1, 0, 2},     {"客户名称", ComboBox5, 1, 0},
        {"单据金额", Edit2, 1, 2},           {"业务种类", ComboBox2, 2, 0}, {"业务进度", ComboBox3, 2, 2},
        {"单据备注", Edit3, 3, 0},           {"业 务 员", Edit4, 3, 2},
    };
    for (const auto& c : cells) {
        auto* label = NewFieldLabel(QString::fromUtf8(c.caption), c.control, this);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        fields->addWidget(label, c.row, c.column);
        fields->addWidget(c.control, c.row, c.column + 1);
    }
    fields->setColumnStretch(1, 1);
    fields->setColumnStretch(3, 1);

    GroupBox1 = new QGroupBox(QStringLiteral("财务单据"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    DBGridEh1 = new QTableWidget(GroupBox1);
    DBGridEh1->setObjectName(QStringLiteral("DBGridEh1"));
    SetUpGrid(DBGridEh1, false);
    DBGridEh1->setAccessibleName(GroupBox1->title());
    DBGridEh1->setFixedHeight(150);
    DBGridEh1Footer = new QTableWidget(GroupBox1);
    DBGridEh1Footer->setObjectName(QStringLiteral("DBGridEh1Footer"));
    SetUpGrid(DBGridEh1Footer, true);
    DBGridEh1Footer->setAccessibleName(QStringLiteral("合计"));
    Button1 = NewButton(GroupBox1, "Button1", QStringLiteral("新增"), QString(), 58);
    Button2 = NewButton(GroupBox1, "Button2", QStringLiteral("修改"), QString(), 58);
    Button3 = NewButton(GroupBox1, "Button3", QStringLiteral("删除"), QString(), 58);
    auto* gridColumn = new QVBoxLayout;
    gridColumn->setSpacing(0);
    gridColumn->addWidget(DBGridEh1);
    gridColumn->addWidget(DBGridEh1Footer);
    auto* voucherButtons = new QVBoxLayout;
    voucherButtons->addWidget(Button1);
    voucherButtons->addWidget(Button2);
    voucherButtons->addWidget(Button3);
    voucherButtons->addStretch();
    // The editor is as wide as its header picture: the grid and its buttons fit into 600 pixels.
    auto* group = new QHBoxLayout(GroupBox1);
    group->setContentsMargins(6, 6, 6, 6);
    group->setSpacing(4);
    group->addLayout(gridColumn);
    group->addLayout(voucherButtons);

    SpeedButton4 =
        NewToolButton(this, "SpeedButton4", QStringLiteral("解锁修改"), QStringLiteral("NewRecord.bmp"));
    SpeedButton1 =
        NewToolButton(this, "SpeedButton1", QStringLiteral("打印单据"), QStringLiteral("Print.bmp"));
    BitBtn1 = NewButton(this, "BitBtn1", QStringLiteral("保存"), QStringLiteral("Ok.bmp"), 90);
    BitBtn1->setDefault(true);
    BitBtn3 = NewButton(this, "BitBtn3", QStringLiteral("删除"), QStringLiteral("Cancel.bmp"), 90);
    BitBtn2 = NewButton(this, "BitBtn2", QStringLiteral("取消"), QStringLiteral("Cancel.bmp"), 90);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(SpeedButton4);
    buttons->addWidget(SpeedButton1);
    buttons->addStretch();
    buttons->addWidget(BitBtn1);
    buttons->addWidget(BitBtn3);
    buttons->addWidget(BitBtn2);

    auto* body = new QVBoxLayout;
    body->setContentsMargins(8, 12, 8, 12);
    body->setSpacing(10);
    body->addLayout(fields);
    body->addWidget(GroupBox1);
    body->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Image1);
    layout->addLayout(body);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    MakeDateEditsOneTabStop(this);
    connect(BitBtn1, &QPushButton::clicked, this, Guarded(this, &TFormBuySell::BitBtn1Click));
    connect(BitBtn2, &QPushButton::clicked, this, Guarded(this, &TFormBuySell::BitBtn2Click));
    connect(BitBtn3, &QPushButton::clicked, this, Guarded(this, &TFormBuySell::BitBtn3Click));
    connect(Button1, &QPushButton::clicked, this, Guarded(this, &TFormBuySell::Button1Click));
    connect(Button2, &QPushButton::clicked, this, Guarded(this, &TFormBuySell::Button2Click));
    connect(Button3, &QPushButton::clicked, this, Guarded(this, &TFormBuySell::Button3Click));
    connect(DBGridEh1, &QTableWidget::cellDoubleClicked, this,
            Guarded(this, &TFormBuySell::DBGridEh1DblClick));
    connect(SpeedButton4, &QToolButton::clicked, this, Guarded(this, &TFormBuySell::ActionEditExecute));
    connect(SpeedButton1, &QToolButton::clicked, this, Guarded(this, &TFormBuySell::ActionPrintExecute));
}

bool TFormBuySell::IsNewMode() const {
    return OpenMode == NewMode;
}

void TFormBuySell::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    ++showing;
    FormShow();
}

void TFormBuySell::CloseLater() {
    const int shown = showing;
    QTimer::singleShot(0, this, [this, shown] {
        if (isVisible() && shown == showing)
            QDialog::reject();
    });
}

void TFormBuySell::SetUnlocked(bool unlocked) {
    for (QWidget* w :
         {static_cast<QWidget*>(Button1), static_cast<QWidget*>(Button2), static_cast<QWidget*>(Button3),
          static_cast<QWidget*>(BitBtn1), static_cast<QWidget*>(BitBtn3)})
        w->setVisible(unlocked);
}

void TFormBuySell::FormShow() {
    QString picture;
    if (OpenKind == SaleKind)
        picture = IsNewMode() ? QStringLiteral("NewSell.bmp") : QStringLiteral("EditSell.bmp");
    else if (OpenKind == PurchaseKind)
        picture = IsNewMode() ? QStringLiteral("NewBuy.bmp") : QStringLiteral("EditBuy.bmp");
    Image1->setPixmap(picture.isEmpty() ? QPixmap()
                                        : QPixmap(ProgramFolder + QStringLiteral("Res/") + picture));
    for (QAbstractButton* button :
         std::initializer_list<QAbstractButton*>{SpeedButton4, SpeedButton1, BitBtn1, BitBtn3, BitBtn2}) {
        const QString file = button->property("picture").toString();
        button->setIcon(QPixmap(ProgramFolder + QStringLiteral("Res/") + file));
    }

    Query& scratch = ShareDataModule->ADOQueryTemp;
    LoadPickListCombo(ComboBox2, scratch, 1, false);
    LoadPickListCombo(ComboBox3, scratch, 4, false);
    LoadCombo(ComboBox5, scratch,
              QStringLiteral("Select * From Customer Where (CustomerIndex > 1)") + CustomerFilter, false,
              QStringLiteral("CustomerName"));
    ComboBox5->setEnabled(!CustomerFixed);
    ClearGrid();
    LoadedBill = RowImage();
    LoadedVouchers = RowsImage();
    shown.Forget();

    loadedCustomer.clear();
    if (IsNewMode())
        ShowNew();
    else
        ShowExisting();
    shown.Take({DateTimePicker1, Edit1, ComboBox5, Edit2, ComboBox2, ComboBox3, Edit3});
    // The customer is the first thing to fill; a fixed customer leaves the amount.
    if (ComboBox5->isEnabled())
        ComboBox5->setFocus();
    else
        Edit2->setFocus();
}

bool TFormBuySell::HasChanges() const {
    if (BitBtn1->isHidden()) // locked: nothing can be stored
        return false;
    return shown.Changed() || (IsNewMode() && OpenBillIndex > 1);
}

void TFormBuySell::ShowExisting() {
    SetUnlocked(false);
    SpeedButton4->show();
    SpeedButton1->show();
    for (QLineEdit* edit : {Edit1, Edit2, Edit3, Edit4})
        edit->clear();
    Query& query = ShareDataModule->ADOQueryTemp;
    OpenSql(query, BillByIndexSql(OpenBillIndex), QStringLiteral("数据读入失败"));
    if (OpenBillIndex <= 1 || !query.Active() || query.RecordCount() == 0) {
        Prompts::Get().Information(QStringLiteral("找不到要修改的记录"));
        CloseLater();
        return;
    }
    LoadedBill = ImageOfRow(query, QStringLiteral("Bill"));
    const QString user = query.FieldByName(QStringLiteral("BillUser")).AsString();
    loadedCustomer = user;
    Query& customer = ShareDataModule->ADOQueryTemp2;
    OpenSql(customer, QStringLiteral("Select * From Customer Where CustomerName = ") + SqlText(user),
            QStringLiteral("数据库打开失败"));
    OpenCustomerIndex = customer.Active() && customer.RecordCount() > 0
                            ? customer.FieldByName(QStringLiteral("CustomerIndex")).AsInteger()
                            : 0;
    DateTimePicker1->setDate(query.FieldByName(QStringLiteral("BillCreateTime")).AsDate());
    Edit1->setText(query.FieldByName(QStringLiteral("BillSerial")).AsString());
    SelectStoredComboText(ComboBox2, query.FieldByName(QStringLiteral("BillReason")).AsString());
    SelectStoredComboText(ComboBox3, query.FieldByName(QStringLiteral("BillState")).AsString());
    ComboBox5->setEditText(user);
    Edit2->setText(RoundAmountText(std::fabs(query.FieldByName(QStringLiteral("BillSum")).AsFloat())));
    Edit3->setText(query.FieldByName(QStringLiteral("BillRemark")).AsString());
    Edit4->setText(query.FieldByName(QStringLiteral("BillMan")).AsString());
    RefreshVoucherList();
}

void TFormBuySell::ShowNew() {
    OpenBillIndex = 1;
    DateTimePicker1->setDate(Workspace::Get().WorkingDate());
    ComboBox5->setEditText(QString());
    Edit1->clear();
    Edit2->clear();
    Edit3->clear();
    Edit4->setText(CurrentUser);
    SetUnlocked(true);
    BitBtn3->hide();
    SpeedButton4->hide();
    SpeedButton1->hide();
    Query& query = ShareDataModule->ADOQueryTemp;
    OpenSql(query, SettingSql(BillSerialSettingRow(OpenKind)), QStringLiteral("数据库打开失败"));
    if (query.Active() && query.RecordCount() > 0)
        Edit1->setText(NextSerial(query.FieldByName(QStringLiteral("SettingValue")).AsString()));
    proposedSerial = Edit1->text();
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
    RefreshVoucherList();
}

void TFormBuySell::ClearGrid() {
    GridQuery.Close();
    DBGridEh1->setRowCount(0);
    DBGridEh1Footer->clearContents();
}

void TFormBuySell::RefreshVoucherList() {
    ClearGrid();
    // The image is taken first: a voucher changed before the grid shows it is then a change too.
    LoadedVouchers =
        OpenBillIndex > 1 ? TakeVouchersImage(ShareDataModule->ADOConnection1, OpenBillIndex) : RowsImage();
    GridQuery.SetConnection(&ShareDataModule->ADOConnection1);
    if (!OpenSql(GridQuery, VoucherListSql(OpenBillIndex), QStringLiteral("数据库打开失败")))
        return;
    const int rows = GridQuery.RecordCount();
    DBGridEh1->setRowCount(rows);
    double in = 0, out = 0, sum = 0;
    int row = 0;
    for (GridQuery.First(); !GridQuery.Eof(); GridQuery.Next(), ++row) {
        const qint64 index = GridQuery.FieldByName(QStringLiteral("MoneyIndex")).AsInteger();
        const double moneyIn = GridQuery.FieldByName(QStringLiteral("MoneyIn")).AsFloat();
        const double moneyOut = GridQuery.FieldByName(QStringLiteral("MoneyOut")).AsFloat();
        const double moneySum = GridQuery.FieldByName(QStringLiteral("MoneySum")).AsFloat();
        in += moneyIn;
        out += moneyOut;
        sum += moneySum;
        const QString texts[gridColumnCount] = {
            GridQuery.FieldByName(QStringLiteral("MoneyCreateTime"))
                .AsDate()
                .toString(QStringLiteral("yyyy-MM-dd")),
            GridQuery.FieldByName(QStringLiteral("MoneySerial")).AsString(),
            GridQuery.FieldByName(QStringLiteral("AccountName")).AsString(),
            RoundAmountText(moneyIn),
            RoundAmountText(moneyOut),
            RoundAmountText(moneySum),
        };
        for (int column = 0; column < gridColumnCount; ++column)
            DBGridEh1->setItem(row, column, CentredItem(texts[column]));
        DBGridEh1->item(row, 0)->setData(Qt::UserRole, index);
        DBGridEh1->item(row, 0)->setData(Qt::UserRole + 1, moneySum);
    }
    if (rows > 0) {
        const QString footer[gridColumnCount] = {QString::number(rows) + QStringLiteral("条"),
                                                 QString(),
                                                 QString(),
                                                 RoundAmountText(in),
                                                 RoundAmountText(out),
                                                 RoundAmountText(sum)};
        for (int column = 0; column < gridColumnCount; ++column) {
            QTableWidgetItem* item = CentredItem(footer[column]);
            item->setForeground(Qt::blue);
            DBGridEh1Footer->setItem(0, column, item);
        }
        DBGridEh1->selectRow(0);
    }
}

qint64 TFormBuySell::SelectedMoneyIndex() const {
    const int row = DBGridEh1->currentRow();
    if (row < 0 || !DBGridEh1->item(row, 0))
        return 0;
    return DBGridEh1->item(row, 0)->data(Qt::UserRole).toLongLong();
}

BillFields TFormBuySell::CurrentFields() const {
    BillFields fields;
    fields.Kind = OpenKind;
    fields.CreateTime = DateTimePicker1->date();
    fields.Serial = Edit1->text();
    fields.ProposedSerial = IsNewMode() ? proposedSerial : QString();
    fields.User = ComboBox5->currentText();
    fields.Sum = SignedBillSum(OpenKind, DocumentAmountOf(Edit2->text()));
    fields.Reason = ComboBox2->currentText();
    fields.State = ComboBox3->currentText();
    fields.Remark = Edit3->text();
    fields.Man = CurrentUser;
    return fields;
}

QString TFormBuySell::ChosenCustomer() {
    const QString customer = CustomerToStore(ShareDataModule->ADOConnection1, ComboBox5->currentText(),
                                             CustomerFilter, loadedCustomer);
    if (!customer.isEmpty())
        ComboBox5->setEditText(customer);
    return customer;
}

bool TFormBuySell::Refuse(const QString& message, const QString& focus) {
    Prompts::Get().Information(message);
    if (QWidget* widget = focus.isEmpty() ? nullptr : findChild<QWidget*>(focus))
        widget->setFocus();
    return false;
}

qint64 TFormBuySell::Store(qint64 billIndex, bool writeKind, bool rememberSerial, QString* note) {
    const QString typed = Edit1->text();
    QString serial;
    const qint64 stored = StoreBill(ShareDataModule->ADOConnection1, billIndex, CurrentFields(), writeKind,
                                    rememberSerial, &serial, LoadedBill, LoadedVouchers);
    if (stored != 0)
        Edit1->setText(serial);
    if (note)
        *note = SerialTakenNote(typed, Edit1->text());
    return stored;
}

void TFormBuySell::BitBtn1Click() {
    if (BitBtn1->isHidden()) // locked until the edit password is given
        return;
    const FieldCheck check = CheckDocument(Edit1->text(), ChosenCustomer(), ComboBox5->isEnabled(),
                                           ComboBox2->currentText(), ComboBox3->currentText(), Edit2->text());
    if (!check.Passed()) {
        Refuse(check.Message, check.Focus);
        return;
    }
    try {
        if (!IsNewMode()) {
            if (OpenBillIndex <= 1 || Store(OpenBillIndex, false, false, nullptr) == 0) {
                Prompts::Get().Information(QStringLiteral("找不到要修改的记录"));
                return;
            }
            Prompts::Get().Information(QStringLiteral("记录修改成功"));
            accept();
            return;
        }
    } catch (const StaleRecordError& error) {
        ShowStaleRecord(error);
        return;
    }
    QString note;
    qint64 stored = 0;
    try {
        stored = Store(OpenBillIndex, true, true, &note);
    } catch (const StaleRecordError& error) {
        ShowStaleRecord(error);
        return;
    }
    if (stored == 0) {
        Prompts::Get().Information(QStringLiteral("找不到要修改的记录"));
        return;
    }
    OpenBillIndex = stored;
    Prompts::Get().Information(QStringLiteral("单据新增成功") + note);
    accept();
}

void TFormBuySell::BitBtn2Click() {
    reject();
}

void TFormBuySell::reject() {
    if (!MayCloseWithoutSaving(this, HasChanges(), [this] { BitBtn1Click(); }))
        return;
    if (IsNewMode() && OpenBillIndex > 1) {
        try {
            Query& query = ShareDataModule->ADOQueryTemp;
            OpenSql(query, BillByIndexSql(OpenBillIndex), QStringLiteral("数据库打开失败"));
            if (query.Active() && query.RecordCount() > 0)
                DeleteBillWithVouchers(ShareDataModule->ADOConnection1, OpenBillIndex);
            OpenBillIndex = 1;
        } catch (const KestrelError& error) {
            Prompts::Get().Error(QStringLiteral("未保存的单据无法撤销，单据和它的财务单据仍然保留。\n\n") +
                                 error.Message());
        }
    }
    QDialog::reject();
}

void TFormBuySell::BitBtn3Click() {
    if (BitBtn3->isHidden())
        return;
    // The reserved row 1 is never deleted: key 0 names no row.
    if (OpenBillIndex <= 1 || !LoadedBill.Taken()) {
        Prompts::Get().Information(QStringLiteral("找不到要删除的记录"));
        return;
    }
    if (DeleteLoadedAfterAsking(LoadedBill, LoadedVouchers))
        accept();
}

void TFormBuySell::Button1Click() {
    if (Button1->isHidden()) // locked until the edit password is given
        return;
    if (OpenBillIndex == 1) {
        const FieldCheck check = CheckEarlyDocument(Edit1->text(), Edit2->text());
        if (!check.Passed()) {
            Refuse(check.Message, check.Focus);
            return;
        }
        // The box may still be empty here; a text in it must name a customer.
        if (!ComboBox5->currentText().isEmpty() && ChosenCustomer().isEmpty()) {
            Refuse(QStringLiteral("请选择客户名称"),
                   ComboBox5->isEnabled() ? QStringLiteral("ComboBox5") : QString());
            return;
        }
        OpenBillIndex = Store(1, true, true, nullptr);
        // From now on the stored document is what this editor loaded.
        LoadedBill = TakeRowImage(ShareDataModule->ADOConnection1, QStringLiteral("Bill"), OpenBillIndex);
        LoadedVouchers = TakeVouchersImage(ShareDataModule->ADOConnection1, OpenBillIndex);
    }
    FormGetPay->OpenMode = NewMode;
    if (OpenKind == SaleKind)
        FormGetPay->OpenKind = ReceiptKind;
    else if (OpenKind == PurchaseKind)
        FormGetPay->OpenKind = PaymentKind;
    FormGetPay->OpenBillIndex = OpenBillIndex;
    FormGetPay->OpenCustomerIndex = OpenCustomerIndex;
    FormGetPay->CustomerFixed = CustomerFixed;
    FormGetPay->PresetCustomerName = ComboBox5->currentText();
    FormGetPay->PresetReason = ComboBox2->currentText();
    FormGetPay->PresetAmount.clear();
    FormGetPay->PresetRemark = OpenKind + QStringLiteral("：") + Edit1->text();
    if (Prompts::Get().ShowModal(FormGetPay) == QDialog::Accepted)
        RefreshVoucherList();
}

void TFormBuySell::Button2Click() {
    if (Button2->isHidden() || !GridQuery.Active())
        return;
    const qint64 index = SelectedMoneyIndex();
    if (index == 0)
        return;
    const double moneySum = DBGridEh1->item(DBGridEh1->currentRow(), 0)->data(Qt::UserRole + 1).toDouble();
    FormGetPay->OpenMode = EditMode;
    FormGetPay->OpenKind = VoucherKindOf(moneySum);
    FormGetPay->OpenMoneyIndex = index;
    FormGetPay->OpenBillIndex = OpenBillIndex;
    FormGetPay->OpenCustomerIndex = OpenCustomerIndex;
    FormGetPay->CustomerFixed = CustomerFixed;
    if (Prompts::Get().ShowModal(FormGetPay) == QDialog::Accepted)
        RefreshVoucherList();
}

void TFormBuySell::DBGridEh1DblClick() {
    Button2Click();
}

void TFormBuySell::Button3Click() {
    // Only reachable while the voucher buttons are shown: in new mode or after unlocking.
    if (Button3->isHidden() || !GridQuery.Active())
        return;
    const qint64 index = SelectedMoneyIndex();
    if (index == 0)
        return;
    // The voucher as the grid loaded it; deleting is refused when another workstation changed it.
    const RowImage* loaded = LoadedVouchers.Find(index);
    const RowImage voucher =
        loaded ? *loaded : TakeRowImage(ShareDataModule->ADOConnection1, QStringLiteral("MoneyTable"), index);
    if (DeleteLoadedAfterAsking(voucher))
        RefreshVoucherList();
}

void TFormBuySell::ActionEditExecute() {
    if (!ShareDataModule->AskEditPassword())
        return;
    DataChanged = true;
    SetUnlocked(true);
}
