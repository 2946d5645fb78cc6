#include "MainForm.h"

#include "AutoBackups.h"
#include "CardPage.h"
#include "RoleViews.h"
#include "WindowPlace.h"
#include "foundation/JetSql.h"
#include "foundation/KestrelError.h"
#include "foundation/ShareDM.h"
#include "foundation/Startup.h"
#include "kit/ErrorHandler.h"
#include "kit/FieldLabel.h"
#include "kit/Prompts.h"
#include "signin/LoginForm.h"
#include "signin/StaffRules.h"

#include <QAction>
#include <QDateEdit>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

TFormMain* FormMain = nullptr;

namespace {
// The window's client area when it first opens, and its smallest: the card pages carry a right
// column at x 672 of their sheet. The user may make the window larger or maximise it.
constexpr int ClientWidth = 884;
constexpr int ClientHeight = 538;
constexpr int LeftBarWidth = 97;

// Tab captions by page index.
const QString PageCaptions[] = {QStringLiteral("客户管理"), QStringLiteral("业务单据"),
                                QStringLiteral("业务报表"), QStringLiteral("帐户管理"),
                                QStringLiteral("财务单据"), QStringLiteral("财务报表"),
                                QStringLiteral("软件设置"), QStringLiteral("数据维护")};

QIcon PictureIcon(const QString& relativePath) {
    return QIcon(QPixmap(ProgramFolder + relativePath));
}
} // namespace

TFormMain::TFormMain(QWidget* parent)
    : QMainWindow(parent) {
    setObjectName(QStringLiteral("FormMain"));
    setWindowTitle(QStringLiteral("岚峰商业管理软件"));
    // 宋体 9 pt where it is installed, otherwise the CJK font the program installs with.
    QFont font;
    font.setFamilies(
        {QStringLiteral("SimSun"), QStringLiteral("NSimSun"), QStringLiteral("WenQuanYi Micro Hei")});
    font.setPointSize(9);
    setFont(font);
    auto* central = new QWidget(this);
    setCentralWidget(central);
    central->setMinimumSize(ClientWidth, ClientHeight);
    auto* layout = new QHBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    Panel1 = new QWidget(central);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedWidth(LeftBarWidth);
    Panel2 = new QWidget(central);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setFixedWidth(16);
    Panel3 = new QWidget(central);
    Panel3->setObjectName(QStringLiteral("Panel3"));
    layout->addWidget(Panel1);
    layout->addWidget(Panel2);
    layout->addWidget(Panel3, 1);
    BuildActions();
    BuildLeftBar();
    BuildPages();
    BuildMaintenancePage();
    ConnectBackupActions();
    BuildPageActions();
    BuildCardPages();
    BuildPreferenceBoxes();
    BuildSettingsPage();
    BuildReportPages();
    ConnectMonthlyReports();
    BuildPrinting();
    setMinimumSize(ClientWidth, ClientHeight);
    resize(ClientWidth, ClientHeight);
    // No page until a role signs in: not before the sign-in, nor behind a start-up message.
    ShowOnlyPages({});
}

void TFormMain::BuildActions() {
    const struct {
        QAction** action;
        const char* name;
        QString caption;
        const char* icon;
    } actions[] = {
        {&ActionLogin, "ActionLogin", QStringLiteral("软件导航"), nullptr},
        {&ActionCustomerSearch, "ActionCustomerSearch", QStringLiteral("客户搜索"), "Res/Search.bmp"},
        {&ActionCustomerReport, "ActionCustomerReport", QStringLiteral("客户报表"), "Res/Report.bmp"},
        {&ActionBillReport, "ActionBillReport", QStringLiteral("查找单据"), "Res/Search.bmp"},
        {&ActionPrintBillReport, "ActionPrintBillReport", QStringLiteral("打印列表"), "Res/Print.bmp"},
        {&ActionAnalysis, "ActionAnalysis", QStringLiteral("经营报表"), "Res/Report.bmp"},
        {&ActionBExecel, "ActionBExecel", QStringLiteral("导出Excel"), "Res/Excel.bmp"},
        {&ActionAccountReport, "ActionAccountReport", QStringLiteral("帐户报表"), "Res/Report.bmp"},
        {&ActionMoneyReport, "ActionMoneyReport", QStringLiteral("查找单据"), "Res/Search.bmp"},
        {&ActionPrintMoneyReport, "ActionPrintMoneyReport", QStringLiteral("打印列表"), "Res/Print.bmp"},
        {&ActionMExcel, "ActionMExcel", QStringLiteral("导出Excel"), "Res/Excel.bmp"},
        {&ActionSave, "ActionSave", QStringLiteral("备份数据"), "Res/Backup.bmp"},
        {&ActionLoad, "ActionLoad", QStringLiteral("恢复数据"), "Res/Restore.bmp"},
        {&ActionDesign, "ActionDesign", QStringLiteral("单据设计"), "Res/Report.bmp"},
    };
    for (const auto& a : actions) {
        *a.action = new QAction(a.caption, this);
        (*a.action)->setObjectName(QString::fromLatin1(a.name));
        if (a.icon != nullptr)
            (*a.action)->setIcon(PictureIcon(QString::fromLatin1(a.icon)));
    }
    // The other actions are wired by the windows behind them.
    connect(ActionLogin, &QAction::triggered, this, Guarded(this, &TFormMain::ActionLoginExecute));
    connect(ActionCustomerSearch, &QAction::triggered, this, Guarded(this, &TFormMain::CustomerSearch));
}

void TFormMain::BuildLeftBar() {
    Login = new QToolButton(Panel1);
    Login->setObjectName(QStringLiteral("Login"));
    Login->setGeometry(12, 12, 73, 73);
    Login->setText(ActionLogin->text());
    Login->setIconSize(QSize(48, 48));
    Login->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    Login->setAutoRaise(true);
    Label2 = new QLabel(QStringLiteral("当前日期"), Panel1);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(8, 104, 81, 16);
    DateTimePicker1 = new QDateEdit(Panel1);
    DateTimePicker1->setObjectName(QStringLiteral("DateTimePicker1"));
    DateTimePicker1->setCalendarPopup(true);
    DateTimePicker1->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    DateTimePicker1->setDate(QDate::currentDate());
    DateTimePicker1->setGeometry(2, 122, 93, 24);
    LinkLabel(Label2, DateTimePicker1);
    BitBtn1 = new QPushButton(PictureIcon(QStringLiteral("Res/PrevDay.bmp")), QString(), Panel1);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setToolTip(QStringLiteral("前一天"));
    BitBtn1->setGeometry(4, 150, 44, 28);
    BitBtn2 = new QPushButton(PictureIcon(QStringLiteral("Res/NextDay.bmp")), QString(), Panel1);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    BitBtn2->setToolTip(QStringLiteral("后一天"));
    BitBtn2->setGeometry(49, 150, 44, 28);
    BitBtn1->setAccessibleName(BitBtn1->toolTip());
    BitBtn2->setAccessibleName(BitBtn2->toolTip());
    for (QPushButton* day : {BitBtn1, BitBtn2})
        day->setIconSize(QSize(24, 24));
    ActionButtonSave2 = new QToolButton(Panel1);
    ActionButtonSave2->setObjectName(QStringLiteral("ActionButtonSave2"));
    ActionButtonSave2->setGeometry(12, ClientHeight - 73 - 12, 73, 73);
    Panel1->installEventFilter(this); // keeps the backup button at the bar's foot
    ActionButtonSave2->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    ActionButtonSave2->setIconSize(QSize(32, 32));
    ActionButtonSave2->setAutoRaise(true);
    ActionButtonSave2->setDefaultAction(ActionSave);
    ActionButtonSave2->hide(); // backup is the administrator's: shown when he signs in

    // The strip that collapses and expands the left bar.
    auto* strip = new QVBoxLayout(Panel2);
    strip->setContentsMargins(0, 0, 0, 0);
    Image7 = new QLabel(Panel2);
    Image7->setObjectName(QStringLiteral("Image7"));
    SetStripPicture(QStringLiteral("Res/LeftBar.bmp"));
    Image7->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    Image7->setToolTip(QStringLiteral("LeftBar"));
    Image7->setCursor(Qt::PointingHandCursor);
    Image7->installEventFilter(this);
    strip->addWidget(Image7);

    connect(BitBtn1, &QPushButton::clicked, this, Guarded(this, &TFormMain::BitBtn1Click));
    connect(BitBtn2, &QPushButton::clicked, this, Guarded(this, &TFormMain::BitBtn2Click));
    connect(DateTimePicker1, &QDateEdit::userDateChanged, this,
            Guarded(this, &TFormMain::DateTimePicker1Change));
    connect(Login, &QToolButton::clicked, ActionLogin, &QAction::trigger);
}

void TFormMain::BuildPages() {
    auto* layout = new QVBoxLayout(Panel3);
    layout->setContentsMargins(0, 0, 0, 0);
    PageControl1 = new QTabWidget(Panel3);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    layout->addWidget(PageControl1);
    HiddenSheets = new QWidget(this);
    HiddenSheets->setObjectName(QStringLiteral("HiddenSheets"));
    HiddenSheets->hide();
    HiddenSheets->setEnabled(false);
    QWidget** sheets[] = {&TabSheet8, &TabSheet1, &TabSheet2, &TabSheet3,
                          &TabSheet7, &TabSheet4, &TabSheet5, &TabSheet6};
    const char* names[] = {"TabSheet8", "TabSheet1", "TabSheet2", "TabSheet3",
                           "TabSheet7", "TabSheet4", "TabSheet5", "TabSheet6"};
    for (size_t page = 0; page < std::size(sheets); ++page) {
        *sheets[page] = new QWidget(PageControl1);
        (*sheets[page])->setObjectName(QString::fromLatin1(names[page]));
        PageControl1->addTab(*sheets[page], PageCaptions[page]);
    }
}

void TFormMain::BuildMaintenancePage() {
    GroupBox1 = new QGroupBox(QStringLiteral("帐套数据操作"), TabSheet6);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setGeometry(8, 8, 250, 120);
    SpeedButtonSave = new QToolButton(GroupBox1);
    SpeedButtonSave->setObjectName(QStringLiteral("SpeedButtonSave"));
    SpeedButtonSave->setDefaultAction(ActionSave);
    SpeedButtonSave->setGeometry(24, 28, 88, 73);
    SpeedButtonLoad = new QToolButton(GroupBox1);
    SpeedButtonLoad->setObjectName(QStringLiteral("SpeedButtonLoad"));
    SpeedButtonLoad->setDefaultAction(ActionLoad);
    SpeedButtonLoad->setGeometry(138, 28, 88, 73);
    for (QToolButton* button : {SpeedButtonSave, SpeedButtonLoad}) {
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        button->setIconSize(QSize(32, 32));
    }
    // Where the books are: filled in once they are open.
    auto* place = new QLabel(TabSheet6);
    place->setObjectName(QStringLiteral("BooksPlaceLabel"));
    place->setAccessibleName(QStringLiteral("帐套位置"));
    place->setGeometry(8, 140, 740, 60);
    place->setWordWrap(true);
    place->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // The automatic backups, listed when the page is shown, and written once a day while running.
    auto* backups = new AutoBackupBox(this, TabSheet6);
    backups->setGeometry(8, 206, 620, 300);
    connect(PageControl1, &QTabWidget::currentChanged, backups, [this, backups](int page) {
        if (PageControl1->widget(page) == TabSheet6)
            backups->Refresh();
    });
    auto* daily = new QTimer(this);
    connect(daily, &QTimer::timeout, this, [] {
        if (!CurrentRole.isEmpty())
            RunDailyAutoBackup();
    });
    daily->start(60 * 60 * 1000);
}

void TFormMain::BuildPageActions() {
    const struct {
        QWidget* page;
        const char* name;
        QAction* action;
        int y;
    } buttons[] = {
        {TabSheet8, "CustomerSearch", ActionCustomerSearch, 8},
        {TabSheet8, "BigReport", ActionCustomerReport, 50},
        {TabSheet3, "MoneyMonth", ActionAccountReport, 8},
    };
    for (const auto& b : buttons) {
        auto* button = new QToolButton(b.page);
        button->setObjectName(QString::fromLatin1(b.name));
        button->setDefaultAction(b.action);
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        button->setIconSize(QSize(24, 24));
        button->setGeometry(672, b.y, 90, 36);
        CardPage::MarkRightColumn(button);
    }
    CustomerSearchNote = new QLabel(TabSheet8);
    CustomerSearchNote->setObjectName(QStringLiteral("CustomerSearchNote"));
    CustomerSearchNote->setGeometry(672, 180, 90, 40);
    CustomerSearchNote->setWordWrap(true);
    CustomerSearchNote->setStyleSheet(QStringLiteral("color: #8a4b00;"));
    CustomerShowAll = new QPushButton(QStringLiteral("显示全部"), TabSheet8);
    CustomerShowAll->setObjectName(QStringLiteral("CustomerShowAll"));
    CustomerShowAll->setToolTip(QStringLiteral("结束客户搜索，显示全部客户"));
    CustomerShowAll->setGeometry(672, 222, 90, 26);
    for (QWidget* w : {static_cast<QWidget*>(CustomerSearchNote), static_cast<QWidget*>(CustomerShowAll)}) {
        CardPage::MarkRightColumn(w);
        w->hide();
    }
    connect(CustomerShowAll, &QPushButton::clicked, this, Guarded(this, &TFormMain::CustomerShowAllClick));
}

QDate TFormMain::WorkingDate() const {
    return DateTimePicker1->date();
}

void TFormMain::SetWorkingDate(const QDate& date) {
    // The picker's change signal stands for the user's pick; a date set by the program refreshes
    // only where its caller says so (once, in the day buttons).
    const QSignalBlocker quiet(DateTimePicker1);
    DateTimePicker1->setDate(date);
}

void TFormMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!shownOnce) {
        shownOnce = true;
        RestorePlace();
        // Start-up runs once the window is on screen, so the sign-in shows over it.
        QTimer::singleShot(0, this, Guarded(this, &TFormMain::FormShow));
    }
}

void TFormMain::FormShow() {
    if (!OpenDatabase()) {
        close();
        return;
    }
    // Where the books are, on the maintenance page.
    if (auto* label = TabSheet6->findChild<QLabel*>(QStringLiteral("BooksPlaceLabel")))
        label->setText(BooksPlaceText());
    SetWorkingDate(QDate::currentDate());
    if (!SignInAndSetUp())
        close();
}

bool TFormMain::SignInAndSetUp() {
    // Staff management, behind the sign-in window, may rename the signed-in salesman's slot.
    const qint64 slot = SignedInSalesmanSlot();
    if (Prompts::Get().ShowModal(FormLogin) != QDialog::Accepted) {
        FollowSalesmanSlot(slot);
        return false;
    }
    ApplyRoleView();
    return true;
}

qint64 TFormMain::SignedInSalesmanSlot() const {
    if (RoleKindOf(CurrentRole) != RoleKind::Salesman)
        return 0;
    try {
        return SalesmanSlotOf(ShareDataModule->ADOConnection1, CurrentUser);
    } catch (const KestrelError&) {
        return 0; // the sign-in itself reports an unreadable staff list
    }
}

void TFormMain::FollowSalesmanSlot(qint64 slot) {
    if (slot == 0 || RoleKindOf(CurrentRole) != RoleKind::Salesman)
        return;
    SlotFields stored;
    if (!ReadSlot(ShareDataModule->ADOConnection1, slot, &stored))
        return;
    QString picture = stored.Picture;
    picture.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (stored.Name == CurrentUser && stored.Rights == CurrentRights && picture == LoginGlyph)
        return;
    if (stored.Name.isEmpty()) {
        // His slot is no longer in use: nobody is signed in any more.
        SignOut();
        return;
    }
    // The session is the slot's: new records carry its new name and the lists its handed-over rows.
    CurrentUser = stored.Name;
    CurrentRights = stored.Rights;
    ApplyRoleView();
}

void TFormMain::SignOut() {
    CurrentRole.clear();
    CurrentUser.clear();
    CurrentRights.clear();
    ShowOnlyPages({});
    ActionButtonSave2->hide();
    SetLoginFace(ActionLogin->text(), QString());
}

void TFormMain::ApplyRoleView() {
    const RoleView view = RoleViewFor(CurrentRole, CurrentUser, CurrentRights);
    if (view.Kind == RoleKind::Unknown)
        return; // the window keeps its previous view
    ShowOnlyPages(view.VisibleTabs);
    ShowPage(static_cast<Page>(view.ActivePage));
    // An automatic backup that failed at the last close is told once, to whoever signs in first.
    TellAutoBackupFailure();
    // Backup is the administrator's; the left bar offers it to him alone.
    ActionButtonSave2->setVisible(view.Kind == RoleKind::Administrator);

    if (view.Kind == RoleKind::Administrator) {
        // The filters and page numbers stay; the card pages are not refreshed.
        for (int type = 1; type <= 4; ++type)
            LoadPickList(type);
        LoadPasswordBoxes();
        SetLoginFace(CurrentRole, view.Glyph);
        return;
    }

    CustomerFilter = view.Filters.Customer;
    AccountFilter = view.Filters.Account;
    BillFilter = view.Filters.Bill;
    MoneyFilter = view.Filters.Money;
    ReadViewPreferences();
    RefreshAll();
    if (view.Kind == RoleKind::Manager) {
        SetLoginFace(CurrentRole, view.Glyph);
        return;
    }
    Query& query = ShareDataModule->ADOQueryTemp;
    if (OpenSql(query, QStringLiteral("Select * From Power Where PowerName = ") + SqlText(CurrentUser),
                QStringLiteral("数据库打开失败")) &&
        query.RecordCount() > 0) {
        query.First();
        SetLoginFace(query.FieldByName(QStringLiteral("PowerName")).AsString(),
                     query.FieldByName(QStringLiteral("PowerPicture")).AsString());
    }
}

void TFormMain::SetLoginFace(const QString& caption, const QString& pictureFile) {
    Login->setText(caption);
    QString path = pictureFile;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    LoginGlyph = path;
    Login->setIcon(PictureIcon(path));
}

void TFormMain::RefreshAll() {
    ShowCustomerCards();
    ShowBillCards();
    ShowMoneyCards();
    ShowAccountCards();
    FillMoneyReport(QString());
    FillBillReport(QString());
}

QWidget* TFormMain::Sheet(Page page) const {
    const std::array<QWidget*, 8> sheets = {TabSheet8, TabSheet1, TabSheet2, TabSheet3,
                                            TabSheet7, TabSheet4, TabSheet5, TabSheet6};
    return page >= 0 && page < int(sheets.size()) ? sheets[size_t(page)] : nullptr;
}

bool TFormMain::PageReachable(Page page) const {
    QWidget* sheet = Sheet(page);
    return sheet != nullptr && PageControl1->indexOf(sheet) >= 0;
}

int TFormMain::CurrentPage() const {
    for (int page = PageCustomers; page <= PageMaintenance; ++page)
        if (PageControl1->currentWidget() != nullptr && PageControl1->currentWidget() == Sheet(Page(page)))
            return page;
    return -1;
}

void TFormMain::ShowPage(Page page) {
    // A page the role may not see is not among the tabs: indexOf gives -1 and nothing changes.
    const int tab = PageControl1->indexOf(Sheet(page));
    if (tab >= 0)
        PageControl1->setCurrentIndex(tab);
}

void TFormMain::ShowOnlyPages(const std::array<bool, 8>& visible) {
    // A page the role must not see is taken out of the tab widget altogether, so that no click, key,
    // mnemonic or accessibility action can make it current; its sheet waits, hidden and disabled,
    // until a role that may see it signs in. The tabs keep the page order.
    PageControl1->clear();
    for (int page = PageCustomers; page <= PageMaintenance; ++page) {
        QWidget* sheet = Sheet(Page(page));
        if (visible[size_t(page)])
            PageControl1->addTab(sheet, PageCaptions[page]);
        else
            sheet->setParent(HiddenSheets);
    }
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

void TFormMain::SetStripPicture(const QString& relativePath) {
    const QPixmap picture(ProgramFolder + relativePath);
    Image7->setPixmap(picture);
    // A window taller than the picture continues the strip in the colour of its foot.
    if (picture.isNull())
        return;
    QPalette palette = Panel2->palette();
    palette.setColor(QPalette::Window, picture.toImage().pixelColor(0, picture.height() - 1));
    Panel2->setPalette(palette);
    Panel2->setAutoFillBackground(true);
}

void TFormMain::Image7Click() {
    const bool open = Image7->toolTip() == QStringLiteral("LeftBar");
    Panel1->setFixedWidth(open ? 0 : LeftBarWidth);
    SetStripPicture(open ? QStringLiteral("Res/RightBar.bmp") : QStringLiteral("Res/LeftBar.bmp"));
    Image7->setToolTip(open ? QStringLiteral("RightBar") : QStringLiteral("LeftBar"));
}

void TFormMain::RestorePlace() {
    QList<QRect> screens;
    if (QScreen* own = screen())
        screens << own->availableGeometry();
    for (QScreen* other : QGuiApplication::screens())
        if (other != screen())
            screens << other->availableGeometry();
    WindowPlace place;
    if (!ReadWindowPlace(IniFileName, &place)) {
        // First start: the smallest size, centred.
        if (!screens.isEmpty())
            move(screens.first().center() - QPoint(width() / 2, height() / 2));
        return;
    }
    setGeometry(PlaceOnScreens(place.Normal, minimumSize(), screens));
    if (place.Maximized)
        setWindowState(windowState() | Qt::WindowMaximized);
}

void TFormMain::StorePlace() {
    WindowPlace place;
    place.Maximized = (windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)) != 0;
    place.Normal = place.Maximized ? normalGeometry() : geometry();
    if (!place.Normal.isValid())
        place.Normal = geometry();
    WriteWindowPlace(IniFileName, place);
}

void TFormMain::closeEvent(QCloseEvent* event) {
    // The place of a window that was on screen and worked in is kept for the next start; a start
    // that ends without anybody signing in writes nothing.
    if (isVisible() && shownOnce && !CurrentRole.isEmpty())
        StorePlace();
    QMainWindow::closeEvent(event);
    // A normal close of a signed-in session: the books are backed up after the window is gone.
    if (event->isAccepted() && !CurrentRole.isEmpty()) {
        hide();
        RunAutoBackup();
    }
}

bool TFormMain::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Panel1 && event->type() == QEvent::Resize) {
        ActionButtonSave2->move(12, std::max(190, Panel1->height() - 73 - 12));
        return false;
    }
    if (watched == Image7 && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        Image7Click();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}
