#include "LoginForm.h"

#include "foundation/JetSql.h"
#include "foundation/ShareDM.h"
#include "kit/ErrorHandler.h"
#include "kit/Prompts.h"
#include "signin/AskForm.h"
#include "signin/StaffRules.h"
#include "signin/UserForm.h"

#include <QAction>
#include <QEvent>
#include <QIcon>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QScreen>
#include <QToolButton>

TFormLogin* FormLogin = nullptr;

namespace {
const QString WrongPassword = QStringLiteral("密码错误，请重新操作");
const QString RoleRowMissing = QStringLiteral("数据库出错，资料修改密码被删除");

// A picture beside the program; stored paths may use either separator. Missing: an empty picture.
QPixmap Picture(const QString& relativePath) {
    QString path = relativePath;
    return QPixmap(ProgramFolder + path.replace(QLatin1Char('\\'), QLatin1Char('/')));
}

// Masks the prompt with "#" for its lifetime; the mask is cleared again on every way out.
class PasswordPrompt {
public:
    PasswordPrompt(const QString& title, const QString& prompt) {
        FormAsk->AskTitle = title;
        FormAsk->AskPrompt = prompt;
        FormAsk->AskText.clear();
        FormAsk->SetPasswordChar(QLatin1Char('#'));
    }
    ~PasswordPrompt() { FormAsk->SetPasswordChar(QChar()); }
    PasswordPrompt(const PasswordPrompt&) = delete;
    PasswordPrompt& operator=(const PasswordPrompt&) = delete;
    // True on OK; the entry is in FormAsk->AskText.
    bool Ask() { return Prompts::Get().ShowModal(FormAsk) == QDialog::Accepted; }
};

QToolButton* MakeButton(QWidget* parent, const QString& name, const QRect& place) {
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setGeometry(place);
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setAutoRaise(true);
    return button;
}

// What a screen reader says for a face button whose slot holds no salesman.
QString EmptySlotName(int slot) {
    return QStringLiteral("空业务员位置%1").arg(slot);
}
} // namespace

TFormLogin::TFormLogin(QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("FormLogin"));
    setWindowTitle(QStringLiteral("岚峰商业管理软件"));
    // A fixed dialog frame without title-bar buttons.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(721, 465);
    setMouseTracking(true);

    ImageTitle = new QLabel(this);
    ImageTitle->setObjectName(QStringLiteral("ImageTitle"));
    ImageTitle->setGeometry(16, 10, 690, 90);
    ImageTitle->setPixmap(Picture(QStringLiteral("Res/Title.bmp")));
    ImageUp4 = new QLabel(this);
    ImageUp4->setObjectName(QStringLiteral("ImageUp4"));
    ImageUp4->setGeometry(280, 20, 160, 70);
    ImageUp4->setPixmap(Picture(QStringLiteral("Res/Up4.bmp")));
    ImageUp4->hide();
    for (QLabel* image : {ImageTitle, ImageUp4}) {
        image->setMouseTracking(true);
        image->setCursor(Qt::PointingHandCursor);
        image->installEventFilter(this);
    }

    // Two rows of eight faces.
    for (int i = 0; i < 16; ++i) {
        const int row = i / 8;
        const int column = i % 8;
        QToolButton* face = MakeButton(this, QStringLiteral("Man%1").arg(i + 1),
                                       QRect(24 + column * 86, 120 + row * 98, 73, 73));
        face->setIconSize(QSize(48, 48));
        face->setAccessibleName(EmptySlotName(i + 1));
        Man[static_cast<size_t>(i)] = face;
        connect(face, &QToolButton::clicked, this, Guarded([this, i] { ManClick(i + 1); }));
    }

    const struct {
        QAction** action;
        QToolButton** button;
        const char* actionName;
        const char* buttonName;
        QString caption;
        const char* icon;
    } roles[] = {
        {&ActionManage, &ManManage, "ActionManage", "ManManage", QStringLiteral("人员管理"),
         "Res/Manage.bmp"},
        {&Action1, &SpeedButton1, "Action1", "SpeedButton1", QStringLiteral("财务主管"),
         "Res/RoleSupervisor.bmp"},
        {&Action2, &SpeedButton2, "Action2", "SpeedButton2", QStringLiteral("财务总监"),
         "Res/RoleDirector.bmp"},
        {&Action3, &SpeedButton3, "Action3", "SpeedButton3", QStringLiteral("管理员"), "Res/RoleAdmin.bmp"},
        {&Action4, &SpeedButton4, "Action4", "SpeedButton4", QStringLiteral("总经理"), "Res/RoleManager.bmp"},
    };
    // The bottom row: 人员管理 at the left, the four roles along the row.
    int x = 24;
    for (const auto& r : roles) {
        *r.action = new QAction(QIcon(Picture(QString::fromLatin1(r.icon))), r.caption, this);
        (*r.action)->setObjectName(QString::fromLatin1(r.actionName));
        *r.button = MakeButton(this, QString::fromLatin1(r.buttonName), QRect(x, 360, 73, 73));
        (*r.button)->setIconSize(QSize(32, 32));
        (*r.button)->setDefaultAction(*r.action);
        x += (r.action == &ActionManage) ? 86 * 4 : 86;
    }
    connect(ActionManage, &QAction::triggered, this, Guarded(this, &TFormLogin::ActionManageExecute));
    connect(Action1, &QAction::triggered, this, Guarded(this, &TFormLogin::Action1Execute));
    connect(Action2, &QAction::triggered, this, Guarded(this, &TFormLogin::Action2Execute));
    connect(Action3, &QAction::triggered, this, Guarded(this, &TFormLogin::Action3Execute));
    connect(Action4, &QAction::triggered, this, Guarded(this, &TFormLogin::Action4Execute));
}

void TFormLogin::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (QScreen* desk = screen())
        move(desk->availableGeometry().center() - QPoint(width() / 2, height() / 2));
    RunGuarded([this] { FormShow(); });
}

void TFormLogin::FormShow() {
    ImageTitle->show();
    ImageUp4->hide();
    LoadFaces();
}

void TFormLogin::LoadFaces() {
    const QIcon defaultFace(Picture(QStringLiteral("Faces/1.bmp")));
    for (int i = 0; i < 16; ++i) {
        QToolButton* face = Man[static_cast<size_t>(i)];
        face->setText(QString());
        face->setIcon(defaultFace);
        face->setAccessibleName(EmptySlotName(i + 1));
    }
    Query& query = ShareDataModule->ADOQueryTemp;
    if (!OpenSql(query, QStringLiteral("Select * From Power Where PowerIndex <= 16"),
                 QStringLiteral("业务员数据库打开失败")))
        return;
    // Face button N shows the slot whose PowerIndex is N.
    for (query.First(); !query.Eof(); query.Next()) {
        const qint64 slot = query.FieldByName(QStringLiteral("PowerIndex")).AsInteger();
        if (slot < 1 || slot > 16)
            continue;
        QToolButton* face = Man[static_cast<size_t>(slot - 1)];
        face->setText(query.FieldByName(QStringLiteral("PowerName")).AsString());
        if (!face->text().isEmpty())
            face->setAccessibleName(QString()); // read by its name
        face->setIcon(QIcon(Picture(query.FieldByName(QStringLiteral("PowerPicture")).AsString())));
    }
}

void TFormLogin::ManClick(int slot) {
    Query& query = ShareDataModule->ADOQueryTemp;
    if (!OpenSql(query, QStringLiteral("Select * From Power Where PowerIndex = ") + SqlNumber(slot),
                 QStringLiteral("数据库打开失败")) ||
        query.RecordCount() == 0)
        return;
    query.First();
    const QString name = query.FieldByName(QStringLiteral("PowerName")).AsString();
    if (name.isEmpty())
        return; // a slot not in use asks nothing
    const QString key = query.FieldByName(QStringLiteral("PowerKey")).AsString();
    const QString rights = query.FieldByName(QStringLiteral("PowerRange")).AsString();

    PasswordPrompt prompt(QStringLiteral("业务员登录"),
                          QStringLiteral("请输入 ") + name + QStringLiteral(" 的登录密码"));
    if (!prompt.Ask())
        return;
    if (FormAsk->AskText != key) {
        Prompts::Get().Information(WrongPassword);
        return;
    }
    CurrentRole = QStringLiteral("业务员");
    CurrentUser = name;
    CurrentRights = rights;
    accept();
}

void TFormLogin::SignInAsRole(const QString& role, const QString& promptText) {
    PasswordPrompt prompt(QStringLiteral("系统登录"), promptText);
    if (!prompt.Ask())
        return;
    Query& query = ShareDataModule->ADOQueryTemp;
    if (!OpenSql(query, PowerByNameSql(role), QStringLiteral("数据库打开失败")))
        return;
    if (query.RecordCount() == 0) {
        Prompts::Get().Information(RoleRowMissing);
        return;
    }
    query.First();
    if (FormAsk->AskText != query.FieldByName(QStringLiteral("PowerKey")).AsString()) {
        Prompts::Get().Information(WrongPassword);
        return;
    }
    CurrentRole = role;
    CurrentUser = role;
    accept();
}

void TFormLogin::Action1Execute() {
    SignInAsRole(QStringLiteral("财务主管"), QStringLiteral("请输入财务主管登录密码"));
}

void TFormLogin::Action2Execute() {
    SignInAsRole(QStringLiteral("财务总监"), QStringLiteral("请输入财务总监登录密码"));
}

void TFormLogin::Action3Execute() {
    SignInAsRole(QStringLiteral("管理员"), QStringLiteral("请输入管理员登录密码"));
}

void TFormLogin::Action4Execute() {
    SignInAsRole(QStringLiteral("总经理"), QStringLiteral("请输入总经理登录密码"));
}

void TFormLogin::ActionManageExecute() {
    bool allowed = false;
    {
        PasswordPrompt prompt(QStringLiteral("人员管理登录"), QStringLiteral("请输入管理员密码"));
        if (!prompt.Ask())
            return;
        Query& query = ShareDataModule->ADOQueryTemp;
        if (!OpenSql(query, PowerByNameSql(QStringLiteral("管理员")), QStringLiteral("数据库打开失败")))
            return;
        if (query.RecordCount() == 0) {
            Prompts::Get().Information(RoleRowMissing);
        } else {
            query.First();
            allowed = FormAsk->AskText == query.FieldByName(QStringLiteral("PowerKey")).AsString();
            if (!allowed)
                Prompts::Get().Information(WrongPassword);
        }
    }
    if (allowed)
        OpenStaffManagement();
}

void TFormLogin::OpenStaffManagement() {
    // The staff window may rename salesmen or change their faces: the faces are read again.
    Prompts::Get().ShowModal(FormUser);
    LoadFaces();
}

void TFormLogin::ImageTitleClick() {
    ImageTitle->hide();
    ImageUp4->show();
}

void TFormLogin::ImageUp4Click() {
    reject();
}

void TFormLogin::HighlightTitle(bool on) {
    const int tag = on ? 1 : 0;
    if (ImageTitleTag == tag)
        return;
    ImageTitleTag = tag;
    ImageTitle->setPixmap(
        Picture(on ? QStringLiteral("Res/ColorTitle.bmp") : QStringLiteral("Res/Title.bmp")));
}

void TFormLogin::HighlightUp4(bool on) {
    const int tag = on ? 1 : 0;
    if (ImageUp4Tag == tag)
        return;
    ImageUp4Tag = tag;
    ImageUp4->setPixmap(Picture(on ? QStringLiteral("Res/ColorUp4.bmp") : QStringLiteral("Res/Up4.bmp")));
}

void TFormLogin::mouseMoveEvent(QMouseEvent* event) {
    // Over the background both pictures return to normal.
    HighlightTitle(false);
    HighlightUp4(false);
    QDialog::mouseMoveEvent(event);
}

bool TFormLogin::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ImageTitle || watched == ImageUp4) {
        if (event->type() == QEvent::MouseMove) {
            if (watched == ImageTitle)
                HighlightTitle(true);
            else
                HighlightUp4(true);
            return true;
        }
        if (event->type() == QEvent::MouseButtonRelease &&
            static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            if (watched == ImageTitle)
                ImageTitleClick();
            else
                ImageUp4Click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
