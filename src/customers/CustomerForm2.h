#pragma once

#include "foundation/RowImage.h"
#include "kit/ShownFields.h"

#include <QDialog>
#include <QString>

class QLineEdit;
class QPushButton;

// The customer editor: adds, changes or deletes one customer.
class TFormCustomer2 : public QDialog {
    Q_OBJECT
public:
    explicit TFormCustomer2(QWidget* parent = nullptr);

    // Opening parameters.
    bool EditExisting = false;
    qint64 EditCustomerIndex = 0;

    QLineEdit* CustomerName;
    QLineEdit* CustomerOwe;
    QLineEdit* CustomerPhone;
    QLineEdit* CustomerFax;
    QLineEdit* CustomerContact;
    QLineEdit* CustomerHandPhone;
    QLineEdit* CustomerEMail;
    QLineEdit* CustomerWebsite;
    QLineEdit* CustomerAddress;
    QLineEdit* CustomerRemark;
    QPushButton* BitBtn3; // 删除
    QPushButton* BitBtn1; // 确定
    QPushButton* BitBtn2; // 取消

    // The customer row as the editor loaded it; a store or deletion is refused when it changed.
    RowImage Loaded;

public slots:
    void FormShow();
    void BitBtn1Click();
    void BitBtn2Click();
    void BitBtn3Click();

    // Cancel, Esc and the close box: with changes it first asks whether to save them.
    void reject() override;
    // Whether the user changed a field since the editor was shown.
    bool HasChanges() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    ShownFields shown;

private:
    void ClearFields();
    // True when no other customer has the name. A taken name is reported (focus on the name box)
    // and a failing query shows its message; either stops the save.
    bool NameFree(const QString& name);
    void SaveNew();
    void SaveChange();
    int showing = 0;
};

extern TFormCustomer2* FormCustomer2;
