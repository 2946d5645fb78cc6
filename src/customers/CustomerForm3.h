#pragma once

#include <QDialog>
#include <QString>

class QCheckBox;
class QDateEdit;
class QLineEdit;
class QToolButton;

// The condition of the last confirmed customer search, appended to the customer lists; "" for none.
extern QString SearchClause;

// The customer search: parts of a customer's data and, optionally, a period with business.
class TFormCustomer3 : public QDialog {
    Q_OBJECT
public:
    explicit TFormCustomer3(QWidget* parent = nullptr);

    QLineEdit* Edit1; // CustomerName
    QLineEdit* Edit2; // CustomerContact
    QLineEdit* Edit3; // CustomerHandPhone
    QLineEdit* Edit4; // CustomerPhone
    QLineEdit* Edit5; // CustomerFax
    QLineEdit* Edit6; // CustomerEMail
    QLineEdit* Edit7; // CustomerWebsite
    QLineEdit* Edit8; // CustomerAddress
    QLineEdit* Edit9; // CustomerRemark
    QCheckBox* CheckBox1;
    QDateEdit* DateTimePicker1;
    QDateEdit* DateTimePicker2;
    QToolButton* SpeedButton1; // 确定
    QToolButton* SpeedButton2; // 取消

public slots:
    void FormShow();
    void CheckBox1Click();
    void ActionYesExecute();
    void ActionCancelExecute();

protected:
    void showEvent(QShowEvent* event) override;
};

extern TFormCustomer3* FormCustomer3;
