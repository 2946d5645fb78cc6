#pragma once

#include "foundation/Query.h"
#include "foundation/RowImage.h"
#include "kit/ShownFields.h"
#include "kit/report/ReportEngine.h"

#include <QDialog>
#include <QString>

class QComboBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;
class QToolButton;
struct BillFields;

// The sales and purchase document editor, with the vouchers booked against the document.
class TFormBuySell : public QDialog {
    Q_OBJECT
public:
    explicit TFormBuySell(QWidget* parent = nullptr);

    // Opening parameters, set by the opener before every showing.
    QString OpenMode;         // "新增" or "修改"
    QString OpenKind;         // "销售开单" or "采购开单"
    qint64 OpenBillIndex = 1; // edit mode: the document; new mode: 1 until the document is stored
    qint64 OpenCustomerIndex = 0;
    bool CustomerFixed = false;
    bool DataChanged = false; // set when the edit password unlocked the document

    bool IsNewMode() const;

    QLabel* Image1;
    QDateEdit* DateTimePicker1; // 开单日期
    QLineEdit* Edit1;           // 单据编号
    QComboBox* ComboBox5;       // 客户名称
    QLineEdit* Edit2;           // 单据金额
    QComboBox* ComboBox2;       // 业务种类
    QComboBox* ComboBox3;       // 业务进度
    QLineEdit* Edit3;           // 单据备注
    QLineEdit* Edit4;           // 业务员
    QGroupBox* GroupBox1;       // 财务单据
    QTableWidget* DBGridEh1;    // the vouchers of the document
    QTableWidget* DBGridEh1Footer;
    QPushButton* Button1;      // 新增 voucher
    QPushButton* Button2;      // 修改 voucher
    QPushButton* Button3;      // 删除 voucher
    QPushButton* BitBtn1;      // save
    QPushButton* BitBtn3;      // delete the document
    QPushButton* BitBtn2;      // cancel
    QToolButton* SpeedButton4; // unlock (ActionEdit)
    QToolButton* SpeedButton1; // print (ActionPrint)

    // The query behind the voucher grid.
    Query GridQuery;
    // The print (BuySellPrint.cpp): the document row, the amount in capitals, and the report that
    // reads them with the vouchers of the grid.
    Query ADOQuery1;
    Query ADOQueryBigFont;
    QueryDataSet frDBDataSet1{&GridQuery};
    QueryDataSet DocumentDataSet{&ADOQuery1};
    QueryDataSet BigFontDataSet{&ADOQueryBigFont};
    Report frReport1;
    // The document row and the vouchers of its grid as the editor loaded them (again after its own
    // early store and after each reload of the grid): a store or deletion is refused when another
    // workstation changed either since.
    RowImage LoadedBill;
    RowsImage LoadedVouchers;
    // The MoneyIndex of the selected voucher row, 0 when none.
    qint64 SelectedMoneyIndex() const;

public slots:
    void FormShow();
    void RefreshVoucherList();
    void BitBtn1Click();
    void BitBtn2Click();
    void BitBtn3Click();
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void DBGridEh1DblClick();
    void ActionEditExecute();
    void ActionPrintExecute();
    // Cancel, Esc and the close box: with changes it first asks whether to save them; a new
    // document stored early for its vouchers is undone.
    void reject() override;
    // Whether the user changed the document since it was shown (a new document stored early for
    // its vouchers is a change); a locked document cannot be changed.
    bool HasChanges() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void ShowExisting();
    void ShowNew();
    void SetUnlocked(bool unlocked);
    BillFields CurrentFields() const;
    // The customer the box names (CustomerToStore), shown in the box in its stored spelling; ""
    // when it names none.
    QString ChosenCustomer();
    bool Refuse(const QString& message, const QString& focus);
    // Stores the document (StoreBill) and shows the serial it was stored with.
    qint64 Store(qint64 billIndex, bool writeKind, bool rememberSerial, QString* note);
    void ClearGrid();
    void CloseLater();
    int showing = 0;
    ShownFields shown;
    QString proposedSerial; // the serial a new document was offered from the counter
    QString loadedCustomer; // the customer name the edited document was shown with
};

extern TFormBuySell* FormBuySell;
