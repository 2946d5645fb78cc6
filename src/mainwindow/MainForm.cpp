#include "MainForm.h"

#include "foundation/ShareDM.h"
#include "foundation/Startup.h"

#include <QDateEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

TFormMain* FormMain = nullptr;

TFormMain::TFormMain(QWidget* parent)
    : QMainWindow(parent) {
    setObjectName(QStringLiteral("FormMain"));
    setWindowTitle(QStringLiteral("岚峰商业管理软件"));
    QFont font(QStringLiteral("SimSun"), 9);
    setFont(font);
    auto* central = new QWidget(this);
    setCentralWidget(central);
    central->setFixedSize(786, 538);
    auto* layout = new QHBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    Panel1 = new QWidget(central);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedWidth(97);
    Panel2 = new QWidget(central);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setFixedWidth(16);
    Panel3 = new QWidget(central);
    Panel3->setObjectName(QStringLiteral("Panel3"));
    layout->addWidget(Panel1);
    layout->addWidget(Panel2);
    layout->addWidget(Panel3, 1);
    BuildLeftBar();
    BuildPages();
    BuildCardPages();
    BuildPreferenceBoxes();
    BuildSettingsPage();
    BuildReportPages();
    setFixedSize(786, 538);
}

void TFormMain::BuildLeftBar() {
    auto* bar = new QVBoxLayout(Panel1);
    bar->setContentsMargins(12, 12, 12, 12);
    Login = new QToolButton(Panel1);
    Login->setObjectName(QStringLiteral("Login"));
    Login->setFixedSize(73, 73);
    Login->setText(QStringLiteral("软件导航"));
    Login->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    Label2 = new QLabel(QStringLiteral("当前日期"), Panel1);
    Label2->setObjectName(QStringLiteral("Label2"));
    DateTimePicker1 = new QDateEdit(Panel1);
    DateTimePicker1->setObjectName(QStringLiteral("DateTimePicker1"));
    DateTimePicker1->setCalendarPopup(true);
    DateTimePicker1->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    DateTimePicker1->setDate(QDate::currentDate());
    BitBtn1 = new QPushButton(QStringLiteral("<"), Panel1);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setToolTip(QStringLiteral("前一天"));
    BitBtn2 = new QPushButton(QStringLiteral(">"), Panel1);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    BitBtn2->setToolTip(QStringLiteral("后一天"));
    auto* days = new QHBoxLayout;
    days->addWidget(BitBtn1);
    days->addWidget(BitBtn2);
    ActionButtonSave2 = new QToolButton(Panel1);
    ActionButtonSave2->setObjectName(QStringLiteral("ActionButtonSave2"));
    ActionButtonSave2->setFixedSize(73, 73);
    ActionButtonSave2->setText(QStringLiteral("备份数据"));
    bar->addWidget(Login, 0, Qt::AlignHCenter);
    bar->addSpacing(16);
    bar->addWidget(Label2);
    bar->addWidget(DateTimePicker1);
    bar->addLayout(days);
    bar->addStretch();
    bar->addWidget(ActionButtonSave2, 0, Qt::AlignHCenter);

    auto* strip = new QVBoxLayout(Panel2);
    strip->setContentsMargins(0, 0, 0, 0);
    Image7 = new QLabel(Panel2);
    Image7->setObjectName(QStringLiteral("Image7"));
    Image7->setToolTip(QStringLiteral("LeftBar"));
    strip->addWidget(Image7);

    connect(BitBtn1, &QPushButton::clicked, this, &TFormMain::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TFormMain::BitBtn2Click);
    connect(DateTimePicker1, &QDateEdit::userDateChanged, this, &TFormMain::DateTimePicker1Change);
    connect(Login, &QToolButton::clicked, this, &TFormMain::ActionLoginExecute);
}

void TFormMain::BuildPages() {
    auto* layout = new QVBoxLayout(Panel3);
    layout->setContentsMargins(0, 0, 0, 0);
    PageControl1 = new QTabWidget(Panel3);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    layout->addWidget(PageControl1);
    const struct {
        QWidget** sheet;
        const char* name;
        QString caption;
    } pages[] = {
        {&TabSheet8, "TabSheet8", QStringLiteral("客户管理")},
        {&TabSheet1, "TabSheet1", QStringLiteral("业务单据")},
        {&TabSheet2, "TabSheet2", QStringLiteral("业务报表")},
        {&TabSheet3, "TabSheet3", QStringLiteral("帐户管理")},
        {&TabSheet7, "TabSheet7", QStringLiteral("财务单据")},
        {&TabSheet4, "TabSheet4", QStringLiteral("财务报表")},
        {&TabSheet5, "TabSheet5", QStringLiteral("软件设置")},
        {&TabSheet6, "TabSheet6", QStringLiteral("数据维护")},
    };
    for (const auto& page : pages) {
        *page.sheet = new QWidget(PageControl1);
        (*page.sheet)->setObjectName(QString::fromLatin1(page.name));
        PageControl1->addTab(*page.sheet, page.caption);
    }
}

QDate TFormMain::WorkingDate() const {
    return DateTimePicker1->date();
}

void TFormMain::SetWorkingDate(const QDate& date) {
    DateTimePicker1->setDate(date);
}

void TFormMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!shownOnce) {
        shownOnce = true;
        // Start-up runs once the window is on screen, so the sign-in shows over it.
        QTimer::singleShot(0, this, &TFormMain::FormShow);
    }
}

void TFormMain::FormShow() {
    if (!OpenDatabase()) {
        close();
        return;
    }
    SetWorkingDate(QDate::currentDate());
    if (!SignInAndSetUp())
        close();
}

bool TFormMain::SignInAndSetUp() {
    // The sign-in window and the role views are added on top of this frame.
    return true;
}

void TFormMain::RefreshAll() {
    ShowCustomerCards();
    ShowBillCards();
    ShowMoneyCards();
    ShowAccountCards();
    FillMoneyReport(QString());
    FillBillReport(QString());
}

void TFormMain::BitBtn1Click() {
    SetWorkingDate(WorkingDate().addDays(-1));
    RefreshAll();
}

void TFormMain::BitBtn2Click() {
    SetWorkingDate(WorkingDate().addDays(1));
    RefreshAll();
}

void TFormMain::DateTimePicker1Change() {
    RefreshAll();
}

void TFormMain::ActionLoginExecute() {
    SignInAndSetUp();
}
