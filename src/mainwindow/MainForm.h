#pragma once

#include <QDate>
#include <QMainWindow>

class CardPage;
class QDateEdit;
class QLabel;
class QPushButton;
class QTabWidget;
class QToolButton;
class QWidget;

// The main window: the left bar with the working date, and the eight tab pages.
class TFormMain : public QMainWindow {
    Q_OBJECT
public:
    explicit TFormMain(QWidget* parent = nullptr);

    // Page indices, used by every window that switches pages.
    enum Page {
        PageCustomers = 0,
        PageBills = 1,
        PageBillReport = 2,
        PageAccounts = 3,
        PageMoney = 4,
        PageMoneyReport = 5,
        PageSettings = 6,
        PageMaintenance = 7
    };

    QDate WorkingDate() const;
    void SetWorkingDate(const QDate& date);

    // Shows the sign-in and sets the window up for the role; false when nobody signed in.
    bool SignInAndSetUp();
    // The four card pages, then the two result grids.
    void RefreshAll();

    // ---- View preferences (ViewPreferences.cpp): the sort and date-range boxes of pages 0, 1, 4.
    void BuildPreferenceBoxes();
    void ReadViewPreferences();
    // The clauses the boxes add to the card lists.
    QString CustomerOrderClause() const;
    QString BillDateClause() const;
    QString BillOrderClause() const;
    QString MoneyDateClause() const;
    QString MoneyOrderClause() const;

    // ---- Settings page (PickLists.cpp): pick lists and password boxes.
    void BuildSettingsPage();
    void LoadPickList(int type);
    void LoadPasswordBoxes();

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

    // ---- Result grids and accounts (MainFormReports.cpp)
    void BuildReportPages(); // the grids and buttons of pages 2 and 5
    // Runs sql (or, when empty, the stored text) into the document / voucher result grid.
    void FillBillReport(const QString& sql);
    void FillMoneyReport(const QString& sql);
    bool NewAccount();                        // 新增帐户
    bool OpenAccountWindow(int accountIndex); // account card clicked

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

public slots:
    void FormShow();
    void BitBtn1Click();
    void BitBtn2Click();
    void DateTimePicker1Change();
    void ActionLoginExecute();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void BuildLeftBar();
    void BuildPages();
    bool shownOnce = false;
};

extern TFormMain* FormMain;
