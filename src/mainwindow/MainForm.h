#pragma once

#include "foundation/Query.h"
#include "kit/ShownRowsDataSet.h"
#include "kit/Workspace.h"
#include "kit/report/ReportEngine.h"

#include <QDate>
#include <QMainWindow>
#include <QSet>
#include <array>
#include <map>

class CardPage;
class DataGrid;
class QAction;
class QComboBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTabWidget;
class QToolButton;
class QWidget;

// The main window: the left bar with the working date, and the eight tab pages. It is the
// program's Workspace: the editors reach the working date, the refresh and the result grids
// through that interface.
class TFormMain : public QMainWindow, public Workspace {
    Q_OBJECT
public:
    explicit TFormMain(QWidget* parent = nullptr);

    // Page indices: Workspace::Page.
    QDate WorkingDate() const override;
    void SetWorkingDate(const QDate& date);

    // Shows the sign-in and sets the window up for the role; false when nobody signed in.
    bool SignInAndSetUp();
    // The four card pages, then the two result grids.
    void RefreshAll() override;
    // Pages by index: the sheet of each (whether or not its tab is shown), whether the signed-in
    // role may reach it, and the index of the current one (-1 when the role sees no page).
    void ShowPage(Page page) override;
    QWidget* Sheet(Page page) const;
    bool PageReachable(Page page) const;
    int CurrentPage() const;
    // Only the pages marked visible are tabs of PageControl1; the others wait in HiddenSheets. The
    // role set-up decides them; none are shown while nobody is signed in.
    void ShowOnlyPages(const std::array<bool, 8>& visible);

    // ---- View preferences (ViewPreferences.cpp): the sort and date-range boxes of pages 0, 1, 4.
    void BuildPreferenceBoxes();
    void ReadViewPreferences();
    // The clauses the boxes add to the card lists.
    QString CustomerOrderClause() const;
    QString BillDateClause() const;
    QString BillOrderClause() const;
    QString MoneyDateClause() const;
    QString MoneyOrderClause() const;

    // The eight boxes; each change is written to Kestrel.ini at once and refreshes its page.
    QComboBox* ComboBox6;  // page 0: 按编号排 / 按名称排
    QComboBox* ComboBox7;  // page 0: 按升序排 / 按降序排
    QComboBox* ComboBox3;  // page 1: 当天单据 / 当月单据
    QComboBox* ComboBox8;  // page 1: sort field
    QComboBox* ComboBox10; // page 1: direction
    QComboBox* ComboBox4;  // page 4: 当天单据 / 当月单据
    QComboBox* ComboBox11; // page 4: sort field
    QComboBox* ComboBox12; // page 4: direction
    QLabel* Label8;
    QLabel* Label9;
    QLabel* Label11;
    QLabel* Label10;
    QLabel* Label18;

    // ---- Settings page (PickLists.cpp): pick lists and password boxes.
    void BuildSettingsPage();
    // Pick lists by type: 1 业务种类, 2 款项类别, 3 款项凭证, 4 业务进度.
    void LoadPickList(int type);
    void AddPickListValue(int type);
    void RenamePickListValue(int type);
    void DeletePickListValue(int type);
    QListWidget* PickList(int type) const;
    void LoadPasswordBoxes();
    QGroupBox* GroupBox2; // 用户权限管理
    QComboBox* ComboBox1;
    QLineEdit* Edit1;
    QPushButton* Button10;
    QGroupBox* GroupBox3; // 资料修改密码
    QLineEdit* Edit2;
    QPushButton* Button11;
    QGroupBox* GroupBox4; // the pick lists
    QListWidget* ListBox1;
    QListWidget* ListBox2;
    QListWidget* ListBox3;
    QListWidget* ListBox4;
    QGroupBox* GroupBox5; // 报表打印方式设置
    QComboBox* ComboBox5;
    QPushButton* Button15;
    QGroupBox* GroupBox6;
    QToolButton* DesignButton;

    // ---- Card pages (CardPages.cpp)
    void BuildCardPages();
    // 0-based page numbers of the four card pages.
    int CustomerPage = 0;
    int BillPage = 0;
    int MoneyPage = 0;
    int AccountPage = 0;
    void ShowCustomerCards();
    void ShowBillCards();
    void ShowMoneyCards();
    void ShowAccountCards();
    // -- Card page widgets and handlers (CardPages.cpp, CardPage.h) --
    CardPage* CustomerCards = nullptr; // page 0
    CardPage* BillCards = nullptr;     // page 1
    CardPage* AccountCards = nullptr;  // page 3
    CardPage* MoneyCards = nullptr;    // page 4
    // Panel slot (1..15) of a card page hot, the others cool; slot 0 (the page background) all cool.
    void HighlightCard(CardPage* page, int slot);
    // The page size of a card page changed with the window: keep its first card in view.
    void CardPageResized(CardPage* page, int oldSize, int newSize);
    void CustomerPriorClick();
    void CustomerNextClick();
    void BillPriorClick();
    void BillNextClick();
    void MoneyPriorClick();
    void MoneyNextClick();
    void AccountPriorClick();
    void AccountNextClick();
    // A click on any control of card slot (1..15) opens the record of the panel's Tag.
    void CustomerImageClick(int slot);
    void BillImageClick(int slot);
    void MoneyImageClick(int slot);
    void AccountImageClick(int slot);
    // -- end of the card page block --

    // ---- Opening the editors (MainFormEditors.cpp). Each returns true when something was stored
    // and runs the refresh that follows it.
    bool NewCustomer();                   // 新增客户
    bool NewBill();                       // 新增业务单据
    bool NewMoney();                      // 新增财务单据
    bool OpenBillEditor(int billIndex);   // document card clicked
    bool OpenMoneyEditor(int moneyIndex); // voucher card clicked
    bool OpenCustomerCard(int customerIndex);
    void CustomerSearch(); // 客户搜索
    // While a customer search is in force, the customer page says so under its sort boxes, with
    // 显示全部 to end it.
    QLabel* CustomerSearchNote = nullptr;
    QPushButton* CustomerShowAll = nullptr;
    void CustomerShowAllClick();

    // ---- Result grids and accounts (MainFormReports.cpp)
    void BuildReportPages(); // the grids and buttons of pages 2 and 5
    // Runs sql (or, when empty, the stored text) into the document / voucher result grid.
    void FillBillReport(const QString& sql) override;
    void FillMoneyReport(const QString& sql) override;
    bool NewAccount();                        // 新增帐户
    bool OpenAccountWindow(int accountIndex); // account card clicked
    // -- Result grid pages (MainFormReports.cpp) --
    QString BillReportSql;          // base text of the last document query ("" until the first)
    QString MoneyReportSql;         // base text of the last voucher query
    Query BReportADOQuery;          // the document result, shown by DBGridEh2
    Query MReportADOQuery;          // the voucher result, shown by DBGridEh1
    DataGrid* DBGridEh2 = nullptr;  // page 2 业务报表
    DataGrid* DBGridEh1 = nullptr;  // page 5 财务报表
    QComboBox* ComboBox2 = nullptr; // page 2 排序方式
    QComboBox* ComboBox9 = nullptr; // page 5 排序方式
    void ActionBillReportExecute();
    void ActionMoneyReportExecute();
    void ComboBox2Change();
    void ComboBox9Change();
    void DBGridEh2DblClick();
    void DBGridEh1DblClick();
    void DBGridEh2GetCellParams(int row, int column, const QString& text, QColor* colour);
    void DBGridEh1GetCellParams(int row, int column, const QString& text, QColor* colour);
    void DBGridEh2TitleClick(int column);
    void DBGridEh1TitleClick(int column);
    // Amounts of both grids with thousands separators (the box on pages 2 and 5, kept in Kestrel.ini).
    void ShowThousands(bool on);
    // -- end of the result grid block --

    // ---- Monthly reports (MainFormMonthly.cpp)
    void ConnectMonthlyReports();
    void ActionCustomerReportExecute(); // 客户报表
    void ActionAccountReportExecute();  // 帐户报表
    // The enabled PrintReport lines of the last monthly report, read by its template.
    Query ADOQueryBig;
    QueryDataSet frDBDataSet1{&ADOQueryBig};
    // The print step of a monthly report: the lines of ADOQueryBig and the PrintList titles read
    // with them, shown in the preview of the template (a name relative to the program folder).
    void PrintMonthlyReport(const QString& templateName, const std::map<QString, QString>& titles);

    // ---- Printing (MainFormPrint.cpp)
    Report frReport1; // the monthly reports and the designer
    Report frReport2; // the voucher list
    Report frReport3; // the document list
    // The rows the grids show, in their order (a title sort and a filter carry into the print).
    ShownRowsDataSet frDBDataSet2{&MReportADOQuery};
    ShownRowsDataSet frDBDataSet3{&BReportADOQuery};
    void ActionPrintBillReportExecute();
    void ActionPrintMoneyReportExecute();
    void Button15Click(); // stores the print direction of ComboBox5
    // Opens the report designer on the template last loaded into frReport1 (administrator only).
    void ActionDesignExecute(); // 单据设计
    void BuildPrinting();       // connects the print actions and Button15

    // ---- Analysis and spreadsheet export (MainFormAnalysis.cpp)
    void ConnectAnalysisAndExport();
    void ActionAnalysisExecute(); // 经营报表
    void ActionBExecelExecute();  // 导出Excel of page 2
    void ActionMExcelExecute();   // 导出Excel of page 5

    // Actions of the window; each subsystem wires the ones it uses.
    QAction* ActionLogin;            // 软件导航
    QAction* ActionCustomerSearch;   // 客户搜索
    QAction* ActionCustomerReport;   // 客户报表
    QAction* ActionBillReport;       // 查找单据 (documents)
    QAction* ActionPrintBillReport;  // 打印列表
    QAction* ActionAnalysis;         // 经营报表
    QAction* ActionBExecel;          // 导出Excel
    QAction* ActionAccountReport;    // 帐户报表
    QAction* ActionMoneyReport;      // 查找单据 (vouchers)
    QAction* ActionPrintMoneyReport; // 打印列表
    QAction* ActionMExcel;           // 导出Excel
    QAction* ActionSave;             // 备份数据
    QAction* ActionLoad;             // 恢复数据
    QAction* ActionDesign;           // 单据设计

    // The picture file the Login button shows ("" before the first sign-in).
    QString LoginGlyph;

    // Left bar.
    QWidget* Panel1;
    QWidget* Panel2;
    QWidget* Panel3;
    QToolButton* Login;
    QLabel* Label2;
    QDateEdit* DateTimePicker1;
    QPushButton* BitBtn1;
    QPushButton* BitBtn2;
    QToolButton* ActionButtonSave2;
    QLabel* Image7;
    QTabWidget* PageControl1;
    QWidget* TabSheet8; // 0 客户管理
    QWidget* TabSheet1; // 1 业务单据
    QWidget* TabSheet2; // 2 业务报表
    QWidget* TabSheet3; // 3 帐户管理
    QWidget* TabSheet7; // 4 财务单据
    QWidget* TabSheet4; // 5 财务报表
    QWidget* TabSheet5; // 6 软件设置
    QWidget* TabSheet6; // 7 数据维护
    // Data maintenance page.
    QGroupBox* GroupBox1; // 帐套数据操作
    QToolButton* SpeedButtonSave;
    QToolButton* SpeedButtonLoad;
    // Backup and restore (MainFormBackup.cpp).
    void ActionSaveExecute();
    void ActionLoadExecute();
    // The checked restore of 恢复数据 from a chosen file (asked about already).
    void RestoreFrom(const QString& source);

public slots:
    void FormShow();
    void BitBtn1Click();
    void BitBtn2Click();
    void DateTimePicker1Change();
    void ActionLoginExecute();
    void Image7Click();
    // View preferences: write the box's key, then refresh its page.
    void ComboBox6Change();
    void ComboBox7Change();
    void ComboBox3Change();
    void ComboBox8Change();
    void ComboBox10Change();
    void ComboBox4Change();
    void ComboBox11Change();
    void ComboBox12Change();
    // Settings page.
    void ComboBox1Change();
    void Button10Click();
    void Button11Click();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

public:
    // The window's place and the result grids' column widths, kept in Kestrel.ini: restored when
    // the window first shows, stored when it closes (and a grid's widths when the user changes
    // them). A stored place off every screen gives the stored size, centred.
    void RestorePlace();
    void StorePlace();
    void RestoreGridWidths(DataGrid* grid);
    void StoreGridWidths(DataGrid* grid);
    static QString GridWidthsKey(const DataGrid* grid);

private:
    void BuildActions();
    void BuildLeftBar();
    void BuildPages();
    void BuildMaintenancePage();
    void ConnectBackupActions();
    void BuildPageActions(); // the action buttons at the top of the right column of pages 0 and 3
    void ApplyRoleView();    // the role set-up after a successful sign-in
    // The slot of the signed-in salesman (0 for any other role), and the session following what
    // staff management stored into it meanwhile: a new name, rights or face; no name signs out.
    qint64 SignedInSalesmanSlot() const;
    void FollowSalesmanSlot(qint64 slot);
    // Nobody is signed in: no page, no session values, the Login button as at start.
    void SignOut();
    QWidget* HiddenSheets = nullptr;
    void SetLoginFace(const QString& caption, const QString& pictureFile);
    void SetStripPicture(const QString& relativePath); // Image7 and the strip below it
    bool shownOnce = false;
    QSet<CardPage*> pendingResizeRefresh;
};

extern TFormMain* FormMain;
