#pragma once

#include <QDialog>
#include <QString>

class PictureFrame;
class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

// The customer card: one customer's contact data and figures up to the working date, with the
// ways to change it, to start a new document or voucher for it, to list its records of the month
// and to open its folder. Accepted when the customer was changed or deleted.
class TFormCustomer : public QDialog {
    Q_OBJECT
public:
    explicit TFormCustomer(QWidget* parent = nullptr);

    // Opening parameter: the CustomerIndex shown.
    qint64 CardCustomerIndex = 0;

    QLabel* HeaderImage;
    QGroupBox* GroupBox1; // 客户基本资料
    PictureFrame* Shape1;
    QLabel* Image1; // opens the customer's folder
    QLineEdit* Edit1;
    QLineEdit* Edit2;
    QLineEdit* Edit3;
    QLineEdit* Edit4;
    QGroupBox* GroupBox2; // 客户业务状况
    QLabel* LabelFirstOwe;
    QLabel* LabelSell;
    QLabel* LabelBuy;
    QLabel* LabelGet;
    QLabel* LabelOwe;
    QGroupBox* GroupBox3; // 业务开单，财务开单
    QToolButton* SellButton;
    QToolButton* BuyButton;
    QToolButton* GetButton;
    QToolButton* PayButton;
    QToolButton* CustomerEdit;
    QPushButton* Button1; // 本月销售单
    QPushButton* Button2; // 本月采购单
    QPushButton* Button3; // 本月收入单
    QPushButton* Button4; // 本月支出单
    QToolButton* Cancel;
    QAction* ActionEdit;
    QAction* ActionSell;
    QAction* ActionBuy;
    QAction* ActionGet;
    QAction* ActionPay;
    QAction* ActionCancel;

    void RefreshCustomerCardFigures();
    // Whether this showing found the customer deleted (by another workstation).
    bool CustomerGone() const { return customerGone; }
    // Shape1's fill: light blue while the mouse is over the picture, white elsewhere in its group.
    void HighlightFolderPicture(bool on);

public slots:
    void FormShow();
    void ActionEditExecute();
    void ActionSellExecute();
    void ActionBuyExecute();
    void ActionGetExecute();
    void ActionPayExecute();
    void ActionCancelExecute();
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void Image1Click();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The record buttons by the signed-in rights, and none of them once the customer is gone.
    void ApplyRights();
    // The customer was deleted elsewhere: nothing of it (or of any other customer) stays on the
    // card, the user is told, and no button can create or open a record any more.
    void ShowCustomerGone();
    // Reads the customer afresh before an action; false (after ShowCustomerGone or the failure
    // message) when it cannot be read.
    bool CustomerStillThere(QString* name = nullptr);
    void NewBill(const QString& kind);
    void NewVoucher(const QString& kind);
    void ShowMonthBills(const QString& kind);
    void ShowMonthVouchers(bool receipts);

    bool customerGone = false;
};

extern TFormCustomer* FormCustomer;
