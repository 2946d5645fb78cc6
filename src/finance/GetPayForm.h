#pragma once

#include "foundation/Query.h"
#include "foundation/RowImage.h"
#include "kit/ShownFields.h"
#include "kit/report/ReportEngine.h"

#include <QDialog>
#include <QString>

class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;

// The receipt and payment voucher editor.
class TFormGetPay : public QDialog {
    Q_OBJECT
public:
    explicit TFormGetPay(QWidget* parent = nullptr);

    // Opening parameters, set by the opener before every showing.
    QString OpenMode;          // "新增" or "修改"
    QString OpenKind;          // "财务收入单" or "财务支出单"
    qint64 OpenMoneyIndex = 0; // edit mode: the voucher
    qint64 OpenBillIndex = 0;  // new mode: the document it is booked against, 0 = none
    qint64 OpenCustomerIndex = 0;
    bool CustomerFixed = false;
    QString PresetCustomerName;
    QString PresetReason;
    QString PresetAmount;
    QString PresetRemark;
    QString MoneyCapitals; // the amount in capitals, for printing

    bool IsNewMode() const;

    QLabel* Image1;
    QLineEdit* Edit4;     // 单据编号
    QComboBox* ComboBox1; // 帐户名称
    QDateEdit* DateTimePicker1;
    QComboBox* ComboBox5; // 客户名称
    QLineEdit* Edit2;     // 金额
    QComboBox* ComboBox2; // 业务种类
    QComboBox* ComboBox3; // 款项类别
    QComboBox* ComboBox4; // 凭证
    QLineEdit* Edit5;     // 业务员
    QLineEdit* Edit3;     // 备注
    QPushButton* BitBtn1; // 保存
    QPushButton* BitBtn3; // 删除
    QPushButton* BitBtn2; // 取消
    QPushButton* PrintButton;

    // The print (GetPayPrint.cpp): the voucher in the shared scratch query, its account, and the
    // report that reads them and asks for "MoneyCN".
    Query AccountQuery;
    // The voucher row as the editor loaded it: a store or deletion is refused when it changed.
    RowImage Loaded;
    QueryDataSet AccountDataSet{&AccountQuery};
    Report frReport1;

public slots:
    void FormShow();
    void BitBtn1Click();
    void BitBtn2Click();
    void BitBtn3Click();
    void ActionPrintExecute();
    // Cancel, Esc and the close box: with changes it first asks whether to save them.
    void reject() override;
    // Whether the user changed a field since the voucher was shown.
    bool HasChanges() const;
    // The report's question for a variable: "MoneyCN" is the amount in capitals, nothing else is
    // answered.
    QVariant frReport1GetValue(const QString& name) const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    ShownFields shown;
    void ShowExisting();
    void ShowNew();
    void CloseLater();
    int showing = 0;
    QString proposedSerial; // the serial a new voucher was offered from the counter
    QString loadedCustomer; // the customer name the edited voucher was shown with
};

extern TFormGetPay* FormGetPay;
