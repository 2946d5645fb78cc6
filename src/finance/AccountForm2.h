#pragma once

#include "foundation/RowImage.h"
#include "kit/ShownFields.h"

#include <QDialog>
#include <QString>

class QAction;
class QLineEdit;
class QPushButton;

// The account editor: name and opening balance of a new or an existing account.
class TFormAccount2 : public QDialog {
    Q_OBJECT
public:
    explicit TFormAccount2(QWidget* parent = nullptr);

    // In: the account to edit, "" for a new one. Out after OK: the name typed.
    QString EditAccountName;
    // Out after OK: the opening balance typed.
    double EditAccountBase = 0;
    // The account row as the editor loaded it (none for a new account): the caller stores against
    // it, and OK is refused while another workstation has changed it since.
    RowImage Loaded;

    QLineEdit* Edit1; // 帐户名称
    QLineEdit* Edit2; // 起初金额
    QAction* ActionYes;
    QAction* ActionCancel;
    QPushButton* Button1;
    QPushButton* Button2;

public slots:
    void FormShow();
    void ActionYesExecute();
    void ActionCancelExecute();

    // Cancel, Esc and the close box: with changes it first asks whether to save them.
    void reject() override;
    // Whether the user changed a field since the editor was shown.
    bool HasChanges() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    ShownFields shown;
};

extern TFormAccount2* FormAccount2;
