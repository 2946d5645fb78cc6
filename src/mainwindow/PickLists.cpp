#include "AutoBackups.h"
#include "MainForm.h"
#include "PickListRules.h"
#include "RoleViews.h"
#include "foundation/JetSql.h"
#include "foundation/ShareDM.h"
#include "kit/ErrorHandler.h"
#include "kit/FieldLabel.h"
#include "kit/Prompts.h"
#include "signin/AskForm.h"

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QToolButton>

// The settings page: role and data-modification passwords, the four pick lists, the print
// direction and the template designer.

namespace {
const QString AskCaption = QStringLiteral("参数设置");
const QString PowerLookupFailed = QStringLiteral("数据库打开失败");

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& text, const QRect& place) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(place);
    return button;
}

QString PowerSql(const QString& name) {
    return QStringLiteral("Select * From Power Where PowerName = ") + SqlText(name);
}

// Shows the plain-text prompt; true on OK, with the entry in FormAsk->AskText.
bool AskPickValue(const QString& prompt, const QString& text) {
    FormAsk->AskTitle = AskCaption;
    FormAsk->AskPrompt = prompt;
    FormAsk->AskText = text;
    FormAsk->SetPasswordChar(QChar());
    return Prompts::Get().ShowModal(FormAsk) == QDialog::Accepted;
}

bool HasRows(const Query& query) {
    return query.Active() && query.RecordCount() > 0;
}
} // namespace

void TFormMain::BuildSettingsPage() {
    QWidget* page = TabSheet5;

    GroupBox2 = new QGroupBox(QStringLiteral("用户权限管理"), page);
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    GroupBox2->setGeometry(8, 8, 200, 112);
    ComboBox1 = new QComboBox(GroupBox2);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->addItems({QStringLiteral("管理员"), QStringLiteral("财务主管"), QStringLiteral("财务总监"),
                         QStringLiteral("总经理")});
    ComboBox1->setCurrentIndex(0);
    ComboBox1->setGeometry(12, 22, 176, 22);
    Edit1 = new QLineEdit(GroupBox2);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(12, 50, 176, 22);
    Button10 = MakeButton(GroupBox2, "Button10", QStringLiteral("确定"), QRect(108, 80, 80, 24));

    GroupBox3 = new QGroupBox(QStringLiteral("资料修改密码"), page);
    GroupBox3->setObjectName(QStringLiteral("GroupBox3"));
    GroupBox3->setGeometry(8, 128, 200, 84);
    Edit2 = new QLineEdit(GroupBox3);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    Edit2->setGeometry(12, 22, 176, 22);
    Button11 = MakeButton(GroupBox3, "Button11", QStringLiteral("确定"), QRect(108, 52, 80, 24));

    GroupBox5 = new QGroupBox(QStringLiteral("报表打印方式设置"), page);
    GroupBox5->setObjectName(QStringLiteral("GroupBox5"));
    GroupBox5->setGeometry(8, 220, 200, 84);
    ComboBox5 = new QComboBox(GroupBox5);
    ComboBox5->setObjectName(QStringLiteral("ComboBox5"));
    ComboBox5->addItems({QStringLiteral("纵向打印"), QStringLiteral("横向打印")});
    ComboBox5->setGeometry(12, 22, 176, 22);
    Button15 = MakeButton(GroupBox5, "Button15", QStringLiteral("确定"), QRect(108, 52, 80, 24));

    GroupBox6 = new QGroupBox(QStringLiteral("单据模板"), page);
    GroupBox6->setObjectName(QStringLiteral("GroupBox6"));
    GroupBox6->setGeometry(8, 312, 200, 84);
    DesignButton = new QToolButton(GroupBox6);
    DesignButton->setObjectName(QStringLiteral("DesignButton"));
    DesignButton->setDefaultAction(ActionDesign);
    DesignButton->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    DesignButton->setGeometry(12, 26, 176, 40);

    // Under 单据模板, the last box of the left column.
    auto* autoBackup = new AutoBackupSettingsBox(page);
    autoBackup->setGeometry(8, 404, 200, 100);

    // The pick lists: 业务种类 left, 业务进度 middle, 款项类别 and 款项凭证 on the right.
    GroupBox4 = new QGroupBox(AskCaption, page);
    GroupBox4->setObjectName(QStringLiteral("GroupBox4"));
    GroupBox4->setGeometry(216, 8, 444, 440);
    struct ListPlace {
        int type;
        QListWidget** box;
        const char* name;
        QString label;
        QRect place;
        const char* buttons[3];
    };
    const ListPlace lists[] = {
        {1,
         &ListBox1,
         "ListBox1",
         QStringLiteral("业务种类"),
         QRect(10, 38, 136, 356),
         {"Button1", "Button2", "Button3"}},
        {4,
         &ListBox4,
         "ListBox4",
         QStringLiteral("业务进度"),
         QRect(154, 38, 136, 356),
         {"Button12", "Button13", "Button14"}},
        {2,
         &ListBox2,
         "ListBox2",
         QStringLiteral("款项类别"),
         QRect(298, 38, 136, 150),
         {"Button4", "Button5", "Button6"}},
        {3,
         &ListBox3,
         "ListBox3",
         QStringLiteral("款项凭证"),
         QRect(298, 244, 136, 150),
         {"Button7", "Button8", "Button9"}},
    };
    for (const ListPlace& l : lists) {
        auto* label = new QLabel(l.label, GroupBox4);
        label->setGeometry(l.place.x(), l.place.y() - 18, l.place.width(), 16);
        auto* box = new QListWidget(GroupBox4);
        box->setObjectName(QString::fromLatin1(l.name));
        LinkLabel(label, box);
        box->setGeometry(l.place);
        *l.box = box;
        const int y = l.place.bottom() + 6;
        const int type = l.type;
        auto* add =
            MakeButton(GroupBox4, l.buttons[0], QStringLiteral("新增"), QRect(l.place.x(), y, 44, 24));
        auto* change =
            MakeButton(GroupBox4, l.buttons[1], QStringLiteral("修改"), QRect(l.place.x() + 46, y, 44, 24));
        auto* remove =
            MakeButton(GroupBox4, l.buttons[2], QStringLiteral("删除"), QRect(l.place.x() + 92, y, 44, 24));
        connect(add, &QPushButton::clicked, this, Guarded([this, type] { AddPickListValue(type); }));
        connect(change, &QPushButton::clicked, this, Guarded([this, type] { RenamePickListValue(type); }));
        connect(remove, &QPushButton::clicked, this, Guarded([this, type] { DeletePickListValue(type); }));
        connect(box, &QListWidget::itemDoubleClicked, this,
                Guarded([this, type] { RenamePickListValue(type); }));
    }

    connect(ComboBox1, &QComboBox::activated, this, Guarded(this, &TFormMain::ComboBox1Change));
    connect(Button10, &QPushButton::clicked, this, Guarded(this, &TFormMain::Button10Click));
    connect(Button11, &QPushButton::clicked, this, Guarded(this, &TFormMain::Button11Click));
}

QListWidget* TFormMain::PickList(int type) const {
    switch (type) {
    case 1:
        return ListBox1;
    case 2:
        return ListBox2;
    case 3:
        return ListBox3;
    default:
        return ListBox4;
    }
}

void TFormMain::LoadPickList(int type) {
    QListWidget* box = PickList(type);
    box->clear();
    Query& query = ShareDataModule->ADOQueryTemp;
    if (!OpenSql(query, PickListLoadSql(type), PickListMessages(type).LoadFailed) || query.RecordCount() == 0)
        return;
    for (query.First(); !query.Eof(); query.Next())
        box->addItem(query.FieldByName(QStringLiteral("ParameterValue")).AsString());
    // The last value is selected, so 修改 and 删除 act on it without a click.
    box->setCurrentRow(box->count() - 1);
}

void TFormMain::AddPickListValue(int type) {
    if (!IsAdministratorSignedIn())
        return;
    const PickListTexts& texts = PickListMessages(type);
    if (!AskPickValue(texts.AddPrompt, QString()))
        return;
    const QString value = FormAsk->AskText;
    if (const QString error = PickListEntryError(type, value); !error.isEmpty()) {
        Prompts::Get().Information(error);
        return;
    }
    Query& query = ShareDataModule->ADOQueryTemp;
    if (!OpenSql(query, PickListValueSql(type, value), QStringLiteral("读入帐款参数失败")))
        return;
    if (query.RecordCount() > 0) {
        Prompts::Get().Information(texts.Exists);
        return;
    }
    query.Insert();
    query.FieldByName(QStringLiteral("ParameterType")).SetAsInteger(type);
    query.FieldByName(QStringLiteral("ParameterValue")).SetAsString(value);
    query.Post();
    LoadPickList(type);
}

void TFormMain::RenamePickListValue(int type) {
    if (!IsAdministratorSignedIn())
        return;
    const PickListTexts& texts = PickListMessages(type);
    QListWidget* box = PickList(type);
    QListWidgetItem* selected = box->currentItem();
    if (selected == nullptr || !selected->isSelected()) {
        Prompts::Get().Information(texts.NothingToChange);
        box->setFocus();
        return;
    }
    const QString oldValue = selected->text();
    if (!AskPickValue(texts.ChangePrompt, oldValue))
        return;
    const QString value = FormAsk->AskText;
    if (const QString error = PickListEntryError(type, value); !error.isEmpty()) {
        Prompts::Get().Information(error);
        return;
    }
    if (value == oldValue)
        return;
    Query& query = ShareDataModule->ADOQueryTemp;
    if (!OpenSql(query, PickListValueSql(type, value), QStringLiteral("读入帐款参数失败")))
        return;
    if (query.RecordCount() > 0) {
        Prompts::Get().Information(texts.Exists);
        return;
    }
    if (!OpenSql(query, PickListValueSql(type, oldValue), QStringLiteral("读入帐款参数失败")))
        return;
    if (query.RecordCount() == 0) {
        Prompts::Get().Information(QStringLiteral("该参数已经被删除"));
        return;
    }
    query.First();
    query.Edit();
    query.FieldByName(QStringLiteral("ParameterValue")).SetAsString(value);
    query.Post();
    LoadPickList(type);
}

void TFormMain::DeletePickListValue(int type) {
    if (!IsAdministratorSignedIn())
        return;
    const PickListTexts& texts = PickListMessages(type);
    QListWidget* box = PickList(type);
    QListWidgetItem* selected = box->currentItem();
    if (selected == nullptr || !selected->isSelected()) {
        Prompts::Get().Information(texts.NothingToDelete);
        box->setFocus();
        return;
    }
    Query& query = ShareDataModule->ADOQueryTemp;
    if (!OpenSql(query, PickListValueSql(type, selected->text()), QStringLiteral("读入帐款参数失败")))
        return;
    if (query.RecordCount() == 0) {
        Prompts::Get().Information(QStringLiteral("该记录已不存在"));
        return;
    }
    query.First();
    const qint64 key = query.FieldByName(QStringLiteral("ParameterIndex")).AsInteger();
    if (!Prompts::Get().Question(QStringLiteral("确实要删除该参数吗？"), QStringLiteral("删除警告")))
        return;
    // The question may have run other work on the shared query; delete the row found by its key.
    if (!OpenSql(query, QStringLiteral("Select * From Parameter Where ParameterIndex = ") + SqlNumber(key),
                 QStringLiteral("读入帐款参数失败")) ||
        query.RecordCount() == 0)
        return;
    query.First();
    query.Delete();
    LoadPickList(type);
}

// ---- Passwords of the manager roles and the data-modification password.

void TFormMain::LoadPasswordBoxes() {
    Query& query = ShareDataModule->ADOQueryTemp;
    if (OpenSql(query, PowerSql(ComboBox1->currentText()), PowerLookupFailed) && HasRows(query))
        Edit1->setText(query.FieldByName(QStringLiteral("PowerKey")).AsString());
    if (OpenSql(query, PowerSql(QStringLiteral("修改")), PowerLookupFailed) && HasRows(query))
        Edit2->setText(query.FieldByName(QStringLiteral("PowerKey")).AsString());
}

void TFormMain::ComboBox1Change() {
    if (!IsAdministratorSignedIn())
        return;
    LoadPasswordBoxes();
}

void TFormMain::Button10Click() {
    if (!IsAdministratorSignedIn())
        return;
    const QString password = Edit1->text();
    if (!Prompts::Get().Question(QStringLiteral("确定要把该密码修改为 ") + password + QStringLiteral(" 吗？"),
                                 QStringLiteral("修改确认")))
        return;
    Query& query = ShareDataModule->ADOQueryTemp;
    if (!OpenSql(query, PowerSql(ComboBox1->currentText()), PowerLookupFailed))
        return;
    if (query.RecordCount() == 0) {
        Prompts::Get().Information(QStringLiteral("该用户密码已被删除"));
        return;
    }
    query.First();
    query.Edit();
    query.FieldByName(QStringLiteral("PowerKey")).SetAsString(password);
    query.Post();
    Prompts::Get().Information(QStringLiteral("用户密码修改成功"));
    LoadPasswordBoxes();
}

void TFormMain::Button11Click() {
    if (!IsAdministratorSignedIn())
        return;
    const QString password = Edit2->text();
    if (!Prompts::Get().Question(QStringLiteral("确定要把该密码修改为 ") + password + QStringLiteral(" 吗？"),
                                 QStringLiteral("修改确认")))
        return;
    Query& query = ShareDataModule->ADOQueryTemp;
    if (!OpenSql(query, PowerSql(QStringLiteral("修改")), PowerLookupFailed))
        return;
    if (query.RecordCount() == 0) {
        Prompts::Get().Information(QStringLiteral("该密码已被删除"));
        return;
    }
    query.First();
    query.Edit();
    query.FieldByName(QStringLiteral("PowerKey")).SetAsString(password);
    query.Post();
    Prompts::Get().Information(QStringLiteral("密码修改成功"));
    LoadPasswordBoxes();
}
