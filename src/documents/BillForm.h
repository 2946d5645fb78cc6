#pragma once

#include <QDialog>

class QPushButton;

// The chooser behind 新增业务单据: a new sale or a new purchase.
class TFormBill : public QDialog {
    Q_OBJECT
public:
    explicit TFormBill(QWidget* parent = nullptr);

    QPushButton* SellButton; // action ActionSell
    QPushButton* BuyButton;  // action ActionBuy

public slots:
    void ActionSellExecute();
    void ActionBuyExecute();

private:
    void OpenNew(const QString& kind);
};

extern TFormBill* FormBill;
