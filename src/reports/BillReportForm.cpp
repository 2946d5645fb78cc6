#include "BillReportForm.h"

#include "foundation/ShareDM.h"
#include "kit/DateTabStop.h"
#include "kit/EnterAction.h"
#include "kit/ErrorHandler.h"
#include "kit/FieldLabel.h"
#include "kit/Prompts.h"
#include "kit/Workspace.h"
#include "reports/CriteriaWidgets.h"

#include <QAction>
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
#include <QToolButton>
#include <QVBoxLayout>

TFormBillReport* FormBillReport = nullptr;

TFormBillReport::TFormBillReport(QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("FormBillReport"));
    setWindowTitle(QStringLiteral("查找业务单据"));
    setModal(true);

    Image1 = MakeBanner(this);
    ComboBox5 = MakeCombo(this, "ComboBox5", false);
    CheckBox1 = new QCheckBox(QStringLiteral("时间范围"), this);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    DateTimePicker1 = MakeDatePicker(this, "DateTimePicker1");
    DateTimePicker1->setAccessibleName(CheckBox1->text()); // the range's first field, named by its box
    DateTimePicker2 = MakeDatePicker(this, "DateTimePicker2");
    Edit6 = MakeEdit(this, "Edit6");
    CheckBox2 = new QCheckBox(QStringLiteral("金额范围"), this);
    CheckBox2->setObjectName(QStringLiteral("CheckBox2"));
    Edit2 = MakeEdit(this, "Edit2");
    Edit2->setAccessibleName(CheckBox2->text());
    Edit4 = MakeEdit(this, "Edit4");
    Edit5 = MakeEdit(this, "Edit5");
    ComboBox6 = MakeCombo(this, "ComboBox6", true);
    ComboBox2 = MakeCombo(this, "ComboBox2", false);
    ComboBox3 = MakeCombo(this, "ComboBox3", false);
    Edit3 = MakeEdit(this, "Edit3");

    auto* criteria = new QGridLayout;
    criteria->setHorizontalSpacing(8);
    int row = 0;
    auto addRow = [&](const QString& label, QWidget* field) {
        criteria->addWidget(NewFieldLabel(label, field, this), row, 0);
        criteria->addWidget(field, row, 1, 1, 3);
        ++row;
    };
    addRow(QStringLiteral("单据类型"), ComboBox5);
    criteria->addWidget(CheckBox1, row, 0);
    criteria->addWidget(DateTimePicker1, row, 1);
    criteria->addWidget(NewFieldLabel(QStringLiteral("到"), DateTimePicker2, this), row, 2);
    criteria->addWidget(DateTimePicker2, row, 3);
    ++row;
    addRow(QStringLiteral("业务员"), Edit6);
    criteria->addWidget(CheckBox2, row, 0);
    criteria->addWidget(Edit2, row, 1);
    criteria->addWidget(NewFieldLabel(QStringLiteral("到"), Edit4, this), row, 2);
    criteria->addWidget(Edit4, row, 3);
    ++row;
    addRow(QStringLiteral("单据编号"), Edit5);
    addRow(QStringLiteral("客户名称"), ComboBox6);
    addRow(QStringLiteral("业务种类"), ComboBox2);
    addRow(QStringLiteral("业务进度"), ComboBox3);
    addRow(QStringLiteral("备注信息"), Edit3);

    auto* quick = new QGroupBox(QStringLiteral("快速查询"), this);
    quick->setObjectName(QStringLiteral("GroupBox1"));
    Button1 = new QPushButton(QStringLiteral("当月业务单据"), quick);
    Button1->setObjectName(QStringLiteral("Button1"));
    auto* quickLayout = new QHBoxLayout(quick);
    quickLayout->addWidget(Button1);
    quickLayout->addStretch();

    ActionYes =
        new QAction(QIcon(ProgramFolder + QStringLiteral("Res/Ok.bmp")), QStringLiteral("确定"), this);
    ActionYes->setObjectName(QStringLiteral("ActionYes"));
    ActionCancel =
        new QAction(QIcon(ProgramFolder + QStringLiteral("Res/Cancel.bmp")), QStringLiteral("取消"), this);
    ActionCancel->setObjectName(QStringLiteral("ActionCancel"));
    SpeedButton1 = new QToolButton(this);
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    SpeedButton1->setDefaultAction(ActionYes);
    SpeedButton2 = new QToolButton(this);
    SpeedButton2->setObjectName(QStringLiteral("SpeedButton2"));
    SpeedButton2->setDefaultAction(ActionCancel);
    for (QToolButton* button : {SpeedButton1, SpeedButton2}) {
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        button->setMinimumWidth(80);
    }
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(SpeedButton1);
    buttons->addWidget(SpeedButton2);

    auto* body = new QVBoxLayout;
    body->setContentsMargins(16, 8, 16, 12);
    body->addLayout(criteria);
    body->addWidget(quick);
    body->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Image1);
    layout->addLayout(body);
    setFixedSize(420, 440);

    MakeDateEditsOneTabStop(this);
    // Enter runs the criteria; the quick query only when its button is chosen.
    Button1->setAutoDefault(false);
    RunOnEnter(this, [this] { ActionYes->trigger(); });
    connect(ActionYes, &QAction::triggered, this, Guarded(this, &TFormBillReport::ActionYesExecute));
    connect(ActionCancel, &QAction::triggered, this, Guarded(this, &TFormBillReport::ActionCancelExecute));
    connect(Button1, &QPushButton::clicked, this, Guarded(this, &TFormBillReport::Button1Click));
    connect(CheckBox1, &QCheckBox::toggled, this, Guarded(this, &TFormBillReport::CheckBox1Click));
    connect(CheckBox2, &QCheckBox::toggled, this, Guarded(this, &TFormBillReport::CheckBox2Click));
    connect(ComboBox5, &QComboBox::currentIndexChanged, this,
            Guarded(this, &TFormBillReport::ComboBox5Change));
}

void TFormBillReport::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TFormBillReport::FormShow() {
    if (parentWidget())
        move(parentWidget()->geometry().center() - rect().center());
    ResetCommonCriteria(
        {Edit2, Edit4, Edit3, Edit5, Edit6, DateTimePicker1, DateTimePicker2, CheckBox1, CheckBox2},
        Workspace::Get().WorkingDate());
    Query& temp = ShareDataModule->ADOQueryTemp;
    LoadPickListCombo(ComboBox2, temp, 1, true);
    LoadPickListCombo(ComboBox3, temp, 4, true);
    LoadCombo(ComboBox6, temp,
              QStringLiteral("Select * From Customer Where (CustomerIndex > 1)") + CustomerFilter, true,
              QStringLiteral("CustomerName"));
    ComboBox5->clear();
    ComboBox5->addItems({AllEntry, QStringLiteral("销售开单"), QStringLiteral("采购开单")});
    ComboBox5->setCurrentIndex(0);
    ComboBox5->setFocus();
}

BillCriteria TFormBillReport::Criteria() const {
    BillCriteria c;
    c.Kind = ComboBox5->currentText();
    c.DateRange = CheckBox1->isChecked();
    c.From = DateTimePicker1->date();
    c.To = DateTimePicker2->date();
    c.AmountRange = CheckBox2->isChecked();
    c.AmountFrom = Edit2->text();
    c.AmountTo = Edit4->text();
    c.Reason = ComboBox2->currentText();
    c.State = ComboBox3->currentText();
    c.Customer = ComboBox6->currentText();
    c.Remark = Edit3->text();
    c.Serial = Edit5->text();
    c.Man = Edit6->text();
    return c;
}

void TFormBillReport::ActionYesExecute() {
    if (!AmountBoxesAccepted(Edit2, Edit4))
        return;
    Workspace::Get().FillBillReport(BillQueryText(Criteria(), BillFilter));
    Workspace::Get().ShowPage(Workspace::PageBillReport);
    accept();
}

void TFormBillReport::ActionCancelExecute() {
    reject();
}

void TFormBillReport::Button1Click() {
    Workspace::Get().FillBillReport(BillMonthQueryText(Workspace::Get().WorkingDate()));
    Workspace::Get().ShowPage(Workspace::PageBillReport);
    accept();
}

void TFormBillReport::CheckBox1Click() {
    DateTimePicker1->setEnabled(CheckBox1->isChecked());
    DateTimePicker2->setEnabled(CheckBox1->isChecked());
}

void TFormBillReport::CheckBox2Click() {
    AmountRangeClicked(ComboBox5, CheckBox2, Edit2, Edit4);
}

void TFormBillReport::ComboBox5Change() {
    AmountKindChanged(ComboBox5, Edit2, Edit4);
}
