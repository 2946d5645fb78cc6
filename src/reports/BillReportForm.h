#pragma once

#include "reports/ReportQueries.h"

#include <QDialog>

class QAction;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

// The document query's criteria window: builds the query text and hands it to the main window's
// result grid on page 2.
class TFormBillReport : public QDialog {
    Q_OBJECT
public:
    explicit TFormBillReport(QWidget* parent = nullptr);

    // The criteria as the boxes show them now.
    BillCriteria Criteria() const;

    QLabel* Image1;       // banner
    QComboBox* ComboBox5; // 单据类型
    QCheckBox* CheckBox1; // 时间范围
    QDateEdit* DateTimePicker1;
    QDateEdit* DateTimePicker2;
    QLineEdit* Edit6;     // 业务员
    QCheckBox* CheckBox2; // 金额范围
    QLineEdit* Edit2;
    QLineEdit* Edit4;
    QLineEdit* Edit5;     // 单据编号
    QComboBox* ComboBox6; // 客户名称
    QComboBox* ComboBox2; // 业务种类
    QComboBox* ComboBox3; // 业务进度
    QLineEdit* Edit3;     // 备注信息
    QPushButton* Button1; // 当月业务单据
    QAction* ActionYes;
    QAction* ActionCancel;
    QToolButton* SpeedButton1;
    QToolButton* SpeedButton2;

public slots:
    void FormShow();
    void ActionYesExecute();
    void ActionCancelExecute();
    void Button1Click();
    void CheckBox1Click();
    void CheckBox2Click();
    void ComboBox5Change();

protected:
    void showEvent(QShowEvent* event) override;
};

extern TFormBillReport* FormBillReport;
