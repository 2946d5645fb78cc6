#include "CustomerForm3.h"

#include "customers/CustomerRules.h"
#include "foundation/ShareDM.h"
#include "kit/DateTabStop.h"
#include "kit/EnterAction.h"
#include "kit/ErrorHandler.h"
#include "kit/FieldLabel.h"
#include "kit/Workspace.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

QString SearchClause;
TFormCustomer3* FormCustomer3 = nullptr;

namespace {
QDateEdit* NewDatePicker(QWidget* parent, const char* name) {
    auto* picker = new QDateEdit(parent);
    picker->setObjectName(QString::fromLatin1(name));
    picker->setCalendarPopup(true);
    picker->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    picker->setEnabled(false);
    return picker;
}
} // namespace

TFormCustomer3::TFormCustomer3(QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("FormCustomer3"));
    setWindowTitle(QStringLiteral("客户信息搜索"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::MSWindowsFixedSizeDialogHint);

    QLineEdit** edits[] = {&Edit1, &Edit2, &Edit3, &Edit4, &Edit5, &Edit6, &Edit7, &Edit8, &Edit9};
    const char* captions[] = {"客户名称：", "联 系 人：", "手机号码：", "电话号码：", "传真号码：",
                              "电子邮箱：", "客户主页：", "联系地址：", "备注信息："};
    auto* grid = new QGridLayout;
    grid->setVerticalSpacing(8);
    for (int i = 0; i < 9; ++i) {
        *edits[i] = new QLineEdit(this);
        (*edits[i])->setObjectName(QStringLiteral("Edit%1").arg(i + 1));
        grid->addWidget(NewFieldLabel(QString::fromUtf8(captions[i]), *edits[i], this), i, 0);
        grid->addWidget(*edits[i], i, 1, 1, 3);
    }
    CheckBox1 = new QCheckBox(QStringLiteral("搜有业务的客户"), this);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    DateTimePicker1 = NewDatePicker(this, "DateTimePicker1");
    DateTimePicker2 = NewDatePicker(this, "DateTimePicker2");
    grid->addWidget(NewFieldLabel(QStringLiteral("业务时段："), CheckBox1, this), 9, 0);
    grid->addWidget(CheckBox1, 9, 1, 1, 3);
    grid->addWidget(NewFieldLabel(QStringLiteral("开始日期："), DateTimePicker1, this), 10, 0);
    grid->addWidget(DateTimePicker1, 10, 1);
    grid->addWidget(NewFieldLabel(QStringLiteral("结束日期："), DateTimePicker2, this), 10, 2);
    grid->addWidget(DateTimePicker2, 10, 3);

    SpeedButton1 = new QToolButton(this);
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    SpeedButton1->setText(QStringLiteral("确定"));
    SpeedButton2 = new QToolButton(this);
    SpeedButton2->setObjectName(QStringLiteral("SpeedButton2"));
    SpeedButton2->setText(QStringLiteral("取消"));
    for (QToolButton* button : {SpeedButton1, SpeedButton2})
        button->setFixedSize(90, 30);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(SpeedButton1);
    buttons->addWidget(SpeedButton2);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 20, 20, 16);
    layout->addLayout(grid);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    setFixedWidth(420);

    MakeDateEditsOneTabStop(this);
    // Any change of the box (mouse, Space, an assistive tool's toggle) enables the dates with it.
    connect(CheckBox1, &QCheckBox::toggled, this, Guarded(this, &TFormCustomer3::CheckBox1Click));
    RunOnEnter(this, [this] { ActionYesExecute(); });
    connect(SpeedButton1, &QToolButton::clicked, this, Guarded(this, &TFormCustomer3::ActionYesExecute));
    connect(SpeedButton2, &QToolButton::clicked, this, Guarded(this, &TFormCustomer3::ActionCancelExecute));
}

void TFormCustomer3::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TFormCustomer3::FormShow() {
    const QDate working = Workspace::Get().WorkingDate();
    const QDate first(working.year(), working.month(), 1);
    DateTimePicker1->setDate(first);
    DateTimePicker2->setDate(first.addMonths(1).addDays(-1));
}

void TFormCustomer3::CheckBox1Click() {
    DateTimePicker1->setEnabled(CheckBox1->isChecked());
    DateTimePicker2->setEnabled(CheckBox1->isChecked());
}

void TFormCustomer3::ActionYesExecute() {
    const QStringList texts = {Edit1->text(), Edit2->text(), Edit3->text(), Edit4->text(), Edit5->text(),
                               Edit6->text(), Edit7->text(), Edit8->text(), Edit9->text()};
    SearchClause =
        BuildSearchClause(texts, CheckBox1->isChecked(), DateTimePicker1->date(), DateTimePicker2->date());
    accept();
}

void TFormCustomer3::ActionCancelExecute() {
    reject();
}
