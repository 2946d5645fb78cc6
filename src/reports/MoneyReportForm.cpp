#include "MoneyReportForm.h"

#include "foundation/ShareDM.h"
#include "kit/DateTabStop.h"
#include "kit/EnterAction.h"
#include "kit/ErrorHandler.h"
#include "kit/FieldLabel.h"
#include "kit/Prompts.h"
#include "kit/Workspace.h"
#include "reports/CriteriaWidgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

TFormMoneyReport* FormMoneyReport = nullptr;

TFormMoneyReport::TFormMoneyReport(QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("FormMoneyReport"));
    setWindowTitle(QStringLiteral("查找财务单据"));
    setModal(true);

    Image1 = MakeBanner(this);
    ComboBox5 = MakeCombo(this, "ComboBox5", false);
    CheckBox1 = new QCheckBox(QStringLiteral("时间范围"), this);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    DateTimePicker1 = MakeDatePicker(this, "DateTimePicker1");
    DateTimePicker1->setAccessibleName(CheckBox1->text()); // the range's first field, named by its box
    DateTimePicker2 = MakeDatePicker(this, "DateTimePicker2");
    CheckBox2 = new QCheckBox(QStringLiteral("金额范围"), this);
    CheckBox2->setObjectName(QStringLiteral("CheckBox2"));
    Edit2 = MakeEdit(this, "Edit2");
    Edit2->setAccessibleName(CheckBox2->text());
    Edit4 = MakeEdit(this, "Edit4");
    Edit5 = MakeEdit(this, "Edit5");
    ComboBox1 = MakeCombo(this, "ComboBox1", false);
    ComboBox6 = MakeCombo(this, "ComboBox6", true);
    ComboBox2 = MakeCombo(this, "ComboBox2", false);
    ComboBox3 = MakeCombo(this, "ComboBox3", false);
    ComboBox4 = MakeCombo(this, "ComboBox4", false);
    Edit3 = MakeEdit(this, "Edit3");
    Edit6 = MakeEdit(this, "Edit6");

    auto* criteria = new QGridLayout;
    criteria->setHorizontalSpacing(8);
    int row = 0;
    auto addRow = [&](const QString& label, QWidget* field) {
        criteria->addWidget(NewFieldLabel(label, field, this), row, 0);
        criteria->addWidget(field, row, 1, 1, 3);
        ++row;
    };
    auto addRange = [&](QWidget* check, QWidget* from, QWidget* to) {
        criteria->addWidget(check, row, 0);
        criteria->addWidget(from, row, 1);
        criteria->addWidget(NewFieldLabel(QStringLiteral("到"), to, this), row, 2);
        criteria->addWidget(to, row, 3);
        ++row;
    };
    addRow(QStringLiteral("单据类型"), ComboBox5);
    addRange(CheckBox1, DateTimePicker1, DateTimePicker2);
    addRange(CheckBox2, Edit2, Edit4);
    addRow(QStringLiteral("单据编号"), Edit5);
    addRow(QStringLiteral("帐户名称"), ComboBox1);
    addRow(QStringLiteral("客户名称"), ComboBox6);
    addRow(QStringLiteral("项目"), ComboBox2);
    addRow(QStringLiteral("款项类别"), ComboBox3);
    addRow(QStringLiteral("款项凭证"), ComboBox4);
    addRow(QStringLiteral("备注"), Edit3);
    addRow(QStringLiteral("业务员"), Edit6);

    auto* quick = new QGroupBox(QStringLiteral("快速查询"), this);
    quick->setObjectName(QStringLiteral("GroupBox1"));
    Button1 = new QPushButton(QStringLiteral("当月财务单据"), quick);
    Button1->setObjectName(QStringLiteral("Button1"));
    auto* quickLayout = new QHBoxLayout(quick);
    quickLayout->addWidget(Button1);
    quickLayout->addStretch();

    BitBtn1 =
        new QPushButton(QIcon(ProgramFolder + QStringLiteral("Res/Ok.bmp")), QStringLiteral("确定"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn2 = new QPushButton(QIcon(ProgramFolder + QStringLiteral("Res/Cancel.bmp")), QStringLiteral("取消"),
                              this);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BitBtn1);
    buttons->addWidget(BitBtn2);

    auto* body = new QVBoxLayout;
    body->setContentsMargins(16, 8, 16, 12);
    body->addLayout(criteria);
    body->addWidget(quick);
    body->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Image1);
    layout->addLayout(body);
    setFixedSize(420, 520);

    MakeDateEditsOneTabStop(this);
    // Enter runs the criteria; the quick query only when its button is chosen.
    for (QPushButton* button : {Button1, BitBtn1, BitBtn2})
        button->setAutoDefault(false);
    RunOnEnter(this, [this] { BitBtn1Click(); });
    connect(BitBtn1, &QPushButton::clicked, this, Guarded(this, &TFormMoneyReport::BitBtn1Click));
    connect(BitBtn2, &QPushButton::clicked, this, Guarded(this, &TFormMoneyReport::BitBtn2Click));
    connect(Button1, &QPushButton::clicked, this, Guarded(this, &TFormMoneyReport::Button1Click));
    connect(CheckBox1, &QCheckBox::toggled, this, Guarded(this, &TFormMoneyReport::CheckBox1Click));
    connect(CheckBox2, &QCheckBox::toggled, this, Guarded(this, &TFormMoneyReport::CheckBox2Click));
    connect(ComboBox5, &QComboBox::currentIndexChanged, this,
            Guarded(this, &TFormMoneyReport::ComboBox5Change));
}

void TFormMoneyReport::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TFormMoneyReport::FormShow() {
    if (parentWidget())
        move(parentWidget()->geometry().center() - rect().center());
    ResetCommonCriteria(
        {Edit2, Edit4, Edit3, Edit5, Edit6, DateTimePicker1, DateTimePicker2, CheckBox1, CheckBox2},
        Workspace::Get().WorkingDate());
    Query& temp = ShareDataModule->ADOQueryTemp;
    LoadCombo(ComboBox1, temp, QStringLiteral("Select * From Account Where AccountIndex > 1") + AccountFilter,
              true, QStringLiteral("AccountName"));
    LoadPickListCombo(ComboBox2, temp, 1, true);
    LoadPickListCombo(ComboBox3, temp, 2, true);
    LoadPickListCombo(ComboBox4, temp, 3, true);
    LoadCombo(ComboBox6, temp,
              QStringLiteral("Select * From Customer Where (CustomerIndex > 1)") + CustomerFilter, true,
              QStringLiteral("CustomerName"));
    ComboBox5->clear();
    ComboBox5->addItems({AllEntry, QStringLiteral("财务收入单"), QStringLiteral("财务支出单")});
    ComboBox5->setCurrentIndex(0);
    ComboBox5->setFocus();
}

MoneyCriteria TFormMoneyReport::Criteria() const {
    MoneyCriteria c;
    c.Kind = ComboBox5->currentText();
    c.DateRange = CheckBox1->isChecked();
    c.From = DateTimePicker1->date();
    c.To = DateTimePicker2->date();
    c.AmountRange = CheckBox2->isChecked();
    c.AmountFrom = Edit2->text();
    c.AmountTo = Edit4->text();
    c.Account = ComboBox1->currentText();
    c.Reason = ComboBox2->currentText();
    c.Type = ComboBox3->currentText();
    c.Token = ComboBox4->currentText();
    c.Customer = ComboBox6->currentText();
    c.Remark = Edit3->text();
    c.Serial = Edit5->text();
    c.Man = Edit6->text();
    return c;
}

void TFormMoneyReport::BitBtn1Click() {
    if (!AmountBoxesAccepted(Edit2, Edit4))
        return;
    Workspace::Get().FillMoneyReport(MoneyQueryText(Criteria(), MoneyFilter));
    Workspace::Get().ShowPage(Workspace::PageMoneyReport);
    accept();
}

void TFormMoneyReport::BitBtn2Click() {
    reject();
}

void TFormMoneyReport::Button1Click() {
    Workspace::Get().FillMoneyReport(MoneyMonthQueryText(Workspace::Get().WorkingDate()));
    Workspace::Get().ShowPage(Workspace::PageMoneyReport);
    accept();
}

void TFormMoneyReport::CheckBox1Click() {
    DateTimePicker1->setEnabled(CheckBox1->isChecked());
    DateTimePicker2->setEnabled(CheckBox1->isChecked());
}

void TFormMoneyReport::CheckBox2Click() {
    AmountRangeClicked(ComboBox5, CheckBox2, Edit2, Edit4);
}

void TFormMoneyReport::ComboBox5Change() {
    AmountKindChanged(ComboBox5, Edit2, Edit4);
}
