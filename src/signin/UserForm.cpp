#include "UserForm.h"

#include "foundation/JetSql.h"
#include "foundation/KestrelError.h"
#include "foundation/ShareDM.h"
#include "kit/DataGrid.h"
#include "kit/ErrorHandler.h"
#include "kit/PictureFrame.h"
#include "kit/Prompts.h"
#include "mainwindow/RoleViews.h"
#include "signin/StaffRules.h"
#include "signin/UserForm2.h"

#include <QCheckBox>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>

TFormUser* FormUser = nullptr;

namespace {

const QColor FaceHighlight(166, 202, 240);

QLineEdit* SlotField(QWidget* parent, const char* name, const QString& caption, int y) {
    auto* label = new QLabel(caption, parent);
    label->setGeometry(470, y, 60, 24);
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setGeometry(530, y, 150, 24);
    label->setBuddy(edit);
    return edit;
}

} // namespace

TFormUser::TFormUser(QWidget* parent)
    : QDialog(parent)
    , ADOQuery1(nullptr) {
    setObjectName(QStringLiteral("FormUser"));
    setWindowTitle(QStringLiteral("FormUser"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(700, 380);
    setMouseTracking(true);

    DBGridEh1 = new DataGrid(this);
    DBGridEh1->setObjectName(QStringLiteral("DBGridEh1"));
    DBGridEh1->setGeometry(12, 12, 444, 356);
    DBGridEh1->SetColumns({
        {QStringLiteral("PowerIndex"), QStringLiteral("编号"), 40, 0},
        {QStringLiteral("PowerName"), QStringLiteral("业务员名称"), 80, 0},
        {QStringLiteral("PowerKey"), QStringLiteral("登录密码"), 70, 0},
        {QStringLiteral("PowerPicture"), QStringLiteral("图片地址"), 100, 0},
        {QStringLiteral("PowerRange"), QStringLiteral("管理权限"), 130, 0},
    });
    DBGridEh1->SetQuery(&ADOQuery1);
    DBGridEh1->setAccessibleName(QStringLiteral("业务员"));

    Edit1 = SlotField(this, "Edit1", QStringLiteral("名称："), 20);
    Edit2 = SlotField(this, "Edit2", QStringLiteral("密码："), 56);
    auto* faceLabel = new QLabel(QStringLiteral("头像："), this);
    faceLabel->setGeometry(470, 100, 60, 24);
    Shape1 = new PictureFrame(this, QRect(530, 92, 48, 48), QRect(4, 4, 40, 40),
                              palette().color(QPalette::Base), FaceHighlight);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    Image1 = Shape1->Picture;
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setScaledContents(true);
    Image1->setToolTip(QStringLiteral("选择头像"));
    Image1->setAccessibleName(QStringLiteral("头像"));
    faceLabel->setBuddy(Image1);
    Edit3 = new QLineEdit(this);
    Edit3->setObjectName(QStringLiteral("Edit3"));
    Edit3->setGeometry(530, 148, 150, 24);
    Edit3->setReadOnly(true);
    Edit3->setAccessibleName(QStringLiteral("图片地址"));

    auto* rightsLabel = new QLabel(QStringLiteral("权限范围："), this);
    rightsLabel->setGeometry(470, 186, 70, 24);
    CheckBox1 = new QCheckBox(QStringLiteral("业务管理："), this);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox1->setGeometry(540, 186, 120, 24);
    CheckBox1->setLayoutDirection(Qt::RightToLeft);
    CheckBox2 = new QCheckBox(QStringLiteral("财务管理："), this);
    CheckBox2->setObjectName(QStringLiteral("CheckBox2"));
    CheckBox2->setGeometry(540, 216, 120, 24);
    CheckBox2->setLayoutDirection(Qt::RightToLeft);
    rightsLabel->setBuddy(CheckBox1);

    Button1 = new QPushButton(QStringLiteral("确　定"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(480, 330, 96, 32);
    Button1->setAutoDefault(false);
    Button2 = new QPushButton(QStringLiteral("取　消"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setGeometry(588, 330, 96, 32);
    Button2->setAutoDefault(false);

    connect(Shape1, &PictureFrame::Clicked, this, Guarded(this, &TFormUser::Image1Click));
    connect(DBGridEh1->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            Guarded([this](const QModelIndex& current, const QModelIndex& previous) {
                if (current.row() != previous.row())
                    ShowSlot();
            }));
    connect(Button1, &QPushButton::clicked, this, Guarded(this, &TFormUser::Button1Click));
    connect(Button2, &QPushButton::clicked, this, Guarded(this, &TFormUser::Button2Click));
}

void TFormUser::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (parentWidget())
        move(parentWidget()->geometry().center() - rect().center());
    RunGuarded([this] { FormShow(); });
}

void TFormUser::FormShow() {
    OpenSlots();
    SelectSlot(0);
}

void TFormUser::OpenSlots() {
    ADOQuery1.SetConnection(&ShareDataModule->ADOConnection1);
    DBGridEh1->Reload([this] { OpenSql(ADOQuery1, SalesmenSql(), QStringLiteral("数据库打开失败")); });
}

// Makes the slot with that PowerIndex current (the first when there is none) and shows it.
void TFormUser::SelectSlot(qint64 powerIndex) {
    int row = 0;
    if (ADOQuery1.Active()) {
        for (ADOQuery1.First(); !ADOQuery1.Eof(); ADOQuery1.Next()) {
            if (ADOQuery1.FieldByName(QStringLiteral("PowerIndex")).AsInteger() == powerIndex) {
                row = ADOQuery1.RecNo();
                break;
            }
        }
    }
    {
        const QSignalBlocker quiet(DBGridEh1->selectionModel());
        DBGridEh1->selectRow(row);
    }
    ShowSlot();
}

void TFormUser::ShowSlot() {
    if (!ADOQuery1.Active() || ADOQuery1.RecordCount() == 0)
        return;
    const int row = DBGridEh1->CurrentRow();
    ADOQuery1.MoveTo(row < 0 ? 0 : row);
    Edit1->setText(ADOQuery1.FieldByName(QStringLiteral("PowerName")).AsString());
    Edit2->setText(ADOQuery1.FieldByName(QStringLiteral("PowerKey")).AsString());
    const QString rights = ADOQuery1.FieldByName(QStringLiteral("PowerRange")).AsString();
    CheckBox1->setChecked(HasRight(rights, BusinessRight));
    CheckBox2->setChecked(HasRight(rights, FinanceRight));
    ShowFace(ADOQuery1.FieldByName(QStringLiteral("PowerPicture")).AsString());
}

void TFormUser::ShowFace(const QString& path) {
    Edit3->setText(path);
    QString file = path;
    Image1->setPixmap(QPixmap(ProgramFolder + file.replace(QLatin1Char('\\'), QLatin1Char('/'))));
}

void TFormUser::Image1Click() {
    FormUser2->FacePath = Edit3->text();
    if (Prompts::Get().ShowModal(FormUser2) == QDialog::Accepted)
        ShowFace(FormUser2->FacePath);
}

void TFormUser::Button1Click() {
    if (!ADOQuery1.Active() || ADOQuery1.RecordCount() == 0)
        return;
    const int row = DBGridEh1->CurrentRow();
    ADOQuery1.MoveTo(row < 0 ? 0 : row);
    const qint64 slot = ADOQuery1.FieldByName(QStringLiteral("PowerIndex")).AsInteger();
    const QString oldName = ADOQuery1.FieldByName(QStringLiteral("PowerName")).AsString();
    const QString newName = Edit1->text();

    // No salesman may take another slot's name, nor a role's.
    Query& query = ShareDataModule->ADOQueryTemp;
    if (!OpenSql(query, PowerByNameSql(newName), QStringLiteral("数据库打开失败")))
        return;
    if (query.RecordCount() > 0) {
        query.First();
        if (query.FieldByName(QStringLiteral("PowerIndex")).AsInteger() != slot) {
            Prompts::Get().Information(QStringLiteral("名字有重复，请重新操作"));
            return;
        }
    }

    const SlotFields fields{newName, Edit2->text(), Edit3->text(),
                            RightsText(CheckBox1->isChecked(), CheckBox2->isChecked())};
    // The slot as the window loaded it: stored only while nobody else has changed it since.
    try {
        StoreSlot(ShareDataModule->ADOConnection1, ImageOfRow(ADOQuery1, QStringLiteral("Power")), fields);
    } catch (const StaleRecordError& error) {
        ShowStaleRecord(error);
        return;
    }
    OpenSlots();
    SelectSlot(slot);

    if (oldName.isEmpty() || newName == oldName)
        return;
    if (!Prompts::Get().Question(QStringLiteral("业务员名字已改变，是否把旧业务员数据移交给新业务员管理？"),
                                 QStringLiteral("移交确认")))
        return;
    try {
        HandOverSalesman(ShareDataModule->ADOConnection1, oldName, newName);
    } catch (const KestrelError& error) {
        Prompts::Get().Error(QStringLiteral("业务员数据移交失败，没有移交任何记录。\n\n") + error.Message());
        return;
    }
    Prompts::Get().Information(QStringLiteral("业务员数据移交成功"));
}

void TFormUser::Button2Click() {
    reject();
}

void TFormUser::HighlightFace(bool on) {
    Shape1->Highlight(on);
}

// Over the rest of the window the frame takes its normal colour again.
void TFormUser::mouseMoveEvent(QMouseEvent* event) {
    HighlightFace(false);
    QDialog::mouseMoveEvent(event);
}
