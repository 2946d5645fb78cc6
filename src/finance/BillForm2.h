#pragma once

#include <QDialog>

class QPushButton;

// The chooser behind 新增财务单据: a new receipt or a new payment.
class TFormBill2 : public QDialog {
    Q_OBJECT
public:
    explicit TFormBill2(QWidget* parent = nullptr);

    QPushButton* GetButton; // action ActionGet
    QPushButton* PayButton; // action ActionPay

public slots:
    void ActionGetExecute();
    void ActionPayExecute();

private:
    void OpenNew(const QString& kind);
};

extern TFormBill2* FormBill2;
