#pragma once

#include "foundation/RowImage.h"
#include "reports/ReportQueries.h"

#include <QDialog>
#include <QString>

class QAction;
class QLabel;
class QToolButton;

// The account window opened from an account card: its statements, change and deletion.
class TFormAccount : public QDialog {
    Q_OBJECT
public:
    explicit TFormAccount(QWidget* parent = nullptr);

    QString CardAccountName; // the card's name label
    QString CardBalanceText; // the card's amount label
    // Set when the account was changed or deleted (the main window is refreshed already).
    bool AccountChanged = false;
    // The account row as the window loaded it when shown: deleting is refused when it changed.
    RowImage Loaded;

    QLabel* Label3; // the name
    QLabel* Label4; // the balance
    QAction* ActionMonth;
    QAction* ActionYear;
    QAction* ActionAll;
    QAction* ActionEdit;
    QAction* ActionDelete;
    QAction* ActionCancel;

public slots:
    void FormShow();
    void ActionMonthExecute();
    void ActionYearExecute();
    void ActionAllExecute();
    void ActionEditExecute();
    void ActionDeleteExecute();
    void ActionCancelExecute();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void ShowStatement(StatementPeriod period);
};

extern TFormAccount* FormAccount;
